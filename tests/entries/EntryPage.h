// The main window on the in-memory registry, with its message boxes answered by the test. Tests
// drive the entry list page as a user would: navigation clicks, a selection, Delete, F5.
#pragma once

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/RegFile.h"
#include "tests/support/Registry.h"
#include "tests/support/Sim.h"
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

class EntryPageTest : public SimRegistryTest {
 protected:
  void SetUp() override {
    SimRegistryTest::SetUp();
    previousDialogs_ = ui::SetDialogs(&dialogs);
  }
  void TearDown() override {
    ui::SetDialogs(previousDialogs_);
    SimRegistryTest::TearDown();
  }

  void Load(const std::string& regText) { LoadReg(reg_, regText); }
  void Click(NavItem nav) { form.fcBar.ClickItem(nav.section, nav.item); }
  // Clicks "Delete" and answers its confirmation, if one comes, with `answer`.
  void Delete(int answer = ui::kIdOk) {
    dialogs.AnswerMessage(answer);
    form.FlatSpeedButton1.Click();
  }
  void Select(int index) { form.Listbox.UserSelect(index); }
  void PressF5() { form.KeyDown(ui::kVkF5, ui::kShiftNone); }

  const Strings& Items() const { return form.Listbox.Items(); }
  int Selected() const { return form.Listbox.ItemIndex(); }
  std::string Item() const { return form.lblValue.Caption(); }
  std::string Date() const { return form.lblDate.Caption(); }

  // What the registry holds under a key, read without asking for write access so that it also
  // works on a read-only root.
  std::string Dump(RegKey root, const std::string& path = std::string()) {
    return platform::DumpRegText(reg_, root, path, platform::RegValueOrder::kByName);
  }
  bool KeyExists(RegKey root, const std::string& path) {
    RegKey key = 0;
    if (reg_.OpenKeyEx(root, path.c_str(), platform::kKeyRead, &key) != platform::kErrorSuccess) return false;
    reg_.CloseKey(key);
    return true;
  }
  Strings ValueNames(RegKey root, const std::string& path) {
    Strings names;
    RegKey key = 0;
    if (reg_.OpenKeyEx(root, path.c_str(), platform::kKeyRead, &key) != platform::kErrorSuccess) return names;
    char name[256];
    std::uint32_t length = sizeof name;
    for (std::uint32_t i = 0; reg_.EnumValue(key, i, name, &length) == platform::kErrorSuccess; ++i) {
      names.emplace_back(name, length);
      length = sizeof name;
    }
    reg_.CloseKey(key);
    return names;
  }

  ui::ScriptedDialogs dialogs;
  Form form;

 private:
  ui::IDialogs* previousDialogs_ = nullptr;
};

}  // namespace nqtest
