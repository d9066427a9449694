// The cookie page on the real calls: the registry redirected into a scratch key, the real directory
// search and file reading over a temp folder, and the real shell moving files to the Recycle Bin
// after its own question, which a helper thread answers the way a user would, by its buttons.
// The files go to the recycle bin of the build's throwaway Wine prefix, so this runs only there.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/MainForm.h"
#include "services/Registry.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

#ifdef _WIN32
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "tests/support/RegistryOverride.h"
// Last: its A/W macros would rename the shell interface's members above.
#include <windows.h>
#endif

namespace nqtest {
namespace {

#ifdef _WIN32

namespace fs = std::filesystem;

// Waits for the shell's question (a dialog of this process) and presses one of its buttons, for
// every question it asks (one per file, when it offers "Yes to all"). Gives up after a while, so a question that never comes cannot hang the test.
class ShellQuestionAnswerer {
 public:
  explicit ShellQuestionAnswerer(int button) : button_(button), thread_([this] { Run(); }) {}
  ~ShellQuestionAnswerer() { Stop(); }

  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool Answered() const { return answered_; }

 private:
  static HWND FindDialog() {
    struct Search {
      HWND found = nullptr;
    } search;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          DWORD process = 0;
          GetWindowThreadProcessId(window, &process);
          char name[16] = {};
          GetClassNameA(window, name, sizeof name);
          if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::string(name) == "#32770") {
            reinterpret_cast<Search*>(param)->found = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  void Run() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!stop_ && std::chrono::steady_clock::now() < deadline) {
      if (HWND dialog = FindDialog()) {
        HWND button = GetDlgItem(dialog, button_);
        // As a click on the button would: the dialog's owner thread is in its modal loop.
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        answered_ = true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }

  int button_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> answered_{false};
  std::thread thread_;
};

template <typename Interface>
class Installed {
 public:
  Installed(Interface* backEnd, Interface* (*set)(Interface*)) : set_(set), previous_(set(backEnd)) {}
  ~Installed() { set_(previous_); }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;

 private:
  Interface* (*set_)(Interface*);
  Interface* previous_;
};

std::set<std::string> NamesOf(const nq::TMainForm& form) {
  std::set<std::string> names;
  for (const ui::TListItem& row : form.CookieListView.Items) names.insert(row.Caption);
  return names;
}

#endif

TEST(CookiePageOnTheRealShell, DeleteGoesAsFarAsTheUserLetsTheShellGo) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
#ifdef _WIN32
  RegistryOverride override;  // first in, last out: nothing reaches the registry unredirected
  platform::Win32Registry registry;
  Installed<platform::IRegistry> installedRegistry(&registry, &platform::SetRegistry);
  FileTree tree(Backend::Win32);
  platform::Win32Shell shell;
  Installed<platform::IShell> installedShell(&shell, &platform::SetShell);
  ui::ScriptedDialogs dialogs;
  Installed<ui::IDialogs> installedDialogs(&dialogs, &ui::SetDialogs);

  struct Case {
    const char* what;
    int button;
    bool filesGo;
  } cases[] = {{"declined", IDNO, false}, {"accepted", IDYES, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* name : {"a@one.txt", "b@two.txt", "c@three.txt"}) {
      tree.WriteFile(std::string("Cookies\\") + name, std::string("id\r\nvalue\r\n") + name + "/\r\n1536\r\n");
    }
    tree.MakeFolder("Cookies\\d.txt");
    {
      nq::TRegistry reg;
      ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
      reg.WriteString("Cookies", tree.Path("Cookies"));
    }
    nq::TMainForm form;
    form.NavBar.ClickItem(nq::TMainForm::secPrivacy, 2);  // "Manage Cookies"
    ASSERT_EQ(NamesOf(form), (std::set<std::string>{"a@one.txt", "b@two.txt", "c@three.txt"}));
    for (const ui::TListItem& row : form.CookieListView.Items) EXPECT_EQ(row.SubItems.at(0), row.Caption + "/");
    for (ui::TListItem& row : form.CookieListView.Items) row.Selected = row.Caption != "b@two.txt";

    ShellQuestionAnswerer answerer(c.button);
    form.DeleteCookiesButton.Click();  // "Delete": returns once the shell is done
    answerer.Stop();

    EXPECT_TRUE(answerer.Answered()) << "the shell asked nothing";
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(tree.Exists("Cookies\\a@one.txt"), !c.filesGo);
    EXPECT_EQ(tree.Exists("Cookies\\c@three.txt"), !c.filesGo);
    EXPECT_TRUE(tree.Exists("Cookies\\b@two.txt"));
    if (c.filesGo) {
      EXPECT_TRUE(fs::exists(WineRecycleBinFiles() / "a@one.txt"));
      EXPECT_TRUE(fs::exists(WineRecycleBinFiles() / "c@three.txt"));
      EXPECT_EQ(NamesOf(form), std::set<std::string>{"b@two.txt"});
    } else {
      EXPECT_EQ(NamesOf(form), (std::set<std::string>{"a@one.txt", "b@two.txt", "c@three.txt"}));
    }
    fs::remove_all(tree.Host("Cookies"));
  }
#endif
}

// A name beyond the old code page, beside two that a '?' in its place would match: one row with
// its own name and site, and Delete recycles that one file alone.
TEST(CookiePageOnTheRealShell, NameBeyondAsciiIsListedWholeAndDeletedAlone) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
#ifdef _WIN32
  RegistryOverride override;
  platform::Win32Registry registry;
  Installed<platform::IRegistry> installedRegistry(&registry, &platform::SetRegistry);
  FileTree tree(Backend::Win32);
  platform::Win32Shell shell;
  Installed<platform::IShell> installedShell(&shell, &platform::SetShell);
  ui::ScriptedDialogs dialogs;
  Installed<ui::IDialogs> installedDialogs(&dialogs, &ui::SetDialogs);

  const std::string cyrillic = "user@тест[1].txt";
  for (const std::string& name : std::vector<std::string>{"user@abcd[1].txt", cyrillic, "user@wxyz[1].txt"}) {
    tree.WriteFile("Cookies\\" + name, "id\r\nvalue\r\n" + name + "/\r\n1536\r\n");
  }
  {
    nq::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    reg.WriteString("Cookies", tree.Path("Cookies"));
  }
  nq::TMainForm form;
  form.NavBar.ClickItem(nq::TMainForm::secPrivacy, 2);
  ASSERT_EQ(NamesOf(form), (std::set<std::string>{"user@abcd[1].txt", cyrillic, "user@wxyz[1].txt"}));
  for (ui::TListItem& row : form.CookieListView.Items) {
    EXPECT_EQ(row.SubItems.at(0), row.Caption + "/");
    row.Selected = row.Caption == cyrillic;
  }

  ShellQuestionAnswerer answerer(IDYES);
  form.DeleteCookiesButton.Click();
  answerer.Stop();

  EXPECT_TRUE(answerer.Answered()) << "the shell asked nothing";
  EXPECT_FALSE(tree.Exists("Cookies\\" + cyrillic));
  EXPECT_TRUE(tree.Exists("Cookies\\user@abcd[1].txt"));
  EXPECT_TRUE(tree.Exists("Cookies\\user@wxyz[1].txt"));
  EXPECT_TRUE(fs::exists(WineRecycleBinFiles() / platform::Utf8Path(cyrillic)));
  EXPECT_EQ(NamesOf(form), (std::set<std::string>{"user@abcd[1].txt", "user@wxyz[1].txt"}));
  fs::remove_all(tree.Host("Cookies"));
#endif
}

}  // namespace
}  // namespace nqtest
