#include "services/Links.h"

#include "platform/links.h"

namespace nq {

TChange SaveShortcutArguments(const std::string& path, const std::string& before, const std::string& arguments) {
  TChange change{.kind = TChange::TKind::Shortcut, .path = path, .before = before, .after = arguments};
  if (!DryRun()) change.refused = platform::ShellLinks().SaveArguments(path, arguments) != 0;
  RecordChange(change);
  return change;
}

TChange RegisterScheduledTask(const std::string& path, const std::string& xml) {
  TChange change{.kind = TChange::TKind::Task, .path = path, .before = kNone, .after = "task"};
  if (!DryRun()) change.refused = platform::TaskScheduler().RegisterXml(path, xml) != 0;
  RecordChange(change);
  return change;
}

TChange DeleteScheduledTask(const std::string& path) {
  TChange change{.kind = TChange::TKind::Task, .path = path, .before = "task", .after = kNone};
  if (!DryRun()) change.refused = platform::TaskScheduler().Delete(path) != 0;
  RecordChange(change);
  return change;
}

}  // namespace nq
