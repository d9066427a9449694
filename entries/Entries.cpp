#include "entries/Entries.h"

#include "entries/EntryKinds.h"

namespace nq {
namespace {

constexpr TListKindRow kListKinds[] = {
    {lkStartup, "startup", "startup", &StartupEntries, &StartupCommandLine, &DeleteStartupEntry},
    {lkContextMenu, "context-menu", "context-menu", &ContextMenuEntries, &ContextMenuAddress, &DeleteContextMenuEntry},
    {lkToolbarButton, "toolbar", "toolbar", &ToolbarButtonEntries, &ToolbarButtonExec, &DeleteToolbarButton},
    {lkTypedAddress, "typed-urls", "typed-url", &TypedAddressEntries, nullptr, &DeleteTypedAddress},
};

}  // namespace

std::span<const TListKindRow> ListKinds() { return kListKinds; }

const TListKindRow* ListKindRow(TListKind kind) {
  for (const TListKindRow& row : kListKinds) {
    if (row.kind == kind) return &row;
  }
  return nullptr;
}

TStrings ListEntries(TListKind kind) {
  const TListKindRow* row = ListKindRow(kind);
  return row != nullptr ? row->list() : TStrings();
}

std::string EntryDetail(TListKind kind, const std::string& text) {
  const TListKindRow* row = ListKindRow(kind);
  return row != nullptr && row->detail != nullptr ? row->detail(text) : std::string();
}

TOutcome DeleteEntry(TListKind kind, const std::string& text, bool dryRun) {
  TChangeRecorder recorder(dryRun);
  // A name with a NUL in it (made behind the registry's back to hide an entry) would be cut short
  // on its way to the registry and name another value or key, or the key above: leave it be.
  if (text.find('\0') != std::string::npos) return {};
  const TListKindRow* row = ListKindRow(kind);
  const bool deleted = row != nullptr && row->erase(text);
  return {deleted, recorder.Take()};
}

}  // namespace nq
