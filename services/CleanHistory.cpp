#include "services/CleanHistory.h"

#include "services/Changes.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <vector>
#include <utility>

#include "services/FileSearch.h"
#include "services/MainFunc.h"

namespace nq {
namespace {

constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kEmptyRecycleBinQuietly =
    platform::kSherbNoConfirmation | platform::kSherbNoProgressUi | platform::kSherbNoSound;

}  // namespace

std::string OleErrorText(platform::HResult code) {
  std::string text = platform::UrlHistory().ErrorText(code);
  if (!text.empty()) return text;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "OLE error %.8x", static_cast<unsigned>(code));
  return buffer;
}

bool ClearUrlHistory() {
  if (DryRun()) {
    RecordChange({.kind = TChange::TKind::History, .before = "any", .after = "empty"});
    return true;
  }
  const platform::IUrlHistory::Outcome outcome = platform::UrlHistory().ClearHistory();
  if (!outcome.created) throw EOleSysError(OleErrorText(outcome.result), outcome.result);
  if (!outcome.hasInterface) throw EOleError("Interface not supported");
  const bool cleared = outcome.result >= 0;
  RecordChange({.kind = TChange::TKind::History, .before = "any", .after = "empty", .refused = !cleared});
  return cleared;
}

namespace {

// Deletes one entry of the cache, and records it once it is gone; an entry in use stays.
void DeleteEntry(platform::IUrlCache& cache, const char* url) {
  if (DryRun() || cache.DeleteEntry(url)) {
    RecordChange({.kind = TChange::TKind::CacheEntry, .path = url, .before = "entry", .after = kNone});
  }
}

// Fetches the first entry into a buffer of exactly its size and deletes it; the walk handle, or 0
// when there is no entry or the cache cannot be read.
platform::SearchHandle DeleteFirstEntry(platform::IUrlCache& cache) {
  std::uint32_t size = 0;
  {
    // This call only learns the size; should it hand back a walk anyway, that one is closed again.
    const platform::TScopedCacheWalk probe(cache, cache.FindFirst(nullptr, &size));
  }
  std::vector<std::uint8_t> entry(size);
  const platform::SearchHandle walk = cache.FindFirst(entry.data(), &size);
  if (walk != 0) DeleteEntry(cache, platform::CacheEntrySourceUrlName(entry.data()));
  return walk;
}

}  // namespace

void ClearUrlCache() {
  platform::IUrlCache& cache = platform::UrlCache();
  const platform::TScopedCacheWalk walk(cache, DeleteFirstEntry(cache));
  if (walk.Get() == 0) return;

  for (;;) {
    std::uint32_t size = 0;
    const bool probed = cache.FindNext(walk.Get(), nullptr, &size);
    // Only a short buffer means another entry is waiting: ERROR_NO_MORE_ITEMS ends the walk, and
    // so does any other failure, which would only repeat.
    if (probed || cache.LastError() != kErrorInsufficientBuffer) break;
    std::vector<std::uint8_t> entry(size);
    if (cache.FindNext(walk.Get(), entry.data(), &size)) {
      // An entry in use stays; the walk goes on either way.
      DeleteEntry(cache, platform::CacheEntrySourceUrlName(entry.data()));
    } else if (cache.LastError() != kErrorInsufficientBuffer) {
      break;
    }
    // A short buffer here means the entry grew since the probe; the walk has not moved on, so the
    // next probe fetches it again.
  }
}

void ShellDeleteFile(platform::WindowHandle owner, const std::string& path) {
  // A list of one path: the text up to its first NUL, then two NULs, whatever the caller ended it with.
  const std::size_t length = std::min(path.find('\0'), path.size());
  // The shell would take a '*' or '?' as a wildcard and delete every file it matches.
  if (platform::HasWildcard(path.substr(0, length))) return;
  std::string target = path.substr(0, length);
  TChange change{.kind = TChange::TKind::File, .path = std::move(target), .before = "file", .after = kNone};
  if (DryRun()) {
    RecordChange(std::move(change));
    return;
  }
  std::vector<char> list(path.size() + 2, '\0');
  path.copy(list.data(), length);
  bool aborted = false;
  platform::Shell().FileOperation(owner, platform::kFoDelete, list.data(), platform::kFofNoConfirmation, &aborted);
  change.refused = platform::FileSystem().FileExists(change.path);
  RecordChange(std::move(change));
}

void RecycleFiles(platform::WindowHandle owner, const std::string& files, bool askFirst, const std::string& name) {
  // The shell reads the list up to its two closing NULs: rebuilt here, the list always has them, so
  // the shell never reads past its end. A path with '*' or '?' is left out: the shell would take
  // it as a wildcard and recycle every file it matches.
  std::string list;
  TChanges recycled;
  for (std::size_t start = 0; start < files.size() && files[start] != '\0';) {
    const std::size_t end = std::min(files.find('\0', start), files.size());
    const std::string path = files.substr(start, end - start);
    if (!platform::HasWildcard(path)) {
      list.append(path).push_back('\0');
      recycled.push_back({.kind = TChange::TKind::File, .path = path, .name = name, .before = "file", .after = "Recycle Bin"});
    }
    start = end + 1;
  }
  if (list.empty()) return;  // no path: nothing to ask the shell
  if (!DryRun()) {
    list.push_back('\0');
    bool aborted = false;
    const std::uint16_t flags = askFirst ? platform::kFofAllowUndo : platform::kFofAllowUndo | platform::kFofNoConfirmation;
    platform::Shell().FileOperation(owner, platform::kFoDelete, list.data(), flags, &aborted);
    // Told no, or failed: a file or folder still there was not recycled.
    for (TChange& change : recycled) {
      change.refused = platform::FileSystem().FileExists(change.path) || FolderExists(change.path);
    }
  }
  for (TChange& change : recycled) RecordChange(std::move(change));
}

void EmptyRecycleBin(const TReportFailure& reportFailure) {
  const TChange emptied{.kind = TChange::TKind::RecycleBin, .before = "any", .after = "empty"};
  if (DryRun()) {
    RecordChange(emptied);
    return;
  }
  platform::IShell& shell = platform::Shell();
  const platform::TScopedLibrary library(shell, shell.LoadLibrary("Shell32.dll"));
  if (library.Get() == 0) {
    if (reportFailure) reportFailure("Failed to load Shell32.dll.");
    return;
  }
  void* entryPoint = shell.GetProcAddress(library.Get(), "SHEmptyRecycleBinA");
  if (entryPoint == nullptr) return;
  const auto emptyRecycleBin = reinterpret_cast<platform::EmptyRecycleBinProc>(entryPoint);
  // Its result is no guide: Windows answers an error for bins that were empty already.
  emptyRecycleBin(platform::OwnerWindow(), "", kEmptyRecycleBinQuietly);
  RecordChange(emptied);
}

void ClearRecentLinks() {
  const std::string folder = GetShellFolder("Recent");
  // Hidden and system links are found too; folders are passed over. Without a Recent folder
  // nothing is searched.
  ForEachFileWithExtension(folder, ".lnk", [&folder](const platform::FindData& entry) {
    const std::string name = NameToActOn(entry);
    if (name.empty()) return;  // no name that stands for this link alone
    try {
      std::string path = folder + "\\" + name;
      path.append(2, '\0');
      ShellDeleteFile(0, path);
    } catch (const std::exception&) {
      // One link that cannot be deleted must not keep the others.
    }
  });
}

}  // namespace nq
