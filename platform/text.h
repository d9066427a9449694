// Comparing names as Windows does for registry keys, value names, file names and command-line
// switches: without regard to case. Only ASCII letters fold; a letter beyond ASCII matches only
// itself, which is what every name compared here (policy names, switches, store addresses, known
// program names) needs, and never lets two different non-ASCII names pass for one.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace platform {

constexpr char FoldedLetter(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldedLetter(x) == FoldedLetter(y); });
}

constexpr bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

constexpr bool EndsNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && EqualNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// Orders names as a case-blind listing does.
constexpr bool LessNoCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return FoldedLetter(x) < FoldedLetter(y); });
}

// The text with its ASCII letters in lower case: a key for maps and sets of names.
inline std::string Folded(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = FoldedLetter(c);
  return folded;
}

// True when `path` is the key `key` or lies below it ("A\B" is within "a", "AB" is not).
constexpr bool KeyWithin(std::string_view path, std::string_view key) {
  return StartsNoCase(path, key) && (path.size() == key.size() || path[key.size()] == '\\');
}

}  // namespace platform
