// What redirects every browser, on the real registry (redirected into a scratch key) under Wine:
// the planted text imported with regedit lists as on the substitute and the repair leaves the
// values a user would find after the Internet Options dialog; WinHTTP's own call reads the proxy
// the program read from its settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browsers/Browsers.h"
#include "services/MainFunc.h"
#include "tests/browsers/RedirectsFixture.h"
#include "tests/support/Installed.h"
#include "tests/support/RealBrowserCalls.h"
#include "tests/support/ShellFixture.h"

#ifdef _WIN32
#include "platform/sim/SimLinks.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Links.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UrlCache.h"
#include "tests/support/RegistryOverride.h"

#include <windows.h>
#include <winhttp.h>
#endif

namespace nqtest {
namespace {

TEST(RedirectsOnTheRealCalls, ListedAsOnTheSubstituteAndSwitchedOff) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
#ifdef _WIN32
  RealBrowserCalls real;
  RegistryOverride& override = real.override;
  platform::Win32UrlCache cache;
  Installed<platform::IUrlCache> installedCache(cache);

  override.ImportWithRegedit(std::string("REGEDIT4\r\n\r\n") + kRedirects);
  EXPECT_EQ(RedirectRows(Redirects(nq::FindBrowserHijacks())), ExpectedRedirectRows());

  // WinHTTP reads its proxy where the program read it.
  WINHTTP_PROXY_INFO info{};
  ASSERT_TRUE(WinHttpGetDefaultProxyConfiguration(&info)) << GetLastError();
  ASSERT_NE(info.lpszProxy, nullptr);
  EXPECT_EQ(std::wstring(info.lpszProxy), L"proxy.example:3128");
  GlobalFree(info.lpszProxy);
  GlobalFree(info.lpszProxyBypass);

  nq::TFindings ticked;
  for (nq::TFinding& f : Redirects(nq::FindBrowserHijacks())) {
    if (f.kind == nq::TFindingKind::DnsServer) f.ticked = true;
    if (f.ticked) ticked.push_back(f);
  }
  ASSERT_EQ(ticked.size(), 5u);
  EXPECT_TRUE(nq::RepairFindings(ticked).done);

  nq::TRegistry reg;
  reg.SetRootKey(nq::kHkeyCurrentUser);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", false));
  EXPECT_EQ(reg.DataText("ProxyEnable"), "dword:00000000");
  EXPECT_EQ(reg.DataText("AutoConfigURL"), "-");
  ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections", false));
  EXPECT_EQ(reg.DataText("DefaultConnectionSettings"), "hex:46,00,00,00,06,00,00,00,09,00,00,00,00,00,00,00");
  reg.SetRootKey(nq::kHkeyLocalMachine);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", false));
  EXPECT_EQ(reg.DataText("ProxyEnable"), "dword:00000001") << "the unticked loopback proxy stays";
  ASSERT_TRUE(reg.OpenKey(
      "\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{11111111-2222-3333-4444-555555555555}", false));
  EXPECT_EQ(reg.DataText("NameServer"), "\"\"");
  nq::TRegistry wow(nq::TRegView::Key32);
  wow.SetRootKey(nq::kHkeyLocalMachine);
  ASSERT_TRUE(wow.OpenKey("\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\chrome.exe", false))
      << "the value goes, the key stays";
  EXPECT_EQ(wow.DataText("Debugger"), "-");
  EXPECT_EQ(wow.DataText("UseFilter"), "dword:00000000");

  // WinHTTP sends directly now, by its own account too.
  info = {};
  ASSERT_TRUE(WinHttpGetDefaultProxyConfiguration(&info)) << GetLastError();
  EXPECT_EQ(info.dwAccessType, static_cast<DWORD>(WINHTTP_ACCESS_TYPE_NO_PROXY));
  GlobalFree(info.lpszProxy);
  GlobalFree(info.lpszProxyBypass);
  EXPECT_EQ(RedirectRows(Redirects(nq::FindBrowserHijacks())).size(), 3u) << "the loopback proxy, the intranet script, the tool";
#endif
}

}  // namespace
}  // namespace nqtest
