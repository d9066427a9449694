// The directory search and file reading on Windows: FindFirstFileA / FindNextFileA / FindClose,
// CreateFileA / ReadFile and GetFileAttributesA.
#pragma once

#include <cstdint>
#include <string>

#include "platform/shell.h"

namespace platform {

class Win32FileSystem final : public IFileSystem {
 public:
  SearchHandle FindFirst(const std::string& pattern, FindData* data) override;
  bool FindNext(SearchHandle search, FindData* data) override;
  void FindClose(SearchHandle search) override;
  bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::string* bytes) override;
  // True for a file, false for a folder or nothing.
  bool FileExists(const std::string& path) override;

  // SetFileAttributesA / GetFileAttributesA, for tests that need hidden or system entries.
  static bool SetAttributes(const std::string& path, std::uint32_t attributes);
  static std::uint32_t Attributes(const std::string& path);
};

}  // namespace platform
