#include "platform/sim/SimShell.h"

#include <algorithm>
#include "platform/text.h"
#include <cctype>
#include <string>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

// SHFileOperation's answers the substitute gives.
constexpr int kShellOk = 0;
constexpr int kShellFileNotFound = 2;
constexpr int kShellCancelled = 1223;  // ERROR_CANCELLED
constexpr int kShellBadOperation = 0x78;  // DE_ACCESSDENIEDSRC, for operations it does not model

// The shell the entry point handed out by GetProcAddress reports to.
SimShell* recycleBinOwner = nullptr;

using platform::EqualNoCase;

std::vector<std::string> SplitList(const char* list) {
  std::vector<std::string> paths;
  if (list == nullptr) return paths;
  for (const char* p = list; *p != '\0'; p += paths.back().size() + 1) paths.emplace_back(p);
  return paths;
}

// The bytes of a file list up to and including the NUL that closes it.
std::string RawList(const char* list) {
  if (list == nullptr) return std::string();
  const char* p = list;
  while (*p != '\0') p += std::char_traits<char>::length(p) + 1;
  return std::string(list, static_cast<std::size_t>(p - list) + 1);
}

std::string OrEmpty(const char* text) { return text == nullptr ? std::string() : std::string(text); }

}  // namespace

SimShell::SimShell(SimFileSystem& files, fs::path recycleBin, std::string moduleFolder)
    : files_(files), recycleBin_(std::move(recycleBin)), moduleFolder_(std::move(moduleFolder)) {
  fs::create_directories(recycleBin_);
}

SimShell::~SimShell() {
  if (recycleBinOwner == this) recycleBinOwner = nullptr;
}

std::vector<std::string> SimShell::RecycledNames() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(recycleBin_, ec)) {
    std::string name = Utf8Text(entry.path().filename());
    // Recycled copies of one name are told apart by a "#n" suffix.
    const std::size_t mark = name.rfind('#');
    if (mark != std::string::npos) name.erase(mark);
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void SimShell::MoveToRecycleBin(const fs::path& host) {
  fs::path target = recycleBin_ / host.filename();
  std::error_code ec;
  for (int n = 1; fs::exists(target, ec); ++n) {
    target = recycleBin_ / Utf8Path(Utf8Text(host.filename()) + "#" + std::to_string(n));
  }
  fs::rename(host, target, ec);
  if (ec) {
    fs::copy(host, target, fs::copy_options::recursive, ec);
    fs::remove_all(host, ec);
  }
}

int SimShell::FileOperation(WindowHandle owner, std::uint32_t operation, const char* files, std::uint16_t flags,
                            bool* aborted) {
  const std::vector<std::string> paths = SplitList(files);
  fileOperations.push_back(FileOperationCall{owner, operation, paths, RawList(files), flags});
  if (aborted != nullptr) *aborted = false;
  if (operation != kFoDelete) return kShellBadOperation;
  if (paths.empty()) return kShellOk;

  const bool recycle = (flags & kFofAllowUndo) != 0;
  if ((flags & kFofNoConfirmation) == 0) {
    // Deleting for good asks too, but the program never does that without FOF_NOCONFIRMATION.
    ++recycleConfirmations;
    if (!confirmRecycle_) {
      if (aborted != nullptr) *aborted = true;
      return kShellCancelled;
    }
  }
  int result = kShellOk;
  for (const std::string& path : paths) {
    // As the real shell does, a '*' or '?' in a path's last name takes every entry it matches.
    std::vector<fs::path> hosts;
    if (HasWildcard(path)) {
      hosts = files_.HostMatches(path);
    } else {
      hosts.push_back(files_.HostPath(path));
    }
    std::error_code ec;
    std::erase_if(hosts, [&ec](const fs::path& host) { return !fs::exists(host, ec); });
    if (hosts.empty()) result = kShellFileNotFound;
    for (const fs::path& host : hosts) {
      files_.ForgetAttributes(host);
      if (recycle) {
        MoveToRecycleBin(host);
      } else {
        fs::remove_all(host, ec);
      }
    }
  }
  return result;
}

std::uintptr_t SimShell::LoadLibrary(const char* name) {
  const std::string library = OrEmpty(name);
  libraryRequests.push_back(library);
  if (library_ == Library::Missing || !EqualNoCase(library, "Shell32.dll")) return 0;
  ++librariesLoaded;
  loaded_.push_back(nextLibrary_);
  return nextLibrary_++;
}

void* SimShell::GetProcAddress(std::uintptr_t library, const char* name) {
  if (std::find(loaded_.begin(), loaded_.end(), library) == loaded_.end()) return nullptr;
  // Entry points are looked up by exact name, as Windows does.
  if (library_ == Library::LacksEntryPoint || OrEmpty(name) != "SHEmptyRecycleBinA") return nullptr;
  recycleBinOwner = this;
  return reinterpret_cast<void*>(&SimShell::EmptyRecycleBinEntry);
}

void SimShell::FreeLibrary(std::uintptr_t library) {
  const auto found = std::find(loaded_.begin(), loaded_.end(), library);
  if (found == loaded_.end()) return;
  loaded_.erase(found);
  ++librariesFreed;
}

HResult SimShell::EmptyRecycleBinEntry(WindowHandle owner, const char* rootPath, std::uint32_t flags) {
  SimShell* shell = recycleBinOwner;
  if (shell == nullptr) return static_cast<HResult>(0x80004005u);  // E_FAIL
  shell->recycleBinEmptied.push_back(EmptyRecycleBinCall{owner, OrEmpty(rootPath), flags});
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(shell->recycleBin_, ec)) fs::remove_all(entry.path(), ec);
  return 0;
}

std::intptr_t SimShell::ShellExecute(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                                     const char* directory, int show) {
  shellExecutes.push_back(
      ShellExecuteCall{owner, OrEmpty(verb), OrEmpty(file), OrEmpty(parameters), OrEmpty(directory), show});
  return 42;  // above 32: success
}


}  // namespace platform
