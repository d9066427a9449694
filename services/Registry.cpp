#include "services/Registry.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/RegFile.h"
#include "services/Changes.h"

namespace nq {
namespace {

using platform::Registry;

// Longest name an `A` call can return: 16383 characters of a value name, two bytes each in a
// double-byte code page, and the NUL.
constexpr std::size_t kLongestName = 32768;

// The subkey (or value) name at `index`. The key's reported longest name only sizes the first try:
// it counts characters, which a double-byte code page can exceed in bytes, and a name may have
// grown since it was taken; so a name that does not fit gets a bigger buffer.
long EnumName(RegKey key, std::uint32_t index, bool keys, std::vector<char>& buffer, std::string* name) {
  for (;;) {
    std::uint32_t length = static_cast<std::uint32_t>(buffer.size());
    const long error = keys ? Registry().EnumKeyEx(key, index, buffer.data(), &length)
                            : Registry().EnumValue(key, index, buffer.data(), &length);
    if (error == platform::kErrorSuccess) {
      name->assign(buffer.data(), std::min<std::size_t>(length, buffer.size()));
      return error;
    }
    if (error != platform::kErrorMoreData || buffer.size() >= kLongestName) return error;
    buffer.resize(std::min(buffer.size() * 2, kLongestName));
  }
}

// A value's data as REGEDIT4 writes it, or "-" when there is no such value.
std::string ValueText(RegKey key, const std::string& name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (Registry().QueryValueEx(key, name.c_str(), &type, nullptr, &size) != platform::kErrorSuccess) return kNone;
  std::vector<std::uint8_t> data(size);
  if (Registry().QueryValueEx(key, name.c_str(), &type, data.data(), &size) != platform::kErrorSuccess) return kNone;
  data.resize(std::min<std::size_t>(size, data.size()));
  return platform::RegDataText(type, data);
}

std::string Format(const char* pattern, const std::string& name) {
  std::string message(pattern);
  message.replace(message.find("%s"), 2, name);
  return message;
}

}  // namespace

bool SharedBetweenViews(RegKey root, const std::string& path) {
  if (root != platform::kHkeyLocalMachine) return false;
  std::string folded = path.substr(!path.empty() && path[0] == '\\' ? 1 : 0);
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  static const std::string kPolicies = "SOFTWARE\\POLICIES";
  return folded.compare(0, kPolicies.size(), kPolicies) == 0 &&
         (folded.size() == kPolicies.size() || folded[kPolicies.size()] == '\\');
}

std::string ExportRegistryKey(RegKey root, const std::string& path) {
  return platform::DumpRegText(Registry(), root, path, platform::RegValueOrder::kByName, platform::RegFormat::kRegedit5);
}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(RegKey root) {
  CloseKey();
  root_ = root;
}

void TRegistry::CloseKey() {
  if (current_ != 0) {
    Registry().CloseKey(current_);
    current_ = 0;
    path_.clear();
  }
}

RegKey TRegistry::BaseFor(const std::string& key, std::string* rest, bool* relative) const {
  *relative = key.empty() || key[0] != '\\';
  *rest = *relative ? key : key.substr(1);
  return (*relative && current_ != 0) ? current_ : root_;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  std::string rest;
  bool relative = false;
  const RegKey base = BaseFor(key, &rest, &relative);
  // CurrentPath never starts with a backslash, also below an open root, nor ends with one.
  std::string path = rest;
  if (relative && current_ != 0 && !path_.empty()) path = rest.empty() ? path_ : path_ + "\\" + rest;
  RegKey opened = 0;
  long error = Registry().OpenKeyEx(base, rest.c_str(), Access(), &opened);
  if (error == platform::kErrorFileNotFound && canCreate && !rest.empty()) {
    // A key that is made is a change; a dry run only says so, and has no key to open.
    const TChange made{.kind = TChange::TKind::Key, .root = root_, .view = view_, .path = path, .before = kNone};
    if (DryRun()) {
      RecordChange(made);
      lastOpenError_ = error;
      return false;
    }
    error = Registry().CreateKeyEx(base, rest.c_str(), Access(), &opened);
    if (error == platform::kErrorSuccess) RecordChange(made);
  }
  lastOpenError_ = error;
  if (error != platform::kErrorSuccess) return false;
  CloseKey();
  current_ = opened;
  path_ = std::move(path);
  return true;
}

std::string TRegistry::DataText(const std::string& name) { return current_ == 0 ? kNone : ValueText(current_, name); }

bool TRegistry::ValueExists(const std::string& name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  return current_ != 0 &&
         Registry().QueryValueEx(current_, name.c_str(), &type, nullptr, &size) == platform::kErrorSuccess;
}

std::string TRegistry::ReadString(const std::string& name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (current_ == 0 || Registry().QueryValueEx(current_, name.c_str(), &type, nullptr, &size) != platform::kErrorSuccess ||
      size == 0) {
    return std::string();
  }
  std::vector<std::uint8_t> buffer(size);
  if (Registry().QueryValueEx(current_, name.c_str(), &type, buffer.data(), &size) != platform::kErrorSuccess) {
    throw ERegistryException(Format("Failed to get data for '%s'", name));
  }
  if (type != platform::kRegSz && type != platform::kRegExpandSz) {
    throw ERegistryException(Format("Invalid data type for '%s'", name));
  }
  // The data need not end in a NUL: take what was read, up to the first NUL, never beyond.
  const std::size_t length = std::min<std::size_t>(size, buffer.size());
  const auto* begin = reinterpret_cast<const char*>(buffer.data());
  const void* nul = std::memchr(begin, '\0', length);
  return std::string(begin, nul ? static_cast<const char*>(nul) - begin : length);
}

std::optional<std::string> TRegistry::ReadText(const std::string& name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (current_ == 0 || Registry().QueryValueEx(current_, name.c_str(), &type, nullptr, &size) != platform::kErrorSuccess) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> buffer(size);
  if (size != 0 && Registry().QueryValueEx(current_, name.c_str(), &type, buffer.data(), &size) != platform::kErrorSuccess) {
    return std::nullopt;
  }
  const auto* begin = reinterpret_cast<const char*>(buffer.data());
  const std::string_view data(begin, std::min<std::size_t>(size, buffer.size()));
  if (type == platform::kRegSz || type == platform::kRegExpandSz) return std::string(data.substr(0, data.find('\0')));
  if (type != platform::kRegMultiSz) return std::nullopt;
  // Strings, each ending in a NUL, and an empty one to close the list; a list cut short still counts.
  std::string text;
  for (std::size_t start = 0; start < data.size();) {
    const std::size_t end = std::min(data.find('\0', start), data.size());
    if (end == start) break;
    if (!text.empty()) text += '\n';
    text.append(data.substr(start, end - start));
    start = end + 1;
  }
  return text;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  std::vector<std::uint8_t> written(value.begin(), value.end());
  written.push_back(0);
  WriteData(name, platform::kRegSz, written);
}

bool TRegistry::ReadData(const std::string& name, std::uint32_t* type, std::vector<std::uint8_t>* data) {
  std::uint32_t size = 0;
  if (current_ == 0 || Registry().QueryValueEx(current_, name.c_str(), type, nullptr, &size) != platform::kErrorSuccess) {
    return false;
  }
  data->assign(size, 0);
  if (Registry().QueryValueEx(current_, name.c_str(), type, data->data(), &size) != platform::kErrorSuccess) return false;
  data->resize(std::min<std::size_t>(size, data->size()));
  return true;
}

void TRegistry::WriteData(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
  TChange change{
      .kind = TChange::TKind::Value, .root = root_, .view = view_, .path = path_, .name = name, .before = kNone, .after = kNone};
  if (current_ != 0) {
    change.before = ValueText(current_, name);
    change.after = platform::RegDataText(type, data);
    if (DryRun()) {
      if (change.before != change.after) RecordChange(std::move(change));
      return;
    }
  }
  // RegSetValueExA takes in the byte after a string that does not end in NUL when that byte is
  // NUL: a byte that is not keeps the data exactly as given.
  std::vector<std::uint8_t> buffer(data);
  buffer.push_back(0xFF);
  const long error = current_ == 0 ? platform::kErrorInvalidHandle
                                   : Registry().SetValueEx(current_, name.c_str(), type, buffer.data(),
                                                           static_cast<std::uint32_t>(data.size()));
  // Writing what is there already changes nothing, unless the registry refuses even that.
  if (current_ != 0 && (change.before != change.after || error != platform::kErrorSuccess)) {
    change.refused = error != platform::kErrorSuccess;
    RecordChange(std::move(change));
  }
  if (error != platform::kErrorSuccess) throw ERegistryException(Format("Failed to set data for '%s'", name));
}

bool TRegistry::DeleteValue(const std::string& name) {
  if (current_ == 0) return false;
  TChange change{.kind = TChange::TKind::Value, .root = root_, .view = view_, .path = path_, .name = name,
                 .before = ValueText(current_, name), .after = kNone};
  // Data that could not be read (gone, or grown since its size was asked) is still deleted on a
  // real run; a dry run cannot say what it held and leaves it.
  if (change.before == kNone) return !DryRun() && Registry().DeleteValue(current_, name.c_str()) == platform::kErrorSuccess;
  const bool deleted = DryRun() || Registry().DeleteValue(current_, name.c_str()) == platform::kErrorSuccess;
  change.refused = !deleted;
  RecordChange(std::move(change));
  return deleted;
}

bool TRegistry::DeleteKey(const std::string& key) {
  std::string rest;
  bool relative = false;
  const RegKey base = BaseFor(key, &rest, &relative);
  std::string full = rest;
  if (relative && current_ != 0 && !path_.empty()) full = path_ + "\\" + rest;
  return DeleteKeyFrom(base, rest, full);
}

bool TRegistry::DeleteKeyFrom(RegKey base, const std::string& path, const std::string& fullPath) {
  // An empty path names the base itself: walking it would empty the whole key (a root, even)
  // and then fail to delete it. Refuse before touching anything.
  if (path.empty()) return false;
  RegKey opened = 0;
  if (Registry().OpenKeyEx(base, path.c_str(), Access(), &opened) != platform::kErrorSuccess) {
    // Gone already, or refused: Windows decides; a dry run cannot tell a refusal in advance.
    return !DryRun() &&
           Registry().DeleteKeyEx(base, path.c_str(), static_cast<std::uint32_t>(view_)) == platform::kErrorSuccess;
  }
  // What goes with the key: its values, then the key itself, each recorded once it is gone.
  TChanges gone;
  {
    const platform::TScopedRegKey key(Registry(), opened);
    std::uint32_t count = 0;
    std::uint32_t longest = 0;
    if (Registry().QueryInfoKey(key.Get(), &count, &longest, nullptr, nullptr) == platform::kErrorSuccess) {
      std::vector<char> buffer(longest + 1);
      std::string name;
      // From the last index down, so that deleting one subkey does not shift the ones still to go.
      for (std::uint32_t i = count; i-- > 0;) {
        if (EnumName(key.Get(), i, true, buffer, &name) == platform::kErrorSuccess) {
          DeleteKeyFrom(key.Get(), name, fullPath + "\\" + name);
        }
      }
    }
    if (ChangeRecorder() != nullptr) {
      std::vector<char> buffer(256);
      std::string name;
      for (std::uint32_t i = 0; EnumName(key.Get(), i, false, buffer, &name) == platform::kErrorSuccess; ++i) {
        gone.push_back({.kind = TChange::TKind::Value, .root = root_, .view = view_, .path = fullPath, .name = name,
                        .before = ValueText(key.Get(), name), .after = kNone});
      }
      gone.push_back({.kind = TChange::TKind::Key, .root = root_, .view = view_, .path = fullPath, .after = kNone});
    }
  }
  const bool deleted =
      DryRun() || Registry().DeleteKeyEx(base, path.c_str(), static_cast<std::uint32_t>(view_)) == platform::kErrorSuccess;
  for (TChange& change : gone) {
    change.refused = !deleted;
    RecordChange(std::move(change));
  }
  return deleted;
}

void TRegistry::GetNames(TStrings& list, bool keys) {
  list.clear();
  std::uint32_t subKeys = 0, longestKey = 0, values = 0, longestValue = 0;
  if (current_ == 0 ||
      Registry().QueryInfoKey(current_, &subKeys, &longestKey, &values, &longestValue) != platform::kErrorSuccess) {
    return;
  }
  const std::uint32_t count = keys ? subKeys : values;
  std::vector<char> buffer((keys ? longestKey : longestValue) + 1);
  std::string name;
  list.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    // An index that went since the count was taken is passed over.
    if (EnumName(current_, i, keys, buffer, &name) == platform::kErrorSuccess) list.push_back(name);
  }
}

void TRegistry::GetKeyNames(TStrings& list) { GetNames(list, true); }

void TRegistry::GetValueNames(TStrings& list) { GetNames(list, false); }

}  // namespace nq
