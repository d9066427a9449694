// The hosts file's text, as the name resolver reads it: one mapping a line, the address first and
// the names after it, fields parted by spaces and tabs, '#' starting a comment anywhere. Pure text
// functions, so that they can be tested and fuzzed alone; Hosts.cpp reads and replaces the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nq {

// Block lists run to a few megabytes; a file beyond this is shown, never read or rewritten.
inline constexpr std::size_t kMaxHostsTextBytes = 32u << 20;

// Where each line's text begins (after a UTF-8 byte-order mark on the first), in order. A line ends
// at LF, CR LF or a lone CR, as Notepad reads it; a last line without an end still counts.
std::vector<std::size_t> HostsLineStarts(std::string_view text);
// The line that begins at `start`, without its line end.
std::string_view HostsLineAt(std::string_view text, std::size_t start);

// One line that sends names somewhere.
struct THostsMapping {
  std::size_t number = 0;     // from 1
  std::string_view line;      // as written, without its line end
  std::string_view address;   // its first field
  std::string_view name;      // the first name that counts (localhost does not)
  std::size_t otherNames = 0; // how many more names count
  bool blocked = false;       // sent to 0.0.0.0, 127.0.0.1, :: or ::1: a block list's line
};

// The mapping of one line; false for a comment, a blank line, a line whose first field is no
// address, and one that maps only localhost (or a loopback name to a loopback address).
bool ParseHostsLine(std::string_view line, THostsMapping* mapping);
// Every mapping of the text, in order: `each(mapping)`, with no copy of the text made.
template <typename Each>
void ForEachHostsMapping(std::string_view text, Each each);
std::vector<THostsMapping> ScanHostsText(std::string_view text);

// A block list's lines: one after another, each sending names to a block address (the comments and
// blank lines between them do not part them). A few such lines are listed one by one; a run of
// kBlockListRowLines or more, a block list's thousands, is one row, which the repair takes whole.
inline constexpr std::size_t kBlockListRowLines = 10;
struct TBlockListRun {
  THostsMapping first;
  std::vector<THostsMapping> lines;  // each line while the run is shorter than a row's
  std::size_t last = 0;              // its last line's number
  std::size_t count = 0;             // its lines
  std::size_t names = 0;             // the names they send
  bool oneAddress = true;            // all sent to first.address

  void Add(const THostsMapping& mapping);
  bool Whole() const { return count >= kBlockListRowLines; }
};
// A run's lines as a finding names them, "7-100006", and back; false for a single line's number.
std::string BlockListRange(std::size_t first, std::size_t last);
bool ParseBlockListRange(std::string_view name, std::size_t* first, std::size_t* last);

// An IPv4 address in dotted decimal or an IPv6 address in any of its text forms (a zone after '%'
// allowed), as the 16 bytes of IPv6 (IPv4 mapped to ::ffff:a.b.c.d); false for anything else.
bool ParseAddress(std::string_view text, std::uint8_t (&bytes)[16]);

// The text made fit to show: each byte that is not part of valid UTF-8, and each control character
// but the tab, becomes U+FFFD.
std::string Displayable(std::string_view text);

// True for text holding NUL bytes: binary, or UTF-16, where every address and line end has them.
// No hosts text of ours to read or rewrite.
bool IsWideOrBinary(std::string_view text);

// The text with "# " put at the start of each line that begins at one of `starts` (after the
// byte-order mark on the first), every other byte kept.
std::string CommentOut(std::string_view text, std::vector<std::size_t> starts);

namespace hosts_detail {
std::size_t FirstLine(std::string_view text);
std::size_t LineEnd(std::string_view text, std::size_t start);
std::size_t NextLine(std::string_view text, std::size_t end);
}  // namespace hosts_detail

template <typename Each>
void ForEachHostsMapping(std::string_view text, Each each) {
  std::size_t start = hosts_detail::FirstLine(text);
  for (std::size_t number = 1;; ++number) {
    const std::size_t end = hosts_detail::LineEnd(text, start);
    THostsMapping mapping;
    if (ParseHostsLine(text.substr(start, end - start), &mapping)) {
      mapping.number = number;
      mapping.line = text.substr(start, end - start);
      each(mapping);
    }
    if (end == text.size()) return;
    start = hosts_detail::NextLine(text, end);
    if (start == text.size()) return;
  }
}

}  // namespace nq
