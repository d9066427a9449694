// The four lists of entries other programs leave behind, as functions of their own: the window's
// entry list page and the console both call them. Startup programs (the machine's in both registry
// views), the browser's context-menu entries, its toolbar buttons and the addresses typed into it.
#pragma once

#include <span>
#include <string>

#include "services/Changes.h"

namespace nq {

// Which list the entry list page holds.
enum TListKind : int { lkNone = 0, lkStartup = 1, lkContextMenu = 2, lkTypedAddress = 3, lkToolbarButton = 4 };

// One kind of list, all that the window and the console need of it: adding a list is one row of
// ListKinds() (entries/Entries.cpp).
struct TListKindRow {
  TListKind kind;
  const char* listWord;  // the console's name for the list: "typed-urls"
  const char* oneWord;   // the console's name for one of its entries, and its kind column: "typed-url"
  TStrings (*list)();
  std::string (*detail)(const std::string& text);  // what the "Date:" line shows; null for nothing
  bool (*erase)(const std::string& text);
};

// Every kind of list, in the order the console lists them.
std::span<const TListKindRow> ListKinds();
// The row of `kind`; null for lkNone.
const TListKindRow* ListKindRow(TListKind kind);

// The entries of one list, in the order the page shows them. lkNone has none.
TStrings ListEntries(TListKind kind);

// What the "Date:" line shows for an entry: a startup entry's command line, the address a
// context-menu entry runs, a toolbar button's "Exec"; nothing for a typed address. Entries carry
// only their text, so each is looked up again by it.
std::string EntryDetail(TListKind kind, const std::string& text);

// Deletes what an entry names: `done` when something was deleted. A startup name goes from the
// first key in lookup order that holds it; every toolbar button of that text goes; a typed
// address goes by its data. A text the registry cannot be asked about (one holding a NUL, or an
// empty context-menu name, which would name the whole MenuExt key) deletes nothing.
TOutcome DeleteEntry(TListKind kind, const std::string& text, bool dryRun = false);

// Deletes every typed address; `done` when the browser's key for them was there.
TOutcome ClearTypedAddresses(bool dryRun = false);

}  // namespace nq
