// The JSON texts of browser policies: a Chromium or Firefox ExtensionSettings value and Firefox's
// distribution\policies.json. Texts come from anywhere (a hijacker wrote them): anything that is
// not plain, valid JSON within the limits below is reported as such, never trusted.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace nq {

// Past these a policies text is not read: no browser writes one so big or so deep.
inline constexpr std::size_t kMaxPolicyTextBytes = 4u << 20;
inline constexpr int kMaxPolicyNesting = 64;

// What an ExtensionSettings policy does.
enum class TExtensionSettings {
  Harmless,  // valid, forces nothing and names no site outside the stores
  Forces,    // installs an extension the user cannot remove, or one from outside the stores
  Invalid,   // not a JSON object: the browser ignores it, yet still says it is managed
};
TExtensionSettings ScanExtensionSettings(const std::string& text);

// True for an update or install address of the browsers' own extension stores.
bool IsStoreAddress(const std::string& url);

// The hijacker's policies inside one policies.json text.
struct TPolicyFileScan {
  bool readable = false;
  std::string problem;  // why it is not readable
  struct TPolicy {
    std::string name;  // its name in "policies"
    std::string json;  // its value, as compact JSON
  };
  std::vector<TPolicy> policies;
};
TPolicyFileScan ScanPolicyFile(const std::string& text);

// The text without the named policies (of those ScanPolicyFile reports), every other one kept.
// False when the text is unreadable or holds none of them.
bool RemovePolicies(const std::string& text, const std::vector<std::string>& names, std::string* result);

}  // namespace nq
