// The directory search and file reading of the native build, on a real folder tree: the program's
// paths ("C:\Documents\Recent\a.lnk", "\Cookies\*.txt") are mapped onto a root folder, with the
// drive letter dropped and backslashes taken as separators. Names match without regard to case, as
// on Windows, whatever the host's own file system does.
//
// The tree itself has no hidden or system files, so those bits live in a side table that tests set
// with SetAttributes; the directory and archive bits come from what an entry is.
//
// Names are UTF-8 on both sides, as with the UTF-8 process code page. A switch models a system that
// ignores it: the search then gives every letter outside the Western European code page back as
// '?', as the 8-bit calls do there, and only the entry's 8.3 name still names the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/shell.h"

namespace platform {

class SimFileSystem final : public IFileSystem {
 public:
  explicit SimFileSystem(std::filesystem::path root);
  ~SimFileSystem() override;

  // Entries come in name order (ignoring case), "." and ".." first when the pattern matches them.
  SearchHandle FindFirst(const std::string& pattern, FindData* data) override;
  bool FindNext(SearchHandle search, FindData* data) override;
  void FindClose(SearchHandle search) override;
  // Both refuse a path with '*' or '?', as the real calls do (ERROR_INVALID_NAME).
  bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::string* bytes) override;
  // True for a file, false for a folder or nothing.
  bool FileExists(const std::string& path) override;

  // Where a program path lies in the tree. Each name is looked up without regard to case, then as
  // an 8.3 name; a name that is not there yet is kept as given.
  std::filesystem::path HostPath(const std::string& path) const;
  // The entries a pattern's last name matches (by long or 8.3 name), in search order, without "."
  // and "..": what the shell's file operation takes a wildcard for.
  std::vector<std::filesystem::path> HostMatches(const std::string& pattern) const;

  // The lossy code page: letters outside the Western European one (above U+00FF) come back from
  // the search as '?' each.
  void SetLossyCodePage(bool lossy) { lossyCodePage_ = lossy; }
  // Whether the volume makes 8.3 names (it does by default); without them a lossy name has nothing
  // that still names its file.
  void SetShortNames(bool made) { shortNames_ = made; }
  // The 8.3 name the volume gave an entry, empty when its name is a valid 8.3 one or none is made.
  std::string ShortNameOf(const std::string& path) const;
  const std::filesystem::path& Root() const { return root_; }

  // Sets the read-only, hidden and system bits of an existing entry (other bits are ignored).
  // Returns false when there is no such entry.
  bool SetAttributes(const std::string& path, std::uint32_t attributes);
  // The entry's attributes as the search reports them, kInvalidAttributes when it does not exist.
  static constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFFu;
  std::uint32_t Attributes(const std::string& path) const;
  // Drops the side-table bits of an entry and everything under it, once it has been removed or
  // moved away (the shell substitute calls this).
  void ForgetAttributes(const std::filesystem::path& hostPath);

  // Searches not closed yet; tests use it to prove that every search was closed.
  std::size_t OpenSearchCount() const { return searches_.size(); }

 private:
  struct Search {
    std::vector<FindData> entries;
    std::size_t next = 0;
  };
  struct Entry {
    std::filesystem::path host;
    std::string name, shortName;
  };
  std::uint32_t HostAttributes(const std::filesystem::path& hostPath) const;
  static std::string Key(const std::filesystem::path& hostPath);
  // A folder's entries in name order, each with its 8.3 name when the volume makes one.
  std::vector<Entry> Entries(const std::filesystem::path& folder) const;
  std::vector<Entry> MatchingEntries(const std::string& pattern, std::filesystem::path* folder) const;

  std::filesystem::path root_;
  std::unordered_map<std::string, std::uint32_t> extraBits_;  // by folded host path
  std::map<SearchHandle, Search> searches_;
  SearchHandle nextHandle_ = 0x1000;
  bool lossyCodePage_ = false;
  bool shortNames_ = true;
};

// Wildcard matching of a search pattern's last name, as FindFirstFile does it: '*' any run of
// characters, '?' any one character, letters without regard to case; "*.*" matches every name.
// Windows also tries the entry's generated 8.3 name, so "*.lnk" finds "a.lnkx" (short name
// "A~1.LNK"): callers that want one extension must check the name they get.
bool MatchesPattern(const std::string& pattern, const std::string& name);
// The 8.3 name Windows would generate for a long name ("A~1.LNK" for "a.lnkx"), empty when the
// name is a valid 8.3 name already. Letters outside ASCII become '_'. `tail` is the number after
// the '~': a folder counts up past the ones its other entries took.
std::string ShortName(const std::string& name, int tail = 1);
// A program text (UTF-8) as a host path, and back: a name goes into and comes out of a host path
// as UTF-8 whatever narrow encoding the C++ library assumes (mingw's reads each byte of a narrow
// path as one character, which garbles every name outside ASCII).
std::filesystem::path Utf8Path(const std::string& text);
std::string Utf8Text(const std::filesystem::path& path);
// A UTF-8 name as the lossy code page gives it back: each letter above U+00FF as '?'.
std::string LossyName(const std::string& name);

}  // namespace platform
