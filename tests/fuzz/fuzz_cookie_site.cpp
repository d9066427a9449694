// The cookie file's third-line reader over arbitrary bytes: the site it gives is always a whole
// line of the data, never more, and a complete file always gives an answer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "privacy/CookieText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (bool complete : {false, true}) {
    std::string site = "untouched";
    const bool found = nq::FindCookieSite(bytes, complete, site);
    if (complete && !found) __builtin_trap();
    if (!found && site != "untouched") __builtin_trap();
    if (found && (site.size() > size || site.find_first_of("\r\n") != std::string::npos ||
                  (!site.empty() && bytes.find(site) == std::string_view::npos))) {
      __builtin_trap();
    }
  }
  return 0;
}
