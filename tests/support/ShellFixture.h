// Test support for everything that works on files: a fresh folder tree under the system's temp
// folder with the directory-search back end installed over it, removed again afterwards. Nothing
// here reaches the files of the person running the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/shell.h"
#include "platform/sim/SimFileSystem.h"
#include "tests/support/Sim.h"

namespace nqtest {

// Which back end a test runs against: the substitutes (both builds) or the real Win32 calls (the
// Windows build only, on a real temp folder).
enum class Backend { Sim, Win32 };

// True when the Win32 back ends are built in (the Windows build).
bool HaveWin32Backends();

// A fresh, empty folder under the system's temp folder; removed with its contents at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Installs the file-system back end of the chosen kind over a fresh temp tree for as long as it
// lives, then puts the previous one back. With the substitute the program sees the tree as drive
// "C:"; with the real calls it sees the temp folder's own path.
class FileTree {
 public:
  explicit FileTree(Backend kind = Backend::Sim);
  ~FileTree();
  FileTree(const FileTree&) = delete;
  FileTree& operator=(const FileTree&) = delete;

  Backend Kind() const { return kind_; }
  // The path the program uses for `relative` ("Recent\a.lnk"; empty for the tree's top).
  std::string Path(const std::string& relative) const;
  // Where that lies on the host, for the test's own checks.
  std::filesystem::path Host(const std::string& relative) const;

  void WriteFile(const std::string& relative, const std::string& contents = std::string());
  void MakeFolder(const std::string& relative);
  bool Exists(const std::string& relative) const;
  // Read-only, hidden and system bits (kFileAttribute*), set the way the back end keeps them.
  void SetAttributes(const std::string& relative, std::uint32_t attributes);

  platform::IFileSystem& FileSystem() { return *fileSystem_; }
  // The substitute, or null with the real calls.
  platform::SimFileSystem* Sim() { return sim_; }
  // Folders beside the tree that tests may use for other purposes (a recycle bin, a cache).
  std::filesystem::path Scratch(const std::string& name) const;

 private:
  Backend kind_;
  TempFolder temp_;
  std::filesystem::path top_;
  std::unique_ptr<platform::IFileSystem> fileSystem_;
  platform::SimFileSystem* sim_ = nullptr;
  platform::IFileSystem* previous_ = nullptr;
};

// A fixture with the in-memory registry and the substitute file tree.
class FileTreeTest : public SimRegistryTest {
 protected:
  FileTree tree_{Backend::Sim};
};

}  // namespace nqtest
