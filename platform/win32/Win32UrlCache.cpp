#include "platform/win32/Win32UrlCache.h"

#include <windows.h>
#include <wininet.h>

namespace platform {

SearchHandle Win32UrlCache::FindFirst(std::uint8_t* entry, std::uint32_t* size) {
  DWORD bytes = size == nullptr ? 0 : *size;
  HANDLE walk = ::FindFirstUrlCacheEntryA(nullptr, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(entry), &bytes);
  lastError_ = walk == nullptr ? ::GetLastError() : ERROR_SUCCESS;
  if (size != nullptr) *size = bytes;
  return reinterpret_cast<SearchHandle>(walk);
}

bool Win32UrlCache::FindNext(SearchHandle walk, std::uint8_t* entry, std::uint32_t* size) {
  DWORD bytes = size == nullptr ? 0 : *size;
  const BOOL ok = ::FindNextUrlCacheEntryA(reinterpret_cast<HANDLE>(walk),
                                           reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(entry), &bytes);
  lastError_ = ok ? ERROR_SUCCESS : ::GetLastError();
  if (size != nullptr) *size = bytes;
  return ok != FALSE;
}

bool Win32UrlCache::DeleteEntry(const char* sourceUrlName) {
  const BOOL ok = ::DeleteUrlCacheEntryA(sourceUrlName);
  lastError_ = ok ? ERROR_SUCCESS : ::GetLastError();
  return ok != FALSE;
}

void Win32UrlCache::Close(SearchHandle walk) {
  const BOOL ok = ::FindCloseUrlCache(reinterpret_cast<HANDLE>(walk));
  lastError_ = ok ? ERROR_SUCCESS : ::GetLastError();
}

bool Win32UrlCache::Store(const std::string& url, const std::string& content) {
  char file[MAX_PATH] = {};
  if (!::CreateUrlCacheEntryA(url.c_str(), static_cast<DWORD>(content.size()), "htm", file, 0)) return false;
  HANDLE out = ::CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL wrote = ::WriteFile(out, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  ::CloseHandle(out);
  if (!wrote || written != content.size()) return false;
  static const char kHeaders[] = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
  const FILETIME never{};
  return ::CommitUrlCacheEntryA(url.c_str(), file, never, never, NORMAL_CACHE_ENTRY,
                                reinterpret_cast<BYTE*>(const_cast<char*>(kHeaders)), sizeof kHeaders - 1, nullptr,
                                nullptr) != FALSE;
}

void Win32UrlCache::SettingsChanged() {
  ::InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
  ::InternetSetOptionA(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
}

}  // namespace platform
