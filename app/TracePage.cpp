// The trace cleaner page's button: erase, with the busy pointer, and report when the history went.
#include "app/MainForm.h"
#include "privacy/TraceCleaner.h"
#include "ui/BusyCursor.h"

namespace nq {

void TMainForm::EraseTracksButtonClick() {
  const ui::TBusyCursor busy(*this);
  if (EraseTracks().done) Report("All your internet activities have been cleaned sucessfully.");
}

}  // namespace nq
