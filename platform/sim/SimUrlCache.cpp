#include "platform/sim/SimUrlCache.h"

#include <cstring>

#include "platform/registry.h"

namespace platform {
namespace {

constexpr std::uint32_t kErrorSharingViolation = 32;

// The head of the record the walk hands back; the name follows it in the same buffer.
struct EntryHead {
  std::uint32_t structSize;
  const char* sourceUrlName;
};
static_assert(sizeof(EntryHead) <= SimUrlCache::kEntryHeadSize);

}  // namespace

void SimUrlCache::Add(const std::string& sourceUrlName, std::uint32_t extraBytes, bool inUse) {
  const auto known = byName_.find(sourceUrlName);
  if (known != byName_.end()) entries_.erase(known->second);
  const std::uint64_t order = nextOrder_++;
  entries_[order] = Entry{sourceUrlName, extraBytes, inUse};
  byName_[sourceUrlName] = order;
}

void SimUrlCache::SetInUse(const std::string& sourceUrlName, bool inUse) {
  const auto known = byName_.find(sourceUrlName);
  if (known != byName_.end()) entries_[known->second].inUse = inUse;
}

void SimUrlCache::GrowAfterProbe(const std::string& sourceUrlName, std::uint32_t bytes) {
  const auto known = byName_.find(sourceUrlName);
  if (known != byName_.end()) entries_[known->second].growAfterProbe = bytes;
}

std::vector<std::string> SimUrlCache::Urls() const {
  std::vector<std::string> urls;
  for (const auto& [order, entry] : entries_) urls.push_back(entry.name);
  return urls;
}

std::size_t SimUrlCache::EntrySize(const std::string& sourceUrlName) const {
  const auto known = byName_.find(sourceUrlName);
  return known == byName_.end() ? 0 : SizeOf(entries_.at(known->second));
}

std::uint32_t SimUrlCache::SizeOf(const Entry& entry) {
  return kEntryHeadSize + static_cast<std::uint32_t>(entry.name.size()) + 1 + entry.extraBytes;
}

bool SimUrlCache::Fetch(Entry& entry, std::uint8_t* buffer, std::uint32_t* size) {
  const std::uint32_t needed = SizeOf(entry);
  if (buffer == nullptr || *size < needed) {
    *size = needed;
    lastError_ = static_cast<std::uint32_t>(kErrorInsufficientBuffer);
    entry.extraBytes += entry.growAfterProbe;
    entry.growAfterProbe = 0;
    return false;
  }
  calls_.fetchBufferSizes.push_back(*size);
  std::memset(buffer, 0, needed);
  char* name = reinterpret_cast<char*>(buffer + kEntryHeadSize);
  std::memcpy(name, entry.name.c_str(), entry.name.size() + 1);
  EntryHead head{needed, name};
  std::memcpy(buffer, &head, sizeof head);
  *size = needed;
  lastError_ = 0;
  return true;
}

SearchHandle SimUrlCache::FindFirst(std::uint8_t* entry, std::uint32_t* size) {
  ++calls_.findFirst;
  if (size == nullptr) {
    lastError_ = static_cast<std::uint32_t>(kErrorInvalidParameter);
    return 0;
  }
  if (entries_.empty()) {
    lastError_ = static_cast<std::uint32_t>(kErrorNoMoreItems);
    return 0;
  }
  const auto first = entries_.begin();
  if (!Fetch(first->second, entry, size)) return 0;
  const SearchHandle walk = nextWalk_++;
  walks_[walk] = first->first + 1;
  return walk;
}

bool SimUrlCache::FindNext(SearchHandle walk, std::uint8_t* entry, std::uint32_t* size) {
  ++calls_.findNext;
  const auto found = walks_.find(walk);
  if (found == walks_.end()) {
    lastError_ = static_cast<std::uint32_t>(kErrorInvalidHandle);
    return false;
  }
  if (size == nullptr) {
    lastError_ = static_cast<std::uint32_t>(kErrorInvalidParameter);
    return false;
  }
  if (findNextFailure_ != 0) {
    lastError_ = findNextFailure_;
    return false;
  }
  const auto next = entries_.lower_bound(found->second);
  if (next == entries_.end()) {
    lastError_ = static_cast<std::uint32_t>(kErrorNoMoreItems);
    return false;
  }
  if (!Fetch(next->second, entry, size)) return false;  // a short buffer leaves the walk where it was
  found->second = next->first + 1;
  return true;
}

bool SimUrlCache::DeleteEntry(const char* sourceUrlName) {
  ++calls_.deleteEntry;
  const std::string name = sourceUrlName == nullptr ? std::string() : std::string(sourceUrlName);
  calls_.deleted.push_back(name);
  const auto known = byName_.find(name);
  if (known == byName_.end()) {
    lastError_ = static_cast<std::uint32_t>(kErrorFileNotFound);
    return false;
  }
  if (entries_[known->second].inUse) {
    lastError_ = kErrorSharingViolation;
    return false;
  }
  entries_.erase(known->second);
  byName_.erase(known);
  lastError_ = 0;
  return true;
}

void SimUrlCache::Close(SearchHandle walk) {
  ++calls_.close;
  if (walks_.erase(walk) == 0) lastError_ = static_cast<std::uint32_t>(kErrorInvalidHandle);
}

}  // namespace platform
