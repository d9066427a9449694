// What redirects every browser at once: the system's proxies, name servers set by hand and
// debuggers on browsers. Each pattern beside the look-alikes that must stay.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browsers/Browsers.h"
#include "services/MainFunc.h"
#include "tests/support/HijackedBrowsers.h"
#include "tests/support/Registry.h"
#include "tests/support/Snapshot.h"

namespace nqtest {
namespace {

using nq::TFinding;
using nq::TFindingKind;
using nq::TFindings;

constexpr const char* kRedirects =
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
    "\"ProxyEnable\"=dword:00000001\n"
    "\"ProxyServer\"=\"evil-proxy.example:8080\"\n"
    "\"AutoConfigURL\"=\"http://pac.example/proxy.pac\"\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections]\n"
    // version 0x46, counter 5, flags direct|proxy|script|detect, no strings
    "\"DefaultConnectionSettings\"=hex:46,00,00,00,05,00,00,00,0f,00,00,00,00,00,00,00\n"
    // A local tool's proxy on this computer, and an intranet's script: shown, not ticked.
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
    "\"ProxyEnable\"=dword:00000001\n"
    "\"ProxyServer\"=\"http=127.0.0.1:8888;https=[::1]:8888\"\n"
    "\"AutoConfigURL\"=\"http://wpad/wpad.dat\"\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections]\n"
    // WinHTTP through proxy.example:3128, with no bypass list
    "\"WinHttpSettings\"=hex:18,00,00,00,00,00,00,00,03,00,00,00,12,00,00,00,70,72,6f,78,79,2e,65,78,\\\n"
    "  61,6d,70,6c,65,3a,33,31,32,38,00,00,00,00\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{11111111-2222-3333-4444-555555555555}]\n"
    "\"NameServer\"=\"203.0.113.53,203.0.113.54\"\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{66666666-2222-3333-4444-555555555555}]\n"
    "\"NameServer\"=\"\"\n"
    "\"DhcpNameServer\"=\"192.168.1.1\"\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\CHROME.exe]\n"
    "\"Debugger\"=\"C:\\\\Users\\\\Public\\\\updater.exe\"\n"
    "\"UseFilter\"=dword:00000000\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\msedge.exe]\n"
    "\"Debugger\"=\"\\\"C:\\\\Program Files\\\\MSEdgeRedirect\\\\MSEdgeRedirect.exe\\\" --ifeo\"\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\notepad.exe]\n"
    "\"Debugger\"=\"C:\\\\Tools\\\\notepad2.exe\"\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\firefox.exe]\n"
    "\"GlobalFlag\"=dword:00000200\n";

TFindings Redirects(const TFindings& findings) {
  TFindings found;
  std::copy_if(findings.begin(), findings.end(), std::back_inserter(found), [](const TFinding& f) {
    return f.kind == TFindingKind::Proxy || f.kind == TFindingKind::DnsServer || f.kind == TFindingKind::BrowserDebugger;
  });
  return found;
}

std::vector<std::string> Rows(const TFindings& findings) {
  std::vector<std::string> rows;
  for (const TFinding& f : findings) {
    const nq::TFindingColumns columns = nq::FindingColumns(f);
    rows.push_back(columns.browser + " | " + columns.where + " | " + columns.finding + (f.ticked ? " [x]" : " [ ]"));
  }
  return rows;
}

class RedirectsTest : public HijackedBrowsersTest {
 protected:
  void SetUp() override {
    HijackedBrowsersTest::SetUp();
    LoadReg(reg_, kRedirects);
  }
};

TEST_F(RedirectsTest, EveryRedirectIsListedWithItsVerdict) {
  const std::string is = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  const std::string ms = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  const std::string ifeo = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
  EXPECT_EQ(Rows(Redirects(nq::FindBrowserHijacks())),
            (std::vector<std::string>{
                "All browsers | " + is + " | ProxyServer = evil-proxy.example:8080 [x]",
                "All browsers | " + is + " | AutoConfigURL = http://pac.example/proxy.pac [x]",
                "All browsers | " + ms + " | ProxyServer = http=127.0.0.1:8888;https=[::1]:8888 [ ]",
                "All browsers | " + ms + " | AutoConfigURL = http://wpad/wpad.dat [ ]",
                "All browsers | " + ms + "\\Connections | WinHttpSettings = proxy.example:3128 [x]",
                "All browsers | HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\"
                "{11111111-2222-3333-4444-555555555555} | NameServer = 203.0.113.53,203.0.113.54 [ ]",
                "Edge | " + ifeo + "\\msedge.exe | Debugger = \"C:\\Program Files\\MSEdgeRedirect\\MSEdgeRedirect.exe\" --ifeo [ ]",
                "Chrome | " + ifeo + "\\CHROME.exe [32-bit] | Debugger = C:\\Users\\Public\\updater.exe [x]",
            }));

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

}  // namespace
}  // namespace nqtest
