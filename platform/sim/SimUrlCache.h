// An in-memory URL cache with the WinInet walk protocol: entries of varying size, a size probe that
// fails with ERROR_INSUFFICIENT_BUFFER and reports the size, a short buffer that does not move the
// walk on, ERROR_NO_MORE_ITEMS at the end (and at once on an empty cache), and entries in use that
// cannot be deleted. Every call is counted so tests can check how a walk was done.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/shell.h"

namespace platform {

class SimUrlCache final : public IUrlCache {
 public:
  // Bytes of the fixed part of an entry, before its strings (as INTERNET_CACHE_ENTRY_INFOA on x64).
  static constexpr std::uint32_t kEntryHeadSize = 80;

  // Adds an entry at the end of the walk order. Its record takes kEntryHeadSize + the name with
  // its NUL + `extraBytes` (the header and file-name strings a real entry carries).
  void Add(const std::string& sourceUrlName, std::uint32_t extraBytes = 0, bool inUse = false);
  void SetInUse(const std::string& sourceUrlName, bool inUse);
  // Another program writes to the entry: it grows by `bytes` right after the next size probe that
  // reports it, so the fetch that follows with a buffer of the probed size falls short.
  void GrowAfterProbe(const std::string& sourceUrlName, std::uint32_t bytes);
  // Makes every FindNext fail with `error` (0 again for normal behaviour).
  void FailFindNextWith(std::uint32_t error) { findNextFailure_ = error; }

  std::vector<std::string> Urls() const;
  std::size_t EntrySize(const std::string& sourceUrlName) const;

  struct Calls {
    int findFirst = 0;
    int findNext = 0;
    int deleteEntry = 0;
    int close = 0;
    int settingsChanged = 0;
    std::vector<std::uint32_t> fetchBufferSizes;  // the buffer size of every successful fetch
    std::vector<std::string> deleted;             // names asked for, in order
  };
  const Calls& Counts() const { return calls_; }
  void ResetCounts() { calls_ = Calls(); }
  // Walks not closed yet.
  std::size_t OpenWalkCount() const { return walks_.size(); }

  SearchHandle FindFirst(std::uint8_t* entry, std::uint32_t* size) override;
  bool FindNext(SearchHandle walk, std::uint8_t* entry, std::uint32_t* size) override;
  bool DeleteEntry(const char* sourceUrlName) override;
  void Close(SearchHandle walk) override;
  std::uint32_t LastError() override { return lastError_; }
  void SettingsChanged() override { ++calls_.settingsChanged; }

 private:
  struct Entry {
    std::string name;
    std::uint32_t extraBytes = 0;
    bool inUse = false;
    std::uint32_t growAfterProbe = 0;
  };
  static std::uint32_t SizeOf(const Entry& entry);
  // Fills the buffer or reports the size needed; the same protocol for the first and later entries.
  bool Fetch(Entry& entry, std::uint8_t* buffer, std::uint32_t* size);

  std::map<std::uint64_t, Entry> entries_;  // by insertion order, so a walk survives deletions
  std::unordered_map<std::string, std::uint64_t> byName_;
  std::uint64_t nextOrder_ = 0;
  std::map<SearchHandle, std::uint64_t> walks_;  // the order of the next entry to hand back
  SearchHandle nextWalk_ = 0x2000;
  std::uint32_t lastError_ = 0;
  std::uint32_t findNextFailure_ = 0;
  Calls calls_;
};

}  // namespace platform
