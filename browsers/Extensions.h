// The extensions of every browser profile on this computer, read and never changed: Edge's,
// Chrome's and Brave's profiles (Local State, Preferences, Secure Preferences and each extension's
// manifest) and Firefox's (profiles.ini, extensions.json, extension-settings.json). The current
// user's, and when the program runs elevated every other user's too. Everything goes through the
// platform interfaces: the files calls, the directory search and the registry store.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nq {

// Where an extension came from. Chromium's come in the order of mojom::ManifestLocation, whose
// numbers Preferences keeps; Firefox's are the install locations of its add-on database.
enum class TExtensionLocation {
  Unknown,                      // 0, or a number Chromium does not have
  Store,                        // 1 kInternal: installed by the user, from a store or from a file
  ExternalPreferences,          // 2 kExternalPref: a .crx named by a preferences file beside the browser
  ExternalRegistry,             // 3 kExternalRegistry: a .crx named by the registry's Extensions key
  Unpacked,                     // 4 kUnpacked: a folder loaded by "Load unpacked" in developer mode
  Component,                    // 5 kComponent: part of the browser
  ExternalPreferencesDownload,  // 6 kExternalPrefDownload: an update address named by a preferences file
  ExternalPolicyDownload,       // 7 kExternalPolicyDownload: installed by policy from an update address
  CommandLine,                  // 8 kCommandLine: a folder named by --load-extension
  ExternalPolicy,               // 9 kExternalPolicy: a .crx installed by policy
  ExternalComponent,            // 10 kExternalComponent: part of the browser, downloaded
  FirefoxProfile,               // app-profile: installed by the user into the profile
  FirefoxTemporary,             // app-temporary: loaded for this session from about:debugging
  FirefoxBuiltIn,               // app-builtin, app-system-defaults, app-system-addons: part of Firefox
  FirefoxSystem,                // app-system-share, -local, -user: a folder outside the profile
  FirefoxRegistry,              // winreg-app-user, winreg-app-global: named by the registry
};

// Chromium's number as the location it stands for.
TExtensionLocation ChromiumLocation(int number);
// Firefox's install location's name as the location it stands for.
TExtensionLocation FirefoxLocation(const std::string& name);
// A few words for a location: "Store", "Loaded unpacked", "Command line", "Policy", ...
std::string LocationText(TExtensionLocation location);

// One profile of one browser.
struct TBrowserProfile {
  std::string browser;   // "Edge", "Chrome", "Brave", "Firefox"
  std::string userData;  // the User Data folder, or Firefox's folder that holds profiles.ini
  std::string folder;    // the profile's folder, full
  std::string name;      // the name the user gave it; empty when the browser keeps none
  bool syncOn = false;       // signed in with sync set up
  std::string syncAccount;   // the account the profile is signed in with, empty when none
  bool developerMode = false;  // Chromium's developer mode, which lets unpacked extensions load
  std::string problem;       // why its preferences could not be read, empty when they could
};

// One extension of one profile.
struct TExtension {
  std::string browser;
  std::string profileFolder;
  std::string profileName;
  std::string id;
  std::string name;          // in the extension's default language
  std::string description;
  std::string version;
  TExtensionLocation location = TExtensionLocation::Unknown;
  int rawLocation = -1;      // Chromium's number, -1 when none (Firefox, or missing)
  bool fromWebstore = false;  // installed from the browser's store (Chromium's flag, Firefox's source)
  std::string updateUrl;     // where the browser looks for its updates (Chromium)
  std::string installTime;   // Chromium: microseconds since 1601; Firefox: milliseconds since 1970
  bool enabled = true;
  std::uint32_t disableReasons = 0;  // Chromium's bits
  bool sideloaded = false;   // Firefox: installed by another program, not by the user
  std::string path;          // the folder of its files (Firefox: its package), full
  bool inSecurePreferences = false;
  bool inPreferences = false;
  std::vector<std::string> permissions, hostPermissions;
  // What it takes over: the search engine (name, address, keyword), the home page, the new tab
  // page and the pages opened at start-up.
  std::string searchName, searchUrl, searchKeyword, homepage, newTab;
  std::vector<std::string> startupPages;
  std::string problem;       // why its manifest could not be read, empty when it could
};

struct TExtensionInventory {
  std::vector<TBrowserProfile> profiles;
  std::vector<TExtension> extensions;  // profile by profile, in the order of `profiles`
};

// Every profile and every extension: Edge, Chrome, Brave, then Firefox; the current user's first,
// then (when elevated) the other users' in the order the registry lists them.
TExtensionInventory ListExtensions();

// Where an extension came from as a user would say it: "Chrome Web Store", "Edge Add-ons",
// "Firefox Add-ons", "Installed from a file", or LocationText's words.
std::string SourceText(const TExtension& extension);
// What an extension takes over, in one line ("search: Name <address>; new tab: page"); empty for
// none.
std::string ChangesText(const TExtension& extension);

}  // namespace nq
