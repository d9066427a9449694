// The shell of the native build, on the file tree of a SimFileSystem. FO_DELETE with
// FOF_NOCONFIRMATION deletes for good; FOF_ALLOWUNDO moves the files into a recycle-bin folder
// outside the tree, after a confirmation the test answers in advance. A '*' or '?' in a path's
// last name is a wildcard, as it is to the real shell. The recycle-bin library can
// be present, missing, or lack its entry point. Every call is recorded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/sim/SimFileSystem.h"

namespace platform {

class SimShell final : public IShell {
 public:
  // `recycleBin` is a folder outside the tree; `moduleFolder` is what ModuleFolder answers.
  SimShell(SimFileSystem& files, std::filesystem::path recycleBin, std::string moduleFolder = "C:\\Program\\");
  ~SimShell() override;
  SimShell(const SimShell&) = delete;
  SimShell& operator=(const SimShell&) = delete;

  // ---- scripting
  // The user's answer to the shell's own "move to the Recycle Bin?" question.
  void AnswerRecycleConfirmation(bool yes) { confirmRecycle_ = yes; }
  enum class Library { Present, Missing, LacksEntryPoint };
  void SetRecycleLibrary(Library state) { library_ = state; }

  // ---- what happened
  struct FileOperationCall {
    WindowHandle owner;
    std::uint32_t operation;
    std::vector<std::string> files;  // the list, one path per entry
    std::string list;                // the list as the shell read it, up to its closing NUL
    std::uint16_t flags;
  };
  struct ShellExecuteCall {
    WindowHandle owner;
    std::string verb, file, parameters, directory;  // empty for null
    int show;
  };
  struct EmptyRecycleBinCall {
    WindowHandle owner;
    std::string rootPath;
    std::uint32_t flags;
  };
  std::vector<FileOperationCall> fileOperations;
  std::vector<ShellExecuteCall> shellExecutes;
  std::vector<EmptyRecycleBinCall> recycleBinEmptied;
  int recycleConfirmations = 0;  // questions the shell asked before recycling
  int librariesLoaded = 0, librariesFreed = 0;
  std::vector<std::string> libraryRequests;  // names given to LoadLibrary

  // Names of the files now in the recycle-bin folder, in name order.
  std::vector<std::string> RecycledNames() const;
  const std::filesystem::path& RecycleBin() const { return recycleBin_; }

  // ---- IShell
  int FileOperation(WindowHandle owner, std::uint32_t operation, const char* files, std::uint16_t flags,
                    bool* aborted) override;
  std::uintptr_t LoadLibrary(const char* name) override;
  void* GetProcAddress(std::uintptr_t library, const char* name) override;
  void FreeLibrary(std::uintptr_t library) override;
  std::intptr_t ShellExecute(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                             const char* directory, int show) override;
  std::string ModuleFolder() override { return moduleFolder_; }

 private:
  static HResult EmptyRecycleBinEntry(WindowHandle owner, const char* rootPath, std::uint32_t flags);
  void MoveToRecycleBin(const std::filesystem::path& host);

  SimFileSystem& files_;
  std::filesystem::path recycleBin_;
  std::string moduleFolder_;
  bool confirmRecycle_ = true;
  Library library_ = Library::Present;
  std::vector<std::uintptr_t> loaded_;
  std::uintptr_t nextLibrary_ = 0x10000;
};

}  // namespace platform
