#include "platform/win32/Win32Registry.h"

#include <windows.h>

namespace platform {
namespace {

// The roots travel as 0x80000000..2; on Win64 the predefined HKEYs are those values sign-extended.
HKEY ToHkey(RegKey key) {
  switch (key) {
    case kHkeyClassesRoot: return HKEY_CLASSES_ROOT;
    case kHkeyCurrentUser: return HKEY_CURRENT_USER;
    case kHkeyLocalMachine: return HKEY_LOCAL_MACHINE;
    default: return reinterpret_cast<HKEY>(key);
  }
}

// RegOpenKeyEx gives a root itself back for an empty sub-path; it must stay a root here, so that
// nobody closes it.
RegKey FromHkey(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return kHkeyClassesRoot;
  if (key == HKEY_CURRENT_USER) return kHkeyCurrentUser;
  if (key == HKEY_LOCAL_MACHINE) return kHkeyLocalMachine;
  return reinterpret_cast<RegKey>(key);
}

// DWORD is unsigned long, not std::uint32_t: the in/out counts pass through a DWORD that starts as
// the caller's value, so whatever the call leaves alone stays as it was.
class InOut {
 public:
  explicit InOut(std::uint32_t* p) : p_(p), v_(p ? *p : 0) {}
  ~InOut() {
    if (p_) *p_ = static_cast<std::uint32_t>(v_);
  }
  InOut(const InOut&) = delete;
  InOut& operator=(const InOut&) = delete;
  DWORD* get() { return p_ ? &v_ : nullptr; }

 private:
  std::uint32_t* p_;
  DWORD v_;
};

}  // namespace

long Win32Registry::OpenKeyEx(RegKey base, const char* subKey, std::uint32_t access, RegKey* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  HKEY key = nullptr;
  const LONG error = RegOpenKeyExA(ToHkey(base), subKey, 0, access, &key);
  *result = error == ERROR_SUCCESS ? FromHkey(key) : 0;
  return error;
}

long Win32Registry::CreateKeyEx(RegKey base, const char* subKey, std::uint32_t access, RegKey* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  HKEY key = nullptr;
  const LONG error =
      RegCreateKeyExA(ToHkey(base), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
  *result = error == ERROR_SUCCESS ? FromHkey(key) : 0;
  return error;
}

long Win32Registry::CloseKey(RegKey key) {
  if (IsRootKey(key)) return ERROR_SUCCESS;
  return RegCloseKey(ToHkey(key));
}

long Win32Registry::QueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* size) {
  InOut kind(type), bytes(size);
  return RegQueryValueExA(ToHkey(key), valueName, nullptr, kind.get(), data, bytes.get());
}

long Win32Registry::SetValueEx(RegKey key, const char* valueName, std::uint32_t type, const std::uint8_t* data,
                               std::uint32_t size) {
  return RegSetValueExA(ToHkey(key), valueName, 0, type, data, size);
}

long Win32Registry::DeleteValue(RegKey key, const char* valueName) {
  return RegDeleteValueA(ToHkey(key), valueName);
}

long Win32Registry::DeleteKeyEx(RegKey base, const char* subKey, std::uint32_t view) {
  return RegDeleteKeyExA(ToHkey(base), subKey, view & KEY_WOW64_RES, 0);
}

long Win32Registry::QueryInfoKey(RegKey key, std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen,
                                 std::uint32_t* values, std::uint32_t* maxValueNameLen) {
  InOut keys(subKeys), keyLen(maxSubKeyLen), count(values), valueLen(maxValueNameLen);
  return RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, keys.get(), keyLen.get(), nullptr, count.get(),
                          valueLen.get(), nullptr, nullptr, nullptr);
}

long Win32Registry::EnumKeyEx(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) {
  InOut length(nameLen);
  return RegEnumKeyExA(ToHkey(key), index, name, length.get(), nullptr, nullptr, nullptr, nullptr);
}

long Win32Registry::EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) {
  InOut length(nameLen);
  return RegEnumValueA(ToHkey(key), index, name, length.get(), nullptr, nullptr, nullptr, nullptr);
}

}  // namespace platform
