// The shell links and the Task Scheduler of the native build. A shortcut is a file of the
// substitute tree in a small format of its own ("NQLINK", then the target and the arguments, each
// with its length), so that the directory search finds it and a truncated or foreign file fails to
// load as it does on Windows. Tasks live in memory, by path; a test can make one unreadable or
// undeletable, or the service not running.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/links.h"
#include "platform/sim/SimFileSystem.h"

namespace platform {

// SCHED_E_MALFORMEDXML, for a definition that is no task.
inline constexpr HResult kSchedMalformedXmlSim = static_cast<HResult>(0x8004131A);

// The definition the substitute gives a task registered with these actions, and the actions read
// back from a definition (false when it is no task or an <Exec> lacks its <Command>).
std::string SimTaskXml(const std::vector<TaskAction>& actions);
bool SimTaskActions(const std::string& xml, std::vector<TaskAction>* actions);

class SimShellLinks final : public IShellLinks {
 public:
  explicit SimShellLinks(SimFileSystem& files) : files_(files) {}
  HResult Load(const std::string& path, ShellLink* link) override;
  HResult SaveArguments(const std::string& path, const std::string& arguments) override;
  HResult Create(const std::string& path, const ShellLink& link) override;

  int saves = 0;  // links written (Create and SaveArguments)

 private:
  SimFileSystem& files_;
};

class SimTaskScheduler final : public ITaskScheduler {
 public:
  HResult Enumerate(std::vector<ScheduledTask>* tasks) override;
  HResult Delete(const std::string& path) override;
  HResult Register(const std::string& path, const std::vector<TaskAction>& actions) override;
  // A task's XML is kept as registered; one made by Register gets a small definition of its actions.
  // RegisterXml reads the actions back from <Exec><Command> and <Arguments>.
  HResult ReadXml(const std::string& path, std::string* xml) override;
  HResult RegisterXml(const std::string& path, const std::string& xml) override;

  // ---- scripting
  // Reading the task's XML (or walking the folder) fails with E_ACCESSDENIED.
  void DenyRead(const std::string& path) { unreadable_.insert(Fold(path)); }
  // Deleting the task fails with E_ACCESSDENIED.
  void DenyDelete(const std::string& path) { undeletable_.insert(Fold(path)); }
  // Connect answers SCHED_E_SERVICE_NOT_RUNNING, as Wine's does before the service is started.
  void StopService(bool stopped = true) { stopped_ = stopped; }

  int deletions = 0;

 private:
  static std::string Fold(const std::string& path);
  static std::string Parent(const std::string& path);
  bool FolderExists(const std::string& folded) const;

  // By folded path: the path as registered, and its actions.
  std::map<std::string, std::pair<std::string, std::vector<TaskAction>>> tasks_;
  std::map<std::string, std::string> xml_;  // by folded path
  std::map<std::string, std::string> folders_{{"\\", "\\"}};  // folded -> as made
  std::set<std::string> unreadable_, undeletable_;
  bool stopped_ = false;
};

}  // namespace platform
