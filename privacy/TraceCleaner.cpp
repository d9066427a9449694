// "Erase Tracks": one click erases the traces of browsing and everyday use, without asking first.
#include "privacy/TraceCleaner.h"

#include "services/CleanHistory.h"
#include "services/MainFunc.h"

namespace nq {

TOutcome EraseTracks(bool dryRun, const TReportFailure& reportFailure) {
  TChangeRecorder recorder(dryRun);
  ClearUrlCache();
  ClearRecentLinks();
  DeleteUserKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs");
  ClearKeyValues("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU");
  ClearKeyValues("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU");
  EmptyRecycleBin(reportFailure);
  const bool cleared = ClearUrlHistory();
  return {cleared, recorder.Take()};
}

}  // namespace nq
