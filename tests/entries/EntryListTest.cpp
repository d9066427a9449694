// The entry list page itself: its load and delete frames, Delete, Refresh, F5 and the detail
// lines, shown on the startup list.
#include "tests/support/EntryPage.h"

namespace nqtest {
namespace {

// Where each control of the page sits, what it says, and what shows before anything is loaded.
TEST(EntryListPage, LaidOutWithItsCaptions) {
  Form form;
  struct Control {
    const ui::TControl& control;
    const char* caption;  // null: a control without one
    ui::TRect bounds;
  };
  const Control controls[] = {
      {form.EntryListPage, nullptr, {120, 28, 400, 300}},
      {form.EntryListBox, nullptr, {8, 16, 385, 177}},
      {form.DetailsBevel, nullptr, {16, 200, 377, 2}},
      {form.ItemLabel, "Item:", {16, 208, 41, 13}},
      {form.ItemValueLabel, "", {56, 208, 337, 13}},
      {form.DateLabel, "Date:", {15, 232, 41, 13}},
      {form.DateValueLabel, "", {56, 232, 337, 13}},
      {form.CleanTypedUrlsButton, "Clean TypedURLS", {16, 256, 121, 33}},
      {form.RefreshEntriesButton, "Refresh", {208, 256, 65, 33}},
      {form.DeleteEntryButton, "Delete", {304, 256, 65, 33}},
  };
  for (const Control& c : controls) {
    SCOPED_TRACE(c.control.Name());
    const ui::TRect r = c.control.Bounds();
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.width, r.height}),
              (std::vector<int>{c.bounds.left, c.bounds.top, c.bounds.width, c.bounds.height}));
    if (&c.control != &form.EntryListPage) {
      EXPECT_EQ(c.control.Parent(), &form.EntryListPage);
    }
    if (const auto* label = dynamic_cast<const ui::TLabel*>(&c.control)) {
      EXPECT_EQ(label->Caption(), c.caption);
    } else if (const auto* button = dynamic_cast<const ui::TButton*>(&c.control)) {
      EXPECT_EQ(button->Caption(), c.caption);
    }
  }
  EXPECT_EQ(form.EntryListBox.ItemHeight, 14);
  // At start the page is hidden and holds nothing; "Clean TypedURLS" waits for the typed addresses.
  EXPECT_FALSE(form.EntryListPage.Visible());
  EXPECT_FALSE(form.CleanTypedUrlsButton.Visible());
  EXPECT_TRUE(form.EntryListBox.Items().empty());
  EXPECT_EQ(form.ListKind, nq::lkNone);
}

const char* const kThreeStartupValues = R"(
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
"a"="a.exe"
"b"="b.exe"
"c"="c.exe"
)";

TEST_P(EntryPageTest, DeleteAsksThenReloadsShowingTheTopEntry) {
  Load(kThreeStartupValues);
  Click(kStartUp);
  EXPECT_TRUE(form.EntryListPage.Visible());
  EXPECT_EQ(Items(), (Strings{"a", "b", "c"}));
  EXPECT_EQ(Selected(), 0);
  EXPECT_EQ(Item(), "a");
  EXPECT_EQ(Date(), "a.exe");

  Select(1);
  EXPECT_EQ(Item(), "b");
  EXPECT_EQ(Date(), "b.exe");
  Delete();

  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "Are you sure to delete selected item?");
  EXPECT_EQ(dialogs.shown[0].caption, "Norvane And Quillet");
  EXPECT_EQ(dialogs.shown[0].flags, ui::kMbOkCancel);
  EXPECT_EQ(ValueNames(kHkeyCurrentUser, kRunPath), (Strings{"a", "c"}));
  EXPECT_EQ(Items(), (Strings{"a", "c"}));
  EXPECT_EQ(Selected(), 0);
  EXPECT_EQ(Item(), "a");
  EXPECT_EQ(Date(), "a.exe");
}

TEST_P(EntryPageTest, DeletingTheOnlyEntryEmptiesListAndDetails) {
  Load(R"(
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
"only"="only.exe"
)");
  Click(kStartUp);
  Delete();
  EXPECT_TRUE(ValueNames(kHkeyCurrentUser, kRunPath).empty());
  EXPECT_TRUE(Items().empty());
  EXPECT_EQ(Selected(), -1);
  EXPECT_EQ(Item(), "");
  EXPECT_EQ(Date(), "");
}

TEST_P(EntryPageTest, CancelChangesNothing) {
  Load(kThreeStartupValues);
  Click(kStartUp);
  Select(2);
  const std::string before = Dump(kHkeyCurrentUser);
  Delete(ui::kIdCancel);
  EXPECT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(Dump(kHkeyCurrentUser), before);
  EXPECT_EQ(Items(), (Strings{"a", "b", "c"}));
  EXPECT_EQ(Selected(), 2);
  EXPECT_EQ(Item(), "c");
  EXPECT_EQ(Date(), "c.exe");
}

TEST_P(EntryPageTest, EmptyListClearsDetailsAndDeleteDoesNotAsk) {
  // Details left from another list must not survive a load that finds nothing.
  Load(R"(
[HKCU\Software\Microsoft\Internet Explorer\MenuExt\Search]
@="res://search.htm"
)");
  Click(kContextMenu);
  ASSERT_EQ(Date(), "res://search.htm");

  Click(kStartUp);
  EXPECT_EQ(form.ListKind, nq::lkStartup);
  EXPECT_TRUE(Items().empty());
  EXPECT_EQ(Item(), "");
  EXPECT_EQ(Date(), "");
  Delete();
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(KeyExists(kHkeyCurrentUser, kMenuExtPath + std::string("\\Search")));
}

// The delete step on its own, before the reload that ends Delete: the entry that takes the
// deleted one's place is selected, and the details are not touched.
TEST_P(EntryPageTest, DeleteStepSelectsTheEntryThatTakesThePlace) {
  struct Case {
    const char* name;
    const char* reg;
    int select;
    bool goneBehindItsBack;  // another program deleted the value after the list was loaded
    Strings items;
    int selected;
  };
  const char* const one = "[HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n\"a\"=\"a.exe\"\n";
  const Case cases[] = {
      {"first", kThreeStartupValues, 0, false, {"b", "c"}, 0},
      {"middle", kThreeStartupValues, 1, false, {"a", "c"}, 1},
      {"last", kThreeStartupValues, 2, false, {"a", "b"}, 1},
      {"only", one, 0, false, {}, -1},
      {"failed", kThreeStartupValues, 1, true, {"a", "b", "c"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    Load(c.reg);
    Click(kStartUp);
    Select(c.select);
    const std::string shown = Item();
    if (c.goneBehindItsBack) {
      Load("[HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n\"b\"=-\n");
    }
    form.Run(nq::TCommandId::AutoRunDelete);
    EXPECT_EQ(Items(), c.items);
    EXPECT_EQ(Selected(), c.selected);
    EXPECT_EQ(Item(), shown);
  }
}

TEST_P(EntryPageTest, RefreshAndF5DoNothingBeforeTheFirstLoad) {
  Load(kThreeStartupValues);
  PressF5();
  EXPECT_EQ(form.ListKind, nq::lkNone);
  EXPECT_TRUE(Items().empty());
  EXPECT_FALSE(form.EntryListPage.Visible());
  EXPECT_TRUE(form.RepairPage.Visible());
  form.Run(nq::TCommandId::IERefresh);
  EXPECT_TRUE(Items().empty());
}

TEST_P(EntryPageTest, F5ReloadsTheLastListWhileAnotherPageIsShown) {
  Load(kThreeStartupValues);
  Click(kStartUp);
  Load("[HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n\"b\"=-\n\"d\"=\"d.exe\"\n");
  form.Run(nq::TCommandId::GrpSetUpAct);  // what the wallpaper item shows
  PressF5();
  EXPECT_EQ(Items(), (Strings{"a", "c", "d"}));
  EXPECT_TRUE(form.WallpaperPage.Visible());
  EXPECT_FALSE(form.EntryListPage.Visible());
}

TEST_P(EntryPageTest, RefreshButtonLeavesPageAndNavigationAlone) {
  Load(R"(
[HKCU\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="http://a.example/"
)");
  Click(kManageAddress);
  Load("[HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs]\n\"url2\"=\"http://b.example/\"\n");
  form.RefreshEntriesButton.Click();
  EXPECT_EQ(Items(), (Strings{"http://a.example/", "http://b.example/"}));
  EXPECT_TRUE(form.CleanTypedUrlsButton.Visible());
  EXPECT_EQ(form.NavBar.Selected(Form::secPrivacy), 1);
  EXPECT_EQ(form.NavBar.Selected(Form::secNorvane), 0);
}

// The "Date:" line follows the navigation selection, not the kind of list: the typed list loaded
// while an item of the protection section is still selected looks its addresses up there.
TEST_P(EntryPageTest, DetailsFollowTheProtectionItemStillSelected) {
  Load(R"(
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
"Search"="run.exe"
[HKCU\Software\Microsoft\Internet Explorer\MenuExt\Search]
@="menu.htm"
[HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions\{11111111-0000-0000-0000-000000000001}]
"ButtonText"="Search"
"Exec"="bar.exe"
[HKCU\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="Search"
"url2"="http://b.example/"
)");
  struct Case {
    int protectionItem;  // 0 is "IE Repair", which no list belongs to
    const char* date;
  };
  for (const Case& c : {Case{1, "run.exe"}, Case{2, "menu.htm"}, Case{3, "bar.exe"}, Case{0, ""}}) {
    SCOPED_TRACE(c.protectionItem);
    form.NavBar.ClickItem(Form::secNorvane, c.protectionItem);
    Click(kManageAddress);
    EXPECT_EQ(form.ListKind, nq::lkTypedAddress);
    EXPECT_EQ(Item(), "Search");
    EXPECT_EQ(Date(), c.date);
    Select(1);
    EXPECT_EQ(Item(), "http://b.example/");
    EXPECT_EQ(Date(), "");
  }
}

TEST_P(EntryPageTest, WithNoListItemSelectedTheDateLineStaysEmpty) {
  Load(kThreeStartupValues);
  Click(kStartUp);
  Select(1);
  ASSERT_EQ(Date(), "b.exe");
  // The section button clears its own selection; "Protect Privacy" stays selected in the other.
  form.NavBar.ClickSection(Form::secNorvane);
  ASSERT_EQ(form.NavBar.Selected(Form::secNorvane), -1);
  // Nowhere to look "c" up: the line must not keep showing what "b" runs.
  Select(2);
  EXPECT_EQ(Item(), "c");
  EXPECT_EQ(Date(), "");
  PressF5();
  EXPECT_EQ(Items(), (Strings{"a", "b", "c"}));
  EXPECT_EQ(Item(), "a");
  EXPECT_EQ(Date(), "");
  Select(1);
  EXPECT_EQ(Item(), "b");
  EXPECT_EQ(Date(), "");
}

// Names with a NUL cannot come from the registry's own calls, but a program that writes to the
// registry beneath them can make them to hide an entry. Cut at the NUL, such a name would reach
// the unnamed value or the MenuExt key itself.
TEST_P(EntryPageTest, DeleteLeavesNamesTheRegistryCannotBeAskedAbout) {
  Load(R"(
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
@="default.exe"
[HKCU\Software\Microsoft\Internet Explorer\MenuExt\Search]
@="menu.htm"
)");
  struct Case {
    nq::TListKind kind;
    std::string text;
  };
  const Case cases[] = {
      {nq::lkStartup, std::string("\0hidden", 7)},
      {nq::lkContextMenu, std::string("\0hidden", 7)},
      {nq::lkContextMenu, ""},
  };
  const std::string before = Dump(kHkeyCurrentUser);
  for (const Case& c : cases) {
    form.ListKind = c.kind;
    form.EntryListBox.Clear();
    form.EntryListBox.Add(c.text);
    form.EntryListBox.SetItemIndex(0);
    form.Run(c.kind == nq::lkStartup ? nq::TCommandId::AutoRunDelete : nq::TCommandId::DelMenuExtAct);
    EXPECT_EQ(Dump(kHkeyCurrentUser), before) << c.kind;
    EXPECT_EQ(Items().size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, EntryPageTest, ::testing::ValuesIn(RegistryBackends()), BackendName);

}  // namespace
}  // namespace nqtest
