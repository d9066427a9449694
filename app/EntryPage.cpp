// The entry list page: one list of startup programs, context-menu entries, toolbar buttons or
// typed addresses at a time, the selected entry's details on two lines, Delete and Refresh. The
// handlers gather the list kind and the selected entry and call the entry functions.
#include <functional>

#include "app/MainForm.h"
#include "entries/Entries.h"

namespace nq {
namespace {

// The load and delete commands of each kind of list.
struct TKindCommands {
  TListKind kind;
  TCommandId load;
  TCommandId erase;
};

constexpr TKindCommands kKindCommands[] = {
    {lkStartup, TCommandId::AutoRunAct, TCommandId::AutoRunDelete},
    {lkContextMenu, TCommandId::GetMenuAct, TCommandId::DelMenuExtAct},
    {lkTypedAddress, TCommandId::GetUrlAct, TCommandId::DelUrlAct},
    {lkToolbarButton, TCommandId::GetExtensionsAct, TCommandId::DeleteExtensionAct},
};

const TKindCommands* CommandsOf(int kind) {
  for (const TKindCommands& k : kKindCommands) {
    if (k.kind == kind) return &k;
  }
  return nullptr;
}

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

void TMainForm::AutoRunActExecute() { LoadEntryList(*this, lkStartup); }
void TMainForm::AutoRunDeleteExecute() { DeleteSelectedEntry(*this, lkStartup); }
void TMainForm::GetMenuActExecute() { LoadEntryList(*this, lkContextMenu); }
void TMainForm::DelMenuExtActExecute() { DeleteSelectedEntry(*this, lkContextMenu); }
void TMainForm::GetExtensionsActExecute() { LoadEntryList(*this, lkToolbarButton); }
void TMainForm::DeleteExtensionActExecute() { DeleteSelectedEntry(*this, lkToolbarButton); }
void TMainForm::GetUrlActExecute() { LoadEntryList(*this, lkTypedAddress); }
void TMainForm::DelUrlActExecute() { DeleteSelectedEntry(*this, lkTypedAddress); }

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
  // the entry selected before.
  static constexpr TListKind kShownFor[] = {lkNone, lkStartup, lkContextMenu, lkToolbarButton};
  const int item = NavBar.Selected(secNorvane);
  DateValueLabel.SetCaption(EntryDetail(item >= 0 && item < 4 ? kShownFor[item] : lkNone, text));
  ItemValueLabel.SetCaption(text);
}

void TMainForm::ListBoxIndexExecute() {
  if (EntryListBox.Count() > 0) EntryListBox.SetItemIndex(EntryListBox.TopIndex());
}

void TMainForm::IEDeleteExecute() {
  if (EntryListBox.ItemIndex() < 0) return;
  if (!Confirm("Are you sure to delete selected item?")) return;
  if (const TKindCommands* kind = CommandsOf(ListKind)) Run(kind->erase);
  Run(TCommandId::AutoRunDate);
  Run(TCommandId::IERefresh);
}

void TMainForm::IERefreshExecute() {
  if (const TKindCommands* kind = CommandsOf(ListKind)) Run(kind->load);
}

// Keys in the list only move the selection, which the list reports as a click.
void TMainForm::EntryListBoxKeyUp(int, unsigned) {}

}  // namespace nq
