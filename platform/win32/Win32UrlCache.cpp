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

}  // namespace platform
