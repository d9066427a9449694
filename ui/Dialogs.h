// The modal dialogs of the program: message boxes and the one-line input dialog. The Win32 back
// end shows the real ones; tests install a scripted one that answers them.
#pragma once

#include <string>

namespace ui {

// Message box flags and answers, as Windows numbers them.
enum : unsigned { kMbOk = 0x0, kMbOkCancel = 0x1, kMbYesNo = 0x4, kMbIconError = 0x10 };
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  // A modal message box over the active window; returns the button chosen.
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
  // A modal input dialog centred on the screen, with OK (default) and Cancel and an entry field
  // that starts with `value` and takes at most `maxLength` characters. True on OK.
  virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                          int maxLength) = 0;
};

IDialogs& Dialogs();
// Installs `dialogs` (not owned); returns the one it replaces.
IDialogs* SetDialogs(IDialogs* dialogs);

// The program's error report, for an exception that escaped everything up to a window procedure
// (which must not let it unwind through the system's frames). The application installs it; until
// then nothing is shown.
using TErrorReport = void (*)(const std::string& message);
// Installs `report` and returns the one it replaces.
TErrorReport SetErrorReport(TErrorReport report);
void ReportError(const std::string& message);

}  // namespace ui
