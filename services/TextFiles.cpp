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
  const std::string beside = path + ".new";
  const std::string backup = path + ".old";
  TChange arrived{.kind = TChange::TKind::File, .path = path, .before = "file", .after = "file"};
  platform::IFiles& files = platform::Files();
  platform::IFileSystem& fileSystem = platform::FileSystem();
  // A new file left by a run that was cut short (the old file was still in place) goes to the
  // Recycle Bin, said like every other change.
  if (fileSystem.FileExists(beside)) RecycleFiles(platform::OwnerWindow(), beside + '\0', false);
  if (DryRun()) {
    RecordChange(std::move(arrived));
    RecycleFiles(platform::OwnerWindow(), backup + '\0', false);
    return true;
  }
  if (fileSystem.FileExists(beside) || !files.WriteNewFile(beside, text)) {
    arrived.refused = true;
    RecordChange(std::move(arrived));
    return false;
  }
  // One step swaps the new text in and keeps the old under the backup's name: at no moment is
  // there no file at `path`.
  const std::uint32_t error = files.ReplaceFile(path, beside, backup);
  if (error != 0) {
    // Put the old file back where the system left it under the backup's name.
    if (error == platform::kErrorUnableToMoveReplacement2) files.MoveFileEx(backup, path, 0);
    files.DeleteFile(beside);
    arrived.refused = true;
    RecordChange(std::move(arrived));
    return false;
  }
  RecordChange(std::move(arrived));
  RecycleFiles(platform::OwnerWindow(), backup + '\0', false);
  return true;
}

namespace {

bool Made(TChange change, bool made, const std::string& whyRefused) {
  if (!made) {
    change.refused = true;
    change.why = whyRefused;
  }
  RecordChange(std::move(change));
  return made;
}

}  // namespace

bool WriteNewFile(const std::string& path, const std::string& bytes, const std::string& whyRefused) {
  return Made({.kind = TChange::TKind::File, .path = path, .before = kNone, .after = "file"},
              DryRun() || platform::Files().WriteNewFile(path, bytes), whyRefused);
}

bool MakeFolder(const std::string& path, const std::string& whyRefused) {
  return Made({.kind = TChange::TKind::File, .path = path, .before = kNone, .after = "folder"},
              DryRun() || platform::Files().CreateDirectory(path), whyRefused);
}

}  // namespace nq
