#include "platform/win32/Win32Shell.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

// The interface's members carry the plain names that windows.h turns into macros.
#undef LoadLibrary
#undef MessageBox
#undef ShellExecute

namespace platform {

int Win32Shell::FileOperation(WindowHandle owner, std::uint32_t operation, const char* files, std::uint16_t flags,
                              bool* aborted) {
  SHFILEOPSTRUCTA op{};
  op.hwnd = reinterpret_cast<HWND>(owner);
  op.wFunc = operation;
  op.pFrom = files;
  op.pTo = nullptr;
  op.fFlags = flags;
  op.fAnyOperationsAborted = FALSE;
  op.hNameMappings = nullptr;
  op.lpszProgressTitle = nullptr;
  const int result = ::SHFileOperationA(&op);
  if (aborted != nullptr) *aborted = op.fAnyOperationsAborted != FALSE;
  return result;
}

std::uintptr_t Win32Shell::LoadLibrary(const char* name) {
  return reinterpret_cast<std::uintptr_t>(::LoadLibraryA(name));
}

void* Win32Shell::GetProcAddress(std::uintptr_t library, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

void Win32Shell::FreeLibrary(std::uintptr_t library) {
  if (library != 0) ::FreeLibrary(reinterpret_cast<HMODULE>(library));
}

std::intptr_t Win32Shell::ShellExecute(WindowHandle owner, const char* verb, const char* file,
                                       const char* parameters, const char* directory, int show) {
  return reinterpret_cast<std::intptr_t>(
      ::ShellExecuteA(reinterpret_cast<HWND>(owner), verb, file, parameters, directory, show));
}

int Win32Shell::MessageBox(WindowHandle owner, const char* text, const char* caption, unsigned flags) {
  return ::MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, flags);
}

std::string Win32Shell::ModuleFolder() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      // Walked character by character: in a double-byte code page a trail byte can equal '\\'.
      const char* lastSeparator = nullptr;
      for (const char* p = path.data(); *p != '\0'; p = ::CharNextA(p)) {
        if (*p == '\\') lastSeparator = p;
      }
      return lastSeparator == nullptr ? std::string() : std::string(static_cast<const char*>(path.data()), lastSeparator + 1);
    }
    path.resize(path.size() * 2);  // truncated: try a longer buffer
  }
}

std::string Win32Shell::WineVersion() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) return std::string();
  using Proc = const char*(__cdecl*)();
  const auto proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "wine_get_version")));
  return proc == nullptr ? std::string() : std::string(proc());
}

}  // namespace platform
