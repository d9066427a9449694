#include "services/ReadOnlyViews.h"

#include <memory>

#include "services/Changes.h"

namespace nq {
namespace {

constexpr platform::HResult kEAccessDenied = static_cast<platform::HResult>(0x80070005u);

TDryRunWriteHandler& WriteHandler() {
  static TDryRunWriteHandler handler = nullptr;
  return handler;
}

// A write reached a back end during a dry run: a routine forgot to ask. It is refused whatever the
// handler does; the caller records the refusal as it records any other.
void Refuse(const char* call) {
  if (WriteHandler() != nullptr) WriteHandler()(call);
}

class TReadOnlyRegistry final : public platform::IRegistry {
 public:
  explicit TReadOnlyRegistry(platform::IRegistry& inner) : inner_(inner) {}
  long OpenKeyEx(platform::RegKey base, const char* subKey, std::uint32_t access, platform::RegKey* result) override {
    return inner_.OpenKeyEx(base, subKey, access, result);
  }
  long CreateKeyEx(platform::RegKey, const char*, std::uint32_t, platform::RegKey*) override {
    Refuse("RegCreateKeyEx");
    return platform::kErrorAccessDenied;
  }
  long CloseKey(platform::RegKey key) override { return inner_.CloseKey(key); }
  long QueryValueEx(platform::RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override {
    return inner_.QueryValueEx(key, valueName, type, data, size);
  }
  long SetValueEx(platform::RegKey, const char*, std::uint32_t, const std::uint8_t*, std::uint32_t) override {
    Refuse("RegSetValueEx");
    return platform::kErrorAccessDenied;
  }
  long DeleteValue(platform::RegKey, const char*) override {
    Refuse("RegDeleteValue");
    return platform::kErrorAccessDenied;
  }
  long DeleteKeyEx(platform::RegKey, const char*, std::uint32_t) override {
    Refuse("RegDeleteKeyEx");
    return platform::kErrorAccessDenied;
  }
  long QueryInfoKey(platform::RegKey key, std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen, std::uint32_t* values,
                    std::uint32_t* maxValueNameLen) override {
    return inner_.QueryInfoKey(key, subKeys, maxSubKeyLen, values, maxValueNameLen);
  }
  long EnumKeyEx(platform::RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) override {
    return inner_.EnumKeyEx(key, index, name, nameLen);
  }
  long EnumValue(platform::RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) override {
    return inner_.EnumValue(key, index, name, nameLen);
  }

 private:
  platform::IRegistry& inner_;
};

class TReadOnlyUrlCache final : public platform::IUrlCache {
 public:
  explicit TReadOnlyUrlCache(platform::IUrlCache& inner) : inner_(inner) {}
  platform::SearchHandle FindFirst(std::uint8_t* entry, std::uint32_t* size) override {
    return inner_.FindFirst(entry, size);
  }
  bool FindNext(platform::SearchHandle walk, std::uint8_t* entry, std::uint32_t* size) override {
    return inner_.FindNext(walk, entry, size);
  }
  bool DeleteEntry(const char*) override {
    Refuse("DeleteUrlCacheEntry");
    return false;
  }
  void Close(platform::SearchHandle walk) override { inner_.Close(walk); }
  std::uint32_t LastError() override { return inner_.LastError(); }
  // Nothing changed, so nothing to tell.
  void SettingsChanged() override {}

 private:
  platform::IUrlCache& inner_;
};

class TReadOnlyUrlHistory final : public platform::IUrlHistory {
 public:
  explicit TReadOnlyUrlHistory(platform::IUrlHistory& inner) : inner_(inner) {}
  Outcome ClearHistory() override {
    Refuse("IUrlHistoryStg2::ClearHistory");
    return {true, true, kEAccessDenied};
  }
  std::string ErrorText(platform::HResult code) override { return inner_.ErrorText(code); }

 private:
  platform::IUrlHistory& inner_;
};

// Stands for SHEmptyRecycleBinA on a dry run.
platform::HResult RefusedEmptyRecycleBin(platform::WindowHandle, const char*, std::uint32_t) {
  Refuse("SHEmptyRecycleBin");
  return kEAccessDenied;
}

class TReadOnlyShell final : public platform::IShell {
 public:
  explicit TReadOnlyShell(platform::IShell& inner) : inner_(inner) {}
  int FileOperation(platform::WindowHandle, std::uint32_t, const char*, std::uint16_t, bool* aborted) override {
    Refuse("SHFileOperation");
    *aborted = true;
    return static_cast<int>(platform::kErrorAccessDenied);
  }
  std::uintptr_t LoadLibrary(const char* name) override { return inner_.LoadLibrary(name); }
  void* GetProcAddress(std::uintptr_t library, const char* name) override {
    void* entry = inner_.GetProcAddress(library, name);
    // Every entry point looked up at run time changes the system.
    return entry == nullptr ? nullptr : reinterpret_cast<void*>(&RefusedEmptyRecycleBin);
  }
  void FreeLibrary(std::uintptr_t library) override { inner_.FreeLibrary(library); }
  std::intptr_t ShellExecute(platform::WindowHandle owner, const char* verb, const char* file, const char* parameters,
                             const char* directory, int show) override {
    return inner_.ShellExecute(owner, verb, file, parameters, directory, show);
  }
  std::string ModuleFolder() override { return inner_.ModuleFolder(); }

 private:
  platform::IShell& inner_;
};

class TReadOnlyFiles final : public platform::IFiles {
 public:
  explicit TReadOnlyFiles(platform::IFiles& inner) : inner_(inner) {}
  bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string* bytes) override {
    return inner_.ReadWholeFile(path, maxBytes, bytes);
  }
  bool WriteNewFile(const std::string&, const std::string&) override {
    Refuse("WriteFile");
    return false;
  }
  bool MoveFileEx(const std::string&, const std::string&, std::uint32_t) override {
    Refuse("MoveFileEx");
    return false;
  }
  bool DeleteFile(const std::string&) override {
    Refuse("DeleteFile");
    return false;
  }
  std::uint32_t ReplaceFile(const std::string&, const std::string&, const std::string&) override {
    Refuse("ReplaceFile");
    return platform::kErrorUnableToMoveReplacement;
  }
  bool CreateDirectory(const std::string&) override {
    Refuse("CreateDirectory");
    return false;
  }
  bool RemoveDirectory(const std::string&) override {
    Refuse("RemoveDirectory");
    return false;
  }
  bool IsHeldOpen(const std::string& path) override { return inner_.IsHeldOpen(path); }

 private:
  platform::IFiles& inner_;
};

class TReadOnlyShellLinks final : public platform::IShellLinks {
 public:
  explicit TReadOnlyShellLinks(platform::IShellLinks& inner) : inner_(inner) {}
  platform::HResult Load(const std::string& path, platform::ShellLink* link) override { return inner_.Load(path, link); }
  platform::HResult SaveArguments(const std::string&, const std::string&) override {
    Refuse("IPersistFile::Save");
    return kEAccessDenied;
  }
  platform::HResult Create(const std::string&, const platform::ShellLink&) override {
    Refuse("IPersistFile::Save");
    return kEAccessDenied;
  }

 private:
  platform::IShellLinks& inner_;
};

class TReadOnlyTaskScheduler final : public platform::ITaskScheduler {
 public:
  explicit TReadOnlyTaskScheduler(platform::ITaskScheduler& inner) : inner_(inner) {}
  platform::HResult Enumerate(std::vector<platform::ScheduledTask>* tasks) override { return inner_.Enumerate(tasks); }
  platform::HResult Delete(const std::string&) override {
    Refuse("ITaskFolder::DeleteTask");
    return kEAccessDenied;
  }
  platform::HResult Register(const std::string&, const std::vector<platform::TaskAction>&) override {
    Refuse("ITaskFolder::RegisterTask");
    return kEAccessDenied;
  }
  platform::HResult ReadXml(const std::string& path, std::string* xml) override { return inner_.ReadXml(path, xml); }
  platform::HResult RegisterXml(const std::string&, const std::string&) override {
    Refuse("ITaskFolder::RegisterTask");
    return kEAccessDenied;
  }

 private:
  platform::ITaskScheduler& inner_;
};

// Puts a view over the back end in `slot` (through its setter) while it lives.
template <typename Interface, typename View>
class TSwap {
 public:
  using Setter = Interface* (*)(Interface*);
  explicit TSwap(Setter set) : set_(set), inner_(set(nullptr)) {
    if (inner_ != nullptr) view_ = std::make_unique<View>(*inner_);
    set_(view_ != nullptr ? view_.get() : inner_);
  }
  ~TSwap() { set_(inner_); }
  TSwap(const TSwap&) = delete;
  TSwap& operator=(const TSwap&) = delete;

 private:
  Setter set_;
  Interface* inner_;
  std::unique_ptr<View> view_;
};

}  // namespace

struct TReadOnlyViews::TViews {
  // The registry always has one: the empty substitute when nothing was installed.
  bool registryMade = (platform::Registry(), true);
  TSwap<platform::IRegistry, TReadOnlyRegistry> registry{&platform::SetRegistry};
  TSwap<platform::IUrlCache, TReadOnlyUrlCache> cache{&platform::SetUrlCache};
  TSwap<platform::IUrlHistory, TReadOnlyUrlHistory> history{&platform::SetUrlHistory};
  TSwap<platform::IShell, TReadOnlyShell> shell{&platform::SetShell};
  TSwap<platform::IFiles, TReadOnlyFiles> files{&platform::SetFiles};
  TSwap<platform::IShellLinks, TReadOnlyShellLinks> links{&platform::SetShellLinks};
  TSwap<platform::ITaskScheduler, TReadOnlyTaskScheduler> tasks{&platform::SetTaskScheduler};
};

TReadOnlyViews::TReadOnlyViews() : views_(std::make_unique<TViews>()) {}

TReadOnlyViews::~TReadOnlyViews() = default;

TDryRunWriteHandler SetDryRunWriteHandler(TDryRunWriteHandler handler) {
  TDryRunWriteHandler previous = WriteHandler();
  WriteHandler() = handler;
  return previous;
}

}  // namespace nq
