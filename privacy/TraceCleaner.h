// "Erase Tracks" as a function of its own: the window's button and the console both call it.
#pragma once

#include "services/Changes.h"
#include "services/CleanHistory.h"

namespace nq {

// Erases the traces of browsing and everyday use, in a fixed order: the URL cache, the Recent
// folder's links, the recent-documents list, the Run and open/save dialog lists, the recycle bins
// and the URL history. Each step runs whether or not the one before found anything; an error ends
// the run. `done` when the URL history says it was cleared. A step that cannot run at all (the
// shell's library missing) tells `reportFailure` and the run goes on.
TOutcome EraseTracks(bool dryRun = false, const TReportFailure& reportFailure = nullptr);

}  // namespace nq
