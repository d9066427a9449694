// The Win32 back end of the widget set, as seen from outside ui/win32: windows.h stays behind
// this header. A form is put on screen by binding it to a TFormWindow, which makes one real
// window for the form and one for each of its controls and keeps them in step with the state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/Dialogs.h"
#include "ui/Widgets.h"

namespace ui::win32 {

using Handle = std::uintptr_t;  // an HWND or HINSTANCE

// Registers the window classes and loads the common controls. `instance` is the module whose
// resources hold the pictures (the executable).
void Initialise(Handle instance);

class TFormWindowImpl;

// One form on screen. The window is made hidden; Show() puts it where the form's Left and Top say.
class TFormWindow {
 public:
  // `owner` is the window that owns this one (0: none, a window of its own on the taskbar).
  explicit TFormWindow(TForm& form, Handle owner = 0);
  ~TFormWindow();
  TFormWindow(const TFormWindow&) = delete;
  TFormWindow& operator=(const TFormWindow&) = delete;

  Handle Window() const;
  void Show();
  // Runs the messages of the thread until the form closes. False when WM_QUIT came first (it is
  // posted again for the loop outside).
  bool RunUntilClosed();

 private:
  std::unique_ptr<TFormWindowImpl> impl_;
};

// The window a control is bound to, 0 when it has none.
Handle WindowOf(const TControl& control);

// Shows `form` modally over the window of `owner` (at the form's Left and Top) and returns when
// the form closes; the owner takes no input meanwhile.
void ShowModal(TForm& form, TForm& owner);

// The application's title: the caption of a message box that brings none of its own.
void SetApplicationTitle(const std::string& title);
const std::string& ApplicationTitle();

// Handles every message waiting in the queue (keys go to their form first), then returns.
void ProcessMessages();

// The real message boxes and input dialog, owned by the program's main window.
class TWin32Dialogs final : public IDialogs {
 public:
  int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                  int maxLength) override;
};

}  // namespace ui::win32
