// The browser code on the real calls, inside Wine's throwaway prefix: the registry redirected into
// a scratch key (made first, so nothing reaches the registry unredirected, and undone last), files
// in a temp tree, and the shell, the join state and shortcuts for real. Tasks stay on the
// substitute: Wine's Task Scheduler does not run under the redirected registry (its own tests run
// it for real).
#pragma once

#ifdef _WIN32
#include "platform/sim/SimLinks.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Links.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UrlHistory.h"
#include "tests/support/Installed.h"
#include "tests/support/RegistryOverride.h"
#include "tests/support/ShellFixture.h"

namespace nqtest {

struct RealBrowserCalls {
  RegistryOverride override;
  platform::Win32Registry registry;
  Installed<platform::IRegistry> installedRegistry{registry};
  FileTree tree{Backend::Win32};
  platform::Win32Shell shell;
  Installed<platform::IShell> installedShell{shell};
  platform::Win32Files files;
  Installed<platform::IFiles> installedFiles{files};
  platform::Win32Management management;
  Installed<platform::IManagement> installedManagement{management};
  platform::ComApartment apartment;  // the shell's link object is a COM object
  platform::Win32ShellLinks links;
  Installed<platform::IShellLinks> installedLinks{links};
  platform::SimTaskScheduler tasks;
  Installed<platform::ITaskScheduler> installedTasks{tasks};
};

}  // namespace nqtest
#endif
