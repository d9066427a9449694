// Shell links and scheduled tasks, each call shaped after the component-system one it stands for:
// a shortcut read through IShellLinkW and IPersistFile, and the Task Scheduler's ITaskService. The
// Win32 back ends make and release every interface within the call; the substitutes (platform/sim)
// keep shortcuts as files of the substitute tree and tasks in memory. Texts are UTF-8.
#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace platform {

inline constexpr HResult kEFail = static_cast<HResult>(0x80004005);
inline constexpr HResult kEAccessDenied = static_cast<HResult>(0x80070005);
inline constexpr HResult kFileNotFound = static_cast<HResult>(0x80070002);  // HRESULT_FROM_WIN32(2)
inline constexpr HResult kSchedServiceNotRunning = static_cast<HResult>(0x80041315);

// ---- Shell links (IShellLinkW, IPersistFile)

struct ShellLink {
  std::string target;     // GetPath with SLGP_RAWPATH
  std::string arguments;  // GetArguments, whole (a link holds up to 65,535 characters)
};

class IShellLinks {
 public:
  virtual ~IShellLinks() = default;
  // CoCreateInstance(CLSID_ShellLink), IPersistFile::Load(path, STGM_READ), GetPath, GetArguments.
  // A failure (no such file, not a shortcut, a truncated one) is the failing call's HRESULT.
  virtual HResult Load(const std::string& path, ShellLink* link) = 0;
  // Load for reading and writing, SetArguments, IPersistFile::Save(path, TRUE): the rest of the
  // link stays as it was.
  virtual HResult SaveArguments(const std::string& path, const std::string& arguments) = 0;
  // SetPath, SetArguments, Save: a new link (what set-ups and tests make shortcuts with).
  virtual HResult Create(const std::string& path, const ShellLink& link) = 0;
};

// ---- Scheduled tasks (ITaskService)

struct TaskAction {
  std::string path;       // <Exec><Command>
  std::string arguments;  // <Exec><Arguments>
};

struct ScheduledTask {
  std::string path;  // "\Folder\Name"; for a folder that could not be walked, the folder's path
  // S_OK, or why the task's XML (or the folder) could not be read: then `actions` is empty.
  HResult result = 0;
  std::vector<TaskAction> actions;  // the exec actions only: the others start no program
};

class ITaskScheduler {
 public:
  virtual ~ITaskScheduler() = default;
  // Connect, then from the root folder down through every subfolder, GetTasks(TASK_ENUM_HIDDEN)
  // and each task's XML (get_Xml). The connection's failure is the result; a folder or task that
  // cannot be read is listed with its own failure, never left out.
  virtual HResult Enumerate(std::vector<ScheduledTask>* tasks) = 0;
  // GetFolder(the task's folder)->DeleteTask(its name).
  virtual HResult Delete(const std::string& path) = 0;
  // RegisterTask of a task with these exec actions, every ten minutes, as the calling user: what
  // set-ups and tests make tasks with. Missing folders on the way are made.
  virtual HResult Register(const std::string& path, const std::vector<TaskAction>& actions) = 0;
  // GetFolder(the task's folder)->GetTask(its name)->get_Xml: the task's whole definition, as the
  // Task Scheduler gives it (UTF-8 here).
  virtual HResult ReadXml(const std::string& path, std::string* xml) = 0;
  // RegisterTask(name, xml, TASK_CREATE_OR_UPDATE) as the calling user: a task put back from its
  // definition. Missing folders on the way are made.
  virtual HResult RegisterXml(const std::string& path, const std::string& xml) = 0;
};

IShellLinks& ShellLinks();
ITaskScheduler& TaskScheduler();
// Each installs a back end (not owned) and returns the one it replaces.
IShellLinks* SetShellLinks(IShellLinks* links);
ITaskScheduler* SetTaskScheduler(ITaskScheduler* scheduler);

}  // namespace platform
