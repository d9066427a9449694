#include "browsers/ExtensionPrefs.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>

#include "browsers/JsonNesting.h"

namespace nq {
namespace {

// Only to check the text and the edit; the edit itself is made on the text, never re-serialised:
// a re-serialised double ("rawScore": 4.1) or a long integer would come back spelt differently.
using json = nlohmann::ordered_json;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// A cut: bytes [begin, end) of the text go.
using Cut = std::pair<std::size_t, std::size_t>;

// Walks a JSON text that the parser has already accepted, by offsets, so that an edit can take out
// exactly the bytes of one member or element. Every step is bounded by the text's end: on anything
// unexpected it reports failure rather than reading past it.
class Walker {
 public:
  static constexpr std::size_t kNone = std::string_view::npos;

  explicit Walker(std::string_view text) : text_(text) {}

  std::size_t SkipSpace(std::size_t pos) const {
    while (pos < text_.size() && (text_[pos] == ' ' || text_[pos] == '\t' || text_[pos] == '\n' || text_[pos] == '\r')) {
      ++pos;
    }
    return pos;
  }

  char At(std::size_t pos) const { return pos < text_.size() ? text_[pos] : '\0'; }

  // One past the closing quote of the string whose opening quote is at `pos`.
  std::size_t StringEnd(std::size_t pos) const {
    if (At(pos) != '"') return kNone;
    for (std::size_t i = pos + 1; i < text_.size(); ++i) {
      if (text_[i] == '\\') ++i;
      else if (text_[i] == '"') return i + 1;
    }
    return kNone;
  }

  // One past the value that begins at `pos`.
  std::size_t ValueEnd(std::size_t pos) const {
    const char first = At(pos);
    if (first == '"') return StringEnd(pos);
    if (first == '{' || first == '[') {
      int depth = 0;
      for (std::size_t i = pos; i < text_.size(); ++i) {
        const char c = text_[i];
        if (c == '"') {
          const std::size_t end = StringEnd(i);
          if (end == kNone) return kNone;
          i = end - 1;
        } else if (c == '{' || c == '[') {
          ++depth;
        } else if ((c == '}' || c == ']') && --depth == 0) {
          return i + 1;
        }
      }
      return kNone;
    }
    // A number, true, false or null.
    std::size_t i = pos;
    while (i < text_.size() && std::string_view(",}] \t\r\n").find(text_[i]) == std::string_view::npos) ++i;
    return i == pos ? kNone : i;
  }

  // A string token's text, escapes undone.
  std::string Decoded(std::size_t begin, std::size_t end) const {
    const std::string_view token = text_.substr(begin, end - begin);
    if (token.find('\\') == std::string_view::npos) return std::string(token.substr(1, token.size() - 2));
    const json value = json::parse(token, nullptr, false);
    return value.is_string() ? value.get<std::string>() : std::string();
  }

  // A member of an object (with its key) or an element of an array: [begin, end) is the whole of
  // it, from the key's opening quote or the value's first byte to the value's last.
  struct Item {
    std::string key;
    std::size_t begin = 0, value = 0, end = 0;
  };

  // The members of the object, or the elements of the array, that begins at `pos`.
  bool Items(std::size_t pos, std::vector<Item>* items) const {
    const char open = At(pos);
    if (open != '{' && open != '[') return false;
    const char close = open == '{' ? '}' : ']';
    std::size_t i = SkipSpace(pos + 1);
    if (At(i) == close) return true;
    for (;;) {
      Item item;
      item.begin = i;
      if (open == '{') {
        const std::size_t keyEnd = StringEnd(i);
        if (keyEnd == kNone) return false;
        item.key = Decoded(i, keyEnd);
        i = SkipSpace(keyEnd);
        if (At(i) != ':') return false;
        i = SkipSpace(i + 1);
      }
      item.value = i;
      item.end = ValueEnd(i);
      if (item.end == kNone) return false;
      items->push_back(std::move(item));
      i = SkipSpace(items->back().end);
      if (At(i) == close) return true;
      if (At(i) != ',') return false;
      i = SkipSpace(i + 1);
    }
  }

  // Where the values of the object's members named `key` begin, for those that are objects
  // (`kind` '{') or arrays ('['). A key may appear more than once; each is taken.
  std::vector<std::size_t> Members(std::size_t object, std::string_view key, char kind) const {
    std::vector<std::size_t> found;
    std::vector<Item> items;
    if (At(object) != '{' || !Items(object, &items)) return found;
    for (const Item& item : items) {
      if (item.key == key && At(item.value) == kind) found.push_back(item.value);
    }
    return found;
  }

 private:
  std::string_view text_;
};

// The cuts that take the marked items out of their container, commas with them: a run of items
// goes with the separator before it when a kept item precedes it, else with the separator after it;
// when nothing is kept, the items go and the brackets stay.
void CutItems(const std::vector<Walker::Item>& items, const std::vector<bool>& remove, std::vector<Cut>* cuts) {
  const std::size_t count = items.size();
  std::size_t i = 0;
  while (i < count) {
    if (!remove[i]) {
      ++i;
      continue;
    }
    std::size_t last = i;
    while (last + 1 < count && remove[last + 1]) ++last;
    if (i > 0) cuts->emplace_back(items[i - 1].end, items[last].end);
    else if (last + 1 < count) cuts->emplace_back(items[i].begin, items[last + 1].begin);
    else cuts->emplace_back(items[i].begin, items[last].end);
    i = last + 1;
  }
}

bool Listed(const std::vector<std::string>& ids, const std::string& id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Cuts the members of the object at `object` whose keys are among `ids`.
void CutMembers(const Walker& walker, std::size_t object, const std::vector<std::string>& ids, std::vector<Cut>* cuts) {
  std::vector<Walker::Item> items;
  if (!walker.Items(object, &items)) return;
  std::vector<bool> remove(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) remove[i] = Listed(ids, items[i].key);
  CutItems(items, remove, cuts);
}

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

// The text without the cut bytes; false when two cuts overlap (no edit here makes such cuts).
bool ApplyCuts(const std::string& text, std::vector<Cut> cuts, std::string* result) {
  std::sort(cuts.begin(), cuts.end());
  std::string edited;
  edited.reserve(text.size());
  std::size_t kept = 0;
  for (const auto& [begin, end] : cuts) {
    if (begin < kept || end < begin || end > text.size()) return false;
    edited.append(text, kept, begin - kept);
    kept = end;
  }
  edited.append(text, kept, std::string::npos);
  *result = std::move(edited);
  return true;
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
