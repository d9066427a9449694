// The WinInet URL cache: FindFirstUrlCacheEntryA, FindNextUrlCacheEntryA, DeleteUrlCacheEntryA and
// FindCloseUrlCache, with the thread's last-error value taken right after each call.
#pragma once

#include <string>

#include "platform/shell.h"

namespace platform {

class Win32UrlCache final : public IUrlCache {
 public:
  SearchHandle FindFirst(std::uint8_t* entry, std::uint32_t* size) override;
  bool FindNext(SearchHandle walk, std::uint8_t* entry, std::uint32_t* size) override;
  bool DeleteEntry(const char* sourceUrlName) override;
  void Close(SearchHandle walk) override;
  std::uint32_t LastError() override { return lastError_; }
  void SettingsChanged() override;

  // Stores `content` in the cache under `url` (CreateUrlCacheEntryA, CommitUrlCacheEntryA). The
  // program never adds entries; tests use it to fill a throwaway cache.
  static bool Store(const std::string& url, const std::string& content);

 private:
  std::uint32_t lastError_ = 0;
};

}  // namespace platform
