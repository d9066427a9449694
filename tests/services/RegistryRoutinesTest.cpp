// The registry routines on every back end: what each gives, what it leaves in the registry, and
// that a key it cannot open is never an error. Each test checks afterwards that no handle is left.
#include <gtest/gtest.h>

#include <string>

#include "platform/RegFile.h"
#include "services/MainFunc.h"
#include "tests/support/Installed.h"
#include "tests/support/RegistryBackends.h"

namespace {

using namespace nq;
using platform::DumpRegText;
using platform::RegValueOrder;
using nqtest::ForwardingRegistry;
using nqtest::Installed;
using nqtest::RegistryBackendTest;

class RegistryRoutines : public RegistryBackendTest {
 protected:
  std::string Dump(RegKey root = kHkeyCurrentUser, const std::string& path = "") {
    return DumpRegText(reg(), root, path, RegValueOrder::kByName);
  }
};

constexpr const char* kKinds =
    "[HKEY_CURRENT_USER\\Software\\Kinds]\n"
    "\"sz\"=\"plain text\"\n"
    "\"expand\"=hex(2):25,55,53,45,52,50,52,4f,46,49,4c,45,25,5c,61,00\n"
    "\"no nul\"=hex(1):61,62,63\n"
    "\"inner nul\"=hex(1):61,62,00,63,64,00\n"
    "\"empty\"=\"\"\n"
    "\"zero binary\"=hex:\n"
    "\"binary\"=hex:61,62,00\n"
    "\"dword\"=dword:00000061\n"
    "\"multi\"=hex(7):61,00,62,00,00\n"
    "\"none\"=hex(0):61,00\n";

TEST_P(RegistryRoutines, ReadStringValueGivesTextOrNothing) {
  Load(kKinds);
  struct Case {
    const char* key;
    const char* name;
    const char* text;
  } cases[] = {
      {"\\Software\\Kinds", "sz", "plain text"},
      {"\\SOFTWARE\\kinds", "SZ", "plain text"},
      {"\\Software\\Kinds", "expand", "%USERPROFILE%\\a"},
      {"\\Software\\Kinds", "no nul", "abc"},
      {"\\Software\\Kinds", "inner nul", "ab"},
      {"\\Software\\Kinds", "empty", ""},
      {"\\Software\\Kinds", "zero binary", ""},
      {"\\Software\\Kinds", "binary", ""},
      {"\\Software\\Kinds", "dword", ""},
      {"\\Software\\Kinds", "multi", ""},
      {"\\Software\\Kinds", "none", ""},
      {"\\Software\\Kinds", "missing", ""},
      {"\\Software\\Missing", "sz", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.name);
    EXPECT_EQ(ReadStringValue(kHkeyCurrentUser, c.key, c.name), c.text);
  }
}

TEST_P(RegistryRoutines, ReadStringValueCreatesTheKeyOnlyWhenAsked) {
  const std::string before = Dump();
  EXPECT_EQ(ReadStringValue(kHkeyCurrentUser, "\\Software\\A\\B", "v", false), "");
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(ReadStringValue(kHkeyCurrentUser, "\\Software\\A\\B", "v", true), "");
  EXPECT_EQ(Dump(kHkeyCurrentUser, "Software"),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\A]\n\n"
            "[HKEY_CURRENT_USER\\Software\\A\\B]\n\n");
}

TEST_P(RegistryRoutines, ListsGiveNamesOrShownTexts) {
  Load("[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]\n"
       "\"Count\"=dword:00000002\n"
       "\"u1\"=\"abc\"\n"
       "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\\Sub]\n");
  const std::string key = "\\Software\\Microsoft\\Internet Explorer\\TypedURLs";
  TStrings list{"stale"};
  EXPECT_TRUE(ListValueData(kHkeyCurrentUser, key, list));
  EXPECT_EQ(list, (TStrings{"Count", "abc"})) << "a value that is not text shows its name";
  EXPECT_TRUE(ListValueNames(kHkeyCurrentUser, "\\SOFTWARE\\Microsoft\\Internet Explorer\\TypedURLs", list));
  EXPECT_EQ(list, (TStrings{"Count", "u1"}));
  EXPECT_TRUE(ListSubkeys(kHkeyCurrentUser, key, list));
  EXPECT_EQ(list, (TStrings{"Sub"}));
  for (auto* routine : {&ListSubkeys, &ListValueNames, &ListValueData}) {
    list = {"kept"};
    EXPECT_FALSE(routine(kHkeyCurrentUser, key + "\\Missing", list, TRegView::Default));
    EXPECT_EQ(list, (TStrings{"kept"})) << "a key that cannot be opened leaves the list as it was";
  }
}

TEST_P(RegistryRoutines, DeleteValueByDataDeletesEveryValueShowingTheText) {
  struct Case {
    const char* text;
    bool result;
    const char* left;  // the values left, by name
  } cases[] = {
      {"Count", true, "\"a1\"=\"same\"\n\"a2\"=\"same\"\n\"u1\"=\"abc\"\n"},  // matched by its name
      {"same", true, "\"Count\"=dword:00000002\n\"u1\"=\"abc\"\n"},
      {"SAME", false, "\"a1\"=\"same\"\n\"a2\"=\"same\"\n\"Count\"=dword:00000002\n\"u1\"=\"abc\"\n"},
      {"u1", false, "\"a1\"=\"same\"\n\"a2\"=\"same\"\n\"Count\"=dword:00000002\n\"u1\"=\"abc\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Load("[-HKEY_CURRENT_USER\\T]\n[HKEY_CURRENT_USER\\T]\n"
         "\"a1\"=\"same\"\n\"Count\"=dword:00000002\n\"a2\"=\"same\"\n\"u1\"=\"abc\"\n");
    EXPECT_EQ(DeleteValueByData(kHkeyCurrentUser, "\\T", c.text), c.result);
    EXPECT_EQ(Dump(kHkeyCurrentUser, "T"), std::string("REGEDIT4\n\n[HKEY_CURRENT_USER\\T]\n") + c.left + "\n");
  }
  EXPECT_FALSE(DeleteValueByData(kHkeyCurrentUser, "\\Missing", "same"));
}

// Refuses to delete the value named `refused`.
class RefusingValue : public ForwardingRegistry {
 public:
  RefusingValue(platform::IRegistry& inner, std::string refused) : ForwardingRegistry(inner), refused_(refused) {}
  long DeleteValue(RegKey key, const char* name) override {
    return refused_ == name ? platform::kErrorAccessDenied : inner_.DeleteValue(key, name);
  }

 private:
  std::string refused_;
};

TEST_P(RegistryRoutines, DeleteValueByDataGivesTheLastDeletionsOutcome) {
  // a1 comes before a2 in creation order and in name order alike.
  for (const char* refused : {"a1", "a2"}) {
    SCOPED_TRACE(refused);
    Load("[-HKEY_CURRENT_USER\\T]\n[HKEY_CURRENT_USER\\T]\n\"a1\"=\"same\"\n\"a2\"=\"same\"\n");
    RefusingValue refusing(reg(), refused);
    Installed installed(refusing);
    EXPECT_EQ(DeleteValueByData(kHkeyCurrentUser, "\\T", "same"), std::string(refused) == "a1");
  }
}

TEST_P(RegistryRoutines, DeleteNamedValue) {
  Load("[HKEY_CURRENT_USER\\T]\n\"v\"=\"1\"\n\"w\"=dword:1\n");
  EXPECT_TRUE(DeleteNamedValue(kHkeyCurrentUser, "\\T", "V"));
  EXPECT_FALSE(DeleteNamedValue(kHkeyCurrentUser, "\\T", "v")) << "already gone";
  EXPECT_FALSE(DeleteNamedValue(kHkeyCurrentUser, "\\Missing", "w"));
  EXPECT_EQ(Dump(kHkeyCurrentUser, "T"), "REGEDIT4\n\n[HKEY_CURRENT_USER\\T]\n\"w\"=dword:00000001\n\n");
}

TEST_P(RegistryRoutines, DeleteRegistryKeyRemovesTheSubtree) {
  Load("[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Extensions\\{A}\\Deep\\Deeper]\n"
       "\"v\"=\"1\"\n"
       "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Extensions\\{B}]\n");
  EXPECT_TRUE(DeleteRegistryKey(kHkeyCurrentUser, "\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{a}"));
  EXPECT_FALSE(DeleteRegistryKey(kHkeyCurrentUser, "\\Software\\Microsoft\\Internet Explorer\\Extensions\\{A}"));
  TStrings list;
  EXPECT_TRUE(ListSubkeys(kHkeyCurrentUser, "\\Software\\Microsoft\\Internet Explorer\\Extensions", list));
  EXPECT_EQ(list, (TStrings{"{B}"}));
}

TEST_P(RegistryRoutines, DeleteExtensionByButtonTextDeletesEveryMatch) {
  constexpr const char* kExtensions =
      "[HKEY_CURRENT_USER\\Ext\\{1}]\n\"ButtonText\"=\"Search\"\n"
      "[HKEY_CURRENT_USER\\Ext\\{2}\\Sub]\n"
      "[HKEY_CURRENT_USER\\Ext\\{2}]\n\"ButtonText\"=\"Search\"\n"
      "[HKEY_CURRENT_USER\\Ext\\{3}]\n\"ButtonText\"=\"search\"\n"
      "[HKEY_CURRENT_USER\\Ext\\{4}]\n\"Exec\"=\"x.exe\"\n";
  struct Case {
    const char* text;
    bool result;
    TStrings left;
  } cases[] = {
      {"Search", true, {"{3}", "{4}"}},
      {"Nothing", false, {"{1}", "{2}", "{3}", "{4}"}},
      // A key without a "ButtonText" reads as empty text; empty text must not delete it.
      {"", false, {"{1}", "{2}", "{3}", "{4}"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Load(std::string("[-HKEY_CURRENT_USER\\Ext]\n") + kExtensions);
    EXPECT_EQ(DeleteExtensionByButtonText(kHkeyCurrentUser, "\\Ext", c.text), c.result);
    TStrings left;
    EXPECT_TRUE(ListSubkeys(kHkeyCurrentUser, "\\Ext", left));
    EXPECT_EQ(left, c.left);
  }
  EXPECT_FALSE(DeleteExtensionByButtonText(kHkeyCurrentUser, "\\Missing", "Search"));
}

TEST_P(RegistryRoutines, WriteStringValueNeedsTheKey) {
  Load("[HKEY_CURRENT_USER\\T]\n\"was dword\"=dword:1\n");
  const std::string before = Dump();
  EXPECT_FALSE(WriteStringValue(kHkeyCurrentUser, "\\Missing\\Key", "v", "x"));
  EXPECT_EQ(Dump(), before) << "nothing is created";
  EXPECT_TRUE(WriteStringValue(kHkeyCurrentUser, "\\t", "new", "text"));
  EXPECT_TRUE(WriteStringValue(kHkeyCurrentUser, "\\T", "WAS DWORD", ""));
  EXPECT_EQ(Dump(kHkeyCurrentUser, "T"), "REGEDIT4\n\n[HKEY_CURRENT_USER\\T]\n\"new\"=\"text\"\n\"was dword\"=\"\"\n\n");
}

TEST_P(RegistryRoutines, ClearingValuesKeepsSubkeysAndTheirValues) {
  Load("[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\\Sub]\n\"s\"=\"kept\"\n"
       "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]\n"
       "\"url1\"=\"a\"\n@=\"d\"\n\"url2\"=dword:1\n"
       "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU]\n"
       "\"a\"=\"cmd\"\n\"MRUList\"=\"a\"\n");
  EXPECT_TRUE(ClearTypedUrls());
  EXPECT_TRUE(ClearKeyValues("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU"));
  EXPECT_FALSE(ClearKeyValues("\\Software\\Missing"));
  EXPECT_EQ(Dump(kHkeyCurrentUser, "Software\\Microsoft\\Internet Explorer\\TypedURLs"),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\\Sub]\n\"s\"=\"kept\"\n\n");
  TStrings names{"x"};
  EXPECT_TRUE(ListValueNames(kHkeyCurrentUser, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", names));
  EXPECT_TRUE(names.empty());
}

// Refuses every key deletion.
class RefusingKeys : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  long DeleteKeyEx(RegKey, const char*, std::uint32_t) override { return platform::kErrorAccessDenied; }
};

TEST_P(RegistryRoutines, DeleteUserKeyIsTrueOnceTheKeyOpens) {
  Load("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs\\.txt]\n\"0\"=hex:00\n");
  const char* key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
  {
    RefusingKeys refusing(reg());
    Installed installed(refusing);
    EXPECT_TRUE(DeleteUserKey(key)) << "whatever the deletion gave";
  }
  EXPECT_TRUE(DeleteUserKey(key));
  EXPECT_FALSE(DeleteUserKey(key));
  TStrings list;
  EXPECT_FALSE(ListSubkeys(kHkeyCurrentUser, key, list));
}

TEST_P(RegistryRoutines, GetShellFolderLetsANonTextValueRaise) {
  Load("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
       "\"Cookies\"=\"C:\\\\Users\\\\me\\\\Cookies\"\n"
       "\"Recent\"=dword:1\n");
  EXPECT_EQ(GetShellFolder("cookies"), "C:\\Users\\me\\Cookies");
  EXPECT_EQ(GetShellFolder("Favorites"), "");
  try {
    GetShellFolder("Recent");
    ADD_FAILURE() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Recent'");
  }
  Load("[-HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n");
  EXPECT_EQ(GetShellFolder("Cookies"), "");
}

TEST_P(RegistryRoutines, AStandardUsersMachineKeyListsNothingAndDeletesNothing) {
  Load("[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
       "\"Agent\"=\"agent.exe\"\n\"Script\"=\"wscript.exe x.vbs\"\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\Extensions\\{1}]\n"
       "\"ButtonText\"=\"Search\"\n");
  const std::string why = backend().SetReadOnly(kHkeyLocalMachine);
  if (!why.empty()) GTEST_SKIP() << why;
  const std::string before = Dump(kHkeyLocalMachine);
  const std::string run = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string extensions = "\\Software\\Microsoft\\Internet Explorer\\Extensions";
  TStrings list{"kept"};
  EXPECT_FALSE(ListValueNames(kHkeyLocalMachine, run, list));
  EXPECT_FALSE(ListValueData(kHkeyLocalMachine, run, list));
  EXPECT_FALSE(ListSubkeys(kHkeyLocalMachine, extensions, list));
  EXPECT_EQ(list, (TStrings{"kept"}));
  EXPECT_EQ(ReadStringValue(kHkeyLocalMachine, run, "Agent"), "") << "all access is asked even to read";
  EXPECT_FALSE(DeleteNamedValue(kHkeyLocalMachine, run, "Agent"));
  EXPECT_FALSE(DeleteValueByData(kHkeyLocalMachine, run, "agent.exe"));
  EXPECT_FALSE(WriteStringValue(kHkeyLocalMachine, run, "Agent", "other.exe"));
  EXPECT_FALSE(DeleteRegistryKey(kHkeyLocalMachine, extensions + "\\{1}"));
  EXPECT_FALSE(DeleteExtensionByButtonText(kHkeyLocalMachine, extensions, "Search"));
  EXPECT_EQ(Dump(kHkeyLocalMachine), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryRoutines, ::testing::ValuesIn(nqtest::RegistryBackends()),
                         nqtest::BackendName);

}  // namespace
