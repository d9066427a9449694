// The browser's context-menu entries (subkeys of the user's MenuExt) and toolbar buttons (subkeys
// of the machine's Extensions, shown by their "ButtonText").
#include "tests/support/EntryPage.h"

namespace nqtest {
namespace {

TEST_P(EntryPageTest, ContextMenuListsSubkeysAndDeletesOneWithEverythingUnderIt) {
  Load(R"(
[HKCU\Software\Microsoft\Internet Explorer\MenuExt\&Search]
@="res://search.htm"
"Contexts"=dword:00000010
[HKCU\Software\Microsoft\Internet Explorer\MenuExt\&Search\Nested]
"x"="y"
[HKCU\Software\Microsoft\Internet Explorer\MenuExt\No Default]
"Contexts"=dword:00000001
[HKCU\Software\Microsoft\Internet Explorer\MenuExt\Zoom]
@="zoom.htm"
[HKLM\Software\Microsoft\Internet Explorer\MenuExt\Machine Entry]
@="machine.htm"
)");
  Click(kContextMenu);
  EXPECT_EQ(form.ListKind, nq::lkContextMenu);
  EXPECT_EQ(Items(), (Strings{"&Search", "No Default", "Zoom"}));
  EXPECT_EQ(Item(), "&Search");
  EXPECT_EQ(Date(), "res://search.htm");
  Select(1);
  EXPECT_EQ(Date(), "");

  Select(0);
  Delete();
  EXPECT_FALSE(KeyExists(kHkeyCurrentUser, kMenuExtPath + std::string("\\&Search")));
  EXPECT_TRUE(KeyExists(kHkeyCurrentUser, kMenuExtPath + std::string("\\No Default")));
  EXPECT_EQ(Items(), (Strings{"No Default", "Zoom"}));
  EXPECT_EQ(Date(), "");
}

TEST_P(EntryPageTest, ContextMenuWithoutTheKeyIsEmpty) {
  Load(R"(
[HKLM\Software\Microsoft\Internet Explorer\MenuExt\Machine Entry]
@="machine.htm"
)");
  Click(kContextMenu);
  EXPECT_TRUE(Items().empty());
  EXPECT_EQ(Item(), "");
  EXPECT_EQ(Date(), "");
  EXPECT_FALSE(KeyExists(kHkeyCurrentUser, kMenuExtPath));
}

const char* const kButtons = R"(
[HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions\{A}]
"ButtonText"="Go"
"Exec"="a.exe"
[HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions\{B}]
"ButtonText"="Go"
"Exec"="b.exe"
[HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions\{C}]
"Exec"="c.exe"
[HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions\{D}]
"ButtonText"=""
"Exec"="d.exe"
[HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions\{E}]
"ButtonText"="go"
"Exec"="e.exe"
[HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions\{E}\Sub]
[HKCU\Software\Microsoft\Internet Explorer\Extensions\{F}]
"ButtonText"="User"
"Exec"="f.exe"
[HKLM\SOFTWARE\Wow6432Node\Microsoft\Internet Explorer\Extensions\{A}]
"ButtonText"="Go"
"Exec"="g32.exe"
[HKLM\SOFTWARE\Wow6432Node\Microsoft\Internet Explorer\Extensions\{H}]
"ButtonText"="Old"
"Exec"="h32.exe"
)";

TEST_P(EntryPageTest, ToolbarButtonsByButtonText) {
  Load(kButtons);
  Click(kToolbarButton);
  EXPECT_EQ(form.ListKind, nq::lkToolbarButton);
  // No text, or an empty one, is no button; the user's own Extensions key is not looked at. The
  // 32-bit browser's buttons follow the 64-bit one's.
  EXPECT_EQ(Items(), (Strings{"Go", "Go", "go", "Go", "Old"}));
  struct Shown {
    int index;
    const char* exec;
  };
  for (const Shown& s : {Shown{0, "a.exe"}, Shown{1, "a.exe"}, Shown{3, "a.exe"}, Shown{4, "h32.exe"},
                         Shown{2, "e.exe"}}) {
    Select(s.index);
    EXPECT_EQ(Date(), s.exec) << s.index;
  }

  // The texts are compared exactly: "go" takes only its own button.
  Delete();
  EXPECT_EQ(Items(), (Strings{"Go", "Go", "Go", "Old"}));
  EXPECT_EQ(ValueNames(kHkeyLocalMachine, kExtensionsPath + std::string("\\{A}")), (Strings{"ButtonText", "Exec"}));
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, kExtensionsPath + std::string("\\{E}")));

  // One Delete takes every button of that text, in both views.
  Select(1);
  Delete();
  EXPECT_EQ(Items(), (Strings{"Old"}));
  EXPECT_EQ(Item(), "Old");
  EXPECT_EQ(Date(), "h32.exe");
  for (const char* gone : {"\\{A}", "\\{B}"}) EXPECT_FALSE(KeyExists(kHkeyLocalMachine, kExtensionsPath + std::string(gone)));
  for (const char* kept : {"\\{C}", "\\{D}"}) EXPECT_TRUE(KeyExists(kHkeyLocalMachine, kExtensionsPath + std::string(kept)));
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, kExtensions32Path + std::string("\\{A}")));
  EXPECT_TRUE(KeyExists(kHkeyLocalMachine, kExtensions32Path + std::string("\\{H}")));
  EXPECT_TRUE(KeyExists(kHkeyCurrentUser, kExtensionsPath + std::string("\\{F}")));
}

// A caption that begins another, or that another begins, is not that other's: each entry shows and
// deletes its own button, whichever of the others comes first in the registry.
TEST_P(EntryPageTest, ToolbarButtonsMatchTheWholeCaption) {
  Load(R"(
[HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions\{A}]
"ButtonText"="Tools Plus"
"Exec"="plus.exe"
[HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions\{B}]
"ButtonText"="Tool"
"Exec"="tool.exe"
[HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions\{C}]
"ButtonText"="Tools"
"Exec"="tools.exe"
)");
  Click(kToolbarButton);
  ASSERT_EQ(Items(), (Strings{"Tools Plus", "Tool", "Tools"}));
  const char* const execs[] = {"plus.exe", "tool.exe", "tools.exe"};
  for (int i : {1, 2, 0}) {
    Select(i);
    EXPECT_EQ(Date(), execs[i]) << Items()[i];
  }

  Select(1);
  Delete();
  EXPECT_EQ(Items(), (Strings{"Tools Plus", "Tools"}));
  EXPECT_FALSE(KeyExists(kHkeyLocalMachine, kExtensionsPath + std::string("\\{B}")));
  EXPECT_TRUE(KeyExists(kHkeyLocalMachine, kExtensionsPath + std::string("\\{A}")));
  EXPECT_TRUE(KeyExists(kHkeyLocalMachine, kExtensionsPath + std::string("\\{C}")));
}

TEST_P(EntryPageTest, ToolbarButtonsWithReadOnlyMachineKeys) {
  Load(kButtons);
  Click(kToolbarButton);
  ASSERT_EQ(Items(), (Strings{"Go", "Go", "go", "Go", "Old"}));
  const std::string machine = Dump(kHkeyLocalMachine);
  if (const std::string why = backend().SetReadOnly(kHkeyLocalMachine); !why.empty()) GTEST_SKIP() << why;

  // Listed while the rights were there, a button cannot go once they are not.
  form.Run(nq::TCommandId::DeleteExtensionAct);
  EXPECT_EQ(Items(), (Strings{"Go", "Go", "go", "Go", "Old"}));
  EXPECT_EQ(Selected(), 0);

  Click(kToolbarButton);
  EXPECT_TRUE(Items().empty());
  Delete();
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(Dump(kHkeyLocalMachine), machine);
}

}  // namespace
}  // namespace nqtest
