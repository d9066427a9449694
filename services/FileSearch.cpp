#include "services/FileSearch.h"

namespace nq {

bool HasExtension(const std::string& name, const std::string& extension) {
  if (name.size() < extension.size()) return false;
  const std::size_t start = name.size() - extension.size();
  for (std::size_t i = 0; i < extension.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(name[start + i]) != lower(extension[i])) return false;
  }
  return true;
}

bool FolderExists(const std::string& path) {
  if (path.empty() || platform::HasWildcard(path)) return false;
  platform::FindData entry;
  const TFileSearch search(platform::FileSystem(), path, &entry);
  return search.Found() && (entry.attributes & platform::kFileAttributeDirectory) != 0;
}

std::string NameToActOn(const std::string& name, const std::string& shortName) {
  if (!platform::HasWildcard(name)) return name;
  if (!shortName.empty() && !platform::HasWildcard(shortName)) return shortName;
  return std::string();
}

}  // namespace nq
