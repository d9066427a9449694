// What other programs have added to the browser: its page context-menu entries (the current
// user's) and its toolbar buttons (the machine's).
#include "entries/EntryList.h"
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

// The "Exec" of the first button, in the registry's order, whose "ButtonText" is `buttonText`.
std::string ToolbarButtonExec(const std::string& buttonText) {
  std::string key = kExtensions;
  TStrings subkeys;
  if (ListSubkeys(kHkeyLocalMachine, key, subkeys)) {
    for (const std::string& subkey : subkeys) {
      const std::string path = key + "\\" + subkey;
      if (ReadStringValue(kHkeyLocalMachine, path, "ButtonText") == buttonText) {
        key = path;
        break;
      }
    }
  }
  return ReadStringValue(kHkeyLocalMachine, key, "Exec");
}

void TMainForm::GetMenuActExecute() {
  LoadEntryList(*this, lkContextMenu, [](TStrings& entries) {
    TStrings names;
    if (ListSubkeys(kHkeyCurrentUser, kMenuExt, names)) entries = std::move(names);
  });
}

void TMainForm::DelMenuExtActExecute() {
  DeleteSelectedEntry(*this, [](const std::string& name) {
    // No name would leave the path ending in a backslash, which names "MenuExt" itself: every
    // entry of the menu would go.
    if (name.empty()) return false;
    return DeleteRegistryKey(kHkeyCurrentUser, MenuExtKey(name));
  });
}

void TMainForm::GetExtensionsActExecute() {
  LoadEntryList(*this, lkToolbarButton, [](TStrings& entries) {
    TStrings subkeys;
    if (!ListSubkeys(kHkeyLocalMachine, kExtensions, subkeys)) return;
    for (const std::string& subkey : subkeys) {
      std::string text = ReadStringValue(kHkeyLocalMachine, std::string(kExtensions) + "\\" + subkey, "ButtonText");
      if (!text.empty()) entries.push_back(std::move(text));
    }
  });
}

void TMainForm::DeleteExtensionActExecute() {
  DeleteSelectedEntry(*this, [](const std::string& buttonText) {
    return DeleteExtensionByButtonText(kHkeyLocalMachine, kExtensions, buttonText);
  });
}

}  // namespace nq
