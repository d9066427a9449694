// TRegistry on every back end: how it resolves paths, what ReadString gives or raises, how DeleteKey
// takes a subtree apart, and that it never leaves a handle open. Faults are made by wrapping the
// back end so that a single call fails or lies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/RegFile.h"
#include "services/Registry.h"
#include "tests/support/Installed.h"
#include "tests/support/RegistryBackends.h"

namespace {

using namespace platform;
using nq::ERegistryException;
using nq::TRegistry;
using nq::TStrings;
using nqtest::ForwardingRegistry;
using nqtest::Installed;
using nqtest::RegistryBackendTest;

using TRegistryContract = RegistryBackendTest;

TEST_P(TRegistryContract, OpenKeyResolvesAbsoluteAndRelativePaths) {
  Load("[HKEY_CURRENT_USER\\Software\\Vendor\\App]\n");
  TRegistry reg;
  EXPECT_EQ(reg.RootKey(), kHkeyCurrentUser);
  struct Step {
    const char* path;
    bool canCreate;
    bool opened;
    const char* currentPath;
  } steps[] = {
      {"\\Software\\Vendor", false, true, "Software\\Vendor"},
      {"App", false, true, "Software\\Vendor\\App"},              // relative to the open key
      {"Missing", false, false, "Software\\Vendor\\App"},         // nothing changes
      {"\\SOFTWARE\\vendor", false, true, "SOFTWARE\\vendor"},     // the same key, spelt as asked
      {"New\\Deeper", true, true, "SOFTWARE\\vendor\\New\\Deeper"},
      {"\\", false, true, ""},                                     // the root itself
      {"Software", false, true, "Software"},                       // relative to the root
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.path);
    const RegKey before = reg.CurrentKey();
    EXPECT_EQ(reg.OpenKey(step.path, step.canCreate), step.opened);
    EXPECT_EQ(reg.CurrentPath(), step.currentPath);
    if (!step.opened) {
      EXPECT_EQ(reg.CurrentKey(), before);
    }
  }
  RegKey key = 0;
  ASSERT_EQ(Registry().OpenKeyEx(kHkeyCurrentUser, "Software\\Vendor\\New\\Deeper", kKeyRead, &key), kErrorSuccess);
  Registry().CloseKey(key);
  reg.SetRootKey(kHkeyLocalMachine);
  EXPECT_EQ(reg.CurrentKey(), 0u) << "a new root closes the open key";
  EXPECT_EQ(reg.CurrentPath(), "");
  EXPECT_FALSE(reg.OpenKey("\\Software\\Vendor", false)) << "the key is under the other root";
}

TEST_P(TRegistryContract, OpenKeyCreatesOnlyWhenAsked) {
  const std::string before = DumpRegText(reg(), kHkeyCurrentUser);
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("\\Software\\A\\B", false));
  EXPECT_EQ(DumpRegText(this->reg(), kHkeyCurrentUser), before);
  EXPECT_TRUE(reg.OpenKey("\\Software\\A\\B", true));
  reg.CloseKey();
  EXPECT_TRUE(reg.OpenKey("\\Software\\A", false));
}

TEST_P(TRegistryContract, ReadStringGivesTextOrRaises) {
  Load("[HKEY_CURRENT_USER\\Kinds]\n"
       "\"sz\"=\"plain\"\n"
       "\"expand\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,78,00\n"
       "\"empty sz\"=\"\"\n"
       "\"zero sz\"=hex(1):\n"
       "\"no nul\"=hex(1):61,62,63\n"
       "\"inner nul\"=hex(1):61,62,00,63,64,00\n"
       "\"zero binary\"=hex:\n"
       "\"binary\"=hex:61,00\n"
       "\"dword\"=dword:00000001\n"
       "\"multi\"=hex(7):61,00,00\n"
       "\"none\"=hex(0):61\n");
  struct Case {
    const char* name;
    const char* text;   // when it reads
    const char* error;  // when it raises
  } cases[] = {
      {"sz", "plain", nullptr},
      {"expand", "%SystemRoot%\\x", nullptr},  // as stored, not expanded
      {"empty sz", "", nullptr},
      {"zero sz", "", nullptr},
      {"no nul", "abc", nullptr},  // up to the end of the data, not beyond
      {"inner nul", "ab", nullptr},
      {"zero binary", "", nullptr},  // size 0: empty whatever the kind
      {"missing", "", nullptr},
      {"binary", nullptr, "Invalid data type for 'binary'"},
      {"dword", nullptr, "Invalid data type for 'dword'"},
      {"multi", nullptr, "Invalid data type for 'multi'"},
      {"none", nullptr, "Invalid data type for 'none'"},
  };
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Kinds", false));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      const std::string text = reg.ReadString(c.name);
      EXPECT_EQ(c.error, nullptr) << "read as '" << text << "'";
      if (c.text) {
        EXPECT_EQ(text, c.text);
      }
    } catch (const ERegistryException& e) {
      ASSERT_NE(c.error, nullptr) << e.what();
      EXPECT_STREQ(e.what(), c.error);
    }
  }
}

// Reports every value one byte shorter than it is: the value grew between the size query and the
// read.
class ShrinkingSizes : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  long QueryValueEx(RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override {
    const long error = inner_.QueryValueEx(key, name, type, data, size);
    if (error == kErrorSuccess && data == nullptr && size != nullptr && *size > 1) --*size;
    return error;
  }
};

// Refuses to write any value.
class RefusingWrites : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  long SetValueEx(RegKey, const char*, std::uint32_t, const std::uint8_t*, std::uint32_t) override {
    return kErrorAccessDenied;
  }
};

TEST_P(TRegistryContract, ReadAndWriteFailuresRaiseWithTheValueName) {
  Load("[HKEY_CURRENT_USER\\Kinds]\n\"grows\"=\"abc\"\n");
  {
    ShrinkingSizes shrinking(reg());
    Installed installed(shrinking);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Kinds", false));
    try {
      const std::string read = reg.ReadString("grows");
      ADD_FAILURE() << "read " << read;
    } catch (const ERegistryException& e) {
      EXPECT_STREQ(e.what(), "Failed to get data for 'grows'");
    }
  }
  {
    RefusingWrites refusing(reg());
    Installed installed(refusing);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Kinds", false));
    try {
      reg.WriteString("new", "x");
      ADD_FAILURE() << "written";
    } catch (const ERegistryException& e) {
      EXPECT_STREQ(e.what(), "Failed to set data for 'new'");
    }
  }
  TRegistry none;
  EXPECT_THROW(none.WriteString("v", "x"), ERegistryException) << "no key open";
}

TEST_P(TRegistryContract, WriteStringStoresTextAndOneNulAsRegSz) {
  Load("[HKEY_CURRENT_USER\\W]\n\"was dword\"=dword:00000001\n");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\W", false));
  reg.WriteString("was dword", "abc");
  reg.WriteString("", "default");
  reg.WriteString("empty", "");
  reg.CloseKey();
  EXPECT_EQ(DumpRegText(this->reg(), kHkeyCurrentUser, "W", RegValueOrder::kByName),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\W]\n@=\"default\"\n\"empty\"=\"\"\n\"was dword\"=\"abc\"\n\n");
}

// Records the sub-paths RegDeleteKey is given, and refuses the one named `locked`.
class RecordingDeletes : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  std::vector<std::string> deleted;
  long DeleteKeyEx(RegKey base, const char* subKey, std::uint32_t view) override {
    deleted.push_back(subKey);
    if (std::string(subKey) == "locked") return kErrorAccessDenied;
    return inner_.DeleteKeyEx(base, subKey, view);
  }
};

TEST_P(TRegistryContract, DeleteKeyGoesDeepestFirstAndLastSiblingFirst) {
  Load("[HKEY_CURRENT_USER\\Software\\T\\a\\x]\n"
       "[HKEY_CURRENT_USER\\Software\\T\\a\\y]\n"
       "[HKEY_CURRENT_USER\\Software\\T\\b]\n"
       "\"v\"=\"1\"\n");
  RecordingDeletes recording(reg());
  Installed installed(recording);
  TRegistry reg;
  EXPECT_TRUE(reg.DeleteKey("\\SOFTWARE\\t"));
  EXPECT_EQ(recording.deleted, (std::vector<std::string>{"b", "y", "x", "a", "SOFTWARE\\t"}));
  EXPECT_EQ(DumpRegText(this->reg(), kHkeyCurrentUser, "Software"), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n");
  EXPECT_FALSE(reg.DeleteKey("\\Software\\T")) << "already gone";
}

TEST_P(TRegistryContract, DeleteKeyKeepsAParentWhoseSubkeyStays) {
  Load("[HKEY_CURRENT_USER\\T\\locked\\inner]\n[HKEY_CURRENT_USER\\T\\other]\n");
  RecordingDeletes recording(reg());
  Installed installed(recording);
  TRegistry reg;
  EXPECT_FALSE(reg.DeleteKey("\\T"));
  EXPECT_EQ(DumpRegText(this->reg(), kHkeyCurrentUser, "T"),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\T]\n\n[HKEY_CURRENT_USER\\T\\locked]\n\n");
}

TEST_P(TRegistryContract, DeleteKeyOfTheBaseItselfDeletesNothing) {
  // An empty path names the root (or the open key): walking it would empty all of it.
  Load("[HKEY_CURRENT_USER\\Software\\Keep\\Child]\n\"v\"=\"1\"\n");
  const std::string before = DumpRegText(reg(), kHkeyCurrentUser);
  TRegistry reg;
  EXPECT_FALSE(reg.DeleteKey("\\"));
  EXPECT_FALSE(reg.DeleteKey(""));
  ASSERT_TRUE(reg.OpenKey("\\Software\\Keep", false));
  EXPECT_FALSE(reg.DeleteKey(""));
  reg.CloseKey();
  EXPECT_EQ(DumpRegText(this->reg(), kHkeyCurrentUser), before);
}

TEST_P(TRegistryContract, NameListsAreClearedThenFilledInTheRegistrysOrder) {
  Load("[HKEY_CURRENT_USER\\L\\b]\n[HKEY_CURRENT_USER\\L\\A]\n[HKEY_CURRENT_USER\\L]\n\"z\"=\"1\"\n@=\"d\"\n\"m\"=dword:1\n");
  TRegistry reg;
  TStrings list{"stale"};
  reg.GetKeyNames(list);
  EXPECT_TRUE(list.empty()) << "no key open: cleared and left empty";
  ASSERT_TRUE(reg.OpenKey("\\L", false));
  list = {"stale"};
  reg.GetKeyNames(list);
  EXPECT_EQ(list, (TStrings{"A", "b"}));
  reg.GetValueNames(list);
  const TStrings expected = GetParam().valuesInCreationOrder ? TStrings{"z", "", "m"} : TStrings{"", "m", "z"};
  EXPECT_EQ(list, expected);
}

// Reports the longest names as half their length, as the count of characters does for a name
// in a double-byte code page.
class ShortLongest : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  long QueryInfoKey(RegKey key, std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen, std::uint32_t* values,
                    std::uint32_t* maxValueNameLen) override {
    const long error = inner_.QueryInfoKey(key, subKeys, maxSubKeyLen, values, maxValueNameLen);
    if (maxSubKeyLen) *maxSubKeyLen /= 2;
    if (maxValueNameLen) *maxValueNameLen /= 2;
    return error;
  }
};

TEST_P(TRegistryContract, NamesLongerThanTheReportedLongestAreStillListed) {
  // The `A` calls take a path of at most MAX_PATH characters, so two names of 120 make the deepest.
  const std::string longName(120, 'k');
  Load("[HKEY_CURRENT_USER\\L\\" + longName + "\\" + longName + "]\n[HKEY_CURRENT_USER\\L\\short]\n"
       "[HKEY_CURRENT_USER\\L]\n\"" + longName + "\"=\"1\"\n\"s\"=\"2\"\n");
  ShortLongest lying(reg());
  Installed installed(lying);
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\L", false));
  TStrings list;
  reg.GetKeyNames(list);
  EXPECT_EQ(list, (TStrings{longName, "short"}));
  reg.GetValueNames(list);
  EXPECT_EQ(list.size(), 2u);
  reg.CloseKey();
  EXPECT_TRUE(reg.DeleteKey("\\L"));
}

TEST_P(TRegistryContract, NoHandleOutlivesTheObjectEvenWhenItRaises) {
  Load("[HKEY_CURRENT_USER\\H\\Sub]\n\"dword\"=dword:1\n");
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\H", false));
    ASSERT_TRUE(reg.OpenKey("Sub", false));  // the first handle goes when the second comes
    EXPECT_EQ(backend().OpenHandleCount(), 1u);
    EXPECT_THROW(reg.ReadString("dword"), ERegistryException);
  }
  EXPECT_EQ(backend().OpenHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Backends, TRegistryContract, ::testing::ValuesIn(nqtest::RegistryBackends()),
                         nqtest::BackendName);

}  // namespace
