// The browsers page on the substitutes: the hijacked profile listed with each row's tick, the
// detail line following the selection, the repair of the ticked rows alone with its one report,
// a refused row, and nothing ticked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "browsers/Browsers.h"
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

  ui::ScriptedDialogs dialogs_;
  Installed<ui::IDialogs> installedDialogs_{dialogs_};
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
}

}  // namespace
}  // namespace nqtest
