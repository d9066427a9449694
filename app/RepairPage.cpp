// The repair page's handlers: gather the check box, run the repair, show the report.
#include "app/MainForm.h"
#include "repair/Repair.h"

namespace nq {

void TMainForm::CleanIEExecute() {
  RepairBrowserSettings(false);
  // The cleaner is a command of its own, run after the last registry step when the box asks.
  if (AutoCleanCheckBox.Checked()) Run(TCommandId::CleanIEDelAuto);
  Report("Your Internet Explorer Browser is successfully repaired!");
}

void TMainForm::CleanIEDelAutoExecute() { CleanHijackEntries(); }

void TMainForm::ProtectIEExecute() { ProtectScriptShell(); }

}  // namespace nq
