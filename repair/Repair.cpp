// Placeholder until the repair lands.
#include "app/MainForm.h"
namespace nq {
void TMainForm::CleanIEExecute() {}
void TMainForm::CleanIEDelAutoExecute() {}
void TMainForm::ProtectIEExecute() {}
}  // namespace nq
