// The startup list: value names of the Run keys (the machine's in both registry views), listed in
// one order and looked up (for the details and for Delete) in another.
#include <algorithm>

#include "tests/support/EntryPage.h"

namespace nqtest {
namespace {

// "dup" in all nine keys, its data naming the key, and one name of each key's own. The 32-bit view's
// keys are written where that view keeps them.
const char* const kStartupKeys = R"(
[HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Runonce]
"dup"="lm32-once"
"own-lm32Once"="lm32Once.exe"
[HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\RunServices]
"dup"="lm32-services"
"own-lm32Services"="lm32Services.exe"
[HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Run]
"dup"="lm32-run"
"own-lm32Run"="lm32Run.exe"
[HKLM\Software\Microsoft\Windows\CurrentVersion\Runonce]
"dup"="lm-once"
"own-lmOnce"="lmOnce.exe"
[HKLM\Software\Microsoft\Windows\CurrentVersion\RunServices]
"dup"="lm-services"
"own-lmServices"="lmServices.exe"
[HKLM\Software\Microsoft\Windows\CurrentVersion\Run]
"dup"="lm-run"
"own-lmRun"="lmRun.exe"
[HKCU\Software\Microsoft\Windows\CurrentVersion\Runonce]
"dup"="cu-once"
"own-cuOnce"="cuOnce.exe"
[HKCU\Software\Microsoft\Windows\CurrentVersion\RunServices]
"dup"="cu-services"
"own-cuServices"="cuServices.exe"
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
"dup"="cu-run"
"own-cuRun"="cuRun.exe"
)";

TEST_P(EntryPageTest, StartupListsInListingOrderAndDeletesInLookupOrder) {
  Load(kStartupKeys);
  Click(kStartUp);
  EXPECT_EQ(form.ListKind, nq::lkStartup);
  EXPECT_EQ(Items(), (Strings{"dup", "own-cuRun", "dup", "own-cuOnce", "dup", "own-cuServices", "dup",
                              "own-lmServices", "dup", "own-lm32Services", "dup", "own-lmRun", "dup", "own-lm32Run",
                              "dup", "own-lmOnce", "dup", "own-lm32Once"}));
  Select(3);
  EXPECT_EQ(Date(), "cuOnce.exe");
  Select(7);
  EXPECT_EQ(Date(), "lmServices.exe");

  // Every "dup" entry shows, and Delete removes, the value the lookup order finds first,
  // whichever of them is selected.
  const char* const lookupOrder[] = {"cu-run",   "lm-run",        "lm32-run",    "lm-once",  "lm32-once",
                                     "lm-services", "lm32-services", "cu-services", "cu-once"};
  for (int deleted = 0; deleted < 9; ++deleted) {
    SCOPED_TRACE(lookupOrder[deleted]);
    ASSERT_EQ(std::count(Items().begin(), Items().end(), "dup"), 9 - deleted);
    for (int i = 0; i < static_cast<int>(Items().size()); ++i) {
      if (Items()[i] != "dup") continue;
      Select(i);
      EXPECT_EQ(Date(), lookupOrder[deleted]);
    }
    Delete();
  }
  EXPECT_EQ(Items(), (Strings{"own-cuRun", "own-cuOnce", "own-cuServices", "own-lmServices", "own-lm32Services",
                              "own-lmRun", "own-lm32Run", "own-lmOnce", "own-lm32Once"}));
  EXPECT_EQ(Item(), "own-cuRun");
  EXPECT_EQ(Date(), "cuRun.exe");
}

TEST_P(EntryPageTest, StartupEntries) {
  struct Case {
    const char* name;
    const char* reg;
    Strings items;
    int select;
    const char* date;
    Strings afterDelete;
    const char* key;  // the key the Delete took a value from, under HKCU
    Strings keyAfterDelete;
  };
  const Case cases[] = {
      {"value only in the current user's Runonce, found by the last lookup",
       R"(
[HKLM\Software\Microsoft\Windows\CurrentVersion\Run]
"m"="m.exe"
[HKCU\Software\Microsoft\Windows\CurrentVersion\Runonce]
"once"="once.exe"
)",
       {"once", "m"}, 0, "once.exe", {"m"}, kRunOncePath, {}},
      {"empty and non-text data fall through to the next key that has text",
       R"(
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
"x"=""
[HKLM\Software\Microsoft\Windows\CurrentVersion\Run]
"x"=hex:01,02
[HKLM\Software\Microsoft\Windows\CurrentVersion\RunServices]
"x"="real.exe"
)",
       {"x", "x", "x"}, 1, "real.exe", {"x", "x"}, kRunPath, {}},
      {"nothing but empty or non-text data leaves the line empty",
       R"(
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
"y"=dword:00000001
"z"=""
)",
       {"y", "z"}, 0, "", {"z"}, kRunPath, {"z"}},
      {"an unnamed value is an empty entry",
       R"(
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
"a"="a.exe"
[HKCU\Software\Microsoft\Windows\CurrentVersion\RunServices]
@="default.exe"
"s"="s.exe"
)",
       {"a", "", "s"}, 1, "default.exe", {"a", "s"}, kRunServicesPath, {"s"}},
      {"names that differ in case reach the same value",
       R"(
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
"Tool"="user.exe"
[HKLM\Software\Microsoft\Windows\CurrentVersion\Run]
"TOOL"="machine.exe"
)",
       {"Tool", "TOOL"}, 1, "user.exe", {"TOOL"}, kRunPath, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    Load(c.reg);
    Click(kStartUp);
    EXPECT_EQ(Items(), c.items);
    Select(c.select);
    EXPECT_EQ(Item(), c.items[c.select]);
    EXPECT_EQ(Date(), c.date);
    Delete();
    EXPECT_EQ(Items(), c.afterDelete);
    EXPECT_EQ(ValueNames(kHkeyCurrentUser, c.key), c.keyAfterDelete);
  }
}

TEST_P(EntryPageTest, StartupAfterTheSecondDeleteShowsTheMachineValue) {
  Load(R"(
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
"Tool"="user.exe"
[HKLM\Software\Microsoft\Windows\CurrentVersion\Run]
"TOOL"="machine.exe"
)");
  Click(kStartUp);
  Select(1);
  Delete();
  EXPECT_EQ(Items(), (Strings{"TOOL"}));
  EXPECT_EQ(Date(), "machine.exe");
  Delete();
  EXPECT_TRUE(Items().empty());
  EXPECT_TRUE(ValueNames(kHkeyLocalMachine, kRunPath).empty());
}

// A standard user: the program asks every key for all rights, so the machine's keys can be
// neither listed nor changed, while the user's own still work.
TEST_P(EntryPageTest, StartupWithReadOnlyMachineKeys) {
  Load(R"(
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
"dup"="user.exe"
[HKLM\Software\Microsoft\Windows\CurrentVersion\Run]
"dup"="machine.exe"
"machine"="machine.exe"
)");
  Click(kStartUp);
  ASSERT_EQ(Items(), (Strings{"dup", "dup", "machine"}));
  const std::string machine = Dump(kHkeyLocalMachine);
  if (const std::string why = backend().SetReadOnly(kHkeyLocalMachine); !why.empty()) GTEST_SKIP() << why;

  // Listed while the rights were there, the machine's value cannot go once they are not.
  Select(2);
  form.Run(nq::TCommandId::AutoRunDelete);
  EXPECT_EQ(Items(), (Strings{"dup", "dup", "machine"}));
  EXPECT_EQ(Selected(), 2);

  Click(kStartUp);
  EXPECT_EQ(Items(), (Strings{"dup"}));
  EXPECT_EQ(Date(), "user.exe");
  Delete();
  EXPECT_TRUE(ValueNames(kHkeyCurrentUser, kRunPath).empty());
  EXPECT_TRUE(Items().empty());
  EXPECT_EQ(Dump(kHkeyLocalMachine), machine);
}

}  // namespace
}  // namespace nqtest
