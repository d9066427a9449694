// The directory search as the pages use it: the files of one folder with one extension.
#pragma once

#include <string>

#include "platform/shell.h"

namespace nq {

// True when `name` ends in `extension` (".txt"), in any letter case.
bool HasExtension(const std::string& name, const std::string& extension);

// The name to open, delete or recycle a found file by: its own, or, when that came back with '?'
// for letters the code page lacks, its 8.3 name. Empty when neither names that one file; the file
// is then left alone, since the shell and the search would take the '?' as a wildcard.
std::string NameToActOn(const std::string& name, const std::string& shortName);
inline std::string NameToActOn(const platform::FindData& entry) { return NameToActOn(entry.name, entry.shortName); }

// One search of the directory-search back end over `pattern`, with its first entry in `data`;
// closed on every path.
class TFileSearch {
 public:
  TFileSearch(platform::IFileSystem& fs, const std::string& pattern, platform::FindData* data)
      : search_(fs, fs.FindFirst(pattern, data)), fs_(fs) {}
  [[nodiscard]] bool Found() const { return search_.IsValid(); }
  [[nodiscard]] bool Next(platform::FindData* data) { return fs_.FindNext(search_.Get(), data); }

 private:
  platform::TScopedFileSearch search_;
  platform::IFileSystem& fs_;
};

// True for an existing folder (FileSystem().FileExists answers for files only); false for a path
// with a wildcard, which names no one folder.
bool FolderExists(const std::string& path);

// Calls `f(entry)` for every file (not folder) of `folder` whose name ends in `extension`, hidden and
// system files included, in the order the search yields them. The search also matches generated
// 8.3 names ("*.txt" finds "a.txtold" as "A~1.TXT"), so the real name is checked again. With an
// empty `folder` nothing is searched: "\*.txt" would be the top of the current drive. Nor is a
// folder whose name came back with '?': the pattern would stand for other folders.
template <typename F>
void ForEachFileWithExtension(const std::string& folder, const std::string& extension, F&& f) {
  if (folder.empty() || platform::HasWildcard(folder)) return;
  platform::FindData entry;
  TFileSearch search(platform::FileSystem(), folder + "\\*" + extension, &entry);
  if (!search.Found()) return;
  do {
    if ((entry.attributes & platform::kFileAttributeDirectory) != 0 || !HasExtension(entry.name, extension)) continue;
    f(entry);
  } while (search.Next(&entry));
}

}  // namespace nq
