// The directory search and file reading, held to the same expectations on the substitute and (in
// the Windows build) on the real calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <vector>

#include "tests/support/RegistryOverride.h"
#include "tests/support/ShellFixture.h"

namespace nqtest {
namespace {

using platform::FindData;

std::vector<Backend> BackendsToTest() {
  std::vector<Backend> kinds{Backend::Sim};
  if (HaveWin32Backends()) kinds.push_back(Backend::Win32);
  return kinds;
}

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::Sim ? "Sim" : "Win32";
}

class FileSystemContract : public ::testing::TestWithParam<Backend> {
 protected:
  // name -> attributes of everything the search yields, closing the search afterwards.
  std::map<std::string, std::uint32_t> Search(const std::string& pattern) {
    std::map<std::string, std::uint32_t> found;
    platform::IFileSystem& fileSystem = platform::FileSystem();
    FindData data;
    const platform::SearchHandle search = fileSystem.FindFirst(pattern, &data);
    if (search == 0) return found;
    do {
      EXPECT_TRUE(found.emplace(data.name, data.attributes).second) << "twice: " << data.name;
    } while (fileSystem.FindNext(search, &data));
    EXPECT_FALSE(fileSystem.FindNext(search, &data)) << "a finished search stays finished";
    fileSystem.FindClose(search);
    return found;
  }

  FileTree tree_{GetParam()};
};

constexpr std::uint32_t kKindBits = platform::kFileAttributeDirectory | platform::kFileAttributeHidden |
                                    platform::kFileAttributeSystem | platform::kFileAttributeReadOnly;

TEST_P(FileSystemContract, PatternMatchesLastNameWithoutRegardToCase) {
  tree_.WriteFile("Recent\\a.lnk", "a");
  tree_.WriteFile("Recent\\B.LNK", "b");
  tree_.WriteFile("Recent\\c.lnk", "c");
  tree_.SetAttributes("Recent\\c.lnk", platform::kFileAttributeHidden);
  tree_.WriteFile("Recent\\s.lnk");
  tree_.SetAttributes("Recent\\s.lnk", platform::kFileAttributeSystem | platform::kFileAttributeReadOnly);
  tree_.MakeFolder("Recent\\d.lnk");
  tree_.WriteFile("Recent\\e.txt");
  tree_.WriteFile("Recent\\f.lnkx");
  tree_.WriteFile("Recent\\Sub\\g.lnk");

  std::map<std::string, std::uint32_t> found = Search(tree_.Path("Recent") + "\\*.lnk");
  for (auto& [name, attributes] : found) attributes &= kKindBits;
  const std::map<std::string, std::uint32_t> expected{
      {"a.lnk", 0},
      {"B.LNK", 0},
      {"c.lnk", platform::kFileAttributeHidden},
      {"s.lnk", platform::kFileAttributeSystem | platform::kFileAttributeReadOnly},
      {"d.lnk", platform::kFileAttributeDirectory},
      // Found through its generated short name F~1.LNK, as Windows does.
      {"f.lnkx", 0},
  };
  EXPECT_EQ(found, expected);
}

TEST_P(FileSystemContract, StarListsTheFolderItselfAndItsParent) {
  tree_.WriteFile("Cookies\\x.txt");
  const auto found = Search(tree_.Path("Cookies") + "\\*");
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found.at(".") & platform::kFileAttributeDirectory, platform::kFileAttributeDirectory);
  EXPECT_EQ(found.at("..") & platform::kFileAttributeDirectory, platform::kFileAttributeDirectory);
  EXPECT_EQ(found.count("x.txt"), 1u);
}

TEST_P(FileSystemContract, NothingToFindGivesNoHandle) {
  tree_.WriteFile("Cookies\\x.txt");
  FindData data{"untouched", 77, "UNTOUC~1"};
  for (const std::string& pattern :
       {tree_.Path("Cookies") + "\\*.lnk", tree_.Path("Missing") + "\\*.txt", tree_.Path("Cookies\\x.txt\\*")}) {
    EXPECT_EQ(platform::FileSystem().FindFirst(pattern, &data), 0u) << pattern;
  }
  EXPECT_EQ(data.name, "untouched");
  EXPECT_EQ(data.shortName, "UNTOUC~1");
}

TEST_P(FileSystemContract, ReadFilePrefixAndFileExists) {
  const std::string bytes("ab\0cdef", 7);
  tree_.WriteFile("Cookies\\user@site[1].txt", bytes);
  tree_.MakeFolder("Cookies\\folder");
  platform::IFileSystem& fileSystem = platform::FileSystem();

  std::string read = "stale";
  EXPECT_TRUE(fileSystem.ReadFilePrefix(tree_.Path("Cookies\\user@site[1].txt"), 4, &read));
  EXPECT_EQ(read, bytes.substr(0, 4));
  EXPECT_TRUE(fileSystem.ReadFilePrefix(tree_.Path("Cookies\\user@site[1].txt"), 100, &read));
  EXPECT_EQ(read, bytes);
  EXPECT_FALSE(fileSystem.ReadFilePrefix(tree_.Path("Cookies\\missing.txt"), 4, &read));
  EXPECT_FALSE(fileSystem.ReadFilePrefix(tree_.Path("Cookies\\folder"), 4, &read));

  EXPECT_TRUE(fileSystem.FileExists(tree_.Path("Cookies\\user@site[1].txt")));
  EXPECT_TRUE(fileSystem.FileExists(tree_.Path("COOKIES\\USER@SITE[1].TXT")));
  EXPECT_FALSE(fileSystem.FileExists(tree_.Path("Cookies\\folder")));
  EXPECT_FALSE(fileSystem.FileExists(tree_.Path("Cookies\\missing.txt")));
}

// Names are UTF-8 both ways: what the search yields is the name on disk, and it opens that file.
TEST_P(FileSystemContract, NamesOutsideAsciiComeBackAsWritten) {
#ifdef _WIN32
  if (GetParam() == Backend::Win32 && ProcessCodePage() != 65001) {
    GTEST_SKIP() << "the process code page is " << ProcessCodePage()
                 << ", not UTF-8: the 8-bit calls cannot carry these names";
  }
#endif
  const std::string names[] = {"Café.lnk", "Запуск.txt", "启动项.lnk", "user@тест[1].txt"};
  for (const std::string& name : names) tree_.WriteFile("Recent\\" + name, name);
  const auto found = Search(tree_.Path("Recent\\*"));
  for (const std::string& name : names) {
    EXPECT_EQ(found.count(name), 1u) << name;
    std::string read;
    EXPECT_TRUE(platform::FileSystem().ReadFilePrefix(tree_.Path("Recent\\" + name), 100, &read)) << name;
    EXPECT_EQ(read, name);
  }
  EXPECT_EQ(found.size(), std::size(names) + 2) << "and \".\" and \"..\"";
}

INSTANTIATE_TEST_SUITE_P(Backends, FileSystemContract, ::testing::ValuesIn(BackendsToTest()), BackendName);

// What only the substitute has to get right: where program paths land and that searches are closed.
TEST(SimFileSystem, MapsProgramPathsOntoTheTreeWithoutRegardToCase) {
  FileTree tree(Backend::Sim);
  tree.WriteFile("Documents\\Recent\\a.lnk", "x");
  platform::SimFileSystem& sim = *tree.Sim();
  const auto expected = tree.Host("Documents\\Recent\\a.lnk");
  for (const std::string path :
       {"C:\\Documents\\Recent\\a.lnk", "\\documents\\RECENT\\A.lnk", "d:/Documents/Recent/a.lnk"}) {
    EXPECT_TRUE(std::filesystem::equivalent(sim.HostPath(path), expected)) << path;
  }
  EXPECT_EQ(sim.HostPath("\\Documents\\New\\b.lnk"), tree.Sim()->Root() / "Documents" / "New" / "b.lnk");

  platform::FindData data;
  const platform::SearchHandle search = sim.FindFirst("\\DOCUMENTS\\recent\\*.LNK", &data);
  ASSERT_NE(search, 0u);
  EXPECT_EQ(data.name, "a.lnk");
  EXPECT_EQ(data.attributes, platform::kFileAttributeArchive);
  EXPECT_EQ(sim.OpenSearchCount(), 1u);
  sim.FindClose(search);
  EXPECT_EQ(sim.OpenSearchCount(), 0u);
}

TEST(SimFileSystem, WildcardsFollowFindFirstFile) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  } const cases[] = {
      {"*.lnk", "a.lnk", true},     {"*.lnk", "A.LNK", true},    {"*.lnk", "a.lnkx", true},
      {"*.lnk", "a.lnx", false},    {"*.lnk", "a.ln", false},    {"*.txt", "a.txt.bak", false},
      {"*.lnk", ".lnk", true},      {"*.lnk", "lnk", false},     {"*.*", "noext", true},
      {"*", "anything.x", true},    {"a?c.txt", "abc.txt", true}, {"a?c.txt", "ac.txt", false},
      {"*a*b", "xxaxxb", true},     {"*a*b", "xxaxxbx", false},  {"*~1.LNK", "long name.lnk", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::MatchesPattern(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
  }
}

// The lossy code page: what the 8-bit search gives on a system that ignores the UTF-8 code page.
TEST(SimFileSystem, LossyCodePageGivesQuestionMarksAndShortNamesThatStillNameEachFile) {
  FileTree tree(Backend::Sim);
  tree.WriteFile("Cookies\\user@тест[1].txt", "test");
  tree.WriteFile("Cookies\\user@тесь[1].txt", "other");
  tree.WriteFile("Cookies\\Café.txt", "cafe");
  tree.WriteFile("Cookies\\a.txt", "a");
  platform::SimFileSystem& sim = *tree.Sim();
  sim.SetLossyCodePage(true);
  const auto search = [&] {
    std::vector<std::pair<std::string, std::string>> found;
    FindData data;
    const platform::SearchHandle handle = sim.FindFirst(tree.Path("Cookies") + "\\*.txt", &data);
    if (handle == 0) return found;
    do {
      found.emplace_back(data.name, data.shortName);
    } while (sim.FindNext(handle, &data));
    sim.FindClose(handle);
    return found;
  };
  // Letters beyond the Western European code page come back as one '?' each; é is within it.
  // Two names that look alike then still have 8.3 names of their own.
  using Found = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(search(), (Found{{"a.txt", ""},
                             {"Café.txt", "CAF_~1.TXT"},
                             {"user@????[1].txt", "USER@_~1.TXT"},
                             {"user@????[1].txt", "USER@_~2.TXT"}}));
  std::string bytes;
  EXPECT_TRUE(sim.ReadFilePrefix(tree.Path("Cookies\\USER@_~1.TXT"), 10, &bytes));
  EXPECT_EQ(bytes, "test");
  EXPECT_TRUE(sim.ReadFilePrefix(tree.Path("Cookies\\user@_~2.txt"), 10, &bytes));
  EXPECT_EQ(bytes, "other");
  // The lossy name names no file: it is a pattern, and the real calls refuse it.
  EXPECT_FALSE(sim.FileExists(tree.Path("Cookies\\user@????[1].txt")));
  EXPECT_FALSE(sim.ReadFilePrefix(tree.Path("Cookies\\user@????[1].txt"), 10, &bytes));

  sim.SetShortNames(false);  // a volume that makes no 8.3 names
  EXPECT_EQ(search(), (Found{{"a.txt", ""}, {"Café.txt", ""}, {"user@????[1].txt", ""}, {"user@????[1].txt", ""}}));
  EXPECT_FALSE(sim.FileExists(tree.Path("Cookies\\USER@_~1.TXT")));
}

// The danger the program guards against, as the shell substitute holds it: a '?' in a path given
// to the file operation is a wildcard, one letter each.
TEST(SimShell, QuestionMarksInAPathTakeEveryFileTheyMatch) {
  SimBackEnds sim;
  for (const char* name : {"user@abcd[1].txt", "user@тест[1].txt", "user@wxyz[1].txt", "user@ab[1].txt"}) {
    sim.tree.WriteFile(std::string("Cookies\\") + name, "x");
  }
  const std::string list = sim.tree.Path("Cookies\\user@????[1].txt") + std::string(2, '\0');
  bool aborted = true;
  sim.shell.FileOperation(0, platform::kFoDelete, list.c_str(), platform::kFofAllowUndo, &aborted);
  EXPECT_EQ(sim.shell.RecycledNames(), (std::vector<std::string>{"user@abcd[1].txt", "user@wxyz[1].txt", "user@тест[1].txt"}));
  EXPECT_TRUE(sim.tree.Exists("Cookies\\user@ab[1].txt"));
}

}  // namespace
}  // namespace nqtest
