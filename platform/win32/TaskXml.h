// A task's XML: the one Win32TaskScheduler::Register registers, and its exec actions read back from
// what IRegisteredTask::get_Xml gives, with XmlLite.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/links.h"

namespace platform {

inline constexpr HResult kSchedMissingNode = static_cast<HResult>(0x80041319);   // SCHED_E_MISSINGNODE
inline constexpr HResult kSchedMalformedXml = static_cast<HResult>(0x8004131A);  // SCHED_E_MALFORMEDXML

// A task with these exec actions, run every ten minutes: the text for ITaskFolder::RegisterTask.
std::wstring TaskXml(const std::vector<TaskAction>& actions);

// The <Exec> actions under <Task><Actions> (the Task Scheduler's schema namespace), in their order;
// the other actions start no program and are passed over. `xml` is the UTF-16 text get_Xml gives.
// S_OK and the actions, or why not: XmlLite's own error for text that is not well formed,
// kSchedMalformedXml when it is no task, kSchedMissingNode for a task without <Actions> or an
// <Exec> without a <Command>. On failure `actions` is left alone.
HResult ReadTaskExecActions(std::wstring_view xml, std::vector<TaskAction>* actions);

}  // namespace platform
