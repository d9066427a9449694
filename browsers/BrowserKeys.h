// Where today's browsers keep what a hijacker changes, shared by the search and the repair.
#pragma once

#include <string>

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

bool EqualNoCase(const std::string& a, const std::string& b);
// True when `path` is `key` or lies below it.
bool KeyWithin(const std::string& path, const std::string& key);
// The policy root a key lies within, or null.
const TPolicyRoot* PolicyRootOf(const std::string& path);

}  // namespace nq
