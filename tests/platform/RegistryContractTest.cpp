// What the program relies on from the registry calls, held against every back end: the substitute,
// and in the Windows build the real advapi32 calls, redirected into a scratch key. Buffers start
// filled with a sentinel so that a call that should leave them alone, or stop at their end, shows
// it. Where Wine differs from Windows the expectation says so for that back end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/RegFile.h"
#include "tests/support/RegistryBackends.h"

namespace {

using namespace platform;
using nqtest::RegistryBackendTest;

constexpr std::uint8_t kSentinel = 0xBD;
constexpr RegKey kNoKey = 0xDEAD0000;  // what a failed open must not leave behind

class RegistryContract : public RegistryBackendTest {
 protected:
  // Opens (creating) `path` under HKEY_CURRENT_USER; the test closes it.
  RegKey Create(const char* path, RegKey root = kHkeyCurrentUser) {
    RegKey key = kNoKey;
    EXPECT_EQ(reg().CreateKeyEx(root, path, kKeyAllAccess, &key), kErrorSuccess) << path;
    return key;
  }
  long Open(const char* path, RegKey* key = nullptr, std::uint32_t access = kKeyAllAccess,
            RegKey root = kHkeyCurrentUser) {
    RegKey local = kNoKey;
    const long error = reg().OpenKeyEx(root, path, access, &local);
    if (key) {
      *key = local;
    } else if (error == kErrorSuccess) {
      reg().CloseKey(local);
    }
    return error;
  }
  void SetSz(RegKey key, const char* name, const std::string& text) {
    ASSERT_EQ(reg().SetValueEx(key, name, kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                               static_cast<std::uint32_t>(text.size() + 1)),
              kErrorSuccess);
  }
  std::vector<std::string> Names(RegKey key, bool keys) {
    std::vector<std::string> names;
    char name[300];
    for (std::uint32_t i = 0;; ++i) {
      std::uint32_t length = sizeof name;
      const long error = keys ? reg().EnumKeyEx(key, i, name, &length) : reg().EnumValue(key, i, name, &length);
      if (error == kErrorNoMoreItems) break;
      EXPECT_EQ(error, kErrorSuccess);
      if (error != kErrorSuccess) break;
      names.emplace_back(name, length);
    }
    return names;
  }
  std::uint32_t SubkeyCount(RegKey key) {
    std::uint32_t count = 0xFFFF;
    EXPECT_EQ(reg().QueryInfoKey(key, &count, nullptr, nullptr, nullptr), kErrorSuccess);
    return count;
  }
};

TEST_P(RegistryContract, MissingKeyFailsAndCreatesNothing) {
  RegKey software = Create("Software");
  reg().CloseKey(software);
  for (const char* path : {"Software\\Missing", "Missing\\Deeper", "software\\missing\\"}) {
    SCOPED_TRACE(path);
    RegKey key = kNoKey;
    EXPECT_EQ(Open(path, &key), kErrorFileNotFound);
    EXPECT_EQ(key, 0u) << "a failed open leaves a null handle";
    EXPECT_EQ(Open(path, &key, kKeyRead), kErrorFileNotFound) << "the failed open created the key";
  }
  EXPECT_EQ(SubkeyCount(kHkeyCurrentUser), 1u);
}

TEST_P(RegistryContract, LeadingBackslashIsRefused) {
  RegKey key = Create("Software");
  reg().CloseKey(key);
  key = kNoKey;
  EXPECT_EQ(Open("\\Software", &key), kErrorBadPathname);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(reg().CreateKeyEx(kHkeyCurrentUser, "\\Fresh", kKeyAllAccess, &key), kErrorBadPathname);
  EXPECT_EQ(Open("Fresh"), kErrorFileNotFound);
  // One trailing backslash is harmless.
  EXPECT_EQ(Open("Software\\"), kErrorSuccess);
}

TEST_P(RegistryContract, EmptySubPathOpensTheBaseItself) {
  for (RegKey root : {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine}) {
    RegKey key = kNoKey;
    EXPECT_EQ(reg().OpenKeyEx(root, "", kKeyAllAccess, &key), kErrorSuccess);
    EXPECT_EQ(key, root) << "a root comes back as itself";
    key = kNoKey;
    EXPECT_EQ(reg().OpenKeyEx(root, nullptr, kKeyAllAccess, &key), kErrorSuccess);
    EXPECT_EQ(key, root);
  }
  RegKey sub = Create("Sub");
  RegKey again = kNoKey;
  ASSERT_EQ(reg().OpenKeyEx(sub, "", kKeyAllAccess, &again), kErrorSuccess);
  EXPECT_NE(again, sub) << "any other key gets a new handle";
  SetSz(again, "v", "x");
  std::uint32_t size = 0;
  EXPECT_EQ(reg().QueryValueEx(sub, "v", nullptr, nullptr, &size), kErrorSuccess);
  reg().CloseKey(again);
  reg().CloseKey(sub);
}

TEST_P(RegistryContract, CreateMakesMissingParentsAndOpensExisting) {
  RegKey key = Create("A\\B\\C");
  SetSz(key, "v", "1");
  reg().CloseKey(key);
  EXPECT_EQ(Open("A"), kErrorSuccess);
  EXPECT_EQ(Open("A\\B"), kErrorSuccess);
  key = Create("a\\b\\c");
  std::uint32_t size = 0;
  EXPECT_EQ(reg().QueryValueEx(key, "v", nullptr, nullptr, &size), kErrorSuccess) << "the same key, not a new one";
  reg().CloseKey(key);
  EXPECT_EQ(SubkeyCount(kHkeyCurrentUser), 1u);
}

TEST_P(RegistryContract, NamesMatchWithoutCaseAndKeepTheirCase) {
  RegKey key = Create("Software\\MixedCase");
  SetSz(key, "ValueName", "first");
  SetSz(key, "VALUENAME", "second");
  reg().CloseKey(key);
  ASSERT_EQ(Open("SOFTWARE\\mixedcase", &key), kErrorSuccess);
  EXPECT_EQ(Names(key, false), std::vector<std::string>{"ValueName"}) << "replaced, keeping the first spelling";
  char data[16];
  std::uint32_t size = sizeof data;
  EXPECT_EQ(reg().QueryValueEx(key, "valuename", nullptr, reinterpret_cast<std::uint8_t*>(data), &size),
            kErrorSuccess);
  EXPECT_STREQ(data, "second");
  reg().CloseKey(key);
  ASSERT_EQ(Open("software", &key), kErrorSuccess);
  EXPECT_EQ(Names(key, true), std::vector<std::string>{"MixedCase"});
  reg().CloseKey(key);
}

TEST_P(RegistryContract, SubkeysEnumerateInNameOrder) {
  RegKey parent = Create("Order");
  for (const char* name : {"beta", "Gamma", "alpha", "9", "10", "Alpha2"}) {
    RegKey key = kNoKey;
    ASSERT_EQ(reg().CreateKeyEx(parent, name, kKeyAllAccess, &key), kErrorSuccess);
    reg().CloseKey(key);
  }
  EXPECT_EQ(Names(parent, true), (std::vector<std::string>{"10", "9", "alpha", "Alpha2", "beta", "Gamma"}));
  reg().CloseKey(parent);
}

// Windows compares names in capitals: the marks between the capitals and the small letters ('[',
// '^', '_', '`') sort after every letter, not before. Wine compares them in small letters, so there
// those marks come first.
TEST_P(RegistryContract, SubkeysCompareInCapitalsOnWindowsInSmallLettersOnWine) {
  RegKey parent = Create("Marks");
  for (const char* name : {"_b", "{e", "[c", "zeta", "^d", "A", "~f", "`g", "@h"}) {
    RegKey key = kNoKey;
    ASSERT_EQ(reg().CreateKeyEx(parent, name, kKeyAllAccess, &key), kErrorSuccess) << name;
    reg().CloseKey(key);
  }
  using Order = std::vector<std::string>;
  const Order expected = GetParam().wine ? Order{"@h", "[c", "^d", "_b", "`g", "A", "zeta", "{e", "~f"}
                                         : Order{"@h", "A", "zeta", "[c", "^d", "_b", "`g", "{e", "~f"};
  EXPECT_EQ(Names(parent, true), expected);
  reg().CloseKey(parent);
}

TEST_P(RegistryContract, ValuesEnumerateInCreationOrderOnWindowsInNameOrderOnWine) {
  RegKey key = Create("Order");
  for (const char* name : {"A", "C", "d", "B"}) SetSz(key, name, name);
  const std::vector<std::string> expected = GetParam().valuesInCreationOrder
                                                ? std::vector<std::string>{"A", "C", "d", "B"}
                                                : std::vector<std::string>{"A", "B", "C", "d"};
  EXPECT_EQ(Names(key, false), expected);
  reg().CloseKey(key);
}

TEST_P(RegistryContract, QueryValueReportsKindAndSizeAndNeverOverruns) {
  RegKey key = Create("Query");
  SetSz(key, "text", "data");
  ASSERT_EQ(reg().SetValueEx(key, "empty", kRegBinary, nullptr, 0), kErrorSuccess);

  // Kind and size only.
  std::uint32_t type = 0xDEAD, size = 0xDEAD;
  EXPECT_EQ(reg().QueryValueEx(key, "text", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 5u);

  // Too small: ERROR_MORE_DATA, the size needed, the buffer untouched.
  std::uint8_t buffer[16];
  std::memset(buffer, kSentinel, sizeof buffer);
  size = 4;
  EXPECT_EQ(reg().QueryValueEx(key, "text", &type, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, 5u);
  for (std::uint8_t b : buffer) ASSERT_EQ(b, kSentinel);

  // Exactly large enough: the data and not a byte more.
  size = 5;
  type = 0xDEAD;
  EXPECT_EQ(reg().QueryValueEx(key, "text", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(std::memcmp(buffer, "data", 5), 0);
  EXPECT_EQ(buffer[5], kSentinel);

  // Missing: ERROR_FILE_NOT_FOUND and the buffer untouched. The kind is not to be trusted after a
  // failure: Windows leaves an arbitrary value there, Wine REG_NONE.
  std::memset(buffer, kSentinel, sizeof buffer);
  size = sizeof buffer;
  EXPECT_EQ(reg().QueryValueEx(key, "missing", &type, buffer, &size), kErrorFileNotFound);
  EXPECT_EQ(buffer[0], kSentinel);

  // Zero bytes of data read as a value of size 0, into nothing.
  size = sizeof buffer;
  EXPECT_EQ(reg().QueryValueEx(key, "empty", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegBinary);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(buffer[0], kSentinel);
  reg().CloseKey(key);
}

TEST_P(RegistryContract, TextIsStoredAsGivenWithOrWithoutItsNul) {
  RegKey key = Create("Text");
  // The byte after the given size is not NUL, so that Windows has no reason to take it in.
  const char raw[] = "abcX";
  ASSERT_EQ(reg().SetValueEx(key, "unterminated", kRegSz, reinterpret_cast<const std::uint8_t*>(raw), 3),
            kErrorSuccess);
  const char inner[] = "ab\0cd\0";
  ASSERT_EQ(reg().SetValueEx(key, "inner", kRegExpandSz, reinterpret_cast<const std::uint8_t*>(inner), 6),
            kErrorSuccess);
  std::uint8_t buffer[8];
  std::memset(buffer, kSentinel, sizeof buffer);
  std::uint32_t size = 3, type = 0;
  EXPECT_EQ(reg().QueryValueEx(key, "unterminated", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::memcmp(buffer, "abc", 3), 0);
  EXPECT_EQ(buffer[3], kSentinel);
  size = sizeof buffer;
  EXPECT_EQ(reg().QueryValueEx(key, "inner", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegExpandSz);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::memcmp(buffer, inner, 6), 0);
  reg().CloseKey(key);
}

TEST_P(RegistryContract, SetValueReplacesKindAndData) {
  RegKey key = Create("Set");
  SetSz(key, "v", "text");
  const std::uint8_t dword[4] = {1, 0, 0, 0};
  ASSERT_EQ(reg().SetValueEx(key, "V", kRegDword, dword, 4), kErrorSuccess);
  std::uint32_t type = 0, size = 0, values = 0;
  EXPECT_EQ(reg().QueryValueEx(key, "v", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(reg().QueryInfoKey(key, nullptr, nullptr, &values, nullptr), kErrorSuccess);
  EXPECT_EQ(values, 1u);
  reg().CloseKey(key);
}

TEST_P(RegistryContract, DeleteValueDeletesOnlyThatValue) {
  RegKey key = Create("Del");
  SetSz(key, "keep", "1");
  SetSz(key, "drop", "2");
  SetSz(key, "", "default");
  EXPECT_EQ(reg().DeleteValue(key, "DROP"), kErrorSuccess);
  EXPECT_EQ(reg().DeleteValue(key, "drop"), kErrorFileNotFound);
  EXPECT_EQ(reg().DeleteValue(key, nullptr), kErrorSuccess) << "null names the default value";
  EXPECT_EQ(Names(key, false), std::vector<std::string>{"keep"});
  reg().CloseKey(key);
}

TEST_P(RegistryContract, DeleteKeyRefusesAKeyWithSubkeys) {
  RegKey key = Create("Tree\\Leaf");
  reg().CloseKey(key);
  EXPECT_EQ(reg().DeleteKeyEx(kHkeyCurrentUser, "Tree", 0), kErrorAccessDenied);
  EXPECT_EQ(Open("Tree\\Leaf"), kErrorSuccess);
  EXPECT_EQ(reg().DeleteKeyEx(kHkeyCurrentUser, "Tree\\Missing", 0), kErrorFileNotFound);
  EXPECT_EQ(reg().DeleteKeyEx(kHkeyCurrentUser, "tree\\LEAF", 0), kErrorSuccess) << "a path of several names";
  EXPECT_EQ(Open("Tree\\Leaf"), kErrorFileNotFound);
  EXPECT_EQ(reg().DeleteKeyEx(kHkeyCurrentUser, "Tree", 0), kErrorSuccess);
  EXPECT_EQ(Open("Tree"), kErrorFileNotFound);
}

TEST_P(RegistryContract, DeleteKeyWithEmptyPathDeletesTheHandlesOwnKey) {
  RegKey key = Create("Self");
  EXPECT_EQ(reg().DeleteKeyEx(key, "", 0), kErrorSuccess);
  EXPECT_EQ(Open("Self"), kErrorFileNotFound);
  std::uint32_t count = 0xFFFF;
  EXPECT_EQ(reg().QueryInfoKey(key, &count, nullptr, nullptr, nullptr), kErrorKeyDeleted);
  EXPECT_EQ(count, 0xFFFFu);
  EXPECT_EQ(reg().CloseKey(key), kErrorSuccess);
}

TEST_P(RegistryContract, QueryInfoGivesCountsAndLongestNames) {
  RegKey key = Create("Info\\Longer");
  reg().CloseKey(key);
  key = Create("Info\\x");
  reg().CloseKey(key);
  ASSERT_EQ(Open("Info", &key), kErrorSuccess);
  SetSz(key, "", "default");
  SetSz(key, "name", "1");
  std::uint32_t subKeys = 0, maxSubKey = 0, values = 0, maxValue = 0;
  EXPECT_EQ(reg().QueryInfoKey(key, &subKeys, &maxSubKey, &values, &maxValue), kErrorSuccess);
  EXPECT_EQ(subKeys, 2u);
  EXPECT_EQ(maxSubKey, 6u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(maxValue, 4u);
  reg().CloseKey(key);
}

TEST_P(RegistryContract, EnumerationNeedsRoomForTheNulAndStopsAtTheEnd) {
  RegKey key = Create("Enum\\abc");
  reg().CloseKey(key);
  ASSERT_EQ(Open("Enum", &key), kErrorSuccess);
  SetSz(key, "xyz", "1");
  for (bool keys : {true, false}) {
    SCOPED_TRACE(keys ? "EnumKeyEx" : "EnumValue");
    auto call = [&](std::uint32_t index, char* name, std::uint32_t* length) {
      return keys ? reg().EnumKeyEx(key, index, name, length) : reg().EnumValue(key, index, name, length);
    };
    char name[8];
    std::memset(name, kSentinel, sizeof name);
    std::uint32_t length = 3;
    // Too short by the NUL. Windows may leave a truncated name in the buffer, but never past it.
    EXPECT_EQ(call(0, name, &length), kErrorMoreData);
    for (std::size_t i = 3; i < sizeof name; ++i) ASSERT_EQ(static_cast<std::uint8_t>(name[i]), kSentinel);
    length = 4;
    EXPECT_EQ(call(0, name, &length), kErrorSuccess);
    EXPECT_EQ(length, 3u);
    EXPECT_STREQ(name, keys ? "abc" : "xyz");
    EXPECT_EQ(static_cast<std::uint8_t>(name[4]), kSentinel);
    length = sizeof name;
    EXPECT_EQ(call(1, name, &length), kErrorNoMoreItems);
  }
  reg().CloseKey(key);
}

TEST_P(RegistryContract, AHandleGrantsOnlyTheRightsItWasOpenedWith) {
  RegKey key = Create("Rights");
  SetSz(key, "v", "1");
  reg().CloseKey(key);
  ASSERT_EQ(Open("Rights", &key, kKeyRead), kErrorSuccess);
  std::uint32_t size = 0;
  EXPECT_EQ(reg().QueryValueEx(key, "v", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(reg().SetValueEx(key, "w", kRegBinary, nullptr, 0), kErrorAccessDenied);
  EXPECT_EQ(reg().DeleteValue(key, "v"), kErrorAccessDenied);
  // Creating below a handle does not depend on the handle's rights.
  RegKey child = kNoKey;
  EXPECT_EQ(reg().CreateKeyEx(key, "Child", kKeyAllAccess, &child), kErrorSuccess);
  reg().CloseKey(child);
  reg().CloseKey(key);
  ASSERT_EQ(Open("Rights", &key, kKeySetValue), kErrorSuccess);
  EXPECT_EQ(reg().QueryValueEx(key, "v", nullptr, nullptr, &size), kErrorAccessDenied);
  reg().CloseKey(key);
}

TEST_P(RegistryContract, ReadOnlyRootRefusesAllAccessButReads) {
  Load("[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Sub]\n\"v\"=\"1\"\n");
  const std::string why = backend().SetReadOnly(kHkeyLocalMachine);
  if (!why.empty()) GTEST_SKIP() << why;
  const std::string before = DumpRegText(reg(), kHkeyLocalMachine);

  RegKey key = kNoKey;
  EXPECT_EQ(Open("Software\\Vendor", &key, kKeyAllAccess, kHkeyLocalMachine), kErrorAccessDenied);
  EXPECT_EQ(key, 0u);
  EXPECT_EQ(Open("Software\\Vendor", &key, kKeySetValue, kHkeyLocalMachine), kErrorAccessDenied);
  EXPECT_EQ(Open("Software\\Nothing", &key, kKeyAllAccess, kHkeyLocalMachine), kErrorFileNotFound)
      << "a missing key reads as missing";
  EXPECT_EQ(reg().CreateKeyEx(kHkeyLocalMachine, "Software\\Vendor", kKeyAllAccess, &key), kErrorAccessDenied)
      << "creating a key that exists opens it";
  EXPECT_EQ(reg().DeleteKeyEx(kHkeyLocalMachine, "Software\\Vendor\\Sub", 0), kErrorAccessDenied);
  EXPECT_EQ(reg().SetValueEx(kHkeyLocalMachine, "root", kRegBinary, nullptr, 0), kErrorAccessDenied);

  ASSERT_EQ(Open("Software\\Vendor\\Sub", &key, kKeyRead, kHkeyLocalMachine), kErrorSuccess);
  std::uint32_t size = 0;
  EXPECT_EQ(reg().QueryValueEx(key, "v", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(reg().SetValueEx(key, "w", kRegBinary, nullptr, 0), kErrorAccessDenied);
  reg().CloseKey(key);
  EXPECT_EQ(DumpRegText(reg(), kHkeyLocalMachine), before);

  // Windows checks the parent's DACL before it makes a subkey; Wine does not, so there a new key
  // appears where a standard user could make none.
  const long created = reg().CreateKeyEx(kHkeyLocalMachine, "Software\\New", kKeyAllAccess, &key);
  if (GetParam().wine) {
    EXPECT_EQ(created, kErrorSuccess) << "Wine now checks the parent: make this ERROR_ACCESS_DENIED everywhere";
    reg().CloseKey(key);
  } else {
    EXPECT_EQ(created, kErrorAccessDenied);
    EXPECT_EQ(DumpRegText(reg(), kHkeyLocalMachine), before);
  }
}

// The value "v" of a key, opened for reading in `view`; "-" when the key or the value is missing.
std::string ReadV(IRegistry& reg, RegKey root, const char* path, std::uint32_t view) {
  RegKey key = kNoKey;
  if (reg.OpenKeyEx(root, path, kKeyRead | view, &key) != kErrorSuccess) return "-";
  char data[16] = {};
  std::uint32_t size = sizeof data - 1;
  const long error = reg.QueryValueEx(key, "v", nullptr, reinterpret_cast<std::uint8_t*>(data), &size);
  reg.CloseKey(key);
  return error == kErrorSuccess ? std::string(data) : "-";
}

void WriteV(IRegistry& reg, RegKey root, const char* path, std::uint32_t view, const std::string& text) {
  RegKey key = kNoKey;
  ASSERT_EQ(reg.CreateKeyEx(root, path, kKeyAllAccess | view, &key), kErrorSuccess) << path;
  ASSERT_EQ(reg.SetValueEx(key, "v", kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                           static_cast<std::uint32_t>(text.size() + 1)),
            kErrorSuccess);
  reg.CloseKey(key);
}

// On 64-bit Windows the machine's software key is kept twice: an open in the 32-bit view lands in
// "Software\Wow6432Node", one in the 64-bit view or with no flag in the key itself. The redirected
// registry under Wine holds "Software\Wow6432Node" as a real machine does, and Wine sends 32-bit
// view opens there as Windows does.
TEST_P(RegistryContract, MachineSoftwareKeyHasTwoViews) {
  constexpr const char* kApp = "Software\\Vendor\\App";
  WriteV(reg(), kHkeyLocalMachine, kApp, kKeyWow64_64Key, "64");
  WriteV(reg(), kHkeyLocalMachine, kApp, kKeyWow64_32Key, "32");
  EXPECT_EQ(ReadV(reg(), kHkeyLocalMachine, kApp, 0), "64");
  EXPECT_EQ(ReadV(reg(), kHkeyLocalMachine, kApp, kKeyWow64_64Key), "64");
  EXPECT_EQ(ReadV(reg(), kHkeyLocalMachine, kApp, kKeyWow64_32Key), "32");
  EXPECT_EQ(ReadV(reg(), kHkeyLocalMachine, "SOFTWARE\\Wow6432Node\\vendor\\app", 0), "32");
  EXPECT_EQ(ReadV(reg(), kHkeyLocalMachine, "Software\\Wow6432Node\\Vendor\\App", kKeyWow64_32Key), "32")
      << "a path through Wow6432Node is not sent there a second time";

  // Below a handle of the 32-bit view, the path goes on in that view.
  RegKey vendor = kNoKey;
  ASSERT_EQ(reg().OpenKeyEx(kHkeyLocalMachine, "Software\\Vendor", kKeyRead | kKeyWow64_32Key, &vendor), kErrorSuccess);
  EXPECT_EQ(ReadV(reg(), vendor, "App", 0), "32");
  reg().CloseKey(vendor);

  // Deleting in one view leaves the other's copy.
  EXPECT_EQ(reg().DeleteKeyEx(kHkeyLocalMachine, kApp, kKeyWow64_32Key), kErrorSuccess);
  EXPECT_EQ(ReadV(reg(), kHkeyLocalMachine, kApp, kKeyWow64_32Key), "-");
  EXPECT_EQ(ReadV(reg(), kHkeyLocalMachine, kApp, kKeyWow64_64Key), "64");
  EXPECT_EQ(reg().DeleteKeyEx(kHkeyLocalMachine, kApp, kKeyWow64_32Key), kErrorFileNotFound);

  // The current user's keys have one view.
  WriteV(reg(), kHkeyCurrentUser, "Software\\Vendor", kKeyWow64_32Key, "user");
  EXPECT_EQ(ReadV(reg(), kHkeyCurrentUser, "Software\\Vendor", kKeyWow64_64Key), "user");
  EXPECT_EQ(ReadV(reg(), kHkeyCurrentUser, "Software\\Vendor", 0), "user");
}

// "Software\Policies" is one key in both views, on Windows and on Wine's own machine key (stated
// in tests/views). The redirected scratch key shares nothing.
TEST_P(RegistryContract, PoliciesAreSharedBetweenTheViews) {
  if (GetParam().name != "Sim") GTEST_SKIP() << "the redirected registry shares no key between the views";
  constexpr const char* kPolicy = "Software\\Policies\\Vendor";
  WriteV(reg(), kHkeyLocalMachine, kPolicy, kKeyWow64_32Key, "32");
  EXPECT_EQ(ReadV(reg(), kHkeyLocalMachine, kPolicy, kKeyWow64_64Key), "32");
  EXPECT_EQ(reg().DeleteKeyEx(kHkeyLocalMachine, kPolicy, kKeyWow64_64Key), kErrorSuccess);
  EXPECT_EQ(ReadV(reg(), kHkeyLocalMachine, kPolicy, kKeyWow64_32Key), "-");
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryContract, ::testing::ValuesIn(nqtest::RegistryBackends()),
                         nqtest::BackendName);

}  // namespace
