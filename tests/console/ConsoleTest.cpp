// norvanec on each registry back end (the substitute; under Windows and Wine also the real registry,
// redirected), with the other substitutes for files, shell, cache and history: what it prints, what
// it changes, and its exit codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/MainForm.h"
#include "browsers/BrowserKeys.h"
#include "browsers/Browsers.h"
#include "console/Console.h"
#include "platform/RegFile.h"
#include "services/MainFunc.h"
#include "services/Registry.h"
#include "tests/support/Installed.h"
#include "tests/support/BrowserProfiles.h"
#include "tests/support/ChangeSet.h"
#include "tests/support/KeyPaths.h"
#include "tests/support/Registry.h"
#include "tests/support/RegistryBackends.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

namespace nqtest {
namespace {

using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;
using Lines = std::vector<std::string>;


struct Result {
  int code;
  std::string out;
  std::string err;
};

Lines SplitLines(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

Lines SplitFields(const std::string& line) {
  Lines fields(1);
  for (const char c : line) {
    if (c == '\t') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// The registry changes a run printed, read back into the journal's form.
nq::TChanges ParseChanges(const std::string& text) {
  nq::TChanges changes;
  for (const std::string& line : SplitLines(text)) {
    Lines f = SplitFields(line);
    if (f.size() != 5 || (f[0] != "key" && f[0] != "value")) continue;
    nq::TChange c;
    c.kind = f[0] == "key" ? nq::TChange::TKind::Key : nq::TChange::TKind::Value;
    std::string where = f[1];
    const std::string suffix = " [32-bit]";
    if (where.size() > suffix.size() && where.compare(where.size() - suffix.size(), suffix.size(), suffix) == 0) {
      c.view = nq::TRegView::Key32;
      where.resize(where.size() - suffix.size());
    }
    const std::size_t slash = where.find('\\');
    const std::string root = where.substr(0, slash);
    c.root = root == "HKEY_CURRENT_USER" ? kHkeyCurrentUser : root == "HKEY_LOCAL_MACHINE" ? kHkeyLocalMachine
                                                                                             : platform::kHkeyClassesRoot;
    c.path = slash == std::string::npos ? std::string() : where.substr(slash + 1);
    c.name = f[2];
    c.before = f[3];
    c.after = f[4];
    changes.push_back(c);
  }
  return changes;
}

class ConsoleTest : public RegistryBackendTest {
 protected:
  Result Run(const Lines& args) {
    std::ostringstream out, err;
    const int code = nq::console::Run(args, out, err);
    return {code, out.str(), err.str()};
  }
  std::string Registry() {
    return platform::DumpRegText(reg(), kHkeyCurrentUser, "", platform::RegValueOrder::kByName) +
           platform::DumpRegText(reg(), kHkeyLocalMachine, "", platform::RegValueOrder::kByName);
  }
  void PointCookiesAt(const std::string& relative) {
    tree_.MakeFolder(relative);
    nq::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kShellFolders, true));
    reg.WriteString("Cookies", tree_.Path(relative));
  }
  void WriteCookie(const std::string& name, const std::string& site) {
    tree_.WriteFile("Cookies\\" + name, "id\n42\n" + site + "\n1536\n");
  }

  SimBackEnds sim_;
  FileTree& tree_ = sim_.tree;
  ui::ScriptedDialogs dialogs_;
  nqtest::Installed<ui::IDialogs> installedDialogs_{dialogs_};
};

// The preview and the real run are one computation: a dry run changes nothing, prints what the run
// then prints, and that is exactly the difference between the registry before and after.
TEST_P(ConsoleTest, RepairDryRunPrintsWhatTheRunDoes) {
  LoadFixture(reg(), "hijacked-profile.reg");
  const std::string before = Registry();
  const Result preview = Run({"repair", "--dry-run"});
  EXPECT_EQ(preview.code, nq::console::kExitDone) << preview.err;
  EXPECT_EQ(Registry(), before);
  EXPECT_NE(preview.out.find("value\tHKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run [32-bit]"
                             "\tHelper32\t\"wscript.exe C:\\\\ProgramData\\\\Portal\\\\helper.vbs\"\t-\n"),
            std::string::npos)
      << preview.out;

  const Result run = Run({"repair"});
  EXPECT_EQ(run.code, nq::console::kExitDone) << run.err;
  EXPECT_EQ(run.out, preview.out);
  EXPECT_EQ(run.err, "");
  std::string mismatch;
  EXPECT_EQ(ApplyChanges(FactsOfDump(before), ParseChanges(run.out), &mismatch), FactsOfDump(Registry()));
  EXPECT_EQ(mismatch, "");
  EXPECT_EQ(Run({"repair"}).out, "") << "nothing left to do";
  EXPECT_EQ(Run({"repair", "--dry-run"}).out, "") << "nor anything to foretell: data already there is no change";
}

// Every machine-wide key is visited in the 64-bit view first: its line comes before the 32-bit one.
TEST_P(ConsoleTest, RepairVisitsThe64BitViewBeforeThe32BitOne) {
  LoadFixture(reg(), "hijacked-profile.reg");
  const Lines lines = SplitLines(Run({"repair"}).out);
  std::ptrdiff_t line64 = -1, line32 = -1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("value\tHKEY_LOCAL_MACHINE\\", 0) != 0) continue;
    if (lines[i].find("Internet Explorer\\Search\tSearchAssistant\t") != std::string::npos) line64 = static_cast<std::ptrdiff_t>(i);
    if (lines[i].find("Internet Explorer\\Search [32-bit]\tSearchAssistant\t") != std::string::npos) {
      line32 = static_cast<std::ptrdiff_t>(i);
    }
  }
  ASSERT_GE(line64, 0);
  ASSERT_GE(line32, 0);
  EXPECT_LT(line64, line32);
}

// Every changing command, run dry and then for real on the same profile: the preview is the run's
// own list, and (through the test programs' guard) no write reached a back end while it was dry.
TEST_P(ConsoleTest, EveryChangingCommandForetellsItsRun) {
  LoadFixture(reg(), "hijacked-profile.reg");
  LoadReg(reg(), "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]\n\"url1\"=\"http://a.example/\"\n");
  PointCookiesAt("Cookies");
  WriteCookie("user@abcd[1].txt", "abcd.example/");
  const Lines commands[] = {
      {"delete", "toolbar", "Portal Search"},
      {"delete", "startup", "Helper32"},
      {"delete", "cookie", "user@abcd[1].txt"},
      {"clean-typed-urls"},
      {"repair", "--keep-startup"},
      {"repair"},
      {"erase-tracks"},
  };
  for (Lines args : commands) {
    SCOPED_TRACE(args[0] + " " + args.back());
    const std::string before = Registry();
    args.push_back("--dry-run");
    const Result preview = Run(args);
    EXPECT_EQ(Registry(), before);
    EXPECT_EQ(sim_.shell.fileOperations.size(), 0u);
    args.pop_back();
    const Result run = Run(args);
    EXPECT_EQ(run.code, nq::console::kExitDone) << run.err;
    EXPECT_EQ(preview.out, run.out);
    EXPECT_NE(run.out, "");
    sim_.shell.fileOperations.clear();
  }
}

// Today's browsers from a script: the forced policies, a planted shortcut and a loader task listed
// with their tick, the dry run foretelling the run, and nothing left for a second run.
TEST_P(ConsoleTest, BrowsersAreListedAndRepairedAsTheWindowWould) {
  LoadFixture(reg(), "browsers-hijacked.reg");
  tree_.MakeFolder("Desktop");
  tree_.MakeFolder("Local");
  {
    nq::TRegistry folders;
    ASSERT_TRUE(folders.OpenKey(kShellFolders, true));
    folders.WriteString("Desktop", tree_.Path("Desktop"));
    folders.WriteString("Local AppData", tree_.Path("Local"));
  }
  const std::string shortcut = tree_.Path("Desktop\\Chrome.lnk");
  ASSERT_EQ(sim_.links.Create(shortcut, {"C:\\Chrome\\chrome.exe", "--profile-directory=Default https://search.example/?q="}), 0);
  ASSERT_EQ(sim_.tasks.Register("\\ChromeLoader", {{"C:\\Chrome\\chrome.exe", "--load-extension=C:\\x"}}), 0);

  const Result list = Run({"list", "browsers"});
  EXPECT_EQ(list.code, nq::console::kExitDone) << list.err;
  EXPECT_NE(list.out.find("Edge\tHKEY_CURRENT_USER\\Software\\Policies\\Microsoft\\Edge\\ExtensionInstallForcelist\t"),
            std::string::npos) << list.out;
  EXPECT_NE(list.out.find(shortcut + "\t"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("ChromeLoader"), std::string::npos) << list.out;
  const Result json = Run({"list", "browsers", "--json"});
  EXPECT_EQ(json.out.substr(0, 3), "[\n ") << json.out;
  EXPECT_NE(json.out.find("\"ticked\": true"), std::string::npos);

  const std::string before = Registry();
  const Result preview = Run({"repair-browsers", "--dry-run"});
  EXPECT_EQ(preview.code, nq::console::kExitDone) << preview.err;
  EXPECT_EQ(Registry(), before);
  platform::ShellLink link;
  ASSERT_EQ(sim_.links.Load(shortcut, &link), 0);
  EXPECT_EQ(link.arguments, "--profile-directory=Default https://search.example/?q=");
  EXPECT_NE(preview.out.find("shortcut\t" + shortcut), std::string::npos) << preview.out;
  EXPECT_NE(preview.out.find("task\t"), std::string::npos) << preview.out;

  const Result run = Run({"repair-browsers"});
  EXPECT_EQ(run.code, nq::console::kExitDone) << run.err;
  EXPECT_EQ(run.out, preview.out);
  ASSERT_EQ(sim_.links.Load(shortcut, &link), 0);
  EXPECT_EQ(link.arguments, "--profile-directory=Default");
  std::vector<platform::ScheduledTask> tasks;
  ASSERT_EQ(sim_.tasks.Enumerate(&tasks), 0);
  EXPECT_TRUE(tasks.empty());
  EXPECT_EQ(Run({"repair-browsers", "--dry-run"}).out, "");
}

// The scheduler, with the hijacker's other half in it: a task deleted is made again at once.
class ReCreatingTasks final : public platform::ITaskScheduler {
 public:
  explicit ReCreatingTasks(platform::ITaskScheduler& tasks) : tasks_(tasks) {}
  platform::HResult Enumerate(std::vector<platform::ScheduledTask>* tasks) override { return tasks_.Enumerate(tasks); }
  platform::HResult Delete(const std::string& path) override {
    std::string xml;
    const platform::HResult read = tasks_.ReadXml(path, &xml);
    const platform::HResult deleted = tasks_.Delete(path);
    if (deleted == 0 && read == 0) tasks_.RegisterXml(path, xml);
    return deleted;
  }
  platform::HResult Register(const std::string& path, const std::vector<platform::TaskAction>& actions) override {
    return tasks_.Register(path, actions);
  }
  platform::HResult ReadXml(const std::string& path, std::string* xml) override { return tasks_.ReadXml(path, xml); }
  platform::HResult RegisterXml(const std::string& path, const std::string& xml) override {
    return tasks_.RegisterXml(path, xml);
  }

 private:
  platform::ITaskScheduler& tasks_;
};

// A loader task that is back as soon as it goes: repair-browsers prints its deletion, then looks
// again and names it still present on stderr, with exit code 1.
TEST_P(ConsoleTest, RepairBrowsersNamesAFindingThatIsThereAgainAfterIt) {
  tree_.MakeFolder("Local");
  {
    nq::TRegistry folders;
    ASSERT_TRUE(folders.OpenKey(kShellFolders, true));
    folders.WriteString("Local AppData", tree_.Path("Local"));
  }
  ASSERT_EQ(sim_.tasks.Register("\\ChromeLoader", {{"C:\\Chrome\\chrome.exe", "--load-extension=C:\\x"}}), 0);
  const nq::TFindings found = nq::FindBrowserHijacks();
  ASSERT_EQ(found.size(), 1u);
  ASSERT_TRUE(found[0].ticked);
  ReCreatingTasks tasks(sim_.tasks);
  Installed<platform::ITaskScheduler> installed(tasks);
  const Result run = Run({"repair-browsers"});
  EXPECT_EQ(run.code, nq::console::kExitRefused);
  EXPECT_NE(run.out.find("task\t\\ChromeLoader\t"), std::string::npos) << run.out;
  EXPECT_EQ(run.err, "still present\t" + found[0].browser + "\t" + nq::FindingColumns(found[0]).where + "\t" +
                         found[0].name + "\n");
}

// Each row that list browsers prints, as text and as JSON, is the finding in that place with its
// tick, and repair-browsers repairs the ticked rows and no other: a store extension stays on any
// machine, and on a managed one the policies stay too.
TEST_P(ConsoleTest, RepairBrowsersTakesTheRowsTheListTicksAndNoOther) {
  LoadFixture(reg(), "browsers-hijacked.reg");
  tree_.MakeFolder("Local");  // for the undo records
  {
    nq::TRegistry folders;
    ASSERT_TRUE(folders.OpenKey(kShellFolders, true));
    folders.WriteString("Local AppData", tree_.Path("Local"));
  }
  // Still in place: a policy value, or a key that goes whole.
  const auto present = [](const nq::TFinding& f) {
    nq::TStrings names;
    if (!nq::ListValueNames(f.root, "\\" + f.where, names, f.view)) return false;
    if (f.kind != nq::TFindingKind::PolicyValue) return true;
    return std::any_of(names.begin(), names.end(), [&f](const std::string& n) { return nq::EqualNoCase(n, f.name); });
  };
  for (const bool managed : {true, false}) {
    SCOPED_TRACE(managed ? "managed" : "unmanaged");
    sim_.management.joinStatus = managed ? platform::NetSetupJoinStatus::Domain : platform::NetSetupJoinStatus::Workgroup;
    const nq::TFindings findings = nq::FindBrowserHijacks();
    const auto unticked = [&](nq::TFindingKind kind) {
      return std::any_of(findings.begin(), findings.end(), [&](const nq::TFinding& f) { return f.kind == kind && !f.ticked; });
    };
    ASSERT_TRUE(unticked(nq::TFindingKind::ExternalExtension)) << "the store extension";
    ASSERT_EQ(unticked(nq::TFindingKind::PolicyValue), managed);
    ASSERT_TRUE(std::any_of(findings.begin(), findings.end(), [](const nq::TFinding& f) { return f.ticked; }));

    const Lines rows = SplitLines(Run({"list", "browsers"}).out);
    const nlohmann::json json = nlohmann::json::parse(Run({"list", "browsers", "--json"}).out);
    ASSERT_EQ(rows.size(), findings.size());
    ASSERT_EQ(json.size(), findings.size());
    for (std::size_t i = 0; i < findings.size(); ++i) {
      const nq::TFinding& f = findings[i];
      const std::string where = nq::FindingColumns(f).where;
      EXPECT_EQ(SplitFields(rows[i]), (Lines{f.browser, where, f.name, f.data, f.why, f.ticked ? "ticked" : "-"}));
      EXPECT_EQ(json[i], (nlohmann::json{{"browser", f.browser}, {"where", where}, {"name", f.name}, {"data", f.data},
                                         {"why", f.why}, {"ticked", f.ticked}}));
    }

    const Result run = Run({"repair-browsers"});
    EXPECT_EQ(run.code, nq::console::kExitDone) << run.err;
    for (const nq::TFinding& f : findings) {
      EXPECT_NE(present(f), f.ticked) << nq::FindingColumns(f).where << " " << f.name;
    }
  }
}

// Every profile's extensions from a script: one a line with control characters escaped, the same
// rows as JSON with their folders, and a profile whose preferences cannot be read named on stderr.
TEST_P(ConsoleTest, ExtensionsAreListedOneALineAndAsJson) {
  using profiles::Id;
  {
    nq::TRegistry folders;
    ASSERT_TRUE(folders.OpenKey(kShellFolders, true));
    folders.WriteString("Local AppData", tree_.Path("Local"));
  }
  const std::string profile = "Local\\Google\\Chrome\\User Data\\Default";
  tree_.WriteFile(profile + "\\Extensions\\" + profiles::InstalledPath(Id('a'), "1.0") + "\\manifest.json",
                  profiles::Manifest("Tab\tPage", "1.0",
                                     {{"update_url", "https://clients2.google.com/service/update2/crx"},
                                      {"chrome_url_overrides", {{"newtab", "nt.html"}}},
                                      {"permissions", nlohmann::json::array({"tabs", "https://*/*"})}})
                      .dump());
  tree_.WriteFile(profile + "\\Secure Preferences",
                  profiles::Prefs({{Id('a'), profiles::Setting(1, profiles::InstalledPath(Id('a'), "1.0"))},
                                   {Id('b'), profiles::Setting(4, "C:\\Gone", {{"disable_reasons", nlohmann::json::array({1})}})}}));
  tree_.WriteFile("Local\\Microsoft\\Edge\\User Data\\Default\\Preferences", "not json");

  const Result list = Run({"list", "extensions"});
  EXPECT_EQ(list.code, nq::console::kExitDone);
  EXPECT_EQ(list.out, "Chrome\tDefault\t" + Id('a') + "\tTab\\x09Page\t1.0\tChrome Web Store\tnew tab: nt.html\tenabled\n"
                      "Chrome\tDefault\t" + Id('b') + "\t\t\tLoaded unpacked\t\tdisabled\tIts manifest.json is missing.\n");
  EXPECT_EQ(list.err, "unreadable\tEdge\t" + tree_.Path("Local\\Microsoft\\Edge\\User Data\\Default") +
                          "\tPreferences is not valid JSON.\n");

  const nlohmann::json json = nlohmann::json::parse(Run({"list", "extensions", "--json"}).out);
  ASSERT_EQ(json.size(), 2u);
  EXPECT_EQ(json[0]["name"], "Tab\tPage");
  EXPECT_EQ(json[0]["profileFolder"], tree_.Path(profile));
  EXPECT_EQ(json[0]["path"], tree_.Path(profile) + "\\Extensions\\" + Id('a') + "\\1.0_0");
  EXPECT_EQ(json[0]["location"], 1);
  EXPECT_EQ(json[0]["permissions"], nlohmann::json::array({"tabs"}));
  EXPECT_EQ(json[0]["hostPermissions"], nlohmann::json::array({"https://*/*"}));
  EXPECT_EQ(json[0]["problem"], "");
  EXPECT_EQ(json[1]["enabled"], false);
  EXPECT_EQ(json[1]["source"], "Loaded unpacked");
  EXPECT_EQ(json[1]["path"], "C:\\Gone");
}

// A clean machine whose Task Scheduler is stopped: the scheduler is listed, unticked, and the repair
// has nothing to do and succeeds.
TEST_P(ConsoleTest, AStoppedTaskSchedulerOnACleanMachineIsShownAndNotRefused) {
  sim_.tasks.StopService();
  const Result list = Run({"list", "browsers"});
  EXPECT_EQ(list.code, nq::console::kExitDone) << list.err;
  const Lines rows = SplitLines(list.out);
  ASSERT_EQ(rows.size(), 1u) << list.out;
  const Lines fields = SplitFields(rows[0]);
  ASSERT_EQ(fields.size(), 6u) << rows[0];
  EXPECT_EQ(fields[0], "Windows");
  EXPECT_EQ(fields[4].rfind("The Task Scheduler could not be read (error 0x", 0), 0u) << fields[4];
  EXPECT_EQ(fields[5], "-") << "what could not be read is not ticked";

  const Result run = Run({"repair-browsers"});
  EXPECT_EQ(run.code, nq::console::kExitDone) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
}

// Nobody is there to answer a box: a missing shell library is one line on stderr, and the run goes on.
TEST_P(ConsoleTest, EraseTracksReportsAMissingShellLibraryOnStderr) {
  sim_.shell.SetRecycleLibrary(platform::SimShell::Library::Missing);
  const Result run = Run({"erase-tracks"});
  EXPECT_EQ(run.code, nq::console::kExitDone);
  EXPECT_EQ(run.err, "Failed to load Shell32.dll.\n");
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(sim_.history.Clears(), 1) << "the step after it still ran";
}

TEST_P(ConsoleTest, KeepStartupLeavesTheStartupKeys) {
  LoadFixture(reg(), "hijacked-profile.reg");
  const Result run = Run({"repair", "--keep-startup"});
  EXPECT_EQ(run.code, nq::console::kExitDone);
  EXPECT_EQ(run.out.find("\\Run"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("SearchAssistant"), std::string::npos);
}

// "list all" shows what the window's lists show for the same profile, in the same order, with what
// their detail lines show: the 32-bit view's entries and names beyond ASCII among them.
TEST_P(ConsoleTest, ListAllShowsWhatTheWindowShows) {
  LoadFixture(reg(), "hijacked-profile.reg");
  LoadReg(reg(),
          "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
          "\"Обновление\"=\"C:\\\\Программы\\\\update.exe\"\n"
          "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]\n"
          "\"url9\"=\"http://президент.рф/\"\n");
  PointCookiesAt("Cookies");
  WriteCookie("user@тест[1].txt", "тест.example/");
  WriteCookie("user@abcd[1].txt", "abcd.example/");

  nq::TMainForm form;
  Lines expected;
  const struct {
    const char* kind;
    int section, item;
  } lists[] = {{"startup", nq::TMainForm::secNorvane, 1},
               {"context-menu", nq::TMainForm::secNorvane, 2},
               {"toolbar", nq::TMainForm::secNorvane, 3},
               {"typed-url", nq::TMainForm::secPrivacy, 1}};
  for (const auto& list : lists) {
    form.NavBar.ClickItem(list.section, list.item);
    for (int i = 0; i < form.EntryListBox.Count(); ++i) {
      form.EntryListBox.UserSelect(i);
      // The detail line of a typed address stays empty.
      expected.push_back(std::string(list.kind) + "\t" + form.EntryListBox.Items()[i] + "\t" + form.DateValueLabel.Caption());
    }
  }
  form.NavBar.ClickItem(nq::TMainForm::secPrivacy, 2);
  for (const ui::TListItem& row : form.CookieListView.Items) {
    expected.push_back("cookie\t" + row.Caption + "\t" + row.SubItems.at(0));
  }

  const Result list = Run({"list", "all"});
  EXPECT_EQ(list.code, nq::console::kExitDone) << list.err;
  EXPECT_EQ(SplitLines(list.out), expected);
  for (const char* shown : {"startup\tHelper32\twscript.exe C:\\ProgramData\\Portal\\helper.vbs",
                            "startup\tОбновление\tC:\\Программы\\update.exe",
                            "toolbar\tPortal Search\tC:\\Program Files (x86)\\Portal\\portal.exe",
                            "typed-url\thttp://президент.рф/\t", "cookie\tuser@тест[1].txt\tтест.example/"}) {
    EXPECT_NE(list.out.find(std::string(shown) + "\n"), std::string::npos) << shown;
  }
}

TEST_P(ConsoleTest, ListAsJson) {
  LoadReg(reg(),
          "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
          "\"a \\\"quoted\\\" name\"=\"C:\\\\x.exe\tnext\"\n"
          "\"Запуск\"=\"y.exe\"\n");
  const Result list = Run({"list", "startup", "--json"});
  EXPECT_EQ(list.code, nq::console::kExitDone);
  const std::string quoted = "{\"kind\": \"startup\", \"name\": \"a \\\"quoted\\\" name\", \"detail\": \"C:\\\\x.exe\\tnext\"}";
  const std::string cyrillic = "{\"kind\": \"startup\", \"name\": \"Запуск\", \"detail\": \"y.exe\"}";
  // Wine lists values by name, Windows and the substitute in creation order.
  EXPECT_TRUE(list.out == "[\n " + quoted + ",\n " + cyrillic + "\n]\n" ||
              list.out == "[\n " + cyrillic + ",\n " + quoted + "\n]\n")
      << list.out;
  EXPECT_EQ(Run({"list", "context-menu", "--json"}).out, "[]\n");
}

// Control characters, DEL among them, are escaped so that every entry keeps to its own line and field.
TEST_P(ConsoleTest, ListEscapesControlCharacters) {
  nq::TRegistry run;
  ASSERT_TRUE(run.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", true));
  run.WriteString(std::string("del\x7F") + "name", "line\nbreak");
  EXPECT_EQ(Run({"list", "startup"}).out, "startup\tdel\\x7Fname\tline\\x0Abreak\n");
}

TEST_P(ConsoleTest, DeleteByNameAndDryRun) {
  LoadReg(reg(),
          "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
          "\"Запуск\"=\"cu.exe\"\n"
          "\"Keep\"=\"keep.exe\"\n"
          "[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
          "\"Запуск\"=\"lm32.exe\"\n");
  const std::string before = Registry();
  const Result preview = Run({"delete", "startup", "Запуск", "--dry-run"});
  EXPECT_EQ(preview.code, nq::console::kExitDone);
  EXPECT_EQ(Registry(), before);
  const std::string first =
      "value\tHKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\tЗапуск\t\"cu.exe\"\t-\n";
  EXPECT_EQ(preview.out, first);

  // The name twice: the first key in lookup order that holds it, then the next, as two Deletes.
  const Result run = Run({"delete", "startup", "Запуск", "Запуск"});
  EXPECT_EQ(run.code, nq::console::kExitDone) << run.err;
  EXPECT_EQ(run.out, first +
                         "value\tHKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run [32-bit]"
                         "\tЗапуск\t\"lm32.exe\"\t-\n");
  EXPECT_EQ(Run({"list", "startup"}).out, "startup\tKeep\tkeep.exe\n");
}

// A cookie goes to the Recycle Bin as in the window, but without the shell's question; a name the
// code page cannot carry is previewed and deleted whole.
TEST_P(ConsoleTest, DeleteCookie) {
  PointCookiesAt("Cookies");
  WriteCookie("user@тест[1].txt", "тест.example/");
  WriteCookie("user@abcd[1].txt", "abcd.example/");
  const Result preview = Run({"delete", "cookie", "user@тест[1].txt", "--dry-run"});
  EXPECT_EQ(preview.code, nq::console::kExitDone) << preview.err;
  EXPECT_EQ(preview.out, "file\t" + tree_.Path("Cookies\\user@тест[1].txt") + "\t\tfile\tRecycle Bin\n");
  EXPECT_TRUE(tree_.Exists("Cookies\\user@тест[1].txt"));
  EXPECT_TRUE(sim_.shell.fileOperations.empty());

  const Result run = Run({"delete", "cookie", "user@тест[1].txt"});
  EXPECT_EQ(run.code, nq::console::kExitDone) << run.err;
  EXPECT_EQ(run.out, preview.out);
  EXPECT_FALSE(tree_.Exists("Cookies\\user@тест[1].txt"));
  EXPECT_TRUE(tree_.Exists("Cookies\\user@abcd[1].txt"));
  ASSERT_EQ(sim_.shell.fileOperations.size(), 1u);
  EXPECT_EQ(sim_.shell.fileOperations[0].flags, platform::kFofAllowUndo | platform::kFofNoConfirmation);
  EXPECT_EQ(sim_.shell.recycleConfirmations, 0);
}

TEST_P(ConsoleTest, EraseTracksDryRunChangesNothing) {
  LoadFixture(reg(), "trace-profile.reg");
  tree_.WriteFile("Recent\\Letter.doc.lnk", "L");
  nq::TRegistry folders;
  ASSERT_TRUE(folders.OpenKey(kShellFolders, true));
  folders.WriteString("Recent", tree_.Path("Recent"));
  const std::string before = Registry();
  const Result preview = Run({"erase-tracks", "--dry-run"});
  EXPECT_EQ(preview.code, nq::console::kExitDone) << preview.err;
  EXPECT_EQ(Registry(), before);
  EXPECT_TRUE(tree_.Exists("Recent\\Letter.doc.lnk"));
  EXPECT_TRUE(sim_.shell.fileOperations.empty());
  EXPECT_EQ(sim_.history.Clears(), 0);
  EXPECT_TRUE(sim_.shell.recycleBinEmptied.empty());
  EXPECT_NE(preview.out.find("file\t" + tree_.Path("Recent\\Letter.doc.lnk") + "\t\tfile\t-\n"), std::string::npos);
  EXPECT_NE(preview.out.find("history\tURL history\t\tany\tempty\n"), std::string::npos);
}

TEST_P(ConsoleTest, BadCommandLinesChangeNothing) {
  LoadReg(reg(), "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n\"Real\"=\"real.exe\"\n");
  const std::string before = Registry();
  const Lines bad[] = {
      {},
      {"frobnicate"},
      {"list"},
      {"list", "everything"},
      {"list", "all", "extra"},
      {"list", "all", "--dry-run"},
      {"delete"},
      {"delete", "startup"},
      {"delete", "nothing", "x"},
      {"delete", "startup", "NoSuchEntry"},
      {"delete", "startup", "Real", "NoSuchEntry"},
      {"delete", "startup", "Real", "Real"},
      {"delete", "cookie", "none.txt"},
      {"repair", "--json"},
      {"repair", "--frobnicate"},
      {"erase-tracks", "now"},
      {"list", "startup", "--keep-startup"},
  };
  for (const Lines& args : bad) {
    std::string line;
    for (const std::string& a : args) line += a + " ";
    SCOPED_TRACE(line);
    const Result r = Run(args);
    EXPECT_EQ(r.code, nq::console::kExitUsage);
    EXPECT_EQ(r.out, "");
    const Lines err = SplitLines(r.err);
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err[0].rfind("norvanec: ", 0), 0u);
    EXPECT_EQ(r.err.substr(err[0].size() + 1), nq::console::Usage()) << "one line, then the usage";
    EXPECT_EQ(Registry(), before);
  }
}

TEST_P(ConsoleTest, HelpAndVersion) {
  EXPECT_EQ(Run({"--version"}).out, "norvanec 1.4\n");
  const Result help = Run({"--help"});
  EXPECT_EQ(help.code, nq::console::kExitDone);
  EXPECT_EQ(help.out, nq::console::Usage());
}

// A standard user: the machine's changes are refused and said so on stderr, the user's own are made.
TEST_P(ConsoleTest, RefusedChangesGiveExitCodeOne) {
  LoadFixture(reg(), "hijacked-profile.reg");
  if (const std::string why = backend().SetReadOnly(kHkeyLocalMachine); !why.empty()) GTEST_SKIP() << why;
  const Result run = Run({"repair"});
  EXPECT_EQ(run.code, nq::console::kExitRefused);
  EXPECT_NE(run.err.find("refused\tvalue\tHKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run [32-bit]"
                         "\tHelper32\t"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.out.find("HKEY_LOCAL_MACHINE"), std::string::npos);
  EXPECT_NE(run.out.find("HKEY_CURRENT_USER"), std::string::npos);
  EXPECT_EQ(Run({"repair", "--dry-run"}).code, nq::console::kExitRefused) << "the preview knows it too";
}

TEST_P(ConsoleTest, UnexpectedErrorGivesExitCodeThree) {
  LoadReg(reg(), std::string("[HKEY_CURRENT_USER") + kShellFolders + "]\n\"Cookies\"=dword:00000001\n");
  const Result r = Run({"list", "cookies"});
  EXPECT_EQ(r.code, nq::console::kExitError);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "norvanec: Invalid data type for 'Cookies'\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, ConsoleTest, ::testing::ValuesIn(RegistryBackends()), BackendName);

}  // namespace
}  // namespace nqtest
