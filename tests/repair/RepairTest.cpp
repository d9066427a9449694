// "Repair IE" as the user runs it: a click on the page's button, the answer to the report, and the
// whole registry afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/MainForm.h"
#include "platform/RegFile.h"
#include "platform/sim/SimRegistry.h"
#include "repair/Repair.h"
#include "services/MainFunc.h"
#include "tests/support/Installed.h"
#include "tests/support/ChangeSet.h"
#include "tests/support/Registry.h"
#include "tests/support/RegistryBackends.h"
#include "ui/headless/ScriptedDialogs.h"

namespace {

using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using platform::RegKey;

constexpr const char* kRepaired = "Your Internet Explorer Browser is successfully repaired!";

struct StartupKey {
  RegKey root;
  const char* rootName;
  const char* path;
};
const StartupKey kStartupKeys[] = {
    {kHkeyCurrentUser, "HKEY_CURRENT_USER", "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE", "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE", "\\Software\\Microsoft\\Windows\\CurrentVersion\\Runonce"},
    {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE", "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
    // Where the 32-bit view keeps the machine's keys; the fixture has a Run key there.
    {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE", "\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {kHkeyCurrentUser, "HKEY_CURRENT_USER", "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
    {kHkeyCurrentUser, "HKEY_CURRENT_USER", "\\Software\\Microsoft\\Windows\\CurrentVersion\\Runonce"},
};

// A root's whole tree; values by name, so a dump of Wine's registry compares with the substitute's.
std::string Dump(platform::IRegistry& reg, RegKey root, const std::string& path = std::string()) {
  return platform::DumpRegText(reg, root, path, platform::RegValueOrder::kByName);
}

// A registry fixture loaded into a substitute of its own, to compare against.
std::unique_ptr<platform::SimRegistry> Expected(const std::string& fixture) {
  auto reg = std::make_unique<platform::SimRegistry>();
  nqtest::LoadFixture(*reg, fixture);
  return reg;
}

std::unique_ptr<platform::SimRegistry> ExpectedText(const std::string& text) {
  auto reg = std::make_unique<platform::SimRegistry>();
  nqtest::LoadReg(*reg, text);
  return reg;
}

// The main window over each registry back end (the substitute; under Windows and Wine also the
// real registry, redirected into a scratch key), with scripted message boxes.
class RepairTest : public nqtest::RegistryBackendTest {
 protected:
  void SetUp() override {
    RegistryBackendTest::SetUp();
    form_ = std::make_unique<nq::TMainForm>();
  }
  void TearDown() override {
    form_.reset();
    RegistryBackendTest::TearDown();
  }

  // Empties the user's and the machine's keys, between the cases of a table.
  static void Wipe() {
    for (RegKey root : {kHkeyCurrentUser, kHkeyLocalMachine}) {
      nq::TStrings keys;
      nq::ListSubkeys(root, "\\", keys);
      for (const std::string& key : keys) nq::DeleteRegistryKey(root, "\\" + key);
    }
    // The machine keeps the 32-bit view's key, as a 64-bit Windows always has it.
    platform::RegKey wow = 0;
    ASSERT_EQ(platform::Registry().CreateKeyEx(kHkeyLocalMachine, "Software\\Wow6432Node", platform::kKeyAllAccess, &wow),
              platform::kErrorSuccess);
    platform::Registry().CloseKey(wow);
  }

  // Clicks "Repair IE" and checks the one report it ends with.
  void ClickRepair() {
    const std::size_t before = dialogs_.shown.size();
    form_->RepairButton.Click();
    ASSERT_EQ(dialogs_.shown.size(), before + 1);
    const ui::ScriptedDialogs::Shown& box = dialogs_.shown.back();
    EXPECT_EQ(box.text, kRepaired);
    EXPECT_EQ(box.caption, "Norvane And Quillet");
    EXPECT_EQ(box.flags, ui::kMbOk);
  }

  void ExpectRoot(RegKey root, platform::IRegistry& expected) { EXPECT_EQ(Dump(reg(), root), Dump(expected, root)); }

  ui::ScriptedDialogs dialogs_;
  nqtest::Installed<ui::IDialogs> installedDialogs_{dialogs_};
  std::unique_ptr<nq::TMainForm> form_;
};

TEST_P(RepairTest, RepairsHijackedProfile) {
  nqtest::LoadFixture(reg(), "hijacked-profile.reg");
  ASSERT_TRUE(form_->AutoCleanCheckBox.Checked());  // ticked whenever the window opens
  auto repaired = Expected("hijacked-profile-repaired.reg");
  ASSERT_NE(Dump(reg(), kHkeyCurrentUser), Dump(*repaired, kHkeyCurrentUser));
  ASSERT_NE(Dump(reg(), kHkeyLocalMachine), Dump(*repaired, kHkeyLocalMachine));

  ClickRepair();
  ExpectRoot(kHkeyCurrentUser, *repaired);
  ExpectRoot(kHkeyLocalMachine, *repaired);

  // A second run finds nothing more to do.
  ClickRepair();
  ExpectRoot(kHkeyCurrentUser, *repaired);
  ExpectRoot(kHkeyLocalMachine, *repaired);
}

// A dry run changes nothing and foretells exactly what the real run then does, each key and value
// with its data before and after; and that is exactly the difference between the registry before
// and after. The policies key, one for both views, is seen once.
TEST_P(RepairTest, DryRunForetellsTheRepairExactly) {
  nqtest::LoadFixture(reg(), "hijacked-profile.reg");
  const std::string before = Dump(reg(), kHkeyCurrentUser) + Dump(reg(), kHkeyLocalMachine);
  const nq::TChanges planned = nq::RepairBrowserSettings(true, true);
  EXPECT_EQ(Dump(reg(), kHkeyCurrentUser) + Dump(reg(), kHkeyLocalMachine), before);

  const nq::TChanges done = nq::RepairBrowserSettings(true);
  EXPECT_EQ(done, planned);
  std::string mismatch;
  EXPECT_EQ(nqtest::ApplyChanges(nqtest::FactsOfDump(before), done, &mismatch),
            nqtest::FactsOfDump(Dump(reg(), kHkeyCurrentUser) + Dump(reg(), kHkeyLocalMachine)));
  EXPECT_EQ(mismatch, "");
  const auto in32BitView = [](const char* name) {
    return [name](const nq::TChange& c) { return c.view == nq::TRegView::Key32 && c.name == name; };
  };
  EXPECT_TRUE(std::any_of(done.begin(), done.end(), in32BitView("SearchAssistant")));
  EXPECT_TRUE(std::any_of(done.begin(), done.end(), in32BitView("Helper32")));
  EXPECT_TRUE(nq::RepairBrowserSettings(true).empty()) << "a second run finds nothing to do";
}

TEST_P(RepairTest, UntickedBoxLeavesStartupKeys) {
  nqtest::LoadFixture(reg(), "hijacked-profile.reg");
  form_->AutoCleanCheckBox.Click();
  ASSERT_FALSE(form_->AutoCleanCheckBox.Checked());
  auto hijacked = Expected("hijacked-profile.reg");
  auto repaired = Expected("hijacked-profile-repaired.reg");

  ClickRepair();
  std::string dropStartup;
  for (const StartupKey& key : kStartupKeys) {
    EXPECT_EQ(Dump(reg(), key.root, key.path), Dump(*hijacked, key.root, key.path));
    dropStartup += std::string("[-") + key.rootName + key.path + "]\n";
  }
  // Everything else is repaired as with the box ticked.
  nqtest::LoadReg(reg(), dropStartup);
  nqtest::LoadReg(*repaired, dropStartup);
  ExpectRoot(kHkeyCurrentUser, *repaired);
  ExpectRoot(kHkeyLocalMachine, *repaired);
}

// A standard user may read the machine's keys but not change them: every step there is refused,
// the user's own keys are repaired all the same, and the report still follows.
TEST_P(RepairTest, StandardUserRepairsOwnSettingsOnly) {
  nqtest::LoadFixture(reg(), "hijacked-profile.reg");
  if (const std::string why = backend().SetReadOnly(kHkeyLocalMachine); !why.empty()) GTEST_SKIP() << why;
  auto hijacked = Expected("hijacked-profile.reg");
  auto repaired = Expected("hijacked-profile-repaired.reg");

  ClickRepair();
  ExpectRoot(kHkeyCurrentUser, *repaired);
  ExpectRoot(kHkeyLocalMachine, *hijacked);
}

// For a standard user every change the repair would make on the machine is refused, and reported as
// refused: exactly the machine's part of what an administrator's run would change.
TEST_P(RepairTest, StandardUsersRefusedChangesAreTheMachinesPart) {
  nqtest::LoadFixture(reg(), "hijacked-profile.reg");
  nq::TChanges machine;
  for (nq::TChange change : nq::RepairBrowserSettings(true, true)) {
    if (change.root != kHkeyLocalMachine) continue;
    change.refused = true;
    machine.push_back(change);
  }
  ASSERT_FALSE(machine.empty());
  if (const std::string why = backend().SetReadOnly(kHkeyLocalMachine); !why.empty()) GTEST_SKIP() << why;

  nq::TChanges refused, done;
  for (const nq::TChange& change : nq::RepairBrowserSettings(true)) (change.refused ? refused : done).push_back(change);
  EXPECT_EQ(refused, machine);
  EXPECT_TRUE(std::none_of(done.begin(), done.end(), [](const nq::TChange& c) { return c.root == kHkeyLocalMachine; }));
  EXPECT_FALSE(done.empty()) << "the user's own settings are repaired";
}

// Registries on which the repair, cleaner included, has nothing to do: afterwards they hold exactly
// what they held before, and the report is shown all the same.
TEST_P(RepairTest, LeavesAloneWhatIsNotItsBusiness) {
  struct Case {
    const char* name;
    const char* reg;
  };
  const Case cases[] = {
      {"empty registry", ""},
      {"parents without the keys the steps name",
       "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer]\n"
       "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\2]\n"
       "[HKEY_CURRENT_USER\\Software\\Policies\\Microsoft\\Internet Explorer\\Infodelivery]\n"
       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer\\Main]\n"
       "\"Start Page\"=\"http://www.example.com/\"\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\n"},
      {"machine policies of the shell, the registry editor and MS-DOS programs",
       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer]\n"
       "\"NoRun\"=dword:00000001\n\"NOClose\"=dword:00000001\n\"NoLogOff\"=dword:00000001\n"
       "\"NoDrives\"=dword:00000004\n\"NoDesktop\"=dword:00000001\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System]\n"
       "\"DisableRegistryTools\"=dword:00000001\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WinOldApp]\n"
       "\"Disabled\"=dword:00000001\n\"NoRealMode\"=dword:00000001\n"},
      {"the user's own logon notice",
       "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Winlogon]\n"
       "\"LegalNoticeCaption\"=\"Hello\"\n\"LegalNoticeText\"=\"World\"\n"},
      {"restriction keys of the same name elsewhere",
       "[HKEY_CURRENT_USER\\Software\\Policies\\Microsoft\\Internet Explorer\\Toolbars\\Restrictions]\n"
       "\"NoNavBar\"=dword:00000001\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\Restrictions\\Sub]\n"
       "[HKEY_CURRENT_USER\\Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel Backup]\n"
       "\"HomePage\"=dword:00000001\n"},
      {"startup keys with ordinary programs only",
       "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
       "\"ctfmon.exe\"=\"C:\\\\WINDOWS\\\\system32\\\\ctfmon.exe\"\n"
       "\"helper.vbs\"=\"C:\\\\Program Files\\\\Helper\\\\helper.exe\"\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices]\n"
       "\"Flags\"=dword:00000001\n\"Empty\"=\"\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Wipe();
    nqtest::LoadReg(reg(), c.reg);
    auto before = ExpectedText(c.reg);
    ClickRepair();
    ExpectRoot(kHkeyCurrentUser, *before);
    ExpectRoot(kHkeyLocalMachine, *before);
  }
}

// ProtectIE puts the scripting shell object's class entry back into the keys that are there, and
// only there; it says nothing.
TEST_P(RepairTest, ProtectIERestoresScriptShellClassInExistingKeys) {
  const char* clsid = "HKEY_CLASSES_ROOT\\CLSID\\{F935DC22-1CF0-11D0-ADB9-00C04FD58A0B}";
  const std::string key = std::string("[") + clsid;
  nqtest::LoadReg(reg(), key + "]\n@=\"Hijacked\"\n" +
                            key + "\\ProgID]\n@=\"Evil.Shell\"\n" +
                            key + "\\InProcServer32]\n@=\"C:\\\\WINDOWS\\\\system32\\\\wshom.ocx\"\n"
                                  "\"ThreadingModel\"=\"Free\"\n");
  auto expected = ExpectedText(key + "]\n@=\"Windows Script Host Shell Object\"\n" +
                               key + "\\ProgID]\n@=\"WScript.Shell.1\"\n" +
                               key + "\\InProcServer32]\n@=\"C:\\\\WINDOWS\\\\system32\\\\wshom.ocx\"\n"
                                     "\"ThreadingModel\"=\"Apartment\"\n");

  EXPECT_TRUE(form_->Run(nq::TCommandId::ProtectIE));
  ExpectRoot(platform::kHkeyClassesRoot, *expected);
  EXPECT_TRUE(dialogs_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, RepairTest, ::testing::ValuesIn(nqtest::RegistryBackends()), nqtest::BackendName);

}  // namespace
