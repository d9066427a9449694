// What every browser obeys: the system's proxy (WinInet's, which Edge and Chrome follow, and
// WinHTTP's), name servers set by hand, and a debugger that starts something else in a browser's
// place. Each is a registry value, read and changed through the registry store like the policies,
// so the journal, the dry run and the undo record work for them as for every other finding.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/BrowserKeys.h"
#include "browsers/CommandLine.h"
#include "browsers/Kinds.h"
#include "platform/commandline.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "services/MainFunc.h"

namespace nq {
namespace {

constexpr const char* kAllBrowsers = "All browsers";
constexpr const char* kInternetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kConnections = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
constexpr const char* kDefaultConnection = "DefaultConnectionSettings";
constexpr const char* kWinHttpSettings = "WinHttpSettings";

// INTERNET_PER_CONN_FLAGS in a connection's settings blob.
constexpr std::uint32_t kProxyTypeDirect = 0x1;
constexpr std::uint32_t kProxyTypeProxy = 0x2;
constexpr std::uint32_t kProxyTypeAutoProxyUrl = 0x4;

std::uint32_t Dword(const std::vector<std::uint8_t>& data, std::size_t at) {
  return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
         static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}

void PutDword(std::vector<std::uint8_t>& data, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) data[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// An IPv4 address's four numbers; none for anything else.
std::optional<std::vector<int>> Ipv4(std::string_view host) {
  std::vector<int> parts;
  while (true) {
    const std::size_t dot = host.find('.');
    const std::string_view part = host.substr(0, dot);
    if (!AllDigits(part) || part.size() > 3) return std::nullopt;
    parts.push_back(std::stoi(std::string(part)));
    if (parts.back() > 255) return std::nullopt;
    if (dot == std::string_view::npos) break;
    host.remove_prefix(dot + 1);
  }
  if (parts.size() != 4) return std::nullopt;
  return parts;
}

// Whether a host is this computer or on the local network: a loopback or private address, a name
// with no dot (the intranet's), or one of the names kept for local networks.
bool IsLocalHost(std::string_view host) {
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  if (host.empty()) return false;
  if (EqualNoCase(host, "localhost") || host == "::1") return true;
  if (const auto ip = Ipv4(host)) {
    const std::vector<int>& a = *ip;
    return a[0] == 127 || a[0] == 10 || (a[0] == 192 && a[1] == 168) || (a[0] == 172 && a[1] >= 16 && a[1] <= 31) ||
           (a[0] == 169 && a[1] == 254);
  }
  if (host.find(':') != std::string_view::npos) return StartsNoCase(host, "fe80:") || StartsNoCase(host, "fd");
  if (host.find('.') == std::string_view::npos) return true;
  for (const char* local : {".local", ".lan", ".home.arpa", ".internal", ".localhost"}) {
    if (platform::EndsNoCase(host, local)) return true;
  }
  return false;
}

// The host of "host:port", "scheme://host:port/path", "[::1]:8080".
std::string_view HostOf(std::string_view address) {
  if (const std::size_t scheme = address.find("://"); scheme != std::string_view::npos) address.remove_prefix(scheme + 3);
  address = address.substr(0, address.find_first_of("/?#"));
  if (const std::size_t at = address.rfind('@'); at != std::string_view::npos) address.remove_prefix(at + 1);
  if (!address.empty() && address.front() == '[') return address.substr(0, address.find(']') + 1);
  return address.substr(0, address.find(':'));
}

// Whether every proxy a setting names is local: "host:port", or "http=host:port;https=host:port";
// a configuration script read from a file on this computer is local too.
bool ProxyIsLocal(std::string_view setting) {
  if (StartsNoCase(setting, "file:")) return true;
  bool any = false;
  while (!setting.empty()) {
    const std::size_t end = setting.find_first_of("; ");
    std::string_view entry = setting.substr(0, end);
    setting.remove_prefix(end == std::string_view::npos ? setting.size() : end + 1);
    if (entry.empty()) continue;
    if (const std::size_t equals = entry.find('='); equals != std::string_view::npos) entry.remove_prefix(equals + 1);
    if (!IsLocalHost(HostOf(entry))) return false;
    any = true;
  }
  return any;
}

TFinding ProxyFinding(RegKey root, const std::string& where, const std::string& name, const std::string& address,
                      const std::string& why) {
  TFinding finding;
  finding.kind = TFindingKind::Proxy;
  finding.browser = kAllBrowsers;
  finding.root = root;
  finding.where = where;
  finding.name = name;
  finding.data = address;
  finding.why = why;
  finding.ticked = !ProxyIsLocal(address);
  if (!finding.ticked) finding.why += " It is on this computer or the local network: left alone unless you tick it.";
  return finding;
}

// The proxy WinHTTP uses, from the settings blob netsh and WinHttpSetDefaultProxyConfiguration
// write: a version, a counter, the flags, then the proxy's length and text. Empty when it sends
// directly, or when the blob is not one.
std::string WinHttpProxy(const std::vector<std::uint8_t>& blob) {
  if (blob.size() < 16 || (Dword(blob, 8) & kProxyTypeProxy) == 0) return std::string();
  const std::uint32_t length = Dword(blob, 12);
  if (length == 0 || length > blob.size() - 16) return std::string();
  return std::string(blob.begin() + 16, blob.begin() + 16 + length);
}

// Clears `flags` in a connection's settings blob, counting the change as WinInet does; false when
// the blob is not one or has none of them.
bool ClearConnectionFlags(std::vector<std::uint8_t>& blob, std::uint32_t flags) {
  if (blob.size() < 12 || (Dword(blob, 8) & flags) == 0) return false;
  PutDword(blob, 4, Dword(blob, 4) + 1);
  PutDword(blob, 8, (Dword(blob, 8) & ~flags) | kProxyTypeDirect);
  return true;
}

}  // namespace

void FindProxies(TFindings& findings) {
  for (const RegKey root : {kHkeyCurrentUser, kHkeyLocalMachine}) {
    TRegistry reg;
    reg.SetRootKey(root);
    reg.SetReadOnly(true);
    if (!reg.OpenKey(std::string("\\") + kInternetSettings, false)) continue;
    // A proxy server counts while it is switched on; a configuration script whenever it is set.
    const std::string server = reg.ReadText("ProxyServer").value_or(std::string());
    if (reg.DataText("ProxyEnable") == "dword:00000001" && !server.empty()) {
      findings.push_back(ProxyFinding(root, kInternetSettings, "ProxyServer", server,
                                      "Sends every browser's traffic through the proxy " + server + "."));
    }
    const std::string script = reg.ReadText("AutoConfigURL").value_or(std::string());
    if (!script.empty()) {
      findings.push_back(ProxyFinding(root, kInternetSettings, "AutoConfigURL", script,
                                      "Lets the script at " + script + " choose the proxy for every browser."));
    }
  }
  TRegistry reg;
  reg.SetRootKey(kHkeyLocalMachine);
  reg.SetReadOnly(true);
  std::uint32_t type = 0;
  std::vector<std::uint8_t> blob;
  if (reg.OpenKey(std::string("\\") + kConnections, false) && reg.ReadData(kWinHttpSettings, &type, &blob) &&
      type == platform::kRegBinary) {
    const std::string proxy = WinHttpProxy(blob);
    if (!proxy.empty()) {
      findings.push_back(ProxyFinding(kHkeyLocalMachine, kConnections, kWinHttpSettings, proxy,
                                      "Sends the traffic of Windows' own web service (updates, installers) through "
                                      "the proxy " + proxy + "."));
    }
  }
}

void RepairProxy(const TFinding& finding) {
  TRegistry reg;
  reg.SetRootKey(finding.root);
  if (finding.name == kWinHttpSettings) {
    // Back to sending directly, as "netsh winhttp reset proxy" leaves it.
    if (!reg.OpenKey("\\" + finding.where, false)) {
      RecordRefusal(reg, finding.root, "\\" + finding.where, finding.view, [](TRegistry&) {});
      return;
    }
    std::vector<std::uint8_t> direct(20, 0);
    PutDword(direct, 0, 0x18);
    PutDword(direct, 8, kProxyTypeDirect);
    try {
      reg.WriteData(kWinHttpSettings, platform::kRegBinary, direct);
    } catch (const ERegistryException&) {
    }
    return;
  }
  // As the Internet Options dialog does it: the proxy switched off (its address kept for the
  // user to switch on again), the configuration script's address removed.
  const bool script = finding.name == "AutoConfigURL";
  if (script) {
    DeleteNamedValue(finding.root, "\\" + finding.where, "AutoConfigURL", finding.view);
  } else if (reg.OpenKey("\\" + finding.where, false)) {
    try {
      reg.WriteData("ProxyEnable", platform::kRegDword, {0, 0, 0, 0});
    } catch (const ERegistryException&) {
    }
  } else {
    RecordRefusal(reg, finding.root, "\\" + finding.where, finding.view,
                  [](TRegistry& reader) { reader.WriteData("ProxyEnable", platform::kRegDword, {0, 0, 0, 0}); });
  }
}

std::uint32_t ProxyConnectionFlag(const TFinding& finding) {
  if (finding.name == "ProxyServer") return kProxyTypeProxy;
  if (finding.name == "AutoConfigURL") return kProxyTypeAutoProxyUrl;
  return 0;
}

void SwitchOffConnectionProxies(RegKey root, std::uint32_t flags) {
  TRegistry connections;
  connections.SetRootKey(root);
  std::uint32_t type = 0;
  std::vector<std::uint8_t> blob;
  if (connections.OpenKey(std::string("\\") + kConnections, false) &&
      connections.ReadData(kDefaultConnection, &type, &blob) && type == platform::kRegBinary &&
      ClearConnectionFlags(blob, flags)) {
    try {
      connections.WriteData(kDefaultConnection, platform::kRegBinary, blob);
    } catch (const ERegistryException&) {
    }
  }
  platform::UrlCache().SettingsChanged();
}

void FindDnsServers(TFindings& findings) {
  for (const char* service : {"Tcpip", "Tcpip6"}) {
    const std::string parameters = std::string("SYSTEM\\CurrentControlSet\\Services\\") + service + "\\Parameters";
    std::vector<std::string> keys{parameters};
    TStrings interfaces;
    ListSubkeys(kHkeyLocalMachine, "\\" + parameters + "\\Interfaces", interfaces);
    for (const std::string& id : interfaces) keys.push_back(parameters + "\\Interfaces\\" + id);
    for (const std::string& key : keys) {
      TRegistry reg;
      reg.SetRootKey(kHkeyLocalMachine);
      reg.SetReadOnly(true);
      if (!reg.OpenKey("\\" + key, false)) continue;
      const std::string servers = reg.ReadText("NameServer").value_or(std::string());
      if (servers.find_first_not_of(" ,") == std::string::npos) continue;
      TFinding finding;
      finding.kind = TFindingKind::DnsServer;
      finding.browser = kAllBrowsers;
      finding.root = kHkeyLocalMachine;
      finding.where = key;
      finding.name = "NameServer";
      finding.data = servers;
      finding.why = "Every name this computer looks up goes to " + servers +
                    ", set by hand. A VPN or your router may have set it; tick it only if you did not.";
      findings.push_back(std::move(finding));
    }
  }
}

void RepairDnsServer(const TFinding& finding) {
  // An empty value, as the network settings leave it: the interface takes the network's servers.
  WriteStringValue(finding.root, "\\" + finding.where, finding.name, "", finding.view);
}

void FindBrowserDebuggers(TFindings& findings) {
  constexpr const char* kOptions = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
  // Tools that open a browser's links in another browser this way, installed by the user.
  constexpr std::string_view kRedirectTools[] = {"msedgeredirect"};
  for (const TRegView view : kMachineViews) {
    TStrings programs;
    ListSubkeys(kHkeyLocalMachine, std::string("\\") + kOptions, programs, view);
    for (const std::string& program : programs) {
      const std::string browser = BrowserOfProgram(program);
      if (browser.empty() || !platform::EndsNoCase(program, ".exe")) continue;
      const std::string key = std::string(kOptions) + "\\" + program;
      TRegistry reg(view);
      reg.SetRootKey(kHkeyLocalMachine);
      reg.SetReadOnly(true);
      if (!reg.OpenKey("\\" + key, false)) continue;
      const std::optional<std::string> debugger = reg.ReadText("Debugger");
      if (!debugger || debugger->find_first_not_of(' ') == std::string::npos) continue;
      TFinding finding;
      finding.kind = TFindingKind::BrowserDebugger;
      finding.browser = browser;
      finding.root = kHkeyLocalMachine;
      finding.view = view;
      finding.where = key;
      finding.name = "Debugger";
      finding.data = *debugger;
      finding.why = "Starts " + *debugger + " whenever " + browser + " is started, in its place.";
      const std::vector<platform::Argument> words = platform::SplitCommandLine(*debugger);
      std::string stem;
      if (!words.empty()) {
        stem = words[0].text.substr(words[0].text.find_last_of("\\/") + 1);
        if (platform::EndsNoCase(stem, ".exe")) stem.resize(stem.size() - 4);
      }
      const bool tool = std::any_of(std::begin(kRedirectTools), std::end(kRedirectTools),
                                    [&stem](std::string_view known) { return EqualNoCase(stem, known); });
      finding.ticked = !tool;
      if (tool) finding.why += " (a tool you installed to open links in another browser)";
      findings.push_back(std::move(finding));
    }
  }
}

}  // namespace nq
