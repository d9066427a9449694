// The toolbar wallpaper: the pictures of the Bitmaps folder beside the program, and the one
// registry value the browser takes its toolbar background from. The browser reads it only when it
// starts.
#include "customise/Wallpaper.h"

#include "platform/shell.h"
#include "services/FileSearch.h"
#include "services/MainFunc.h"

namespace nq {
namespace {

constexpr const char* kToolbarKey = "\\Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr const char* kWallpaperValue = "backbitmapIE5";
constexpr const char* kPictureExtension = ".bmp";

std::string BitmapsFolder() { return platform::Shell().ModuleFolder() + "Bitmaps"; }

// Calls `f(entry)` for every file (not folder) of the Bitmaps folder whose name ends in ".bmp", in
// the order the search yields them. Hidden and system files are found too.
template <typename F>
void ForEachPictureFile(F f) {
  ForEachFileWithExtension(BitmapsFolder(), kPictureExtension, f);
}

// The name with its extension (from the last dot on) removed.
std::string WithoutExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The last part of a path: what follows its last backslash, slash or drive colon.
std::string FileNameOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// The picture file of a row: the Bitmaps folder, the row's text and ".bmp". On a file system that
// tells capitals from small letters, a file listed as "Sky" may be "Sky.BMP" on disk and the
// rebuilt name finds nothing; then the listed file of that name is taken, so that the preview and
// the stored value name the file that is really there. A row whose name came back with '?' is
// reached by its file's 8.3 name; without one it has no picture file (empty).
std::string PicturePath(const std::string& row) {
  const std::string folder = BitmapsFolder() + "\\";
  std::string path = folder + row + kPictureExtension;
  const bool lossy = platform::HasWildcard(row);
  if (!lossy && platform::FileSystem().FileExists(path)) return path;
  std::string onDisk;
  ForEachPictureFile([&](const platform::FindData& found) {
    const std::string& name = found.name;
    if (onDisk.empty() && name.size() == row.size() + 4 && name.compare(0, row.size(), row) == 0 &&
        SameText(name.substr(row.size()), kPictureExtension)) {
      const std::string actOn = NameToActOn(found);
      if (!actOn.empty()) onDisk = folder + actOn;
    }
  });
  if (!onDisk.empty() || lossy) return onDisk;
  return path;
}

}  // namespace

TStrings WallpaperNames() {
  TStrings rows;
  ForEachPictureFile([&](const platform::FindData& found) { rows.push_back(WithoutExtension(found.name)); });
  return rows;
}

std::string WallpaperPath(const std::string& row) { return PicturePath(row); }

std::string CurrentWallpaper() {
  // Creates the key when the account has none yet, so that setting a picture can write into it.
  return ReadStringValue(kHkeyCurrentUser, kToolbarKey, kWallpaperValue, true);
}

int WallpaperRowOf(const TStrings& rows, const std::string& path) {
  // By name alone, wherever the stored file lies and whether or not it exists.
  const std::string name = WithoutExtension(FileNameOf(path));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (SameText(rows[i], name)) return static_cast<int>(i);
  }
  return -1;
}

TOutcome SetWallpaper(const std::string& path, bool dryRun) {
  TChangeRecorder recorder(dryRun);
  if (!platform::FileSystem().FileExists(path)) return {};
  const bool written = WriteStringValue(kHkeyCurrentUser, kToolbarKey, kWallpaperValue, path);
  return {written, recorder.Take()};
}

TOutcome ClearWallpaper(bool dryRun) {
  TChangeRecorder recorder(dryRun);
  const bool deleted = DeleteNamedValue(kHkeyCurrentUser, kToolbarKey, kWallpaperValue);
  return {deleted, recorder.Take()};
}

}  // namespace nq
