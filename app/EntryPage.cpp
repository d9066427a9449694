// The entry list page: one list of startup programs, context-menu entries, toolbar buttons or
// typed addresses at a time, the selected entry's details on two lines, Delete and Refresh. The
// handlers gather the list kind and the selected entry and call the entry functions.
#include <functional>

#include "app/MainForm.h"
#include "entries/Entries.h"

namespace nq {
namespace {

// Fills the page with one kind of list: empties the list and both detail lines, records `kind` in
// ListKind, fills the list, then selects the top entry and shows its details.
void LoadEntryList(TMainForm& form, TListKind kind) {
  form.EntryListBox.Clear();
  form.ItemValueLabel.SetCaption("");
  form.DateValueLabel.SetCaption("");
  form.ListKind = kind;
  form.EntryListBox.AddAll(ListEntries(kind));
  form.Run(TCommandId::ListBoxIndex);
  form.Run(TCommandId::AutoRunDate);
}

// Deletes what the selected entry names. On success the entry leaves the list and the entry now at
// its place (or the one before, at the end) is selected, without showing its details; on failure
// the list is left alone. Nothing happens without a selection.
void DeleteSelectedEntry(TMainForm& form, TListKind kind) {
  const int index = form.EntryListBox.ItemIndex();
  if (index < 0) return;
  // A copy: the entry is about to leave the list.
  const std::string text = form.EntryListBox.Items()[index];
  if (!DeleteEntry(kind, text).done) return;
  form.EntryListBox.Delete(index);
  // The entry that moved up into the gap, else the new last one, else none.
  const int count = form.EntryListBox.Count();
  form.EntryListBox.SetItemIndex(index < count ? index : count - 1);
}

}  // namespace

// The kind is the one whose navigation row loads or deletes with the running command.
void TMainForm::LoadEntriesExecute() {
  for (const TNavItem& item : NavItems()) {
    if (item.kind != lkNone && !item.load.empty() && item.load.front() == running_) {
      LoadEntryList(*this, item.kind);
      return;
    }
  }
}

void TMainForm::DeleteEntryExecute() {
  for (const TNavItem& item : NavItems()) {
    if (item.kind != lkNone && item.erase == running_) {
      DeleteSelectedEntry(*this, item.kind);
      return;
    }
  }
}

void TMainForm::CleanUrlActExecute() {
  // No key, nothing to report: the browser has never remembered an address here.
  if (!ClearTypedAddresses().done) return;
  Run(TCommandId::GetUrlAct);
  Report("The IE typed URLS history has been cleaned sucessfully.");
}

// What the "Date:" line shows is chosen by the navigation item selected, not by ListKind.
void TMainForm::AutoRunDateExecute() {
  const int index = EntryListBox.ItemIndex();
  if (index < 0 || index >= EntryListBox.Count()) return;
  const std::string text = EntryListBox.Items()[index];
  // A typed address ("Manage Address") has no data of its own to show. With no list's item
  // selected there is nowhere to look the entry up, and the line must not go on showing the data of
  // the entry selected before. Only the first section's lists are looked up.
  const TNavItem* item = NavItem(secNorvane, NavBar.Selected(secNorvane));
  DateValueLabel.SetCaption(EntryDetail(item != nullptr ? item->kind : lkNone, text));
  ItemValueLabel.SetCaption(text);
}

void TMainForm::ListBoxIndexExecute() {
  if (EntryListBox.Count() > 0) EntryListBox.SetItemIndex(EntryListBox.TopIndex());
}

void TMainForm::IEDeleteExecute() {
  if (EntryListBox.ItemIndex() < 0) return;
  if (!Confirm("Are you sure to delete selected item?")) return;
  if (const TNavItem* item = NavItemOf(static_cast<TListKind>(ListKind)); item != nullptr && item->erase) Run(*item->erase);
  Run(TCommandId::AutoRunDate);
  Run(TCommandId::IERefresh);
}

void TMainForm::IERefreshExecute() {
  if (const TNavItem* item = NavItemOf(static_cast<TListKind>(ListKind)); item != nullptr && !item->load.empty()) {
    Run(item->load.front());
  }
}

// Keys in the list only move the selection, which the list reports as a click.
void TMainForm::EntryListBoxKeyUp(int, unsigned) {}

}  // namespace nq
