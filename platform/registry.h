// The registry as the program needs it: a narrow interface shaped after the advapi32 `A` calls,
// with their argument meaning and error codes. The Win32 back end forwards to advapi32; the
// substitute (platform/sim) keeps a registry in memory that behaves as Windows does.
#pragma once

#include <cstdint>

#include "platform/ScopedHandle.h"

namespace platform {

// An open key. The three roots keep the values Windows gives them; any other value is a handle
// returned by OpenKeyEx or CreateKeyEx and must be closed with CloseKey.
using RegKey = std::uintptr_t;

inline constexpr RegKey kHkeyClassesRoot = 0x80000000u;
inline constexpr RegKey kHkeyCurrentUser = 0x80000001u;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002u;

inline constexpr bool IsRootKey(RegKey key) {
  return key == kHkeyClassesRoot || key == kHkeyCurrentUser || key == kHkeyLocalMachine;
}

// Error codes, as Windows numbers them.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorInsufficientBuffer = 122;
inline constexpr long kErrorBadPathname = 161;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;
inline constexpr long kErrorKeyDeleted = 1018;

// Value kinds.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Access rights. KEY_ALL_ACCESS is what the program always asks for.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// Registry views. On 64-bit Windows HKEY_LOCAL_MACHINE\Software is kept twice: once for 64-bit
// programs and once, under "Software\Wow6432Node", for 32-bit ones, except for the few keys that
// Windows shares between the two (such as "Software\Policies"). One of these flags in the access
// mask of an open, create or delete picks the view; without either a 64-bit program sees its own.
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;
inline constexpr std::uint32_t kKeyWow64Res = kKeyWow64_64Key | kKeyWow64_32Key;

// Writing rights: a key the caller may only read is refused when any of these is asked for.
inline constexpr std::uint32_t kKeyWriteRights = 0x0002 | 0x0004 | 0x0020 | 0x00010000 | 0x00040000 | 0x00080000;

class IRegistry {
 public:
  virtual ~IRegistry() = default;

  // RegOpenKeyExA: opens an existing key under `base`; the empty sub-path opens `base` itself.
  [[nodiscard]] virtual long OpenKeyEx(RegKey base, const char* subKey, std::uint32_t access, RegKey* result) = 0;
  // RegCreateKeyExA with REG_OPTION_NON_VOLATILE: opens the key, creating it and every missing
  // key above it first.
  [[nodiscard]] virtual long CreateKeyEx(RegKey base, const char* subKey, std::uint32_t access, RegKey* result) = 0;
  // RegCloseKey. Closing a root is allowed and does nothing.
  virtual long CloseKey(RegKey key) = 0;
  // RegQueryValueExA. With `data` null only the kind and size are reported. A buffer that is too
  // small gives kErrorMoreData, is left untouched and `*size` tells the size needed.
  [[nodiscard]] virtual long QueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                            std::uint32_t* size) = 0;
  // RegSetValueExA: creates the value or replaces its kind and data.
  virtual long SetValueEx(RegKey key, const char* valueName, std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) = 0;
  // RegDeleteValueA.
  virtual long DeleteValue(RegKey key, const char* valueName) = 0;
  // RegDeleteKeyExA: deletes a key that has no subkeys, in the view that `view` (kKeyWow64_64Key,
  // kKeyWow64_32Key or 0) names.
  virtual long DeleteKeyEx(RegKey base, const char* subKey, std::uint32_t view) = 0;
  // RegQueryInfoKeyA, the four fields the program reads. Name lengths exclude the NUL. Any
  // pointer may be null.
  [[nodiscard]] virtual long QueryInfoKey(RegKey key, std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen, std::uint32_t* values,
                            std::uint32_t* maxValueNameLen) = 0;
  // RegEnumKeyExA: `*nameLen` is the buffer size in characters on entry and the name's length
  // without its NUL on success. kErrorNoMoreItems past the end; kErrorMoreData when it won't fit.
  [[nodiscard]] virtual long EnumKeyEx(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) = 0;
  // RegEnumValueA, name only, same buffer rules.
  [[nodiscard]] virtual long EnumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) = 0;
};

// An open key, closed again when it goes; a root is never closed.
struct RegKeyTraits {
  using Owner = IRegistry;
  using Handle = RegKey;
  static constexpr RegKey kNull = 0;
  static void Close(IRegistry& registry, RegKey key) {
    if (!IsRootKey(key)) registry.CloseKey(key);
  }
};
using TScopedRegKey = TScopedHandle<RegKeyTraits>;

// The back end in use. Start-up installs the Win32 one; tests install the substitute.
IRegistry& Registry();
// Installs `registry` (not owned) and returns the one it replaces.
IRegistry* SetRegistry(IRegistry* registry);

}  // namespace platform
