// Placeholder until the entry list page lands.
#include "app/MainForm.h"
namespace nq {
void TMainForm::AutoRunActExecute() {}
void TMainForm::AutoRunDateExecute() {}
void TMainForm::AutoRunDeleteExecute() {}
void TMainForm::GetUrlActExecute() {}
void TMainForm::DelUrlActExecute() {}
void TMainForm::CleanUrlActExecute() {}
void TMainForm::GetMenuActExecute() {}
void TMainForm::DelMenuExtActExecute() {}
void TMainForm::GetExtensionsActExecute() {}
void TMainForm::DeleteExtensionActExecute() {}
void TMainForm::ListBoxIndexExecute() {}
void TMainForm::IEDeleteExecute() {}
void TMainForm::IERefreshExecute() {}
void TMainForm::ListboxKeyUp(int, unsigned) {}
}  // namespace nq
