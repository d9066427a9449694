#include "services/TextFiles.h"

#include "platform/files.h"
#include "services/Changes.h"
#include "services/CleanHistory.h"

namespace nq {

bool ReadTextFile(const std::string& path, std::size_t maxBytes, std::string* text) {
  if (platform::HasWildcard(path)) return false;
  return platform::Files().ReadWholeFile(path, maxBytes, text);
}

bool ReplaceTextFile(const std::string& path, const std::string& text) {
  // '*' or '?' names no one file; the shell would take it as a wildcard.
  if (path.empty() || platform::HasWildcard(path)) return false;
  TChange arrived{TChange::TKind::File, 0, TRegView::Default, path, "", kNone, "file"};
  const std::string list = path + '\0';
  if (DryRun()) {
    RecycleFiles(platform::OwnerWindow(), list, false);
    RecordChange(std::move(arrived));
    return true;
  }
  platform::IFiles& files = platform::Files();
  // A new file of the program's own left by a run that was cut short is stale: it goes first.
  const std::string beside = path + ".new";
  files.DeleteFile(beside);
  if (!files.WriteNewFile(beside, text)) {
    RecordChange({TChange::TKind::File, 0, TRegView::Default, path, "", "file", "file", true});
    return false;
  }
  RecycleFiles(platform::OwnerWindow(), list, false);
  if (platform::FileSystem().FileExists(path)) {
    // Not recycled (recorded as refused): the old file stays, the new one goes.
    files.DeleteFile(beside);
    return false;
  }
  arrived.refused = !files.MoveFileEx(beside, path, platform::kMoveFileReplaceExisting | platform::kMoveFileWriteThrough);
  const bool moved = !arrived.refused;
  RecordChange(std::move(arrived));
  return moved;
}

}  // namespace nq
