// Where today's browsers keep what a hijacker changes, shared by the search and the repair.
#pragma once

#include <string>
#include <string_view>

#include "platform/text.h"
#include "services/Registry.h"

namespace nq {

struct TPolicyRoot {
  const char* browser;
  const char* key;  // from the root, no leading backslash
  bool chromium;    // Chromium's policy names and its Recommended subkey; otherwise Firefox's
};
inline constexpr TPolicyRoot kPolicyRoots[] = {
    {"Edge", "Software\\Policies\\Microsoft\\Edge", true},
    {"Chrome", "Software\\Policies\\Google\\Chrome", true},
    {"Brave", "Software\\Policies\\BraveSoftware\\Brave", true},
    {"Firefox", "Software\\Policies\\Mozilla\\Firefox", false},
};

using platform::EqualNoCase;
using platform::Folded;
using platform::KeyWithin;
using platform::StartsNoCase;

// The policy root a key lies within, or null.
const TPolicyRoot* PolicyRootOf(const std::string& path);

// Where a policy name is met.
enum class TPolicyAt : unsigned char {
  ChromiumValue,  // a value of a Chromium browser's policy key (or of its Recommended key)
  ChromiumList,   // a subkey of that key, each of whose values is a finding
  FirefoxValue,   // a value of Firefox's policy key
  FirefoxKey,     // a key below Firefox's policy key: its values, and its subkeys' to any depth
  FirefoxFile,    // a policy of Firefox's distribution\policies.json (names there keep their case)
};

// Why a policy is a finding: the sentence of the detail line; null when it is none. `judged`
// (optional) is set for a policy whose text decides (ExtensionSettings, a file's Extensions).
const char* PolicyWhy(TPolicyAt at, std::string_view name, bool* judged = nullptr);
// Whether a key below Firefox's policy key holds findings or leads to keys that do.
bool FirefoxKeyLeadsToFindings(std::string_view below);

inline constexpr const char* kManagedWhy = "Set by your organization.";

}  // namespace nq
