// The real registry: IRegistry forwarding to the advapi32 `A` calls. The three roots are passed as
// the predefined keys and never closed; every other handle is an HKEY the caller closes.
#pragma once

#include "platform/registry.h"

namespace platform {

class Win32Registry final : public IRegistry {
 public:
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
};

}  // namespace platform
