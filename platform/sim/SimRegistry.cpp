#include "platform/sim/SimRegistry.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

// The registry compares names by folding them to capitals.
std::string Fold(const std::string& s) {
  std::string r(s);
  for (char& c : r) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return r;
}

int RootIndex(RegKey root) { return static_cast<int>(root - kHkeyClassesRoot); }

// Splits "a\b\c" into its names; an empty name (a doubled backslash) makes the path invalid.
bool SplitPath(const char* path, std::vector<std::string>* names) {
  names->clear();
  if (path == nullptr || *path == '\0') return true;
  std::string p(path);
  // Windows tolerates one trailing backslash.
  if (!p.empty() && p.back() == '\\') p.pop_back();
  std::size_t start = 0;
  while (start <= p.size()) {
    std::size_t end = p.find('\\', start);
    if (end == std::string::npos) end = p.size();
    if (end == start) return false;
    names->push_back(p.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

long CopyName(const std::string& name, char* buffer, std::uint32_t* length) {
  if (length == nullptr || buffer == nullptr) return kErrorInvalidParameter;
  if (name.size() + 1 > *length) return kErrorMoreData;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *length = static_cast<std::uint32_t>(name.size());
  return kErrorSuccess;
}

// The keys under HKEY_LOCAL_MACHINE\Software that Windows (and Wine) shares between the 64-bit and
// the 32-bit view; every other one is kept apart.
constexpr const char* kSharedSoftwareKeys[] = {"POLICIES"};

// The 32-bit view of HKEY_LOCAL_MACHINE\Software lives in "Software\Wow6432Node": a path from that
// root opened in that view is turned into the path it really names. A path that already goes
// through Wow6432Node, or into a shared key, stays as it is.
void ApplyView(RegKey base, std::uint32_t access, std::vector<std::string>* names) {
  if (base != kHkeyLocalMachine || (access & kKeyWow64Res) != kKeyWow64_32Key) return;
  if (names->empty() || Fold((*names)[0]) != "SOFTWARE") return;
  if (names->size() > 1) {
    const std::string next = Fold((*names)[1]);
    if (next == "WOW6432NODE") return;
    for (const char* shared : kSharedSoftwareKeys) {
      if (next == shared) return;
    }
  }
  names->insert(names->begin() + 1, "Wow6432Node");
}

}  // namespace

struct SimRegistry::Node {
  struct Value {
    std::string name;
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
  };

  std::string name;
  Node* parent = nullptr;
  bool deleted = false;
  // Subkeys by folded name: a std::map keeps them in the registry's name order.
  std::map<std::string, std::shared_ptr<Node>> subkeys;
  // Values in creation order; the index maps a folded name to its place.
  std::vector<Value> values;
  std::unordered_map<std::string, std::size_t> valueIndex;
  // Subkeys in name order for enumeration by index, rebuilt after a change.
  mutable std::vector<Node*> order;
  mutable bool orderValid = true;

  const std::vector<Node*>& Ordered() const {
    if (!orderValid) {
      order.clear();
      order.reserve(subkeys.size());
      for (const auto& [folded, child] : subkeys) order.push_back(child.get());
      orderValid = true;
    }
    return order;
  }

  Value* FindValue(const char* valueName) {
    auto it = valueIndex.find(Fold(valueName ? valueName : ""));
    return it == valueIndex.end() ? nullptr : &values[it->second];
  }

  void MarkDeleted() {
    deleted = true;
    for (auto& [folded, child] : subkeys) child->MarkDeleted();
  }
};

SimRegistry::SimRegistry() { Clear(); }

SimRegistry::~SimRegistry() = default;

void SimRegistry::Clear() {
  handles_.clear();
  for (auto& root : roots_) root = std::make_shared<Node>();
  // As on every 64-bit Windows, the machine's software key holds the 32-bit view's own copy.
  auto software = std::make_shared<Node>();
  software->name = "Software";
  software->parent = roots_[RootIndex(kHkeyLocalMachine)].get();
  auto wow = std::make_shared<Node>();
  wow->name = "Wow6432Node";
  wow->parent = software.get();
  software->subkeys.emplace("WOW6432NODE", wow);
  software->orderValid = false;
  roots_[RootIndex(kHkeyLocalMachine)]->subkeys.emplace("SOFTWARE", software);
  roots_[RootIndex(kHkeyLocalMachine)]->orderValid = false;
}

void SimRegistry::SetReadOnly(RegKey root, bool readOnly) {
  if (IsRootKey(root)) readOnly_[RootIndex(root)] = readOnly;
}

bool SimRegistry::Writable(RegKey root) const { return !readOnly_[RootIndex(root)]; }

RegKey SimRegistry::RootOf(RegKey key) const {
  if (IsRootKey(key)) return key;
  auto it = handles_.find(key);
  return it == handles_.end() ? 0 : it->second.root;
}

SimRegistry::Node* SimRegistry::NodeOf(RegKey key, long* error, std::uint32_t needed) const {
  if (IsRootKey(key)) return roots_[RootIndex(key)].get();
  auto it = handles_.find(key);
  if (it == handles_.end()) {
    *error = kErrorInvalidHandle;
    return nullptr;
  }
  if (it->second.node->deleted) {
    *error = kErrorKeyDeleted;
    return nullptr;
  }
  if ((it->second.access & needed) != needed) {
    *error = kErrorAccessDenied;
    return nullptr;
  }
  return it->second.node.get();
}

long SimRegistry::Resolve(RegKey base, const char* subKey, bool create, std::uint32_t access, RegKey* result) {
  if (result == nullptr) return kErrorInvalidParameter;
  long error = kErrorSuccess;
  Node* node = NodeOf(base, &error);
  if (node == nullptr) return error;
  if (subKey != nullptr && subKey[0] == '\\') return kErrorBadPathname;
  std::vector<std::string> names;
  if (!SplitPath(subKey, &names)) return kErrorBadPathname;
  ApplyView(base, access, &names);
  RegKey root = RootOf(base);
  // Creating is refused outright on a read-only root; opening only once the key is found, so that
  // a missing key reads as missing there too.
  const bool refused = (access & kKeyWriteRights) != 0 && !Writable(root);
  if (create && refused) return kErrorAccessDenied;

  // Find the whole path first, so that a refused or failed call creates nothing.
  std::shared_ptr<Node> current;
  if (IsRootKey(base)) {
    current = roots_[RootIndex(base)];
  } else {
    current = handles_.at(base).node;
  }
  std::size_t found = 0;
  for (; found < names.size(); ++found) {
    auto it = current->subkeys.find(Fold(names[found]));
    if (it == current->subkeys.end()) break;
    current = it->second;
  }
  if (found < names.size()) {
    if (!create) return kErrorFileNotFound;
    for (; found < names.size(); ++found) {
      auto child = std::make_shared<Node>();
      child->name = names[found];
      child->parent = current.get();
      current->subkeys.emplace(Fold(names[found]), child);
      current->orderValid = false;
      current = child;
    }
  }
  if (refused) return kErrorAccessDenied;
  RegKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_.emplace(handle, Handle{current, root, access});
  *result = handle;
  return kErrorSuccess;
}

long SimRegistry::OpenKeyEx(RegKey base, const char* subKey, std::uint32_t access, RegKey* result) {
  // Windows hands back a root itself for an empty sub-path, with no access check.
  if (IsRootKey(base) && result != nullptr && (subKey == nullptr || *subKey == '\0')) {
    *result = base;
    return kErrorSuccess;
  }
  long error = Resolve(base, subKey, false, access, result);
  if (error != kErrorSuccess && result != nullptr) *result = 0;
  return error;
}

long SimRegistry::CreateKeyEx(RegKey base, const char* subKey, std::uint32_t access, RegKey* result) {
  long error = Resolve(base, subKey, true, access, result);
  if (error != kErrorSuccess && result != nullptr) *result = 0;
  return error;
}

long SimRegistry::CloseKey(RegKey key) {
  if (IsRootKey(key)) return kErrorSuccess;
  return handles_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

long SimRegistry::QueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* size) {
  long error = kErrorSuccess;
  Node* node = NodeOf(key, &error, kKeyQueryValue);
  if (node == nullptr) return error;
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  Node::Value* value = node->FindValue(valueName);
  if (value == nullptr) return kErrorFileNotFound;
  const auto needed = static_cast<std::uint32_t>(value->data.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    if (type != nullptr) *type = value->type;
    return kErrorMoreData;
  }
  if (data != nullptr && needed > 0) std::memcpy(data, value->data.data(), needed);
  if (size != nullptr) *size = needed;
  if (type != nullptr) *type = value->type;
  return kErrorSuccess;
}

long SimRegistry::SetValueEx(RegKey key, const char* valueName, std::uint32_t type, const std::uint8_t* data,
                             std::uint32_t size) {
  long error = kErrorSuccess;
  Node* node = NodeOf(key, &error, kKeySetValue);
  if (node == nullptr) return error;
  if (!Writable(RootOf(key))) return kErrorAccessDenied;
  if (data == nullptr && size != 0) return kErrorInvalidParameter;
  std::vector<std::uint8_t> bytes(data, data + size);
  if (Node::Value* value = node->FindValue(valueName)) {
    value->type = type;
    value->data = std::move(bytes);
    return kErrorSuccess;
  }
  std::string name = valueName ? valueName : "";
  node->valueIndex.emplace(Fold(name), node->values.size());
  node->values.push_back(Node::Value{name, type, std::move(bytes)});
  return kErrorSuccess;
}

long SimRegistry::DeleteValue(RegKey key, const char* valueName) {
  long error = kErrorSuccess;
  Node* node = NodeOf(key, &error, kKeySetValue);
  if (node == nullptr) return error;
  if (!Writable(RootOf(key))) return kErrorAccessDenied;
  auto it = node->valueIndex.find(Fold(valueName ? valueName : ""));
  if (it == node->valueIndex.end()) return kErrorFileNotFound;
  const std::size_t at = it->second;
  node->values.erase(node->values.begin() + static_cast<std::ptrdiff_t>(at));
  node->valueIndex.erase(it);
  for (auto& [folded, index] : node->valueIndex) {
    if (index > at) --index;
  }
  return kErrorSuccess;
}

long SimRegistry::DeleteKeyEx(RegKey base, const char* subKey, std::uint32_t view) {
  long error = kErrorSuccess;
  Node* node = NodeOf(base, &error);
  if (node == nullptr) return error;
  if (subKey != nullptr && subKey[0] == '\\') return kErrorBadPathname;
  std::vector<std::string> names;
  if (!SplitPath(subKey, &names)) return kErrorBadPathname;
  ApplyView(base, view, &names);
  // An empty sub-path deletes the handle's own key; a root is never deleted.
  if (names.empty()) {
    if (IsRootKey(base) || node->parent == nullptr) return kErrorAccessDenied;
    if (!Writable(RootOf(base)) || !node->subkeys.empty()) return kErrorAccessDenied;
    Node* parent = node->parent;
    auto self = parent->subkeys.find(Fold(node->name));
    node->MarkDeleted();
    parent->subkeys.erase(self);
    parent->orderValid = false;
    return kErrorSuccess;
  }
  Node* parent = node;
  for (std::size_t i = 0; i + 1 < names.size(); ++i) {
    auto it = parent->subkeys.find(Fold(names[i]));
    if (it == parent->subkeys.end()) return kErrorFileNotFound;
    parent = it->second.get();
  }
  auto it = parent->subkeys.find(Fold(names.back()));
  if (it == parent->subkeys.end()) return kErrorFileNotFound;
  if (!Writable(RootOf(base))) return kErrorAccessDenied;
  if (!it->second->subkeys.empty()) return kErrorAccessDenied;
  it->second->MarkDeleted();
  parent->subkeys.erase(it);
  parent->orderValid = false;
  return kErrorSuccess;
}

long SimRegistry::QueryInfoKey(RegKey key, std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen,
                               std::uint32_t* values, std::uint32_t* maxValueNameLen) {
  long error = kErrorSuccess;
  Node* node = NodeOf(key, &error, kKeyQueryValue);
  if (node == nullptr) return error;
  std::size_t longestKey = 0;
  for (const auto& [folded, child] : node->subkeys) longestKey = std::max(longestKey, child->name.size());
  std::size_t longestValue = 0;
  for (const auto& value : node->values) longestValue = std::max(longestValue, value.name.size());
  if (subKeys) *subKeys = static_cast<std::uint32_t>(node->subkeys.size());
  if (maxSubKeyLen) *maxSubKeyLen = static_cast<std::uint32_t>(longestKey);
  if (values) *values = static_cast<std::uint32_t>(node->values.size());
  if (maxValueNameLen) *maxValueNameLen = static_cast<std::uint32_t>(longestValue);
  return kErrorSuccess;
}

long SimRegistry::EnumKeyEx(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) {
  long error = kErrorSuccess;
  Node* node = NodeOf(key, &error, kKeyEnumerateSubKeys);
  if (node == nullptr) return error;
  const auto& ordered = node->Ordered();
  if (index >= ordered.size()) return kErrorNoMoreItems;
  return CopyName(ordered[index]->name, name, nameLen);
}

long SimRegistry::EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) {
  long error = kErrorSuccess;
  Node* node = NodeOf(key, &error, kKeyQueryValue);
  if (node == nullptr) return error;
  if (index >= node->values.size()) return kErrorNoMoreItems;
  return CopyName(node->values[index].name, name, nameLen);
}

}  // namespace platform
