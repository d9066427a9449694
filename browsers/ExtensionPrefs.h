// Taking extensions out of a browser profile's own files: a Chromium profile's Preferences and
// Secure Preferences, and a Firefox profile's extensions.json. Pure text editing: the caller reads
// and writes the files (with the browser closed). Every byte the edit does not remove stays as it
// was, numbers and strings in their own spelling, a byte-order mark included.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace nq {

// Past these a profile's JSON is not edited. Chromium's own reader stops at the same depth.
inline constexpr std::size_t kMaxProfileJsonBytes = 64u << 20;
inline constexpr int kMaxProfileJsonNesting = 200;

// The `problem` of a text that holds none of the extensions or add-ons asked for: nothing to do.
inline constexpr const char* kHoldsNoneOfTheExtensions = "holds none of these extensions";
inline constexpr const char* kHoldsNoneOfTheAddons = "holds none of these add-ons";

// The Preferences or Secure Preferences text without the extensions `ids`: their entries in
// "extensions.settings", their MACs in "protection.macs.extensions.settings" (and the encrypted
// hashes beside them), and their places in the toolbar's lists. Every other entry and MAC is left
// as it was. False, with `problem` saying why, when the text is not JSON, is too large or too deeply
// nested, or holds none of the ids; `result` is then left alone.
bool RemoveExtensionEntries(const std::string& text, const std::vector<std::string>& ids, std::string* result,
                            std::string* problem);

// The extensions.json text of a Firefox profile without the add-ons `ids` in its "addons" list.
// False, with `problem`, as above.
bool RemoveFirefoxAddons(const std::string& extensionsJson, const std::vector<std::string>& ids,
                         std::string* result, std::string* problem);

}  // namespace nq
