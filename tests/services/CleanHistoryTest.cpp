// The shell routines on the substitutes: how the cache walk is done, what the shell is handed, the
// recycle-bin call and its library, the history object's answers and the Recent folder.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "services/Changes.h"
#include "services/CleanHistory.h"
#include "services/MainFunc.h"
#include "tests/support/Installed.h"
#include "tests/support/KeyPaths.h"
#include "tests/support/ShellFixture.h"

namespace nqtest {
namespace {

using platform::SimShell;
using Strings = std::vector<std::string>;

class CleanHistoryTest : public FileTreeTest {};

// ---- ClearUrlCache

TEST_F(CleanHistoryTest, CacheWalkFetchesEachEntryIntoABufferOfItsSizeAndDeletesIt) {
  struct Case {
    Strings urls;
  } const cases[] = {
      {{}},
      {{"http://one.example/"}},
      {{"http://a.example/", "http://bb.example/page?q=1", "http://c.example/x", "https://d.example/long/path/name"}},
  };
  for (const Case& c : cases) {
    platform::SimUrlCache cache;
    Installed installed(cache);
    std::vector<std::uint32_t> sizes;
    for (std::size_t i = 0; i < c.urls.size(); ++i) {
      cache.Add(c.urls[i], static_cast<std::uint32_t>(37 * i));  // every entry a different size
      sizes.push_back(static_cast<std::uint32_t>(cache.EntrySize(c.urls[i])));
    }
    const int n = static_cast<int>(c.urls.size());

    nq::ClearUrlCache();

    SCOPED_TRACE(n);
    const auto& calls = cache.Counts();
    EXPECT_EQ(calls.findFirst, 2);
    EXPECT_EQ(calls.findNext, n == 0 ? 0 : 2 * n - 1);
    EXPECT_EQ(calls.deleteEntry, n);
    EXPECT_EQ(calls.deleted, c.urls);
    EXPECT_EQ(calls.fetchBufferSizes, sizes);
    EXPECT_TRUE(cache.Urls().empty());
    EXPECT_EQ(calls.close, n == 0 ? 0 : 1);
    EXPECT_EQ(cache.OpenWalkCount(), 0u);
  }
}

TEST_F(CleanHistoryTest, EntriesInUseStayAndTheWalkStillEnds) {
  cache_.Add("http://busy.example/1", 10, true);
  cache_.Add("http://free.example/", 20);
  cache_.Add("http://busy.example/2", 30, true);

  nq::ClearUrlCache();

  EXPECT_EQ(cache_.Urls(), (Strings{"http://busy.example/1", "http://busy.example/2"}));
  EXPECT_EQ(cache_.Counts().fetchBufferSizes.size(), 3u) << "each entry fetched once";
  EXPECT_EQ(cache_.Counts().findNext, 5);
  EXPECT_EQ(cache_.OpenWalkCount(), 0u);

  // All in use: each is fetched and asked for once, none goes, and the walk ends.
  cache_.Add("http://busy.example/3", 40, true);
  cache_.ResetCounts();
  nq::ClearUrlCache();
  EXPECT_EQ(cache_.Urls().size(), 3u);
  EXPECT_EQ(cache_.Counts().deleteEntry, 3);
  EXPECT_EQ(cache_.Counts().findNext, 5);
  EXPECT_EQ(cache_.OpenWalkCount(), 0u);
}

// Another program may write to an entry between its size probe and its fetch: the fetch then
// falls short without moving the walk on, and the next probe learns the new size.
TEST_F(CleanHistoryTest, AnEntryThatGrowsAfterItsProbeIsStillDeletedAndTheWalkGoesOn) {
  cache_.Add("http://a.example/", 10);
  cache_.Add("http://grows.example/", 20);
  cache_.Add("http://c.example/", 30);
  cache_.GrowAfterProbe("http://grows.example/", 500);
  const std::uint32_t grown = static_cast<std::uint32_t>(cache_.EntrySize("http://grows.example/")) + 500;

  nq::ClearUrlCache();

  EXPECT_TRUE(cache_.Urls().empty());
  const auto& calls = cache_.Counts();
  EXPECT_EQ(calls.deleted, (Strings{"http://a.example/", "http://grows.example/", "http://c.example/"}));
  ASSERT_EQ(calls.fetchBufferSizes.size(), 3u);
  EXPECT_EQ(calls.fetchBufferSizes[1], grown) << "fetched again into a buffer of its new size";
  EXPECT_EQ(calls.findNext, 7) << "one short fetch more than a quiet walk";
  EXPECT_EQ(calls.close, 1);
  EXPECT_EQ(cache_.OpenWalkCount(), 0u);
}

TEST_F(CleanHistoryTest, CacheWalkEndsOnAFailureOtherThanAShortBuffer) {
  cache_.Add("http://a.example/");
  cache_.Add("http://b.example/");
  cache_.FailFindNextWith(8);  // ERROR_NOT_ENOUGH_MEMORY: retrying would never end

  nq::ClearUrlCache();

  EXPECT_EQ(cache_.Counts().findNext, 1);
  EXPECT_EQ(cache_.Urls(), Strings{"http://b.example/"});
  EXPECT_EQ(cache_.Counts().close, 1);
  EXPECT_EQ(cache_.OpenWalkCount(), 0u);
}

// ---- ShellDeleteFile and RecycleFiles

TEST_F(CleanHistoryTest, ShellDeleteFileHandsTheShellAOnePathList) {
  const std::string bare = "C:\\Recent\\a.lnk";
  const std::string expected = bare + std::string(2, '\0');
  for (const std::string& given :
       {bare, bare + std::string(2, '\0'), bare + std::string(1, '\0') + "C:\\other.txt" + std::string(2, '\0')}) {
    shell_.fileOperations.clear();
    nq::ShellDeleteFile(0x77, given);
    ASSERT_EQ(shell_.fileOperations.size(), 1u);
    const SimShell::FileOperationCall& call = shell_.fileOperations[0];
    EXPECT_EQ(call.list, expected);
    EXPECT_EQ(call.owner, 0x77u);
    EXPECT_EQ(call.operation, platform::kFoDelete);
    EXPECT_EQ(call.flags, platform::kFofNoConfirmation);
  }
  EXPECT_EQ(shell_.recycleConfirmations, 0);
}

TEST_F(CleanHistoryTest, RecycleFilesAsksTheShellToMoveTheListToTheRecycleBin) {
  tree_.WriteFile("Cookies\\a@x.txt");
  tree_.WriteFile("Cookies\\b@x.txt");
  const std::string list =
      tree_.Path("Cookies\\a@x.txt") + '\0' + tree_.Path("Cookies\\b@x.txt") + std::string(2, '\0');

  shell_.AnswerRecycleConfirmation(false);
  nq::RecycleFiles(0, list);
  EXPECT_TRUE(tree_.Exists("Cookies\\a@x.txt"));
  EXPECT_TRUE(shell_.RecycledNames().empty());

  shell_.AnswerRecycleConfirmation(true);
  nq::RecycleFiles(0x55, list);
  EXPECT_FALSE(tree_.Exists("Cookies\\a@x.txt"));
  EXPECT_FALSE(tree_.Exists("Cookies\\b@x.txt"));
  EXPECT_EQ(shell_.RecycledNames(), (Strings{"a@x.txt", "b@x.txt"}));

  ASSERT_EQ(shell_.fileOperations.size(), 2u);
  EXPECT_EQ(shell_.fileOperations[1].list, list);
  EXPECT_EQ(shell_.fileOperations[1].owner, 0x55u);
  EXPECT_EQ(shell_.fileOperations[1].flags, platform::kFofAllowUndo);
  EXPECT_EQ(shell_.recycleConfirmations, 2);
}

// A folder in the list is recycled like a file, and one the shell leaves in place is refused too.
TEST_F(CleanHistoryTest, RecycleFilesRecordsAFolderTheShellLeftAsRefused) {
  tree_.WriteFile("Extension\\manifest.json");
  tree_.WriteFile("Cookies\\a@x.txt");
  const std::string list = tree_.Path("Extension") + '\0' + tree_.Path("Cookies\\a@x.txt") + std::string(2, '\0');
  for (const bool yes : {false, true}) {
    shell_.AnswerRecycleConfirmation(yes);
    nq::TChangeRecorder recorder(false);
    nq::RecycleFiles(0, list);
    const nq::TChanges changes = recorder.Take();
    ASSERT_EQ(changes.size(), 2u);
    for (const nq::TChange& change : changes) EXPECT_EQ(change.refused, !yes) << change.path;
    EXPECT_EQ(tree_.Exists("Extension\\manifest.json"), !yes);
  }
}

TEST_F(CleanHistoryTest, RecycleFilesNeverLetsTheShellReadPastAnUnfinishedList) {
  tree_.WriteFile("Cookies\\a@x.txt");
  const std::string path = tree_.Path("Cookies\\a@x.txt");
  nq::RecycleFiles(0, path);          // no NUL at all
  nq::RecycleFiles(0, path + '\0');   // one NUL
  nq::RecycleFiles(0, std::string());  // no path: the shell is not asked
  ASSERT_EQ(shell_.fileOperations.size(), 2u);
  for (const auto& call : shell_.fileOperations) EXPECT_EQ(call.list, path + std::string(2, '\0'));
}

// ---- EmptyRecycleBin

TEST_F(CleanHistoryTest, EmptyRecycleBinLooksUpItsEntryPointAndAlwaysReleasesTheLibrary) {
  struct Case {
    SimShell::Library library;
    std::size_t calls;
    std::size_t messages;
    int loaded;
  } const cases[] = {
      {SimShell::Library::Present, 1, 0, 1},
      {SimShell::Library::LacksEntryPoint, 0, 0, 1},
      {SimShell::Library::Missing, 0, 1, 0},
  };
  platform::SetOwnerWindow(0x1234);
  for (const Case& c : cases) {
    SimBackEnds sim;
    sim.tree.WriteFile("old.txt");
    sim.shell.AnswerRecycleConfirmation(true);
    nq::RecycleFiles(0, sim.tree.Path("old.txt") + std::string(2, '\0'));
    sim.shell.SetRecycleLibrary(c.library);

    std::vector<std::string> reported;
    nq::EmptyRecycleBin([&reported](const std::string& message) { reported.push_back(message); });

    SCOPED_TRACE(static_cast<int>(c.library));
    EXPECT_EQ(sim.shell.libraryRequests, Strings{"Shell32.dll"});
    ASSERT_EQ(sim.shell.recycleBinEmptied.size(), c.calls);
    if (c.calls == 1) {
      const auto& call = sim.shell.recycleBinEmptied[0];
      EXPECT_EQ(call.owner, 0x1234u);
      EXPECT_EQ(call.rootPath, "");
      EXPECT_EQ(call.flags, 7u);
      EXPECT_TRUE(sim.shell.RecycledNames().empty());
    } else {
      EXPECT_EQ(sim.shell.RecycledNames(), Strings{"old.txt"});
    }
    ASSERT_EQ(reported.size(), c.messages);
    if (c.messages == 1) {
      EXPECT_EQ(reported[0], "Failed to load Shell32.dll.");
    }
    EXPECT_EQ(sim.shell.librariesLoaded, c.loaded);
    EXPECT_EQ(sim.shell.librariesFreed, c.loaded);
  }
  platform::SetOwnerWindow(0);
}

// ---- ClearUrlHistory

TEST_F(CleanHistoryTest, ClearUrlHistoryAnswersOrRaises) {
  enum Kind { kSucceeds, kClearFails, kCannotCreate, kLacksInterface };
  struct Case {
    Kind kind;
    platform::HResult code;
    bool result;
    const char* error;  // null when nothing is raised
  } const cases[] = {
      {kSucceeds, 0, true, nullptr},
      {kSucceeds, 1, true, nullptr},  // S_FALSE is a success status too
      {kClearFails, static_cast<platform::HResult>(0x80004005u), false, nullptr},
      {kCannotCreate, static_cast<platform::HResult>(0x80040154u), false, "Class not registered"},
      {kCannotCreate, static_cast<platform::HResult>(0x8004ABCDu), false, "OLE error 8004abcd"},
      {kLacksInterface, 0, false, "Interface not supported"},
  };
  for (const Case& c : cases) {
    platform::SimUrlHistory history;
    history.urls = {"http://visited.example/"};
    Installed installed(history);
    switch (c.kind) {
      case kSucceeds: history.SucceedWith(c.code); break;
      case kClearFails: history.ClearFailsWith(c.code); break;
      case kCannotCreate: history.CannotBeCreated(c.code); break;
      case kLacksInterface: history.LacksInterface(); break;
    }
    SCOPED_TRACE(c.kind);
    if (c.error == nullptr) {
      EXPECT_EQ(nq::ClearUrlHistory(), c.result);
      EXPECT_EQ(history.urls.empty(), c.result);
    } else {
      try {
        nq::ClearUrlHistory();
        ADD_FAILURE() << "no error raised";
      } catch (const nq::EOleSysError& e) {
        EXPECT_EQ(c.kind, kCannotCreate);
        EXPECT_STREQ(e.what(), c.error);
        EXPECT_EQ(e.ErrorCode, c.code);
      } catch (const nq::EOleError& e) {
        EXPECT_EQ(c.kind, kLacksInterface);
        EXPECT_STREQ(e.what(), c.error);
      }
      EXPECT_EQ(history.urls.size(), 1u);
    }
  }
}

// ---- ClearRecentLinks


void SetShellFolder(const std::string& name, const std::string& path) {
  nq::TRegistry registry;
  registry.SetRootKey(platform::kHkeyCurrentUser);
  ASSERT_TRUE(registry.OpenKey(kShellFolders, true));
  registry.WriteString(name, path);
}

// Counts the searches that reach the file system.
class SearchSpy final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  platform::SearchHandle FindFirst(const std::string& pattern, platform::FindData* data) override {
    patterns.push_back(pattern);
    return ForwardingFileSystem::FindFirst(pattern, data);
  }
  Strings patterns;
};

TEST_F(CleanHistoryTest, WithoutARecentFolderNothingIsSearched) {
  tree_.WriteFile("top.lnk");  // what a bare "\*.lnk" would reach
  SearchSpy spy(tree_.FileSystem());
  {
    Installed installed(spy);
    nq::ClearRecentLinks();  // no "Shell Folders" key at all
    SetShellFolder("Cookies", tree_.Path("Cookies"));
    nq::ClearRecentLinks();  // the key, but no "Recent" value
  }
  EXPECT_TRUE(spy.patterns.empty());
  EXPECT_TRUE(shell_.fileOperations.empty());
  EXPECT_TRUE(tree_.Exists("top.lnk"));
}

TEST_F(CleanHistoryTest, ARecentValueThatIsNotTextRaisesAndDeletesNothing) {
  tree_.WriteFile("Recent\\a.lnk");
  nq::TRegistry registry;
  registry.SetRootKey(platform::kHkeyCurrentUser);
  ASSERT_TRUE(registry.OpenKey(kShellFolders, true));
  const std::uint32_t number = 5;
  reg_.SetValueEx(registry.CurrentKey(), "Recent", platform::kRegDword, reinterpret_cast<const std::uint8_t*>(&number),
                  sizeof number);
  registry.CloseKey();

  EXPECT_THROW(nq::ClearRecentLinks(), nq::ERegistryException);
  EXPECT_TRUE(tree_.Exists("Recent\\a.lnk"));
}

// A shell that fails on one path by raising, as a broken shell extension might.
class ThrowingShell final : public platform::IShell {
 public:
  ThrowingShell(platform::IShell& inner, std::string failOn) : inner_(inner), failOn_(std::move(failOn)) {}
  int FileOperation(platform::WindowHandle owner, std::uint32_t operation, const char* files, std::uint16_t flags,
                    bool* aborted) override {
    if (std::string(files).find(failOn_) != std::string::npos) throw std::runtime_error("shell failure");
    return inner_.FileOperation(owner, operation, files, flags, aborted);
  }
  std::uintptr_t LoadLibrary(const char* name) override { return inner_.LoadLibrary(name); }
  void* GetProcAddress(std::uintptr_t library, const char* name) override { return inner_.GetProcAddress(library, name); }
  void FreeLibrary(std::uintptr_t library) override { inner_.FreeLibrary(library); }
  std::intptr_t ShellExecute(platform::WindowHandle owner, const char* verb, const char* file, const char* parameters,
                             const char* directory, int show) override {
    return inner_.ShellExecute(owner, verb, file, parameters, directory, show);
  }
  std::string ModuleFolder() override { return inner_.ModuleFolder(); }

 private:
  platform::IShell& inner_;
  std::string failOn_;
};

TEST_F(CleanHistoryTest, ALinkThatCannotBeDeletedDoesNotKeepTheOthers) {
  for (const char* name : {"1.lnk", "2.lnk", "3.lnk"}) tree_.WriteFile(std::string("Recent\\") + name);
  SetShellFolder("Recent", tree_.Path("Recent"));
  ThrowingShell throwing(shell_, "2.lnk");
  {
    Installed installed(throwing);
    EXPECT_NO_THROW(nq::ClearRecentLinks());
  }
  EXPECT_FALSE(tree_.Exists("Recent\\1.lnk"));
  EXPECT_TRUE(tree_.Exists("Recent\\2.lnk"));
  EXPECT_FALSE(tree_.Exists("Recent\\3.lnk"));
  EXPECT_EQ(tree_.Sim()->OpenSearchCount(), 0u);
}

}  // namespace
}  // namespace nqtest
