// Taking extensions out of a profile's JSON, over arbitrary bytes: a Chromium Preferences text and
// a Firefox extensions.json. Never a crash. A refusal gives a reason and leaves the result alone; an
// edit only takes bytes away (a byte-order mark stays first), gives a text that is still read, and
// leaves nothing of those extensions to take out a second time.
// An input that starts with '#' names the ids on its first line, separated by commas; any other is
// edited for a fixed few ids (those of the seed files among them).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "browsers/ExtensionPrefs.h"

namespace {

// True when `part` is `whole` with some bytes taken out.
bool TakenFrom(const std::string& part, const std::string& whole) {
  std::size_t at = 0;
  for (const char c : part) {
    while (at < whole.size() && whole[at] != c) ++at;
    if (at == whole.size()) return false;
    ++at;
  }
  return true;
}

using Remove = bool (*)(const std::string&, const std::vector<std::string>&, std::string*, std::string*);

void Check(Remove remove, const std::string& text, const std::vector<std::string>& ids,
           std::vector<std::string> nothingLeft) {
  std::string result = "untouched", problem;
  if (!remove(text, ids, &result, &problem)) {
    if (result != "untouched" || problem.empty()) __builtin_trap();
    return;
  }
  if (result.size() >= text.size() || !TakenFrom(result, text)) __builtin_trap();
  if (text.rfind("\xEF\xBB\xBF", 0) == 0 && result.rfind("\xEF\xBB\xBF", 0) != 0) __builtin_trap();
  std::string again, why;
  if (remove(result, ids, &again, &why)) __builtin_trap();
  bool known = false;
  for (const std::string& reason : nothingLeft) known = known || why == reason;
  if (!known) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> ids = {"b", "fedcbafedcbafedcbafedcbafedcbafe", "abcdefghijklmnopabcdefghijklmnop",
                                  "{5e1a7c0d-hijack-search}", "notes@example.org"};
  if (!text.empty() && text[0] == '#') {
    const std::size_t line = text.find('\n');
    const std::string names = text.substr(1, line == std::string::npos ? std::string::npos : line - 1);
    text = line == std::string::npos ? std::string() : text.substr(line + 1);
    ids.clear();
    std::size_t from = 0;
    for (;;) {
      const std::size_t comma = names.find(',', from);
      ids.push_back(names.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
  }
  // Once the pinned ids are out, a settings value that is not an object is all that is left to say.
  Check(&nq::RemoveExtensionEntries, text, ids,
        {"holds none of these extensions", "its extensions.settings is not an object"});
  Check(&nq::RemoveFirefoxAddons, text, ids, {"holds none of these add-ons"});
  return 0;
}
