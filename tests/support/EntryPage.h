// The main window on a registry of the test's own (the substitute, and in the Windows build also the
// real one redirected into a scratch key), with its message boxes answered by the test. Tests drive
// the entry list page as a user would: navigation clicks, a selection, Delete, F5. Fixtures name
// their values in alphabetical order, so that Wine, which enumerates values by name, lists them as
// Windows does.
#pragma once

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/RegFile.h"
#include "tests/support/RegistryBackends.h"
#include "ui/headless/ScriptedDialogs.h"

namespace nqtest {

using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::RegKey;
using Strings = std::vector<std::string>;
using Form = nq::TMainForm;

inline constexpr const char* kRunPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunOncePath = "Software\\Microsoft\\Windows\\CurrentVersion\\Runonce";
inline constexpr const char* kRunServicesPath = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
inline constexpr const char* kMenuExtPath = "Software\\Microsoft\\Internet Explorer\\MenuExt";
inline constexpr const char* kExtensionsPath = "Software\\Microsoft\\Internet Explorer\\Extensions";
// Where the 32-bit view keeps the machine's Extensions key.
inline constexpr const char* kExtensions32Path = "Software\\Wow6432Node\\Microsoft\\Internet Explorer\\Extensions";
inline constexpr const char* kTypedUrlsPath = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

// The navigation items of the page's four lists.
struct NavItem {
  int section;
  int item;
};
inline constexpr NavItem kStartUp{Form::secNorvane, 1};
inline constexpr NavItem kContextMenu{Form::secNorvane, 2};
inline constexpr NavItem kToolbarButton{Form::secNorvane, 3};
inline constexpr NavItem kManageAddress{Form::secPrivacy, 1};

class EntryPageTest : public RegistryBackendTest {
 protected:

  // Empties both roots' trees the program looks at, between the cases of a table.
  // The machine keeps its 32-bit view's key, as on a 64-bit Windows.
  void Reset() {
    Load("[-HKEY_CURRENT_USER\\Software]\n[-HKEY_LOCAL_MACHINE\\Software]\n[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node]\n");
  }
  void Click(NavItem nav) { form.NavBar.ClickItem(nav.section, nav.item); }
  // Clicks "Delete" and answers its confirmation, if one comes, with `answer`.
  void Delete(int answer = ui::kIdOk) {
    dialogs.AnswerMessage(answer);
    form.DeleteEntryButton.Click();
  }
  void Select(int index) { form.EntryListBox.UserSelect(index); }
  void PressF5() { form.KeyDown(ui::kVkF5, ui::kShiftNone); }

  const Strings& Items() const { return form.EntryListBox.Items(); }
  int Selected() const { return form.EntryListBox.ItemIndex(); }
  std::string Item() const { return form.ItemValueLabel.Caption(); }
  std::string Date() const { return form.DateValueLabel.Caption(); }

  // What the registry holds under a key, read without asking for write access so that it also
  // works on a read-only root.
  std::string Dump(RegKey root, const std::string& path = std::string()) {
    return platform::DumpRegText(reg(), root, path, platform::RegValueOrder::kByName);
  }
  bool KeyExists(RegKey root, const std::string& path) {
    RegKey key = 0;
    if (reg().OpenKeyEx(root, path.c_str(), platform::kKeyRead, &key) != platform::kErrorSuccess) return false;
    reg().CloseKey(key);
    return true;
  }
  Strings ValueNames(RegKey root, const std::string& path) {
    Strings names;
    RegKey key = 0;
    if (reg().OpenKeyEx(root, path.c_str(), platform::kKeyRead, &key) != platform::kErrorSuccess) return names;
    char name[256];
    std::uint32_t length = sizeof name;
    for (std::uint32_t i = 0; reg().EnumValue(key, i, name, &length) == platform::kErrorSuccess; ++i) {
      names.emplace_back(name, length);
      length = sizeof name;
    }
    reg().CloseKey(key);
    return names;
  }

  ui::ScriptedDialogs dialogs;
  Installed<ui::IDialogs> installedDialogs_{dialogs};
  Form form;
};

}  // namespace nqtest
