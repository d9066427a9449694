#include <algorithm>
#include <array>
#include <string_view>

#include "services/MainFunc.h"

namespace nq {
namespace {

// What a startup command of a browser hijacker names: a script, an HTML application or the
// registry editor. Upper case, because the data is folded before the search; ".JS" also covers
// ".JSE" (and any extension that begins with those letters).
constexpr std::array<std::string_view, 5> kHijackPatterns = {".HTA", "REGEDIT", ".VBS", ".VBE", ".JS"};

// Only a to z are folded: the code page's other letters must not turn into ASCII ones (in some
// code pages a dotless i upper-cases to I), so the locale is kept out of it.
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool NamesHijacker(std::string data) {
  std::transform(data.begin(), data.end(), data.begin(), AsciiUpper);
  return std::any_of(kHijackPatterns.begin(), kHijackPatterns.end(),
                     [&](std::string_view pattern) { return data.find(pattern) != std::string::npos; });
}

}  // namespace

bool DeleteHijackValues(RegKey root, const std::string& key, TRegView view) {
  // The names are taken once: deleting by index while enumerating would skip the value after
  // each one deleted.
  const auto clean = [](TRegistry& reg) {
    TStrings names;
    reg.GetValueNames(names);
    bool result = false;
    for (const std::string& name : names) {
      if (!reg.ValueExists(name)) continue;  // gone since the names were taken
      std::string data;
      try {
        data = reg.ReadString(name);
      } catch (const ERegistryException&) {
        continue;  // numbers and binary data are no command line: left alone
      }
      if (NamesHijacker(data)) result = reg.DeleteValue(name);
    }
    return result;
  };
  TRegistry reg(view);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) {
    RecordRefusal(reg, root, key, view, clean);
    return false;
  }
  return clean(reg);
}

}  // namespace nq
