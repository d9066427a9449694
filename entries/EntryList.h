// The entry list page's shared frames and the registry lookups of its four kinds. Only the
// sources in entries/ include this.
#pragma once

#include <functional>
#include <string>

#include "app/MainForm.h"
#include "services/Registry.h"

namespace nq {

// Fills the page with one kind of list: empties the list and both detail lines, records `kind` in
// ListKind, lets `fill` append the entries, then selects the top entry and shows its details.
void LoadEntryList(TMainForm& form, TListKind kind, const std::function<void(TStrings& entries)>& fill);

// Deletes what the selected entry names through `erase`, which gets the entry's text and says
// whether anything was deleted. On success the entry leaves the list and the entry now at its place
// (or the one before, at the end) is selected, without showing its details; on failure the list is
// left alone. Nothing happens without a selection, nor for a text the registry cannot be asked
// about (one holding a NUL).
void DeleteSelectedEntry(TMainForm& form, const std::function<bool(const std::string& text)>& erase);

// What the "Date:" line shows for an entry, per kind. Entries carry only their text, so each looks
// the registry up again by it.
std::string StartupCommandLine(const std::string& name);
std::string ContextMenuAddress(const std::string& name);
std::string ToolbarButtonExec(const std::string& buttonText);

}  // namespace nq
