// The program's entry point: start-up in its fixed order, the main window, the message loop.
// Nothing is read at start and nothing is saved at exit.
#include <windows.h>
// The program's own interfaces have methods of these names.
#undef MessageBox
#undef ShellExecute
#undef LoadLibrary

#include "app/MainForm.h"
#include "app/win32/Win32App.h"
#include "platform/win32/Win32BackEnds.h"
#include "ui/win32/Win32Ui.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const platform::Win32BackEnds backEnds;
  ui::win32::SetApplicationTitle(nq::kProductName);
  ui::win32::Initialise(reinterpret_cast<ui::win32::Handle>(instance));
  nq::win32::InstallWindowing();

  nq::TMainForm form;
  nq::win32::TMainWindow window(form);
  window.Run();
  return 0;
}
