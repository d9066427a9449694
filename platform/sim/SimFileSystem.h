// The directory search and file reading of the native build, on a real folder tree: the program's
// paths ("C:\Documents\Recent\a.lnk", "\Cookies\*.txt") are mapped onto a root folder, with the
// drive letter dropped and backslashes taken as separators. Names match without regard to case, as
// on Windows, whatever the host's own file system does.
//
// The tree itself has no hidden or system files, so those bits live in a side table that tests set
// with SetAttributes; the directory and archive bits come from what an entry is.
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
  bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::string* bytes) override;
  // True for a file, false for a folder or nothing.
  bool FileExists(const std::string& path) override;

  // Where a program path lies in the tree. Each name is looked up without regard to case; a name
  // that is not there yet is kept as given.
  std::filesystem::path HostPath(const std::string& path) const;
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
  std::uint32_t HostAttributes(const std::filesystem::path& hostPath) const;
  static std::string Key(const std::filesystem::path& hostPath);

  std::filesystem::path root_;
  std::unordered_map<std::string, std::uint32_t> extraBits_;  // by folded host path
  std::map<SearchHandle, Search> searches_;
  SearchHandle nextHandle_ = 0x1000;
};

// The program's names are UTF-8, and so are the tree's on the host: a name goes into and comes out
// of a host path as UTF-8 whatever narrow encoding the C++ library assumes (mingw's reads each byte
// of a narrow path as one character, which garbles every name outside ASCII).
std::filesystem::path HostName(const std::string& utf8);
std::string ProgramName(const std::filesystem::path& host);

// Wildcard matching of a search pattern's last name, as FindFirstFile does it: '*' any run of
// characters, '?' any one character, letters without regard to case; "*.*" matches every name.
// Windows also tries the entry's generated 8.3 name, so "*.lnk" finds "a.lnkx" (short name
// "A~1.LNK"): callers that want one extension must check the name they get.
bool MatchesPattern(const std::string& pattern, const std::string& name);
// The 8.3 name Windows would generate for a long name ("A~1.LNK" for "a.lnkx"), empty when the
// name is a valid 8.3 name already. The "~1" is a guess: Windows counts up on collisions.
std::string ShortName(const std::string& name);

}  // namespace platform
