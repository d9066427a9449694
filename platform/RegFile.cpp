#include "platform/RegFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace platform {
namespace {

// ---- Parsing -------------------------------------------------------------------------------

struct Op {
  enum Kind { kOpenKey, kDeleteKey, kSetValue, kDeleteValue };
  Op(Kind k, int l) : kind(k), line(l) {}
  Kind kind;
  int line;
  RegKey root = 0;
  std::string path;  // without the root and without a leading backslash
  std::string name;
  std::uint32_t type = kRegNone;
  std::vector<std::uint8_t> data;
};

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Fold(const std::string& s) {
  std::string r(s);
  std::transform(r.begin(), r.end(), r.begin(), Upper);
  return r;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  return Upper(c) - 'A' + 10;
}

// ---- UTF-8 and UTF-16LE (a REGEDIT5 file's text, and its string kinds' hex data) ------------

// Appends one code point as UTF-8.
void PutUtf8(std::uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// UTF-8 to UTF-16LE bytes; false for bytes that are not UTF-8 (then `out` is incomplete).
bool Utf16FromUtf8(const std::string& text, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::uint32_t cp = 0;
    std::size_t length = 0;
    if (lead < 0x80) {
      cp = lead, length = 1;
    } else if ((lead & 0xE0) == 0xC0) {
      cp = lead & 0x1F, length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
      cp = lead & 0x0F, length = 3;
    } else if ((lead & 0xF8) == 0xF0) {
      cp = lead & 0x07, length = 4;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and what lies beyond Unicode do not come back the same.
    static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return false;
    i += length;
    auto put = [out](std::uint32_t unit) {
      out->push_back(static_cast<char>(unit & 0xFF));
      out->push_back(static_cast<char>(unit >> 8));
    };
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
  }
  return true;
}

// UTF-16LE bytes to UTF-8; false for an odd length or a lone surrogate.
bool Utf8FromUtf16(const std::string& bytes, std::string* out) {
  out->clear();
  if (bytes.size() % 2 != 0) return false;
  auto unit = [&bytes](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
  };
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    std::uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp < 0xDC00) {
      if (i + 2 >= bytes.size()) return false;
      const std::uint32_t low = unit(i + 2);
      if (low < 0xDC00 || low >= 0xE000) return false;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    } else if (cp >= 0xDC00 && cp < 0xE000) {
      return false;
    }
    PutUtf8(cp, out);
  }
  return true;
}

bool IsStringKind(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

constexpr const char* kRegedit5Header = "Windows Registry Editor Version 5.00";

struct RootName {
  const char* longName;
  const char* shortName;
  RegKey key;
};

constexpr RootName kRoots[] = {
    {"HKEY_CLASSES_ROOT", "HKCR", kHkeyClassesRoot},
    {"HKEY_CURRENT_USER", "HKCU", kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", "HKLM", kHkeyLocalMachine},
};

// The text a line holds after the parsed part must be nothing or a comment.
void ExpectEnd(const std::string& text, std::size_t at, int line) {
  while (at < text.size() && IsSpace(text[at])) ++at;
  if (at < text.size() && text[at] != ';') {
    throw RegFileError(line, "unexpected text '" + text.substr(at) + "'");
  }
}

// Splits "ROOT\path" into the root and the path below it.
void ParseKeyName(const std::string& full, int line, RegKey* root, std::string* path) {
  const std::size_t slash = full.find('\\');
  const std::string rootName = Fold(full.substr(0, slash));
  *root = 0;
  for (const RootName& r : kRoots) {
    if (rootName == r.longName || rootName == r.shortName) *root = r.key;
  }
  if (*root == 0) throw RegFileError(line, "unknown root '" + full.substr(0, slash) + "'");
  // The registry's calls take names up to their first NUL: "ROOT\<NUL>" would name the root.
  if (full.find('\0') != std::string::npos) throw RegFileError(line, "a NUL character in a key name");
  *path = slash == std::string::npos ? std::string() : full.substr(slash + 1);
  if (!path->empty() && path->back() == '\\') path->pop_back();
  if (!path->empty() && (path->front() == '\\' || path->find("\\\\") != std::string::npos)) {
    throw RegFileError(line, "empty key name in '" + full + "'");
  }
}

// A quoted string starting at text[at] == '"'; returns the position after the closing quote.
std::size_t ParseQuoted(const std::string& text, std::size_t at, int line, std::string* out) {
  out->clear();
  ++at;
  while (at < text.size()) {
    const char c = text[at];
    if (c == '"') return at + 1;
    if (c == '\\') {
      if (at + 1 >= text.size() || (text[at + 1] != '\\' && text[at + 1] != '"')) {
        throw RegFileError(line, "bad escape in a quoted string (only \\\\ and \\\" are known)");
      }
      out->push_back(text[at + 1]);
      at += 2;
      continue;
    }
    out->push_back(c);
    ++at;
  }
  throw RegFileError(line, "unterminated quoted string");
}

// Comma-separated bytes, each one or two hex digits; whitespace around them is allowed.
std::vector<std::uint8_t> ParseHexBytes(const std::string& text, int line) {
  std::vector<std::uint8_t> bytes;
  std::size_t at = 0;
  auto skip = [&] {
    while (at < text.size() && IsSpace(text[at])) ++at;
  };
  skip();
  if (at == text.size() || text[at] == ';') return bytes;
  for (;;) {
    skip();
    std::size_t digits = 0;
    int value = 0;
    while (at < text.size() && IsHexDigit(text[at]) && digits < 2) {
      value = value * 16 + HexValue(text[at]);
      ++at;
      ++digits;
    }
    if (digits == 0) throw RegFileError(line, "bad hex data");
    bytes.push_back(static_cast<std::uint8_t>(value));
    skip();
    if (at == text.size() || text[at] == ';') return bytes;
    if (text[at] != ',') throw RegFileError(line, "bad hex data");
    ++at;
  }
}

class Parser {
 public:
  explicit Parser(const std::string& text) { Split(text); }

  std::vector<Op> Parse() {
    std::size_t i = 0;
    // The header comes first; blank lines before it are tolerated.
    while (i < lines_.size() && Trim(lines_[i]).empty()) ++i;
    if (i == lines_.size() || (Trim(lines_[i]) != "REGEDIT4" && Trim(lines_[i]) != kRegedit5Header)) {
      throw RegFileError(static_cast<int>(i < lines_.size() ? i + 1 : lines_.size()), "missing REGEDIT4 header");
    }
    // Version 5 keeps the string kinds' hex data as UTF-16LE; the registry calls here take UTF-8.
    unicode_ = Trim(lines_[i]) == kRegedit5Header;
    ++i;
    bool inKey = false;
    for (; i < lines_.size(); ++i) {
      const int line = static_cast<int>(i + 1);
      std::string text = lines_[i];
      std::size_t at = 0;
      while (at < text.size() && IsSpace(text[at])) ++at;
      if (at == text.size() || text[at] == ';') continue;
      if (text[at] == '[') {
        inKey = ParseKeyLine(text, at, line);
      } else if (text[at] == '"' || text[at] == '@') {
        if (!inKey) throw RegFileError(line, "value outside a key");
        ParseValueLine(&i, text, at, line);
      } else {
        throw RegFileError(line, "unexpected line '" + text + "'");
      }
    }
    return std::move(ops_);
  }

 private:
  static std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsSpace(s[b])) ++b;
    while (e > b && IsSpace(s[e - 1])) --e;
    return s.substr(b, e - b);
  }

  void Split(const std::string& text) {
    std::size_t start = 0;
    // A UTF-8 byte-order mark some editors put first is not part of the header.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines_.push_back(std::move(line));
      if (end == text.size()) break;
      start = end + 1;
    }
  }

  // "[key]" opens (creating) a key; "[-key]" deletes its subtree. True when values may follow.
  bool ParseKeyLine(const std::string& text, std::size_t at, int line) {
    const std::size_t close = text.find(']', at);
    if (close == std::string::npos) throw RegFileError(line, "missing ']'");
    ExpectEnd(text, close + 1, line);
    std::string full = text.substr(at + 1, close - at - 1);
    Op op{Op::kOpenKey, line};
    if (!full.empty() && full[0] == '-') {
      op.kind = Op::kDeleteKey;
      full.erase(0, 1);
    }
    ParseKeyName(full, line, &op.root, &op.path);
    if (op.kind == Op::kDeleteKey && op.path.empty()) throw RegFileError(line, "a root cannot be deleted");
    ops_.push_back(std::move(op));
    return ops_.back().kind == Op::kOpenKey;
  }

  void ParseValueLine(std::size_t* index, std::string text, std::size_t at, int line) {
    Op op{Op::kSetValue, line};
    if (text[at] == '@') {
      ++at;
    } else {
      at = ParseQuoted(text, at, line, &op.name);
      if (op.name.find('\0') != std::string::npos) throw RegFileError(line, "a NUL character in a value name");
    }
    while (at < text.size() && IsSpace(text[at])) ++at;
    if (at == text.size() || text[at] != '=') throw RegFileError(line, "missing '='");
    ++at;
    while (at < text.size() && IsSpace(text[at])) ++at;
    const std::string rest = text.substr(at);

    if (rest.compare(0, 1, "-") == 0) {
      op.kind = Op::kDeleteValue;
      ExpectEnd(text, at + 1, line);
    } else if (rest.compare(0, 1, "\"") == 0) {
      std::string value;
      const std::size_t end = ParseQuoted(text, at, line, &value);
      ExpectEnd(text, end, line);
      op.type = kRegSz;
      op.data.assign(value.begin(), value.end());
      op.data.push_back(0);
    } else if (Fold(rest.substr(0, 6)) == "DWORD:") {
      std::size_t p = at + 6, digits = 0;
      std::uint32_t value = 0;
      while (p < text.size() && IsHexDigit(text[p])) {
        value = value * 16 + static_cast<std::uint32_t>(HexValue(text[p]));
        ++p;
        if (++digits > 8) throw RegFileError(line, "dword longer than 8 hex digits");
      }
      if (digits == 0) throw RegFileError(line, "bad dword");
      ExpectEnd(text, p, line);
      op.type = kRegDword;
      for (int b = 0; b < 4; ++b) op.data.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
    } else if (Fold(rest.substr(0, 3)) == "HEX") {
      std::size_t p = at + 3;
      op.type = kRegBinary;
      if (p < text.size() && text[p] == '(') {
        std::size_t digits = 0;
        std::uint64_t kind = 0;
        for (++p; p < text.size() && IsHexDigit(text[p]); ++p, ++digits) kind = kind * 16 + HexValue(text[p]);
        if (digits == 0 || kind > 0xFFFFFFFFu || p >= text.size() || text[p] != ')') {
          throw RegFileError(line, "bad hex(n) kind");
        }
        op.type = static_cast<std::uint32_t>(kind);
        ++p;
      }
      if (p >= text.size() || text[p] != ':') throw RegFileError(line, "missing ':' after hex");
      std::string bytes = text.substr(p + 1);
      // A trailing backslash continues the bytes on the next line; comment lines in between
      // are passed over, as regedit does.
      for (;;) {
        std::string trimmed = Trim(bytes);
        if (trimmed.empty() || trimmed.back() != '\\') {
          bytes = trimmed;
          break;
        }
        trimmed.pop_back();
        std::size_t next = *index + 1;
        while (next < lines_.size() && Trim(lines_[next]).compare(0, 1, ";") == 0) ++next;
        if (next >= lines_.size() || Trim(lines_[next]).empty()) {
          throw RegFileError(line, "hex data continued past its end");
        }
        *index = next;
        bytes = trimmed + Trim(lines_[next]);
      }
      op.data = ParseHexBytes(bytes, line);
      if (unicode_ && IsStringKind(op.type)) {
        std::string utf8;
        if (!Utf8FromUtf16(std::string(op.data.begin(), op.data.end()), &utf8)) {
          throw RegFileError(line, "string data that is not UTF-16");
        }
        op.data.assign(utf8.begin(), utf8.end());
      }
    } else {
      throw RegFileError(line, "unknown value data '" + rest + "'");
    }
    ops_.push_back(std::move(op));
  }

  std::vector<std::string> lines_;
  std::vector<Op> ops_;
  bool unicode_ = false;
};

// ---- Applying ------------------------------------------------------------------------------

// Deletes `path` under `base` and everything below it, deepest first. A missing key is no error.
long DeleteTree(IRegistry& registry, RegKey base, const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return kErrorInvalidParameter;
  RegKey opened = 0;
  long error = registry.OpenKeyEx(base, path.c_str(), kKeyAllAccess, &opened);
  if (error == kErrorFileNotFound) return kErrorSuccess;
  if (error != kErrorSuccess) return error;
  TScopedRegKey key(registry);
  key.Reset(opened);
  std::uint32_t count = 0, longest = 0;
  error = registry.QueryInfoKey(key.Get(), &count, &longest, nullptr, nullptr);
  if (error != kErrorSuccess) return error;
  std::vector<char> name(longest + 1);
  for (std::uint32_t i = count; i-- > 0;) {
    std::uint32_t length = static_cast<std::uint32_t>(name.size());
    error = registry.EnumKeyEx(key.Get(), i, name.data(), &length);
    if (error != kErrorSuccess) return error;
    error = DeleteTree(registry, key.Get(), std::string(name.data(), length));
    if (error != kErrorSuccess) return error;
  }
  key.Reset();
  return registry.DeleteKeyEx(base, path.c_str(), 0);
}

void Check(long error, int line, const char* what) {
  if (error != kErrorSuccess) throw RegFileError(line, std::string(what) + " failed with error " + std::to_string(error));
}

// ---- Dumping -------------------------------------------------------------------------------

const char* RootText(RegKey root) {
  for (const RootName& r : kRoots) {
    if (r.key == root) return r.longName;
  }
  return "?";
}

std::string Quote(const std::string& s) {
  std::string r = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') r.push_back('\\');
    r.push_back(c);
  }
  r.push_back('"');
  return r;
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
  static const char digits[] = "0123456789abcdef";
  std::string r;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i) r.push_back(',');
    r.push_back(digits[data[i] >> 4]);
    r.push_back(digits[data[i] & 15]);
  }
  return r;
}

std::string DataText(std::uint32_t type, const std::vector<std::uint8_t>& data, RegFormat format = RegFormat::kRegedit4) {
  // Text is written as a quoted string only when reading it back gives the same bytes.
  if (type == kRegSz && !data.empty() && data.back() == 0 &&
      std::find(data.begin(), data.end() - 1, 0) == data.end() - 1) {
    return Quote(std::string(data.begin(), data.end() - 1));
  }
  if (type == kRegDword && data.size() == 4) {
    char text[16];
    const std::uint32_t v = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
    std::snprintf(text, sizeof text, "dword:%08x", v);
    return text;
  }
  if (type == kRegBinary) return "hex:" + HexBytes(data);
  std::string utf16;
  if (format == RegFormat::kRegedit5 && IsStringKind(type)) {
    // Text that is not UTF-8 has no UTF-16 form: its bytes stay as they are, which an import
    // reads as other text. The registry calls of the program never give such text.
    if (Utf16FromUtf8(std::string(data.begin(), data.end()), &utf16)) {
      char prefix[24];
      std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
      return prefix + HexBytes(std::vector<std::uint8_t>(utf16.begin(), utf16.end()));
    }
  }
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
  return prefix + HexBytes(data);
}

struct NamedValue {
  std::string name;
  std::string text;
};

bool FoldedLess(const std::string& a, const std::string& b) {
  const std::string fa = Fold(a), fb = Fold(b);
  return fa != fb ? fa < fb : a < b;
}

void DumpKey(IRegistry& registry, RegKey key, const std::string& fullName, RegValueOrder order, RegFormat format,
             std::string* out) {
  out->append("[").append(fullName).append("]\n");
  std::uint32_t subKeys = 0, longestKey = 0, values = 0, longestValue = 0;
  if (registry.QueryInfoKey(key, &subKeys, &longestKey, &values, &longestValue) != kErrorSuccess) {
    out->append("; cannot query this key\n\n");
    return;
  }
  std::vector<NamedValue> entries;
  std::vector<char> name(longestValue + 1);
  for (std::uint32_t i = 0; i < values; ++i) {
    std::uint32_t length = static_cast<std::uint32_t>(name.size());
    if (registry.EnumValue(key, i, name.data(), &length) != kErrorSuccess) continue;
    const std::string valueName(name.data(), length);
    std::uint32_t type = 0, size = 0;
    if (registry.QueryValueEx(key, valueName.c_str(), &type, nullptr, &size) != kErrorSuccess) continue;
    std::vector<std::uint8_t> data(size);
    if (registry.QueryValueEx(key, valueName.c_str(), &type, data.data(), &size) != kErrorSuccess) continue;
    data.resize(size);
    entries.push_back({valueName, DataText(type, data, format)});
  }
  if (order == RegValueOrder::kByName) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const NamedValue& a, const NamedValue& b) { return FoldedLess(a.name, b.name); });
  }
  for (const NamedValue& e : entries) {
    out->append(e.name.empty() ? "@" : Quote(e.name)).append("=").append(e.text).append("\n");
  }
  out->append("\n");

  std::vector<std::string> children;
  std::vector<char> keyName(longestKey + 1);
  for (std::uint32_t i = 0; i < subKeys; ++i) {
    std::uint32_t length = static_cast<std::uint32_t>(keyName.size());
    if (registry.EnumKeyEx(key, i, keyName.data(), &length) == kErrorSuccess) children.emplace_back(keyName.data(), length);
  }
  std::sort(children.begin(), children.end(), FoldedLess);
  for (const std::string& child : children) {
    RegKey opened = 0;
    if (registry.OpenKeyEx(key, child.c_str(), kKeyRead, &opened) != kErrorSuccess) {
      out->append("; cannot open [").append(fullName).append("\\").append(child).append("]\n\n");
      continue;
    }
    TScopedRegKey sub(registry);
    sub.Reset(opened);
    DumpKey(registry, sub.Get(), fullName + "\\" + child, order, format, out);
  }
}

}  // namespace

RegFileError::RegFileError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line) {}

void LoadRegText(IRegistry& registry, const std::string& text) {
  std::string utf8;
  if (text.compare(0, 2, "\xFF\xFE") == 0) {
    // A file as regedit writes it: UTF-16LE after its byte-order mark.
    if (!Utf8FromUtf16(text.substr(2), &utf8)) throw RegFileError(1, "text that is not UTF-16");
  }
  const std::vector<Op> ops = Parser(utf8.empty() ? text : utf8).Parse();
  TScopedRegKey current(registry);
  for (const Op& op : ops) {
    switch (op.kind) {
      case Op::kOpenKey: {
        current.Reset();
        RegKey opened = op.root;
        if (!op.path.empty()) Check(registry.CreateKeyEx(op.root, op.path.c_str(), kKeyAllAccess, &opened), op.line, "creating the key");
        current.Reset(opened);
        break;
      }
      case Op::kDeleteKey:
        current.Reset();
        Check(DeleteTree(registry, op.root, op.path), op.line, "deleting the key");
        break;
      case Op::kSetValue: {
        // RegSetValueExA looks one byte past a string that does not end in NUL and takes that byte
        // in when it is NUL; a non-NUL byte there keeps the data exactly as written.
        std::vector<std::uint8_t> data(op.data);
        data.push_back(0xFF);
        Check(registry.SetValueEx(current.Get(), op.name.c_str(), op.type, data.data(),
                                  static_cast<std::uint32_t>(op.data.size())),
              op.line, "setting the value");
        break;
      }
      case Op::kDeleteValue: {
        const long error = registry.DeleteValue(current.Get(), op.name.c_str());
        if (error != kErrorFileNotFound) Check(error, op.line, "deleting the value");
        break;
      }
    }
  }
}

void LoadRegFile(IRegistry& registry, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw RegFileError(0, "cannot read " + path);
  LoadRegText(registry, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

std::string RegDataText(std::uint32_t type, const std::vector<std::uint8_t>& data) { return DataText(type, data); }

std::string DumpRegText(IRegistry& registry, RegKey root, const std::string& path, RegValueOrder order,
                        RegFormat format) {
  std::string out = format == RegFormat::kRegedit5 ? std::string(kRegedit5Header) + "\n\n" : "REGEDIT4\n\n";
  std::string rest = path;
  if (!rest.empty() && rest.front() == '\\') rest.erase(0, 1);
  RegKey opened = root;
  if (!rest.empty() && registry.OpenKeyEx(root, rest.c_str(), kKeyRead, &opened) != kErrorSuccess) return out;
  TScopedRegKey key(registry);
  key.Reset(opened);
  // The key's name as the registry spells it is not known here; the caller's spelling is used.
  DumpKey(registry, key.Get(), rest.empty() ? RootText(root) : std::string(RootText(root)) + "\\" + rest, order, format,
          &out);
  return out;
}

std::string RegFileUtf16(const std::string& text) {
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n' && (lines.empty() || lines.back() != '\r')) lines.push_back('\r');
    lines.push_back(c);
  }
  std::string utf16;
  if (!Utf16FromUtf8(lines, &utf16)) return std::string();
  return "\xFF\xFE" + utf16;
}

}  // namespace platform
