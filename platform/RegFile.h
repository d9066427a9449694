// REGEDIT4 text: the format of the registry fixtures. The same file loads into the substitute
// through this reader and into the real registry under Wine with `regedit /s`.
#pragma once

#include <stdexcept>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace platform {

class RegFileError : public std::runtime_error {
 public:
  RegFileError(int line, const std::string& message);
  int Line() const { return line_; }

 private:
  int line_;
};

// Parses the whole text first and applies it only when it is well formed, so a malformed file
// changes nothing and throws RegFileError with the line at fault. Handles "[key]", "[-key]"
// (the subtree), "name"="text" with \\ and \" escapes, @=, dword:, hex:, hex(n):, "name"=-,
// hex data continued by a trailing backslash, ';' comments, blank lines and CRLF, in either version
// of the format (a UTF-16LE file with its byte-order mark is read as regedit writes it). Keys name their
// root in full ("HKEY_CURRENT_USER\...") or short (HKCU, HKLM, HKCR; regedit knows only the full
// names). Data is stored exactly as written, also a string kind given in hex without its NUL
// (regedit adds one), so that a fixture can hold such a value. Everything is applied through
// `registry` with KEY_ALL_ACCESS, so a refusal there (a read-only root) throws with its line and
// leaves what came before it applied.
void LoadRegText(IRegistry& registry, const std::string& text);
void LoadRegFile(IRegistry& registry, const std::string& path);

// One value's data as REGEDIT4 writes it after the "=": "text", dword:0000002a, hex:01,02 or
// hex(n):... for every other kind and for text that would not read back the same.
std::string RegDataText(std::uint32_t type, const std::vector<std::uint8_t>& data);

// The two versions of the format regedit reads: REGEDIT4 (8-bit text, string kinds' hex data in
// the text's own bytes) and "Windows Registry Editor Version 5.00" (a UTF-16LE file, string kinds'
// hex data in UTF-16LE), which is what regedit writes today.
enum class RegFormat { kRegedit4, kRegedit5 };

// How DumpRegText orders the values of a key.
enum class RegValueOrder {
  kEnumeration,  // as the back end enumerates them (creation order on Windows, name order on Wine)
  kByName,       // by name without regard to case, so that Windows and Wine dumps compare equal
};

// The subtree under `root`\`path` as canonical REGEDIT4 text: keys in name order without regard
// to case, values in `order`, data in hex(n): form for everything but well-formed REG_SZ and
// four-byte REG_DWORD. Two registries hold the same tree exactly when their dumps are equal. A
// missing key gives the header alone. The text loads back with LoadRegText.
// With kRegedit5 the text has that header and the string kinds in hex(n): form carry UTF-16LE, as
// regedit writes them; it is still UTF-8, RegFileUtf16 makes the file's bytes of it.
std::string DumpRegText(IRegistry& registry, RegKey root, const std::string& path = std::string(),
                        RegValueOrder order = RegValueOrder::kEnumeration, RegFormat format = RegFormat::kRegedit4);

// A REGEDIT5 text as regedit writes the file: a byte-order mark, then UTF-16LE with CRLF line ends.
// Empty for text that is not UTF-8. LoadRegText reads such a file back.
std::string RegFileUtf16(const std::string& text);

}  // namespace platform
