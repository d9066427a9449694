// The browsers page: what a hijacker set in today's browsers, one finding a row with its check box
// (ticked: in the repair), the selected finding whole on the line below, Repair and Refresh.
#include <string>

#include "app/MainForm.h"
#include "browsers/Browsers.h"
#include "browsers/Undo.h"
#include "ui/Dialogs.h"
#include "ui/BusyCursor.h"

namespace nq {
namespace {

// The same thing to change, found again: what a repair left in place.
bool SameFinding(const TFinding& a, const TFinding& b) {
  return a.kind == b.kind && a.root == b.root && a.view == b.view && a.where == b.where && a.name == b.name;
}

bool StillThere(const TFinding& finding, const TFindings& now) {
  for (const TFinding& f : now) {
    if (SameFinding(f, finding)) return true;
  }
  return false;
}

std::string Counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void TMainForm::GetBrowsersActExecute() {
  const ui::TBusyCursor busy(BrowsersPage);
  TFindings found = FindBrowserHijacks();
  FindingListView.BeginUpdate();
  Findings = std::move(found);
  FindingListView.Items.clear();
  for (const TFinding& finding : Findings) {
    const TFindingColumns columns = FindingColumns(finding);
    ui::TListItem& row = FindingListView.Items.emplace_back();
    row.Caption = columns.browser;
    row.SubItems = {columns.where, columns.finding};
    row.Checked = finding.ticked;
  }
  if (!FindingListView.Items.empty()) FindingListView.Items.front().Selected = true;
  FindingListView.EndUpdate();
  Run(TCommandId::BrowserListChange);
}

void TMainForm::BrowserListChangeExecute() {
  if (Findings.empty()) {
    FindingDetailLabel.SetCaption("No browser hijack found.");
    return;
  }
  for (std::size_t i = 0; i < FindingListView.Items.size() && i < Findings.size(); ++i) {
    if (FindingListView.Items[i].Selected) {
      FindingDetailLabel.SetCaption(FindingDetail(Findings[i]));
      return;
    }
  }
  FindingDetailLabel.SetCaption("");
}

void TMainForm::RepairBrowsersActExecute() {
  TFindings ticked;
  for (std::size_t i = 0; i < FindingListView.Items.size() && i < Findings.size(); ++i) {
    if (FindingListView.Items[i].Checked) ticked.push_back(Findings[i]);
  }
  if (ticked.empty()) {
    Report("No finding is ticked: tick the rows to repair.");
    return;
  }
  TFindings refused;
  {
    const ui::TBusyCursor busy(BrowsersPage);
    // What the repair changes is saved first; when that cannot be, nothing is changed.
    const TRepairWithUndo run = RepairWithUndo(ticked);
    if (!run.started) {
      ui::Dialogs().MessageBox(run.why, kProductName, ui::kMbOk | ui::kMbIconError);
      return;
    }
    const TOutcome& outcome = run.outcome;
    // Repaired is what the repair did not refuse and what is gone now; what comes back at once
    // (a task that puts it back) counts as refused too.
    Run(TCommandId::GetBrowsersAct);
    for (const TFinding& finding : ticked) {
      if (RefusedIn(finding, outcome.changes) || StillThere(finding, Findings)) refused.push_back(finding);
    }
  }
  Report(BrowserRepairReport(ticked.size() - refused.size(), refused));
}

std::string TMainForm::BrowserRepairReport(std::size_t repaired, const TFindings& refused) {
  std::string text = Counted(repaired, "finding", "findings") + " repaired.";
  if (refused.empty()) return text;
  text += "\n\n" + Counted(refused.size(), "finding was", "findings were") + " refused:";
  constexpr std::size_t kMostShown = 10;  // a message box taller than the screen cannot be closed
  for (std::size_t i = 0; i < refused.size() && i < kMostShown; ++i) {
    const TFindingColumns columns = FindingColumns(refused[i]);
    text += "\n" + columns.browser + ": " + columns.where + ", " + columns.finding;
  }
  if (refused.size() > kMostShown) text += "\n... and " + std::to_string(refused.size() - kMostShown) + " more.";
  return text;
}

}  // namespace nq
