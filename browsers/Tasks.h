// Scheduled tasks that start a browser with an address or an extension, or PowerShell that does,
// directly or through cmd, in plain text or as an encoded command: in every folder of the Task
// Scheduler.
#pragma once

#include "browsers/Findings.h"

namespace nq {

// One finding per task: where is its path, name its name, data the command of the action that
// starts the browser, why what it starts (the decoded statement for an encoded command). A task or
// folder that cannot be read, and a Task Scheduler that cannot be reached, are findings too, refused.
TFindings FindTaskHijacks();
// Deletes the task. A refused finding (one that could not be read) is not deleted: the journal
// shows it refused.
TOutcome RepairTask(const TFinding& finding, bool dryRun = false);

}  // namespace nq
