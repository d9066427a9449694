// The program on the machine key of the build's throwaway Wine prefix itself, not redirected: the
// entries are written the way a 32-bit program writes them (KEY_WOW64_32KEY), so Wine's own
// redirection decides where they land. Runs only there, and takes away what it wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/registry.h"
#include "tests/support/Installed.h"
#include "tests/support/KeyPaths.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

#ifdef _WIN32
#include "platform/win32/Win32Registry.h"
#endif

namespace nqtest {
namespace {

using namespace platform;

#ifdef _WIN32

constexpr const char* kExtensions = "Software\\Microsoft\\Internet Explorer\\Extensions";
constexpr const char* kProbeButton = "Software\\Microsoft\\Internet Explorer\\Extensions\\{NorvaneViewProbe}";
constexpr const char* kSearch = "SOFTWARE\\Microsoft\\Internet Explorer\\Search";
constexpr const char* kRedirect = "http://www.microsoft.com/isapi/redir.dll?prd=ie&ar=iesearch";

class MachineViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
    installed_.emplace(win32_);
    form_ = std::make_unique<nq::TMainForm>();
  }
  void TearDown() override {
    if (!installed_) return;  // skipped
    form_.reset();
    for (const Written& w : written_) {
      RegKey key = 0;
      if (win32_.OpenKeyEx(kHkeyLocalMachine, w.path.c_str(), kKeyAllAccess | w.view, &key) == kErrorSuccess) {
        win32_.DeleteValue(key, w.name.c_str());
        win32_.CloseKey(key);
      }
    }
    win32_.DeleteKeyEx(kHkeyLocalMachine, kProbeButton, kKeyWow64_32Key);
    installed_.reset();
  }

  // Writes a text value into the machine key in `view`, and remembers to take it away.
  void Write(const char* path, std::uint32_t view, const std::string& name, const std::string& text) {
    RegKey key = 0;
    ASSERT_EQ(win32_.CreateKeyEx(kHkeyLocalMachine, path, kKeyAllAccess | view, &key), kErrorSuccess) << path;
    ASSERT_EQ(win32_.SetValueEx(key, name.c_str(), kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                static_cast<std::uint32_t>(text.size() + 1)),
              kErrorSuccess);
    win32_.CloseKey(key);
    written_.push_back({path, view, name});
  }
  // The value's text in `view`; "-" when it is not there.
  std::string Read(const char* path, std::uint32_t view, const std::string& name) {
    RegKey key = 0;
    if (win32_.OpenKeyEx(kHkeyLocalMachine, path, kKeyRead | view, &key) != kErrorSuccess) return "-";
    std::vector<std::uint8_t> data(1024);
    std::uint32_t size = static_cast<std::uint32_t>(data.size() - 1);
    const long error = win32_.QueryValueEx(key, name.c_str(), nullptr, data.data(), &size);
    win32_.CloseKey(key);
    return error == kErrorSuccess ? std::string(reinterpret_cast<const char*>(data.data())) : "-";
  }

  void Click(int section, int item) { form_->NavBar.ClickItem(section, item); }
  int IndexOf(const std::string& entry, int nth = 0) {
    const std::vector<std::string>& items = form_->EntryListBox.Items();
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
      if (items[i] == entry && nth-- == 0) return i;
    }
    return -1;
  }
  int Count(const std::string& entry) {
    const std::vector<std::string>& items = form_->EntryListBox.Items();
    return static_cast<int>(std::count(items.begin(), items.end(), entry));
  }
  void Delete() {
    dialogs_.AnswerMessage(ui::kIdOk);
    form_->DeleteEntryButton.Click();
  }

  std::unique_ptr<nq::TMainForm> form_;
  ui::ScriptedDialogs dialogs_;
  nqtest::Installed<ui::IDialogs> installedDialogs_{dialogs_};

 private:
  struct Written {
    std::string path;
    std::uint32_t view;
    std::string name;
  };
  Win32Registry win32_;
  std::optional<nqtest::Installed<IRegistry>> installed_;
  std::vector<Written> written_;
};

// Which of the machine keys the program visits Wine keeps apart for 32-bit programs, and which it
// shares between the views, as Windows does.
TEST_F(MachineViewsTest, WineSharesPoliciesAndKeepsTheOtherKeysApart) {
  struct Case {
    const char* path;
    bool shared;
  };
  const Case cases[] = {
      {kRun + 1, false},
      {kRunOnce + 1, false},
      {"Software\\Microsoft\\Windows\\CurrentVersion\\RunServices", false},
      {"Software\\Microsoft\\Windows\\CurrentVersion\\Winlogon", false},
      {kSearch, false},
      {kExtensions, false},
      {"Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions", true},
      {"Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel", true},
      {"Software\\Policies\\Microsoft\\Internet Explorer\\Infodelivery\\Restrictions", true},
  };
  for (const Case& c : cases) {
    Write(c.path, kKeyWow64_32Key, "NorvaneViewProbe", "32");
    EXPECT_EQ(Read(c.path, kKeyWow64_64Key, "NorvaneViewProbe"), c.shared ? "32" : "-") << c.path;
  }
}

TEST_F(MachineViewsTest, StartupEntryOfThe32BitViewListedAndDeletedInLookupOrder) {
  // The same name in the 32-bit Run key and in the 64-bit Runonce key: Run comes first in lookup
  // order, the 32-bit view right after the 64-bit one.
  Write(kRun + 1, kKeyWow64_32Key, "NorvaneProbe", "probe32.exe");
  Write(kRunOnce + 1, kKeyWow64_64Key, "NorvaneProbe", "probe64.exe");
  Click(nq::TMainForm::secNorvane, 1);
  ASSERT_EQ(Count("NorvaneProbe"), 2);
  form_->EntryListBox.UserSelect(IndexOf("NorvaneProbe", 1));
  EXPECT_EQ(form_->DateValueLabel.Caption(), "probe32.exe");

  Delete();
  EXPECT_EQ(Read(kRun + 1, kKeyWow64_32Key, "NorvaneProbe"), "-");
  EXPECT_EQ(Read(kRunOnce + 1, kKeyWow64_64Key, "NorvaneProbe"), "probe64.exe");
  ASSERT_EQ(Count("NorvaneProbe"), 1);
  form_->EntryListBox.UserSelect(IndexOf("NorvaneProbe"));
  EXPECT_EQ(form_->DateValueLabel.Caption(), "probe64.exe");
}

TEST_F(MachineViewsTest, HijackCleanerTakesScriptsOutOfThe32BitRunKey) {
  Write(kRun + 1, kKeyWow64_32Key, "NorvaneScript", "wscript.exe C:\\ProgramData\\x\\helper.vbs");
  Write(kRun + 1, kKeyWow64_32Key, "NorvaneTool", "C:\\Program Files (x86)\\Tool\\tool.exe");
  form_->Run(nq::TCommandId::CleanIEDelAuto);
  EXPECT_EQ(Read(kRun + 1, kKeyWow64_32Key, "NorvaneScript"), "-");
  EXPECT_EQ(Read(kRun + 1, kKeyWow64_32Key, "NorvaneTool"), "C:\\Program Files (x86)\\Tool\\tool.exe");
}

TEST_F(MachineViewsTest, ToolbarButtonOfThe32BitBrowserListedAndDeleted) {
  Write(kProbeButton, kKeyWow64_32Key, "ButtonText", "Norvane Probe");
  Write(kProbeButton, kKeyWow64_32Key, "Exec", "C:\\Program Files (x86)\\Probe\\probe.exe");
  Click(nq::TMainForm::secNorvane, 3);
  ASSERT_EQ(Count("Norvane Probe"), 1);
  form_->EntryListBox.UserSelect(IndexOf("Norvane Probe"));
  EXPECT_EQ(form_->DateValueLabel.Caption(), "C:\\Program Files (x86)\\Probe\\probe.exe");
  Delete();
  EXPECT_EQ(Count("Norvane Probe"), 0);
  RegKey key = 0;
  EXPECT_EQ(Registry().OpenKeyEx(kHkeyLocalMachine, kProbeButton, kKeyRead | kKeyWow64_32Key, &key),
            kErrorFileNotFound);
}

TEST_F(MachineViewsTest, RepairPutsThe32BitSearchAssistantBack) {
  Write(kSearch, kKeyWow64_32Key, "SearchAssistant", "http://www.best-search-portal.example/a32.htm");
  dialogs_.AnswerMessage(ui::kIdOk);
  form_->RepairButton.Click();
  EXPECT_EQ(Read(kSearch, kKeyWow64_32Key, "SearchAssistant"), kRedirect);
}

#else

TEST(MachineViewsTest, RunsOnlyUnderWine) { GTEST_SKIP() << "the machine's own registry views exist only on Windows"; }

#endif

}  // namespace
}  // namespace nqtest
