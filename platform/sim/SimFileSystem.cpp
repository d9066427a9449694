#include "platform/sim/SimFileSystem.h"

#include <algorithm>
#include "platform/text.h"
#include <cctype>
#include <fstream>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

using platform::EqualNoCase;
using platform::LessNoCase;

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

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// '?' stands for one letter, so it takes a whole UTF-8 sequence, as Windows matches UTF-16 names.
const char* NextLetter(const char* n) {
  ++n;
  while (IsContinuation(*n)) ++n;
  return n;
}

bool MatchFrom(const char* p, const char* n) {
  // Iterative matcher with one backtrack point for the last '*': linear in practice.
  const char* starP = nullptr;
  const char* starN = nullptr;
  while (*n != '\0') {
    if (*p == '*') {
      starP = ++p;
      starN = n;
    } else if (*p == '?') {
      ++p;
      n = NextLetter(n);
    } else if (*p != '\0' && platform::FoldedLetter(*p) == platform::FoldedLetter(*n)) {
      ++p;
      ++n;
    } else if (starP != nullptr) {
      p = starP;
      n = starN = NextLetter(starN);
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == '\0';
}

bool Matches(const std::string& pattern, const std::string& name, const std::string& shortName) {
  return pattern == "*.*" || MatchFrom(pattern.c_str(), name.c_str()) ||
         (!shortName.empty() && MatchFrom(pattern.c_str(), shortName.c_str()));
}

}  // namespace

std::string ShortName(const std::string& name, int tail) {
  if (name == "." || name == "..") return std::string();
  const std::size_t dot = name.find_last_of('.');
  const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
  const auto ascii = [](const std::string& part) {
    return std::all_of(part.begin(), part.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  };
  const bool fits = !base.empty() && base.size() <= 8 && extension.size() <= 3 && ascii(base) && ascii(extension) &&
                    base.find_first_of(" .+,;=[]") == std::string::npos &&
                    extension.find_first_of(" .+,;=[]") == std::string::npos;
  if (fits) return std::string();
  auto keep = [](const std::string& part, std::size_t most) {
    std::string kept;
    for (char c : part) {
      if (kept.size() == most) break;
      if (c == ' ' || c == '.' || IsContinuation(c)) continue;
      if (static_cast<unsigned char>(c) >= 0x80) c = '_';  // a letter outside ASCII, once per letter
      kept += std::string(" +,;=[]").find(c) == std::string::npos ? c : '_';
    }
    for (char& c : kept) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return kept;
  };
  std::string number = "~";
  number += std::to_string(tail);
  std::string shortName = keep(base, 8 - number.size()) + number;
  const std::string shortExtension = keep(extension, 3);
  if (!shortExtension.empty()) shortName += "." + shortExtension;
  return shortName;
}

std::string LossyName(const std::string& name) {
  std::string lossy;
  for (std::size_t i = 0; i < name.size();) {
    const auto lead = static_cast<unsigned char>(name[i]);
    std::size_t length = 1;
    if (lead >= 0xC0) {
      while (i + length < name.size() && IsContinuation(name[i + length])) ++length;
    }
    // U+0000 to U+00FF take at most two bytes, led by 0xC2 or 0xC3.
    const bool kept = lead < 0x80 || lead == 0xC2 || lead == 0xC3;
    lossy += kept ? name.substr(i, length) : std::string("?");
    i += length;
  }
  return lossy;
}

fs::path Utf8Path(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

std::string Utf8Text(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

bool MatchesPattern(const std::string& pattern, const std::string& name) {
  return Matches(pattern, name, ShortName(name));
}

SimFileSystem::SimFileSystem(fs::path root) : root_(std::move(root)) {}
SimFileSystem::~SimFileSystem() = default;

fs::path SimFileSystem::HostPath(const std::string& path) const {
  fs::path host = root_;
  bool exact = true;  // while every name so far exists, later ones can be looked up
  for (const std::string& name : SplitProgramPath(path)) {
    if (name == "." || name == "..") {
      host /= Utf8Path(name);
      exact = false;
      continue;
    }
    fs::path candidate = host / Utf8Path(name);
    std::error_code ec;
    if (exact && !fs::exists(candidate, ec) && fs::is_directory(host, ec)) {
      bool found = false;
      for (const auto& entry : fs::directory_iterator(host, ec)) {
        if (EqualNoCase(Utf8Text(entry.path().filename()), name)) {
          candidate = entry.path();
          found = true;
          break;
        }
      }
      // A generated short name always has its "~n": any other name needs no short names made.
      if (!found && shortNames_ && name.find('~') != std::string::npos) {
        for (const Entry& entry : Entries(host)) {
          if (!entry.shortName.empty() && EqualNoCase(entry.shortName, name)) {
            candidate = entry.host;
            break;
          }
        }
      }
    }
    exact = exact && fs::exists(candidate, ec);
    host = candidate;
  }
  return host;
}

std::vector<SimFileSystem::Entry> SimFileSystem::Entries(const fs::path& folder) const {
  std::vector<Entry> entries;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(folder, ec)) {
    entries.push_back(Entry{item.path(), Utf8Text(item.path().filename()), std::string()});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return LessNoCase(a.name, b.name); });
  if (!shortNames_) return entries;
  // Each entry that needs an 8.3 name takes the first "~n" that no other name of the folder has.
  std::vector<std::string> taken;
  for (const Entry& entry : entries) {
    if (ShortName(entry.name).empty()) taken.push_back(entry.name);
  }
  const auto free = [&taken](const std::string& name) {
    return std::none_of(taken.begin(), taken.end(), [&name](const std::string& t) { return EqualNoCase(t, name); });
  };
  for (Entry& entry : entries) {
    if (ShortName(entry.name).empty()) continue;
    int tail = 1;
    while (!free(ShortName(entry.name, tail))) ++tail;
    entry.shortName = ShortName(entry.name, tail);
    taken.push_back(entry.shortName);
  }
  return entries;
}

std::vector<SimFileSystem::Entry> SimFileSystem::MatchingEntries(const std::string& pattern, fs::path* folder) const {
  const std::vector<std::string> names = SplitProgramPath(pattern);
  if (names.empty()) return {};
  const std::size_t cut = pattern.find_last_of("\\/");
  *folder = HostPath(cut == std::string::npos ? std::string() : pattern.substr(0, cut));
  std::error_code ec;
  if (!fs::is_directory(*folder, ec)) return {};
  std::vector<Entry> found = Entries(*folder);
  std::erase_if(found, [&](const Entry& entry) { return !Matches(names.back(), entry.name, entry.shortName); });
  return found;
}

std::vector<fs::path> SimFileSystem::HostMatches(const std::string& pattern) const {
  fs::path folder;
  std::vector<fs::path> hosts;
  for (const Entry& entry : MatchingEntries(pattern, &folder)) hosts.push_back(entry.host);
  return hosts;
}

std::string SimFileSystem::ShortNameOf(const std::string& path) const {
  const fs::path host = HostPath(path);
  for (const Entry& entry : Entries(host.parent_path())) {
    if (entry.host == host) return entry.shortName;
  }
  return std::string();
}

std::string SimFileSystem::Key(const fs::path& hostPath) {
  const std::u8string generic = hostPath.lexically_normal().generic_u8string();
  std::string key(generic.begin(), generic.end());
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  for (char& c : key) c = platform::FoldedLetter(c);
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
  if (data == nullptr) return 0;
  fs::path folder;
  const std::vector<Entry> found = MatchingEntries(pattern, &folder);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return 0;
  Search search;
  if (folder != root_) {
    // Windows lists the folder itself and its parent in every folder below a drive's root.
    const std::vector<std::string> names = SplitProgramPath(pattern);
    for (const char* dot : {".", ".."}) {
      if (MatchesPattern(names.back(), dot)) search.entries.push_back({dot, kFileAttributeDirectory, std::string()});
    }
  }
  for (const Entry& entry : found) {
    search.entries.push_back(
        {lossyCodePage_ ? LossyName(entry.name) : entry.name, HostAttributes(entry.host), entry.shortName});
  }
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
  if (HasWildcard(path)) return false;
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
  if (HasWildcard(path)) return false;
  std::error_code ec;
  return fs::is_regular_file(HostPath(path), ec);
}

}  // namespace platform
