#include "platform/shell.h"

#include "platform/files.h"
#include "platform/management.h"

#include <cstddef>
#include <stdexcept>

namespace platform {
namespace {

template <typename T>
T*& Slot() {
  static T* installed = nullptr;
  return installed;
}

template <typename T>
T& Get(const char* what) {
  T* installed = Slot<T>();
  // Never fall back to a real back end: a test that forgot to install one must not reach the
  // user's files.
  if (installed == nullptr) throw std::logic_error(std::string("no ") + what + " back end installed");
  return *installed;
}

template <typename T>
T* Set(T* value) {
  T* previous = Slot<T>();
  Slot<T>() = value;
  return previous;
}

WindowHandle owner = 0;

// The head of INTERNET_CACHE_ENTRY_INFOA: the size of the record, then the source URL name.
struct CacheEntryHead {
  std::uint32_t structSize;
  const char* sourceUrlName;
};

}  // namespace

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

const char* CacheEntrySourceUrlName(const std::uint8_t* entryBuffer) {
  return reinterpret_cast<const CacheEntryHead*>(entryBuffer)->sourceUrlName;
}

WindowHandle OwnerWindow() { return owner; }
void SetOwnerWindow(WindowHandle window) { owner = window; }

IUrlCache& UrlCache() { return Get<IUrlCache>("URL cache"); }
IUrlHistory& UrlHistory() { return Get<IUrlHistory>("URL history"); }
IShell& Shell() { return Get<IShell>("shell"); }
IFileSystem& FileSystem() { return Get<IFileSystem>("file system"); }
IUrlCache* SetUrlCache(IUrlCache* cache) { return Set(cache); }
IUrlHistory* SetUrlHistory(IUrlHistory* history) { return Set(history); }
IShell* SetShell(IShell* shell) { return Set(shell); }
IFileSystem* SetFileSystem(IFileSystem* fileSystem) { return Set(fileSystem); }
IFiles& Files() { return Get<IFiles>("files"); }
IFiles* SetFiles(IFiles* files) { return Set(files); }
IManagement& Management() { return Get<IManagement>("machine management"); }
IManagement* SetManagement(IManagement* management) { return Set(management); }

}  // namespace platform
