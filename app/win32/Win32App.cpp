#include "app/win32/Win32App.h"

#include "app/About.h"
#include "platform/shell.h"

namespace nq::win32 {

void InstallWindowing() {
  static ui::win32::TWin32Dialogs dialogs;
  ui::SetDialogs(&dialogs);
  // What escapes a handler up to a window procedure is reported like a command's error.
  ui::SetErrorReport(&TMainForm::ShowErrorReport);
  TMainForm::ShowAboutBox = [](TMainForm& main) {
    ShowAbout(main, [&main](TAboutForm& about) { ui::win32::ShowModal(about, main); });
  };
}

TMainWindow::TMainWindow(TMainForm& form) : window_(form) {
  platform::SetOwnerWindow(window_.Window());
  window_.Show();
  form.FormShow();
}

TMainWindow::~TMainWindow() {
  if (platform::OwnerWindow() == window_.Window()) platform::SetOwnerWindow(0);
}

}  // namespace nq::win32
