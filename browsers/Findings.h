// Today's browsers: what a hijacker changed in Edge, Chrome, Brave and Firefox (their enterprise
// policies, a fake management enrollment, forced extensions, planted shortcut arguments and
// scheduled tasks), as findings the user reviews before the program repairs them. Every change goes
// through the registry store and the shell routines, so the journal, the dry run and both registry
// views work as for every other feature.
#pragma once

#include <string>
#include <vector>

#include "services/Changes.h"

namespace nq {

// What a finding is, and so how it is repaired.
enum class TFindingKind {
  PolicyValue,        // a browser policy value in the registry: the value goes (an emptied key too)
  PolicyFile,         // a policy inside Firefox's distribution\policies.json: the file is rewritten
  UnreadableFile,     // a policies.json or an extensions file that is not valid JSON, a hosts file that is no
                      // text: shown, never rewritten
  ExternalExtension,  // an {id} key under a browser's Extensions key: the key goes
  ExternalExtensionFile,  // an entry of a browser's default_apps\external_extensions.json (its entry goes, the
                          // file rewritten) or a default_apps\<id>.json (the file goes to the Recycle Bin)
  Enrollment,         // a management enrollment with no server behind it: the key goes
  Shortcut,           // a browser shortcut with planted arguments: the arguments go
  Task,               // a scheduled task that starts a browser or a hidden script: the task goes
  UnreadableTask,     // a task, or the whole Task Scheduler, that could not be read: shown, never deleted
  // What every browser obeys:
  Proxy,              // the system's proxy or its configuration script: switched off
  HostsLine,          // a line of the hosts file that sends a name elsewhere: commented out
  DnsServer,          // a name server set by hand: cleared, so that the network's own is used
  BrowserDebugger,    // a Debugger for a browser's program under Image File Execution Options: the value goes
  Extension,          // an extension in a browser profile: its entries and its folders go (the browser closed)
};

// One thing the program would change.
struct TFinding {
  TFindingKind kind = TFindingKind::PolicyValue;
  std::string browser;  // "Edge", "Chrome", "Brave", "Firefox", "Internet Explorer", ...; "Windows";
                        // "All browsers" for what redirects every one of them
  RegKey root = 0;      // for registry findings; 0 for files, shortcuts and tasks
  TRegView view = TRegView::Default;
  std::string where;    // key path from its root, a file's or shortcut's full path, a task's path, a
                        // browser profile's folder
  std::string name;     // the value's or policy's name; empty when the finding is the whole key
  std::string data;     // the value's data, the policy's JSON text, the shortcut's arguments, ...
  std::string why;      // one sentence for the detail line
  bool ticked = false;  // in the one-click repair

  bool operator==(const TFinding&) const = default;
};

using TFindings = std::vector<TFinding>;

// A finding as its list row shows it.
struct TFindingColumns {
  std::string browser;  // "Chrome"
  std::string where;    // "HKEY_CURRENT_USER\Software\Policies\Google\Chrome", a file's path
  std::string finding;  // "HomepageLocation = "http://..."", "Management enrollment with no server"
};
TFindingColumns FindingColumns(const TFinding& finding);
// The detail lines for the selected row: the full key or file; the name and the data; why.
std::string FindingDetail(const TFinding& finding);

}  // namespace nq
