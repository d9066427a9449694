// Test support for everything that works on files: a fresh folder tree under the system's temp
// folder with the directory-search back end installed over it, removed again afterwards. Nothing
// here reaches the files of the person running the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/shell.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimFiles.h"
#include "platform/sim/SimLinks.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimUrlCache.h"
#include "platform/sim/SimUrlHistory.h"
#include "tests/support/Installed.h"
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
  std::optional<Installed<platform::IFileSystem>> installed_;
};

// Every substitute beyond the registry, installed for as long as it lives: the file tree, the
// shell on that tree (with a recycle-bin folder beside it), the URL cache and the URL history, the
// files and management calls, shell links on that tree and an empty Task Scheduler.
class SimBackEnds {
 public:
  SimBackEnds();
  ~SimBackEnds();
  SimBackEnds(const SimBackEnds&) = delete;
  SimBackEnds& operator=(const SimBackEnds&) = delete;

  FileTree tree{Backend::Sim};
  platform::SimShell shell;
  platform::SimUrlCache cache;
  platform::SimUrlHistory history;
  platform::SimFiles files{*tree.Sim()};
  platform::SimManagement management;
  platform::SimShellLinks links{*tree.Sim()};
  platform::SimTaskScheduler tasks;

 private:
  Installed<platform::IShell> installedShell_{shell};
  Installed<platform::IUrlCache> installedCache_{cache};
  Installed<platform::IUrlHistory> installedHistory_{history};
  Installed<platform::IFiles> installedFiles_{files};
  Installed<platform::IManagement> installedManagement_{management};
  Installed<platform::IShellLinks> installedLinks_{links};
  Installed<platform::ITaskScheduler> installedTasks_{tasks};
};

// Passes every call to another file system; test spies override the calls they watch.
class ForwardingFileSystem : public platform::IFileSystem {
 public:
  explicit ForwardingFileSystem(platform::IFileSystem& inner) : inner_(inner) {}
  platform::SearchHandle FindFirst(const std::string& pattern, platform::FindData* data) override {
    return inner_.FindFirst(pattern, data);
  }
  bool FindNext(platform::SearchHandle search, platform::FindData* data) override {
    return inner_.FindNext(search, data);
  }
  void FindClose(platform::SearchHandle search) override { inner_.FindClose(search); }
  bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::string* bytes) override {
    return inner_.ReadFilePrefix(path, maxBytes, bytes);
  }
  bool FileExists(const std::string& path) override { return inner_.FileExists(path); }

 protected:
  platform::IFileSystem& inner_;
};

// A fixture with the in-memory registry and every other substitute.
class FileTreeTest : public SimRegistryTest {
 protected:
  SimBackEnds sim_;
  FileTree& tree_ = sim_.tree;
  platform::SimShell& shell_ = sim_.shell;
  platform::SimUrlCache& cache_ = sim_.cache;
  platform::SimUrlHistory& history_ = sim_.history;
  platform::SimFiles& files_ = sim_.files;
  platform::SimManagement& management_ = sim_.management;
};

// Whether a test may empty the real URL cache, URL history or recycle bins: only in the Windows
// build, under Wine, in the build's own throwaway prefix. Otherwise false, with the reason.
bool InThrowawayWinePrefix(std::string* reason);

// Where Wine keeps the files in its recycle bin, as the test process sees it (only meaningful once
// InThrowawayWinePrefix said yes).
std::filesystem::path WineRecycleBinFiles();

// Forgets what the recycle bin holds under `name`, its record included: Wine gives a file recycled
// under a name it still has a record of another name, so a test that looks for `name` there must
// start from none.
void ForgetRecycled(const std::string& name);

#define NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX()                      \
  do {                                                          \
    std::string nqSkipReason;                                   \
    if (!::nqtest::InThrowawayWinePrefix(&nqSkipReason)) {      \
      GTEST_SKIP() << nqSkipReason;                             \
    }                                                           \
  } while (false)

}  // namespace nqtest
