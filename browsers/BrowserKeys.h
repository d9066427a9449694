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

}  // namespace nq
