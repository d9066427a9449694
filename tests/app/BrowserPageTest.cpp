// The browsers page on the substitutes: the hijacked profile listed with each row's tick, the
// detail line following the selection, the repair of the ticked rows alone with its one report,
// a refused row, nothing ticked, a finding put back at once, a record that cannot be written, and
// the undo of the last repair.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "browsers/Browsers.h"
#include "browsers/Undo.h"
#include "platform/RegFile.h"
#include "services/MainFunc.h"
#include "tests/support/Installed.h"
#include "tests/support/HijackedBrowsers.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

namespace nqtest {
namespace {

using nq::TMainForm;
using platform::kHkeyCurrentUser;

class BrowserPageTest : public HijackedBrowsersTest {
 protected:
  // Opens the page as the user does: the item's click.
  void OpenPage(TMainForm& form) {
    form.NavBar.ClickItem(TMainForm::secNorvane, 4);
    ASSERT_TRUE(form.BrowsersPage.Showing());
  }

  int RowOf(const TMainForm& form, const std::string& finding) const {
    for (std::size_t i = 0; i < form.FindingListView.Items.size(); ++i) {
      const ui::TListItem& row = form.FindingListView.Items[i];
      if (row.SubItems.size() == 2 && row.SubItems[1].find(finding) != std::string::npos) return static_cast<int>(i);
    }
    return -1;
  }

  // The rows as the user sees them: browser, where, finding and tick.
  static std::vector<std::string> Rows(const TMainForm& form) {
    std::vector<std::string> rows;
    for (const ui::TListItem& row : form.FindingListView.Items) {
      std::string text = row.Caption;
      for (const std::string& column : row.SubItems) text += " | " + column;
      rows.push_back(text + (row.Checked ? " [x]" : " [ ]"));
    }
    return rows;
  }

  // What the repair and the undo may touch: both roots whole (both views) and the policies file.
  std::string State() {
    return platform::DumpRegText(reg_, platform::kHkeyCurrentUser, "", platform::RegValueOrder::kByName) +
           platform::DumpRegText(reg_, platform::kHkeyLocalMachine, "", platform::RegValueOrder::kByName) + Policies();
  }

  std::size_t Ticked(const TMainForm& form) const {
    std::size_t ticked = 0;
    for (const ui::TListItem& row : form.FindingListView.Items) ticked += row.Checked ? 1 : 0;
    return ticked;
  }

  ui::ScriptedDialogs dialogs_;
  Installed<ui::IDialogs> installedDialogs_{dialogs_};
};

// The files of the substitute, with something that writes the hijacker's policies file back as soon
// as another replaces it.
class PutBackFiles final : public platform::IFiles {
 public:
  PutBackFiles(platform::IFiles& files, std::function<void()> putBack) : files_(files), putBack_(std::move(putBack)) {}
  bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string* bytes) override {
    return files_.ReadWholeFile(path, maxBytes, bytes);
  }
  bool WriteNewFile(const std::string& path, const std::string& bytes) override { return files_.WriteNewFile(path, bytes); }
  bool MoveFileEx(const std::string& from, const std::string& to, std::uint32_t flags) override {
    return files_.MoveFileEx(from, to, flags);
  }
  bool DeleteFile(const std::string& path) override { return files_.DeleteFile(path); }
  std::uint32_t ReplaceFile(const std::string& replaced, const std::string& replacement, const std::string& backup) override {
    const std::uint32_t error = files_.ReplaceFile(replaced, replacement, backup);
    if (error == 0) putBack_();
    return error;
  }
  bool CreateDirectory(const std::string& path) override { return files_.CreateDirectory(path); }
  bool RemoveDirectory(const std::string& path) override { return files_.RemoveDirectory(path); }
  bool IsHeldOpen(const std::string& path) override { return files_.IsHeldOpen(path); }

 private:
  platform::IFiles& files_;
  std::function<void()> putBack_;
};

// The rows are the findings, in their order, each ticked as its verdict says; the first is
// selected and the line below shows it whole; another selection shows that one.
TEST_F(BrowserPageTest, ListsTheFindingsTickedAsTheirVerdictsAndShowsTheSelectedOneWhole) {
  TMainForm form;
  OpenPage(form);
  const nq::TFindings findings = nq::FindBrowserHijacks();
  ASSERT_FALSE(findings.empty());
  ASSERT_EQ(form.FindingListView.Items.size(), findings.size());
  for (std::size_t i = 0; i < findings.size(); ++i) {
    const nq::TFindingColumns columns = nq::FindingColumns(findings[i]);
    const ui::TListItem& row = form.FindingListView.Items[i];
    EXPECT_EQ(row.Caption, columns.browser);
    EXPECT_EQ(row.SubItems, (std::vector<std::string>{columns.where, columns.finding}));
    EXPECT_EQ(row.Checked, findings[i].ticked) << columns.finding;
  }
  EXPECT_TRUE(form.FindingListView.Items.front().Selected);
  EXPECT_EQ(form.FindingDetailLabel.Caption(), nq::FindingDetail(findings.front()));

  form.FindingListView.SelectOnly(static_cast<int>(findings.size()) - 1);
  EXPECT_EQ(form.FindingDetailLabel.Caption(), nq::FindingDetail(findings.back()));
  EXPECT_TRUE(dialogs_.shown.empty());
}

// Repair fixes the ticked rows and no other: an unticked row's value stays, and the list that
// comes back holds it alone of what was ticked. One report says how many went.
TEST_F(BrowserPageTest, RepairFixesTheTickedRowsAloneAndReportsHowMany) {
  TMainForm form;
  OpenPage(form);
  const int kept = RowOf(form, "HomepageLocation");
  ASSERT_GE(kept, 0);
  form.FindingListView.SelectOnly(kept);
  form.FindingListView.SetFocus();
  form.PressKey(ui::kVkSpace, ui::kShiftNone);  // the user unticks it
  ASSERT_FALSE(form.FindingListView.Items[static_cast<std::size_t>(kept)].Checked);
  std::size_t ticked = 0;
  for (const ui::TListItem& row : form.FindingListView.Items) ticked += row.Checked ? 1 : 0;
  ASSERT_GT(ticked, 1u);

  dialogs_.AnswerMessage(ui::kIdOk);
  form.RepairBrowsersButton.Click();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, std::to_string(ticked) + " findings repaired.");

  const nq::TFindings left = nq::FindBrowserHijacks();
  ASSERT_EQ(form.FindingListView.Items.size(), left.size()) << "the list shows what is left";
  EXPECT_GE(RowOf(form, "HomepageLocation"), 0);
  for (const nq::TFinding& f : left) EXPECT_FALSE(f.ticked && f.name != "HomepageLocation") << f.where << " " << f.name;
  EXPECT_NE(Policies().find("DisableTelemetry"),
            std::string::npos);
}

// A policies file that turns unreadable between the listing and the click: its rows are refused and
// named, never counted as repaired, and the file is left as it is.
TEST_F(BrowserPageTest, AFileThatTurnsUnreadableBeforeTheRepairIsReportedRefused) {
  TMainForm form;
  OpenPage(form);
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < form.Findings.size(); ++i) {
    const bool file = form.Findings[i].kind == nq::TFindingKind::PolicyFile;
    form.FindingListView.Items[i].Checked = file;
    if (file) rows.push_back("\nFirefox: " + nq::FindingColumns(form.Findings[i]).where + ", " +
                             nq::FindingColumns(form.Findings[i]).finding);
  }
  ASSERT_EQ(rows.size(), 2u) << "the fixture's two hijacking policies";
  const std::string unreadable = "{\"policies\": {\"Homepage\": ";
  WritePolicies(unreadable);
  dialogs_.AnswerMessage(ui::kIdOk);
  form.RepairBrowsersButton.Click();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "0 findings repaired.\n\n2 findings were refused:" + rows[0] + rows[1]);
  EXPECT_EQ(Policies(), unreadable);
}

// A policies file that is not JSON is shown unticked; ticked by the user it is refused, never
// rewritten, and the report names it. With nothing ticked Repair only says so.
TEST_F(BrowserPageTest, ARefusedRowIsNamedInTheReportAndNothingTickedChangesNothing) {
  const std::string unreadable = "{\"policies\": {\"Homepage\": ";
  WritePolicies(unreadable);
  TMainForm form;
  OpenPage(form);
  for (ui::TListItem& row : form.FindingListView.Items) row.Checked = false;
  dialogs_.AnswerMessage(ui::kIdOk);
  form.RepairBrowsersButton.Click();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "No finding is ticked: tick the rows to repair.");

  int row = -1;
  for (std::size_t i = 0; i < form.Findings.size(); ++i) {
    if (form.Findings[i].kind == nq::TFindingKind::UnreadableFile) row = static_cast<int>(i);
  }
  ASSERT_GE(row, 0);
  EXPECT_FALSE(form.Findings[static_cast<std::size_t>(row)].ticked);
  form.FindingListView.ToggleCheck(row);
  const nq::TFindingColumns columns = nq::FindingColumns(form.Findings[static_cast<std::size_t>(row)]);
  dialogs_.AnswerMessage(ui::kIdOk);
  form.RepairBrowsersButton.Click();
  ASSERT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.shown[1].text, "0 findings repaired.\n\n1 finding was refused:\nFirefox: " + columns.where + ", " +
                                        columns.finding);
  EXPECT_EQ(Policies(), unreadable);
}

// A finding the repair did not refuse but that the list read again still holds (something put it
// back at once) is named as still present, and not counted as repaired.
TEST_F(BrowserPageTest, AFindingPutBackAtOnceIsNamedStillPresent) {
  const std::string hijacked = Policies();
  PutBackFiles putBack(files_, [&] { WritePolicies(hijacked); });
  Installed<platform::IFiles> installedFiles(putBack);
  TMainForm form;
  OpenPage(form);
  std::string present;
  for (std::size_t i = 0; i < form.Findings.size(); ++i) {
    if (form.Findings[i].kind == nq::TFindingKind::PolicyFile) {
      ASSERT_TRUE(form.FindingListView.Items[i].Checked);
      present += "\nFirefox: " + nq::FindingColumns(form.Findings[i]).where + ", " + nq::FindingColumns(form.Findings[i]).finding;
    }
  }
  const std::size_t ticked = Ticked(form);
  dialogs_.AnswerMessage(ui::kIdOk);
  form.RepairBrowsersButton.Click();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, std::to_string(ticked - 2) + " findings repaired.\n\n"
                                    "2 findings are still present after the repair:" + present);
  EXPECT_EQ(Policies(), hijacked);
}

// A repair whose undo record cannot be written changes nothing: one error box says why, and the
// list and the registry stay as they were.
TEST_F(BrowserPageTest, ARepairWhoseRecordCannotBeWrittenSaysWhyAndChangesNothing) {
  TMainForm form;
  OpenPage(form);
  const std::vector<std::string> rows = Rows(form);
  const std::string before = State();
  files_.FailNextWrite();  // the record's first file
  form.RepairBrowsersButton.Click();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].flags, ui::kMbOk | ui::kMbIconError);
  EXPECT_EQ(dialogs_.shown[0].text.rfind("The undo record could not be written (", 0), 0u) << dialogs_.shown[0].text;
  EXPECT_NE(dialogs_.shown[0].text.find("could not be written"), std::string::npos);
  EXPECT_TRUE(dialogs_.shown[0].text.ends_with("): nothing was repaired.")) << dialogs_.shown[0].text;
  EXPECT_EQ(State(), before);
  EXPECT_EQ(Rows(form), rows);
  EXPECT_FALSE(form.UndoBrowsersButton.Enabled());
}

// Undo is greyed until a repair leaves a record; after one confirmation it puts the repair back,
// says how many findings are back, and the list is the one before the repair. Answered No, it
// does nothing; once restored, the record is not offered again.
TEST_F(BrowserPageTest, UndoPutsTheLastRepairBackAfterOneConfirmation) {
  TMainForm form;
  OpenPage(form);
  EXPECT_FALSE(form.UndoBrowsersButton.Enabled()) << "no repair to undo yet";
  const std::vector<std::string> found = Rows(form);
  const std::string before = State();
  const std::size_t ticked = Ticked(form);

  form.RepairBrowsersButton.Click();
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  ASSERT_EQ(dialogs_.shown[0].text, std::to_string(ticked) + " findings repaired.");
  const std::vector<std::string> repaired = Rows(form);
  ASSERT_NE(repaired, found);
  ASSERT_TRUE(form.UndoBrowsersButton.Enabled());
  form.FindingListView.SetFocus();
  form.PressKey(ui::kVkTab, ui::kShiftNone);
  form.PressKey(ui::kVkTab, ui::kShiftNone);
  EXPECT_EQ(form.ActiveControl(), &form.UndoBrowsersButton) << "Tab: Refresh, then Undo";

  const std::vector<nq::TUndoRecord> records = nq::ListUndoRecords();
  ASSERT_EQ(records.size(), 1u);
  const std::string question = "Undo the repair of " + records[0].created + "? What it changed is put back.";
  dialogs_.AnswerMessage(ui::kIdNo);
  form.PressKey(ui::kVkReturn, ui::kShiftNone);
  ASSERT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.shown[1].text, question);
  EXPECT_EQ(dialogs_.shown[1].flags, ui::kMbYesNo);
  EXPECT_EQ(Rows(form), repaired) << "No leaves the repair as it is";
  EXPECT_TRUE(form.UndoBrowsersButton.Enabled());

  dialogs_.AnswerMessage(ui::kIdYes);
  form.UndoBrowsersButton.Click();
  ASSERT_EQ(dialogs_.shown.size(), 4u);
  EXPECT_EQ(dialogs_.shown[2].text, question);
  EXPECT_EQ(dialogs_.shown[3].text, std::to_string(ticked) + " findings restored.");
  EXPECT_EQ(dialogs_.shown[3].flags, ui::kMbOk);
  EXPECT_EQ(Rows(form), found);
  EXPECT_EQ(State(), before);
  EXPECT_FALSE(form.UndoBrowsersButton.Enabled()) << "the record is restored";
  EXPECT_EQ(nq::ListUndoRecords()[0].state, nq::TUndoRecord::TState::Restored);
}

// What changed since the repair is refused by the undo, named with why, and left as it is; the
// rest comes back.
TEST_F(BrowserPageTest, UndoNamesWhatChangedSinceTheRepairAndLeavesIt) {
  TMainForm form;
  OpenPage(form);
  const std::size_t ticked = Ticked(form);
  form.RepairBrowsersButton.Click();
  const std::string edited = "{\"policies\": {\"DisableTelemetry\": false}}\n";
  WritePolicies(edited);
  dialogs_.AnswerMessage(ui::kIdYes);
  form.UndoBrowsersButton.Click();
  ASSERT_EQ(dialogs_.shown.size(), 3u);
  EXPECT_EQ(dialogs_.shown[2].text, std::to_string(ticked - 2) + " findings restored.\n\n1 change was refused:\n" +
                                        PoliciesPath() + ": it was changed since the repair");
  EXPECT_EQ(Policies(), edited);
  EXPECT_FALSE(form.UndoBrowsersButton.Enabled());
}

// The record went between the list and the click (a console's undo): the page says so and greys
// the button.
TEST_F(BrowserPageTest, UndoWithTheRecordGoneSinceSaysSo) {
  TMainForm form;
  OpenPage(form);
  form.RepairBrowsersButton.Click();
  ASSERT_TRUE(form.UndoBrowsersButton.Enabled());
  ASSERT_TRUE(nq::UndoRepair(nq::LatestUndoRecord()).done);
  form.UndoBrowsersButton.Click();
  ASSERT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.shown[1].text, "There is no repair to undo.");
  EXPECT_FALSE(form.UndoBrowsersButton.Enabled());
}

TEST(BrowserRepairReport, CountsAndListsAtMostTenRefused) {
  nq::TFinding refused;
  refused.browser = "Edge";
  refused.root = kHkeyCurrentUser;
  refused.where = "Software\\Policies\\Microsoft\\Edge";
  refused.name = "HomepageLocation";
  refused.data = "http://x.example/";
  const std::string line = "\nEdge: " + nq::FindingColumns(refused).where + ", " + nq::FindingColumns(refused).finding;
  EXPECT_EQ(TMainForm::BrowserRepairReport(1, {}), "1 finding repaired.");
  EXPECT_EQ(TMainForm::BrowserRepairReport(2, {refused}), "2 findings repaired.\n\n1 finding was refused:" + line);
  std::string ten;
  for (int i = 0; i < 10; ++i) ten += line;
  EXPECT_EQ(TMainForm::BrowserRepairReport(0, nq::TFindings(12, refused)),
            "0 findings repaired.\n\n12 findings were refused:" + ten + "\n... and 2 more.");
  EXPECT_EQ(TMainForm::BrowserRepairReport(3, {refused}, nq::TFindings(11, refused)),
            "3 findings repaired.\n\n1 finding was refused:" + line + "\n\n11 findings are still present after the repair:" +
                ten + "\n... and 1 more.");
  EXPECT_EQ(TMainForm::BrowserRepairReport(0, {}, {refused}),
            "0 findings repaired.\n\n1 finding is still present after the repair:" + line);
}

// Each refused change of an undo on a line: where, the value's name, and why (the system's refusal
// when the undo gives no reason of its own).
TEST(BrowserUndoReport, NamesEachRefusedChangeWithWhy) {
  using nq::TChange;
  const TChange value{.kind = TChange::TKind::Value, .root = platform::kHkeyLocalMachine, .view = nq::TRegView::Key32,
                      .path = "Software\\Policies\\Google\\Chrome", .name = "", .refused = true};
  const TChange file{.kind = TChange::TKind::File, .path = "C:\\policies.json", .refused = true,
                     .why = "it was changed since the repair"};
  EXPECT_EQ(TMainForm::BrowserUndoReport(1, {}), "1 finding restored.");
  EXPECT_EQ(TMainForm::BrowserUndoReport(0, {value, file}),
            "0 findings restored.\n\n2 changes were refused:\n"
            "HKEY_LOCAL_MACHINE\\Software\\Policies\\Google\\Chrome [32-bit], (Default): the system refused it\n"
            "C:\\policies.json: it was changed since the repair");
}

}  // namespace
}  // namespace nqtest
