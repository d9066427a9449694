// What other programs have added to the browser: its page context-menu entries (the current
// user's) and its toolbar buttons (the machine's, in both registry views).
#include "entries/EntryKinds.h"
#include "services/MainFunc.h"

namespace nq {
namespace {

constexpr const char* kMenuExt = "\\Software\\Microsoft\\Internet Explorer\\MenuExt";
constexpr const char* kExtensions = "\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

std::string MenuExtKey(const std::string& name) { return std::string(kMenuExt) + "\\" + name; }

}  // namespace

std::string ContextMenuAddress(const std::string& name) {
  return ReadStringValue(kHkeyCurrentUser, MenuExtKey(name), "");
}

// The "Exec" of the first button, in the registry's order and the 64-bit view first, whose
// "ButtonText" is `buttonText`.
std::string ToolbarButtonExec(const std::string& buttonText) {
  for (const TRegView view : kMachineViews) {
    TStrings subkeys;
    if (!ListSubkeys(kHkeyLocalMachine, kExtensions, subkeys, view)) continue;
    for (const std::string& subkey : subkeys) {
      const std::string path = std::string(kExtensions) + "\\" + subkey;
      if (ReadStringValue(kHkeyLocalMachine, path, "ButtonText", false, view) == buttonText) {
        return ReadStringValue(kHkeyLocalMachine, path, "Exec", false, view);
      }
    }
  }
  // No button of that text: the "Extensions" key's own "Exec", normally nothing.
  return ReadStringValue(kHkeyLocalMachine, kExtensions, "Exec", false, TRegView::Key64);
}

TStrings ContextMenuEntries() {
  TStrings names;
  ListSubkeys(kHkeyCurrentUser, kMenuExt, names);
  return names;
}

bool DeleteContextMenuEntry(const std::string& name) {
  // No name would leave the path ending in a backslash, which names "MenuExt" itself: every
  // entry of the menu would go.
  if (name.empty()) return false;
  return DeleteRegistryKey(kHkeyCurrentUser, MenuExtKey(name));
}

TStrings ToolbarButtonEntries() {
  TStrings entries;
  // The 64-bit browser's buttons, then the 32-bit browser's.
  for (const TRegView view : kMachineViews) {
    TStrings subkeys;
    if (!ListSubkeys(kHkeyLocalMachine, kExtensions, subkeys, view)) continue;
    for (const std::string& subkey : subkeys) {
      std::string text =
          ReadStringValue(kHkeyLocalMachine, std::string(kExtensions) + "\\" + subkey, "ButtonText", false, view);
      if (!text.empty()) entries.push_back(std::move(text));
    }
  }
  return entries;
}

bool DeleteToolbarButton(const std::string& buttonText) {
  // Every button of that text goes, in both views.
  bool deleted = false;
  for (const TRegView view : kMachineViews) {
    if (DeleteExtensionByButtonText(kHkeyLocalMachine, kExtensions, buttonText, view)) deleted = true;
  }
  return deleted;
}

}  // namespace nq
