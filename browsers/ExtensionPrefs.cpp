#include "browsers/ExtensionPrefs.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>

#include "browsers/JsonCuts.h"
#include "browsers/JsonNesting.h"

namespace nq {
namespace {

// Only to check the text and the edit; the edit itself is made on the text, never re-serialised:
// a re-serialised double ("rawScore": 4.1) or a long integer would come back spelt differently.
using json = nlohmann::ordered_json;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Cuts the string elements of the array at `array` that are among `ids`.
void CutStrings(const Walker& walker, std::size_t array, const std::vector<std::string>& ids, std::vector<Cut>* cuts) {
  std::vector<Walker::Item> items;
  if (!walker.Items(array, &items)) return;
  std::vector<bool> remove(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    remove[i] = walker.At(items[i].value) == '"' && Listed(ids, walker.Decoded(items[i].value, items[i].end));
  }
  CutItems(items, remove, cuts);
}

// Reads a profile's JSON within the limits: false, with `problem`, for anything else.
bool Parse(const std::string& text, const char* what, json* value, std::string* problem) {
  if (text.size() > kMaxProfileJsonBytes) {
    *problem = std::string("too large to be ") + what;
    return false;
  }
  if (JsonNesting(text) > kMaxProfileJsonNesting) {
    *problem = std::string("nested too deeply to be ") + what;
    return false;
  }
  // Invalid UTF-8 inside a string fails here too; a byte-order mark is passed over. The parser
  // would stop at a NUL and take it for the end; the browser's reader refuses the file.
  *value = json::parse(text, nullptr, false);
  if (value->is_discarded() || text.find('\0') != std::string::npos) {
    *problem = std::string("not valid JSON");
    return false;
  }
  if (!value->is_object()) {
    *problem = std::string("not a JSON object");
    return false;
  }
  return true;
}

// The member `key` of `object` when it is of the kind asked, else null.
json* Child(json* object, const char* key, json::value_t kind) {
  if (object == nullptr || !object->is_object()) return nullptr;
  const auto it = object->find(key);
  return it != object->end() && it->type() == kind ? &*it : nullptr;
}

std::size_t EraseKeys(json* object, const std::vector<std::string>& ids) {
  std::size_t erased = 0;
  if (object == nullptr) return 0;
  for (const std::string& id : ids) erased += object->erase(id);
  return erased;
}

template <typename Predicate>
std::size_t EraseElements(json* array, Predicate matches) {
  if (array == nullptr) return 0;
  const std::size_t before = array->size();
  json kept = json::array();
  for (json& element : *array) {
    if (!matches(element)) kept.push_back(std::move(element));
  }
  *array = std::move(kept);
  return before - array->size();
}

// Makes the cuts, then reads the result back: it must be what removing the entries from the parsed
// text gives (`expected`), or nothing is returned. The offsets walk and the parser thus check each
// other, on duplicate keys and escapes as much as on plain text.
bool Finish(const std::string& text, const std::vector<Cut>& cuts, const json& expected, std::string* result,
            std::string* problem) {
  std::string edited;
  if (!ApplyCuts(text, cuts, &edited) || json::parse(edited, nullptr, false) != expected) {
    *problem = "could not be edited in place";
    return false;
  }
  *result = std::move(edited);
  return true;
}

template <typename Edit>
bool Guarded(std::string* result, std::string* problem, Edit edit) {
  std::string ignored;
  if (problem == nullptr) problem = &ignored;
  if (result == nullptr) {
    *problem = "nowhere to put the result";
    return false;
  }
  try {
    return edit(result, problem);
  } catch (...) {
    // Only an allocation can throw here: a text within the limits that the machine cannot hold.
    *problem = "too large to edit in memory";
    return false;
  }
}

}  // namespace

// Chromium tracks "extensions.settings" as a split preference: each extension's entry has its own
// MAC, at "protection.macs.extensions.settings.<id>" in the same file as the entry (Secure
// Preferences where settings are enforced, as on Windows outside a domain; Preferences elsewhere),
// and newer versions add an encrypted hash at "protection.macs.extensions.settings_encrypted_hash.<id>".
// On load the hash store compares the entries with the MACs key by key:
//  - an entry whose MAC is also gone is not looked at: nothing is reported or reset;
//  - an entry without its MAC, or whose MAC does not match, is "changed": with enforcement the entry
//    is dropped and the profile is marked as reset, which the browser then tells the user about;
//  - a MAC without its entry also makes the preference "changed" (or "cleared" when no entry is left).
// So both go together. "protection.super_mac" is a MAC over the whole of "protection.macs"; taking a
// MAC out invalidates it. That only matters for a tracked value that has no MAC of its own (an
// untrusted store resets such a value, a trusted one adopts it): values whose MACs match are
// unchanged, and missing ones stay missing. The browser then stamps a new super MAC. So the edit
// leaves the super MAC alone and never takes away a MAC dictionary that still covers entries, such
// as "protection.macs.extensions.settings" when other extensions remain: without it every remaining
// entry would be one without a MAC, and under an invalid super MAC the whole of
// "extensions.settings" would be reset.
// Outside these files' tracked parts, the toolbar keeps extension ids in "extensions.pinned_extensions"
// (and, in older versions, "extensions.toolbar"): the ids go from there too, so that nothing refers
// to an extension that is gone.
bool RemoveExtensionEntries(const std::string& text, const std::vector<std::string>& ids, std::string* result,
                            std::string* problem) {
  return Guarded(result, problem, [&](std::string* out, std::string* why) {
    json prefs;
    if (!Parse(text, "a preferences file", &prefs, why)) return false;

    // What the file holds once the extensions are out, as the parser sees it.
    std::size_t removed = 0;
    json* extensions = Child(&prefs, "extensions", json::value_t::object);
    removed += EraseKeys(Child(extensions, "settings", json::value_t::object), ids);
    for (const char* list : {"pinned_extensions", "toolbar"}) {
      removed += EraseElements(Child(extensions, list, json::value_t::array), [&ids](const json& element) {
        return element.is_string() && Listed(ids, element.get<std::string>());
      });
    }
    json* macs = Child(Child(Child(&prefs, "protection", json::value_t::object), "macs", json::value_t::object),
                       "extensions", json::value_t::object);
    for (const char* hashes : {"settings", "settings_encrypted_hash"}) {
      removed += EraseKeys(Child(macs, hashes, json::value_t::object), ids);
    }
    if (removed == 0) {
      const bool oddSettings = extensions != nullptr && extensions->contains("settings") &&
                               !(*extensions)["settings"].is_object();
      *why = oddSettings ? "its extensions.settings is not an object" : kHoldsNoneOfTheExtensions;
      return false;
    }

    // The same entries, cut out of the text.
    const Walker walker(text);
    std::vector<Cut> cuts;
    const std::size_t root = walker.SkipSpace(text.rfind(kBom, 0) == 0 ? kBom.size() : 0);
    for (const std::size_t ext : walker.Members(root, "extensions", '{')) {
      for (const std::size_t settings : walker.Members(ext, "settings", '{')) CutMembers(walker, settings, ids, &cuts);
      for (const char* list : {"pinned_extensions", "toolbar"}) {
        for (const std::size_t array : walker.Members(ext, list, '[')) CutStrings(walker, array, ids, &cuts);
      }
    }
    for (const std::size_t protection : walker.Members(root, "protection", '{')) {
      for (const std::size_t macsAt : walker.Members(protection, "macs", '{')) {
        for (const std::size_t extAt : walker.Members(macsAt, "extensions", '{')) {
          for (const char* hashes : {"settings", "settings_encrypted_hash"}) {
            for (const std::size_t object : walker.Members(extAt, hashes, '{')) CutMembers(walker, object, ids, &cuts);
          }
        }
      }
    }
    return Finish(text, cuts, prefs, out, why);
  });
}

// Firefox keeps its add-ons in three places: the file itself in the profile's "extensions" folder
// (<id>.xpi, or a folder or a one-line proxy file naming one elsewhere), the database
// extensions.json, and the start-up list addonStartup.json.lz4 (LZ4-compressed). At start-up it
// loads the add-ons the start-up list names, without the database; with the same build as last
// time and the default "extensions.startupScanScopes" of 0 it does not even look at the profile's
// folder then. A full scan follows soon after start-up (the check for side-loaded add-ons) and
// after every update: an add-on whose file is gone is then dropped from both lists, which the
// browser rewrites. So the file is what counts: with the file gone the add-on cannot load (its
// start-up entry names a file that is not there), and the lists catch up by themselves; the
// compressed start-up list need not be touched. Taking the entry out of extensions.json as well
// keeps the add-ons page from showing it until then. The reverse does not hold: with only the
// entry gone and the file left, the next full scan finds the file and installs it again. A file
// waiting in "extensions\staged" is installed at the next start-up and must go as well.
bool RemoveFirefoxAddons(const std::string& extensionsJson, const std::vector<std::string>& ids,
                         std::string* result, std::string* problem) {
  return Guarded(result, problem, [&](std::string* out, std::string* why) {
    json database;
    if (!Parse(extensionsJson, "an add-ons database", &database, why)) return false;
    // An add-on's entry is an object whose "id" is one of `ids`.
    const auto named = [&ids](const json& addon) {
      const auto id = addon.is_object() ? addon.find("id") : addon.end();
      return addon.is_object() && id != addon.end() && id->is_string() && Listed(ids, id->get<std::string>());
    };
    json* addons = Child(&database, "addons", json::value_t::array);
    if (EraseElements(addons, named) == 0) {
      *why = database.contains("addons") && addons == nullptr ? "its addons is not a list"
                                                               : kHoldsNoneOfTheAddons;
      return false;
    }

    const Walker walker(extensionsJson);
    std::vector<Cut> cuts;
    const std::size_t root = walker.SkipSpace(extensionsJson.rfind(kBom, 0) == 0 ? kBom.size() : 0);
    for (const std::size_t array : walker.Members(root, "addons", '[')) {
      std::vector<Walker::Item> items;
      if (!walker.Items(array, &items)) continue;
      std::vector<bool> remove(items.size());
      for (std::size_t i = 0; i < items.size(); ++i) {
        std::vector<Walker::Item> fields;
        if (walker.At(items[i].value) != '{' || !walker.Items(items[i].value, &fields)) continue;
        // The last "id" is the one a reader keeps.
        for (const Walker::Item& field : fields) {
          if (field.key == "id") remove[i] = walker.At(field.value) == '"' && Listed(ids, walker.Decoded(field.value, field.end));
        }
      }
      CutItems(items, remove, &cuts);
    }
    return Finish(extensionsJson, cuts, database, out, why);
  });
}

}  // namespace nq
