// How deeply a JSON text nests its objects and arrays, counted without parsing it (strings passed
// over): a text is measured before the parser and any walk over its result go as deep as it likes.
#pragma once

#include <algorithm>
#include <string_view>

namespace nq {

inline int JsonNesting(std::string_view text) {
  int depth = 0, deepest = 0;
  bool inString = false, escaped = false;
  for (const char c : text) {
    if (inString) {
      if (escaped) escaped = false;
      else if (c == '\\') escaped = true;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      deepest = std::max(deepest, ++depth);
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
  return deepest;
}

}  // namespace nq
