#include "privacy/CookieText.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace nq {
namespace {

constexpr std::array<unsigned char, 256> MakeUpperTable() {
  std::array<unsigned char, 256> table{};
  for (int i = 0; i < 256; ++i) {
    table[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - ('a' - 'A') : i);
  }
  return table;
}

constexpr std::array<unsigned char, 256> kUpper = MakeUpperTable();

}  // namespace

int CompareCookieText(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ca = kUpper[static_cast<unsigned char>(a[i])];
    const int cb = kUpper[static_cast<unsigned char>(b[i])];
    if (ca != cb) return ca - cb;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

void AsciiUpperCase(std::string& text) {
  for (char& c : text) c = static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
}

bool FindCookieSite(std::string_view data, bool complete, std::string& site) {
  if (const std::size_t nul = data.find('\0'); nul != std::string_view::npos) {
    data = data.substr(0, nul);
    complete = true;
  }
  std::size_t start = 0;
  for (int skipped = 0; skipped < 2; ++skipped) {
    const std::size_t end = data.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      if (!complete) return false;
      site.clear();  // fewer than three lines
      return true;
    }
    start = end + 1;
    if (data[end] == '\r' && start < data.size() && data[start] == '\n') ++start;
  }
  const std::size_t end = data.find_first_of("\r\n", start);
  if (end == std::string_view::npos && !complete) return false;
  // A CR that ends a cut-off read may be the first half of CR LF; the line is complete either way.
  site.assign(data.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
  return true;
}

}  // namespace nq
