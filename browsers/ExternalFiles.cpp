// The extensions a Chromium browser's install folder lists for installing, as findings.
//
// What Chromium reads on Windows (chrome/browser/extensions/external_provider_impl.cc): besides the
// policies and the registry's Extensions keys (Scan.cpp), one loader of files, the pre-installed
// apps' ExternalPrefLoader on DIR_DEFAULT_APPS: "default_apps" beside chrome.dll, that is
// <Application>\<version>\default_apps. The "External Extensions" folders (DIR_EXTERNAL_EXTENSIONS,
// the user's DIR_USER_EXTERNAL_EXTENSIONS, DIR_STANDALONE_EXTERNAL_EXTENSIONS) are read on Mac,
// Linux and ChromeOS only, never on Windows. The loader takes the folder's external_extensions.json,
// one object keyed by extension id, and every other *.json file of the folder as the one entry of
// the id its name gives. An entry is {"external_update_url": address} or {"external_crx": path,
// "external_version": version} (a relative path is taken from the folder); an entry with both, with
// neither, or with a version beside an address, and an id that is not 32 letters a to p, are passed
// over. The reader allows // and /* */ comments, and Chromium's own file has them. What the folder
// lists goes into each new profile (and after a new install), marked as coming from the store. Edge
// and Brave are built on the same code, in their own Application folders.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/BrowserKeys.h"
#include "browsers/JsonCuts.h"
#include "browsers/JsonNesting.h"
#include "browsers/Kinds.h"
#include "browsers/PolicyText.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "services/CleanHistory.h"
#include "services/FileSearch.h"
#include "services/TextFiles.h"

namespace nq {
namespace {

using json = nlohmann::ordered_json;

constexpr std::size_t kMaxListBytes = 4u << 20;
// Chromium's reader stops at the same depth.
constexpr int kMaxListNesting = 200;
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr const char* kListFile = "external_extensions.json";

struct TChromiumProgram {
  const char* browser;
  const char* exe;
  const char* folder;  // under Program Files, or the local application data folder
};
constexpr TChromiumProgram kPrograms[] = {
    {"Edge", "msedge.exe", "Microsoft\\Edge\\Application"},
    {"Chrome", "chrome.exe", "Google\\Chrome\\Application"},
    {"Brave", "brave.exe", "BraveSoftware\\Brave-Browser\\Application"},
};

// The apps Chromium's own default_apps lists (its makers' mail, video, drive, documents, sheets
// and slides apps). An extension's id is the hash of the key that signs its package, and Chromium
// installs a listed package only when its id is the one listed: no one else's extension comes in
// under these ids.
constexpr std::string_view kOwnApps[] = {
    "blpcfgokakmgnkcojhhkbfbldkacnbeo", "pjkljhegncpnkpknbcohdijeoejaedia", "apdfllckaahabafndbhieahigkjlhalf",
    "aohghmighlieiainnegkcijnfilokake", "aapocclcgogkmnckokdopfmhonfmgoek", "felcaaldnbdncclmgdcncolpebgiejap",
    "ghbmnnjooekpmoecnnnilnnbdlolhkhi",
};

// 32 letters from a to p, in either case, as Chromium takes an id.
bool IsExtensionId(std::string_view id) {
  return id.size() == 32 && std::all_of(id.begin(), id.end(), [](char c) {
           const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
           return lower >= 'a' && lower <= 'p';
         });
}

bool IsVersionName(const std::string& name) {
  return !name.empty() && std::isdigit(static_cast<unsigned char>(name[0])) &&
         std::all_of(name.begin(), name.end(), [](char c) { return c == '.' || std::isdigit(static_cast<unsigned char>(c)); });
}

bool IsListFile(const std::string& path) { return platform::EndsNoCase(path, std::string("\\") + kListFile); }

// A file's text as Chromium reads it: false, with `problem`, for one it cannot.
bool ParseList(const std::string& path, json* value, std::string* text, std::string* problem) {
  if (!ReadTextFile(path, kMaxListBytes, text)) {
    *problem = "cannot be read, or is too large to be an extensions file";
    return false;
  }
  if (JsonNesting(*text) > kMaxListNesting) {
    *problem = "nested too deeply to be an extensions file";
    return false;
  }
  *value = json::parse(*text, nullptr, false, true);
  if (value->is_discarded() || text->find('\0') != std::string::npos) {
    *problem = "not valid JSON";
    return false;
  }
  return true;
}

// What an entry installs, as Chromium reads it: the address, or the package's full path with its
// version; false for an entry it passes over.
bool ReadEntry(const json& entry, const std::string& folder, std::string* data, bool* fromFile) {
  if (!entry.is_object()) return false;
  const auto crx = entry.find("external_crx");
  const auto update = entry.find("external_update_url");
  const auto version = entry.find("external_version");
  const bool hasCrx = crx != entry.end() && crx->is_string();
  const bool hasUpdate = update != entry.end() && update->is_string();
  const bool hasVersion = version != entry.end();
  if (hasCrx == hasUpdate || hasCrx != hasVersion || (hasVersion && !version->is_string())) return false;
  *fromFile = hasCrx;
  if (hasUpdate) {
    *data = update->get<std::string>();
    return true;
  }
  std::string path = crx->get<std::string>();
  const bool absolute = (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
                        path.starts_with("\\\\") || path.starts_with("//");
  if (!absolute) path = folder + "\\" + path;
  *data = path + " (version " + version->get<std::string>() + ")";
  return true;
}

void AddEntry(const char* browser, const std::string& path, const std::string& id, const std::string& data, bool fromFile,
              TFindings& findings) {
  TFinding finding;
  finding.kind = TFindingKind::ExternalExtensionFile;
  finding.browser = browser;
  finding.where = path;
  finding.name = id;
  finding.data = data;
  const std::string lower = Folded(id);
  const std::string into = std::string(" into every new ") + browser + " profile";
  if (std::find(std::begin(kOwnApps), std::end(kOwnApps), lower) != std::end(kOwnApps)) {
    finding.why = "One of the apps the browser itself installs" + into + "; left alone unless you tick it.";
  } else if (fromFile) {
    finding.why = "Installs an extension" + into + " from a file on this computer, outside any store.";
    finding.ticked = true;
  } else if (!IsStoreAddress(data)) {
    finding.why = "Installs an extension" + into + " from a site outside the browser's store.";
    finding.ticked = true;
  } else {
    finding.why = "Installs an extension" + into + " from the browser's store; left alone unless you tick it.";
  }
  findings.push_back(std::move(finding));
}

void AddUnreadable(const char* browser, const std::string& path, const std::string& problem, TFindings& findings) {
  TFinding finding;
  finding.kind = TFindingKind::UnreadableFile;
  finding.browser = browser;
  finding.where = path;
  finding.why = "The extensions file is " + problem + "; the browser passes it over. It is shown, never rewritten.";
  findings.push_back(std::move(finding));
}

// One file of a default_apps folder: the list, or an <id>.json.
void ReadDefaultAppsFile(const char* browser, const std::string& folder, const std::string& name, TFindings& findings) {
  const std::string path = folder + "\\" + name;
  const bool list = EqualNoCase(name, kListFile);
  const std::string id = name.substr(0, name.size() - 5);
  if (!list && !IsExtensionId(id)) return;  // not read
  json value;
  std::string text, problem;
  if (!ParseList(path, &value, &text, &problem)) {
    AddUnreadable(browser, path, problem, findings);
    return;
  }
  std::string data;
  bool fromFile = false;
  if (!list) {
    if (ReadEntry(value, folder, &data, &fromFile)) AddEntry(browser, path, id, data, fromFile, findings);
    return;
  }
  if (!value.is_object()) return;
  for (const auto& [key, entry] : value.items()) {
    if (IsExtensionId(key) && ReadEntry(entry, folder, &data, &fromFile)) AddEntry(browser, path, key, data, fromFile, findings);
  }
}

// The list without the entries `ids`, every other byte kept; false, with `problem`, when it
// cannot be edited so.
bool RemoveEntries(const std::string& text, const json& parsed, const std::vector<std::string>& ids, std::string* result,
                   std::string* problem) {
  json expected = parsed;
  for (const std::string& id : ids) expected.erase(id);
  const Walker walker(text);
  std::vector<Cut> cuts;
  CutMembers(walker, walker.SkipSpace(text.rfind(kBom, 0) == 0 ? kBom.size() : 0), ids, &cuts);
  std::string edited;
  if (!ApplyCuts(text, cuts, &edited) || json::parse(edited, nullptr, false, true) != expected) {
    *problem = "could not be edited in place";
    return false;
  }
  *result = std::move(edited);
  return true;
}

void Record(const std::string& path, const TFinding& entry, const std::string& after, bool refused, const std::string& why) {
  RecordChange({.kind = TChange::TKind::File, .path = path, .name = entry.name, .before = entry.data, .after = after,
                .refused = refused, .why = why});
}

}  // namespace

void FindExternalExtensionFiles(TFindings& findings) {
  for (const TChromiumProgram& program : kPrograms) {
    for (const std::string& application : ProgramFolders(program.exe, program.folder, true)) {
      // Each version's folder: while an update waits, the next version's is there beside the running one's.
      std::vector<std::string> versions;
      platform::FindData entry;
      {
        TFileSearch search(platform::FileSystem(), application + "\\*", &entry);
        if (search.Found()) {
          do {
            if ((entry.attributes & platform::kFileAttributeDirectory) != 0 && IsVersionName(entry.name)) versions.push_back(entry.name);
          } while (search.Next(&entry));
        }
      }
      std::sort(versions.begin(), versions.end());
      for (const std::string& version : versions) {
        const std::string folder = application + "\\" + version + "\\default_apps";
        std::vector<std::string> names;
        ForEachFileWithExtension(folder, ".json", [&names](const platform::FindData& file) {
          const std::string name = NameToActOn(file);
          if (!name.empty()) names.push_back(name);
        });
        // The list first, then the files of one entry each.
        std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
          return EqualNoCase(a, kListFile) && !EqualNoCase(b, kListFile);
        });
        for (const std::string& name : names) ReadDefaultAppsFile(program.browser, folder, name, findings);
      }
    }
  }
}

void RepairExternalExtensionFile(const std::string& path, const std::vector<const TFinding*>& entries) {
  json value;
  std::string text, problem;
  if (!platform::FileSystem().FileExists(path)) return;  // gone since the listing: nothing to take back
  if (!ParseList(path, &value, &text, &problem)) {
    for (const TFinding* entry : entries) Record(path, *entry, kNone, true, "it is " + problem + " now");
    return;
  }
  if (!IsListFile(path)) {
    // A file of one entry goes whole, to the Recycle Bin (the undo record keeps a copy).
    TChanges recycled;
    {
      TChangeRecorder inner(false);
      RecycleFiles(platform::OwnerWindow(), path + '\0', false);
      recycled = inner.Take();
    }
    const bool refused = recycled.empty() || recycled.front().refused;
    for (const TFinding* entry : entries) Record(path, *entry, "Recycle Bin", refused, "");
    return;
  }
  std::vector<std::string> ids;
  for (const TFinding* entry : entries) {
    if (value.is_object() && value.contains(entry->name)) ids.push_back(entry->name);
  }
  if (ids.empty()) return;  // gone since the listing
  std::string rewritten;
  const bool removed = RemoveEntries(text, value, ids, &rewritten, &problem);
  const bool replaced = removed && ReplaceTextFile(path, rewritten);
  for (const TFinding* entry : entries) {
    if (std::find(ids.begin(), ids.end(), entry->name) == ids.end()) continue;
    Record(path, *entry, kNone, !replaced, removed ? std::string() : problem);
  }
}

}  // namespace nq
