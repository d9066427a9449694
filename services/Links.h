// The routines through which a feature changes a shortcut or a scheduled task: each records the
// change, and a dry run records it and changes nothing, as the registry and file routines do.
#pragma once

#include <string>

#include "services/Changes.h"

namespace nq {

// Saves `arguments` into the shortcut at `path`, whose arguments were `before`; records the change
// (refused when the system refused it) and returns it.
TChange SaveShortcutArguments(const std::string& path, const std::string& before, const std::string& arguments);

// Registers the task at `path` from its definition `xml`; records it (refused when the system
// refused it) and returns it.
TChange RegisterScheduledTask(const std::string& path, const std::string& xml);

// Deletes the scheduled task at `path`; records the deletion (refused when the system refused it)
// and returns it.
TChange DeleteScheduledTask(const std::string& path);

}  // namespace nq
