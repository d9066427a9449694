#include "entries/Entries.h"

#include "entries/EntryKinds.h"

namespace nq {

TStrings ListEntries(TListKind kind) {
  switch (kind) {
    case lkStartup: return StartupEntries();
    case lkContextMenu: return ContextMenuEntries();
    case lkTypedAddress: return TypedAddressEntries();
    case lkToolbarButton: return ToolbarButtonEntries();
    default: return TStrings();
  }
}

std::string EntryDetail(TListKind kind, const std::string& text) {
  switch (kind) {
    case lkStartup: return StartupCommandLine(text);
    case lkContextMenu: return ContextMenuAddress(text);
    case lkToolbarButton: return ToolbarButtonExec(text);
    default: return std::string();
  }
}

TOutcome DeleteEntry(TListKind kind, const std::string& text, bool dryRun) {
  TChangeRecorder recorder(dryRun);
  // A name with a NUL in it (made behind the registry's back to hide an entry) would be cut short
  // on its way to the registry and name another value or key, or the key above: leave it be.
  if (text.find('\0') != std::string::npos) return {};
  bool deleted = false;
  switch (kind) {
    case lkStartup: deleted = DeleteStartupEntry(text); break;
    case lkContextMenu: deleted = DeleteContextMenuEntry(text); break;
    case lkTypedAddress: deleted = DeleteTypedAddress(text); break;
    case lkToolbarButton: deleted = DeleteToolbarButton(text); break;
    default: break;
  }
  return {deleted, recorder.Take()};
}

}  // namespace nq
