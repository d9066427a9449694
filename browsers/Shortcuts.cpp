#include "browsers/Shortcuts.h"

#include <algorithm>

#include "browsers/CommandLine.h"
#include "platform/links.h"
#include "platform/text.h"
#include "services/FileSearch.h"
#include "services/Links.h"
#include "services/MainFunc.h"

namespace nq {
namespace {

constexpr const char* kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kQuickLaunch = "\\Microsoft\\Internet Explorer\\Quick Launch";
// Start menus nest a few folders deep; the bound keeps a folder that contains itself from looping.
constexpr int kMaxDepth = 16;

// A "Shell Folders" value, read only (a standard user may not change the machine's); a value that
// is not text names no folder.
std::string ShellFolder(RegKey root, const std::string& name) {
  TRegistry reg;
  reg.SetRootKey(root);
  reg.SetReadOnly(true);
  if (!reg.OpenKey(kShellFoldersKey, false)) return std::string();
  return reg.ReadText(name).value_or(std::string());
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) out.append(out.empty() ? "" : " ").append(part);
  return out;
}

void SearchFolder(const std::string& folder, bool withSubfolders, int depth, TFindings& findings) {
  ForEachFileWithExtension(folder, ".lnk", [&](const platform::FindData& entry) {
    const std::string name = NameToActOn(entry);
    if (name.empty()) return;
    const std::string path = folder + "\\" + name;
    platform::ShellLink link;
    if (platform::ShellLinks().Load(path, &link) != 0) return;
    const std::string browser = BrowserOfProgram(link.target);
    if (browser.empty()) return;
    const TPlantedArguments planted = FindPlantedArguments(link.arguments);
    if (planted.planted.empty()) return;
    TFinding finding;
    finding.kind = TFindingKind::Shortcut;
    finding.browser = browser;
    finding.where = path;
    finding.name = link.target;
    finding.data = link.arguments;
    finding.why = "The shortcut starts " + browser + " with arguments a hijacker adds: " + Joined(planted.planted);
    // No organisation plants these, but a kiosk opens its page on purpose: one click would break it.
    finding.ticked = !OpensAsKiosk(link.arguments);
    if (!finding.ticked) finding.why += " (a kiosk opens this page on purpose)";
    findings.push_back(std::move(finding));
  });
  if (!withSubfolders || depth >= kMaxDepth || folder.empty() || platform::HasWildcard(folder)) return;
  platform::FindData entry;
  TFileSearch search(platform::FileSystem(), folder + "\\*", &entry);
  if (!search.Found()) return;
  std::vector<std::string> subfolders;
  do {
    if ((entry.attributes & platform::kFileAttributeDirectory) == 0 || entry.name == "." || entry.name == "..") continue;
    const std::string name = NameToActOn(entry);
    if (!name.empty()) subfolders.push_back(folder + "\\" + name);
  } while (search.Next(&entry));
  for (const std::string& sub : subfolders) SearchFolder(sub, true, depth + 1, findings);
}

}  // namespace

std::vector<TShortcutFolder> ShortcutFolders() {
  std::vector<TShortcutFolder> folders;
  auto add = [&](const std::string& path, bool withSubfolders) {
    if (path.empty()) return;
    const bool known = std::any_of(folders.begin(), folders.end(),
                                   [&](const TShortcutFolder& f) { return platform::EqualNoCase(f.path, path); });
    if (!known) folders.push_back({path, withSubfolders});
  };
  add(ShellFolder(kHkeyCurrentUser, "Desktop"), false);
  add(ShellFolder(kHkeyLocalMachine, "Common Desktop"), false);
  add(ShellFolder(kHkeyCurrentUser, "Start Menu"), true);
  add(ShellFolder(kHkeyLocalMachine, "Common Start Menu"), true);
  const std::string appData = ShellFolder(kHkeyCurrentUser, "AppData");
  if (!appData.empty()) {
    const std::string quickLaunch = appData + kQuickLaunch;
    add(quickLaunch, false);
    add(quickLaunch + "\\User Pinned\\TaskBar", false);
    add(quickLaunch + "\\User Pinned\\StartMenu", true);
  }
  return folders;
}

TFindings FindShortcutHijacks() {
  TFindings findings;
  for (const TShortcutFolder& folder : ShortcutFolders()) SearchFolder(folder.path, folder.withSubfolders, 0, findings);
  return findings;
}

TOutcome RepairShortcut(const TFinding& finding, bool dryRun) {
  TChangeRecorder recorder(dryRun);
  TChange change{.kind = TChange::TKind::Shortcut, .path = finding.where, .before = finding.data, .after = finding.data};
  platform::ShellLink link;
  if (platform::ShellLinks().Load(finding.where, &link) != 0) {
    // Gone or unreadable since it was listed: nothing is written.
    change.after = FindPlantedArguments(finding.data).kept;
    change.refused = true;
    RecordChange(change);
    return {false, recorder.Take()};
  }
  const TPlantedArguments planted = FindPlantedArguments(link.arguments);
  if (planted.planted.empty()) return {true, recorder.Take()};  // clean already
  const bool saved = !SaveShortcutArguments(finding.where, link.arguments, planted.kept).refused;
  return {saved, recorder.Take()};
}

}  // namespace nq
