// The program's entry point: start-up in its fixed order, the main window, the message loop.
// Nothing is read at start and nothing is saved at exit.
#include <windows.h>
#include <objbase.h>
// The program's own interfaces have methods of these names.
#undef MessageBox
#undef ShellExecute
#undef LoadLibrary
#undef GetProcAddress
#undef FreeLibrary

#include "app/MainForm.h"
#include "app/win32/Win32App.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "ui/win32/Win32Ui.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The URL history object needs the component system on this thread.
  const HRESULT com = CoInitialize(nullptr);
  ui::win32::SetApplicationTitle(nq::kProductName);
  ui::win32::Initialise(reinterpret_cast<ui::win32::Handle>(instance));

  platform::Win32Registry registry;
  platform::SetRegistry(&registry);
  platform::Win32FileSystem fileSystem;
  platform::SetFileSystem(&fileSystem);
  // TODO(services): install the Win32 URL cache, URL history and shell back ends here once
  // platform/win32 has them; until then the commands that need them end in the error report.
  nq::win32::InstallWindowing();

  {
    nq::TMainForm form;
    nq::win32::TMainWindow window(form);
    window.Run();
  }

  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
