// What redirects every browser, planted beside look-alikes that must stay: the same registry text
// for the substitute and, imported with regedit, for the real registry under Wine.
#pragma once

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "browsers/Browsers.h"

namespace nqtest {

inline constexpr const char* kRedirects =
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

inline nq::TFindings Redirects(const nq::TFindings& findings) {
  nq::TFindings found;
  std::copy_if(findings.begin(), findings.end(), std::back_inserter(found), [](const nq::TFinding& f) {
    return f.kind == nq::TFindingKind::Proxy || f.kind == nq::TFindingKind::DnsServer || f.kind == nq::TFindingKind::BrowserDebugger;
  });
  return found;
}

inline std::vector<std::string> RedirectRows(const nq::TFindings& findings) {
  std::vector<std::string> rows;
  for (const nq::TFinding& f : findings) {
    const nq::TFindingColumns columns = nq::FindingColumns(f);
    rows.push_back(columns.browser + " | " + columns.where + " | " + columns.finding + (f.ticked ? " [x]" : " [ ]"));
  }
  return rows;
}

// The rows the planted text gives, with their ticks.
inline std::vector<std::string> ExpectedRedirectRows() {
  const std::string is = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  const std::string ms = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  const std::string ifeo = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
  return {
      "All browsers | " + is + " | ProxyServer = evil-proxy.example:8080 [x]",
      "All browsers | " + is + " | AutoConfigURL = http://pac.example/proxy.pac [x]",
      "All browsers | " + ms + " | ProxyServer = http=127.0.0.1:8888;https=[::1]:8888 [ ]",
      "All browsers | " + ms + " | AutoConfigURL = http://wpad/wpad.dat [ ]",
      "All browsers | " + ms + "\\Connections | WinHttpSettings = proxy.example:3128 [x]",
      "All browsers | HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\"
      "{11111111-2222-3333-4444-555555555555} | NameServer = 203.0.113.53,203.0.113.54 [ ]",
      "Edge | " + ifeo + "\\msedge.exe | Debugger = \"C:\\Program Files\\MSEdgeRedirect\\MSEdgeRedirect.exe\" --ifeo [ ]",
      "Chrome | " + ifeo + "\\CHROME.exe [32-bit] | Debugger = C:\\Users\\Public\\updater.exe [x]",
  };
}

}  // namespace nqtest
