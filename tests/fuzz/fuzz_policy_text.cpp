// The policy texts over arbitrary bytes: an ExtensionSettings value and a policies.json. Never a
// crash; a readable file's policies can always be removed, and the text without them is readable
// and holds none of them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "browsers/PolicyText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)nq::ScanExtensionSettings(text);
  const nq::TPolicyFileScan scan = nq::ScanPolicyFile(text);
  if (!scan.readable && !scan.policies.empty()) __builtin_trap();
  std::vector<std::string> names;
  for (const auto& policy : scan.policies) names.push_back(policy.name);
  std::string rewritten;
  const bool removed = nq::RemovePolicies(text, names, &rewritten);
  if (removed != !names.empty()) __builtin_trap();
  if (removed) {
    const nq::TPolicyFileScan again = nq::ScanPolicyFile(rewritten);
    if (!again.readable || !again.policies.empty()) __builtin_trap();
  }
  return 0;
}
