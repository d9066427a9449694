#include "browsers/ExtensionText.h"

#include <algorithm>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>

#include "platform/text.h"

namespace nq {
namespace {

using json = nlohmann::json;

// ---- Reading JSON as the browsers do

// One pass over a text: how deep objects and arrays nest outside strings and comments, and whether
// it uses what Chromium's reader allows beyond JSON and ours does not (a line end inside a string,
// a \xNN escape). Comments themselves the parser passes over.
struct TJsonScan {
  int deepest = 0;
  bool chromiumOnly = false;
};

TJsonScan ScanJson(std::string_view text, bool comments) {
  enum { Plain, InString, Escape, LineComment, BlockComment } state = Plain;
  TJsonScan scan;
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (state) {
      case Plain:
        if (c == '"') {
          state = InString;
        } else if (c == '{' || c == '[') {
          scan.deepest = std::max(scan.deepest, ++depth);
        } else if (c == '}' || c == ']') {
          --depth;
        } else if (comments && c == '/' && i + 1 < text.size() && (text[i + 1] == '/' || text[i + 1] == '*')) {
          state = text[++i] == '/' ? LineComment : BlockComment;
        }
        break;
      case InString:
        if (c == '\\') state = Escape;
        else if (c == '"') state = Plain;
        else if (c == '\n' || c == '\r') scan.chromiumOnly = true;
        break;
      case Escape:
        if (c == 'x') scan.chromiumOnly = true;
        state = InString;
        break;
      case LineComment:
        if (c == '\n' || c == '\r') state = Plain;
        break;
      case BlockComment:
        if (c == '*' && i + 1 < text.size() && text[i + 1] == '/') {
          ++i;
          state = Plain;
        }
        break;
    }
  }
  return scan;
}

// The text in plain JSON: line ends inside strings escaped, \xNN as \u00NN. Comments stay.
std::string WithoutChromiumEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  enum { Plain, InString, Escape, LineComment, BlockComment } state = Plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (state) {
      case Plain:
        if (c == '"') state = InString;
        else if (c == '/' && i + 1 < text.size() && (text[i + 1] == '/' || text[i + 1] == '*')) {
          state = text[i + 1] == '/' ? LineComment : BlockComment;
          out += c;
          out += text[++i];
          continue;
        }
        break;
      case InString:
        if (c == '\\') state = Escape;
        else if (c == '"') state = Plain;
        else if (c == '\n') { out += "\\n"; continue; }
        else if (c == '\r') { out += "\\r"; continue; }
        break;
      case Escape:
        state = InString;
        if (c == 'x') {
          out += "u00";
          continue;
        }
        break;
      case LineComment:
        if (c == '\n' || c == '\r') state = Plain;
        break;
      case BlockComment:
        if (c == '*' && i + 1 < text.size() && text[i + 1] == '/') {
          out += c;
          out += text[++i];
          state = Plain;
          continue;
        }
        break;
    }
    out += c;
  }
  return out;
}

enum class TDialect { Chromium, Strict };

// Parses a text within the limits; false (with `problem`) for anything else. Chromium's texts are
// read with what its reader allows (comments, line ends in strings, \x escapes); Firefox's as JSON.
bool Parse(std::string_view text, std::size_t maxBytes, TDialect dialect, json* result, std::string* problem) {
  if (text.size() > maxBytes) {
    *problem = "too large";
    return false;
  }
  const bool chromium = dialect == TDialect::Chromium;
  const TJsonScan scan = ScanJson(text, chromium);
  if (scan.deepest > kMaxExtensionTextNesting) {
    *problem = "nested too deeply";
    return false;
  }
  try {
    // A byte-order mark the parser passes over; invalid UTF-8 inside a string fails here.
    if (chromium && scan.chromiumOnly) {
      const std::string plain = WithoutChromiumEscapes(text);
      *result = json::parse(plain.begin(), plain.end(), nullptr, false, true);
    } else {
      *result = json::parse(text.begin(), text.end(), nullptr, false, chromium);
    }
  } catch (...) {
    result->clear();
    *problem = "not readable";
    return false;
  }
  if (result->is_discarded()) {
    *problem = "not valid JSON";
    return false;
  }
  return true;
}

// Parse for a text whose top must be an object, as every one of these texts has.
bool ParseObject(std::string_view text, std::size_t maxBytes, TDialect dialect, json* result, std::string* problem) {
  if (!Parse(text, maxBytes, dialect, result, problem)) return false;
  if (result->is_object()) return true;
  *problem = "not a JSON object";
  return false;
}

// ---- Members of a parsed text, each checked for its type

const json* Member(const json* object, const char* name) {
  if (object == nullptr || !object->is_object()) return nullptr;
  const auto it = object->find(name);
  return it == object->end() ? nullptr : &*it;
}

std::string Text(const json* value) { return value != nullptr && value->is_string() ? value->get<std::string>() : std::string(); }

std::optional<std::string> OptionalText(const json* value) {
  if (value == nullptr || !value->is_string()) return std::nullopt;
  return value->get<std::string>();
}

std::optional<bool> OptionalBool(const json* value) {
  if (value == nullptr || !value->is_boolean()) return std::nullopt;
  return value->get<bool>();
}

bool Bool(const json* value) { return OptionalBool(value).value_or(false); }

// An integer that fits an int; a fraction, or anything larger, is none.
std::optional<int> OptionalInt(const json* value) {
  if (value == nullptr) return std::nullopt;
  if (value->is_number_unsigned()) {
    const auto n = value->get<std::uint64_t>();
    if (n <= static_cast<std::uint64_t>(std::numeric_limits<int>::max())) return static_cast<int>(n);
    return std::nullopt;
  }
  if (value->is_number_integer()) {
    const auto n = value->get<std::int64_t>();
    if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max()) return static_cast<int>(n);
  }
  return std::nullopt;
}

std::vector<std::string> Texts(const json* list) {
  std::vector<std::string> texts;
  if (list == nullptr || !list->is_array()) return texts;
  for (const json& item : *list) {
    if (item.is_string()) texts.push_back(item.get<std::string>());
  }
  return texts;
}

// ---- Manifests

// A permission that names sites rather than an API: manifest version 2 keeps both in one list.
bool IsHostPattern(const std::string& permission) {
  return permission == "<all_urls>" || permission.find("://") != std::string::npos;
}

TManifest ManifestFrom(const json& top) {
  TManifest manifest;
  manifest.readable = true;
  manifest.name = Text(Member(&top, "name"));
  manifest.description = Text(Member(&top, "description"));
  manifest.version = Text(Member(&top, "version"));
  manifest.defaultLocale = Text(Member(&top, "default_locale"));
  manifest.updateUrl = Text(Member(&top, "update_url"));
  for (std::string& permission : Texts(Member(&top, "permissions"))) {
    (IsHostPattern(permission) ? manifest.hostPermissions : manifest.permissions).push_back(std::move(permission));
  }
  for (std::string& host : Texts(Member(&top, "host_permissions"))) manifest.hostPermissions.push_back(std::move(host));
  const json* overrides = Member(&top, "chrome_settings_overrides");
  const json* search = Member(overrides, "search_provider");
  manifest.searchName = Text(Member(search, "name"));
  manifest.searchUrl = Text(Member(search, "search_url"));
  manifest.searchKeyword = Text(Member(search, "keyword"));
  manifest.homepage = Text(Member(overrides, "homepage"));
  manifest.startupPages = Texts(Member(overrides, "startup_pages"));
  manifest.newTab = Text(Member(Member(&top, "chrome_url_overrides"), "newtab"));
  return manifest;
}

constexpr std::string_view kMessageStart = "__MSG_";
constexpr std::string_view kMessageEnd = "__";
// A localized text grows no larger: a name of a thousand references to a large message would
// otherwise make gigabytes.
constexpr std::size_t kMaxLocalizedText = 64u << 10;

bool IsMessageName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '@';
  });
}

void Localize(std::string& text, const std::map<std::string, std::string>& messages) {
  std::size_t from = 0;
  while (true) {
    const std::size_t begin = text.find(kMessageStart, from);
    if (begin == std::string::npos) return;
    const std::size_t nameAt = begin + kMessageStart.size();
    const std::size_t end = text.find(kMessageEnd, nameAt);
    if (end == std::string::npos) return;
    const std::string_view name = std::string_view(text).substr(nameAt, end - nameAt);
    const auto message = IsMessageName(name) ? messages.find(platform::Folded(name)) : messages.end();
    if (message == messages.end()) {
      from = nameAt;
      continue;
    }
    const std::size_t length = end + kMessageEnd.size() - begin;
    if (text.size() - length + message->second.size() > kMaxLocalizedText) return;
    text.replace(begin, length, message->second);
    // What a message says is not looked into again.
    from = begin + message->second.size();
  }
}

// ---- Chromium's preferences

TExtensionPref PrefFrom(const std::string& id, const json& entry) {
  TExtensionPref pref;
  pref.id = id;
  pref.location = OptionalInt(Member(&entry, "location"));
  pref.fromWebstore = OptionalBool(Member(&entry, "from_webstore"));
  // Newer Chromium writes when it was first installed; older ones when it was installed or updated.
  for (const char* name : {"first_install_time", "install_time", "last_update_time"}) {
    pref.installTime = OptionalText(Member(&entry, name));
    if (pref.installTime) break;
  }
  pref.state = OptionalInt(Member(&entry, "state"));
  // A bit mask, or in newer Chromium a list of the same bits.
  const json* reasons = Member(&entry, "disable_reasons");
  if (const std::optional<int> mask = OptionalInt(reasons)) {
    pref.disableReasons = static_cast<std::uint32_t>(*mask);
  } else if (reasons != nullptr && reasons->is_array()) {
    std::uint32_t bits = 0;
    for (const json& reason : *reasons) {
      const std::optional<int> bit = OptionalInt(&reason);
      if (bit && *bit > 0) bits |= static_cast<std::uint32_t>(*bit);
    }
    pref.disableReasons = bits;
  }
  pref.path = OptionalText(Member(&entry, "path"));
  if (const json* manifest = Member(&entry, "manifest"); manifest != nullptr && manifest->is_object()) {
    pref.manifest = ManifestFrom(*manifest);
  }
  return pref;
}

// ---- Firefox

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A profiles.ini path with backslashes; empty when a name in it is not a plain folder name (".."
// among them) or an absolute path is not a folder of a drive.
std::string ProfilePath(std::string_view path, bool relative) {
  std::string out;
  std::size_t at = 0;
  if (!relative) {
    if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) return {};
    out.assign(path.substr(0, 2));
    at = 3;
  }
  while (at <= path.size()) {
    std::size_t next = path.find_first_of("\\/", at);
    if (next == std::string_view::npos) next = path.size();
    const std::string_view name = path.substr(at, next - at);
    // A trailing separator leaves an empty last name.
    if (!(name.empty() && next == path.size() && !out.empty())) {
      if (!IsPlainFolderName(name)) return {};
      if (!out.empty()) out += '\\';
      out.append(name);
    }
    at = next + 1;
  }
  // A drive alone ("D:") is no folder of a profile.
  return !relative && out.size() == 2 ? std::string() : out;
}

}  // namespace

bool IsPlainFolderName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:*?") == std::string_view::npos;
}

bool IsChromiumExtensionId(std::string_view id) {
  return id.size() == 32 && std::all_of(id.begin(), id.end(), [](char c) { return c >= 'a' && c <= 'p'; });
}

TLocalState ParseLocalState(std::string_view text) {
  TLocalState state;
  json top;
  if (!Parse(text, kMaxProfileTextBytes, TDialect::Chromium, &top, &state.problem)) return state;
  state.readable = true;
  const json* cache = Member(Member(&top, "profile"), "info_cache");
  if (cache == nullptr || !cache->is_object()) return state;
  for (const auto& [folder, info] : cache->items()) {
    if (!IsPlainFolderName(folder)) continue;
    state.profiles.push_back({folder, Text(Member(&info, "name"))});
  }
  return state;
}

bool TManifest::NeedsMessages() const {
  const auto refers = [](const std::string& text) { return text.find(kMessageStart) != std::string::npos; };
  return refers(name) || refers(description) || refers(searchName) || refers(searchUrl) || refers(searchKeyword) ||
         refers(homepage) || refers(newTab) || std::any_of(startupPages.begin(), startupPages.end(), refers);
}

TManifest ParseManifest(std::string_view text) {
  TManifest manifest;
  json top;
  if (!ParseObject(text, kMaxManifestBytes, TDialect::Chromium, &top, &manifest.problem)) return manifest;
  return ManifestFrom(top);
}

bool LocalizeManifest(TManifest& manifest, std::string_view messagesText) {
  json top;
  std::string problem;
  if (!ParseObject(messagesText, kMaxManifestBytes, TDialect::Chromium, &top, &problem)) return false;
  std::map<std::string, std::string> messages;
  for (const auto& [name, entry] : top.items()) {
    if (const json* message = Member(&entry, "message"); message != nullptr && message->is_string()) {
      messages.emplace(platform::Folded(name), message->get<std::string>());
    }
  }
  for (std::string* text : {&manifest.name, &manifest.description, &manifest.searchName, &manifest.searchUrl,
                            &manifest.searchKeyword, &manifest.homepage, &manifest.newTab}) {
    Localize(*text, messages);
  }
  for (std::string& page : manifest.startupPages) Localize(page, messages);
  return true;
}

TChromiumPrefs ParseChromiumPrefs(std::string_view text) {
  TChromiumPrefs prefs;
  json top;
  if (!ParseObject(text, kMaxProfileTextBytes, TDialect::Chromium, &top, &prefs.problem)) return prefs;
  prefs.readable = true;
  const json* extensions = Member(&top, "extensions");
  prefs.developerMode = OptionalBool(Member(Member(extensions, "ui"), "developer_mode"));
  const json* services = Member(Member(&top, "google"), "services");
  prefs.syncConsented = OptionalBool(Member(services, "consented_to_sync"));
  prefs.syncSetUp = OptionalBool(Member(Member(&top, "sync"), "has_setup_completed"));
  if (const json* accounts = Member(&top, "account_info"); accounts != nullptr && accounts->is_array()) {
    for (const json& account : *accounts) {
      prefs.account = Text(Member(&account, "email"));
      if (!prefs.account.empty()) break;
    }
  }
  // The name kept from the last time sync was set up says nothing once the user signed out.
  if (prefs.account.empty() && prefs.syncConsented.value_or(false)) {
    prefs.account = Text(Member(services, "last_username"));
  }
  const json* settings = Member(extensions, "settings");
  if (settings == nullptr || !settings->is_object()) return prefs;
  for (const auto& [id, entry] : settings->items()) {
    if (IsChromiumExtensionId(id) && entry.is_object()) prefs.extensions.push_back(PrefFrom(id, entry));
  }
  return prefs;
}

std::vector<TFirefoxProfileEntry> ParseProfilesIni(std::string_view text) {
  struct TSection {
    std::string name;
    std::map<std::string, std::string> values;
  };
  std::vector<TSection> sections;
  if (text.size() > kMaxManifestBytes) return {};
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close != std::string_view::npos) sections.push_back({std::string(line.substr(1, close - 1)), {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || sections.empty()) continue;
    // The first value of a name counts, as Firefox's own reader keeps it.
    sections.back().values.emplace(std::string(Trimmed(line.substr(0, equals))), std::string(Trimmed(line.substr(equals + 1))));
  }
  std::vector<TFirefoxProfileEntry> profiles;
  std::vector<std::string> installDefaults;
  for (const TSection& section : sections) {
    const auto value = [&section](const char* name) {
      const auto it = section.values.find(name);
      return it == section.values.end() ? std::optional<std::string>() : it->second;
    };
    if (section.name.rfind("Install", 0) == 0) {
      if (const auto path = value("Default")) installDefaults.push_back(*path);
      continue;
    }
    if (section.name.rfind("Profile", 0) != 0) continue;
    const std::optional<std::string> path = value("Path");
    if (!path) continue;
    TFirefoxProfileEntry profile;
    profile.name = value("Name").value_or("");
    const std::optional<std::string> relative = value("IsRelative");
    const bool looksAbsolute = path->size() >= 2 && (*path)[1] == ':';
    profile.isRelative = relative ? *relative == "1" : !looksAbsolute;
    profile.isDefault = value("Default").value_or("") == "1";
    profile.path = ProfilePath(*path, profile.isRelative);
    if (profile.path.empty()) continue;
    profiles.push_back(std::move(profile));
  }
  for (const std::string& path : installDefaults) {
    const std::string wanted = ProfilePath(path, !(path.size() >= 2 && path[1] == ':'));
    for (TFirefoxProfileEntry& profile : profiles) {
      if (!wanted.empty() && platform::EqualNoCase(profile.path, wanted)) profile.isDefault = true;
    }
  }
  return profiles;
}

TFirefoxAddons ParseFirefoxAddons(std::string_view text) {
  TFirefoxAddons result;
  json top;
  if (!Parse(text, kMaxProfileTextBytes, TDialect::Strict, &top, &result.problem)) return result;
  result.readable = true;
  const json* addons = Member(&top, "addons");
  if (addons == nullptr || !addons->is_array()) return result;
  for (const json& entry : *addons) {
    if (!entry.is_object() || Text(Member(&entry, "type")) != "extension") continue;
    TFirefoxAddon addon;
    addon.id = Text(Member(&entry, "id"));
    if (addon.id.empty()) continue;
    const json* locale = Member(&entry, "defaultLocale");
    addon.name = Text(Member(locale, "name"));
    if (addon.name.empty()) addon.name = Text(Member(&entry, "name"));
    addon.description = Text(Member(locale, "description"));
    addon.version = Text(Member(&entry, "version"));
    addon.location = Text(Member(&entry, "location"));
    addon.sourceUri = Text(Member(&entry, "sourceURI"));
    addon.path = Text(Member(&entry, "path"));
    if (addon.path.empty()) addon.path = Text(Member(&entry, "rootURI"));
    if (const json* date = Member(&entry, "installDate"); date != nullptr && date->is_number_integer()) {
      addon.installDate = date->dump();
    }
    addon.active = Bool(Member(&entry, "active"));
    addon.userDisabled = Bool(Member(&entry, "userDisabled"));
    addon.appDisabled = Bool(Member(&entry, "appDisabled"));
    addon.foreignInstall = Bool(Member(&entry, "foreignInstall"));
    const json* granted = Member(&entry, "userPermissions");
    addon.permissions = Texts(Member(granted, "permissions"));
    addon.origins = Texts(Member(granted, "origins"));
    result.addons.push_back(std::move(addon));
  }
  return result;
}

std::vector<TFirefoxOverride> ParseFirefoxExtensionSettings(std::string_view text) {
  std::vector<TFirefoxOverride> overrides;
  json top;
  std::string problem;
  if (!Parse(text, kMaxProfileTextBytes, TDialect::Strict, &top, &problem)) return overrides;
  struct TSetting {
    const char* store;
    const char* key;
    TFirefoxOverride::TWhat what;
  };
  static constexpr TSetting kSettings[] = {
      {"prefs", "homepage_override", TFirefoxOverride::TWhat::Homepage},
      {"url_overrides", "newTabURL", TFirefoxOverride::TWhat::NewTab},
      {"default_search", "defaultSearch", TFirefoxOverride::TWhat::Search},
  };
  for (const TSetting& setting : kSettings) {
    const json* list = Member(Member(Member(&top, setting.store), setting.key), "precedenceList");
    if (list == nullptr || !list->is_array()) continue;
    for (const json& entry : *list) {
      const std::string id = Text(Member(&entry, "id"));
      const std::string value = Text(Member(&entry, "value"));
      if (id.empty() || value.empty() || !OptionalBool(Member(&entry, "enabled")).value_or(true)) continue;
      overrides.push_back({setting.what, id, value});
    }
  }
  return overrides;
}

}  // namespace nq
