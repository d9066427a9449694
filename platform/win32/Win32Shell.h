// The shell calls: SHFileOperationA, LoadLibraryA / GetProcAddress / FreeLibrary, ShellExecuteA
// and GetModuleFileNameA.
#pragma once

#include "platform/shell.h"

namespace platform {

class Win32Shell final : public IShell {
 public:
  int FileOperation(WindowHandle owner, std::uint32_t operation, const char* files, std::uint16_t flags,
                    bool* aborted) override;
  std::uintptr_t LoadLibrary(const char* name) override;
  void* GetProcAddress(std::uintptr_t library, const char* name) override;
  void FreeLibrary(std::uintptr_t library) override;
  std::intptr_t ShellExecute(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                             const char* directory, int show) override;
  std::string ModuleFolder() override;

  // The version text when the process runs under Wine (ntdll's wine_get_version), else empty.
  static std::string WineVersion();
};

}  // namespace platform
