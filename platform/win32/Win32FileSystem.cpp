#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <memory>
#include <type_traits>

namespace platform {
namespace {

FindData ToFindData(const WIN32_FIND_DATAA& found) {
  return FindData{found.cFileName, found.dwFileAttributes, found.cAlternateFileName};
}

struct HandleCloser {
  void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using ScopedFile = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

}  // namespace

SearchHandle Win32FileSystem::FindFirst(const std::string& pattern, FindData* data) {
  if (data == nullptr) return 0;
  WIN32_FIND_DATAA found{};
  HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  *data = ToFindData(found);
  return reinterpret_cast<SearchHandle>(search);
}

bool Win32FileSystem::FindNext(SearchHandle search, FindData* data) {
  if (search == 0 || data == nullptr) return false;
  WIN32_FIND_DATAA found{};
  if (!::FindNextFileA(reinterpret_cast<HANDLE>(search), &found)) return false;
  *data = ToFindData(found);
  return true;
}

void Win32FileSystem::FindClose(SearchHandle search) {
  if (search != 0) ::FindClose(reinterpret_cast<HANDLE>(search));
}

bool Win32FileSystem::ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::string* bytes) {
  if (bytes == nullptr) return false;
  HANDLE raw = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE) return false;
  ScopedFile file(raw);
  bytes->assign(maxBytes, '\0');
  std::size_t total = 0;
  while (total < maxBytes) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(maxBytes - total, 1u << 20));
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes->data() + total, want, &got, nullptr)) {
      bytes->clear();
      return false;
    }
    if (got == 0) break;
    total += got;
  }
  bytes->resize(total);
  return true;
}

bool Win32FileSystem::FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  return ::SetFileAttributesA(path.c_str(), attributes) != 0;
}

std::uint32_t Win32FileSystem::Attributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

}  // namespace platform
