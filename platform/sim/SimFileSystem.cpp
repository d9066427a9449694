#include "platform/sim/SimFileSystem.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return Fold(x) == Fold(y);
         });
}

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Fold(x) < Fold(y); });
}

// Splits a program path into its names, without drive letter and without empty names.
std::vector<std::string> SplitProgramPath(const std::string& path) {
  std::string p = path;
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) p.erase(0, 2);
  std::vector<std::string> names;
  std::string name;
  for (char c : p) {
    if (c == '\\' || c == '/') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name += c;
    }
  }
  if (!name.empty()) names.push_back(name);
  return names;
}

bool MatchFrom(const char* p, const char* n) {
  // Iterative matcher with one backtrack point for the last '*': linear in practice.
  const char* starP = nullptr;
  const char* starN = nullptr;
  while (*n != '\0') {
    if (*p == '*') {
      starP = ++p;
      starN = n;
    } else if (*p == '?' || (*p != '\0' && Fold(*p) == Fold(*n))) {
      ++p;
      ++n;
    } else if (starP != nullptr) {
      p = starP;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == '\0';
}

}  // namespace

std::string ShortName(const std::string& name) {
  if (name == "." || name == "..") return std::string();
  const std::size_t dot = name.find_last_of('.');
  const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
  const bool fits = !base.empty() && base.size() <= 8 && extension.size() <= 3 &&
                    base.find_first_of(" .+,;=[]") == std::string::npos &&
                    extension.find_first_of(" .+,;=[]") == std::string::npos;
  if (fits) return std::string();
  auto keep = [](const std::string& part, std::size_t most) {
    std::string kept;
    for (char c : part) {
      if (kept.size() == most) break;
      if (c == ' ' || c == '.') continue;
      kept += std::string(" +,;=[]").find(c) == std::string::npos ? c : '_';
    }
    for (char& c : kept) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return kept;
  };
  std::string shortName = keep(base, 6) + "~1";
  const std::string shortExtension = keep(extension, 3);
  if (!shortExtension.empty()) shortName += "." + shortExtension;
  return shortName;
}

bool MatchesPattern(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*") return true;
  if (MatchFrom(pattern.c_str(), name.c_str())) return true;
  const std::string shortName = ShortName(name);
  return !shortName.empty() && MatchFrom(pattern.c_str(), shortName.c_str());
}

fs::path HostName(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string ProgramName(const fs::path& host) {
  const std::u8string name = host.u8string();
  return std::string(name.begin(), name.end());
}

SimFileSystem::SimFileSystem(fs::path root) : root_(std::move(root)) {}
SimFileSystem::~SimFileSystem() = default;

fs::path SimFileSystem::HostPath(const std::string& path) const {
  fs::path host = root_;
  bool exact = true;  // while every name so far exists, later ones can be looked up
  for (const std::string& name : SplitProgramPath(path)) {
    if (name == "." || name == "..") {
      host /= HostName(name);
      exact = false;
      continue;
    }
    fs::path candidate = host / HostName(name);
    std::error_code ec;
    if (exact && !fs::exists(candidate, ec) && fs::is_directory(host, ec)) {
      for (const auto& entry : fs::directory_iterator(host, ec)) {
        if (EqualNoCase(ProgramName(entry.path().filename()), name)) {
          candidate = entry.path();
          break;
        }
      }
    }
    exact = exact && fs::exists(candidate, ec);
    host = candidate;
  }
  return host;
}

std::string SimFileSystem::Key(const fs::path& hostPath) {
  const std::u8string normal = hostPath.lexically_normal().generic_u8string();
  std::string key(normal.begin(), normal.end());
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  for (char& c : key) c = Fold(c);
  return key;
}

std::uint32_t SimFileSystem::HostAttributes(const fs::path& hostPath) const {
  std::error_code ec;
  const fs::file_status status = fs::status(hostPath, ec);
  if (ec || !fs::exists(status)) return kInvalidAttributes;
  std::uint32_t attributes = fs::is_directory(status) ? kFileAttributeDirectory : kFileAttributeArchive;
  const auto extra = extraBits_.find(Key(hostPath));
  if (extra != extraBits_.end()) attributes |= extra->second;
  return attributes;
}

bool SimFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  const fs::path host = HostPath(path);
  std::error_code ec;
  if (!fs::exists(host, ec)) return false;
  const std::uint32_t bits = attributes & (kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem);
  if (bits == 0) {
    extraBits_.erase(Key(host));
  } else {
    extraBits_[Key(host)] = bits;
  }
  return true;
}

std::uint32_t SimFileSystem::Attributes(const std::string& path) const { return HostAttributes(HostPath(path)); }

void SimFileSystem::ForgetAttributes(const fs::path& hostPath) {
  const std::string key = Key(hostPath);
  const std::string under = key + "/";
  std::erase_if(extraBits_, [&](const auto& item) {
    return item.first == key || item.first.compare(0, under.size(), under) == 0;
  });
}

SearchHandle SimFileSystem::FindFirst(const std::string& pattern, FindData* data) {
  std::vector<std::string> names = SplitProgramPath(pattern);
  if (names.empty() || data == nullptr) return 0;
  const std::string last = names.back();
  const std::size_t cut = pattern.find_last_of("\\/");
  const fs::path folder = HostPath(cut == std::string::npos ? std::string() : pattern.substr(0, cut));

  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return 0;
  Search search;
  if (folder != root_) {
    // Windows lists the folder itself and its parent in every folder below a drive's root.
    for (const char* dot : {".", ".."}) {
      if (MatchesPattern(last, dot)) search.entries.push_back({dot, kFileAttributeDirectory});
    }
  }
  std::vector<FindData> found;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = ProgramName(entry.path().filename());
    if (MatchesPattern(last, name)) found.push_back({name, HostAttributes(entry.path())});
  }
  if (ec) return 0;
  std::sort(found.begin(), found.end(), [](const FindData& a, const FindData& b) { return LessNoCase(a.name, b.name); });
  search.entries.insert(search.entries.end(), found.begin(), found.end());
  if (search.entries.empty()) return 0;

  *data = search.entries.front();
  search.next = 1;
  const SearchHandle handle = nextHandle_++;
  searches_.emplace(handle, std::move(search));
  return handle;
}

bool SimFileSystem::FindNext(SearchHandle handle, FindData* data) {
  const auto it = searches_.find(handle);
  if (it == searches_.end() || data == nullptr) return false;
  Search& search = it->second;
  if (search.next >= search.entries.size()) return false;
  *data = search.entries[search.next++];
  return true;
}

void SimFileSystem::FindClose(SearchHandle handle) { searches_.erase(handle); }

bool SimFileSystem::ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::string* bytes) {
  const fs::path host = HostPath(path);
  std::error_code ec;
  if (!fs::is_regular_file(host, ec) || bytes == nullptr) return false;
  std::ifstream in(host, std::ios::binary);
  if (!in) return false;
  bytes->assign(maxBytes, '\0');
  in.read(bytes->data(), static_cast<std::streamsize>(maxBytes));
  bytes->resize(static_cast<std::size_t>(in.gcount()));
  return true;
}

bool SimFileSystem::FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(HostPath(path), ec);
}

}  // namespace platform
