// The main window and the About box on the Win32 back end. Shared by the program's entry point
// and the window tests, so both put the same windows on screen the same way.
#pragma once

#include <memory>

#include "app/MainForm.h"
#include "ui/win32/Win32Ui.h"

namespace nq::win32 {

// Installs the real message boxes and input dialog, and the About box as a modal window.
void InstallWindowing();

// Puts the main window on screen as laid out; it owns the program's dialogs and shell windows
// until the returned window goes.
class TMainWindow {
 public:
  explicit TMainWindow(TMainForm& form);
  ~TMainWindow();
  TMainWindow(const TMainWindow&) = delete;
  TMainWindow& operator=(const TMainWindow&) = delete;

  ui::win32::TFormWindow& Window() { return window_; }
  // Runs the program's messages until the main window closes.
  void Run() { window_.RunUntilClosed(); }

 private:
  ui::win32::TFormWindow window_;
};

}  // namespace nq::win32
