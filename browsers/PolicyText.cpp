#include "browsers/PolicyText.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

#include "browsers/BrowserKeys.h"
#include "browsers/JsonNesting.h"
#include "platform/text.h"

namespace nq {
namespace {

// Kept in the order the file has them, so a rewrite changes only what it removes.
using json = nlohmann::ordered_json;

using platform::StartsNoCase;

// Parses a policies text within the limits; false (with `problem`) for anything else.
bool Parse(const std::string& text, json* result, std::string* problem) {
  if (text.size() > kMaxPolicyTextBytes) {
    *problem = "too large to be a policies file";
    return false;
  }
  if (JsonNesting(text) > kMaxPolicyNesting) {
    *problem = "nested too deeply to be a policies file";
    return false;
  }
  // Invalid UTF-8 inside a string fails here too.
  *result = json::parse(text, nullptr, false);
  if (result->is_discarded()) {
    *problem = "not valid JSON";
    return false;
  }
  return true;
}

// A string member of an object, or empty.
std::string Text(const json& object, const char* name) {
  const auto it = object.find(name);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool Forces(const json& settings) {
  for (const auto& [id, entry] : settings.items()) {
    // A key may be an update address itself: settings for every extension served from there.
    if (StartsNoCase(id, "http") && !IsStoreAddress(id)) return true;
    if (!entry.is_object()) continue;
    const std::string mode = Text(entry, "installation_mode");
    if (mode == "force_installed" || mode == "normal_installed") return true;
    for (const char* address : {"update_url", "install_url"}) {
      const std::string url = Text(entry, address);
      if (!url.empty() && !IsStoreAddress(url)) return true;
    }
  }
  return false;
}

// The policies of a policies file that a hijacker sets; for "Extensions" only its Install and
// Locked lists.
bool IsHijackPolicy(const std::string& name, const json& value) {
  bool judged = false;
  if (PolicyWhy(TPolicyAt::FirefoxFile, name, &judged) == nullptr) return false;
  if (!judged) return true;
  if (name == "ExtensionSettings") return !value.is_object() || Forces(value);
  return value.is_object() && (value.contains("Install") || value.contains("Locked"));
}

}  // namespace

bool IsStoreAddress(const std::string& url) {
  static const char* const kStores[] = {
      "https://clients2.google.com/service/update2/crx",
      "http://clients2.google.com/service/update2/crx",
      "https://edge.microsoft.com/extensionwebstorebase/v1/crx",
      "https://addons.mozilla.org/",
  };
  return std::any_of(std::begin(kStores), std::end(kStores),
                     [&url](const char* store) { return StartsNoCase(url, store); });
}

TExtensionSettings ScanExtensionSettings(const std::string& text) {
  json settings;
  std::string problem;
  if (!Parse(text, &settings, &problem) || !settings.is_object()) return TExtensionSettings::Invalid;
  return Forces(settings) ? TExtensionSettings::Forces : TExtensionSettings::Harmless;
}

TPolicyFileScan ScanPolicyFile(const std::string& text) {
  TPolicyFileScan scan;
  json file;
  if (!Parse(text, &file, &scan.problem)) return scan;
  scan.readable = true;
  if (!file.is_object()) return scan;
  const auto policies = file.find("policies");
  if (policies == file.end() || !policies->is_object()) return scan;
  for (const auto& [name, value] : policies->items()) {
    if (IsHijackPolicy(name, value)) scan.policies.push_back({name, value.dump()});
  }
  return scan;
}

bool RemovePolicies(const std::string& text, const std::vector<std::string>& names, std::string* result) {
  json file;
  std::string problem;
  if (!Parse(text, &file, &problem) || !file.is_object()) return false;
  const auto policies = file.find("policies");
  if (policies == file.end() || !policies->is_object()) return false;
  bool removed = false;
  for (const std::string& name : names) {
    const auto it = policies->find(name);
    if (it == policies->end() || !IsHijackPolicy(name, *it)) continue;
    if (name == "Extensions") {
      // Only the lists that install or lock extensions; what else it holds stays.
      it->erase("Install");
      it->erase("Locked");
      if (it->empty()) policies->erase(it);
    } else {
      policies->erase(it);
    }
    removed = true;
  }
  if (removed) {
    // A byte-order mark the file began with stays: the parser passes over it, the rewrite keeps it.
    const std::string bom = text.rfind("\xEF\xBB\xBF", 0) == 0 ? "\xEF\xBB\xBF" : "";
    *result = bom + file.dump(2) + "\n";
    // Laid out, a file near the limit could pass it and no longer be read back: then compact.
    if (result->size() > kMaxPolicyTextBytes) *result = bom + file.dump();
  }
  return removed;
}

}  // namespace nq
