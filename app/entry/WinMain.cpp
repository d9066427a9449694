// The program's entry point: start-up in its fixed order, the main window, the message loop.
// Nothing is read at start and nothing is saved at exit.
#include <windows.h>
// The program's own interfaces have methods of these names.
#undef MessageBox
#undef ShellExecute
#undef LoadLibrary

#include "app/MainForm.h"
#include "app/win32/Win32App.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UrlCache.h"
#include "platform/win32/Win32UrlHistory.h"
#include "ui/win32/Win32Ui.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The URL history object needs the component system on this thread, for the whole run.
  platform::ComApartment com;
  ui::win32::SetApplicationTitle(nq::kProductName);
  ui::win32::Initialise(reinterpret_cast<ui::win32::Handle>(instance));

  platform::Win32Registry registry;
  platform::Win32UrlCache urlCache;
  platform::Win32UrlHistory urlHistory;
  platform::Win32Shell shell;
  platform::Win32FileSystem fileSystem;
  platform::SetRegistry(&registry);
  platform::SetUrlCache(&urlCache);
  platform::SetUrlHistory(&urlHistory);
  platform::SetShell(&shell);
  platform::SetFileSystem(&fileSystem);
  nq::win32::InstallWindowing();

  nq::TMainForm form;
  nq::win32::TMainWindow window(form);
  window.Run();
  return 0;
}
