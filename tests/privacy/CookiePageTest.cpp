// The cookie page on the substitutes: loading the cookie folder, sorting, searching, selecting,
// and the keys and menu items that reach those commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "services/MainFunc.h"
#include "tests/support/Installed.h"
#include "tests/support/KeyPaths.h"
#include "tests/support/Registry.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

namespace nqtest {
namespace {


// Passes every call on to the file tree, and records or breaks reads as a test asks.
class SpyFileSystem final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;

  platform::SearchHandle FindFirst(const std::string& pattern, platform::FindData* data) override {
    patterns.push_back(pattern);
    return ForwardingFileSystem::FindFirst(pattern, data);
  }
  bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::string* bytes) override {
    largestRead = std::max(largestRead, maxBytes);
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    if (refuse.count(name) != 0) return false;
    if (fail.count(name) != 0) throw std::runtime_error("read error");
    if (onRead) onRead();
    return ForwardingFileSystem::ReadFilePrefix(path, maxBytes, bytes);
  }

  std::vector<std::string> patterns;
  std::size_t largestRead = 0;
  std::set<std::string> refuse;  // names whose file cannot be opened
  std::set<std::string> fail;    // names whose read raises an error
  std::function<void()> onRead;  // runs at each read, to look at the page meanwhile
};

class CookiePage : public FileTreeTest {
 protected:
  void SetUp() override {
    FileTreeTest::SetUp();
    form_.Run(nq::TCommandId::GrpCookieAct);
  }

  void PointCookiesAt(const std::string& relative) {
    nq::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kShellFolders, true));
    reg.WriteString("Cookies", tree_.Path(relative));
  }

  // Rows made directly, "name|site" each ("name" alone for a row without a site).
  void SetRows(const std::vector<std::string>& rows) {
    form_.CookieListView.Items.clear();
    for (const std::string& text : rows) {
      ui::TListItem& row = form_.CookieListView.Items.emplace_back();
      const std::size_t bar = text.find('|');
      row.Caption = text.substr(0, bar);
      if (bar != std::string::npos) row.SubItems.push_back(text.substr(bar + 1));
    }
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const ui::TListItem& row : form_.CookieListView.Items) names.push_back(row.Caption);
    return names;
  }
  std::vector<std::string> Sites() const {
    std::vector<std::string> sites;
    for (const ui::TListItem& row : form_.CookieListView.Items) sites.push_back(row.SubItems.empty() ? "" : row.SubItems[0]);
    return sites;
  }
  std::vector<bool> Selection() const {
    std::vector<bool> selected;
    for (const ui::TListItem& row : form_.CookieListView.Items) selected.push_back(row.Selected);
    return selected;
  }
  void Select(const std::vector<bool>& selected) {
    for (std::size_t i = 0; i < selected.size(); ++i) form_.CookieListView.Items[i].Selected = selected[i];
  }

  SpyFileSystem files_{tree_.FileSystem()};
  Installed<platform::IFileSystem> installedFiles_{files_};
  ui::ScriptedDialogs dialogs_;
  nqtest::Installed<ui::IDialogs> installedDialogs_{dialogs_};
  nq::TMainForm form_;
};

// ---- layout

TEST_F(CookiePage, LaidOutWithItsColumnsButtonsAndMenu) {
  nq::TMainForm fresh;  // as it starts, before the page was ever shown
  EXPECT_FALSE(fresh.CookiePage.Visible());
  const auto bounds = [](const ui::TControl& c) {
    const ui::TRect r = c.Bounds();
    return std::vector<int>{r.left, r.top, r.width, r.height};
  };
  EXPECT_EQ(bounds(fresh.CookiePage), (std::vector<int>{120, 28, 400, 300}));
  EXPECT_EQ(bounds(fresh.CookieListView), (std::vector<int>{16, 16, 369, 225}));
  EXPECT_EQ(fresh.CookieListView.Color(), ui::Rgb(248, 250, 220));
  ASSERT_EQ(fresh.CookieListView.Columns.size(), 2u);
  EXPECT_EQ(fresh.CookieListView.Columns[0].caption, "Cookies Files");
  EXPECT_EQ(fresh.CookieListView.Columns[0].width, 180);
  EXPECT_EQ(fresh.CookieListView.Columns[1].caption, "Web Site");
  EXPECT_EQ(fresh.CookieListView.Columns[1].width, 170);
  EXPECT_TRUE(fresh.CookieListView.Items.empty());
  EXPECT_EQ(fresh.CookieListView.PopupMenu, &fresh.CookiePopupMenu);

  struct Button {
    const ui::TButton& button;
    const char* caption;
    std::vector<int> bounds;
  };
  for (const Button& b : {Button{fresh.FindCookiesButton, "Find Cookies", {48, 256, 88, 33}},
                          Button{fresh.RefreshCookiesButton, "Refresh", {176, 256, 88, 33}},
                          Button{fresh.DeleteCookiesButton, "Delete", {288, 256, 88, 33}}}) {
    EXPECT_EQ(b.button.Caption(), b.caption);
    EXPECT_EQ(bounds(b.button), b.bounds) << b.caption;
    EXPECT_EQ(b.button.Parent(), &fresh.CookiePage) << b.caption;
  }

  // The menu top to bottom: name, caption, and the key written beside it.
  struct Item {
    const char* name;
    const char* caption;
    const char* key;
  };
  const std::vector<Item> items = {
      {"N1", "Select All(&A)", "Ctrl+A"},
      {"N2", "Unselect(&Z)", "Ctrl+Z"},
      {"V1", "Invert select(&I)", "Ctrl+I"},
      {"N3", "-", ""},
      {"DeleteCookiePopup", "Delete Cookies(&D)", "Del"},
      {"LoadCookiesPopup", "Refresh(&R)", "F5"},
      {"SearchCookie1", "Find Cookies...(&F)", "F3"},
  };
  ASSERT_EQ(fresh.CookiePopupMenu.Items.size(), items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ui::TMenuItem& item = fresh.CookiePopupMenu.Items[i];
    EXPECT_EQ(item.name, items[i].name) << i;
    EXPECT_EQ(item.caption, items[i].caption) << i;
    EXPECT_EQ(ui::ShortCutText(item.shortCut), items[i].key) << items[i].name;
  }
  // The two items no other test picks: they reload and ask for a name.
  tree_.WriteFile("Cookies\\a.txt", "id\nvalue\na.example/\n");
  PointCookiesAt("Cookies");
  form_.CookiePopupMenu.Find("LoadCookiesPopup")->onClick();
  EXPECT_EQ(Names(), std::vector<std::string>{"a.txt"});
  dialogs_.AnswerInput("a");
  form_.CookiePopupMenu.Find("SearchCookie1")->onClick();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].caption, "Find cookies files");
  EXPECT_EQ(Selection(), std::vector<bool>{true});
}

// ---- load

TEST_F(CookiePage, ManageCookiesListsEveryCookieFileWithItsSite) {
  tree_.WriteFile("Cookies\\b@site.txt", "id\nvalue\nb.example/\n1536\n");
  tree_.WriteFile("Cookies\\a@site.txt", "id\r\nvalue\r\na.example/path\r\n1536\r\n");
  tree_.WriteFile("Cookies\\c@site.txt", "id\rvalue\rc.example/\r");
  tree_.WriteFile("Cookies\\hidden.txt", "id\nvalue\nhidden.example/");
  tree_.SetAttributes("Cookies\\hidden.txt", platform::kFileAttributeHidden | platform::kFileAttributeSystem);
  tree_.WriteFile("Cookies\\two.txt", "id\nvalue\n");
  tree_.WriteFile("Cookies\\empty.txt");
  tree_.MakeFolder("Cookies\\folder.txt");
  tree_.WriteFile("Cookies\\index.dat", "id\nvalue\nnot a cookie\n");
  PointCookiesAt("Cookies");
  form_.SortColumn = 1;
  form_.SortAscending = true;
  const int redraws = form_.CookieListView.RedrawCount();
  int reads = 0, busyUnseen = 0;
  files_.onRead = [&] {
    ++reads;
    if (form_.CookiePage.Cursor() != ui::TCursor::HourGlass || !form_.CookieListView.Updating()) ++busyUnseen;
  };

  form_.NavBar.ClickItem(nq::TMainForm::secPrivacy, 2);  // "Manage Cookies"

  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(form_.CookieFolder, tree_.Path("Cookies"));
  EXPECT_EQ(files_.patterns, std::vector<std::string>{tree_.Path("Cookies") + "\\*.txt"});
  // The search's order, whatever the last sort was.
  EXPECT_EQ(Names(), (std::vector<std::string>{"a@site.txt", "b@site.txt", "c@site.txt", "empty.txt", "hidden.txt",
                                               "two.txt"}));
  EXPECT_EQ(Sites(), (std::vector<std::string>{"a.example/path", "b.example/", "c.example/", "", "hidden.example/", ""}));
  EXPECT_EQ(form_.SortColumn, 1);
  EXPECT_TRUE(form_.SortAscending);
  EXPECT_EQ(Selection(), std::vector<bool>(6, false));
  // Busy and held back while filling; then drawn once, focused, the pointer back to normal and the
  // search closed.
  EXPECT_EQ(reads, 6);
  EXPECT_EQ(busyUnseen, 0);
  EXPECT_EQ(form_.CookieListView.RedrawCount(), redraws + 1);
  EXPECT_TRUE(form_.CookiePage.Visible());
  EXPECT_TRUE(form_.CookieListView.Focused());
  EXPECT_EQ(form_.CookiePage.Cursor(), ui::TCursor::Default);
  EXPECT_EQ(tree_.Sim()->OpenSearchCount(), 0u);
}

TEST_F(CookiePage, ReadsOnlyAsFarAsTheThirdLineAndSkipsFilesItCannotRead) {
  const std::string longLine(5000, 'x');
  tree_.WriteFile("Cookies\\1-long-first-line.txt", longLine + "\nvalue\nlong.example/\n");
  tree_.WriteFile("Cookies\\2-huge.txt", std::string(3 * 1024 * 1024, 'y'));
  tree_.WriteFile("Cookies\\3-third-line-too-long.txt", "id\nvalue\n" + std::string(70 * 1024, 'z') + "\n");
  tree_.WriteFile("Cookies\\4-refused.txt", "id\nvalue\nrefused.example/\n");
  tree_.WriteFile("Cookies\\5-failing.txt", "id\nvalue\nfailing.example/\n");
  tree_.WriteFile("Cookies\\6-plain.txt", "id\nvalue\nplain.example/\n");
  files_.refuse.insert("4-refused.txt");
  files_.fail.insert("5-failing.txt");
  PointCookiesAt("Cookies");

  form_.RefreshCookiesButton.Click();  // "Refresh"

  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(Sites(), (std::vector<std::string>{"long.example/", "", "", "", "", "plain.example/"}));
  EXPECT_EQ(form_.CookieListView.Items.size(), 6u);
  EXPECT_LE(files_.largestRead, 64u * 1024 + 1);
  EXPECT_EQ(form_.CookiePage.Cursor(), ui::TCursor::Default);
}

TEST_F(CookiePage, FolderWithoutCookieFilesGivesAnEmptyList) {
  tree_.MakeFolder("Cookies");
  tree_.WriteFile("Cookies\\index.dat");
  PointCookiesAt("Cookies");
  SetRows({"old.txt|old.example/"});

  form_.Run(nq::TCommandId::LoadCookies);

  EXPECT_TRUE(form_.CookieListView.Items.empty());
  EXPECT_EQ(form_.CookieFolder, tree_.Path("Cookies"));
  EXPECT_EQ(tree_.Sim()->OpenSearchCount(), 0u);
}

TEST_F(CookiePage, WithoutACookieFolderNothingElseIsSearched) {
  // Files at the top of the drive: a search for a bare "\*.txt" would list them.
  tree_.WriteFile("stray.txt", "id\nvalue\nstray.example/\n");
  tree_.WriteFile("Cookies\\a.txt", "id\nvalue\na.example/\n");
  PointCookiesAt("Cookies");
  form_.Run(nq::TCommandId::LoadCookies);
  ASSERT_EQ(Names(), std::vector<std::string>{"a.txt"});

  ASSERT_TRUE(nq::DeleteNamedValue(platform::kHkeyCurrentUser, kShellFolders, "Cookies"));
  form_.Run(nq::TCommandId::LoadCookies);

  EXPECT_TRUE(form_.CookieFolder.empty());
  EXPECT_TRUE(form_.CookieListView.Items.empty());
  EXPECT_EQ(files_.patterns.size(), 1u) << "no second search";
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(CookiePage, CookiesValueThatIsNotTextIsReportedAndKeepsTheList) {
  tree_.WriteFile("Cookies\\a.txt", "id\nvalue\na.example/\n");
  PointCookiesAt("Cookies");
  form_.Run(nq::TCommandId::LoadCookies);
  const std::string folder = form_.CookieFolder;
  LoadReg(reg_, "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
                "\"Cookies\"=hex:43,3a,00\n");

  form_.RefreshCookiesButton.Click();  // "Refresh"

  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].caption, "Norvane And Quillet");
  EXPECT_EQ(dialogs_.shown[0].flags, ui::kMbOk | ui::kMbIconError);
  EXPECT_EQ(form_.CookieFolder, folder);
  EXPECT_EQ(Names(), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(form_.CookiePage.Cursor(), ui::TCursor::Default);
}

TEST_F(CookiePage, F5ReloadsTheCookiesOnlyWhileTheirListHasTheFocus) {
  tree_.WriteFile("Cookies\\a.txt", "id\nvalue\na.example/\n");
  PointCookiesAt("Cookies");
  form_.Run(nq::TCommandId::LoadCookies);
  tree_.WriteFile("Cookies\\b.txt", "id\nvalue\nb.example/\n");

  form_.RefreshCookiesButton.SetFocus();
  EXPECT_TRUE(form_.KeyDown(ui::kVkF5, ui::kShiftNone));  // the entry list's refresh takes it
  EXPECT_EQ(Names(), std::vector<std::string>{"a.txt"});

  form_.CookieListView.SetFocus();
  EXPECT_TRUE(form_.KeyDown(ui::kVkF5, ui::kShiftNone));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// ---- sort

TEST_F(CookiePage, HeadingClicksSortAscendingThenReverse) {
  SetRows({"b.txt|m.example/", "A.txt|z.example/", "a.txt", "C.txt|A.example/"});
  struct Step {
    int column;
    int sortColumn;
    bool ascending;
    std::vector<std::string> foldedNames;  // rows that compare equal may come either way round
  } steps[] = {
      {0, 0, true, {"A.TXT", "A.TXT", "B.TXT", "C.TXT"}},
      {0, 0, false, {"C.TXT", "B.TXT", "A.TXT", "A.TXT"}},
      {0, 0, true, {"A.TXT", "A.TXT", "B.TXT", "C.TXT"}},
      {1, 1, true, {"A.TXT", "C.TXT", "B.TXT", "A.TXT"}},
      {1, 1, false, {"A.TXT", "B.TXT", "C.TXT", "A.TXT"}},
      {0, 0, true, {"A.TXT", "A.TXT", "B.TXT", "C.TXT"}},
  };
  for (const Step& step : steps) {
    form_.CookieListView.ClickColumn(step.column);
    EXPECT_EQ(form_.SortColumn, step.sortColumn);
    EXPECT_EQ(form_.SortAscending, step.ascending);
    std::vector<std::string> folded = Names();
    for (std::string& name : folded) {
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(folded, step.foldedNames) << "after a click on column " << step.column;
    // The order is the one the comparison defines.
    for (std::size_t i = 1; i < form_.CookieListView.Items.size(); ++i) {
      EXPECT_LE(form_.CookieListViewCompare(form_.CookieListView.Items[i - 1], form_.CookieListView.Items[i]), 0)
          << "rows " << i - 1 << ", " << i;
    }
  }
  // Sorted by site, the row without one came first ascending and last descending.
  form_.CookieListView.ClickColumn(1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "C.txt", "b.txt", "A.txt"}));
  form_.CookieListView.ClickColumn(1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"A.txt", "b.txt", "C.txt", "a.txt"}));
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(CookiePage, RefreshShowsTheSearchOrderAndKeepsTheSortDirection) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) tree_.WriteFile(std::string("Cookies\\") + name, "x\n");
  PointCookiesAt("Cookies");
  form_.Run(nq::TCommandId::LoadCookies);
  form_.CookieListView.ClickColumn(0);
  form_.CookieListView.ClickColumn(0);
  ASSERT_EQ(Names(), (std::vector<std::string>{"c.txt", "b.txt", "a.txt"}));

  form_.RefreshCookiesButton.Click();
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  EXPECT_FALSE(form_.SortAscending);

  form_.CookieListView.ClickColumn(0);  // reverses the last sort: now ascending
  EXPECT_TRUE(form_.SortAscending);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

// ---- search and selection

TEST_F(CookiePage, FindSelectsTheRowsWhoseNameHoldsTheTextInAnyCase) {
  const std::vector<std::string> rows = {"a.com.txt|x", "xCoMy.txt", "other.txt|com.example/", "COM.txt", "c o m.txt"};
  struct Case {
    const char* what;
    bool ok;
    std::string text;
    std::vector<bool> selected;
  } cases[] = {
      {"capitals", true, "COM", {true, true, false, true, false}},
      {"small letters", true, "com", {true, true, false, true, false}},
      {"the site is not searched", true, "example", {false, false, false, false, false}},
      {"every name", true, ".TXT", {true, true, true, true, true}},
      {"empty text", true, "", {false, false, false, false, false}},
      {"cancelled", false, "com", {false, false, false, false, false}},
  };
  for (const Case& c : cases) {
    SetRows(rows);
    Select({false, false, true, false, true});  // a search starts from nothing selected
    form_.RefreshCookiesButton.SetFocus();
    dialogs_.shown.clear();
    if (c.ok) {
      dialogs_.AnswerInput(c.text);
    } else {
      dialogs_.CancelInput();
    }

    form_.FindCookiesButton.Click();  // "Find Cookies"

    ASSERT_EQ(dialogs_.shown.size(), 1u) << c.what;
    EXPECT_EQ(dialogs_.shown[0].caption, "Find cookies files");
    EXPECT_EQ(dialogs_.shown[0].text, "Please input the name of cookies file");
    EXPECT_EQ(dialogs_.shown[0].maxLength, 255);
    EXPECT_EQ(Selection(), c.selected) << c.what;
    const bool found = std::find(c.selected.begin(), c.selected.end(), true) != c.selected.end();
    EXPECT_EQ(form_.CookieListView.Focused(), found) << c.what;
  }
}

// Names are UTF-8: they load and sort as they are, and the search folds a to z only, so a letter
// beyond ASCII matches itself alone. (The two names differ in more than case: Windows folds the
// case of every letter in file names, so they could not lie side by side otherwise.)
TEST_F(CookiePage, NamesBeyondAsciiLoadAndSearchAsTheyAre) {
  for (const char* name : {"user@тест[1].txt", "USER@ТЕСТ[2].txt", "user@тесь[1].txt", "tést.txt"}) {
    tree_.WriteFile(std::string("Cookies\\") + name, std::string("id\nvalue\n") + name + "/\n");
  }
  PointCookiesAt("Cookies");
  form_.Run(nq::TCommandId::LoadCookies);
  form_.SortColumn = 1;
  form_.CookieListView.ClickColumn(0);
  const std::vector<std::string> names = {"tést.txt", "USER@ТЕСТ[2].txt", "user@тест[1].txt", "user@тесь[1].txt"};
  ASSERT_EQ(Names(), names);
  for (const ui::TListItem& row : form_.CookieListView.Items) EXPECT_EQ(row.SubItems.at(0), row.Caption + "/");
  struct Case {
    std::string text;
    std::vector<bool> selected;
  } const cases[] = {
      {"тест", {false, false, true, false}},
      {"ТЕСТ", {false, true, false, false}},
      {"user@тес", {false, false, true, true}},
      {"ь", {false, false, false, true}},  // shares its first byte with т, but is not т
      {"é", {true, false, false, false}},
  };
  for (const Case& c : cases) {
    dialogs_.AnswerInput(c.text);
    form_.FindCookiesButton.Click();
    EXPECT_EQ(Selection(), c.selected) << c.text;
  }
}

TEST_F(CookiePage, FindByItsKeyLeavesAHiddenListWithoutTheFocus) {
  SetRows({"a.com.txt", "b.txt"});
  form_.Run(nq::TCommandId::GrpHistoryAct);
  form_.EraseTracksButton.SetFocus();
  dialogs_.AnswerInput("com");

  EXPECT_TRUE(form_.KeyDown(ui::kVkF3, ui::kShiftNone));

  EXPECT_EQ(Selection(), (std::vector<bool>{true, false}));
  EXPECT_FALSE(form_.CookieListView.Focused());
}

TEST_F(CookiePage, SelectionCommandsByKeyAndMenu) {
  struct Case {
    const char* menuItem;
    int key;
    std::vector<bool> after;
  } cases[] = {
      {"N1", 'A', {true, true, true}},
      {"N2", 'Z', {false, false, false}},
      {"V1", 'I', {false, true, false}},
  };
  for (const Case& c : cases) {
    SetRows({"a.txt", "b.txt", "c.txt"});
    Select({true, false, true});
    EXPECT_TRUE(form_.KeyDown(c.key, ui::kCtrl));
    EXPECT_EQ(Selection(), c.after) << "Ctrl+" << static_cast<char>(c.key);

    Select({true, false, true});
    form_.CookiePopupMenu.Find(c.menuItem)->onClick();
    EXPECT_EQ(Selection(), c.after) << c.menuItem;
  }
}

// ---- delete

TEST_F(CookiePage, DeleteSendsTheSelectedFilesTopDownToTheRecycleBin) {
  enum Trigger { kButton, kKey, kMenu };
  for (const Trigger how : {kButton, kKey, kMenu}) {
    const char* const trigger = how == kButton ? "Delete button" : how == kKey ? "Del key" : "menu item";
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) {
      tree_.WriteFile(std::string("Cookies\\") + name, "id\nvalue\nsite/\n");
    }
    PointCookiesAt("Cookies");
    form_.Run(nq::TCommandId::LoadCookies);
    form_.SortColumn = 0;
    form_.SortAscending = true;
    form_.CookieListView.ClickColumn(0);  // descending, so the list's order is not the folder's
    Select({true, false, true, false});
    shell_.fileOperations.clear();

    if (how == kButton) {
      form_.DeleteCookiesButton.Click();
    } else if (how == kKey) {
      EXPECT_TRUE(form_.KeyDown(ui::kVkDelete, ui::kShiftNone));
    } else {
      ASSERT_TRUE(form_.CookiePopupMenu.IsEnabled(*form_.CookiePopupMenu.Find("DeleteCookiePopup")));
      form_.CookiePopupMenu.Find("DeleteCookiePopup")->onClick();
    }

    ASSERT_EQ(shell_.fileOperations.size(), 1u) << trigger;
    const auto& call = shell_.fileOperations[0];
    EXPECT_EQ(call.owner, 0u);
    EXPECT_EQ(call.operation, platform::kFoDelete);
    EXPECT_EQ(call.flags, platform::kFofAllowUndo);
    const std::string folder = tree_.Path("Cookies");
    EXPECT_EQ(call.list, folder + "\\d.txt" + '\0' + folder + "\\b.txt" + '\0' + '\0') << trigger;
    EXPECT_EQ(Names(), (std::vector<std::string>{"c.txt", "a.txt"})) << trigger;
    EXPECT_FALSE(tree_.Exists("Cookies\\b.txt"));
    EXPECT_FALSE(tree_.Exists("Cookies\\d.txt"));
    EXPECT_TRUE(tree_.Exists("Cookies\\a.txt"));
    EXPECT_TRUE(dialogs_.shown.empty());
    std::filesystem::remove_all(tree_.Host("Cookies"));
    std::filesystem::remove_all(shell_.RecycleBin());
    std::filesystem::create_directories(shell_.RecycleBin());
  }
}

TEST_F(CookiePage, RowsStayWhileTheirFilesAreStillThere) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) tree_.WriteFile(std::string("Cookies\\") + name, "x\n");
  PointCookiesAt("Cookies");
  form_.Run(nq::TCommandId::LoadCookies);
  Select({true, true, true});
  std::filesystem::remove(tree_.Host("Cookies\\b.txt"));  // gone before the delete, by other means
  shell_.AnswerRecycleConfirmation(false);

  form_.DeleteCookiesButton.Click();

  EXPECT_EQ(shell_.recycleConfirmations, 1);
  EXPECT_TRUE(shell_.RecycledNames().empty());
  // The declined files keep their rows, still selected; the file that is gone loses its row.
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "c.txt"}));
  EXPECT_EQ(Selection(), (std::vector<bool>{true, true}));
  form_.RefreshCookiesButton.Click();
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "c.txt"}));
}

TEST_F(CookiePage, WithNothingSelectedDeleteDoesNothingAndItsMenuItemIsGreyed) {
  tree_.WriteFile("Cookies\\a.txt", "x\n");
  PointCookiesAt("Cookies");
  form_.Run(nq::TCommandId::LoadCookies);
  const ui::TMenuItem& item = *form_.CookiePopupMenu.Find("DeleteCookiePopup");
  EXPECT_EQ(item.caption, "Delete Cookies(&D)");

  EXPECT_FALSE(form_.CookiePopupMenu.IsEnabled(item));
  EXPECT_FALSE(form_.KeyDown(ui::kVkDelete, ui::kShiftNone));
  EXPECT_FALSE(form_.Run(nq::TCommandId::DeleteCookie));
  form_.DeleteCookiesButton.Click();
  EXPECT_TRUE(shell_.fileOperations.empty());
  EXPECT_EQ(Names(), std::vector<std::string>{"a.txt"});

  Select({true});
  EXPECT_TRUE(form_.CookiePopupMenu.IsEnabled(item));
}

}  // namespace
}  // namespace nqtest
