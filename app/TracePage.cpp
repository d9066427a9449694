// The trace cleaner page's button: erase, with the busy pointer, and report when the history went.
#include "app/MainForm.h"
#include "privacy/TraceCleaner.h"
#include "ui/Dialogs.h"
#include "ui/BusyCursor.h"

namespace nq {

void TMainForm::EraseTracksButtonClick() {
  const ui::TBusyCursor busy(*this);
  // A step that cannot run is told at once, in its own box; the run goes on.
  const auto showFailure = [](const std::string& message) {
    ui::Dialogs().MessageBox(message, "Error", ui::kMbOk | ui::kMbIconError);
  };
  if (EraseTracks(false, showFailure).done) Report("All your internet activities have been cleaned sucessfully.");
}

}  // namespace nq
