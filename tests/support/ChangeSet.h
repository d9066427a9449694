// A registry dump as a set of facts ("this key exists", "this value holds this data"), so that a
// journal of changes can be checked against two dumps: applying the changes to the facts of the
// dump before must give exactly the facts of the dump after.
#pragma once

#include <set>
#include <string>

#include "services/Changes.h"

namespace nqtest {

using Facts = std::set<std::string>;

// The facts of DumpRegText output: "K <key>" for each key, "V <key>|<name>|<data>" for each value.
Facts FactsOfDump(const std::string& dump);

// Where a change really happened: the 32-bit view's machine keys live under Software\Wow6432Node
// (except the shared Software\Policies), in the root's full name as a dump writes it.
std::string PhysicalKey(const nq::TChange& change);

// Applies registry changes to `facts`; a change whose "before" is not among the facts is reported
// in `mismatch` (the journal claims something the registry did not hold).
Facts ApplyChanges(Facts facts, const nq::TChanges& changes, std::string* mismatch);

}  // namespace nqtest
