// ClearRecentLinks on a Recent folder, on the substitutes and (in the Windows build) on the real
// directory search and shell file operation over a temp folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "services/CleanHistory.h"
#include "services/Registry.h"
#include "tests/support/Installed.h"
#include "tests/support/ShellFixture.h"

#ifdef _WIN32
#include "platform/win32/Win32Shell.h"
#endif

namespace nqtest {
namespace {

class RecentLinks : public SimRegistryTest, public ::testing::WithParamInterface<Backend> {
 protected:
  void SetUp() override {
    SimRegistryTest::SetUp();
    if (GetParam() == Backend::Sim) {
      sim_ = std::make_unique<SimBackEnds>();
      tree_ = &sim_->tree;
    } else {
      win32Tree_ = std::make_unique<FileTree>(Backend::Win32);
      tree_ = win32Tree_.get();
#ifdef _WIN32
      win32Shell_ = std::make_unique<platform::Win32Shell>();
      installedShell_.emplace(*win32Shell_);
#endif
    }
    nq::TRegistry registry;
    registry.SetRootKey(platform::kHkeyCurrentUser);
    ASSERT_TRUE(registry.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    registry.WriteString("Recent", tree_->Path("Recent"));
  }
  void TearDown() override {
    installedShell_.reset();
    win32Shell_.reset();
    win32Tree_.reset();
    sim_.reset();
    SimRegistryTest::TearDown();
  }

  FileTree* tree_ = nullptr;
  std::unique_ptr<SimBackEnds> sim_;
  std::unique_ptr<FileTree> win32Tree_;
  std::unique_ptr<platform::IShell> win32Shell_;
  std::optional<Installed<platform::IShell>> installedShell_;
};

TEST_P(RecentLinks, LinksAreDeletedForGoodAndEverythingElseStays) {
  tree_->WriteFile("Recent\\a.lnk", "link");
  tree_->WriteFile("Recent\\b.lnk", "hidden link");
  tree_->SetAttributes("Recent\\b.lnk", platform::kFileAttributeHidden);
  tree_->MakeFolder("Recent\\c.lnk");
  tree_->WriteFile("Recent\\c.lnk\\inside.lnk", "in a folder named like a link");
  tree_->WriteFile("Recent\\d.txt", "not a link");
  // Found by "*.lnk" through its 8.3 name, but not a link: it stays.
  tree_->WriteFile("Recent\\e.lnkx", "not a link either");

  nq::ClearRecentLinks();

  EXPECT_FALSE(tree_->Exists("Recent\\a.lnk"));
  EXPECT_FALSE(tree_->Exists("Recent\\b.lnk"));
  EXPECT_TRUE(tree_->Exists("Recent\\c.lnk\\inside.lnk"));
  EXPECT_TRUE(tree_->Exists("Recent\\d.txt"));
  EXPECT_TRUE(tree_->Exists("Recent\\e.lnkx"));

  if (sim_ != nullptr) {
    EXPECT_TRUE(sim_->shell.RecycledNames().empty());
    EXPECT_EQ(sim_->shell.recycleConfirmations, 0);
    ASSERT_EQ(sim_->shell.fileOperations.size(), 2u) << "one shell call per link";
    for (const auto& call : sim_->shell.fileOperations) {
      EXPECT_EQ(call.owner, 0u);
      EXPECT_EQ(call.flags, platform::kFofNoConfirmation);
      EXPECT_EQ(call.files.size(), 1u);
    }
    EXPECT_EQ(sim_->tree.Sim()->OpenSearchCount(), 0u);
  } else {
    std::string why;
    if (InThrowawayWinePrefix(&why)) {
      std::error_code ec;
      for (const char* name : {"a.lnk", "b.lnk"}) {
        EXPECT_FALSE(std::filesystem::exists(WineRecycleBinFiles() / name, ec)) << name << " went to the recycle bin";
      }
    }
  }
}

TEST_P(RecentLinks, AnEmptyRecentFolderIsLeftAsItIs) {
  tree_->MakeFolder("Recent");
  EXPECT_NO_THROW(nq::ClearRecentLinks());
  EXPECT_TRUE(tree_->Exists("Recent"));
  if (sim_ != nullptr) {
    EXPECT_TRUE(sim_->shell.fileOperations.empty());
  }
}

std::vector<Backend> Kinds() {
  std::vector<Backend> kinds{Backend::Sim};
  if (HaveWin32Backends()) kinds.push_back(Backend::Win32);
  return kinds;
}

INSTANTIATE_TEST_SUITE_P(Backends, RecentLinks, ::testing::ValuesIn(Kinds()),
                         [](const auto& info) { return info.param == Backend::Sim ? "Sim" : "Win32"; });

}  // namespace
}  // namespace nqtest
