#include "browsers/Extensions.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "browsers/ExtensionText.h"
#include "browsers/PolicyText.h"
#include "platform/files.h"
#include "platform/management.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "services/FileSearch.h"
#include "services/Registry.h"

namespace nq {
namespace {

using platform::EqualNoCase;
using platform::StartsNoCase;

constexpr const char* kShellFolders = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kProfileList = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr const char* kWindowsNt = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

struct TChromiumBrowser {
  const char* browser;
  const char* userData;  // under the local application data folder
};
constexpr TChromiumBrowser kChromiumBrowsers[] = {
    {"Edge", "Microsoft\\Edge\\User Data"},
    {"Chrome", "Google\\Chrome\\User Data"},
    {"Brave", "BraveSoftware\\Brave-Browser\\User Data"},
};

// A text value, read only: a standard user may not change the machine's keys, and nothing here
// changes any. Empty when the key or the value is not there or holds no text.
std::string ReadText(platform::RegKey root, TRegView view, const std::string& key, const char* name) {
  TRegistry reg(view);
  reg.SetRootKey(root);
  reg.SetReadOnly(true);
  if (!reg.OpenKey(key, false)) return {};
  return reg.ReadText(name).value_or(std::string());
}

bool IsDrivePath(const std::string& path) {
  return path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
         path[1] == ':' && path[2] == '\\' && !platform::HasWildcard(path);
}

// True when each name of `path` after its first `skip` characters is a plain folder name.
bool PlainNamesFrom(const std::string& path, std::size_t skip) {
  std::size_t at = skip;
  while (at < path.size()) {
    std::size_t next = path.find('\\', at);
    if (next == std::string::npos) next = path.size();
    // A trailing backslash ends the path; any other empty name is not a folder's.
    if (!(next == path.size() && next == at && at > skip) && !IsPlainFolderName(std::string_view(path).substr(at, next - at))) {
      return false;
    }
    at = next + 1;
  }
  return true;
}

enum class TRead { Read, Missing, Refused };

// The whole file: read, not there, or there but not readable within `maxBytes`.
TRead ReadFile(const std::string& path, std::size_t maxBytes, std::string* text) {
  if (platform::Files().ReadWholeFile(path, maxBytes, text)) return TRead::Read;
  return platform::FileSystem().FileExists(path) ? TRead::Refused : TRead::Missing;
}

// ---- Chromium

// "Default" and "Profile 3": the folders Chromium makes for profiles.
bool IsProfileFolderName(const std::string& name) {
  if (EqualNoCase(name, "Default")) return true;
  constexpr std::string_view kProfile = "Profile ";
  return name.size() > kProfile.size() && StartsNoCase(name, kProfile) &&
         std::all_of(name.begin() + kProfile.size(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The order the browsers list profiles in: Default, then Profile 1, 2, ... by number, then others.
bool ProfileBefore(const TLocalStateProfile& a, const TLocalStateProfile& b) {
  const auto rank = [](const std::string& folder) -> std::pair<int, std::size_t> {
    if (EqualNoCase(folder, "Default")) return {0, 0};
    if (IsProfileFolderName(folder)) return {1, folder.size()};
    return {2, 0};
  };
  const auto ra = rank(a.folder), rb = rank(b.folder);
  if (ra != rb) return ra < rb;
  return platform::LessNoCase(a.folder, b.folder);
}

// The profiles Local State names, and the Default and Profile N folders it does not; only plain
// folder names, so never a folder outside User Data.
std::vector<TLocalStateProfile> ChromiumProfileFolders(const std::string& userData) {
  std::vector<TLocalStateProfile> profiles;
  std::string text;
  if (ReadFile(userData + "\\Local State", kMaxProfileTextBytes, &text) == TRead::Read) {
    profiles = ParseLocalState(text).profiles;
  }
  platform::FindData entry;
  TFileSearch search(platform::FileSystem(), userData + "\\*", &entry);
  if (search.Found()) {
    do {
      if ((entry.attributes & platform::kFileAttributeDirectory) == 0 || !IsProfileFolderName(entry.name)) continue;
      if (std::none_of(profiles.begin(), profiles.end(), [&](const TLocalStateProfile& p) { return EqualNoCase(p.folder, entry.name); })) {
        profiles.push_back({entry.name, std::string()});
      }
    } while (search.Next(&entry));
  }
  std::stable_sort(profiles.begin(), profiles.end(), ProfileBefore);
  return profiles;
}

// One text of a profile, parsed; `problem` gets a sentence when it is there but not readable.
TChromiumPrefs ReadPrefs(const std::string& folder, const char* file, TRead* read, std::string* problem) {
  std::string text;
  *read = ReadFile(folder + "\\" + file, kMaxProfileTextBytes, &text);
  if (*read == TRead::Missing) return {};
  if (*read == TRead::Refused) {
    problem->append(problem->empty() ? "" : " ").append(file).append(" cannot be read, or is too large.");
    return {};
  }
  TChromiumPrefs prefs = ParseChromiumPrefs(text);
  if (!prefs.readable) problem->append(problem->empty() ? "" : " ").append(file).append(" is ").append(prefs.problem).append(".");
  return prefs;
}

// The folder of an extension's files: the preferences' path under the profile's Extensions
// folder, or a drive's full path as given. Empty, with why, for anything else: a name that climbs
// out (".."), a network path, a name with a wildcard.
std::string ExtensionFolder(const std::string& profileFolder, std::string path, std::string* problem) {
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.size() >= 2 && path[1] == ':') {
    if (IsDrivePath(path) && PlainNamesFrom(path, 3)) return path;
  } else if (path.rfind("\\\\", 0) == 0) {
    *problem = "Its folder is on another computer (" + path + "): not read.";
    return {};
  } else if (!path.empty() && path.front() != '\\' && PlainNamesFrom(path, 0)) {
    return profileFolder + "\\Extensions\\" + path;
  }
  *problem = "Its folder (" + path + ") is not one of this computer's folders: not read.";
  return {};
}

// The manifest on disk, or the copy the preferences keep when the file is missing or unreadable;
// its texts in the extension's default language.
TManifest ReadManifest(const std::string& folder, const std::optional<TManifest>& kept, std::string* problem) {
  TManifest manifest;
  if (!folder.empty()) {
    std::string text;
    switch (ReadFile(folder + "\\manifest.json", kMaxManifestBytes, &text)) {
      case TRead::Read:
        manifest = ParseManifest(text);
        if (!manifest.readable) *problem = "Its manifest.json is " + manifest.problem + ".";
        break;
      case TRead::Missing: *problem = "Its manifest.json is missing."; break;
      case TRead::Refused: *problem = "Its manifest.json cannot be read, or is too large."; break;
    }
  }
  if (!manifest.readable && kept) manifest = *kept;
  if (manifest.readable && manifest.NeedsMessages() && !folder.empty() && IsPlainFolderName(manifest.defaultLocale)) {
    std::string messages;
    if (ReadFile(folder + "\\_locales\\" + manifest.defaultLocale + "\\messages.json", kMaxManifestBytes, &messages) == TRead::Read) {
      LocalizeManifest(manifest, messages);
    }
  }
  return manifest;
}

// An extension's entry as Chromium sees it: Secure Preferences holds extensions.settings where the
// browser protects it (Windows), so a field it holds wins; Preferences gives the others.
struct TMergedPref {
  TExtensionPref pref;
  bool inPreferences = false;
  bool inSecurePreferences = false;
};

template <typename T>
void Overlay(std::optional<T>& field, std::optional<T>& over) {
  if (over) field = std::move(over);
}

void ReadChromiumProfile(const char* browser, const std::string& userData, const TLocalStateProfile& entry,
                         TExtensionInventory& inventory) {
  TBrowserProfile profile;
  profile.browser = browser;
  profile.userData = userData;
  profile.folder = userData + "\\" + entry.folder;
  profile.name = entry.name;
  TRead prefsRead, secureRead;
  TChromiumPrefs prefs = ReadPrefs(profile.folder, "Preferences", &prefsRead, &profile.problem);
  TChromiumPrefs secure = ReadPrefs(profile.folder, "Secure Preferences", &secureRead, &profile.problem);
  // A profile Local State still names but whose folder went holds nothing to list.
  if (prefsRead == TRead::Missing && secureRead == TRead::Missing) return;

  profile.developerMode = prefs.developerMode.value_or(secure.developerMode.value_or(false));
  const std::optional<bool> consented = prefs.syncConsented ? prefs.syncConsented : secure.syncConsented;
  const std::optional<bool> setUp = prefs.syncSetUp ? prefs.syncSetUp : secure.syncSetUp;
  // Where Chromium keeps the consent it says it; older versions kept only whether sync was ever set up.
  profile.syncOn = consented ? *consented : setUp.value_or(false);
  profile.syncAccount = !prefs.account.empty() ? prefs.account : secure.account;

  std::map<std::string, TMergedPref> merged;
  for (TExtensionPref& pref : prefs.extensions) {
    TMergedPref& m = merged[pref.id];
    m.pref = std::move(pref);
    m.inPreferences = true;
  }
  for (TExtensionPref& over : secure.extensions) {
    TMergedPref& m = merged[over.id];
    m.inSecurePreferences = true;
    TExtensionPref& pref = m.pref;
    pref.id = over.id;
    Overlay(pref.location, over.location);
    Overlay(pref.fromWebstore, over.fromWebstore);
    Overlay(pref.installTime, over.installTime);
    Overlay(pref.state, over.state);
    Overlay(pref.disableReasons, over.disableReasons);
    Overlay(pref.path, over.path);
    Overlay(pref.manifest, over.manifest);
  }

  for (auto& [id, m] : merged) {
    const TExtensionPref& pref = m.pref;
    // Chromium loads no entry without a location: what is left of an uninstalled extension (its
    // site permissions, its toolbar place) is not an extension.
    if (!pref.location) continue;
    TExtension extension;
    extension.browser = browser;
    extension.profileFolder = profile.folder;
    extension.profileName = profile.name;
    extension.id = id;
    extension.rawLocation = *pref.location;
    extension.location = ChromiumLocation(*pref.location);
    extension.fromWebstore = pref.fromWebstore.value_or(false);
    extension.installTime = pref.installTime.value_or(std::string());
    extension.disableReasons = pref.disableReasons.value_or(0);
    // Before disable_reasons alone decided it, state 0 was disabled and 2 an external extension
    // the user uninstalled.
    const bool disabledState = pref.state && (*pref.state == 0 || *pref.state == 2);
    extension.enabled = !disabledState && extension.disableReasons == 0;
    extension.inPreferences = m.inPreferences;
    extension.inSecurePreferences = m.inSecurePreferences;
    if (pref.path) {
      extension.path = ExtensionFolder(profile.folder, *pref.path, &extension.problem);
    } else if (!pref.manifest) {
      extension.problem = "The preferences name no folder and keep no manifest.";
    }
    std::string manifestProblem;
    TManifest manifest = ReadManifest(extension.path, pref.manifest, &manifestProblem);
    if (extension.problem.empty()) extension.problem = std::move(manifestProblem);
    extension.name = std::move(manifest.name);
    extension.description = std::move(manifest.description);
    extension.version = std::move(manifest.version);
    extension.updateUrl = std::move(manifest.updateUrl);
    extension.permissions = std::move(manifest.permissions);
    extension.hostPermissions = std::move(manifest.hostPermissions);
    extension.searchName = std::move(manifest.searchName);
    extension.searchUrl = std::move(manifest.searchUrl);
    extension.searchKeyword = std::move(manifest.searchKeyword);
    extension.homepage = std::move(manifest.homepage);
    extension.newTab = std::move(manifest.newTab);
    extension.startupPages = std::move(manifest.startupPages);
    inventory.extensions.push_back(std::move(extension));
  }
  inventory.profiles.push_back(std::move(profile));
}

void ReadChromium(const std::string& localAppData, TExtensionInventory& inventory) {
  for (const TChromiumBrowser& browser : kChromiumBrowsers) {
    const std::string userData = localAppData + "\\" + browser.userData;
    for (const TLocalStateProfile& entry : ChromiumProfileFolders(userData)) {
      ReadChromiumProfile(browser.browser, userData, entry, inventory);
    }
  }
}

// ---- Firefox

void ReadFirefoxProfile(const std::string& base, const TFirefoxProfileEntry& entry, TExtensionInventory& inventory) {
  TBrowserProfile profile;
  profile.browser = "Firefox";
  profile.userData = base;
  profile.folder = entry.isRelative ? base + "\\" + entry.path : entry.path;
  profile.name = entry.name;
  std::string text;
  TFirefoxAddons addons;
  switch (ReadFile(profile.folder + "\\extensions.json", kMaxProfileTextBytes, &text)) {
    case TRead::Read:
      addons = ParseFirefoxAddons(text);
      if (!addons.readable) profile.problem = "extensions.json is " + addons.problem + ".";
      break;
    case TRead::Refused: profile.problem = "extensions.json cannot be read, or is too large."; break;
    case TRead::Missing:
      // A profile never started has no add-on database yet; one that profiles.ini still names
      // after its folder went has not even its preferences.
      if (!platform::FileSystem().FileExists(profile.folder + "\\prefs.js")) return;
      break;
  }
  std::vector<TFirefoxOverride> overrides;
  if (ReadFile(profile.folder + "\\extension-settings.json", kMaxProfileTextBytes, &text) == TRead::Read) {
    overrides = ParseFirefoxExtensionSettings(text);
  }
  for (TFirefoxAddon& addon : addons.addons) {
    TExtension extension;
    extension.browser = profile.browser;
    extension.profileFolder = profile.folder;
    extension.profileName = profile.name;
    extension.id = std::move(addon.id);
    extension.name = std::move(addon.name);
    extension.description = std::move(addon.description);
    extension.version = std::move(addon.version);
    extension.location = FirefoxLocation(addon.location);
    extension.fromWebstore = IsStoreAddress(addon.sourceUri);
    extension.installTime = std::move(addon.installDate);
    extension.enabled = addon.active;
    extension.sideloaded = addon.foreignInstall;
    extension.path = std::move(addon.path);
    extension.permissions = std::move(addon.permissions);
    extension.hostPermissions = std::move(addon.origins);
    for (const TFirefoxOverride& o : overrides) {
      if (o.id != extension.id) continue;
      switch (o.what) {
        case TFirefoxOverride::TWhat::Homepage: extension.homepage = o.value; break;
        case TFirefoxOverride::TWhat::NewTab: extension.newTab = o.value; break;
        case TFirefoxOverride::TWhat::Search: extension.searchName = o.value; break;
      }
    }
    inventory.extensions.push_back(std::move(extension));
  }
  inventory.profiles.push_back(std::move(profile));
}

void ReadFirefox(const std::string& appData, TExtensionInventory& inventory) {
  const std::string base = appData + "\\Mozilla\\Firefox";
  std::string text;
  if (ReadFile(base + "\\profiles.ini", kMaxManifestBytes, &text) != TRead::Read) return;
  for (const TFirefoxProfileEntry& entry : ParseProfilesIni(text)) ReadFirefoxProfile(base, entry, inventory);
}

void ReadUser(const std::string& localAppData, const std::string& appData, TExtensionInventory& inventory) {
  if (IsDrivePath(localAppData)) ReadChromium(localAppData, inventory);
  if (IsDrivePath(appData)) ReadFirefox(appData, inventory);
}

// The folder a ProfileList entry names, with %SystemDrive% put in: the only variable Windows
// writes there. Empty when it names no folder of a drive.
std::string UserFolder(std::string image) {
  constexpr std::string_view kSystemDrive = "%SystemDrive%";
  if (StartsNoCase(image, kSystemDrive)) {
    const std::string root = ReadText(platform::kHkeyLocalMachine, TRegView::Key64, kWindowsNt, "SystemRoot");
    if (root.size() < 2 || root[1] != ':') return {};
    image = root.substr(0, 2) + image.substr(kSystemDrive.size());
  }
  while (image.size() > 3 && image.back() == '\\') image.pop_back();
  const bool folder = image.size() > 3 && IsDrivePath(image) && PlainNamesFrom(image, 3);
  return folder && image.find('%') == std::string::npos ? image : std::string();
}

// Every other user's folders, as the machine's list of user profiles names them: accounts of
// people only (local, domain and Entra ID ones), not the system's own.
void ReadOtherUsers(const std::string& currentLocalAppData, TExtensionInventory& inventory) {
  TStrings sids;
  {
    TRegistry reg(TRegView::Key64);
    reg.SetRootKey(platform::kHkeyLocalMachine);
    reg.SetReadOnly(true);
    if (!reg.OpenKey(kProfileList, false)) return;
    reg.GetKeyNames(sids);
  }
  std::set<std::string> seen{platform::Folded(currentLocalAppData)};
  for (const std::string& sid : sids) {
    // "S-1-5-21-...": a local or domain account; "S-1-12-1-...": an Entra ID one. A ".bak" entry is
    // Windows' copy of one of them.
    if (!(StartsNoCase(sid, "S-1-5-21-") || StartsNoCase(sid, "S-1-12-1-")) || platform::EndsNoCase(sid, ".bak")) continue;
    const std::string folder = UserFolder(ReadText(platform::kHkeyLocalMachine, TRegView::Key64,
                                                   std::string(kProfileList) + "\\" + sid, "ProfileImagePath"));
    if (folder.empty()) continue;
    const std::string localAppData = folder + "\\AppData\\Local";
    if (!seen.insert(platform::Folded(localAppData)).second) continue;
    ReadUser(localAppData, folder + "\\AppData\\Roaming", inventory);
  }
}

}  // namespace

TExtensionLocation ChromiumLocation(int number) {
  switch (number) {
    case 1: return TExtensionLocation::Store;
    case 2: return TExtensionLocation::ExternalPreferences;
    case 3: return TExtensionLocation::ExternalRegistry;
    case 4: return TExtensionLocation::Unpacked;
    case 5: return TExtensionLocation::Component;
    case 6: return TExtensionLocation::ExternalPreferencesDownload;
    case 7: return TExtensionLocation::ExternalPolicyDownload;
    case 8: return TExtensionLocation::CommandLine;
    case 9: return TExtensionLocation::ExternalPolicy;
    case 10: return TExtensionLocation::ExternalComponent;
    default: return TExtensionLocation::Unknown;
  }
}

TExtensionLocation FirefoxLocation(const std::string& name) {
  if (name == "app-profile") return TExtensionLocation::FirefoxProfile;
  if (name == "app-temporary") return TExtensionLocation::FirefoxTemporary;
  if (name == "app-builtin" || name == "app-system-defaults" || name == "app-system-addons") {
    return TExtensionLocation::FirefoxBuiltIn;
  }
  if (name == "app-system-share" || name == "app-system-local" || name == "app-system-user") {
    return TExtensionLocation::FirefoxSystem;
  }
  if (name == "winreg-app-user" || name == "winreg-app-global") return TExtensionLocation::FirefoxRegistry;
  return TExtensionLocation::Unknown;
}

std::string LocationText(TExtensionLocation location) {
  switch (location) {
    case TExtensionLocation::Unknown: return "Unknown";
    case TExtensionLocation::Store: return "Store";
    case TExtensionLocation::ExternalPreferences: return "Preferences file beside the browser";
    case TExtensionLocation::ExternalRegistry: return "Registry";
    case TExtensionLocation::Unpacked: return "Loaded unpacked";
    case TExtensionLocation::Component: return "Part of the browser";
    case TExtensionLocation::ExternalPreferencesDownload: return "Preferences file beside the browser, downloaded";
    case TExtensionLocation::ExternalPolicyDownload: return "Policy";
    case TExtensionLocation::CommandLine: return "Command line";
    case TExtensionLocation::ExternalPolicy: return "Policy, from a file";
    case TExtensionLocation::ExternalComponent: return "Part of the browser, downloaded";
    case TExtensionLocation::FirefoxProfile: return "Profile";
    case TExtensionLocation::FirefoxTemporary: return "Loaded temporarily";
    case TExtensionLocation::FirefoxBuiltIn: return "Part of the browser";
    case TExtensionLocation::FirefoxSystem: return "Folder outside the profile";
    case TExtensionLocation::FirefoxRegistry: return "Registry";
  }
  return "Unknown";
}

std::string SourceText(const TExtension& extension) {
  if (extension.location == TExtensionLocation::Store) {
    if (StartsNoCase(extension.updateUrl, "https://edge.microsoft.com/extensionwebstorebase/")) return "Edge Add-ons";
    if (StartsNoCase(extension.updateUrl, "https://clients2.google.com/service/update2/crx")) return "Chrome Web Store";
    if (extension.fromWebstore) return extension.browser == "Edge" ? "Edge Add-ons" : "Chrome Web Store";
    return "Installed by the user, not from a store";
  }
  if (extension.location == TExtensionLocation::FirefoxProfile) {
    if (extension.sideloaded) return "Put in the profile by another program";
    return extension.fromWebstore ? "Firefox Add-ons" : "Installed by the user, not from a store";
  }
  return LocationText(extension.location);
}

std::string ChangesText(const TExtension& extension) {
  std::string text;
  const auto add = [&text](const std::string& part) { text.append(text.empty() ? "" : "; ").append(part); };
  if (!extension.searchName.empty() || !extension.searchUrl.empty()) {
    std::string search = "search: " + extension.searchName;
    if (!extension.searchUrl.empty()) search += (extension.searchName.empty() ? "<" : " <") + extension.searchUrl + ">";
    add(search);
  }
  if (!extension.homepage.empty()) add("home page: " + extension.homepage);
  if (!extension.startupPages.empty()) {
    std::string pages = "start-up pages:";
    for (std::size_t i = 0; i < extension.startupPages.size(); ++i) pages += (i ? ", " : " ") + extension.startupPages[i];
    add(pages);
  }
  if (!extension.newTab.empty()) add("new tab: " + extension.newTab);
  return text;
}

TExtensionInventory ListExtensions() {
  TExtensionInventory inventory;
  const std::string localAppData = ReadText(platform::kHkeyCurrentUser, TRegView::Default, kShellFolders, "Local AppData");
  const std::string appData = ReadText(platform::kHkeyCurrentUser, TRegView::Default, kShellFolders, "AppData");
  ReadUser(localAppData, appData, inventory);
  if (platform::Management().ProcessIsElevated()) ReadOtherUsers(localAppData, inventory);
  return inventory;
}

}  // namespace nq
