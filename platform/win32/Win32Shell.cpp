#include "platform/win32/Win32Shell.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

// The interface's members carry the plain names that windows.h turns into macros.
#undef LoadLibrary
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


namespace {

// The program's own path through the 8-bit call: in the process code page, '?' for what it lacks.
std::string ModulePathA() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) return std::string(path.data(), length);
    path.resize(path.size() * 2);  // truncated: try a longer buffer
  }
}

// The program's path by its 8.3 names, in the code page; empty when even those do not fit it.
std::string ShortModulePath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) break;
    path.resize(path.size() * 2);
  }
  const DWORD shortLength = ::GetShortPathNameW(path.data(), nullptr, 0);
  if (shortLength == 0) return std::string();
  std::vector<wchar_t> shortPath(shortLength);
  if (::GetShortPathNameW(path.data(), shortPath.data(), shortLength) == 0) return std::string();
  // No best fit: a letter that looked like another would name another folder.
  const DWORD flags = ::GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL lossy = FALSE;
  const int bytes = ::WideCharToMultiByte(CP_ACP, flags, shortPath.data(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string narrow(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_ACP, flags, shortPath.data(), -1, narrow.data(), bytes, nullptr,
                        flags == 0 ? nullptr : &lossy);
  narrow.resize(static_cast<std::size_t>(bytes) - 1);
  return lossy ? std::string() : narrow;
}

}  // namespace

std::string Win32Shell::ModuleFolder() {
  std::string path = ModulePathA();
  // Where the code page lacks letters of the path they come back as '?': the 8.3 path still names
  // the folder, so the help file and the Bitmaps beside the program are found.
  if (HasWildcard(path)) {
    const std::string shortPath = ShortModulePath();
    if (!shortPath.empty()) path = shortPath;
  }
  // Walked character by character: in a double-byte code page a trail byte can equal '\\'.
  const char* lastSeparator = nullptr;
  for (const char* p = path.c_str(); *p != '\0'; p = ::CharNextA(p)) {
    if (*p == '\\') lastSeparator = p;
  }
  return lastSeparator == nullptr ? std::string() : std::string(path.c_str(), lastSeparator + 1);
}

std::string Win32Shell::WineVersion() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) return std::string();
  using Proc = const char*(__cdecl*)();
  const auto proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "wine_get_version")));
  return proc == nullptr ? std::string() : std::string(proc());
}

}  // namespace platform
