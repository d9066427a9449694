// Whole-registry and whole-folder snapshots, and the differences between two of them: the ground
// of the blast-radius tests, which prove that a command changes exactly its targets.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace nqtest {

inline std::string FoldName(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

struct ValueSnap {
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  bool operator==(const ValueSnap& o) const { return type == o.type && data == o.data; }
};

struct KeySnap {
  std::string path;  // "HKCU\Software\..."
  std::map<std::string, ValueSnap> values;  // by folded name
};

// Keys by folded full path ("HKCU\SOFTWARE\...").
using RegistrySnapshot = std::map<std::string, KeySnap>;

inline void SnapKey(platform::IRegistry& reg, platform::RegKey key, const std::string& path, RegistrySnapshot& out) {
  KeySnap& snap = out[FoldName(path)];
  snap.path = path;
  char name[17000];
  for (std::uint32_t i = 0;; ++i) {
    std::uint32_t length = sizeof name;
    if (reg.EnumValue(key, i, name, &length) != platform::kErrorSuccess) break;
    ValueSnap v;
    v.name.assign(name, length);
    std::uint32_t size = 0;
    reg.QueryValueEx(key, v.name.c_str(), &v.type, nullptr, &size);
    v.data.resize(size);
    reg.QueryValueEx(key, v.name.c_str(), &v.type, v.data.data(), &size);
    snap.values[FoldName(v.name)] = std::move(v);
  }
  std::vector<std::string> subkeys;
  for (std::uint32_t i = 0;; ++i) {
    std::uint32_t length = sizeof name;
    if (reg.EnumKeyEx(key, i, name, &length) != platform::kErrorSuccess) break;
    subkeys.emplace_back(name, length);
  }
  for (const std::string& sub : subkeys) {
    platform::RegKey child = 0;
    if (reg.OpenKeyEx(key, sub.c_str(), platform::kKeyRead, &child) != platform::kErrorSuccess) continue;
    SnapKey(reg, child, path + "\\" + sub, out);
    reg.CloseKey(child);
  }
}

inline RegistrySnapshot SnapRegistry(platform::IRegistry& reg) {
  RegistrySnapshot out;
  const std::pair<platform::RegKey, const char*> roots[] = {
      {platform::kHkeyClassesRoot, "HKCR"}, {platform::kHkeyCurrentUser, "HKCU"}, {platform::kHkeyLocalMachine, "HKLM"}};
  for (const auto& [root, name] : roots) SnapKey(reg, root, name, out);
  return out;
}

// One difference between two snapshots.
struct Change {
  enum Kind { KeyRemoved, KeyAdded, ValueRemoved, ValueAdded, ValueChanged } kind;
  std::string key;    // full path as it was spelt
  std::string value;  // value name, for value changes
  std::string Describe() const {
    static const char* kinds[] = {"key removed", "key added", "value removed", "value added", "value changed"};
    return std::string(kinds[kind]) + ": " + key + (kind >= ValueRemoved ? " [" + value + "]" : "");
  }
};

inline std::vector<Change> Diff(const RegistrySnapshot& before, const RegistrySnapshot& after) {
  std::vector<Change> changes;
  for (const auto& [folded, key] : before) {
    auto it = after.find(folded);
    if (it == after.end()) {
      changes.push_back({Change::KeyRemoved, key.path, ""});
      continue;
    }
    for (const auto& [vfold, value] : key.values) {
      auto v = it->second.values.find(vfold);
      if (v == it->second.values.end()) changes.push_back({Change::ValueRemoved, key.path, value.name});
      else if (!(v->second == value)) changes.push_back({Change::ValueChanged, key.path, value.name});
    }
    for (const auto& [vfold, value] : it->second.values) {
      if (!key.values.count(vfold)) changes.push_back({Change::ValueAdded, key.path, value.name});
    }
  }
  for (const auto& [folded, key] : after) {
    if (!before.count(folded)) changes.push_back({Change::KeyAdded, key.path, ""});
  }
  return changes;
}

// Every file under `root` with its size, by path relative to the root.
inline std::map<std::string, std::uintmax_t> SnapFiles(const std::filesystem::path& root) {
  std::map<std::string, std::uintmax_t> files;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    const std::u8string rel = std::filesystem::relative(it->path(), root).generic_u8string();
    files[std::string(rel.begin(), rel.end())] = it->is_regular_file() ? it->file_size() : static_cast<std::uintmax_t>(-1);
  }
  return files;
}

}  // namespace nqtest
