// The few texts a feature edits in place (a browser's policies file) and the files it keeps of its
// own (the browser repair's undo records): read whole, written beside and moved over, folders made
// and removed, and whether a running browser holds its lock file, each call shaped after the
// kernel32 one it stands for. The Win32 back end
// forwards to kernel32; the substitute (platform/sim) works on the folder tree of a SimFileSystem.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

inline constexpr std::uint32_t kMoveFileReplaceExisting = 0x1;
inline constexpr std::uint32_t kMoveFileWriteThrough = 0x8;
// ReplaceFile's failures: nothing moved; or the replaced file already took the backup's name.
inline constexpr std::uint32_t kErrorUnableToMoveReplacement = 1176;
inline constexpr std::uint32_t kErrorUnableToMoveReplacement2 = 1177;

class IFiles {
 public:
  virtual ~IFiles() = default;
  // CreateFileA (OPEN_EXISTING) and ReadFile: the whole file. False when it cannot be opened, is a
  // folder, or holds more than `maxBytes` bytes (then nothing is read).
  virtual bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string* bytes) = 0;
  // CreateFileA (CREATE_NEW), WriteFile and FlushFileBuffers: a new file holding `bytes`. False when
  // the file exists already or cannot be written whole; a part-written file is removed again.
  virtual bool WriteNewFile(const std::string& path, const std::string& bytes) = 0;
  // MoveFileExA.
  virtual bool MoveFileEx(const std::string& from, const std::string& to, std::uint32_t flags) = 0;
  // DeleteFileA.
  virtual bool DeleteFile(const std::string& path) = 0;
  // ReplaceFileA: `replacement` takes the name of `replaced`, whose file takes the name `backup`
  // (replacing any file of that name). 0, or the error: after kErrorUnableToMoveReplacement2 the
  // replaced file is left under the backup's name and must be moved back.
  virtual std::uint32_t ReplaceFile(const std::string& replaced, const std::string& replacement,
                                    const std::string& backup) = 0;
  // CreateDirectoryA: a new folder in an existing one. False when it exists already or cannot be made.
  virtual bool CreateDirectory(const std::string& path) = 0;
  // RemoveDirectoryA: an empty folder goes.
  virtual bool RemoveDirectory(const std::string& path) = 0;
  // True while a running program holds the file open as a browser holds its lock file (Chromium's
  // "User Data\lockfile", Firefox's "parent.lock"): CreateFileA (OPEN_EXISTING, reading, sharing
  // reading and deleting) fails with ERROR_SHARING_VIOLATION. A file left behind by a browser that is
  // gone opens, and is closed at once, unchanged. False for a missing file or a folder.
  virtual bool IsHeldOpen(const std::string& path) = 0;
};

IFiles& Files();
// Installs `files` (not owned) and returns the one it replaces.
IFiles* SetFiles(IFiles* files);

}  // namespace platform
