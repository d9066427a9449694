// Browser shortcuts with planted arguments: every .lnk of the user's and all users' desktops and
// start menus and of the Quick Launch bar and its pinned items, whose target is a browser and
// whose arguments open an address or load an extension.
#pragma once

#include <string>
#include <vector>

#include "browsers/Findings.h"

namespace nq {

// The folders searched, as "Shell Folders" names them, each once; each with whether its
// subfolders are searched too.
struct TShortcutFolder {
  std::string path;
  bool withSubfolders = false;
};
std::vector<TShortcutFolder> ShortcutFolders();

// One finding per shortcut: where is its path, name its target, data its arguments. A file that
// is not a shortcut, or a truncated one, is no finding.
TFindings FindShortcutHijacks();
// Saves the shortcut with the planted arguments removed and the rest as they were. The shortcut
// is read again first: what it holds now is what the journal shows before and after.
TOutcome RepairShortcut(const TFinding& finding, bool dryRun = false);

}  // namespace nq
