// The platform beyond the registry, each call shaped after the Win32 one it stands for: the
// WinInet URL cache walk, the URL history object, the shell's file operation, the recycle-bin call
// looked up at run time, opening a document or address, and the directory search. The Win32 back
// ends forward to wininet, ole32, shell32 and kernel32; the substitutes (platform/sim) work on an
// in-memory cache and history and on a real folder tree with a recycle-bin folder.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ScopedHandle.h"

namespace platform {

using WindowHandle = std::uintptr_t;  // an HWND, 0 for none
using SearchHandle = std::uintptr_t;  // 0 for none (INVALID_HANDLE_VALUE is mapped to 0)
using HResult = std::int32_t;

// The window that owns the program's own dialogs and shell calls (the main window).
WindowHandle OwnerWindow();
void SetOwnerWindow(WindowHandle window);

// ---- URL cache (WinInet)

// The one field the program reads of a cache entry, at the offset Windows puts it. The walk
// hands back a buffer of the size the platform reports; this reads the name out of it.
const char* CacheEntrySourceUrlName(const std::uint8_t* entryBuffer);

class IUrlCache {
 public:
  virtual ~IUrlCache() = default;
  // FindFirstUrlCacheEntryA(nullptr, entry, size): the walk handle, or 0 with LastError() set.
  virtual SearchHandle FindFirst(std::uint8_t* entry, std::uint32_t* size) = 0;
  // FindNextUrlCacheEntryA: true on success; otherwise LastError() tells why.
  virtual bool FindNext(SearchHandle walk, std::uint8_t* entry, std::uint32_t* size) = 0;
  // DeleteUrlCacheEntry(A).
  virtual bool DeleteEntry(const char* sourceUrlName) = 0;
  // FindCloseUrlCache.
  virtual void Close(SearchHandle walk) = 0;
  // GetLastError after the last call of this interface.
  virtual std::uint32_t LastError() = 0;
  // InternetSetOption with INTERNET_OPTION_SETTINGS_CHANGED, then INTERNET_OPTION_REFRESH: WinInet
  // reads its proxy settings from the registry again, as after the Internet Options dialog.
  virtual void SettingsChanged() = 0;
};

// ---- URL history (ole32, IUrlHistoryStg2)

class IUrlHistory {
 public:
  virtual ~IUrlHistory() = default;
  // CoCreateInstance(CLSID_CUrlHistory, context 5) and QueryInterface(IID_IUrlHistoryStg2), then
  // ClearHistory, then Release. `created` tells whether the object could be made: when it could
  // not, `result` is the failure code; when it lacks the interface, `hasInterface` is false.
  struct Outcome {
    bool created = false;
    bool hasInterface = false;
    HResult result = 0;  // the creation failure, or ClearHistory's status
  };
  virtual Outcome ClearHistory() = 0;
  // The platform's text for an HRESULT (FormatMessage), empty when it has none.
  virtual std::string ErrorText(HResult code) = 0;
};

// ---- Shell (shell32)

inline constexpr std::uint32_t kFoDelete = 3;
inline constexpr std::uint16_t kFofNoConfirmation = 0x10;
inline constexpr std::uint16_t kFofAllowUndo = 0x40;
inline constexpr std::uint32_t kSherbNoConfirmation = 1, kSherbNoProgressUi = 2, kSherbNoSound = 4;
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShowMaximized = 3;

// SHEmptyRecycleBinA's signature.
using EmptyRecycleBinProc = HResult (*)(WindowHandle owner, const char* rootPath, std::uint32_t flags);

class IShell {
 public:
  virtual ~IShell() = default;
  // SHFileOperationA with FO_DELETE: `files` is a list of paths, each ended by a NUL, the list by
  // one more. Returns the shell's result; `aborted` tells whether the user cancelled.
  virtual int FileOperation(WindowHandle owner, std::uint32_t operation, const char* files, std::uint16_t flags,
                            bool* aborted) = 0;
  // LoadLibraryA / GetProcAddress / FreeLibrary, for the one entry point looked up at run time.
  virtual std::uintptr_t LoadLibrary(const char* name) = 0;
  virtual void* GetProcAddress(std::uintptr_t library, const char* name) = 0;
  virtual void FreeLibrary(std::uintptr_t library) = 0;
  // ShellExecuteA(owner, verb, file, parameters, directory, show); verb, parameters and directory
  // may be null.
  virtual std::intptr_t ShellExecute(WindowHandle owner, const char* verb, const char* file,
                                     const char* parameters, const char* directory, int show) = 0;
  // The folder of the program's own executable file, with its trailing backslash; by its 8.3 names
  // where the code page lacks letters of the long ones.
  virtual std::string ModuleFolder() = 0;
};

// ---- Directory search (kernel32)

inline constexpr std::uint32_t kFileAttributeReadOnly = 0x01, kFileAttributeHidden = 0x02,
                               kFileAttributeSystem = 0x04, kFileAttributeDirectory = 0x10,
                               kFileAttributeArchive = 0x20;

struct FindData {
  std::string name;
  std::uint32_t attributes = 0;
  // The generated 8.3 name (cAlternateFileName): empty when `name` is a valid 8.3 name already or
  // the volume makes none. Always within the code page, so it still names the file when `name`
  // came back with '?' for letters the code page lacks.
  std::string shortName;
};

// True when a name holds '*' or '?'. Neither occurs in a real file name: such a name is what the
// 8-bit calls give back for letters outside the code page, and the shell or a search would take it
// as a wildcard.
bool HasWildcard(const std::string& name);

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // FindFirstFileA: the search handle and the first entry, or 0 when nothing matches. Every entry
  // is yielded, hidden and system files and folders included; the pattern also matches an entry's
  // generated 8.3 name, so "*.lnk" finds "a.lnkx". Names come in the process code page: letters it
  // lacks come back as '?'.
  virtual SearchHandle FindFirst(const std::string& pattern, FindData* data) = 0;
  virtual bool FindNext(SearchHandle search, FindData* data) = 0;
  virtual void FindClose(SearchHandle search) = 0;
  // Reads up to `maxBytes` bytes of a file from its start; false when it cannot be opened.
  virtual bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::string* bytes) = 0;
  // True for an existing file; false for a folder or nothing.
  virtual bool FileExists(const std::string& path) = 0;
};

// The handles these back ends hand out, each given back when its owner goes.
struct UrlCacheWalkTraits {
  using Owner = IUrlCache;
  using Handle = SearchHandle;
  static constexpr SearchHandle kNull = 0;
  static void Close(IUrlCache& cache, SearchHandle walk) { cache.Close(walk); }
};
struct LibraryTraits {
  using Owner = IShell;
  using Handle = std::uintptr_t;
  static constexpr std::uintptr_t kNull = 0;
  static void Close(IShell& shell, std::uintptr_t library) { shell.FreeLibrary(library); }
};
struct FileSearchTraits {
  using Owner = IFileSystem;
  using Handle = SearchHandle;
  static constexpr SearchHandle kNull = 0;
  static void Close(IFileSystem& fs, SearchHandle search) { fs.FindClose(search); }
};
using TScopedCacheWalk = TScopedHandle<UrlCacheWalkTraits>;
using TScopedLibrary = TScopedHandle<LibraryTraits>;
using TScopedFileSearch = TScopedHandle<FileSearchTraits>;

IUrlCache& UrlCache();
IUrlHistory& UrlHistory();
IShell& Shell();
IFileSystem& FileSystem();
// Each installs a back end (not owned) and returns the one it replaces.
IUrlCache* SetUrlCache(IUrlCache* cache);
IUrlHistory* SetUrlHistory(IUrlHistory* history);
IShell* SetShell(IShell* shell);
IFileSystem* SetFileSystem(IFileSystem* fileSystem);

}  // namespace platform
