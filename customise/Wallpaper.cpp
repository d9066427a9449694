// Placeholder until the wallpaper page lands.
#include "app/MainForm.h"
namespace nq {
void TMainForm::BmpListboxLoadExecute() {}
void TMainForm::BmpGetActExecute() {}
void TMainForm::BmpListChangeExecute() {}
void TMainForm::BmpSetActExecute() {}
void TMainForm::bmpCleanActExecute() {}
}  // namespace nq
