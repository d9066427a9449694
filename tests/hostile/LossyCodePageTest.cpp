// Names the code page cannot carry, on a system that ignores the program's UTF-8 code page: the
// directory search gives them back with '?' for the letters it lacks. Such a name is a wildcard to
// the shell, so it must never be handed on as if it named one file: the file is reached by its 8.3
// name, or left alone with its row. The substitutes model that code page and the shell's wildcard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "services/CleanHistory.h"
#include "services/FileSearch.h"
#include "services/MainFunc.h"
#include "tests/support/Installed.h"
#include "tests/support/ShellFixture.h"
#include "ui/BmpWriter.h"
#include "ui/headless/ScriptedDialogs.h"

namespace nqtest {
namespace {

using Strings = std::vector<std::string>;

class LossyCodePage : public FileTreeTest {
 protected:
  void SetUp() override {
    FileTreeTest::SetUp();
    tree_.Sim()->SetLossyCodePage(true);
  }
  void SetFolder(const char* name, const std::string& relative) {
    nq::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    reg.WriteString(name, tree_.Path(relative));
  }
  // No path with a wildcard ever reached the shell.
  void ExpectNoWildcardHandedToTheShell() {
    for (const auto& call : shell_.fileOperations) {
      for (const std::string& path : call.files) EXPECT_FALSE(platform::HasWildcard(path)) << path;
    }
  }

  ui::ScriptedDialogs dialogs_;
  nqtest::Installed<ui::IDialogs> installedDialogs_{dialogs_};
};

TEST_F(LossyCodePage, CookieDeleteTakesTheOneFileByItsShortNameOrLeavesIt) {
  struct Case {
    const char* what;
    bool shortNames;
  } const cases[] = {{"with 8.3 names", true}, {"on a volume without 8.3 names", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tree_.Sim()->SetShortNames(c.shortNames);
    for (const char* name : {"user@abcd[1].txt", "user@тест[1].txt", "user@wxyz[1].txt"}) {
      tree_.WriteFile(std::string("Cookies\\") + name, std::string("id\nvalue\n") + name + "/\n");
    }
    SetFolder("Cookies", "Cookies");
    nq::TMainForm form;
    form.NavBar.ClickItem(nq::TMainForm::secPrivacy, 2);
    ASSERT_EQ(form.CookieListView.Items.size(), 3u);
    ui::TListItem* lossy = nullptr;
    for (ui::TListItem& row : form.CookieListView.Items) {
      if (row.Caption == "user@????[1].txt") lossy = &row;
    }
    ASSERT_NE(lossy, nullptr);
    // Its site is read through the 8.3 name; without one there is nothing to read it by.
    EXPECT_EQ(lossy->SubItems.at(0), c.shortNames ? "user@тест[1].txt/" : "");
    lossy->Selected = true;
    shell_.AnswerRecycleConfirmation(true);
    shell_.fileOperations.clear();
    form.DeleteCookiesButton.Click();

    ExpectNoWildcardHandedToTheShell();
    EXPECT_TRUE(tree_.Exists("Cookies\\user@abcd[1].txt"));
    EXPECT_TRUE(tree_.Exists("Cookies\\user@wxyz[1].txt"));
    if (c.shortNames) {
      EXPECT_EQ(shell_.RecycledNames(), Strings{"user@тест[1].txt"});
      EXPECT_EQ(form.CookieListView.Items.size(), 2u);
    } else {
      EXPECT_TRUE(shell_.fileOperations.empty()) << "nothing that names the file alone: the shell is not asked";
      EXPECT_TRUE(tree_.Exists("Cookies\\user@тест[1].txt"));
      ASSERT_EQ(form.CookieListView.Items.size(), 3u) << "the row stays";
      EXPECT_EQ(form.CookieListView.SelCount(), 1);
    }
    std::filesystem::remove_all(tree_.Host("Cookies"));
    std::filesystem::remove_all(shell_.RecycleBin());
    std::filesystem::create_directories(shell_.RecycleBin());
  }
}

TEST_F(LossyCodePage, RecentLinksGoByTheirShortNamesOrStay) {
  for (const bool shortNames : {true, false}) {
    SCOPED_TRACE(shortNames ? "with 8.3 names" : "without 8.3 names");
    tree_.Sim()->SetShortNames(shortNames);
    for (const char* name : {"abc.lnk", "док.lnk", "xyz.lnk"}) tree_.WriteFile(std::string("Recent\\") + name, "l");
    SetFolder("Recent", "Recent");
    shell_.fileOperations.clear();
    nq::ClearRecentLinks();
    ExpectNoWildcardHandedToTheShell();
    EXPECT_FALSE(tree_.Exists("Recent\\abc.lnk"));
    EXPECT_FALSE(tree_.Exists("Recent\\xyz.lnk"));
    EXPECT_EQ(tree_.Exists("Recent\\док.lnk"), !shortNames);
    std::filesystem::remove_all(tree_.Host("Recent"));
  }
}

TEST_F(LossyCodePage, WallpaperPictureIsReachedByItsShortNameOrNotAtAll) {
  for (const bool shortNames : {true, false}) {
    SCOPED_TRACE(shortNames ? "with 8.3 names" : "without 8.3 names");
    tree_.Sim()->SetShortNames(shortNames);
    nq::DeleteNamedValue(nq::kHkeyCurrentUser, "\\Software\\Microsoft\\Internet Explorer\\Toolbar", "backbitmapIE5");
    tree_.WriteFile("Program\\Bitmaps\\Небо.bmp", ui::SolidBmp(2, 2, 0x3366CC));
    tree_.WriteFile("Program\\Bitmaps\\Sky.bmp", ui::SolidBmp(2, 2, 0xFFD700));
    nq::TMainForm form;
    form.NavBar.ClickItem(nq::TMainForm::secSetup, 0);
    ASSERT_EQ(form.WallpaperListBox.Items(), (Strings{"????", "Sky"}));
    form.WallpaperListBox.UserSelect(0);
    const auto picture = form.WallpaperPreview.Picture();
    form.ApplyWallpaperButton.Click();  // "Apply"
    const std::string stored = nq::ReadStringValue(nq::kHkeyCurrentUser,
                                                   "\\Software\\Microsoft\\Internet Explorer\\Toolbar", "backbitmapIE5");
    if (shortNames) {
      ASSERT_NE(picture, nullptr);
      EXPECT_EQ(picture->pixels.at(0), 0x3366CCu);
      EXPECT_EQ(stored, "C:\\Program\\Bitmaps\\____~1.BMP");
    } else {
      EXPECT_EQ(picture, nullptr);
      EXPECT_EQ(stored, "") << "no value names a file that cannot be reached";
    }
    EXPECT_FALSE(platform::HasWildcard(stored));
    std::filesystem::remove_all(tree_.Host("Program"));
  }
}

// A cookie that cannot be reached, selected with one that can: the one that can still goes, and
// the one that cannot leaves no empty path in the shell's list (which would end the list there).
TEST_F(LossyCodePage, AnUnreachableCookieSelectedWithANormalOneKeepsOnlyItself) {
  tree_.Sim()->SetShortNames(false);
  for (const char* name : {"user@тест[1].txt", "user@abcd[1].txt"}) {
    tree_.WriteFile(std::string("Cookies\\") + name, std::string("id\nvalue\n") + name + "/\n");
  }
  SetFolder("Cookies", "Cookies");
  nq::TMainForm form;
  form.NavBar.ClickItem(nq::TMainForm::secPrivacy, 2);
  ASSERT_EQ(form.CookieListView.Items.size(), 2u);
  for (ui::TListItem& row : form.CookieListView.Items) row.Selected = true;
  shell_.AnswerRecycleConfirmation(true);
  form.DeleteCookiesButton.Click();

  ExpectNoWildcardHandedToTheShell();
  EXPECT_EQ(shell_.RecycledNames(), Strings{"user@abcd[1].txt"});
  EXPECT_TRUE(tree_.Exists("Cookies\\user@тест[1].txt"));
  for (const auto& call : shell_.fileOperations) {
    for (const std::string& path : call.files) EXPECT_FALSE(path.empty());
    EXPECT_NE(call.list.substr(0, 1), std::string(1, '\0')) << "a list that begins empty names nothing";
  }
}

// An 8.3 name stands in for a lossy long name only when it holds no wildcard itself.
TEST(NameToActOn, AShortNameWithAWildcardIsNeverUsed) {
  struct Case {
    const char *name, *shortName, *expected;
  } const cases[] = {
      {"plain.txt", "PLAIN~1.TXT", "plain.txt"},
      {"user@????[1].txt", "USER@~1.TXT", "USER@~1.TXT"},
      {"user@????[1].txt", "", ""},
      {"user@????[1].txt", "USER?~1.TXT", ""},
      {"user@****[1].txt", "USER*~1.TXT", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(nq::NameToActOn(c.name, c.shortName), c.expected) << c.name << " / " << c.shortName;
  }
}

TEST_F(LossyCodePage, TheShellRoutinesHandOnNoWildcard) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) tree_.WriteFile(name, "x");
  const std::string a = tree_.Path("a.txt"), pattern = tree_.Path("?.txt"), star = tree_.Path("*");
  nq::ShellDeleteFile(0, pattern);
  nq::RecycleFiles(0, pattern + '\0' + star + '\0' + '\0');
  EXPECT_TRUE(shell_.fileOperations.empty());
  nq::RecycleFiles(0, pattern + '\0' + a + '\0' + star + '\0' + '\0');
  ASSERT_EQ(shell_.fileOperations.size(), 1u);
  EXPECT_EQ(shell_.fileOperations[0].list, a + '\0' + '\0');
  EXPECT_FALSE(tree_.Exists("a.txt"));
  EXPECT_TRUE(tree_.Exists("b.txt"));
  EXPECT_TRUE(tree_.Exists("c.txt"));
}

}  // namespace
}  // namespace nqtest
