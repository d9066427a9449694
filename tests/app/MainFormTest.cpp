// The application shell on the substitutes: navigation, keys, the error report, help and links,
// and the About box. Everything is driven as a user would: clicks on the bar and the buttons, keys
// through the form.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/About.h"
#include "app/MainForm.h"
#include "app/Product.h"
#include "services/Registry.h"
#include "tests/support/Installed.h"
#include "tests/support/KeyPaths.h"
#include "tests/support/Registry.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

namespace {

using nqtest::kRun;
using nqtest::kShellFolders;

using nq::TMainForm;
using ui::TShortCut;


class ShellTest : public nqtest::FileTreeTest {
 protected:
  void TearDown() override {
    TMainForm::ShowAboutBox = nullptr;
    FileTreeTest::TearDown();
  }

  void WriteValue(const char* key, const std::string& name, const std::string& data) {
    nq::TRegistry reg;
    reg.SetRootKey(platform::kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString(name, data);
  }
  void AddStartup(const std::string& name) { WriteValue(kRun, name, "C:\\" + name + ".exe"); }
  void AddCookie(const std::string& name) {
    WriteValue(kShellFolders, "Cookies", tree_.Path("Cookies"));
    tree_.WriteFile("Cookies\\" + name, "id\nvalue\nsite.example/\n");
  }
  // The one page showing, by name.
  std::vector<std::string> ShowingPages() {
    std::vector<std::string> names;
    for (ui::TPanel* page : form_.Pages()) {
      if (page->Showing()) names.push_back(page->Name());
    }
    return names;
  }
  bool Key(int key, unsigned shift = ui::kShiftNone) { return form_.KeyDown(key, shift); }

  ui::ScriptedDialogs dialogs_;
  nqtest::Installed<ui::IDialogs> installedDialogs_{dialogs_};
  TMainForm form_;
};

// ---- navigation

TEST_F(ShellTest, StartsOnTheRepairPageWithNothingLoaded) {
  EXPECT_EQ(ShowingPages(), std::vector<std::string>{"GroupBoxNorvane"});
  EXPECT_EQ(form_.NavBar.OpenSection(), TMainForm::secNorvane);
  EXPECT_EQ(form_.NavBar.Selected(TMainForm::secNorvane), 0);  // "IE Repair"
  EXPECT_EQ(form_.NavBar.Selected(TMainForm::secPrivacy), 0);  // "Protect Privacy"
  EXPECT_EQ(form_.NavBar.Selected(TMainForm::secSetup), -1);
  EXPECT_EQ(form_.ListKind, nq::lkNone);
  EXPECT_EQ(form_.EntryListBox.Count(), 0);
  EXPECT_FALSE(form_.CleanTypedUrlsButton.Visible());
  EXPECT_TRUE(form_.AutoCleanCheckBox.Checked());
  EXPECT_EQ(form_.Caption(), "Norvane And Quillet");

  // Before the first load Refresh, F5 and Delete find no list to work on.
  AddStartup("Updater");
  EXPECT_TRUE(Key(ui::kVkF5));
  form_.RefreshEntriesButton.Click();
  form_.DeleteEntryButton.Click();
  EXPECT_EQ(form_.EntryListBox.Count(), 0);
  EXPECT_EQ(form_.ListKind, nq::lkNone);
  EXPECT_EQ(ShowingPages(), std::vector<std::string>{"GroupBoxNorvane"});
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(ShellTest, EachItemShowsItsPageAndLoadsItsList) {
  AddStartup("Updater");
  struct Case {
    int section, item;
    const char* page;
    int listKind;      // after the click
    bool cleanButton;  // "Clean TypedURLS" on show
    int selected;      // the item's list selection afterwards
  };
  const Case cases[] = {
      {TMainForm::secNorvane, 0, "GroupBoxNorvane", nq::lkNone, false, 0},
      {TMainForm::secNorvane, 1, "GroupBoxClean", nq::lkStartup, false, 1},
      {TMainForm::secNorvane, 2, "GroupBoxClean", nq::lkContextMenu, false, 2},
      {TMainForm::secNorvane, 3, "GroupBoxClean", nq::lkToolbarButton, false, 3},
      {TMainForm::secPrivacy, 0, "GroupBoxHistory", nq::lkNone, false, 0},
      {TMainForm::secPrivacy, 1, "GroupBoxClean", nq::lkTypedAddress, true, 1},
      {TMainForm::secPrivacy, 2, "GroupBoxCookie", nq::lkNone, false, 2},
      {TMainForm::secSetup, 0, "GroupBoxBackMap", nq::lkNone, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.page) + " via item " + std::to_string(c.item));
    TMainForm form;
    form.NavBar.ClickItem(c.section, c.item);
    std::vector<std::string> showing;
    for (ui::TPanel* page : form.Pages()) {
      if (page->Showing()) showing.push_back(page->Name());
    }
    EXPECT_EQ(showing, std::vector<std::string>{c.page});
    EXPECT_EQ(form.ListKind, c.listKind);
    EXPECT_EQ(form.CleanTypedUrlsButton.Visible(), c.cleanButton);
    EXPECT_EQ(form.NavBar.Selected(c.section), c.selected);
    if (c.listKind == nq::lkStartup) {
      EXPECT_EQ(form.EntryListBox.Items(), std::vector<std::string>{"Updater"});
    }
  }
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(ShellTest, StartUpAfterManageAddressHidesCleanTypedUrls) {
  form_.NavBar.ClickItem(TMainForm::secPrivacy, 1);
  ASSERT_TRUE(form_.CleanTypedUrlsButton.Visible());
  form_.NavBar.ClickItem(TMainForm::secNorvane, 1);
  EXPECT_EQ(ShowingPages(), std::vector<std::string>{"GroupBoxClean"});
  EXPECT_FALSE(form_.CleanTypedUrlsButton.Visible());
  EXPECT_EQ(form_.ListKind, nq::lkStartup);
}

TEST_F(ShellTest, SectionButtonClearsOnlyItsOwnListAndKeepsThePage) {
  AddStartup("Updater");
  form_.NavBar.ClickItem(TMainForm::secNorvane, 1);
  form_.NavBar.ClickSection(TMainForm::secPrivacy);
  EXPECT_EQ(form_.NavBar.OpenSection(), TMainForm::secPrivacy);
  EXPECT_EQ(ShowingPages(), std::vector<std::string>{"GroupBoxClean"});
  EXPECT_EQ(form_.EntryListBox.Items(), std::vector<std::string>{"Updater"});
  EXPECT_EQ(form_.NavBar.Selected(TMainForm::secPrivacy), -1);
  EXPECT_EQ(form_.NavBar.Selected(TMainForm::secNorvane), 1);  // "StartUp" stays selected, closed

  form_.NavBar.ClickSection(TMainForm::secNorvane);
  EXPECT_EQ(form_.NavBar.Selected(TMainForm::secNorvane), -1);
  EXPECT_EQ(ShowingPages(), std::vector<std::string>{"GroupBoxClean"});
}

TEST_F(ShellTest, ClickingTheSelectedItemAgainShowsAndReloadsItsPage) {
  AddStartup("First");
  form_.NavBar.ClickItem(TMainForm::secNorvane, 1);
  form_.Run(nq::TCommandId::GrpHistoryAct);
  AddStartup("Second");
  form_.NavBar.ClickItem(TMainForm::secNorvane, 1);
  EXPECT_EQ(ShowingPages(), std::vector<std::string>{"GroupBoxClean"});
  EXPECT_EQ(form_.EntryListBox.Count(), 2);

  // A click-style list keeps no selection, and still reloads on every click.
  tree_.WriteFile("Program\\Bitmaps\\Sky.bmp");
  form_.NavBar.ClickItem(TMainForm::secSetup, 0);
  tree_.WriteFile("Program\\Bitmaps\\Sand.bmp");
  form_.NavBar.ClickItem(TMainForm::secSetup, 0);
  EXPECT_EQ(form_.NavBar.Selected(TMainForm::secSetup), -1);
  EXPECT_EQ(ShowingPages(), std::vector<std::string>{"GroupBoxBackMap"});
  EXPECT_EQ(form_.WallpaperListBox.Count(), 2);
}

// ---- keys

TEST_F(ShellTest, F5ReloadsTheCookiesOnlyWhileTheCookieListHasTheFocus) {
  AddStartup("Updater");
  AddCookie("a@one.txt");
  form_.NavBar.ClickItem(TMainForm::secNorvane, 1);  // the startup list, ListKind 1
  form_.CookieListView.SetFocus();
  EXPECT_TRUE(Key(ui::kVkF5));
  EXPECT_EQ(form_.CookieListView.Items.size(), 1u);
  EXPECT_EQ(form_.ListKind, nq::lkStartup);

  AddStartup("Second");
  AddCookie("b@two.txt");
  form_.EntryListBox.SetFocus();
  EXPECT_TRUE(Key(ui::kVkF5));
  EXPECT_EQ(form_.EntryListBox.Count(), 2);             // the entry list reloaded
  EXPECT_EQ(form_.CookieListView.Items.size(), 1u);      // the cookie list left as it was
  EXPECT_EQ(ShowingPages(), std::vector<std::string>{"GroupBoxClean"});
}

TEST_F(ShellTest, LeavingTheCookiePageTakesF5BackFromTheCookieList) {
  AddStartup("Updater");
  AddCookie("a@one.txt");
  form_.NavBar.ClickItem(TMainForm::secPrivacy, 2);   // the cookie page, its list focused
  ASSERT_TRUE(form_.CookieListView.Focused());
  form_.NavBar.ClickItem(TMainForm::secNorvane, 1);   // the startup list
  AddStartup("Second");
  AddCookie("b@two.txt");
  EXPECT_TRUE(Key(ui::kVkF5));
  EXPECT_EQ(form_.EntryListBox.Count(), 2);
  EXPECT_EQ(form_.CookieListView.Items.size(), 1u);
}

TEST_F(ShellTest, CookieKeysActFromAnyPageAndDelOnlyWithASelection) {
  AddCookie("a@one.txt");
  AddCookie("b@two.txt");
  AddCookie("c@three.txt");
  form_.NavBar.ClickItem(TMainForm::secPrivacy, 2);
  form_.Run(nq::TCommandId::GrpNorvaneAct);  // another page in front; the keys still reach the cookie list
  auto selected = [&] { return form_.CookieListView.SelCount(); };

  EXPECT_FALSE(Key(ui::kVkDelete));  // nothing selected: Del is not taken
  EXPECT_TRUE(Key('A', ui::kCtrl));
  EXPECT_EQ(selected(), 3);
  EXPECT_TRUE(Key('Z', ui::kCtrl));
  EXPECT_EQ(selected(), 0);
  form_.CookieListView.Items[0].Selected = true;
  EXPECT_TRUE(Key('I', ui::kCtrl));
  EXPECT_EQ(selected(), 2);
  EXPECT_FALSE(Key('A'));  // the letter alone is no shortcut
  EXPECT_EQ(selected(), 2);

  EXPECT_TRUE(Key(ui::kVkDelete));
  EXPECT_EQ(form_.CookieListView.Items.size(), 1u);
  EXPECT_EQ(selected(), 0);
  EXPECT_FALSE(Key(ui::kVkDelete));
}

TEST_F(ShellTest, F1OpensTheHelpOnReleaseWhateverTheShiftKeys) {
  EXPECT_FALSE(Key(ui::kVkF1));
  EXPECT_TRUE(shell_.shellExecutes.empty());
  form_.KeyUp(ui::kVkF1, ui::kShiftNone);
  form_.CookieListView.SetFocus();
  form_.KeyUp(ui::kVkF1, ui::kShift | ui::kCtrl);
  form_.HelpButton.Click();
  ASSERT_EQ(shell_.shellExecutes.size(), 3u);
  for (const auto& call : shell_.shellExecutes) {
    EXPECT_EQ(call.file, shell_.ModuleFolder() + "norvane.chm");
    EXPECT_EQ(call.verb, "");
    EXPECT_EQ(call.parameters, "");
    EXPECT_EQ(call.directory, "");
    EXPECT_EQ(call.show, platform::kSwShowMaximized);
  }
}

TEST_F(ShellTest, BottomPanelLinksOpenNormallyWithNoVerb) {
  form_.ProductLink.Click();
  form_.NoticeLink.Click();
  ASSERT_EQ(shell_.shellExecutes.size(), 2u);
  EXPECT_EQ(shell_.shellExecutes[0].file, nq::kHomePage);
  EXPECT_EQ(shell_.shellExecutes[1].file, std::string("mailto:") + nq::kSupportEmail + "?subject=about norvane1.4");
  for (const auto& call : shell_.shellExecutes) {
    EXPECT_EQ(call.verb, "");
    EXPECT_EQ(call.show, platform::kSwShowNormal);
  }
  EXPECT_EQ(std::string(nq::kHomePage).substr(std::string(nq::kHomePage).size() - 8), "/norvane");
}

// ---- the error report

TEST(ErrorReport, AppendsAFullStopOnlyAfterACharacterSortingAfterIt) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"Access denied", "Access denied."},
      {"Already ends.", "Already ends."},
      {"Ends in a bang!", "Ends in a bang!"},  // '!' sorts before '.'
      {"Comma,", "Comma,"},
      {"A path/", "A path/."},                 // '/' sorts after '.'
      {"Number 7", "Number 7."},
      {"", ""},
      {"Caf\xE9", "Caf\xE9."},                 // bytes above 127 sort after '.'
  };
  for (const auto& c : cases) EXPECT_EQ(TMainForm::ErrorReportText(c.message), c.shown) << c.message;
}

TEST_F(ShellTest, AnEscapingErrorIsReportedAndTheWindowGoesOn) {
  form_.Dispatch([] { throw std::runtime_error("Invalid key"); });
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Invalid key.");
  EXPECT_EQ(dialogs_.shown[0].caption, "Norvane And Quillet");
  EXPECT_EQ(dialogs_.shown[0].flags, ui::kMbOk | ui::kMbIconError);
  form_.NavBar.ClickItem(TMainForm::secPrivacy, 0);
  EXPECT_EQ(ShowingPages(), std::vector<std::string>{"GroupBoxHistory"});
}

// ---- the About box

TEST_F(ShellTest, AboutIsAFreshCentredBoxThatOnlyOkOrCloseEnds) {
  std::vector<const nq::TAboutForm*> boxes;
  std::vector<std::pair<int, int>> places;
  TMainForm::ShowAboutBox = [&](TMainForm& main) {
    nq::ShowAbout(main, [&](nq::TAboutForm& about) {
      EXPECT_FALSE(about.Closed());  // not the box closed last time
      boxes.push_back(&about);
      places.emplace_back(about.Left, about.Top);
      for (int key : {ui::kVkReturn, ui::kVkEscape}) {
        EXPECT_FALSE(about.KeyDown(key, ui::kShiftNone));
        about.KeyUp(key, ui::kShiftNone);
      }
      EXPECT_FALSE(about.Closed());
      about.KeyUp(ui::kVkF1, ui::kAlt);
      about.OkButton.Click();
      EXPECT_TRUE(about.Closed());
    });
  };
  form_.AboutButton.Click();
  form_.Left = 10;  // the main window dragged elsewhere
  form_.Top = 20;
  form_.AboutButton.Click();

  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(places[0], std::make_pair(271 + (534 - 308) / 2, 129 + (402 - 295) / 2));
  EXPECT_EQ(places[1], std::make_pair(10 + (534 - 308) / 2, 20 + (402 - 295) / 2));
  ASSERT_EQ(shell_.shellExecutes.size(), 2u);  // F1 in each box
  EXPECT_EQ(shell_.shellExecutes[0].file, shell_.ModuleFolder() + "norvane.chm");
  EXPECT_EQ(shell_.shellExecutes[0].show, platform::kSwShowMaximized);
}

TEST_F(ShellTest, AboutBoxShowsTheProductAndOpensBothLinks) {
  nq::TAboutForm about;
  EXPECT_EQ(about.Caption(), "Norvane And Quillet");
  EXPECT_FALSE(about.MinimizeButton);
  EXPECT_EQ(about.Bounds().width, 308);
  EXPECT_EQ(about.Bounds().height, 295);
  EXPECT_EQ(about.AboutGroupBox.Caption(), "About...");
  EXPECT_EQ(about.ProductValueLabel.Caption(), "Norvane And Quillet");
  EXPECT_EQ(about.VersionValueLabel.Caption(), "V1.4 Build 01/08/2004");
  EXPECT_EQ(about.OkButton.Caption(), "OK");
  for (ui::TLabel* link : {&about.EmailLink, &about.HomepageLink}) EXPECT_EQ(link->Cursor(), ui::TCursor::HandPoint);
  about.EmailLink.Click();
  about.HomepageLink.Click();
  ASSERT_EQ(shell_.shellExecutes.size(), 2u);
  EXPECT_EQ(shell_.shellExecutes[0].file, nq::kSupportMailLink);
  EXPECT_EQ(shell_.shellExecutes[1].file, nq::kHomePage);
  for (const auto& call : shell_.shellExecutes) {
    EXPECT_EQ(call.verb, "");
    EXPECT_EQ(call.show, platform::kSwShowNormal);
  }
  EXPECT_FALSE(about.Closed());
}

}  // namespace
