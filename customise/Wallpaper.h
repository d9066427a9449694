// The toolbar wallpaper as functions of their own: the pictures shipped in the Bitmaps folder beside
// the program, and the browser's "backbitmapIE5" value under the current user's Toolbar key.
#pragma once

#include <string>

#include "services/Changes.h"

namespace nq {

// The pictures of the Bitmaps folder: each ".bmp" file's name without its extension, in the order
// the directory search yields them.
TStrings WallpaperNames();
// The file of a picture listed as `row`, as it is on disk; empty for a row whose name came back
// with '?' and has no 8.3 name to reach it by.
std::string WallpaperPath(const std::string& row);
// The picture the browser shows now; empty for none. Makes the Toolbar key when there is none yet.
std::string CurrentWallpaper();
// The row of `rows` that names the file of `path` (letters compared without regard to case), or -1.
int WallpaperRowOf(const TStrings& rows, const std::string& path);
// Sets the picture in `path` behind the browser's toolbar; nothing for a file that is not there.
// `done` when the value was written.
TOutcome SetWallpaper(const std::string& path, bool dryRun = false);
// Takes the picture away; `done` when there was one.
TOutcome ClearWallpaper(bool dryRun = false);

}  // namespace nq
