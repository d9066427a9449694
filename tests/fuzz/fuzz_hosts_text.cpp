// The hosts file's text over arbitrary bytes. Never a crash; every mapping lies within its line;
// what is shown is valid UTF-8 and shown again unchanged; commenting out every mapping leaves none,
// keeps the line count, and takes nothing but the "# " it put in.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "browsers/HostsText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::size_t> starts = nq::HostsLineStarts(text);
  const std::vector<nq::THostsMapping> mappings = nq::ScanHostsText(text);
  std::vector<std::size_t> commented;
  for (const nq::THostsMapping& mapping : mappings) {
    if (mapping.number < 1 || mapping.number > starts.size()) __builtin_trap();
    const std::size_t start = starts[mapping.number - 1];
    if (nq::HostsLineAt(text, start) != mapping.line) __builtin_trap();
    if (mapping.line.data() != text.data() + start) __builtin_trap();
    const auto within = [&mapping](std::string_view part) {
      return part.data() >= mapping.line.data() && part.data() + part.size() <= mapping.line.data() + mapping.line.size();
    };
    if (mapping.address.empty() || mapping.name.empty() || !within(mapping.address) || !within(mapping.name)) __builtin_trap();
    std::uint8_t bytes[16];
    if (!nq::ParseAddress(mapping.address, bytes)) __builtin_trap();
    const std::string shown = nq::Displayable(mapping.line);
    if (nq::Displayable(shown) != shown) __builtin_trap();
    commented.push_back(start);
  }
  const std::string after = nq::CommentOut(text, commented);
  if (after.size() != text.size() + 2 * commented.size()) __builtin_trap();
  if (!nq::ScanHostsText(after).empty()) __builtin_trap();
  if (nq::HostsLineStarts(after).size() != starts.size()) __builtin_trap();
  std::string back = after;
  for (auto it = commented.rbegin(); it != commented.rend(); ++it) {
    const std::size_t at = *it + 2 * static_cast<std::size_t>(it.base() - commented.begin() - 1);
    if (back.compare(at, 2, "# ") != 0) __builtin_trap();
    back.erase(at, 2);
  }
  if (back != text) __builtin_trap();
  return 0;
}
