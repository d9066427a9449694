// The entry list page: one list of startup programs, context-menu entries, toolbar buttons or
// typed addresses at a time, the selected entry's details on two lines, Delete and Refresh.
#include "entries/EntryList.h"

namespace nq {
namespace {

// The load and delete commands of each kind of list.
struct TKindCommands {
  TListKind kind;
  const char* load;
  const char* erase;
};

constexpr TKindCommands kKindCommands[] = {
    {lkStartup, "AutoRunAct", "AutoRunDelete"},
    {lkContextMenu, "GetMenuAct", "DelMenuExtAct"},
    {lkTypedAddress, "GetUrlAct", "DelUrlAct"},
    {lkToolbarButton, "GetExtensionsAct", "DeleteExtensionAct"},
};

const TKindCommands* CommandsOf(int kind) {
  for (const TKindCommands& k : kKindCommands) {
    if (k.kind == kind) return &k;
  }
  return nullptr;
}

}  // namespace

void LoadEntryList(TMainForm& form, TListKind kind, const std::function<void(TStrings&)>& fill) {
  form.Listbox.Clear();
  form.lblValue.SetCaption("");
  form.lblDate.SetCaption("");
  form.ListKind = kind;
  TStrings entries;
  fill(entries);
  form.Listbox.AddAll(entries);
  form.Run("ListBoxIndex");
  form.Run("AutoRunDate");
}

void DeleteSelectedEntry(TMainForm& form, const std::function<bool(const std::string&)>& erase) {
  const int index = form.Listbox.ItemIndex();
  if (index < 0) return;
  // A copy: the entry is about to leave the list.
  const std::string text = form.Listbox.Items()[index];
  // A name with a NUL in it (made behind the registry's back to hide an entry) would be cut short
  // on its way to the registry and name another value or key, or the key above: leave it be.
  if (text.find('\0') != std::string::npos || !erase(text)) return;
  form.Listbox.Delete(index);
  // The entry that moved up into the gap, else the new last one, else none.
  const int count = form.Listbox.Count();
  form.Listbox.SetItemIndex(index < count ? index : count - 1);
}

// What the "Date:" line shows is chosen by the navigation item selected, not by ListKind.
void TMainForm::AutoRunDateExecute() {
  const int index = Listbox.ItemIndex();
  if (index < 0 || index >= Listbox.Count()) return;
  const std::string text = Listbox.Items()[index];
  switch (fcBar.Selected(secNorvane)) {
    case 1:
      lblDate.SetCaption(StartupCommandLine(text));
      break;
    case 2:
      lblDate.SetCaption(ContextMenuAddress(text));
      break;
    case 3:
      lblDate.SetCaption(ToolbarButtonExec(text));
      break;
    default:
      // A typed address ("Manage Address") has no data of its own to show. With no list's item
      // selected there is nowhere to look the entry up, and the line must not go on showing the
      // data of the entry selected before.
      lblDate.SetCaption("");
      break;
  }
  lblValue.SetCaption(text);
}

void TMainForm::ListBoxIndexExecute() {
  if (Listbox.Count() > 0) Listbox.SetItemIndex(Listbox.TopIndex());
}

void TMainForm::IEDeleteExecute() {
  if (Listbox.ItemIndex() < 0) return;
  if (!Confirm("Are you sure to delete selected item?")) return;
  if (const TKindCommands* kind = CommandsOf(ListKind)) Run(kind->erase);
  Run("AutoRunDate");
  Run("IERefresh");
}

void TMainForm::IERefreshExecute() {
  if (const TKindCommands* kind = CommandsOf(ListKind)) Run(kind->load);
}

// Keys in the list only move the selection, which the list reports as a click.
void TMainForm::ListboxKeyUp(int, unsigned) {}

}  // namespace nq
