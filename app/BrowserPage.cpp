// The browsers page: what a hijacker set in today's browsers, one finding a row with its check box
// (ticked: in the repair), the selected finding whole on the line below, Refresh, Undo and Repair.
#include <string>

#include "app/MainForm.h"
#include "browsers/Browsers.h"
#include "browsers/Undo.h"
#include "ui/Dialogs.h"
#include "ui/BusyCursor.h"

namespace nq {
namespace {

std::string Counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A message box taller than the screen cannot be closed: a list in one shows this many lines.
constexpr std::size_t kMostShown = 10;

// "\n\n<heading>:" and a line for each of the first kMostShown of `items`, then how many more.
template <typename TItems, typename TLine>
std::string Listed(const std::string& heading, const TItems& items, TLine line) {
  std::string text = "\n\n" + heading + ":";
  for (std::size_t i = 0; i < items.size() && i < kMostShown; ++i) text += "\n" + line(items[i]);
  if (items.size() > kMostShown) text += "\n... and " + std::to_string(items.size() - kMostShown) + " more.";
  return text;
}

std::string FindingLine(const TFinding& finding) {
  const TFindingColumns columns = FindingColumns(finding);
  return columns.browser + ": " + columns.where + ", " + columns.finding;
}

std::string RefusedChangeLine(const TChange& change) {
  std::string line = ChangeWhere(change);
  if (change.kind == TChange::TKind::Value) line += ", " + (change.name.empty() ? std::string("(Default)") : change.name);
  return line + ": " + (change.why.empty() ? std::string("the system refused it") : change.why);
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
  UndoBrowsersButton.SetEnabled(!LatestUndoRecord().empty());
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
  TFindings refused, stillPresent;
  {
    const ui::TBusyCursor busy(BrowsersPage);
    // What the repair changes is saved first; when that cannot be, nothing is changed.
    const TRepairWithUndo run = RepairWithUndo(ticked);
    if (!run.started) {
      ui::Dialogs().MessageBox(run.why, kProductName, ui::kMbOk | ui::kMbIconError);
      return;
    }
    // The list is read again: repaired is what the repair did not refuse and what is gone now.
    // What is still there though nothing was refused (a task that puts it back at once) is named.
    Run(TCommandId::GetBrowsersAct);
    const TChanges refusals = Refusals(run.outcome.changes);
    const TFindingSet now(Findings);
    for (const TFinding& finding : ticked) {
      if (RefusedIn(finding, refusals)) {
        refused.push_back(finding);
      } else if (now.Contains(finding)) {
        stillPresent.push_back(finding);
      }
    }
  }
  Report(BrowserRepairReport(ticked.size() - refused.size() - stillPresent.size(), refused, stillPresent));
}

void TMainForm::UndoBrowsersActExecute() {
  // Read again: a console's undo or another repair may have come since the list was.
  const std::string id = LatestUndoRecord();
  if (id.empty()) {
    Report("There is no repair to undo.");
    Run(TCommandId::GetBrowsersAct);
    return;
  }
  std::string made = id;
  for (const TUndoRecord& record : ListUndoRecords()) {
    if (record.id == id) made = record.created;
  }
  if (!Ask("Undo the repair of " + made + "? What it changed is put back.")) return;
  std::string why;
  TChanges refused;
  std::size_t restored = 0;
  {
    const ui::TBusyCursor busy(BrowsersPage);
    const TFindings before = FindBrowserHijacks();
    const TOutcome outcome = UndoRepair(id, false, &why);
    Run(TCommandId::GetBrowsersAct);
    const TFindingSet listed(before);
    for (const TFinding& finding : Findings) restored += listed.Contains(finding) ? 0 : 1;
    for (const TChange& change : outcome.changes) {
      if (change.refused) refused.push_back(change);
    }
  }
  if (!why.empty()) {
    ui::Dialogs().MessageBox(why, kProductName, ui::kMbOk | ui::kMbIconError);
    return;
  }
  Report(BrowserUndoReport(restored, refused));
}

std::string TMainForm::BrowserRepairReport(std::size_t repaired, const TFindings& refused, const TFindings& stillPresent) {
  std::string text = Counted(repaired, "finding", "findings") + " repaired.";
  if (!refused.empty()) text += Listed(Counted(refused.size(), "finding was", "findings were") + " refused", refused, FindingLine);
  if (!stillPresent.empty()) {
    text += Listed(Counted(stillPresent.size(), "finding is", "findings are") + " still present after the repair",
                   stillPresent, FindingLine);
  }
  return text;
}

std::string TMainForm::BrowserUndoReport(std::size_t restored, const TChanges& refused) {
  std::string text = Counted(restored, "finding", "findings") + " restored.";
  if (!refused.empty()) text += Listed(Counted(refused.size(), "change was", "changes were") + " refused", refused, RefusedChangeLine);
  return text;
}

}  // namespace nq
