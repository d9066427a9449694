// The undo of the browser repair on the substitutes: the hijacked profile (both views, Recommended
// keys, the enrollment, an external extension, policies.json, a shortcut and a task) repaired and
// undone to the very bytes; values of every kind; a file changed since the repair refused and left
// alone; a record that cannot be written stopping the repair; an incomplete record never used; the
// console's undo and its dry run; the records kept.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "browsers/Browsers.h"
#include "browsers/Undo.h"
#include "console/Console.h"
#include "platform/RegFile.h"
#include "services/Registry.h"
#include "services/Sha256.h"
#include "tests/support/HijackedBrowsers.h"
#include "tests/support/KeyPaths.h"
#include "tests/support/Registry.h"

namespace nqtest {
namespace {

namespace fs = std::filesystem;
using nq::TChange;
using nq::TFinding;
using nq::TFindings;

constexpr const char* kChrome = R"(C:\Program Files\Google\Chrome\Application\chrome.exe)";
constexpr const char* kShortcut = "Desktop\\Chrome.lnk";
constexpr const char* kTask = "\\Searchy\\Start Chrome";

// Values of every kind, names and data beyond any code page, in a key the repair deletes whole.
constexpr const char* kEveryKind =
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Enrollments\\FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF\\Kinds]\n"
    "@=\"no name\"\n"
    "\"Multi\"=hex(7):6f,6e,65,00,c3,bc,62,65,72,00,00\n"
    "\"Expand\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,e6,97,a5,00\n"
    "\"Binary\"=hex:00,ff,10,80\n"
    "\"Qword\"=hex(b):01,02,03,04,05,06,07,08\n"
    "\"Text without NUL\"=hex(1):61,62,63\n"
    "\"None\"=hex(0):\n"
    "\"Na\xc3\xafve \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80\"=\"\xd0\xbf\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xf0\x9f\x98\x80\"\n"
    "\"Dword\"=dword:fffffffe\n";

TFindings Ticked(const TFindings& findings) {
  TFindings ticked;
  std::copy_if(findings.begin(), findings.end(), std::back_inserter(ticked), [](const TFinding& f) { return f.ticked; });
  return ticked;
}

class UndoTest : public HijackedBrowsersTest {
 protected:
  void SetUp() override {
    HijackedBrowsersTest::SetUp();
    LoadReg(reg_, kEveryKind);
    tree_.MakeFolder("Desktop");
    nq::TRegistry user;
    ASSERT_TRUE(user.OpenKey(kShellFolders, true));
    user.WriteString("Desktop", tree_.Path("Desktop"));
    ASSERT_EQ(sim_.links.Create(tree_.Path(kShortcut), {kChrome, "--no-first-run https://searchy.example/start"}), 0);
    ASSERT_EQ(sim_.tasks.Register(kTask, {{kChrome, "https://searchy.example/"}}), 0);
  }

  // Everything the repair and the undo may touch, byte for byte: both roots whole (both views),
  // the policies file, the shortcut and the task's definition.
  std::string State() {
    std::string state = platform::DumpRegText(reg_, platform::kHkeyCurrentUser, "", platform::RegValueOrder::kByName) +
                        platform::DumpRegText(reg_, platform::kHkeyLocalMachine, "", platform::RegValueOrder::kByName);
    state += "policies " + nq::Sha256Hex(Policies()) + "\n";
    state += "shortcut " + nq::Sha256Hex(ReadHost(tree_.Host(kShortcut))) + "\n";
    std::string xml;
    state += "task " + std::to_string(sim_.tasks.ReadXml(kTask, &xml)) + " " + xml + "\n";
    return state;
  }

  nq::TRepairWithUndo Repair() { return nq::RepairWithUndo(Ticked(nq::FindBrowserHijacks())); }

  int Console(const std::vector<std::string>& args, std::string* out = nullptr, std::string* err = nullptr) {
    std::ostringstream o, e;
    const int code = nq::console::Run(args, o, e);
    if (out != nullptr) *out = o.str();
    if (err != nullptr) *err = e.str();
    return code;
  }

  fs::path Records() const { return tree_.Host("Local\\Norvane And Quillet\\Undo"); }
  void ExpectNoRepairBecause(const std::string& why, const TFindings& ticked = {});
};

TEST_F(UndoTest, RepairThenUndoGivesBackEveryKeyValueFileShortcutAndTaskExactly) {
  const std::string before = State();
  const TFindings found = nq::FindBrowserHijacks();
  const nq::TRepairWithUndo run = Repair();
  ASSERT_TRUE(run.started) << run.why;
  ASSERT_TRUE(run.outcome.done);
  const std::string repaired = State();
  ASSERT_NE(repaired, before);
  // Everything of the profile went, the task and the shortcut's address with it.
  EXPECT_EQ(Ticked(nq::FindBrowserHijacks()), TFindings{});

  // The record: the registry file regedit imports, and an index naming the 32-bit key by its view.
  const std::string reg = ReadHost(Records() / run.record / "registry.reg");
  ASSERT_GE(reg.size(), 2u);
  EXPECT_EQ(reg.substr(0, 2), "\xFF\xFE");
  const std::string index = ReadHost(Records() / run.record / "index.json");
  EXPECT_NE(index.find("\"regKey\": \"HKEY_LOCAL_MACHINE\\\\Software\\\\Wow6432Node\\\\Google\\\\Chrome\\\\Extensions"),
            std::string::npos);
  EXPECT_NE(index.find("\"view\": \"32-bit\""), std::string::npos);

  const nq::TOutcome undone = nq::UndoRepair(run.record);
  EXPECT_TRUE(undone.done);
  EXPECT_EQ(State(), before);
  // The findings are back, the task with its action.
  EXPECT_EQ(nq::FindBrowserHijacks(), found);
  std::vector<platform::ScheduledTask> tasks;
  ASSERT_EQ(sim_.tasks.Enumerate(&tasks), 0);
  ASSERT_EQ(tasks.size(), 1u);
  ASSERT_EQ(tasks[0].actions.size(), 1u);
  EXPECT_EQ(tasks[0].actions[0].path, kChrome);
  EXPECT_EQ(tasks[0].actions[0].arguments, "https://searchy.example/");

  // Restored once: marked so, and never again.
  std::string why;
  EXPECT_TRUE(nq::UndoRepair(run.record, false, &why).changes.empty());
  EXPECT_NE(why.find("restored already"), std::string::npos);
  const std::vector<nq::TUndoRecord> records = nq::ListUndoRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].state, nq::TUndoRecord::TState::Restored);
}

TEST_F(UndoTest, TheRegistryFileImportsByItselfToTheSameKeys) {
  const std::string before = State();
  const nq::TRepairWithUndo run = Repair();
  ASSERT_TRUE(run.started) << run.why;
  // As a person importing it by hand would: the file alone, into the registry as the repair left it.
  platform::LoadRegText(reg_, ReadHost(Records() / run.record / "registry.reg"));
  const std::string imported = State();
  EXPECT_EQ(imported.substr(0, imported.find("policies ")), before.substr(0, before.find("policies ")));
}

TEST_F(UndoTest, AFileOrShortcutChangedSinceTheRepairIsRefusedAndLeftAsItIs) {
  const std::string before = State();
  const nq::TRepairWithUndo run = Repair();
  ASSERT_TRUE(run.started) << run.why;
  const std::string edited = "{\"policies\": {\"DisableTelemetry\": false}}\n";
  WritePolicies(edited);
  ASSERT_EQ(sim_.links.SaveArguments(tree_.Path(kShortcut), "--incognito"), 0);
  const nq::TOutcome undone = nq::UndoRepair(run.record);
  EXPECT_FALSE(undone.done);
  std::vector<std::string> refused;
  for (const TChange& change : undone.changes) {
    if (change.refused) refused.push_back(change.path + ": " + change.why);
  }
  EXPECT_EQ(refused, (std::vector<std::string>{tree_.Path(kShortcut) + ": it was changed since the repair",
                                               PoliciesPath() + ": it was changed since the repair"}));
  EXPECT_EQ(Policies(), edited);
  platform::ShellLink link;
  ASSERT_EQ(sim_.links.Load(tree_.Path(kShortcut), &link), 0);
  EXPECT_EQ(link.arguments, "--incognito");
  // The rest came back.
  const std::string after = State();
  EXPECT_EQ(after.substr(0, after.find("policies ")), before.substr(0, before.find("policies ")));
  EXPECT_EQ(after.substr(after.find("task ")), before.substr(before.find("task ")));
}

// The repair stops before anything changes when its record cannot be written, and says why.
void UndoTest::ExpectNoRepairBecause(const std::string& why, const TFindings& ticked) {
  const std::string before = State();
  const nq::TRepairWithUndo run = nq::RepairWithUndo(ticked.empty() ? Ticked(nq::FindBrowserHijacks()) : ticked);
  EXPECT_FALSE(run.started);
  EXPECT_NE(run.why.find(why), std::string::npos) << run.why;
  EXPECT_EQ(State(), before);
  EXPECT_TRUE(!fs::exists(Records()) || fs::is_empty(Records()));
}

TEST_F(UndoTest, NoRepairWithoutTheLocalApplicationDataFolder) {
  nq::TRegistry user;
  ASSERT_TRUE(user.OpenKey(kShellFolders, false));
  ASSERT_TRUE(user.DeleteValue("Local AppData"));
  ExpectNoRepairBecause("the local application data folder is not known");
}

TEST_F(UndoTest, NoRepairWhenTheRecordsFolderCannotBeMade) {
  fs::remove_all(tree_.Host("Local"));
  ExpectNoRepairBecause("could not be made");
}

TEST_F(UndoTest, NoRepairWhenAFileOfTheRecordCannotBeWritten) {
  files_.FailNextWrite();  // the first file of the record: the policies file's copy
  ExpectNoRepairBecause("could not be written");
}

TEST_F(UndoTest, NoRepairWhenATasksDefinitionCannotBeRead) {
  const TFindings ticked = Ticked(nq::FindBrowserHijacks());
  sim_.tasks.DenyRead(kTask);  // since it was listed
  ExpectNoRepairBecause("the task \\Searchy\\Start Chrome could not be read", ticked);
}

TEST_F(UndoTest, ARecordWithoutIndexIsListedIncompleteAndNeverRestored) {
  const nq::TRepairWithUndo run = Repair();
  ASSERT_TRUE(run.started) << run.why;
  fs::remove(Records() / run.record / "index.json");
  const std::string repaired = State();
  const std::vector<nq::TUndoRecord> records = nq::ListUndoRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].state, nq::TUndoRecord::TState::Incomplete);
  std::string why;
  EXPECT_TRUE(nq::UndoRepair(run.record, false, &why).changes.empty());
  EXPECT_NE(why.find("incomplete"), std::string::npos);
  std::string out, err;
  EXPECT_EQ(Console({"undo"}, &out, &err), 1);
  EXPECT_EQ(err, "norvanec: there is no repair to undo\n");
  EXPECT_EQ(Console({"undo", "--list"}, &out), 0);
  EXPECT_EQ(out, run.record + "\t" + records[0].created + "\t0\tincomplete\n");
  EXPECT_EQ(State(), repaired);
}

TEST_F(UndoTest, ConsoleUndoDryRunChangesNothingAndPrintsWhatUndoThenDoes) {
  const std::string before = State();
  std::string out, err;
  ASSERT_EQ(Console({"repair-browsers"}, &out, &err), 0) << err;
  const std::string repaired = State();
  std::string dry, real;
  EXPECT_EQ(Console({"undo", "--dry-run"}, &dry, &err), 0) << err;
  EXPECT_EQ(State(), repaired);
  EXPECT_NE(dry.find("task\t\\Searchy\\Start Chrome\t\t-\ttask\n"), std::string::npos) << dry;
  EXPECT_EQ(Console({"undo", "--list"}, &out), 0);
  EXPECT_NE(out.find("\tcomplete\n"), std::string::npos) << out;
  EXPECT_EQ(Console({"undo"}, &real, &err), 0) << err;
  EXPECT_EQ(dry, real);
  EXPECT_EQ(State(), before);
  EXPECT_EQ(Console({"undo", "--list"}, &out), 0);
  EXPECT_NE(out.find("\trestored\n"), std::string::npos) << out;
  EXPECT_EQ(Console({"undo"}, &out, &err), 1);
}

std::string RecordId(std::time_t when) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  char id[32];
  std::strftime(id, sizeof id, "%Y-%m-%d %H-%M-%S", &local);
  return id;
}

TEST_F(UndoTest, TheNextRepairKeepsTheTwentyNewestRecordsOfTheLastThirtyDays) {
  const std::time_t now = 1'700'000'000;
  const struct {
    const char* name;
    std::vector<int> daysAgo;  // the records there before, newest first
    std::size_t kept;          // how many of them stay
  } kCases[] = {
      {"a month", {1, 2, 29, 31, 40}, 3},
      {"more than twenty", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}, 19},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(tree_.Host("Local\\Norvane And Quillet"));
    tree_.MakeFolder("Local\\Norvane And Quillet");
    tree_.MakeFolder("Local\\Norvane And Quillet\\Undo");
    tree_.MakeFolder("Local\\Norvane And Quillet\\Undo\\notes");  // not a record: left alone
    std::vector<std::string> made;
    for (const int day : c.daysAgo) {
      made.push_back(RecordId(now - static_cast<std::time_t>(day) * 24 * 3600));
      tree_.MakeFolder("Local\\Norvane And Quillet\\Undo\\" + made.back());
      tree_.WriteFile("Local\\Norvane And Quillet\\Undo\\" + made.back() + "\\index.json", R"({"format": 1, "entries": []})");
    }
    LoadFixture(reg_, "browsers-hijacked.reg");
    const nq::TRepairWithUndo run = nq::RepairWithUndo(Ticked(nq::FindBrowserHijacks()), now);
    ASSERT_TRUE(run.started) << run.why;
    std::vector<std::string> kept;
    for (const nq::TUndoRecord& record : nq::ListUndoRecords()) kept.push_back(record.id);
    std::vector<std::string> expected{run.record};
    expected.insert(expected.end(), made.begin(), made.begin() + static_cast<std::ptrdiff_t>(c.kept));
    EXPECT_EQ(kept, expected);
    EXPECT_TRUE(fs::exists(Records() / "notes"));
  }
}

}  // namespace
}  // namespace nqtest
