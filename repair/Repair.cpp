// The one-click repair of the browser's settings: a fixed list of registry steps, then the hijack
// cleaner when asked for. The steps are data so that their order and their keys can be read at a
// glance.
#include "repair/Repair.h"

#include "services/MainFunc.h"

namespace nq {
namespace {

// Where the browser's search settings point after the repair: the browser maker's own search
// redirector.
constexpr const char* kSearchRedirect = "http://www.microsoft.com/isapi/redir.dll?prd=ie&ar=iesearch";

enum class TRepairOp { DeleteKey, DeleteValue, WriteString };

struct TRepairStep {
  TRepairOp op;
  RegKey root;
  const char* key;
  const char* name = "";
  const char* data = "";
};

constexpr RegKey HKCU = kHkeyCurrentUser;
constexpr RegKey HKLM = kHkeyLocalMachine;
constexpr TRepairOp kDelKey = TRepairOp::DeleteKey;
constexpr TRepairOp kDelValue = TRepairOp::DeleteValue;
constexpr TRepairOp kWrite = TRepairOp::WriteString;

constexpr const char* kIeMain = "\\Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kIeSearch = "\\SOFTWARE\\Microsoft\\Internet Explorer\\Search";
constexpr const char* kExplorerPolicies = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kDosPolicies = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WinOldApp";
constexpr const char* kWinlogon = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Winlogon";
constexpr const char* kSaveRestrictions = "\\Software\\Policies\\Microsoft\\Internet Explorer\\Infodelivery\\Restrictions";

// Run in this order, each on its own; a step whose key is missing or refused does nothing. No
// restriction is set to 0: every one is deleted. Writes go only into keys that exist.
constexpr TRepairStep kRepairSteps[] = {
    // The browser's menu and Internet Options restrictions, with everything below them.
    {kDelKey, HKCU, "\\Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions"},
    {kDelKey, HKCU, "\\Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel"},
    {kDelKey, HKLM, "\\Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel"},
    {kDelKey, HKLM, "\\Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions"},
    // Start page, links folder name, Internet zone name.
    {kWrite, HKCU, kIeMain, "Start Page", "about:blank"},
    {kWrite, HKCU, "\\Software\\Microsoft\\Internet Explorer\\Toolbar", "LinksFolderName", "Links"},
    {kWrite, HKCU, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3", "DisplayName",
     "Internet"},
    // Window title, first home page and search settings.
    {kDelValue, HKCU, kIeMain, "Window Title"},
    {kDelValue, HKCU, kIeMain, "First Home Page"},
    {kDelValue, HKCU, kIeMain, "Default_Search_URL"},
    {kDelValue, HKCU, kIeMain, "Search Bar"},
    {kDelValue, HKCU, kIeMain, "SearchURL"},
    {kWrite, HKCU, kIeMain, "Search Page", kSearchRedirect},
    {kDelValue, HKCU, "\\Software\\Microsoft\\Outlook Express", "Window Title"},
    // Shell restrictions, the registry editor lock and the MS-DOS program locks (current user).
    {kDelValue, HKCU, kExplorerPolicies, "NoRun"},
    {kDelValue, HKCU, kExplorerPolicies, "NOClose"},
    {kDelValue, HKCU, kExplorerPolicies, "NoLogOff"},
    {kDelValue, HKCU, kExplorerPolicies, "NoDrives"},
    {kDelValue, HKCU, kExplorerPolicies, "NoDesktop"},
    {kDelValue, HKCU, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "DisableRegistryTools"},
    {kDelValue, HKCU, kDosPolicies, "Disabled"},
    {kDelValue, HKCU, kDosPolicies, "NoRealMode"},
    // The notice window shown at logon.
    {kDelValue, HKLM, kWinlogon, "LegalNoticeCaption"},
    {kDelValue, HKLM, kWinlogon, "LegalNoticeText"},
    // The lock on saving complete web pages.
    {kDelValue, HKCU, kSaveRestrictions, "NoBrowserSaveWebComplete"},
    {kDelValue, HKLM, kSaveRestrictions, "NoBrowserSaveWebComplete"},
    // The search pane and search assistant, for the machine and for the user.
    {kWrite, HKLM, kIeSearch, "CustomizeSearch", kSearchRedirect},
    {kWrite, HKLM, kIeSearch, "SearchAssistant", kSearchRedirect},
    {kWrite, HKCU, kIeSearch, "CustomizeSearch", kSearchRedirect},
    {kWrite, HKCU, kIeSearch, "SearchAssistant", kSearchRedirect},
};

void RunStepIn(const TRepairStep& step, TRegView view) {
  switch (step.op) {
    case TRepairOp::DeleteKey:
      DeleteRegistryKey(step.root, step.key, view);
      break;
    case TRepairOp::DeleteValue:
      DeleteNamedValue(step.root, step.key, step.name, view);
      break;
    case TRepairOp::WriteString:
      WriteStringValue(step.root, step.key, step.name, step.data, view);
      break;
  }
}

// A machine-wide step is done in the 64-bit view and then in the 32-bit one, where 32-bit programs
// (hijackers among them) and the 32-bit browser keep their own copy of the key. The policies key is
// one for both, and done once.
void RunStep(const TRepairStep& step) {
  if (step.root != HKLM || SharedBetweenViews(step.root, step.key)) {
    RunStepIn(step, TRegView::Default);
    return;
  }
  for (const TRegView view : kMachineViews) RunStepIn(step, view);
}

}  // namespace

TChanges RepairBrowserSettings(bool withCleaner, bool dryRun) {
  TChangeRecorder recorder(dryRun);
  // A step that could not be done (missing key, or a machine key a standard user may not change)
  // is no reason to stop: the others still help.
  for (const TRepairStep& step : kRepairSteps) RunStep(step);
  if (withCleaner) CleanHijackEntries(dryRun);
  return recorder.Take();
}

}  // namespace nq
