// The text work of the cookie page: how two rows compare, how the site is taken out of a cookie
// file, and the capitals the search matches with. Kept apart from the handlers so it can be
// measured and tested on its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nq {

// How much of a cookie file is read to find its third line. A cookie's name, value and domain line
// take a few hundred bytes; the cap keeps a huge or endless file from costing more than this.
inline constexpr std::size_t kCookieReadLimit = 64 * 1024;

// Byte by byte, with the ASCII letters a to z counted as A to Z; at the first difference the
// smaller byte sorts first, and a text that is the beginning of the other sorts first. Negative,
// zero or positive.
int CompareCookieText(std::string_view a, std::string_view b);

// The ASCII letters a to z turned into capitals; every other byte as it is.
void AsciiUpperCase(std::string& text);

// How much is read first: enough for the first three lines of nearly every cookie file, so the
// larger read is needed only for odd files.
inline constexpr std::size_t kCookieFirstRead = 4 * 1024;

// Takes the third line out of a cookie file's first bytes: `data` as read, `complete` telling
// whether that is the whole file. Lines end with CR, LF or CR LF; the text ends at its first NUL, as
// an 8-bit text does. A file of fewer than three lines gives an empty site. Returns false, with
// `site` untouched, when the third line does not end within `data` and the file goes on, so that
// only more of the file can tell.
bool FindCookieSite(std::string_view data, bool complete, std::string& site);

}  // namespace nq
