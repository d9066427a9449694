// Puts a back end in place for as long as it lives, then the one it replaced: the registry, the
// shell, the URL cache and history, the file system, the shell links, the task scheduler or the
// dialogs. `Installed installed(spy);`
#pragma once

#include <type_traits>
#include <utility>

#include "platform/links.h"
#include "platform/registry.h"
#include "platform/files.h"
#include "platform/management.h"
#include "platform/shell.h"
#include "ui/Dialogs.h"

namespace nqtest {

inline platform::IRegistry* SwapBackEnd(platform::IRegistry* b) { return platform::SetRegistry(b); }
inline platform::IShell* SwapBackEnd(platform::IShell* b) { return platform::SetShell(b); }
inline platform::IUrlCache* SwapBackEnd(platform::IUrlCache* b) { return platform::SetUrlCache(b); }
inline platform::IUrlHistory* SwapBackEnd(platform::IUrlHistory* b) { return platform::SetUrlHistory(b); }
inline platform::IFileSystem* SwapBackEnd(platform::IFileSystem* b) { return platform::SetFileSystem(b); }
inline platform::IFiles* SwapBackEnd(platform::IFiles* b) { return platform::SetFiles(b); }
inline platform::IManagement* SwapBackEnd(platform::IManagement* b) { return platform::SetManagement(b); }
inline platform::IShellLinks* SwapBackEnd(platform::IShellLinks* b) { return platform::SetShellLinks(b); }
inline platform::ITaskScheduler* SwapBackEnd(platform::ITaskScheduler* b) { return platform::SetTaskScheduler(b); }
inline ui::IDialogs* SwapBackEnd(ui::IDialogs* b) { return ui::SetDialogs(b); }

template <typename Interface>
class Installed {
 public:
  explicit Installed(Interface& backEnd) : previous_(SwapBackEnd(&backEnd)) {}
  ~Installed() { SwapBackEnd(previous_); }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;

 private:
  Interface* previous_;
};

// A spy or substitute installs as the interface it implements.
template <typename T>
Installed(T&) -> Installed<std::remove_pointer_t<decltype(SwapBackEnd(std::declval<T*>()))>>;

}  // namespace nqtest
