// What redirects every browser at once: the system's proxies, name servers set by hand and
// debuggers on browsers. Each pattern beside the look-alikes that must stay.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browsers/Browsers.h"
#include "browsers/Undo.h"
#include "services/MainFunc.h"
#include "tests/browsers/RedirectsFixture.h"
#include "tests/support/HijackedBrowsers.h"
#include "tests/support/Registry.h"
#include "tests/support/Snapshot.h"

namespace nqtest {
namespace {

using nq::TFinding;
using nq::TFindingKind;
using nq::TFindings;

class RedirectsTest : public HijackedBrowsersTest {
 protected:
  void SetUp() override {
    HijackedBrowsersTest::SetUp();
    LoadReg(reg_, kRedirects);
  }
};

TEST_F(RedirectsTest, EveryRedirectIsListedWithItsVerdict) {
  EXPECT_EQ(RedirectRows(Redirects(nq::FindBrowserHijacks())), ExpectedRedirectRows());

  // On a managed machine the proxies are the organization's; a debugger is no policy.
  management_.joinStatus = platform::NetSetupJoinStatus::Domain;
  for (const TFinding& f : Redirects(nq::FindBrowserHijacks())) {
    if (f.kind == TFindingKind::Proxy) {
      EXPECT_FALSE(f.ticked) << f.name;
      EXPECT_EQ(f.why.rfind("Set by your organization.", 0), 0u) << f.why;
    }
    if (f.kind == TFindingKind::BrowserDebugger) EXPECT_EQ(f.ticked, f.browser == "Chrome");
  }
}

// Proxy values of the wrong kind, a proxy switched off, blobs cut short: nothing, never a crash.
TEST_F(RedirectsTest, WhatIsNoRedirectIsNoRow) {
  LoadReg(reg_,
          "[-HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
          "[-HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
          "[-HKEY_LOCAL_MACHINE\\SYSTEM]\n"
          "[-HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT]\n"
          "[-HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows NT]\n"
          "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
          "\"ProxyEnable\"=dword:00000000\n\"ProxyServer\"=\"off.example:80\"\n\"AutoConfigURL\"=dword:00000001\n"
          "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
          "\"ProxyEnable\"=\"1\"\n\"ProxyServer\"=hex:01,02\n"
          "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections]\n"
          "\"WinHttpSettings\"=hex:18,00,00,00,00,00,00,00,03,00,00,00,ff,ff,ff,ff,41\n"
          "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\n"
          "\"NameServer\"=\" , \"\n");
  EXPECT_TRUE(Redirects(nq::FindBrowserHijacks()).empty());
}

TEST_F(RedirectsTest, TheRepairSwitchesOffAndRemovesExactlyWhatWasTicked) {
  TFindings ticked;
  for (TFinding& f : Redirects(nq::FindBrowserHijacks())) {
    // The user ticks the name server by hand; the loopback proxy stays unticked.
    if (f.kind == TFindingKind::DnsServer) f.ticked = true;
    if (f.ticked) ticked.push_back(f);
  }
  ASSERT_EQ(ticked.size(), 5u);
  const auto before = SnapRegistry(reg_);
  cache_.ResetCounts();
  const nq::TOutcome dry = nq::RepairFindings(ticked, true);
  EXPECT_TRUE(Diff(before, SnapRegistry(reg_)).empty());
  EXPECT_EQ(cache_.Counts().settingsChanged, 0);

  const nq::TOutcome done = nq::RepairFindings(ticked);
  EXPECT_TRUE(done.done);
  EXPECT_EQ(dry.changes, done.changes);
  EXPECT_EQ(cache_.Counts().settingsChanged, 1) << "once for the user's settings";
  std::vector<std::string> changes;
  for (const Change& change : Diff(before, SnapRegistry(reg_))) changes.push_back(change.Describe());
  std::sort(changes.begin(), changes.end());
  const std::string is = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  EXPECT_EQ(changes,
            (std::vector<std::string>{
                "value changed: " + is + " [ProxyEnable]",
                "value changed: " + is + "\\Connections [DefaultConnectionSettings]",
                "value changed: HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\"
                "{11111111-2222-3333-4444-555555555555} [NameServer]",
                "value changed: HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections "
                "[WinHttpSettings]",
                "value removed: " + is + " [AutoConfigURL]",
                "value removed: HKLM\\Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Image File "
                "Execution Options\\CHROME.exe [Debugger]",
            }));
  nq::TRegistry reg;
  reg.SetRootKey(nq::kHkeyCurrentUser);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", false));
  EXPECT_EQ(reg.DataText("ProxyEnable"), "dword:00000000");
  EXPECT_EQ(reg.DataText("ProxyServer"), "\"evil-proxy.example:8080\"") << "kept for the user to switch on again";
  ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections", false));
  // Counted once, proxy and script cleared, direct and detection kept.
  EXPECT_EQ(reg.DataText("DefaultConnectionSettings"), "hex:46,00,00,00,06,00,00,00,09,00,00,00,00,00,00,00");
  reg.SetRootKey(nq::kHkeyLocalMachine);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections", false));
  EXPECT_EQ(reg.DataText("WinHttpSettings"), "hex:18,00,00,00,00,00,00,00,01,00,00,00,00,00,00,00,00,00,00,00");
  EXPECT_TRUE(Redirects(nq::FindBrowserHijacks()).size() == 3u) << "the loopback proxy, the intranet script, the tool";
}

// Switched off and changed values come back with the undo, as they were; one set again since is
// refused and left.
TEST_F(RedirectsTest, TheUndoPutsBackWhatTheRepairSwitchedOff) {
  nq::TFindings ticked;
  for (TFinding& f : Redirects(nq::FindBrowserHijacks())) {
    if (f.kind == TFindingKind::DnsServer) f.ticked = true;
    if (f.ticked) ticked.push_back(f);
  }
  const auto before = SnapRegistry(reg_);
  const nq::TRepairWithUndo repaired = nq::RepairWithUndo(ticked);
  ASSERT_TRUE(repaired.outcome.done);
  ASSERT_FALSE(Diff(before, SnapRegistry(reg_)).empty());
  // Someone puts a name server back by hand before the undo.
  LoadReg(reg_, "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\"
                "{11111111-2222-3333-4444-555555555555}]\n\"NameServer\"=\"198.51.100.1\"\n");
  const nq::TOutcome undone = nq::UndoRepair(nq::LatestUndoRecord());
  EXPECT_FALSE(undone.done);
  std::vector<std::string> left;
  for (const Change& change : Diff(before, SnapRegistry(reg_))) left.push_back(change.Describe());
  EXPECT_EQ(left, (std::vector<std::string>{"value changed: HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\"
                                            "Interfaces\\{11111111-2222-3333-4444-555555555555} [NameServer]"}));
  EXPECT_EQ(std::count_if(undone.changes.begin(), undone.changes.end(), [](const nq::TChange& c) { return c.refused; }), 1);
}

}  // namespace
}  // namespace nqtest
