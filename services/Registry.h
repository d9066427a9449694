// TRegistry: the one way the program reads and changes the registry. An object works under one
// root, keeps at most one key open and releases it when it opens another, on CloseKey and when it
// is destroyed. Every open, create and delete asks for all access rights, so a key the caller may
// read but not change cannot be opened at all.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace nq {

using platform::RegKey;
using TStrings = std::vector<std::string>;

// The view of HKEY_LOCAL_MACHINE\Software a registry object works in. On 64-bit Windows 32-bit
// programs (most startup entries and hijackers among them, and the 32-bit browser) keep their own
// copy of most machine-wide keys; the program visits both, the 64-bit view first. The other roots
// have one view only, and the flag changes nothing there.
enum class TRegView : std::uint32_t {
  Default = 0,
  Key64 = platform::kKeyWow64_64Key,
  Key32 = platform::kKeyWow64_32Key,
};

// The views a machine-wide key is visited in, in order. A key that Windows shares between them is
// met twice: what the first visit changed the second finds done.
inline constexpr TRegView kMachineViews[] = {TRegView::Key64, TRegView::Key32};

// True for a key that Windows shares between the two views ("\Software\Policies" and below, on
// the machine): one key, visited once.
bool SharedBetweenViews(RegKey root, const std::string& path);

// One key: its root, its absolute path and the view it is read in.
struct TRegKeyRef {
  RegKey root;
  const char* path;
  TRegView view = TRegView::Default;
};

// The registry store's only error.
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The subtree of `path` (from `root`, no view: a 32-bit key by its Wow6432Node path) as REGEDIT5
// text, values by name: platform::RegFileUtf16 makes the file regedit imports of it. The header
// alone when the key cannot be read.
std::string ExportRegistryKey(RegKey root, const std::string& path);

class TRegistry {
 public:
  explicit TRegistry(TRegView view = TRegView::Default) : view_(view) {}
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  TRegView View() const { return view_; }
  RegKey RootKey() const { return root_; }
  // Changing the root closes the open key.
  void SetRootKey(RegKey root);
  RegKey CurrentKey() const { return current_; }
  // Path of the open key from the root, without a leading backslash; empty when none is open.
  const std::string& CurrentPath() const { return path_; }

  // Opens `key` (absolute when it begins with a backslash, else relative to the open key) and
  // makes it current; with `canCreate` the key and any missing parents are created. False, with
  // nothing changed, when it cannot be opened.
  [[nodiscard]] bool OpenKey(const std::string& key, bool canCreate);
  void CloseKey();

  // Opens keys for reading only from now on, so that a key the caller may not change still opens;
  // for saying what a refused change would have been. Nothing may be changed through it.
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  // Why the last OpenKey failed: the platform's error code (kErrorAccessDenied for a key the caller
  // may only read), kErrorSuccess after one that opened.
  long LastOpenError() const { return lastOpenError_; }

  [[nodiscard]] bool ValueExists(const std::string& name);
  // The value's data as REGEDIT4 writes it ("text", dword:...); "-" when there is no such value.
  [[nodiscard]] std::string DataText(const std::string& name);
  // The value's text up to its first NUL; empty for a missing or zero-length value. Raises for a
  // value that is not REG_SZ or REG_EXPAND_SZ, or whose data cannot be read.
  [[nodiscard]] std::string ReadString(const std::string& name);
  // The value's text as policy templates store it: REG_SZ and REG_EXPAND_SZ up to the first NUL,
  // REG_MULTI_SZ's strings joined by line ends (a long JSON policy is kept a line a string). None for
  // a missing value, one of another type, or data that cannot be read.
  [[nodiscard]] std::optional<std::string> ReadText(const std::string& name);
  // Writes `value` as REG_SZ; raises when the registry refuses.
  void WriteString(const std::string& name, const std::string& value);
  // The value's kind and bytes exactly as the registry gives them; false when there is no such
  // value or it cannot be read.
  [[nodiscard]] bool ReadData(const std::string& name, std::uint32_t* type, std::vector<std::uint8_t>* data);
  // Writes the value with this kind and these bytes, recorded as WriteString records; raises when
  // the registry refuses.
  void WriteData(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data);
  bool DeleteValue(const std::string& name);
  // Deletes `key` with its whole subtree, deepest keys first. True when the key itself went.
  bool DeleteKey(const std::string& key);

  void GetKeyNames(TStrings& list);
  void GetValueNames(TStrings& list);

 private:
  // The base handle and the remaining path for `key`, as OpenKey resolves them.
  RegKey BaseFor(const std::string& key, std::string* rest, bool* relative) const;
  // Deletes `path` below `base` with its subtree; `fullPath` is the same key's path from the root,
  // for the change record.
  bool DeleteKeyFrom(RegKey base, const std::string& path, const std::string& fullPath);
  void GetNames(TStrings& list, bool keys);

  // Every right the object asks for: all access, in its view.
  std::uint32_t Access() const {
    return (readOnly_ ? platform::kKeyRead : platform::kKeyAllAccess) | static_cast<std::uint32_t>(view_);
  }

  TRegView view_ = TRegView::Default;
  bool readOnly_ = false;
  long lastOpenError_ = 0;
  RegKey root_ = platform::kHkeyCurrentUser;
  RegKey current_ = 0;
  std::string path_;
};

}  // namespace nq
