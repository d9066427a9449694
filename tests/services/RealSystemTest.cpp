// The routines on the real WinInet cache and recycle bin. These empty what they find, so they run
// only under Wine in the build's throwaway prefix and skip everywhere else.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "services/CleanHistory.h"
#include "tests/support/Installed.h"
#include "tests/support/ShellFixture.h"

#ifdef _WIN32
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UrlCache.h"
#endif

namespace nqtest {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
int CountEntries(platform::IUrlCache& cache) {
  int count = 0;
  std::uint32_t size = 0;
  cache.FindFirst(nullptr, &size);
  if (cache.LastError() != 122) return 0;
  std::vector<std::uint8_t> entry(size);
  const platform::SearchHandle walk = cache.FindFirst(entry.data(), &size);
  if (walk == 0) return 0;
  for (++count;; ++count) {
    size = 0;
    if (cache.FindNext(walk, nullptr, &size) || cache.LastError() != 122) break;
    entry.assign(size, 0);
    if (!cache.FindNext(walk, entry.data(), &size)) break;
  }
  cache.Close(walk);
  return count;
}
#endif

TEST(RealUrlCache, ClearUrlCacheEmptiesAFilledCache) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
#ifdef _WIN32
  platform::Win32UrlCache cache;
  Installed<platform::IUrlCache> installed(cache);
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(platform::Win32UrlCache::Store("http://nqtest.example/page" + std::to_string(i) + ".htm",
                                               std::string(100 + 900 * i, 'x')));
  }
  ASSERT_GE(CountEntries(cache), 4);

  nq::ClearUrlCache();

  EXPECT_EQ(CountEntries(cache), 0);
  std::uint32_t size = 0;
  EXPECT_EQ(cache.FindFirst(nullptr, &size), 0u);
  EXPECT_EQ(cache.LastError(), 259u) << "an empty cache answers ERROR_NO_MORE_ITEMS";
#endif
}

TEST(RealRecycleBin, EmptyRecycleBinEmptiesIt) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
#ifdef _WIN32
  platform::Win32Shell shell;
  Installed<platform::IShell> installed(shell);
  FileTree tree(Backend::Win32);
  tree.WriteFile("recycled-by-test.txt", "x");
  const std::string list = tree.Path("recycled-by-test.txt") + std::string(2, '\0');
  bool aborted = false;
  // Straight to the bin, without the question RecycleFiles leaves to the shell (nobody could answer it).
  constexpr std::uint16_t kFofSilent = 0x4;
  shell.FileOperation(0, platform::kFoDelete, list.c_str(),
                      platform::kFofAllowUndo | platform::kFofNoConfirmation | kFofSilent, &aborted);
  ASSERT_FALSE(tree.Exists("recycled-by-test.txt"));
  ASSERT_TRUE(fs::exists(WineRecycleBinFiles() / "recycled-by-test.txt"));

  nq::EmptyRecycleBin(nullptr);

  // Other tests of the run recycle at the same time (and Wine leaves a recycled folder in its bin):
  // what this test put there is what must be gone.
  EXPECT_FALSE(fs::exists(WineRecycleBinFiles() / "recycled-by-test.txt"));
#endif
}

TEST(Win32Shell, ModuleFolderHoldsTheRunningProgram) {
#ifdef _WIN32
  platform::Win32Shell shell;
  const std::string folder = shell.ModuleFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_TRUE(fs::exists(fs::path(folder) / "test_services.exe"));
#else
  GTEST_SKIP() << "the Win32 back ends exist only in the Windows build";
#endif
}

}  // namespace
}  // namespace nqtest
