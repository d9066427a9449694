// Extensions as findings: the ones that take over the search engine, the home page, the start-up
// pages or the new tab page without coming from a store, the ones loaded from a folder or the
// command line, and the ones a hijacker's policy, key, file, shortcut or task installs. Each row says
// what the extension is, what it changes and where it came from; the repair takes the source away
// first (its own row), then the extension: its entries in the profile's preference files and its
// folders, which go to the Recycle Bin.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "browsers/ExtensionPrefs.h"
#include "browsers/ExtensionText.h"
#include "browsers/Extensions.h"
#include "browsers/Kinds.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "services/CleanHistory.h"
#include "services/FileSearch.h"
#include "services/TextFiles.h"

namespace nq {
namespace {

using platform::EqualNoCase;

bool ContainsNoCase(const std::string& text, const std::string& part) {
  return !part.empty() && platform::Folded(text).find(platform::Folded(part)) != std::string::npos;
}

bool IsPartOfBrowser(TExtensionLocation location) {
  return location == TExtensionLocation::Component || location == TExtensionLocation::ExternalComponent ||
         location == TExtensionLocation::FirefoxBuiltIn;
}

// Loaded from a folder rather than installed: by developer mode, --load-extension or about:debugging.
bool IsLoose(TExtensionLocation location) {
  return location == TExtensionLocation::Unpacked || location == TExtensionLocation::CommandLine ||
         location == TExtensionLocation::FirefoxTemporary;
}

bool ChangesPages(const TExtension& e) {
  return !e.searchUrl.empty() || !e.searchName.empty() || !e.homepage.empty() || !e.newTab.empty() ||
         !e.startupPages.empty();
}

// What it changes, as the row says it.
std::string ChangesSentence(const TExtension& e) {
  std::vector<std::string> parts;
  if (!e.searchUrl.empty() || !e.searchName.empty()) {
    parts.push_back("the search engine to " + (e.searchUrl.empty() ? e.searchName : e.searchUrl));
  }
  if (!e.homepage.empty()) parts.push_back("the home page to " + e.homepage);
  if (!e.startupPages.empty()) parts.push_back("the start-up pages to " + e.startupPages.front());
  if (!e.newTab.empty()) parts.push_back("the new tab page");
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
  }
  return text.empty() ? text : "changes " + text;
}

// Whether a source finding installs the extension: a policy that forces it, an external-extension
// key or an install folder's entry of its id, a shortcut or a task that loads its folder.
bool Installs(const TFinding& source, const TExtension& e) {
  if (source.browser != e.browser) return false;
  switch (source.kind) {
    case TFindingKind::PolicyValue:
    case TFindingKind::PolicyFile: {
      const std::string policy = source.where + "\\" + source.name;
      const bool installing = ContainsNoCase(policy, "ExtensionInstallForcelist") ||
                              ContainsNoCase(policy, "ExtensionSettings") ||
                              (e.browser == "Firefox" && ContainsNoCase(policy, "Extensions"));
      return installing && ContainsNoCase(source.data, e.id);
    }
    case TFindingKind::ExternalExtension: return platform::EndsNoCase(source.where, "\\" + e.id);
    case TFindingKind::ExternalExtensionFile: return EqualNoCase(source.name, e.id);
    case TFindingKind::Shortcut:
    case TFindingKind::Task: return IsLoose(e.location) && !e.path.empty() && ContainsNoCase(source.data, e.path);
    default: return false;
  }
}

std::string SourceRowText(const TFinding& source) {
  switch (source.kind) {
    case TFindingKind::ExternalExtension: return "the registry key " + source.where;
    case TFindingKind::ExternalExtensionFile: return "the file " + source.where;
    case TFindingKind::Shortcut: return "the shortcut " + source.where;
    case TFindingKind::Task: return "the task " + source.where;
    default: return "the policy " + (source.name.empty() ? source.where : source.name);
  }
}

std::string ProfileText(const TBrowserProfile& profile) {
  const std::string folder = profile.folder.substr(profile.folder.rfind('\\') + 1);
  return profile.name.empty() || profile.name == folder ? folder : profile.name + " (" + folder + ")";
}

const TBrowserProfile* ProfileOf(const TExtensionInventory& inventory, const std::string& browser,
                                 const std::string& folder) {
  for (const TBrowserProfile& profile : inventory.profiles) {
    if (profile.browser == browser && EqualNoCase(profile.folder, folder)) return &profile;
  }
  return nullptr;
}

// The file a running browser holds open: Chromium's in its User Data folder, Firefox's in the profile.
std::string LockFile(const TBrowserProfile& profile) {
  return profile.browser == "Firefox" ? profile.folder + "\\parent.lock" : profile.userData + "\\lockfile";
}

// A folder of an extension's own: one that holds its manifest, never a drive's top or a folder
// a name or two below it (a hostile preference naming C:\Users cannot send that to the bin).
bool IsExtensionFolder(const std::string& path) {
  if (path.size() < 3 || path[1] != ':' || std::count(path.begin(), path.end(), '\\') < 3) return false;
  return platform::FileSystem().FileExists(path + "\\manifest.json");
}

}  // namespace

void FindExtensionHijacks(TFindings& findings) {
  const TExtensionInventory inventory = ListExtensions();
  const std::size_t sources = findings.size();
  for (const TExtension& e : inventory.extensions) {
    if (IsPartOfBrowser(e.location)) continue;
    const TBrowserProfile* profile = ProfileOf(inventory, e.browser, e.profileFolder);
    std::vector<const TFinding*> installers;
    for (std::size_t i = 0; i < sources; ++i) {
      if (Installs(findings[i], e)) installers.push_back(&findings[i]);
    }
    const bool offStore = !e.fromWebstore;
    const bool changes = ChangesPages(e);
    // Developer mode is the user's own way to load a folder; --load-extension is nobody's.
    const bool ownDeveloperMode =
        e.location == TExtensionLocation::Unpacked && profile != nullptr && profile->developerMode;
    const bool loose = IsLoose(e.location) && !ownDeveloperMode;
    if (installers.empty() && !changes && !loose) continue;

    TFinding finding;
    finding.kind = TFindingKind::Extension;
    finding.browser = e.browser;
    finding.where = e.profileFolder;
    finding.name = e.id;
    const std::string shownName = e.name.empty() ? e.id : e.name;
    const std::string profileText = profile != nullptr ? ProfileText(*profile) : e.profileFolder;
    const std::string what = ChangesSentence(e);
    std::string from = SourceText(e);
    if (IsLoose(e.location) && !e.path.empty()) from += " from " + e.path;
    finding.data = "'" + shownName + "' (" + profileText + ")" + (what.empty() ? "" : ": " + what) + "; " + from;

    std::string why = "The extension '" + shownName + "'" + (e.version.empty() ? "" : " " + e.version) + " in " +
                      e.browser + "'s profile " + profileText;
    why += what.empty() ? "" : " " + what;
    why += ". Where it came from: " + from + ".";
    if (!installers.empty()) {
      why += " Installed by ";
      for (std::size_t i = 0; i < installers.size(); ++i) why += (i == 0 ? "" : ", ") + SourceRowText(*installers[i]);
      why += ", which the repair removes first.";
    }
    if (profile != nullptr && profile->syncOn) {
      why += " The profile is signed in" + (profile->syncAccount.empty() ? std::string() : " as " + profile->syncAccount) +
             " with sync on: the extension may come back from the account; remove it in " + e.browser +
             " while signed in too.";
    }
    if (!installers.empty()) {
      // Put there by another finding: ticked as that one is (an organization's policy stays).
      finding.ticked = std::any_of(installers.begin(), installers.end(), [](const TFinding* f) { return f->ticked; });
    } else {
      finding.ticked = offStore;
      if (!offStore) why += " It comes from the store: only you know whether you chose it.";
    }
    finding.why = std::move(why);
    findings.push_back(std::move(finding));
  }
}

void RemoveProfileExtensions(const TExtensionInventory& inventory, const std::string& browser,
                             const std::string& profileFolder, const std::vector<const TFinding*>& extensions) {
  const TBrowserProfile* profile = ProfileOf(inventory, browser, profileFolder);
  const auto refuse = [&](const TFinding& f, const std::string& why) {
    RecordChange({.kind = TChange::TKind::File, .path = f.where, .name = f.name, .before = "extension", .after = kNone,
                  .refused = true, .why = why});
  };
  if (profile == nullptr) {
    for (const TFinding* f : extensions) refuse(*f, "the profile is gone since the listing");
    return;
  }
  // A running browser writes its preferences back over any change: nothing of its profile changes.
  if (platform::Files().IsHeldOpen(LockFile(*profile))) {
    for (const TFinding* f : extensions) refuse(*f, "Close " + browser + ", then repair.");
    return;
  }
  std::vector<std::string> ids;
  std::vector<const TExtension*> found;
  for (const TFinding* f : extensions) {
    const auto it = std::find_if(inventory.extensions.begin(), inventory.extensions.end(), [&](const TExtension& e) {
      return e.browser == browser && EqualNoCase(e.profileFolder, profileFolder) && e.id == f->name;
    });
    if (it == inventory.extensions.end()) continue;  // gone since the listing
    ids.push_back(f->name);
    found.push_back(&*it);
  }
  if (ids.empty()) return;

  // The entries first, each preference file replaced whole; then the folders.
  const bool firefox = browser == "Firefox";
  const std::vector<std::string> files =
      firefox ? std::vector<std::string>{"extensions.json"} : std::vector<std::string>{"Secure Preferences", "Preferences"};
  bool entriesGone = true;
  for (const std::string& name : files) {
    const std::string path = profile->folder + "\\" + name;
    if (!platform::FileSystem().FileExists(path)) continue;
    std::string text, rewritten, problem;
    const bool read = ReadTextFile(path, kMaxProfileTextBytes, &text);
    const bool removed = read && (firefox ? RemoveFirefoxAddons(text, ids, &rewritten, &problem)
                                          : RemoveExtensionEntries(text, ids, &rewritten, &problem));
    if (read && !removed && (problem == kHoldsNoneOfTheExtensions || problem == kHoldsNoneOfTheAddons)) continue;
    const bool replaced = removed && ReplaceTextFile(path, rewritten);
    entriesGone = entriesGone && replaced;
    for (const std::string& id : ids) {
      RecordChange({.kind = TChange::TKind::File, .path = path, .name = id, .before = "extension", .after = kNone,
                    .refused = !replaced, .why = replaced ? std::string() : (problem.empty() ? "it could not be read" : problem)});
    }
  }
  // Files an entry no longer names are harmless; files named by an entry still there are not.
  if (!entriesGone) return;
  // Their folders and packages, to the Recycle Bin (the undo record keeps a copy of each).
  std::string recycled;
  for (const TExtension* e : found) {
    std::vector<std::string> folders;
    if (firefox) {
      folders.push_back(profile->folder + "\\extensions\\" + e->id);
    } else {
      folders.push_back(profile->folder + "\\Extensions\\" + e->id);
      folders.push_back(profile->folder + "\\Local Extension Settings\\" + e->id);
    }
    if (IsLoose(e->location) && IsExtensionFolder(e->path)) folders.push_back(e->path);
    for (const std::string& folder : folders) {
      if (FolderExists(folder)) recycled.append(folder).push_back('\0');
    }
    if (firefox) {
      // Its packages, named for it, so that the undo record keeps them too.
      std::string packages;
      for (const std::string& package : {profile->folder + "\\extensions\\" + e->id + ".xpi",
                                         profile->folder + "\\extensions\\staged\\" + e->id + ".xpi"}) {
        if (platform::FileSystem().FileExists(package)) packages.append(package).push_back('\0');
      }
      RecycleFiles(platform::OwnerWindow(), packages, false, e->id);
    }
  }
  RecycleFiles(platform::OwnerWindow(), recycled, false);
}

}  // namespace nq
