// An in-memory registry that behaves as Windows does, for the native build and for tests: names
// match without regard to case and keep the case they were created with, subkeys enumerate in name
// order and values in creation order, short buffers give ERROR_MORE_DATA, and a root can be made
// read-only for the caller as HKEY_LOCAL_MACHINE is for a standard user. A handle carries the
// rights it was opened with: writing values through a handle opened without KEY_SET_VALUE, or
// reading through one without KEY_QUERY_VALUE, is refused as Windows refuses it. Enumeration by
// index is constant-time, so listing n names costs O(n).
//
// Windows quirks it does not copy: RegSetValueExA of a string kind whose last given byte is not NUL
// also stores the byte after it when that one is NUL, and RegQueryValueExA adds a NUL after a string
// when the buffer has room. Neither changes what TRegistry reads.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace platform {

class SimRegistry final : public IRegistry {
 public:
  SimRegistry();
  ~SimRegistry() override;

  long OpenKeyEx(RegKey base, const char* subKey, std::uint32_t access, RegKey* result) override;
  long CreateKeyEx(RegKey base, const char* subKey, std::uint32_t access, RegKey* result) override;
  long CloseKey(RegKey key) override;
  long QueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override;
  long SetValueEx(RegKey key, const char* valueName, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t size) override;
  long DeleteValue(RegKey key, const char* valueName) override;
  long DeleteKeyEx(RegKey base, const char* subKey, std::uint32_t view) override;
  long QueryInfoKey(RegKey key, std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen, std::uint32_t* values,
                    std::uint32_t* maxValueNameLen) override;
  long EnumKeyEx(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) override;
  long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) override;

  // Makes everything under `root` readable but not writable for the caller: opening or creating a
  // key there with any writing right is refused with ERROR_ACCESS_DENIED, and so is deleting one.
  void SetReadOnly(RegKey root, bool readOnly);
  // Handles still open; tests use it to prove that every handle was released.
  std::size_t OpenHandleCount() const { return handles_.size(); }
  // Forgets every key, value and handle; read-only marks are kept.
  void Clear();

  struct Node;

 private:
  struct Handle {
    std::shared_ptr<Node> node;
    RegKey root;
    std::uint32_t access;
  };
  long Resolve(RegKey base, const char* subKey, bool create, std::uint32_t access, RegKey* result);
  // The key behind `key`, when the handle is valid, its key not deleted and it grants `needed`.
  Node* NodeOf(RegKey key, long* error, std::uint32_t needed = 0) const;
  RegKey RootOf(RegKey key) const;
  bool Writable(RegKey root) const;

  std::shared_ptr<Node> roots_[3];
  bool readOnly_[3] = {false, false, false};
  std::unordered_map<RegKey, Handle> handles_;
  RegKey nextHandle_ = 0x1000;
};

}  // namespace platform
