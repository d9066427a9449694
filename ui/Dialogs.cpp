#include "ui/Dialogs.h"

#include "ui/headless/ScriptedDialogs.h"

namespace ui {
namespace {

IDialogs*& Installed() {
  static IDialogs* installed = nullptr;
  return installed;
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

}  // namespace ui
