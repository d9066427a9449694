// The texts a browser keeps its extensions in, read without touching anything: Chromium's Local
// State, Preferences and Secure Preferences, an extension's manifest.json and its messages.json,
// Firefox's profiles.ini, extensions.json and extension-settings.json. Texts come from anywhere (a
// hijacker may have written them): a text beyond the limits below, or not JSON, is reported as such;
// no function here throws, and none follows a name out of the folder it belongs in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nq {

// Past these a text is not read. A Preferences file with hundreds of extensions and their manifests
// holds a few megabytes; a manifest or a messages file a few hundred kilobytes at most. Chromium's
// own reader refuses nesting past 200; no file of these goes past a few dozen levels.
inline constexpr std::size_t kMaxProfileTextBytes = 16u << 20;
inline constexpr std::size_t kMaxManifestBytes = 4u << 20;
inline constexpr int kMaxExtensionTextNesting = 100;

// True for a name that stands for one entry inside its folder: not empty, not "." or "..", without
// '\', '/', ':' (a drive or a stream), and without the wildcards '*' and '?'. A profile's folder or a
// locale's name that fails this is never followed.
bool IsPlainFolderName(std::string_view name);

// ---- Chromium

// A profile of Local State's profile.info_cache: its folder under User Data and the name the user
// gave it. Only entries whose folder is a plain folder name are kept.
struct TLocalStateProfile {
  std::string folder;
  std::string name;
};
struct TLocalState {
  bool readable = false;
  std::string problem;  // why it is not readable
  std::vector<TLocalStateProfile> profiles;
};
TLocalState ParseLocalState(std::string_view text);

// What an extension's manifest says that the inventory shows. Texts are as the manifest has them
// until LocalizeManifest replaces their __MSG_name__ references.
struct TManifest {
  bool readable = false;
  std::string problem;  // why it is not readable
  std::string name, description, version, defaultLocale, updateUrl;
  std::vector<std::string> permissions;      // API permissions
  std::vector<std::string> hostPermissions;  // host_permissions, and manifest version 2's site patterns in permissions
  // chrome_settings_overrides and chrome_url_overrides: what the extension takes over.
  std::string searchName, searchUrl, searchKeyword, homepage, newTab;
  std::vector<std::string> startupPages;

  // True when a shown text refers to a message of the extension's locales.
  bool NeedsMessages() const;
};
// Read as Chromium reads manifests: a UTF-8 byte-order mark skipped, // and /* */ comments, line
// ends inside strings and \xNN escapes allowed; the top must be an object.
TManifest ParseManifest(std::string_view text);
// Replaces each __MSG_name__ in the shown texts by the message of that name (matched without regard
// to case, as Chromium does) in a messages.json text; a reference to no message stays as it is.
// False, with nothing changed, when the messages text is not readable.
bool LocalizeManifest(TManifest& manifest, std::string_view messagesText);

// One entry of extensions.settings. A field the file does not hold stays empty: Preferences and
// Secure Preferences may each hold part of an extension's entry.
struct TExtensionPref {
  std::string id;
  std::optional<int> location;     // mojom::ManifestLocation's number
  std::optional<bool> fromWebstore;
  std::optional<std::string> installTime;  // microseconds since 1601 as a decimal string
  std::optional<int> state;        // before Chromium kept only disable_reasons: 0 disabled, 1 enabled
  std::optional<std::uint32_t> disableReasons;  // a bit mask, however the file writes it
  std::optional<std::string> path;  // under the profile's Extensions folder, or absolute
  std::optional<TManifest> manifest;  // the copy of the manifest the entry holds
};

// What a profile's Preferences or Secure Preferences text says.
struct TChromiumPrefs {
  bool readable = false;
  std::string problem;  // why it is not readable
  std::optional<bool> developerMode;   // extensions.ui.developer_mode
  std::optional<bool> syncConsented;   // google.services.consented_to_sync
  std::optional<bool> syncSetUp;       // sync.has_setup_completed
  std::string account;                 // the signed-in account's e-mail address, empty when none
  std::vector<TExtensionPref> extensions;  // only ids Chromium accepts (32 letters a to p), in id order
};
TChromiumPrefs ParseChromiumPrefs(std::string_view text);

// True for an id Chromium accepts: 32 letters from 'a' to 'p'.
bool IsChromiumExtensionId(std::string_view id);

// ---- Firefox

// A [Profile*] section of profiles.ini. `path` has backslashes; a relative path climbs out of
// the Firefox folder nowhere (such a section is left out), an absolute one is a drive's.
struct TFirefoxProfileEntry {
  std::string name;
  std::string path;
  bool isRelative = true;
  bool isDefault = false;  // Default=1, or the path an [Install*] section names as its Default
};
std::vector<TFirefoxProfileEntry> ParseProfilesIni(std::string_view text);

// One add-on of a profile's extensions.json (only those of type "extension").
struct TFirefoxAddon {
  std::string id, name, description, version, location, sourceUri, path, installDate;
  bool active = false, userDisabled = false, appDisabled = false, foreignInstall = false;
  std::vector<std::string> permissions, origins;
};
struct TFirefoxAddons {
  bool readable = false;
  std::string problem;
  std::vector<TFirefoxAddon> addons;
};
TFirefoxAddons ParseFirefoxAddons(std::string_view text);

// What an extension took over, from extension-settings.json: the home page, the new tab page or the
// default search engine (by its name), each with the value the extension set.
struct TFirefoxOverride {
  enum class TWhat { Homepage, NewTab, Search } what;
  std::string id;
  std::string value;
};
std::vector<TFirefoxOverride> ParseFirefoxExtensionSettings(std::string_view text);

}  // namespace nq
