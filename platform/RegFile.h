// REGEDIT4 text: the format of the registry fixtures. The same file loads into the substitute
// through this reader and into the real registry under Wine with `regedit /s`.
#pragma once

#include <stdexcept>
#include <string>

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
// changes nothing. Handles "[key]", "[-key]", "name"="text", @=, dword:, hex:, hex(n):, "name"=-,
// escapes and line continuations. Keys name their root in full ("HKEY_CURRENT_USER\...").
void LoadRegText(IRegistry& registry, const std::string& text);
void LoadRegFile(IRegistry& registry, const std::string& path);

// The subtree under `root`\`path` as canonical REGEDIT4 text: keys in name order, values in
// enumeration order, data in hex(n): form for everything but REG_SZ and REG_DWORD. Two registries
// hold the same tree exactly when their dumps are equal.
std::string DumpRegText(IRegistry& registry, RegKey root, const std::string& path = std::string());

}  // namespace platform
