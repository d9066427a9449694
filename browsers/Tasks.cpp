#include "browsers/Tasks.h"

#include <cstdio>

#include "browsers/CommandLine.h"
#include "platform/links.h"
#include "services/Links.h"

namespace nq {
namespace {

std::string ErrorCode(platform::HResult code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

std::string TaskName(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What could not be read is shown, so that nothing is skipped silently, but is not known to be a
// hijack: it is left unticked, and a clean machine whose scheduler is stopped has nothing to repair.
TFinding Unreadable(const std::string& where, const std::string& why) {
  TFinding finding;
  finding.kind = TFindingKind::UnreadableTask;
  finding.browser = "Windows";
  finding.where = where;
  finding.name = TaskName(where);
  finding.why = why;
  return finding;
}

}  // namespace

TFindings FindTaskHijacks() {
  TFindings findings;
  std::vector<platform::ScheduledTask> tasks;
  const platform::HResult connected = platform::TaskScheduler().Enumerate(&tasks);
  if (connected != 0) {
    findings.push_back(Unreadable("\\", "The Task Scheduler could not be read (error " + ErrorCode(connected) + ")."));
    return findings;
  }
  for (const platform::ScheduledTask& task : tasks) {
    if (task.result != 0) {
      findings.push_back(Unreadable(task.path, "The task could not be read (error " + ErrorCode(task.result) + ")."));
      continue;
    }
    for (const platform::TaskAction& action : task.actions) {
      TCommandVerdict verdict;
      if (!JudgeCommand(action.path, action.arguments, &verdict)) continue;
      TFinding finding;
      finding.kind = TFindingKind::Task;
      finding.browser = verdict.browser;
      finding.where = task.path;
      finding.name = TaskName(task.path);
      finding.data = action.arguments.empty() ? action.path : action.path + " " + action.arguments;
      finding.why = verdict.decoded
                        ? "The task runs an encoded PowerShell command that starts " + verdict.browser + ": " + verdict.starts
                        : "The task starts " + verdict.browser + " with: " + verdict.starts;
      // No organisation plants these, but a kiosk opens its page on purpose: one click would break it.
      finding.ticked = !verdict.kiosk;
      if (verdict.kiosk) finding.why += " (a kiosk opens this page on purpose)";
      findings.push_back(std::move(finding));
      break;  // one finding per task: the repair deletes the whole task
    }
  }
  return findings;
}

TOutcome RepairTask(const TFinding& finding, bool dryRun) {
  TChangeRecorder recorder(dryRun);
  // What could not be read is not known to be a hijack: ticked by hand, it is refused, never deleted
  // blind.
  if (finding.kind == TFindingKind::UnreadableTask) {
    RecordChange({.kind = TChange::TKind::Task, .path = finding.where, .before = "task", .after = kNone, .refused = true});
    return {false, recorder.Take()};
  }
  const bool deleted = !DeleteScheduledTask(finding.where).refused;
  return {deleted, recorder.Take()};
}

}  // namespace nq
