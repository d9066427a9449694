// The REGEDIT4 reader and dumper, on the substitute: every kind of line, what a malformed file
// does (nothing, and says where), and that a dump loads back into the same tree.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegFile.h"
#include "platform/sim/SimRegistry.h"
#include "tests/support/Registry.h"

namespace {

using namespace platform;

struct Read {
  std::uint32_t type = 0xDEAD;
  std::vector<std::uint8_t> data;
  long error = -1;
};

Read ReadValue(IRegistry& reg, RegKey root, const char* path, const char* name) {
  Read r;
  RegKey key = 0;
  r.error = reg.OpenKeyEx(root, path, kKeyRead, &key);
  if (r.error != kErrorSuccess) return r;
  std::uint32_t size = 0;
  r.error = reg.QueryValueEx(key, name, &r.type, nullptr, &size);
  if (r.error == kErrorSuccess) {
    r.data.resize(size);
    r.error = reg.QueryValueEx(key, name, &r.type, r.data.data(), &size);
  }
  reg.CloseKey(key);
  return r;
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<std::uint8_t> v;
  for (int b : list) v.push_back(static_cast<std::uint8_t>(b));
  return v;
}

std::vector<std::uint8_t> Sz(const std::string& s) {
  std::vector<std::uint8_t> v(s.begin(), s.end());
  v.push_back(0);
  return v;
}

TEST(RegFile, ReadsEveryKindOfValue) {
  SimRegistry reg;
  LoadRegText(reg,
              "REGEDIT4\r\n"
              "\r\n"
              "; a comment\r\n"
              "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
              "@=\"default\"\r\n"
              "\"Path\"=\"C:\\\\Program Files\\\\x \\\"q\\\"\"\r\n"
              "\"Empty\"=\"\"\r\n"
              "\"Count\"=dword:0000002a\r\n"
              "\"Bin\"=hex:01,ff,  0a\r\n"
              "\"NoBytes\"=hex:\r\n"
              "\"Expand\"=hex(2):25,54,25,00\r\n"
              "\"Multi\"=hex(7):61,00,62,00,00,\\\r\n"
              "  ; comments may sit inside continued data\r\n"
              "    00\r\n"
              "\"None\"=hex(0):\r\n"
              "\"Odd\"=hex(1f2):07\r\n"
              "\"Quote\\\"d\" = \"x\"  ; trailing comment\r\n"
              "[HKLM\\Software\\Short]\r\n"
              "[hkcr\\.txt]\r\n"
              "@=\"txtfile\"\r\n");
  struct Case {
    RegKey root;
    const char* path;
    const char* name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  } cases[] = {
      {kHkeyCurrentUser, "Software\\Test", "", kRegSz, Sz("default")},
      {kHkeyCurrentUser, "Software\\Test", "path", kRegSz, Sz("C:\\Program Files\\x \"q\"")},
      {kHkeyCurrentUser, "Software\\Test", "Empty", kRegSz, Sz("")},
      {kHkeyCurrentUser, "Software\\Test", "Count", kRegDword, Bytes({42, 0, 0, 0})},
      {kHkeyCurrentUser, "Software\\Test", "Bin", kRegBinary, Bytes({1, 0xff, 0x0a})},
      {kHkeyCurrentUser, "Software\\Test", "NoBytes", kRegBinary, {}},
      {kHkeyCurrentUser, "Software\\Test", "Expand", kRegExpandSz, Sz("%T%")},
      {kHkeyCurrentUser, "Software\\Test", "Multi", kRegMultiSz, Bytes({'a', 0, 'b', 0, 0, 0})},
      {kHkeyCurrentUser, "Software\\Test", "None", kRegNone, {}},
      {kHkeyCurrentUser, "Software\\Test", "Odd", 0x1f2, Bytes({7})},
      {kHkeyCurrentUser, "Software\\Test", "Quote\"d", kRegSz, Sz("x")},
      {kHkeyClassesRoot, ".txt", "", kRegSz, Sz("txtfile")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Read r = ReadValue(reg, c.root, c.path, c.name);
    ASSERT_EQ(r.error, kErrorSuccess);
    EXPECT_EQ(r.type, c.type);
    EXPECT_EQ(r.data, c.data);
  }
  RegKey key = 0;
  EXPECT_EQ(reg.OpenKeyEx(kHkeyLocalMachine, "SOFTWARE\\short", kKeyRead, &key), kErrorSuccess);
  reg.CloseKey(key);
  EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

TEST(RegFile, DeletesKeysAndValues) {
  SimRegistry reg;
  LoadRegText(reg,
              "REGEDIT4\n"
              "[HKEY_CURRENT_USER\\A\\B\\C]\n\"v\"=\"1\"\n"
              "[HKEY_CURRENT_USER\\A\\B\\D]\n"
              "[HKEY_CURRENT_USER\\A]\n\"keep\"=\"1\"\n\"drop\"=\"2\"\n");
  LoadRegText(reg,
              "REGEDIT4\n"
              "[-HKEY_CURRENT_USER\\a\\b]\n"
              "[-HKEY_CURRENT_USER\\Missing\\Key]\n"
              "[HKEY_CURRENT_USER\\A]\n\"DROP\"=-\n\"never-there\"=-\n");
  EXPECT_EQ(DumpRegText(reg, kHkeyCurrentUser, "A"), "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"keep\"=\"1\"\n\n");
  EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

TEST(RegFile, MalformedTextChangesNothingAndNamesItsLine) {
  using namespace std::string_view_literals;
  struct Case {
    std::string_view text;
    int line;
  } cases[] = {
      {"", 1},
      {"[HKEY_CURRENT_USER\\X]\n", 1},
      {"REGEDIT4\n\"v\"=\"value before any key\"\n", 2},
      {"REGEDIT4\n[HKEY_USERS\\X]\n", 2},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X\n", 2},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X\\\\Y]\n", 2},
      {"REGEDIT4\n[-HKEY_CURRENT_USER]\n", 2},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\n\"v\"=\"unterminated\n", 4},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=\"C:\\Windows\"\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=dword:123456789\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=dword:\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=hex:1,2x\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=hex:123\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=hex:01,\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=hex(:01\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=hex:01,\\\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=hex:01,\\\n\n02\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\" \"x\"\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=text\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"v\"=\"x\" y\n", 3},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X]\nstray\n", 3},
      {"REGEDIT4\n[-HKEY_CURRENT_USER\\X]\n\"v\"=\"under a deleted key\"\n", 3},
      // The registry's calls stop at a NUL: these would name the root itself, or another value.
      {"REGEDIT4\n[-HKEY_CURRENT_USER\\\0]\n"sv, 2},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\X\0Y]\n"sv, 2},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\Kept]\n\"v\0w\"=-\n"sv, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    SimRegistry reg;
    RegKey kept = 0;
    ASSERT_EQ(reg.CreateKeyEx(kHkeyCurrentUser, "Kept", kKeyAllAccess, &kept), kErrorSuccess);
    reg.CloseKey(kept);
    try {
      LoadRegText(reg, std::string(c.text));
      ADD_FAILURE() << "accepted";
    } catch (const RegFileError& e) {
      EXPECT_EQ(e.Line(), c.line) << e.what();
    }
    RegKey key = 0;
    EXPECT_EQ(reg.OpenKeyEx(kHkeyCurrentUser, "X", kKeyRead, &key), kErrorFileNotFound);
    ASSERT_EQ(reg.OpenKeyEx(kHkeyCurrentUser, "Kept", kKeyRead, &key), kErrorSuccess);
    reg.CloseKey(key);
  }
}

TEST(RegFile, DumpIsCanonicalAndLoadsBack) {
  SimRegistry reg;
  LoadRegText(reg,
              "REGEDIT4\n"
              "[HKEY_CURRENT_USER\\Root\\beta]\n"
              "[HKEY_CURRENT_USER\\Root\\Alpha\\Deep]\n"
              "[HKEY_CURRENT_USER\\Root]\n"
              "\"z\"=\"last made first\"\n"
              "@=\"d\"\n"
              "\"B\"=hex:00\n"
              "\"dw\"=dword:ffffffff\n"
              "\"short dword\"=hex(4):01\n"
              "\"no nul\"=hex(1):61,62\n"
              "\"inner nul\"=hex(1):61,00,62,00\n"
              "\"a\\\\b\"=\"q\\\"\"\n");
  const std::string expected =
      "REGEDIT4\n\n"
      "[HKEY_CURRENT_USER\\Root]\n"
      "\"z\"=\"last made first\"\n"
      "@=\"d\"\n"
      "\"B\"=hex:00\n"
      "\"dw\"=dword:ffffffff\n"
      "\"short dword\"=hex(4):01\n"
      "\"no nul\"=hex(1):61,62\n"
      "\"inner nul\"=hex(1):61,00,62,00\n"
      "\"a\\\\b\"=\"q\\\"\"\n"
      "\n"
      "[HKEY_CURRENT_USER\\Root\\Alpha]\n\n"
      "[HKEY_CURRENT_USER\\Root\\Alpha\\Deep]\n\n"
      "[HKEY_CURRENT_USER\\Root\\beta]\n\n";
  const std::string dump = DumpRegText(reg, kHkeyCurrentUser, "\\Root");
  EXPECT_EQ(dump, expected);

  const std::string byName = DumpRegText(reg, kHkeyCurrentUser, "Root", RegValueOrder::kByName);
  EXPECT_LT(byName.find("@="), byName.find("\"a\\\\b\"="));
  EXPECT_LT(byName.find("\"a\\\\b\"="), byName.find("\"B\"="));
  EXPECT_LT(byName.find("\"short dword\"="), byName.find("\"z\"="));

  SimRegistry copy;
  LoadRegText(copy, dump);
  EXPECT_EQ(DumpRegText(copy, kHkeyCurrentUser, "Root"), dump);
  EXPECT_EQ(DumpRegText(copy, kHkeyCurrentUser, "Nowhere"), "REGEDIT4\n\n");
  EXPECT_EQ(reg.OpenHandleCount(), 0u);
  EXPECT_EQ(copy.OpenHandleCount(), 0u);
}

TEST(RegFile, RefusalFromTheRegistryNamesItsLine) {
  SimRegistry reg;
  reg.SetReadOnly(kHkeyLocalMachine, true);
  try {
    LoadRegText(reg, "REGEDIT4\n[HKEY_CURRENT_USER\\Ok]\n[HKEY_LOCAL_MACHINE\\Software\\X]\n");
    ADD_FAILURE() << "accepted";
  } catch (const RegFileError& e) {
    EXPECT_EQ(e.Line(), 3) << e.what();
  }
  EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

TEST(RegFile, LoadsTheSyntaxFixture) {
  SimRegistry reg;
  EXPECT_THROW(nqtest::LoadFixture(reg, "no-such-fixture.reg"), RegFileError);
  nqtest::LoadFixture(reg, "regfile-syntax.reg");
  std::string longBinary;
  for (int b = 0; b <= 0x33; ++b) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%s%02x", b ? "," : "", b);
    longBinary += hex;
  }
  EXPECT_EQ(DumpRegText(reg, kHkeyCurrentUser, "Software\\Norvane Syntax", RegValueOrder::kByName),
            "REGEDIT4\n\n"
            "[HKEY_CURRENT_USER\\Software\\Norvane Syntax]\n"
            "@=\"default text\"\n"
            "\"Binary\"=hex:00,01,7f,80,ff\n"
            "\"Count\"=dword:0000002a\n"
            "\"Empty\"=\"\"\n"
            "\"Expand\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,61,2e,65,78,65,00\n"
            "\"Long binary\"=hex:" + longBinary + "\n"
            "\"Multi\"=hex(7):6f,6e,65,00,74,77,6f,00,00\n"
            "\"No bytes\"=hex:\n"
            "\"None\"=hex(0):\n"
            "\"Own kind\"=hex(1f2):0a,0b\n"
            "\"Plain\"=\"C:\\\\Program Files\\\\Norvane\\\\app.exe \\\"%1\\\"\"\n"
            "\"Quote \\\"in\\\" name\"=\"x\"\n"
            "\"Short dword\"=dword:0000002a\n"
            "\"Text without NUL\"=hex(1):61,62,63\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Norvane Syntax\\Sub Key]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Norvane Syntax\\Sub Key\\Deeper]\n"
            "\"Level\"=dword:00000003\n\n");
  EXPECT_EQ(DumpRegText(reg, kHkeyClassesRoot, ".nqtest"), "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\.nqtest]\n@=\"nqtestfile\"\n\n");
  EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

}  // namespace
