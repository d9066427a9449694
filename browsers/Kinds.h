// The kinds of findings in one table: how each is found, judged, repaired and shown. The search
// (Scan.cpp) and the repair (Repair.cpp) both follow it, so a new kind is one row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "browsers/Findings.h"
#include "services/Changes.h"

namespace nq {

// How a kind's findings are ticked.
enum class TVerdict : unsigned char {
  Organization,  // ticked on an unmanaged machine; on a managed one they are the organization's
  Own,           // its finder decides (where an extension comes from, a kiosk)
  OwnUnmanaged,  // its finder decides, and on a managed machine it is the organization's
  Never,         // shown, never ticked: what it holds cannot be told from what should stay
};

// Which refused change keeps a finding where it was.
enum class TRefusalScope : unsigned char {
  Name,       // a change of the same value or policy
  WithinKey,  // any change within its key: the key goes with its subtree
  Path,       // a change of the same file, shortcut or task
};

// One repair over the ticked findings: each finding's step, then what is finished once for all of
// them (the policy keys their removal left empty, each policies file rewritten once).
class TRepairRun {
 public:
  explicit TRepairRun(bool dryRun);
  ~TRepairRun();
  TRepairRun(const TRepairRun&) = delete;
  TRepairRun& operator=(const TRepairRun&) = delete;

  bool DryRun() const { return dryRun_; }
  void RemovePolicyValue(const TFinding& finding);
  void RemoveFilePolicy(const TFinding& finding);
  void CommentOutHostsLine(const TFinding& finding);
  void SwitchOffProxy(const TFinding& finding);
  void RemoveExtension(const TFinding& finding);
  void RemoveExternalFileEntry(const TFinding& finding);
  void Finish();
  // Everything the run changed, and what the system refused.
  TChanges Take();

 private:
  struct TState;
  bool dryRun_;
  std::unique_ptr<TState> state_;
};

struct TKindRow {
  TFindingKind kind;
  // Appends this kind's findings in their order (and those of the kind that stands for what it
  // could not read); null for such a kind, which its reader's row finds.
  void (*find)(TFindings& findings);
  TVerdict verdict;
  void (*repair)(const TFinding& finding, TRepairRun& run);
  TRefusalScope refusal;
  // The Finding column: `most` bounds the data shown.
  std::string (*text)(const TFinding& finding, std::size_t most);
};

// Every kind, in the order the list shows them.
extern const TKindRow kKindRows[14];
const TKindRow& KindRow(TFindingKind kind);

// The extensions of every browser profile that take over its pages, load from a folder or are
// installed by a source among `findings` (found and judged before them), each with its verdict:
// ticked when off the store, or as the finding that installs it is (ExtensionFindings.cpp).
void FindExtensionHijacks(TFindings& findings);
// Takes the ticked extensions out of one profile of `inventory` (as read at the repair), the
// browser closed: their entries in its preference files, then their folders, to the Recycle Bin.
// Refused whole while the browser runs.
struct TExtensionInventory;
void RemoveProfileExtensions(const TExtensionInventory& inventory, const std::string& browser,
                             const std::string& profileFolder, const std::vector<const TFinding*>& extensions);

// The finders, in Scan.cpp.
void FindPolicyValues(TFindings& findings);
void FindPolicyFiles(TFindings& findings);
void FindExternalExtensions(TFindings& findings);
void FindFakeEnrollments(TFindings& findings);
// The folders that hold a browser's program `exe`: App Paths in both views and the user's, then
// `folder` under the Program Files folders (and, with `perUser`, under the local application data
// folder, where a browser installed for one user lives). Only those that hold the program.
TStrings ProgramFolders(const std::string& exe, const std::string& folder, bool perUser);

// The extensions a Chromium browser's install folder lists for installing (ExternalFiles.cpp), and
// their repair: the entries of one file go, or the whole file when it holds only the one entry.
void FindExternalExtensionFiles(TFindings& findings);
void RepairExternalExtensionFile(const std::string& path, const std::vector<const TFinding*>& entries);

// What redirects every browser at once (Redirects.cpp, Hosts.cpp).
void FindProxies(TFindings& findings);
void FindHostsLines(TFindings& findings);
void FindDnsServers(TFindings& findings);
void FindBrowserDebuggers(TFindings& findings);
// Switches off one proxy setting's value (WinInet's, WinHTTP's); the connection's settings blob,
// which holds WinInet's several settings at once, is changed once per run by
// SwitchOffConnectionProxies with the flags of every setting switched off (ProxyConnectionFlag).
void RepairProxy(const TFinding& finding);
std::uint32_t ProxyConnectionFlag(const TFinding& finding);
void SwitchOffConnectionProxies(RegKey root, std::uint32_t flags);
void RepairDnsServer(const TFinding& finding);
// Comments out the given lines of one hosts file (each finding's `name` is its line number, its
// `data` the line), in one replacement of the file; each line recorded, refused when it changed.
void RepairHostsFile(const std::string& path, const std::vector<const TFinding*>& lines);

}  // namespace nq
