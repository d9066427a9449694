// The texts of browser profiles as the browsers lay them out, for tests and benchmarks to write
// into a folder tree: Chromium's Local State, Preferences and Secure Preferences (extensions.settings
// entries), an extension's manifest.json and messages.json; Firefox's extensions.json and
// extension-settings.json. Header only: the benchmarks write them too.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace nqtest::profiles {

using nlohmann::json;

// An extension id Chromium accepts: 32 times one letter from 'a' to 'p'.
inline std::string Id(char letter) { return std::string(32, letter); }

// Where Chromium keeps an installed extension's files under the profile's Extensions folder.
inline std::string InstalledPath(const std::string& id, const std::string& version) {
  return id + "\\" + version + "_0";
}

// A manifest.json: manifest version 3 with a name and a version, and `more` members.
inline json Manifest(const std::string& name, const std::string& version, json more = json::object()) {
  json manifest = {{"manifest_version", 3}, {"name", name}, {"version", version}};
  manifest.update(more);
  return manifest;
}

// One entry of extensions.settings as Chromium writes it for an extension at `location`
// (mojom::ManifestLocation's number) whose files are at `path`; `more` members added or replaced.
inline json Setting(int location, const std::string& path, json more = json::object()) {
  json entry = {{"location", location},
                {"path", path},
                {"from_webstore", location == 1},
                {"first_install_time", "13370000000000000"},
                {"disable_reasons", json::array()},
                {"active_permissions", {{"api", json::array({"storage"})}}}};
  entry.update(more);
  return entry;
}

// A Preferences or Secure Preferences text whose extensions.settings holds `settings` (id to
// entry), with `more` members at its top (merged into "extensions" too).
inline std::string Prefs(const json& settings, json more = json::object()) {
  json top = {{"extensions", {{"settings", settings}}}};
  top.merge_patch(more);
  return top.dump(3);
}

// Local State naming profiles: folder and the name the user gave it.
inline std::string LocalState(const std::vector<std::pair<std::string, std::string>>& profiles) {
  json cache = json::object();
  for (const auto& [folder, name] : profiles) cache[folder] = {{"name", name}, {"is_using_default_name", false}};
  return json{{"profile", {{"info_cache", cache}, {"last_used", "Default"}}}}.dump(3);
}

// One add-on of Firefox's extensions.json.
inline json FirefoxAddon(const std::string& id, const std::string& name, const std::string& version,
                         const std::string& location, json more = json::object()) {
  json addon = {{"id", id},
                {"type", "extension"},
                {"version", version},
                {"location", location},
                {"defaultLocale", {{"name", name}, {"description", name + " does things"}}},
                {"active", true},
                {"userDisabled", false},
                {"appDisabled", false},
                {"foreignInstall", false},
                {"installDate", 1700000000000},
                {"userPermissions", {{"permissions", json::array({"storage"})}, {"origins", json::array()}}}};
  addon.update(more);
  return addon;
}

inline std::string FirefoxAddons(const json& addons) { return json{{"schemaVersion", 36}, {"addons", addons}}.dump(); }

}  // namespace nqtest::profiles
