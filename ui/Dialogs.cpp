#include "ui/Dialogs.h"

#include "ui/headless/ScriptedDialogs.h"

namespace ui {
namespace {

IDialogs*& Installed() {
  static IDialogs* installed = nullptr;
  return installed;
}

TErrorReport& InstalledReport() {
  static TErrorReport report = nullptr;
  return report;
}

}  // namespace

IDialogs& Dialogs() {
  IDialogs*& installed = Installed();
  if (installed == nullptr) {
    static ScriptedDialogs fallback;
    installed = &fallback;
  }
  return *installed;
}

IDialogs* SetDialogs(IDialogs* dialogs) {
  IDialogs* previous = Installed();
  Installed() = dialogs;
  return previous;
}

TErrorReport SetErrorReport(TErrorReport report) {
  TErrorReport previous = InstalledReport();
  InstalledReport() = report;
  return previous;
}

void ReportError(const std::string& message) {
  if (InstalledReport() != nullptr) InstalledReport()(message);
}

}  // namespace ui
