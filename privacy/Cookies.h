// The browser's cookie files as functions of their own: the window's cookie page and the console
// both call them.
#pragma once

#include <string>
#include <vector>

#include "services/Changes.h"

namespace nq {

// One cookie file: its name as the directory search gave it, its 8.3 name (through which a name
// that came back with '?' is reached), and the site it belongs to (empty when it cannot be read).
struct TCookieFile {
  std::string name;
  std::string shortName;
  std::string site;
};

// The current user's cookie folder, from "Shell Folders"; empty when there is none. Raises
// ERegistryException when the value is not text.
std::string CookieFolder();

// The ".txt" files of `folder`, hidden and system ones too, in the order the search yields them.
// Nothing without a folder.
std::vector<TCookieFile> ListCookieFiles(const std::string& folder);

// Sends `files` of `folder` to the Recycle Bin in one shell operation, which asks the user first
// unless `askFirst` is false. A name that holds '?' or '*' goes by its 8.3 name; without one its
// file stays. `done` when a file went.
TOutcome RecycleCookieFiles(const std::string& folder, const std::vector<TCookieFile>& files, bool askFirst = true,
                            bool dryRun = false);

// True when the file is no longer there; false too for a file that cannot be named safely.
bool CookieFileGone(const std::string& folder, const TCookieFile& file);

}  // namespace nq
