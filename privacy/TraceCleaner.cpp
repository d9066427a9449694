// "Erase Tracks": one click erases the traces of browsing and everyday use, in a fixed order and
// without asking first, and reports success when the URL history says it was cleared.
#include "app/MainForm.h"
#include "services/CleanHistory.h"
#include "services/MainFunc.h"

namespace nq {
namespace {

// Shows the busy pointer on a form until it goes out of scope, however the run ends.
class TBusyCursor {
 public:
  explicit TBusyCursor(ui::TForm& form) : form_(form) { form_.SetCursor(ui::TCursor::HourGlass); }
  ~TBusyCursor() { form_.SetCursor(ui::TCursor::Default); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  ui::TForm& form_;
};

}  // namespace

void TMainForm::FlatSpeedButton9Click() {
  const TBusyCursor busy(*this);
  // Each step runs whether or not the one before it found anything; an error ends the run.
  ClearUrlCache();
  ClearRecentLinks();
  DeleteUserKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs");
  ClearKeyValues("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU");
  ClearKeyValues("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU");
  EmptyRecycleBin();
  if (ClearUrlHistory()) Report("All your internet activities have been cleaned sucessfully.");
}

}  // namespace nq
