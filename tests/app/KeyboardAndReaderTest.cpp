// The main window and the About box as a keyboard-only user and a screen reader meet them, on the
// headless widgets: the order Tab takes on every page, the keys of the navigation bar and the flat
// buttons, and the name, role and default action each control tells a screen reader. The Win32
// back end follows the same order and tells the same names (tests/gui).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/About.h"
#include "app/MainForm.h"
#include "app/Product.h"
#include "tests/support/Installed.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

namespace {

using nq::TMainForm;

class KeyboardAndReaderTest : public nqtest::FileTreeTest {
 protected:
  // The accessible names of the controls Tab visits, starting from the one that has the focus
  // and going round until it comes back.
  static std::vector<std::string> TabRound(ui::TForm& form, bool backward = false) {
    std::vector<std::string> names;
    ui::TControl* start = form.ActiveControl();
    for (int i = 0; i < 40; ++i) {
      form.PressKey(ui::kVkTab, backward ? ui::kShift : ui::kShiftNone);
      ui::TControl* now = form.ActiveControl();
      if (now == nullptr) break;
      names.push_back(now->Accessible().name);
      if (now == start) break;
      if (start == nullptr) start = now;  // nothing had the focus: round to the first again
    }
    return names;
  }

  ui::ScriptedDialogs dialogs_;
  nqtest::Installed<ui::IDialogs> installedDialogs_{dialogs_};
};

const std::vector<std::string> kBottom = {"About...", nq::kProductName, nq::kNotice};

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Every page: the bar first, the page top to bottom and left to right, the bottom panel, then
// round again to the bar.
TEST_F(KeyboardAndReaderTest, TabVisitsEveryControlOfEveryPageInReadingOrderAndWraps) {
  struct Case {
    int section, item;
    std::vector<std::string> page;
  } const cases[] = {
      {TMainForm::secNorvane, 0, {"Features", "Repair IE", "Help", "Exit", "Auto clean the Browser hijack program "}},
      {TMainForm::secNorvane, 1, {"Entries", "Refresh", "Delete"}},
      {TMainForm::secNorvane, 4, {"Findings", "Refresh", "Repair"}},
      {TMainForm::secPrivacy, 0, {"Protect Privacy", "Erase Tracks"}},
      {TMainForm::secPrivacy, 1, {"Entries", "Clean TypedURLS", "Refresh", "Delete"}},
      {TMainForm::secPrivacy, 2, {"Cookies", "Find Cookies", "Refresh", "Delete"}},
      {TMainForm::secSetup, 0, {"Select an image:", "Apply", "Clear Wallpaper"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("section " + std::to_string(c.section) + " item " + std::to_string(c.item));
    TMainForm form;
    form.NavBar.SetOpenSection(c.section);
    form.NavBar.ClickItem(c.section, c.item);
    form.NavBar.SetFocus();
    const std::vector<std::string> round = Joined(Joined(c.page, kBottom), {"Navigation"});
    EXPECT_EQ(TabRound(form), round);
    std::vector<std::string> back(round.rbegin() + 1, round.rend());
    back.push_back("Navigation");
    EXPECT_EQ(TabRound(form, true), back);
  }
  TMainForm form;
  ASSERT_NE(form.ActiveControl(), nullptr);
  EXPECT_EQ(form.ActiveControl()->Name(), "ListBox1") << "the features list has the keyboard at start";
}

TEST_F(KeyboardAndReaderTest, TabInTheAboutBoxVisitsTheLinksAndOk) {
  nq::TAboutForm about;
  EXPECT_EQ(about.ActiveControl(), nullptr) << "nothing has the keyboard before Tab: Enter and Esc do nothing";
  EXPECT_FALSE(about.PressKey(ui::kVkReturn, ui::kShiftNone));
  EXPECT_EQ(TabRound(about), (std::vector<std::string>{nq::kSupportEmail, about.HomepageLink.Caption(), "OK", nq::kSupportEmail}));
}

// A hidden or disabled control is passed over, and a control that goes out of sight while it has
// the focus hands Tab on from the start.
TEST_F(KeyboardAndReaderTest, TabPassesOverHiddenAndDisabledControls) {
  TMainForm form;
  form.HelpButton.SetEnabled(false);
  form.RepairButton.SetFocus();
  form.PressKey(ui::kVkTab, ui::kShiftNone);
  EXPECT_EQ(form.ActiveControl(), &form.ExitButton);
  form.RepairPage.Hide();
  EXPECT_EQ(form.ActiveControl(), nullptr);
  form.PressKey(ui::kVkTab, ui::kShiftNone);
  EXPECT_EQ(form.ActiveControl(), &form.NavBar);
  form.PressKey(ui::kVkTab, ui::kShiftNone);
  EXPECT_EQ(form.ActiveControl(), &form.AboutButton);
}

// From start: Tab to "Repair IE" and Enter repairs; Space presses a button too; in the bar Down
// and Enter open "StartUp", and the focus stays in the bar.
TEST_F(KeyboardAndReaderTest, KeysPressButtonsAndDriveTheNavigationBar) {
  TMainForm form;
  form.PressKey(ui::kVkTab, ui::kShiftNone);
  ASSERT_EQ(form.ActiveControl(), &form.RepairButton);
  dialogs_.AnswerMessage(ui::kIdOk);
  form.PressKey(ui::kVkReturn, ui::kShiftNone);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Your Internet Explorer Browser is successfully repaired!");

  form.AutoCleanCheckBox.SetFocus();
  form.PressKey(ui::kVkSpace, ui::kShiftNone);
  EXPECT_FALSE(form.AutoCleanCheckBox.Checked());

  form.NavBar.SetFocus();
  EXPECT_EQ(form.NavBar.FocusPlace(), (ui::TNavBar::Place{TMainForm::secNorvane, 0})) << "on the selected item";
  form.PressKey(ui::kVkDown, ui::kShiftNone);
  form.PressKey(ui::kVkReturn, ui::kShiftNone);
  EXPECT_TRUE(form.EntryListPage.Showing());
  EXPECT_EQ(form.ListKind, nq::lkStartup);
  EXPECT_EQ(form.NavBar.Selected(TMainForm::secNorvane), 1);
  EXPECT_EQ(form.ActiveControl(), &form.NavBar);

  // Down runs through the open section's items to the buttons below; Space opens a section, whose
  // items then follow its button.
  using Place = ui::TNavBar::Place;
  const Place walk[] = {{0, 2}, {0, 3}, {0, 4}, {1, -1}, {2, -1}, {2, -1}};
  for (const Place& expected : walk) {
    form.PressKey(ui::kVkDown, ui::kShiftNone);
    EXPECT_EQ(form.NavBar.FocusPlace(), expected);
  }
  form.PressKey(ui::kVkUp, ui::kShiftNone);
  form.PressKey(ui::kVkSpace, ui::kShiftNone);
  EXPECT_EQ(form.NavBar.OpenSection(), TMainForm::secPrivacy);
  form.PressKey(ui::kVkDown, ui::kShiftNone);
  form.PressKey(ui::kVkDown, ui::kShiftNone);
  EXPECT_EQ(form.NavBar.FocusPlace(), (Place{1, 1}));
  form.PressKey(ui::kVkReturn, ui::kShiftNone);
  EXPECT_EQ(form.ListKind, nq::lkTypedAddress);
  EXPECT_EQ(dialogs_.shown.size(), 1u);
}

// What a screen reader hears: every control in sight has a name and a role, the bar lists its
// sections and items by caption, and default actions do what clicks do.
TEST_F(KeyboardAndReaderTest, EveryControlTellsItsNameRoleAndDefaultAction) {
  TMainForm form;
  for (auto [section, item] : {std::pair{0, 0}, {0, 1}, {0, 4}, {1, 0}, {1, 1}, {1, 2}, {2, 0}}) {
    form.NavBar.DoPartDefault(form.NavBar.PartOf({section, item}));
    ui::TControl::ForEach(form, [&](ui::TControl& control) {
      if (!control.Showing() || control.Decorative()) return;
      const ui::TAccessible a = control.Accessible();
      EXPECT_FALSE(a.name.empty()) << control.Name() << " on page of item " << section << "." << item;
      EXPECT_NE(a.role, ui::TRole::None) << control.Name();
    });
  }

  struct Expected {
    ui::TControl* control;
    const char* name;
    ui::TRole role;
    const char* action;
  } const expected[] = {
      {&form, "Norvane And Quillet", ui::TRole::Client, ""},
      {&form.NavBar, "Navigation", ui::TRole::Outline, ""},
      {&form.RepairPage, "IE Repair", ui::TRole::Grouping, ""},
      {&form.RepairButton, "Repair IE", ui::TRole::PushButton, "Press"},
      {&form.AutoCleanCheckBox, "Auto clean the Browser hijack program ", ui::TRole::CheckButton, "Uncheck"},
      {&form.FeatureListBox, "Features", ui::TRole::List, ""},
      {&form.FeaturesLabel, "Features", ui::TRole::StaticText, ""},
      {&form.ProductLink, nq::kProductName, ui::TRole::Link, "Jump"},
      {&form.WallpaperListBox, "Select an image:", ui::TRole::List, ""},
      {&form.ItemValueLabel, "Item:", ui::TRole::StaticText, ""},
      {&form.TraceIntroMemo, "Protect Privacy", ui::TRole::Text, ""},
      {&form.FindingListView, "Findings", ui::TRole::List, ""},
  };
  for (const Expected& e : expected) {
    const ui::TAccessible a = e.control->Accessible();
    EXPECT_EQ(a.name, e.name) << e.control->Name();
    EXPECT_EQ(a.role, e.role) << e.control->Name();
    EXPECT_EQ(a.defaultAction, e.action) << e.control->Name();
  }
  EXPECT_TRUE(form.FeaturesLeftBevel.Decorative());
  EXPECT_TRUE(form.ProductLinkBullet.Decorative());

  std::vector<std::string> parts;
  for (int i = 0; i < form.NavBar.PartCount(); ++i) parts.push_back(form.NavBar.Part(i).name);
  EXPECT_EQ(parts, (std::vector<std::string>{"Norvane", "IE Repair", "StartUp", "Context Menu", "Toolbar Button",
                                             "Browsers", "Quillet", "Protect Privacy", "Manage Address", "Manage Cookies",
                                             "Customize IE", "Toolbar WallPaper"}));
  std::vector<std::string> title;
  for (int i = 0; i < form.PartCount(); ++i) title.push_back(form.Part(i).name);
  EXPECT_EQ(title, (std::vector<std::string>{"Norvane And Quillet", "Minimize", "Close"}));
}

TEST_F(KeyboardAndReaderTest, DefaultActionsDoWhatClicksDo) {
  TMainForm form;
  // An item of a closed section: its section opens and the page shows.
  ASSERT_TRUE(form.NavBar.DoPartDefault(form.NavBar.PartOf({TMainForm::secPrivacy, 0})));
  EXPECT_EQ(form.NavBar.OpenSection(), TMainForm::secPrivacy);
  EXPECT_TRUE(form.TraceCleanerPage.Showing());
  EXPECT_EQ(form.NavBar.Part(form.NavBar.PartOf({TMainForm::secPrivacy, 0})).state & ui::kAsSelected,
            static_cast<unsigned>(ui::kAsSelected));
  EXPECT_TRUE(form.NavBar.Part(form.NavBar.PartOf({TMainForm::secNorvane, 1})).state & ui::kAsInvisible);

  ASSERT_TRUE(form.NavBar.DoPartDefault(form.NavBar.PartOf({TMainForm::secNorvane, 0})));
  dialogs_.AnswerMessage(ui::kIdOk);
  EXPECT_TRUE(form.RepairButton.DoDefaultAction());
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Your Internet Explorer Browser is successfully repaired!");
  EXPECT_TRUE(form.AutoCleanCheckBox.DoDefaultAction());
  EXPECT_FALSE(form.AutoCleanCheckBox.Checked());
  EXPECT_FALSE(form.EraseTracksButton.DoDefaultAction()) << "a button out of sight does nothing";

  form.DoPartDefault(form.PartCount() - 1);
  EXPECT_TRUE(form.Closed()) << "the title bar's Close";
}

}  // namespace
