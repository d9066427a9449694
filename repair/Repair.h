// The one-click repair of the browser's settings and the hijack cleaner of the startup keys, as
// functions of their own: the window's "Repair IE" and the console both call them. Each returns
// what it changed (on a dry run, what it would change).
#pragma once

#include "services/Changes.h"

namespace nq {

// The repair's registry steps, in their fixed order, then, with `withCleaner`, the hijack cleaner.
// A step whose key is missing or refused does nothing and the others go on.
TChanges RepairBrowserSettings(bool withCleaner, bool dryRun = false);
// Deletes the startup entries whose command names a script, an HTML application or the registry
// editor, from every startup key in lookup order.
TChanges CleanHijackEntries(bool dryRun = false);
// Puts the scripting shell object's class entry back into the keys that are there.
TChanges ProtectScriptShell(bool dryRun = false);

}  // namespace nq
