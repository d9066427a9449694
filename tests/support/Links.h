// Shell links and scheduled tasks for tests: the substitute or the real back end over a file tree,
// installed for as long as it lives. Real tasks are made only inside the build's throwaway Wine
// prefix; shortcuts only in the tree's temp folder.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/links.h"
#include "platform/sim/SimLinks.h"
#include "tests/support/Installed.h"
#include "tests/support/ShellFixture.h"

namespace nqtest {

class LinkBackEnds {
 public:
  // The shortcuts work on `tree`'s files; with Backend::Win32, the tasks are the real Task
  // Scheduler's, which is why a caller checks InThrowawayWinePrefix first.
  explicit LinkBackEnds(FileTree& tree);
  ~LinkBackEnds();
  LinkBackEnds(const LinkBackEnds&) = delete;
  LinkBackEnds& operator=(const LinkBackEnds&) = delete;

  platform::IShellLinks& Links() { return *links_; }
  platform::ITaskScheduler& Tasks() { return *tasks_; }
  // The substitutes, or null with the real calls.
  platform::SimShellLinks* SimLinks() { return simLinks_; }
  platform::SimTaskScheduler* SimTasks() { return simTasks_; }

  // Wine's Task Scheduler answers SCHED_E_SERVICE_NOT_RUNNING until its service is started, and
  // "net start" says the service database is locked for a while after the prefix is made: starts it
  // and waits until the scheduler answers. Empty on success, else why not.
  std::string StartTaskService();

  // True under Wine, whose Task Scheduler (Wine 8) drops a task's actions when it registers it: the
  // task's XML comes back with one <Exec/> without a command, and the task reads as SCHED_E_MISSINGNODE.
  static bool WineKeepsNoTaskActions();

 private:
  std::shared_ptr<void> com_;  // the real calls are component-system objects
  std::unique_ptr<platform::IShellLinks> links_;
  std::unique_ptr<platform::ITaskScheduler> tasks_;
  platform::SimShellLinks* simLinks_ = nullptr;
  platform::SimTaskScheduler* simTasks_ = nullptr;
  std::optional<Installed<platform::IShellLinks>> installedLinks_;
  std::optional<Installed<platform::ITaskScheduler>> installedTasks_;
};

// PowerShell's -EncodedCommand form of a script: base64 of its UTF-16LE text.
std::string EncodeCommand(const std::string& script);

}  // namespace nqtest
