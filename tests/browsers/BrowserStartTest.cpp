// Browser shortcuts with planted arguments and scheduled tasks that start a browser: found in every
// place they hide, repaired to exactly what was there before the hijacker, the dry run showing the
// very changes of the real run. On the substitutes, and in the Windows build also on real .lnk files
// made through IShellLinkW and real tasks registered through ITaskService, inside Wine's throwaway
// prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <set>
#include <optional>
#include <string>
#include <vector>

#include "browsers/Browsers.h"
#include "browsers/Shortcuts.h"
#include "browsers/Tasks.h"
#include "services/Registry.h"
#include "tests/support/Installed.h"
#include "tests/support/Links.h"
#include "tests/support/ShellFixture.h"

#ifdef _WIN32
#include "platform/win32/Win32Registry.h"
#include "tests/support/RegistryOverride.h"
#endif

namespace nqtest {
namespace {

using nq::TChange;
using nq::TFinding;
using nq::TFindings;

constexpr const char* kChrome = R"(C:\Program Files\Google\Chrome\Application\chrome.exe)";
constexpr const char* kEdge = R"(C:\Program Files (x86)\Microsoft\Edge\Application\msedge.exe)";
constexpr const char* kLoaderScript =
    R"(start chrome --load-extension="$env:LOCALAPPDATA\chrome" --restore-last-session)";

std::vector<Backend> BackendsToTest() {
  std::vector<Backend> kinds{Backend::Sim};
  if (HaveWin32Backends()) kinds.push_back(Backend::Win32);
  return kinds;
}

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::Sim ? "Sim" : "Win32";
}

class BrowserStart : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (GetParam() == Backend::Win32) {
      // Real tasks are the machine's: only in the build's own Wine prefix.
      NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
    }
    tree_ = std::make_unique<FileTree>(GetParam());
    links_ = std::make_unique<LinkBackEnds>(*tree_);
    const std::string why = links_->StartTaskService();
    ASSERT_EQ(why, "");
    if (GetParam() == Backend::Win32) {
      if (!redirectRegistry_) return;
#ifdef _WIN32
      override_ = std::make_unique<RegistryOverride>();
      registry_ = std::make_unique<platform::Win32Registry>();
#endif
    } else {
      registry_ = std::make_unique<platform::SimRegistry>();
    }
    installedRegistry_.emplace(*registry_);
    PointShellFolders();
  }

  // Wine's Task Scheduler reads machine keys inside this process and fails (0x80070002) while they
  // are redirected; the task tests read no key of their own, so they leave the registry alone.
  bool redirectRegistry_ = true;

  void TearDown() override {
    if (links_ != nullptr) {
      for (const std::string& path : registered_) links_->Tasks().Delete(path);
    }
    links_.reset();
    tree_.reset();
    installedRegistry_.reset();
    registry_.reset();
#ifdef _WIN32
    override_.reset();
#endif
  }

  void PointShellFolders() {
    if (registry_ == nullptr) return;
    const std::string key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    nq::TRegistry user;
    ASSERT_TRUE(user.OpenKey(key, true));
    user.WriteString("Desktop", tree_->Path("Desktop"));
    user.WriteString("Start Menu", tree_->Path("Start Menu"));
    user.WriteString("AppData", tree_->Path("AppData"));
    nq::TRegistry machine;
    machine.SetRootKey(platform::kHkeyLocalMachine);
    ASSERT_TRUE(machine.OpenKey(key, true));
    machine.WriteString("Common Desktop", tree_->Path("Public\\Desktop"));
    machine.WriteString("Common Start Menu", tree_->Path("ProgramData\\Start Menu"));
  }

  // A shortcut made through the back end, in a folder of the tree.
  void MakeLink(const std::string& relative, const std::string& target, const std::string& arguments) {
    const std::size_t slash = relative.rfind('\\');
    if (slash != std::string::npos) tree_->MakeFolder(relative.substr(0, slash));
    ASSERT_EQ(links_->Links().Create(tree_->Path(relative), {target, arguments}), 0) << relative;
  }

  platform::ShellLink Link(const std::string& relative) {
    platform::ShellLink link;
    EXPECT_EQ(links_->Links().Load(tree_->Path(relative), &link), 0) << relative;
    return link;
  }

  void Register(const std::string& path, const std::string& program, const std::string& arguments) {
    Register(path, {{program, arguments}});
  }
  void Register(const std::string& path, const std::vector<platform::TaskAction>& actions) {
    ASSERT_EQ(links_->Tasks().Register(path, actions), 0) << path;
    registered_.push_back(path);
  }

  std::set<std::string> TaskPaths() {
    std::vector<platform::ScheduledTask> tasks;
    EXPECT_EQ(links_->Tasks().Enumerate(&tasks), 0);
    std::set<std::string> paths;
    for (const platform::ScheduledTask& task : tasks) paths.insert(task.path);
    return paths;
  }

  std::unique_ptr<FileTree> tree_;
  std::unique_ptr<LinkBackEnds> links_;
  std::vector<std::string> registered_;

 private:
#ifdef _WIN32
  std::unique_ptr<RegistryOverride> override_;  // first in, last out
#endif
  std::unique_ptr<platform::IRegistry> registry_;
  std::optional<Installed<platform::IRegistry>> installedRegistry_;
};

// What a list of findings shows, one line each, in a stable order.
std::vector<std::string> Shown(const TFindings& findings) {
  std::vector<std::string> shown;
  for (const TFinding& f : findings) {
    const bool unreadable = f.kind == nq::TFindingKind::UnreadableTask;
    EXPECT_EQ(f.ticked, !unreadable) << f.where << ": what could not be read is shown unticked";
    shown.push_back(f.browser + " | " + f.where + " | " + f.data + (unreadable ? " | unreadable" : ""));
  }
  std::sort(shown.begin(), shown.end());
  return shown;
}

TEST_P(BrowserStart, ShortcutsEverywhereLoseExactlyTheirPlantedArguments) {
  MakeLink("Desktop\\Chrome.lnk", kChrome, R"(--profile-directory="Profile 1" https://search.example/?q=)");
  MakeLink("Start Menu\\Programs\\Браузеры\\Edge.lnk", kEdge,
           R"(--load-extension="C:\Users\u\AppData\Local\chrome" --disable-features=DisableLoadExtensionCommandLineSwitch)");
  MakeLink("AppData\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar\\Brave.lnk",
           R"(C:\Program Files\BraveSoftware\Brave-Browser\Application\brave.exe)", "www.search.example --new-window");
  MakeLink("Public\\Desktop\\Firefox.lnk", R"(C:\Program Files\Mozilla Firefox\firefox.exe)", "-url http://search.example");
  MakeLink("AppData\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\StartMenu\\Edge.lnk", kEdge,
           "--profile-directory=Default https://search.example/");
  // Left alone: a browser with its own arguments only, another program with an address, and
  // files that are no shortcuts at all.
  MakeLink("Desktop\\Chrome Work.lnk", kChrome, "--profile-directory=Default");
  MakeLink("Desktop\\Notes.lnk", R"(C:\Windows\notepad.exe)", "https://search.example/");
  tree_->WriteFile("Desktop\\not a shortcut.lnk", "just text\r\n");
  MakeLink("Desktop\\Truncated.lnk", kChrome, "https://search.example/");
  std::filesystem::resize_file(tree_->Host("Desktop\\Truncated.lnk"), 40);

  const TFindings findings = nq::FindShortcutHijacks();
  const std::string edge = tree_->Path("Start Menu\\Programs\\Браузеры\\Edge.lnk");
  EXPECT_EQ(Shown(findings),
            (std::vector<std::string>{
                "Brave | " + tree_->Path("AppData\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar\\Brave.lnk") +
                    " | www.search.example --new-window",
                "Chrome | " + tree_->Path("Desktop\\Chrome.lnk") + R"( | --profile-directory="Profile 1" https://search.example/?q=)",
                "Edge | " + tree_->Path("AppData\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\StartMenu\\Edge.lnk") +
                    " | --profile-directory=Default https://search.example/",
                "Edge | " + edge +
                    R"( | --load-extension="C:\Users\u\AppData\Local\chrome" --disable-features=DisableLoadExtensionCommandLineSwitch)",
                "Firefox | " + tree_->Path("Public\\Desktop\\Firefox.lnk") + " | -url http://search.example",
            }));

  // The dry run writes nothing and lists what the real run then does.
  std::vector<TChange> dry, real;
  for (const TFinding& f : findings) {
    for (TChange& c : nq::RepairShortcut(f, true).changes) dry.push_back(std::move(c));
  }
  EXPECT_EQ(Link("Desktop\\Chrome.lnk").arguments, R"(--profile-directory="Profile 1" https://search.example/?q=)");
  for (const TFinding& f : findings) {
    const nq::TOutcome outcome = nq::RepairShortcut(f);
    EXPECT_TRUE(outcome.done) << f.where;
    for (const TChange& c : outcome.changes) real.push_back(c);
  }
  EXPECT_EQ(dry, real);
  ASSERT_EQ(real.size(), 5u);
  const auto edgeChange = std::find_if(real.begin(), real.end(), [&](const TChange& c) { return c.path == edge; });
  ASSERT_NE(edgeChange, real.end());
  EXPECT_EQ(edgeChange->kind, TChange::TKind::Shortcut);
  EXPECT_EQ(edgeChange->before, findings.at(static_cast<std::size_t>(
                                    std::find_if(findings.begin(), findings.end(), [&](const TFinding& f) { return f.where == edge; }) -
                                    findings.begin())).data);
  EXPECT_EQ(edgeChange->after, "");

  // Each shortcut starts its browser with only its own arguments now.
  EXPECT_EQ(Link("Desktop\\Chrome.lnk").arguments, R"(--profile-directory="Profile 1")");
  EXPECT_EQ(Link("Desktop\\Chrome.lnk").target, kChrome);
  EXPECT_EQ(Link("Start Menu\\Programs\\Браузеры\\Edge.lnk").arguments, "");
  EXPECT_EQ(Link("AppData\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar\\Brave.lnk").arguments,
            "--new-window");
  EXPECT_EQ(Link("Public\\Desktop\\Firefox.lnk").arguments, "");
  EXPECT_EQ(Link("AppData\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\StartMenu\\Edge.lnk").arguments,
            "--profile-directory=Default");
  EXPECT_EQ(Link("Desktop\\Chrome Work.lnk").arguments, "--profile-directory=Default");
  EXPECT_TRUE(nq::FindShortcutHijacks().empty());
}

TEST_P(BrowserStart, ArgumentsOf32000CharactersAreAFindingAndRepaired) {
  const std::string address = "https://search.example/?q=" + std::string(32000 - 26, 'q');
  MakeLink("Desktop\\Long.lnk", kChrome, "--incognito " + address);
  const TFindings findings = nq::FindShortcutHijacks();
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].data.size(), 12 + address.size());
  EXPECT_TRUE(nq::RepairShortcut(findings[0]).done);
  EXPECT_EQ(Link("Desktop\\Long.lnk").arguments, "--incognito");
}

// A shortcut taken away between the listing and the repair: nothing is written, and the repair
// says so rather than counting it repaired.
TEST_P(BrowserStart, AShortcutGoneSinceTheListingIsRefusedNotRepaired) {
  MakeLink("Desktop\\Chrome.lnk", kChrome, "https://search.example/");
  const TFindings findings = nq::FindShortcutHijacks();
  ASSERT_EQ(findings.size(), 1u);
  std::filesystem::remove(tree_->Host("Desktop\\Chrome.lnk"));
  EXPECT_FALSE(nq::RepairShortcut(findings[0]).done);
  const nq::TOutcome outcome = nq::RepairFindings(findings);
  EXPECT_FALSE(outcome.done);
  EXPECT_TRUE(nq::RefusedIn(findings[0], outcome.changes));
  EXPECT_FALSE(tree_->Exists("Desktop\\Chrome.lnk"));
}

class TaskStart : public BrowserStart {
 protected:
  TaskStart() { redirectRegistry_ = GetParam() == Backend::Sim; }
};

TEST_P(TaskStart, TaskThatStartsABrowserGoesAndTheBackupTaskStays) {
  const std::string loader = "/c start /min \"\" powershell -ExecutionPolicy Bypass -WindowStyle Hidden -E " +
                             EncodeCommand(kLoaderScript);
  Register("\\ChromeLoader", "cmd.exe", loader);
  Register("\\Backup", "cmd.exe", R"(/c robocopy "C:\Users\u\Documents" D:\Backup /MIR)");
  Register("\\Vendor\\EdgeHelper", kEdge, "--no-first-run https://search.example/");
  // The browser started by a later action; two actions that start one, and the task is one row.
  Register("\\Updater", {{"cmd.exe", "/c echo updating"}, {kChrome, "https://search.example/"}});
  Register("\\Twice", {{kEdge, "https://search.example/"}, {"cmd.exe", "/k start msedge https://search.example/"}});
  // Encoded commands PowerShell cannot run: nothing to find.
  Register("\\NotBase64", "powershell.exe", "-E not*base64*");
  Register("\\NotUtf16", "powershell.exe", "-Enc YWJj");

  const TFindings findings = nq::FindTaskHijacks();
  EXPECT_EQ(Shown(findings), (std::vector<std::string>{"Chrome | \\ChromeLoader | cmd.exe " + loader,
                                                       "Chrome | \\Updater | " + std::string(kChrome) + " https://search.example/",
                                                       "Edge | \\Twice | " + std::string(kEdge) + " https://search.example/",
                                                       "Edge | \\Vendor\\EdgeHelper | " + std::string(kEdge) +
                                                           " --no-first-run https://search.example/"}));
  const auto loaderFinding =
      std::find_if(findings.begin(), findings.end(), [](const TFinding& f) { return f.name == "ChromeLoader"; });
  ASSERT_NE(loaderFinding, findings.end());
  EXPECT_EQ(loaderFinding->why,
            std::string("The task runs an encoded PowerShell command that starts Chrome: ") + kLoaderScript);

  std::vector<TChange> dry, real;
  for (const TFinding& f : findings) {
    for (TChange& c : nq::RepairTask(f, true).changes) dry.push_back(std::move(c));
  }
  EXPECT_EQ(TaskPaths().count("\\ChromeLoader"), 1u) << "a dry run deletes nothing";
  for (const TFinding& f : findings) {
    const nq::TOutcome outcome = nq::RepairTask(f);
    EXPECT_TRUE(outcome.done);
    for (const TChange& c : outcome.changes) real.push_back(c);
  }
  EXPECT_EQ(dry, real);
  ASSERT_EQ(real.size(), 4u);
  for (const TChange& c : real) {
    EXPECT_EQ(c.kind, TChange::TKind::Task);
    EXPECT_EQ(c.before, "task");
    EXPECT_EQ(c.after, "-");
    EXPECT_FALSE(c.refused);
  }
  const std::set<std::string> left = TaskPaths();
  EXPECT_EQ(left.count("\\ChromeLoader"), 0u);
  EXPECT_EQ(left.count("\\Vendor\\EdgeHelper"), 0u);
  EXPECT_EQ(left.count("\\Updater"), 0u);
  EXPECT_EQ(left.count("\\Twice"), 0u);
  EXPECT_EQ(left.count("\\Backup"), 1u);
  EXPECT_EQ(left.count("\\NotBase64"), 1u);
  EXPECT_TRUE(nq::FindTaskHijacks().empty());
}


// A kiosk opens its page on purpose: its shortcut or task is shown, unticked, with the reason; the
// same page without --kiosk is ticked.
TEST_P(TaskStart, AKioskIsShownUntickedAndLeftToTheUser) {
  MakeLink("Desktop\\Lobby.lnk", kChrome, "--KIOSK https://lobby.example/");
  MakeLink("Desktop\\Firefox Lobby.lnk", R"(C:\Program Files\Mozilla Firefox\firefox.exe)", "-kiosk https://lobby.example/");
  MakeLink("Desktop\\Chrome.lnk", kChrome, "--kiosk-printing https://search.example/");
  Register("\\Lobby", kEdge, "--kiosk https://lobby.example/ --edge-kiosk-type=fullscreen");
  Register("\\LobbyScript", "powershell.exe", "-Command start msedge --kiosk https://lobby.example/");
  std::vector<std::string> rows;
  for (const TFinding& f : nq::FindShortcutHijacks()) rows.push_back(f.name + (f.ticked ? " [x]" : " [ ]") + " " + f.why);
  for (const TFinding& f : nq::FindTaskHijacks()) rows.push_back(f.name + (f.ticked ? " [x]" : " [ ]") + " " + f.why);
  std::sort(rows.begin(), rows.end());
  const std::string kiosk = " (a kiosk opens this page on purpose)";
  EXPECT_EQ(rows, (std::vector<std::string>{
                      std::string(kChrome) + " [ ] The shortcut starts Chrome with arguments a hijacker adds: https://lobby.example/" + kiosk,
                      std::string(kChrome) + " [x] The shortcut starts Chrome with arguments a hijacker adds: https://search.example/",
                      std::string(R"(C:\Program Files\Mozilla Firefox\firefox.exe [ ] The shortcut starts Firefox with )"
                                  "arguments a hijacker adds: https://lobby.example/") + kiosk,
                      "Lobby [ ] The task starts Edge with: https://lobby.example/" + kiosk,
                      "LobbyScript [ ] The task starts Edge with: -Command start msedge --kiosk https://lobby.example/" + kiosk,
                  }));
}

INSTANTIATE_TEST_SUITE_P(Backends, BrowserStart, ::testing::ValuesIn(BackendsToTest()), BackendName);
INSTANTIATE_TEST_SUITE_P(Sim, TaskStart, ::testing::Values(Backend::Sim), BackendName);

// Wine 8's Task Scheduler drops a task's actions when it registers it, so what its tasks start cannot
// be read: each is shown unticked, and the repair, ticked by hand, deletes none of them, the harmless
// one included.
class RealTasks : public TaskStart {};

TEST_P(RealTasks, TasksAreShownUntickedAndKept_WineKeepsNoActions) {
  if (!LinkBackEnds::WineKeepsNoTaskActions()) GTEST_SKIP() << "Windows reads the actions: TaskStart covers it";
  Register("\\ChromeLoader", "cmd.exe", "/c start /min \"\" powershell -WindowStyle Hidden -E " + EncodeCommand(kLoaderScript));
  Register("\\Backup", "cmd.exe", R"(/c robocopy "C:\Users\u\Documents" D:\Backup /MIR)");
  const TFindings findings = nq::FindTaskHijacks();
  std::set<std::string> unreadable;
  for (const TFinding& f : findings) {
    EXPECT_EQ(f.kind, nq::TFindingKind::UnreadableTask) << f.where;
    EXPECT_FALSE(f.ticked) << f.where;
    EXPECT_EQ(f.why, "The task could not be read (error 0x80041319).") << f.where;
    unreadable.insert(f.where);
    EXPECT_FALSE(nq::RepairTask(f).done);
  }
  EXPECT_EQ(unreadable, (std::set<std::string>{"\\Backup", "\\ChromeLoader"}));
  EXPECT_EQ(TaskPaths().count("\\ChromeLoader"), 1u);
  EXPECT_EQ(TaskPaths().count("\\Backup"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Real, RealTasks, ::testing::ValuesIn(HaveWin32Backends() ? std::vector<Backend>{Backend::Win32}
                                                                                   : std::vector<Backend>{}),
                         BackendName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RealTasks);

// Refusals need a Task Scheduler that refuses on cue: the substitute's.
class TaskRefusals : public TaskStart {};

TEST_P(TaskRefusals, WhatCannotBeReadIsShownUntickedAndWhatCannotBeDeletedIsRefused) {
  platform::SimTaskScheduler& tasks = *links_->SimTasks();
  Register("\\Locked", "cmd.exe", "/c start chrome https://search.example/");
  Register("\\Hidden\\Unknown", "cmd.exe", "/c whatever");
  Register("\\Stuck", kChrome, "https://search.example/");
  tasks.DenyRead("\\Locked");
  tasks.DenyRead("\\Hidden");
  tasks.DenyDelete("\\Stuck");

  const TFindings findings = nq::FindTaskHijacks();
  EXPECT_EQ(Shown(findings), (std::vector<std::string>{"Chrome | \\Stuck | " + std::string(kChrome) + " https://search.example/",
                                                       "Windows | \\Hidden |  | unreadable",
                                                       "Windows | \\Locked |  | unreadable"}));
  for (const TFinding& f : findings) {
    const bool readable = f.kind != nq::TFindingKind::UnreadableTask;
    const nq::TOutcome outcome = nq::RepairTask(f);
    EXPECT_FALSE(outcome.done) << f.where;
    ASSERT_EQ(outcome.changes.size(), 1u);
    EXPECT_TRUE(outcome.changes[0].refused) << f.where;
    EXPECT_EQ(readable, f.where == "\\Stuck");
  }
  EXPECT_EQ(tasks.deletions, 0) << "an unreadable task is never deleted blind";
  EXPECT_EQ(TaskPaths().count("\\Stuck"), 1u);

  // A clean machine whose scheduler is stopped: one unticked row, and nothing for the repair.
  tasks.StopService();
  const TFindings stopped = nq::FindTaskHijacks();
  EXPECT_EQ(Shown(stopped), std::vector<std::string>{"Windows | \\ |  | unreadable"});
  ASSERT_EQ(stopped.size(), 1u);
  EXPECT_EQ(nq::FindingColumns(stopped[0]).finding, "Unreadable Task Scheduler");
}

INSTANTIATE_TEST_SUITE_P(Sim, TaskRefusals, ::testing::Values(Backend::Sim), BackendName);

}  // namespace
}  // namespace nqtest
