// Hostile input: names and data at the registry's limits, keys and values that vanish or change
// between a listing and a read or a delete, deep trees, crowded folders, links that point
// elsewhere, endless files and names outside ASCII. Each case has a clear outcome and loses nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/MainForm.h"
#include "privacy/CookieText.h"
#include "services/CleanHistory.h"
#include "services/MainFunc.h"
#include "tests/support/Installed.h"
#include "tests/support/KeyPaths.h"
#include "tests/support/RegistryBackends.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

namespace {

using namespace nqtest;
using nq::TStrings;
using platform::kHkeyCurrentUser;


// ---- the registry's limits, on every back end

class Limits : public RegistryBackendTest {};

TEST_P(Limits, LongestNamesAndLargeDataListReadAndDelete) {
  const std::string keyName(255, 'k');           // the longest key name Windows allows
  const std::string valueName(16383, 'v');       // the longest value name
  const std::string big(1024 * 1024 - 1, 'd');   // a megabyte of text with its NUL
  {
    nq::TRegistry reg;
    // Right under the root: with parents, the path would pass what the A calls take (255).
    ASSERT_TRUE(reg.OpenKey("\\" + keyName, true));
    reg.WriteString(valueName, "long name");
    reg.WriteString("big", big);
  }
  TStrings list;
  ASSERT_TRUE(nq::ListSubkeys(kHkeyCurrentUser, "\\", list));
  EXPECT_EQ(std::count(list.begin(), list.end(), keyName), 1);
  ASSERT_TRUE(nq::ListValueNames(kHkeyCurrentUser, "\\" + keyName, list));
  EXPECT_EQ(list.size(), 2u);
  EXPECT_EQ(std::count(list.begin(), list.end(), valueName), 1);
  EXPECT_EQ(nq::ReadStringValue(kHkeyCurrentUser, "\\" + keyName, "big"), big);
  ASSERT_TRUE(nq::ListValueData(kHkeyCurrentUser, "\\" + keyName, list));
  EXPECT_EQ(std::count(list.begin(), list.end(), big), 1);
  EXPECT_TRUE(nq::DeleteValueByData(kHkeyCurrentUser, "\\" + keyName, big));
  EXPECT_TRUE(nq::DeleteNamedValue(kHkeyCurrentUser, "\\" + keyName, valueName));
  EXPECT_TRUE(nq::DeleteRegistryKey(kHkeyCurrentUser, "\\" + keyName));
  EXPECT_FALSE(nq::ListSubkeys(kHkeyCurrentUser, "\\" + keyName, list));
}

TEST_P(Limits, DeepTreeGoesWhole) {
  // Built one level at a time, as no single path of this depth fits the A calls' limit.
  nq::TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\Deep", true));
  for (int level = 0; level < 120; ++level) {
    ASSERT_TRUE(reg.OpenKey("L" + std::to_string(level), true)) << level;
    reg.WriteString("v", "x");
  }
  reg.CloseKey();
  EXPECT_TRUE(nq::DeleteRegistryKey(kHkeyCurrentUser, "\\Software\\Deep"));
  TStrings list;
  EXPECT_FALSE(nq::ListSubkeys(kHkeyCurrentUser, "\\Software\\Deep", list));
  EXPECT_TRUE(nq::ListSubkeys(kHkeyCurrentUser, "\\Software", list));
}

TEST_P(Limits, NamesOutsideAsciiListAndDeleteFromTheStartupPage) {
  // Names in the process code page, UTF-8: listed as they are, deleted by them.
  const std::string cafe = "Café Updater";
  const std::string other = "À propos";
  Load(std::string("[HKEY_CURRENT_USER") + kRun + "]\n\"" + cafe + "\"=\"C:\\\\café.exe\"\n\"" + other + "\"=\"x.exe\"\n");
  ui::ScriptedDialogs dialogs;
  Installed installed(dialogs);
  {
    nq::TMainForm form;
    form.NavBar.ClickItem(nq::TMainForm::secNorvane, 1);
    ASSERT_EQ(form.EntryListBox.Count(), 2);
    const int at = form.EntryListBox.Items()[0] == cafe ? 0 : 1;
    EXPECT_EQ(form.EntryListBox.Items()[at], cafe);
    form.EntryListBox.UserSelect(at);
    EXPECT_EQ(form.DateValueLabel.Caption(), "C:\\café.exe");
    dialogs.AnswerMessage(ui::kIdOk);
    form.DeleteEntryButton.Click();
    EXPECT_EQ(form.EntryListBox.Items(), TStrings{other});
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, Limits, ::testing::ValuesIn(RegistryBackends()), BackendName);

// ---- keys and values that change under the program's feet (substitute)

// A registry that runs a hook once, just before a chosen call.
class Meddling final : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  std::function<void()> beforeRead, beforeEnumKey;
  long QueryValueEx(platform::RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override {
    if (data != nullptr && beforeRead) std::exchange(beforeRead, nullptr)();
    return ForwardingRegistry::QueryValueEx(key, name, type, data, size);
  }
  long EnumKeyEx(platform::RegKey key, std::uint32_t index, char* name, std::uint32_t* length) override {
    if (beforeEnumKey) std::exchange(beforeEnumKey, nullptr)();
    return ForwardingRegistry::EnumKeyEx(key, index, name, length);
  }
};

class Changing : public SimRegistryTest {
 protected:
  void SetUp() override {
    SimRegistryTest::SetUp();
    nq::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\T", true));
    reg.WriteString("a", "first");
    reg.WriteString("b", "second");
  }
  void Set(const std::string& name, const std::string& text) {
    platform::RegKey key = 0;
    reg_.OpenKeyEx(kHkeyCurrentUser, "Software\\T", platform::kKeyAllAccess, &key);
    reg_.SetValueEx(key, name.c_str(), platform::kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                    static_cast<std::uint32_t>(text.size() + 1));
    reg_.CloseKey(key);
  }
  Meddling meddling_{reg_};
  Installed<platform::IRegistry> installedMeddling_{meddling_};
};

TEST_F(Changing, ValueThatGrowsBetweenSizeAndReadIsNotTakenHalf) {
  meddling_.beforeRead = [this] { Set("a", "much longer than before"); };
  TStrings list;
  ASSERT_TRUE(nq::ListValueData(kHkeyCurrentUser, "\\Software\\T", list));
  EXPECT_EQ(list, (TStrings{"a", "second"})) << "the changed value is shown by its name, not cut short";
  meddling_.beforeRead = [this] { Set("a", "longer still, much longer"); };
  EXPECT_EQ(nq::ReadStringValue(kHkeyCurrentUser, "\\Software\\T", "a"), "");
  EXPECT_EQ(reg_.OpenHandleCount(), 0u);
}

TEST_F(Changing, ValueThatVanishesBeforeItsReadOrDelete) {
  meddling_.beforeRead = [this] {
    platform::RegKey key = 0;
    reg_.OpenKeyEx(kHkeyCurrentUser, "Software\\T", platform::kKeyAllAccess, &key);
    reg_.DeleteValue(key, "b");
    reg_.CloseKey(key);
  };
  // The typed-address deletion reads every value's text first: "b" goes missing on the way.
  EXPECT_TRUE(nq::DeleteValueByData(kHkeyCurrentUser, "\\Software\\T", "first"));
  TStrings list;
  ASSERT_TRUE(nq::ListValueNames(kHkeyCurrentUser, "\\Software\\T", list));
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(nq::DeleteNamedValue(kHkeyCurrentUser, "\\Software\\T", "b"));
}

TEST_F(Changing, SubkeyThatVanishesDuringASubtreeDeletion) {
  {
    nq::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\T\\x\\deep", true));
    ASSERT_TRUE(reg.OpenKey("\\Software\\T\\y", true));
  }
  meddling_.beforeEnumKey = [this] {
    reg_.DeleteKeyEx(kHkeyCurrentUser, "Software\\T\\y", 0);
  };
  EXPECT_TRUE(nq::DeleteRegistryKey(kHkeyCurrentUser, "\\Software\\T"));
  TStrings list;
  EXPECT_FALSE(nq::ListSubkeys(kHkeyCurrentUser, "\\Software\\T", list));
  EXPECT_EQ(reg_.OpenHandleCount(), 0u);
}

// ---- folders (substitutes over a real temp tree)

class Folders : public FileTreeTest {
 protected:
  void SetFolder(const char* name, const std::string& path) {
    nq::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    reg.WriteString(name, path);
  }
};

TEST_F(Folders, ThousandsOfRecentLinksAllGo) {
#ifdef _WIN32
  const int links = 300;  // every file call costs far more under Wine
#else
  const int links = 3000;
#endif
  for (int i = 0; i < links; ++i) tree_.WriteFile("Recent\\doc" + std::to_string(i) + ".lnk", "l");
  tree_.WriteFile("Recent\\keep.txt", "t");
  SetFolder("Recent", tree_.Path("Recent"));
  nq::ClearRecentLinks();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree_.Host("Recent")), {}), 1);
  EXPECT_TRUE(tree_.Exists("Recent\\keep.txt"));
}

TEST_F(Folders, NamesThatOnlyTheirShortNamesMatchAreNotListed) {
  // "*.txt" also finds "notes.txtold" by its generated 8.3 name "NOTES~1.TXT"; likewise "*.bmp".
  tree_.WriteFile("Cookies\\u@site[1].txt", "n\nv\nsite.example/\n");
  tree_.WriteFile("Cookies\\notes.txtold", "n\nv\nother/\n");
  tree_.WriteFile("Program\\Bitmaps\\Sky.bmp", "BM");
  tree_.WriteFile("Program\\Bitmaps\\Sky.bmpold", "BM");
  SetFolder("Cookies", tree_.Path("Cookies"));
  ui::ScriptedDialogs dialogs;
  Installed installed(dialogs);
  {
    nq::TMainForm form;
    form.NavBar.ClickItem(nq::TMainForm::secPrivacy, 2);
    ASSERT_EQ(form.CookieListView.Items.size(), 1u);
    EXPECT_EQ(form.CookieListView.Items[0].Caption, "u@site[1].txt");
    form.NavBar.ClickItem(nq::TMainForm::secSetup, 0);
    EXPECT_EQ(form.WallpaperListBox.Items(), TStrings{"Sky"});
  }
}

#ifndef _WIN32
// Symbolic links and /dev/zero are the host's: these two run in the native build.
TEST_F(Folders, LinksThatPointElsewhereGoThemselvesAndLeaveTheirTargets) {
  tree_.WriteFile("Elsewhere\\precious.doc", "keep me");
  tree_.WriteFile("Elsewhere\\Folder\\inside.doc", "keep me too");
  tree_.MakeFolder("Recent");
  std::filesystem::create_symlink(tree_.Host("Elsewhere\\precious.doc"), tree_.Host("Recent\\file.lnk"));
  std::filesystem::create_directory_symlink(tree_.Host("Elsewhere\\Folder"), tree_.Host("Recent\\folder.lnk"));
  SetFolder("Recent", tree_.Path("Recent"));
  nq::ClearRecentLinks();
  EXPECT_FALSE(std::filesystem::is_symlink(tree_.Host("Recent\\file.lnk")));
  EXPECT_TRUE(tree_.Exists("Elsewhere\\precious.doc"));
  EXPECT_TRUE(tree_.Exists("Elsewhere\\Folder\\inside.doc"));
}

TEST_F(Folders, EndlessAndUnreadableCookieFilesDoNotStopTheLoad) {
  tree_.WriteFile("Cookies\\a@good[1].txt", "n\nv\ngood.example/\n");
  tree_.MakeFolder("Cookies");
  std::filesystem::create_symlink("/dev/zero", tree_.Host("Cookies\\zero@endless[1].txt"));
  tree_.WriteFile("Cookies\\locked@site[1].txt", "n\nv\nlocked.example/\n");
  std::filesystem::permissions(tree_.Host("Cookies\\locked@site[1].txt"), std::filesystem::perms::none);
  SetFolder("Cookies", tree_.Path("Cookies"));
  ui::ScriptedDialogs dialogs;
  Installed installed(dialogs);
  nq::TMainForm form;
  form.NavBar.ClickItem(nq::TMainForm::secPrivacy, 2);
  ASSERT_EQ(form.CookieListView.Items.size(), 3u);
  for (const ui::TListItem& row : form.CookieListView.Items) {
    const std::string site = row.SubItems.empty() ? "" : row.SubItems[0];
    if (row.Caption == "a@good[1].txt") {
      EXPECT_EQ(site, "good.example/");
    } else if (row.Caption == "zero@endless[1].txt") {
      EXPECT_EQ(site, "") << "an endless file has no third line";
    }
  }
  EXPECT_TRUE(dialogs.shown.empty());
}
#endif

}  // namespace
