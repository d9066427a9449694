// Every command of the main window is reachable: each navigation item, button, list, popup item
// and key runs the commands it should, through the command table, and together they reach every
// row of the table. The trace is the form's own: each command as the table's handler starts.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "tests/support/Installed.h"
#include "tests/support/KeyPaths.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

namespace nqtest {
namespace {

using nq::TCommandId;
using nq::TMainForm;
using C = TCommandId;

class CommandTableTest : public FileTreeTest {
 protected:
  void SetUp() override {
    FileTreeTest::SetUp();
    // Something in each list, so that a selection and a delete have an entry to act on.
    nq::TRegistry reg;
    reg.SetRootKey(platform::kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey(kRun, true));
    reg.WriteString("Updater", "C:\\updater.exe");
    ASSERT_TRUE(reg.OpenKey(kShellFolders, true));
    reg.WriteString("Cookies", tree_.Path("Cookies"));
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Internet Explorer\\MenuExt\\Search", true));
    reg.WriteString("", "res://menu.htm");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Internet Explorer\\TypedURLs", true));
    reg.WriteString("url1", "http://www.example.com/");
    nq::TRegistry machine;
    machine.SetRootKey(platform::kHkeyLocalMachine);
    ASSERT_TRUE(machine.OpenKey("\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{0B53EAC3-8D69-4B9E-9B19-A37C9A5676A7}", true));
    machine.WriteString("ButtonText", "Example Bar");
    tree_.WriteFile("Cookies\\anna@site[1].txt", "id\nvalue\nsite.example/\n");
    tree_.WriteFile("Cookies\\anna@other[1].txt", "id\nvalue\nother.example/\n");

    form_.OnCommand = [this](TCommandId id) { trace_.push_back(id); };
  }

  // What one trigger ran, in order.
  std::vector<TCommandId> Run(const std::function<void()>& trigger) {
    trace_.clear();
    trigger();
    reached_.insert(trace_.begin(), trace_.end());
    return trace_;
  }
  // Opens an item as the user does (its section first).
  void Open(int section, int item) {
    form_.NavBar.ClickSection(section);
    form_.NavBar.ClickItem(section, item);
  }

  ui::ScriptedDialogs dialogs_;  // OK to a report, Cancel to a question or an input box
  Installed<ui::IDialogs> installedDialogs_{dialogs_};
  TMainForm form_;
  std::vector<TCommandId> trace_;
  std::set<TCommandId> reached_;
};

// `expected` begins what the trigger ran (the rest is what those commands run in turn).
#define EXPECT_RUNS(trigger, ...)                                                         \
  do {                                                                                    \
    const std::vector<TCommandId> expected{__VA_ARGS__};                                  \
    const std::vector<TCommandId> ran = Run(trigger);                                     \
    ASSERT_GE(ran.size(), expected.size()) << #trigger;                                   \
    EXPECT_EQ(std::vector<TCommandId>(ran.begin(), ran.begin() + static_cast<long>(expected.size())), expected) \
        << #trigger;                                                                      \
  } while (false)

TEST_F(CommandTableTest, EveryItemButtonListPopupItemAndKeyRunsItsCommandAndTogetherTheyReachEveryCommand) {
  // The navigation bar: the page first, then what the item loads.
  struct Item {
    int section, item;
    std::vector<TCommandId> runs;
  } const items[] = {
      {0, 0, {C::GrpNorvaneAct}},
      {0, 1, {C::GrpCleanAct, C::AutoRunAct}},
      {0, 2, {C::GrpCleanAct, C::GetMenuAct}},
      {0, 3, {C::GrpCleanAct, C::GetExtensionsAct}},
      {0, 4, {C::GrpBrowserAct, C::GetBrowsersAct}},
      {1, 0, {C::GrpHistoryAct}},
      {1, 1, {C::GrpCleanAct, C::GetUrlAct}},
      {1, 2, {C::GrpCookieAct, C::LoadCookies}},
      {2, 0, {C::GrpSetUpAct, C::BmpListboxLoad, C::BmpGetAct}},
  };
  for (const Item& i : items) {
    SCOPED_TRACE(form_.NavBar.Sections[i.section].items[i.item].caption);
    const std::vector<TCommandId> ran = Run([&] { Open(i.section, i.item); });
    for (const TCommandId id : i.runs) {
      EXPECT_NE(std::find(ran.begin(), ran.end(), id), ran.end()) << static_cast<int>(id);
    }
    EXPECT_EQ(ran.front(), i.runs.front());
  }

  // Buttons and lists, each on its page.
  Open(0, 0);
  EXPECT_RUNS([&] { form_.RepairButton.Click(); }, C::CleanIE);
  EXPECT_RUNS([&] { form_.HelpButton.Click(); }, C::HelpAct);
  Open(0, 1);
  EXPECT_RUNS([&] { form_.EntryListBox.UserSelect(0); }, C::AutoRunDate);
  EXPECT_RUNS([&] { form_.RefreshEntriesButton.Click(); }, C::IERefresh, C::AutoRunAct);
  for (const auto& [item, erase] : {std::pair{std::pair{0, 1}, C::AutoRunDelete}, {{0, 2}, C::DelMenuExtAct},
                                    {{0, 3}, C::DeleteExtensionAct}, {{1, 1}, C::DelUrlAct}}) {
    Open(item.first, item.second);
    form_.EntryListBox.UserSelect(0);
    dialogs_.AnswerMessage(ui::kIdOk);  // "Are you sure...?"
    const std::vector<TCommandId> ran = Run([&] { form_.DeleteEntryButton.Click(); });
    EXPECT_EQ(ran.front(), C::IEDelete);
    EXPECT_NE(std::find(ran.begin(), ran.end(), erase), ran.end()) << static_cast<int>(erase);
  }
  EXPECT_RUNS([&] { form_.CleanTypedUrlsButton.Click(); }, C::CleanUrlAct);
  Open(1, 2);
  EXPECT_RUNS([&] { form_.FindCookiesButton.Click(); }, C::SearchCookie);
  EXPECT_RUNS([&] { form_.RefreshCookiesButton.Click(); }, C::LoadCookies);
  EXPECT_RUNS([&] { form_.DeleteCookiesButton.Click(); }, C::DeleteCookie);
  for (const auto& [name, command] : {std::pair{"N1", C::SelectAllAct}, {"N2", C::SelectNoneAct},
                                      {"V1", C::InvertSelectAct}, {"DeleteCookiePopup", C::DeleteCookie},
                                      {"LoadCookiesPopup", C::LoadCookies}, {"SearchCookie1", C::SearchCookie}}) {
    ui::TMenuItem* item = form_.CookiePopupMenu.Find(name);
    ASSERT_NE(item, nullptr) << name;
    if (std::string(name) == "DeleteCookiePopup") form_.CookieListView.SelectOnly(0);  // one of three goes
    if (item->enabled) ASSERT_TRUE(item->enabled()) << name << " is greyed";
    EXPECT_RUNS([&] { item->onClick(); }, command);
  }
  Open(2, 0);
  EXPECT_RUNS([&] { form_.WallpaperListBox.UserSelect(0); }, C::BmpListChange);
  EXPECT_RUNS([&] { form_.ApplyWallpaperButton.Click(); }, C::BmpSetAct);
  EXPECT_RUNS([&] { form_.ClearWallpaperButton.Click(); }, C::bmpCleanAct);
  Open(0, 4);
  EXPECT_RUNS([&] { form_.FindingListView.SelectOnly(0); }, C::BrowserListChange);
  EXPECT_RUNS([&] { form_.RefreshBrowsersButton.Click(); }, C::GetBrowsersAct);
  EXPECT_RUNS([&] { form_.RepairBrowsersButton.Click(); }, C::RepairBrowsersAct);
  EXPECT_FALSE(form_.UndoBrowsersButton.Enabled()) << "no repair to undo";
  form_.UndoBrowsersButton.SetEnabled(true);  // as a record made it; the command finds none and says so
  EXPECT_RUNS([&] { form_.UndoBrowsersButton.Click(); }, C::UndoBrowsersAct, C::GetBrowsersAct);

  // Keys, written once in the table: each runs its command.
  Open(1, 2);
  form_.CookieListView.SetFocus();
  EXPECT_RUNS([&] { form_.PressKey(ui::kVkF5, ui::kShiftNone); }, C::LoadCookies);
  Open(0, 1);
  EXPECT_RUNS([&] { form_.PressKey(ui::kVkF5, ui::kShiftNone); }, C::IERefresh);
  EXPECT_RUNS([&] { form_.PressKey(ui::kVkF3, ui::kShiftNone); }, C::SearchCookie);
  EXPECT_RUNS([&] { form_.PressKey('A', ui::kCtrl); }, C::SelectAllAct);
  ASSERT_GT(form_.CookieListView.SelCount(), 0);
  EXPECT_RUNS([&] { form_.PressKey(ui::kVkDelete, ui::kShiftNone); }, C::DeleteCookie);
  EXPECT_RUNS([&] { form_.PressKey('Z', ui::kCtrl); }, C::SelectNoneAct);
  EXPECT_RUNS([&] { form_.PressKey('I', ui::kCtrl); }, C::InvertSelectAct);
  EXPECT_RUNS([&] { form_.KeyUp(ui::kVkF1, ui::kShiftNone); }, C::HelpAct);

  // ProtectIE is a command of the table that no control or key of the window runs.
  std::vector<std::string> unreached;
  for (const nq::TCommand& command : TMainForm::Commands()) {
    if (reached_.count(command.id) == 0) unreached.push_back(command.name);
  }
  EXPECT_EQ(unreached, std::vector<std::string>{"ProtectIE"});
}

// The system's names of the commands stay what tests and scripts look them up by.
TEST(CommandTable, EveryCommandHasOneRowAndItsNameFindsIt) {
  std::set<TCommandId> ids;
  for (const nq::TCommand& command : TMainForm::Commands()) {
    EXPECT_TRUE(ids.insert(command.id).second) << command.name << " has two rows";
    const nq::TCommand* found = TMainForm::FindCommand(std::string(command.name));
    ASSERT_NE(found, nullptr) << command.name;
    EXPECT_EQ(found->id, command.id) << command.name;
    EXPECT_NE(command.execute, nullptr) << command.name;
  }
  EXPECT_EQ(TMainForm::FindCommand(std::string("AutoRunAkt")), nullptr);
}

}  // namespace
}  // namespace nqtest
