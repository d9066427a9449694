#include "browsers/HostsText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "platform/text.h"

namespace nq {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// What ends a field of a line: a blank, or the '#' that starts a comment.
constexpr std::array<bool, 256> kEndsField = [] {
  std::array<bool, 256> ends{};
  ends[' '] = ends['\t'] = ends['#'] = true;
  return ends;
}();

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseIpv4(std::string_view text, std::uint8_t* out) {
  std::size_t i = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (i >= text.size() || text[i] != '.') return false;
      ++i;
    }
    std::size_t digits = 0;
    unsigned value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
      value = value * 10 + static_cast<unsigned>(text[i] - '0');
      ++i;
      ++digits;
    }
    if (digits == 0 || digits > 3 || value > 255) return false;
    out[part] = static_cast<std::uint8_t>(value);
  }
  return i == text.size();
}

bool ParseIpv6(std::string_view text, std::uint8_t (&bytes)[16]) {
  const std::size_t zone = text.find('%');
  if (zone != std::string_view::npos) {
    if (zone + 1 == text.size()) return false;
    text = text.substr(0, zone);
  }
  std::uint8_t groups[16] = {};  // two bytes a group, in the order written
  std::size_t count = 0;          // bytes so far
  std::size_t gap = 16;           // where "::" stands, in bytes; 16 for none
  std::size_t i = 0;
  if (text.substr(0, 2) == "::") {
    gap = 0;
    i = 2;
  } else if (text.empty() || text[0] == ':') {
    return false;
  }
  while (i < text.size()) {
    const std::size_t end = std::min(text.find(':', i), text.size());
    const std::string_view field = text.substr(i, end - i);
    if (field.find('.') != std::string_view::npos) {
      // An IPv4 address ends the text and fills the last two groups.
      if (end != text.size() || count > 12 || !ParseIpv4(field, groups + count)) return false;
      count += 4;
      break;
    }
    if (field.empty() || field.size() > 4 || count >= 16) return false;
    unsigned value = 0;
    for (const char c : field) {
      const int digit = HexDigit(c);
      if (digit < 0) return false;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    groups[count++] = static_cast<std::uint8_t>(value >> 8);
    groups[count++] = static_cast<std::uint8_t>(value & 0xFF);
    if (end == text.size()) break;
    i = end + 1;
    if (i < text.size() && text[i] == ':') {
      if (gap != 16) return false;
      gap = count;
      ++i;
    } else if (i == text.size()) {
      return false;  // a lone ':' at the end
    }
  }
  if (gap == 16 ? count != 16 : count > 14) return false;
  std::memset(bytes, 0, 16);
  const std::size_t before = gap == 16 ? count : gap;
  std::memcpy(bytes, groups, before);
  std::memcpy(bytes + 16 - (count - before), groups + before, count - before);
  return true;
}

bool IsMappedIpv4(const std::uint8_t (&bytes)[16]) {
  static constexpr std::uint8_t kPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  return std::memcmp(bytes, kPrefix, 12) == 0;
}

// :: or ::1 (`last` 0 or 1).
bool IsIpv6(const std::uint8_t (&bytes)[16], std::uint8_t last) {
  static constexpr std::uint8_t kZeros[15] = {};
  return std::memcmp(bytes, kZeros, 15) == 0 && bytes[15] == last;
}

// Where a block list sends what it blocks: nowhere, or this computer.
bool IsBlockAddress(const std::uint8_t (&bytes)[16]) {
  if (IsMappedIpv4(bytes)) {
    const std::uint8_t* v4 = bytes + 12;
    return (v4[0] == 0 && v4[1] == 0 && v4[2] == 0 && v4[3] == 0) || (v4[0] == 127 && v4[1] == 0 && v4[2] == 0 && v4[3] == 1);
  }
  return IsIpv6(bytes, 0) || IsIpv6(bytes, 1);
}

bool IsLoopback(const std::uint8_t (&bytes)[16]) { return (IsMappedIpv4(bytes) && bytes[12] == 127) || IsIpv6(bytes, 1); }

// Windows answers for localhost itself, whatever the file says; the other names are this computer's
// only when they are sent to it.
bool IsLocalhost(std::string_view name) { return platform::EqualNoCase(name, "localhost"); }
bool IsLoopbackName(std::string_view name) {
  for (const std::string_view loopback : {"localhost.localdomain", "ip6-localhost", "ip6-loopback"}) {
    if (platform::EqualNoCase(name, loopback)) return true;
  }
  return false;
}

}  // namespace

namespace hosts_detail {

std::size_t LineEnd(std::string_view text, std::size_t start) {
  // Eight bytes at a time until a word holds a CR or an LF (a byte of a word is zero after the XOR
  // exactly where it held the byte looked for), then byte by byte to it.
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
  const auto holdsZero = [](std::uint64_t w) { return ((w - kOnes) & ~w & kHighs) != 0; };
  std::size_t i = std::min(start, text.size());
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + i, 8);
    if (holdsZero(word ^ (kOnes * '\n')) || holdsZero(word ^ (kOnes * '\r'))) break;
  }
  while (i < text.size() && !IsLineEnd(text[i])) ++i;
  return i;
}

// The start of the line after the one that ends at `end`; text.size() when there is none.
std::size_t NextLine(std::string_view text, std::size_t end) {
  if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
  return std::min(end + 1, text.size());
}

std::size_t FirstLine(std::string_view text) { return text.substr(0, 3) == kByteOrderMark ? 3 : 0; }

}  // namespace hosts_detail

std::vector<std::size_t> HostsLineStarts(std::string_view text) {
  using namespace hosts_detail;
  std::vector<std::size_t> starts;
  for (std::size_t start = FirstLine(text);;) {
    starts.push_back(start);
    const std::size_t end = LineEnd(text, start);
    if (end == text.size()) break;
    start = NextLine(text, end);
    if (start == text.size()) break;
  }
  return starts;
}

std::string_view HostsLineAt(std::string_view text, std::size_t start) {
  if (start > text.size()) return {};
  return text.substr(start, hosts_detail::LineEnd(text, start) - start);
}

bool ParseAddress(std::string_view text, std::uint8_t (&bytes)[16]) {
  if (text.find(':') != std::string_view::npos) return ParseIpv6(text, bytes);
  static constexpr std::uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  std::memcpy(bytes, kMapped, 12);
  return ParseIpv4(text, bytes + 12);
}

bool ParseHostsLine(std::string_view line, THostsMapping* mapping) {
  // Fields parted by blanks, up to a '#': a block list's hundred thousand lines pass through here,
  // so the line is walked once.
  const char* at = line.data();
  const char* const end = at + line.size();
  bool comment = false;
  const auto field = [&at, end, &comment]() {
    while (at < end && IsBlank(*at)) ++at;
    const char* const start = at;
    while (at < end && !kEndsField[static_cast<unsigned char>(*at)]) ++at;
    if (at < end && *at == '#') comment = true;
    return std::string_view(start, static_cast<std::size_t>(at - start));
  };
  const std::string_view address = field();
  std::uint8_t bytes[16];
  if (address.empty() || !ParseAddress(address, bytes)) return false;
  const bool loopback = IsLoopback(bytes);
  std::size_t names = 0;
  std::string_view first;
  while (!comment) {
    const std::string_view name = field();
    if (name.empty()) break;
    if (IsLocalhost(name) || (loopback && IsLoopbackName(name))) continue;
    if (names++ == 0) first = name;
  }
  if (names == 0) return false;
  mapping->address = address;
  mapping->name = first;
  mapping->otherNames = names - 1;
  mapping->blocked = IsBlockAddress(bytes);
  return true;
}

std::vector<THostsMapping> ScanHostsText(std::string_view text) {
  std::vector<THostsMapping> mappings;
  ForEachHostsMapping(text, [&mappings](const THostsMapping& mapping) { mappings.push_back(mapping); });
  return mappings;
}

void TBlockListRun::Add(const THostsMapping& mapping) {
  if (count == 0) first = mapping;
  if (count < kBlockListRowLines) {
    lines.push_back(mapping);
  } else if (!lines.empty()) {
    lines = {};  // one row now: its lines are no longer needed one by one
  }
  ++count;
  last = mapping.number;
  names += 1 + mapping.otherNames;
  oneAddress = oneAddress && mapping.address == first.address;
}

std::string BlockListRange(std::size_t first, std::size_t last) {
  return std::to_string(first) + "-" + std::to_string(last);
}

bool ParseBlockListRange(std::string_view name, std::size_t* first, std::size_t* last) {
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos) return false;
  const char* const end = name.data() + name.size();
  const auto [afterFirst, firstError] = std::from_chars(name.data(), name.data() + dash, *first);
  const auto [afterLast, lastError] = std::from_chars(name.data() + dash + 1, end, *last);
  return firstError == std::errc() && afterFirst == name.data() + dash && lastError == std::errc() && afterLast == end &&
         *first >= 1 && *first < *last;
}

std::string Displayable(std::string_view text) {
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  // Most lines are plain ASCII: taken whole.
  if (std::all_of(text.begin(), text.end(), [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\t'; })) {
    return std::string(text);
  }
  std::string shown;
  shown.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if ((c < 0x20 && c != '\t') || c == 0x7F) {
        shown += kReplacement;
      } else {
        shown += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    // The length of the sequence and the range its second byte must be in (no overlong forms,
    // no surrogates, nothing beyond U+10FFFF).
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    }
    bool valid = length != 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = k == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
    }
    if (valid) {
      shown.append(text.substr(i, length));
      i += length;
    } else {
      shown += kReplacement;
      ++i;
    }
  }
  return shown;
}

bool IsWideOrBinary(std::string_view text) { return text.find('\0') != std::string_view::npos; }

std::string CommentOut(std::string_view text, std::vector<std::size_t> starts) {
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  std::string out;
  out.reserve(text.size() + 2 * starts.size());
  std::size_t copied = 0;
  for (const std::size_t start : starts) {
    if (start > text.size()) break;
    out.append(text.substr(copied, start - copied));
    out += "# ";
    copied = start;
  }
  out.append(text.substr(copied));
  return out;
}

}  // namespace nq
