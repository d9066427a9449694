// Placeholder until the cookie manager lands.
#include "app/MainForm.h"
namespace nq {
void TMainForm::LoadCookiesExecute() {}
void TMainForm::ListViewColumnClick(int) {}
int TMainForm::ListViewCompare(const ui::TListItem&, const ui::TListItem&) const { return 0; }
void TMainForm::DeleteCookieExecute() {}
bool TMainForm::DeleteCookieUpdate() { return ListView.SelCount() > 0; }
void TMainForm::SearchCookieExecute() {}
void TMainForm::SelectAllActExecute() {}
void TMainForm::SelectNoneActExecute() {}
void TMainForm::InvertSelectActExecute() {}
}  // namespace nq
