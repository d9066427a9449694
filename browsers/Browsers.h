// Today's browsers: finding what a hijacker set in Edge, Chrome, Brave and Firefox, and repairing
// what the user ticked. The window's page and the console call these alike.
#pragma once

#include <set>
#include <string>
#include <tuple>

#include "browsers/Findings.h"

namespace nq {

// Whether an organization manages this machine: joined to a domain or to Entra ID, or enrolled
// with a management service that has a server behind it. Only then do browser policies belong.
bool MachineIsManaged();

// Every finding, in a stable order: the policies in the registry (the user's, then the machine's),
// Firefox's policies files, external extensions, management enrollments with no server. On an
// unmanaged machine every policy finding is ticked; on a managed one none is.
TFindings FindBrowserHijacks();

// Repairs the given findings (the ticked rows): a policy value goes, with every policy key it
// leaves empty up to the browser's own; a policies file is rewritten without the policies; an
// external extension's or a fake enrollment's key goes. Every change and every refused one is
// recorded and returned; a dry run changes nothing and returns what the run would change.
TOutcome RepairFindings(const TFindings& ticked, bool dryRun = false);

// Whether the repair's changes hold a refusal of `finding`: a change it was made of that the system
// refused, or a file that could no longer be read.
bool RefusedIn(const TFinding& finding, const TChanges& changes);

// The refusals among a run's changes: what RefusedIn looks through, taken out once, so that asking
// it for each of many findings (a block list's hundred thousand lines) stays quick.
TChanges Refusals(const TChanges& changes);

// The findings of a listing (read again after a repair, or before an undo), to ask whether one is
// among them: the same thing to change in the same place, whatever its data says now. Quick for
// the hundred thousand rows a block list makes.
class TFindingSet {
 public:
  explicit TFindingSet(const TFindings& findings);
  bool Contains(const TFinding& finding) const;

 private:
  std::set<std::tuple<TFindingKind, RegKey, TRegView, std::string, std::string>> keys_;
};

}  // namespace nq
