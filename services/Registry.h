// TRegistry: the one way the program reads and changes the registry. An object works under one
// root, keeps at most one key open and releases it when it opens another, on CloseKey and when it
// is destroyed. Every open, create and delete asks for all access rights, so a key the caller may
// read but not change cannot be opened at all.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace nq {

using platform::RegKey;
using TStrings = std::vector<std::string>;

// The registry store's only error.
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRegistry {
 public:
  TRegistry() = default;
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  RegKey RootKey() const { return root_; }
  // Changing the root closes the open key.
  void SetRootKey(RegKey root);
  RegKey CurrentKey() const { return current_; }
  // Path of the open key from the root, without a leading backslash; empty when none is open.
  const std::string& CurrentPath() const { return path_; }

  // Opens `key` (absolute when it begins with a backslash, else relative to the open key) and
  // makes it current; with `canCreate` the key and any missing parents are created. False, with
  // nothing changed, when it cannot be opened.
  bool OpenKey(const std::string& key, bool canCreate);
  void CloseKey();

  bool ValueExists(const std::string& name);
  // The value's text up to its first NUL; empty for a missing or zero-length value. Raises for a
  // value that is not REG_SZ or REG_EXPAND_SZ, or whose data cannot be read.
  std::string ReadString(const std::string& name);
  // Writes `value` as REG_SZ; raises when the registry refuses.
  void WriteString(const std::string& name, const std::string& value);
  bool DeleteValue(const std::string& name);
  // Deletes `key` with its whole subtree, deepest keys first. True when the key itself went.
  bool DeleteKey(const std::string& key);

  void GetKeyNames(TStrings& list);
  void GetValueNames(TStrings& list);

 private:
  // The base handle and the remaining path for `key`, as OpenKey resolves them.
  RegKey BaseFor(const std::string& key, std::string* rest, bool* relative) const;
  bool DeleteKeyFrom(RegKey base, const std::string& path);
  void GetNames(TStrings& list, bool keys);

  RegKey root_ = platform::kHkeyCurrentUser;
  RegKey current_ = 0;
  std::string path_;
};

}  // namespace nq
