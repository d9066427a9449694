// The extensions a browser's install folder lists (default_apps\external_extensions.json and
// default_apps\<id>.json) as findings on the substitutes: which entries are rows and which are
// ticked, a file that is no JSON shown and never rewritten, the repair that cuts an entry out of the
// list keeping every other byte and sends a one-entry file to the Recycle Bin, the extension it
// installed removed after it, the undo that puts both files back, and the dry run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browsers/Browsers.h"
#include "browsers/Undo.h"
#include "services/Registry.h"
#include "tests/support/BrowserProfiles.h"
#include "tests/support/HijackedBrowsers.h"

namespace nqtest {
namespace {

using nq::TFinding;
using nq::TFindingKind;
using nq::TFindings;
using profiles::Id;
using profiles::json;

constexpr const char* kStore = "https://clients2.google.com/service/update2/crx";
const std::string kApplication = "Program Files\\Google\\Chrome\\Application";
const std::string kDefaultApps = kApplication + "\\120.0.6099.110\\default_apps";
const std::string kList = kDefaultApps + "\\external_extensions.json";
const std::string kOne = kDefaultApps + "\\" + Id('e') + ".json";
const std::string kProfile = "Local\\Google\\Chrome\\User Data\\Default";

// a: from a site outside the store; b: from the store; c: from a package beside the list; then
// entries Chromium passes over (no id, a package without its version, both ways at once).
const std::string kListText =
    "// What every new profile gets.\n"
    "{\n"
    "  // Coupons\n"
    "  \"" + Id('a') + "\": { \"external_update_url\": \"http://ext.example/update\" },\n"
    "  \"" + Id('b') + "\": {\n"
    "    \"external_update_url\": \"" + kStore + "\"\n"
    "  },\n"
    "  /* a package */ \"" + Id('c') + "\": {\"external_crx\": \"coupons.crx\", \"external_version\": \"1.0\"},\n"
    "  \"not an id\": { \"external_update_url\": \"http://ext.example/update\" },\n"
    "  \"" + Id('d') + "\": { \"external_crx\": \"d.crx\" },\n"
    "  \"" + Id('f') + "\": { \"external_crx\": \"f.crx\", \"external_version\": \"1\", \"external_update_url\": \"http://f.example/\" }\n"
    "}\n";
const std::string kOneText = "{\"external_update_url\": \"http://other.example/crx\"}";

class ExternalFilesTest : public HijackedBrowsersTest {
 protected:
  void SetUp() override {
    HijackedBrowsersTest::SetUp();
    // Only what this test plants.
    reg_.Clear();
    std::filesystem::remove(tree_.Host(kPolicies));
    nq::TRegistry user;
    ASSERT_TRUE(user.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    user.WriteString("Local AppData", tree_.Path("Local"));
    nq::TRegistry machine(nq::TRegView::Key64);
    machine.SetRootKey(platform::kHkeyLocalMachine);
    ASSERT_TRUE(machine.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion", true));
    machine.WriteString("ProgramFilesDir", tree_.Path("Program Files"));

    tree_.WriteFile(kApplication + "\\chrome.exe", "MZ");
    tree_.WriteFile(kList, kListText);
    tree_.WriteFile(kOne, kOneText);
    tree_.WriteFile(kDefaultApps + "\\coupons.crx", "Cr24");
    tree_.WriteFile(kDefaultApps + "\\notes.json", kOneText);  // no id: never read

    // The profile holds a, which the list installed.
    const json manifest = profiles::Manifest("Coupons", "1.0", {{"update_url", "http://ext.example/update"}});
    tree_.WriteFile(kProfile + "\\Extensions\\" + profiles::InstalledPath(Id('a'), "1.0") + "\\manifest.json", manifest.dump());
    securePreferences_ = profiles::Prefs({{Id('a'), profiles::Setting(1, profiles::InstalledPath(Id('a'), "1.0"))}});
    tree_.WriteFile(kProfile + "\\Secure Preferences", securePreferences_);
    tree_.WriteFile(kProfile + "\\Preferences", profiles::Prefs(json::object()));
  }

  static TFindings Rows(TFindingKind kind) {
    TFindings found = nq::FindBrowserHijacks();
    std::erase_if(found, [kind](const TFinding& f) { return f.kind != kind; });
    return found;
  }

  static TFindings Ticked() {
    TFindings found = nq::FindBrowserHijacks();
    std::erase_if(found, [](const TFinding& f) { return !f.ticked; });
    return found;
  }

  std::string Read(const std::string& relative) const { return ReadHost(tree_.Host(relative)); }

  std::string securePreferences_;
};

// "<browser> | <id>=<data> [x]" for each row of the kind.
std::vector<std::string> Shown(const TFindings& findings) {
  std::vector<std::string> rows;
  for (const TFinding& f : findings) rows.push_back(f.browser + " | " + f.name + " = " + f.data + (f.ticked ? " [x]" : " [ ]"));
  return rows;
}

TEST_F(ExternalFilesTest, EachEntryIsARowTickedWhenItInstallsFromAFileOrOffTheStore) {
  const TFindings rows = Rows(TFindingKind::ExternalExtensionFile);
  EXPECT_EQ(Shown(rows), (std::vector<std::string>{
                             "Chrome | " + Id('a') + " = http://ext.example/update [x]",
                             "Chrome | " + Id('b') + " = " + kStore + " [ ]",
                             "Chrome | " + Id('c') + " = " + tree_.Path(kDefaultApps + "\\coupons.crx") + " (version 1.0) [x]",
                             "Chrome | " + Id('e') + " = http://other.example/crx [x]",
                         }));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].where, tree_.Path(kList));
  EXPECT_EQ(rows[3].where, tree_.Path(kOne));
  EXPECT_EQ(nq::FindingColumns(rows[0]).finding, "Extension " + Id('a') + ": http://ext.example/update");
  EXPECT_NE(rows[2].why.find("from a file on this computer"), std::string::npos) << rows[2].why;
  EXPECT_NE(rows[1].why.find("left alone unless you tick it"), std::string::npos) << rows[1].why;

  // The extension the list installed is a row, ticked as its source is, and says where it came from.
  const TFindings extensions = Rows(TFindingKind::Extension);
  ASSERT_EQ(extensions.size(), 1u);
  EXPECT_EQ(extensions[0].name, Id('a'));
  EXPECT_TRUE(extensions[0].ticked);
  EXPECT_NE(extensions[0].why.find("Installed by the file " + tree_.Path(kList)), std::string::npos) << extensions[0].why;

  // Listed from the store, the source is not ticked, nor is what it installed.
  std::string fromStore = kListText;
  fromStore.replace(fromStore.find("http://ext.example/update"), 25, kStore);
  tree_.WriteFile(kList, fromStore);
  EXPECT_FALSE(Rows(TFindingKind::ExternalExtensionFile)[0].ticked);
  EXPECT_FALSE(Rows(TFindingKind::Extension)[0].ticked);
}

// Edge where App Paths says, Brave installed for the user alone; the browser's own apps unticked.
TEST_F(ExternalFilesTest, EveryInstallFolderIsReadAndTheBrowsersOwnAppsStayUnticked) {
  nq::TRegistry appPath(nq::TRegView::Key32);
  appPath.SetRootKey(platform::kHkeyLocalMachine);
  ASSERT_TRUE(appPath.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\msedge.exe", true));
  appPath.WriteString("", "\"" + tree_.Path("Edge here\\Application\\msedge.exe") + "\"");
  tree_.WriteFile("Edge here\\Application\\msedge.exe", "MZ");
  tree_.WriteFile("Edge here\\Application\\119.0.2151.97\\default_apps\\external_extensions.json",
                  "{\"" + Id('g') + "\": {\"external_crx\": \"C:\\\\Temp\\\\g.crx\", \"external_version\": \"2\"}}");
  tree_.WriteFile("Edge here\\Application\\Not a version\\default_apps\\external_extensions.json",
                  "{\"" + Id('h') + "\": {\"external_update_url\": \"http://h.example/\"}}");
  tree_.WriteFile("Local\\BraveSoftware\\Brave-Browser\\Application\\brave.exe", "MZ");
  tree_.WriteFile("Local\\BraveSoftware\\Brave-Browser\\Application\\121.1.61.109\\default_apps\\external_extensions.json",
                  "{\"aohghmighlieiainnegkcijnfilokake\": {\"external_crx\": \"docs.crx\", \"external_version\": \"0.0.0.6\"}}");
  std::filesystem::remove(tree_.Host(kList));
  std::filesystem::remove(tree_.Host(kOne));

  EXPECT_EQ(Shown(Rows(TFindingKind::ExternalExtensionFile)),
            (std::vector<std::string>{
                "Edge | " + Id('g') + " = C:\\Temp\\g.crx (version 2) [x]",
                "Brave | aohghmighlieiainnegkcijnfilokake = " +
                    tree_.Path("Local\\BraveSoftware\\Brave-Browser\\Application\\121.1.61.109\\default_apps\\docs.crx") +
                    " (version 0.0.0.6) [ ]",
            }));
}

// Texts a hijacker (or a broken installer) may leave: no JSON is one unticked row that no repair
// rewrites; JSON of another shape is passed over, as the browser passes it over.
TEST_F(ExternalFilesTest, AFileThatIsNoJsonIsOneRowNeverRewritten) {
  struct Case {
    const char* name;
    std::string text;
    bool unreadable;
  };
  const std::vector<Case> cases = {
      {"not JSON", "extensions = evil", true},
      {"cut short", "{\"" + Id('a') + "\": {\"external_update_url\": \"http://x", true},
      {"a NUL", std::string("{\"a\": 1}\0", 9), true},
      {"deeply nested", std::string(100000, '[') + std::string(100000, ']'), true},
      {"an array", "[1, 2, 3]", false},
      {"an entry that is no object", "{\"" + Id('a') + "\": \"http://ext.example/\"}", false},
  };
  for (const std::string& file : {kList, kOne}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(file + ": " + c.name);
      tree_.WriteFile(file, c.text);
      TFindings rows;
      for (const TFinding& f : nq::FindBrowserHijacks()) {
        if (f.where == tree_.Path(file)) rows.push_back(f);
      }
      if (c.unreadable) {
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].kind, TFindingKind::UnreadableFile);
        EXPECT_FALSE(rows[0].ticked);
        EXPECT_EQ(nq::FindingColumns(rows[0]).finding, "Unreadable extensions file");
        // Ticked by the user, it is still refused.
        rows[0].ticked = true;
        const nq::TOutcome outcome = nq::RepairFindings(rows);
        ASSERT_EQ(outcome.changes.size(), 1u);
        EXPECT_TRUE(outcome.changes[0].refused);
      } else {
        EXPECT_TRUE(rows.empty());
      }
      EXPECT_EQ(Read(file), c.text);
    }
    tree_.WriteFile(file, file == kList ? kListText : kOneText);
  }
}

// The off-store entries (a, c) go from the list; every other byte stays, comments included.
TEST_F(ExternalFilesTest, TheRepairCutsTheEntriesOutKeepingEveryOtherByte) {
  const std::string a = "\"" + Id('a') + "\": {\"external_update_url\": \"http://ext.example/update\"}";
  const std::string b = "\"" + Id('b') + "\": {\"external_update_url\": \"" + kStore + "\"}";
  const std::string c = "\"" + Id('c') + "\": {\"external_crx\": \"coupons.crx\", \"external_version\": \"1.0\"}";
  struct Case {
    const char* name;
    std::string text, expected;
  };
  const std::vector<Case> cases = {
      {"first, with a comment before the next", "{\n  " + a + ",\n  // the store's\n  " + b + "\n}\n",
       "{\n  // the store's\n  " + b + "\n}\n"},
      {"after a kept one, with its comment", "{" + b + ", /* a */ " + a + "}", "{" + b + "}"},
      {"two apart", "{" + a + ",\r\n" + b + ",\r\n" + c + "\r\n}", "{" + b + "\r\n}"},
      {"all of them", "// list\n{\n  " + a + ",\n  " + c + "\n}", "// list\n{\n  \n}"},
      {"a byte-order mark, odd spacing, escapes", "\xEF\xBB\xBF { " + b + " ,\t\"\\u0061" + Id('a').substr(1) + "\" :{\"external_update_url\":\"http:\\/\\/x.example\"} }",
       "\xEF\xBB\xBF { " + b + " }"},
      {"a key twice", "{" + a + ", " + b + ", " + a + "}", "{" + b + "}"},
  };
  std::filesystem::remove(tree_.Host(kOne));
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    tree_.WriteFile(kList, test.text);
    TFindings ticked = Rows(TFindingKind::ExternalExtensionFile);
    std::erase_if(ticked, [](const TFinding& f) { return !f.ticked; });
    ASSERT_FALSE(ticked.empty());
    const nq::TOutcome outcome = nq::RepairFindings(ticked);
    EXPECT_TRUE(outcome.done);
    EXPECT_EQ(Read(kList), test.expected);
    const TFindings left = Rows(TFindingKind::ExternalExtensionFile);
    EXPECT_TRUE(std::none_of(left.begin(), left.end(), [](const TFinding& f) { return f.ticked; }));
  }
}

TEST_F(ExternalFilesTest, TheRepairTakesTheSourcesThenTheExtensionAndTheUndoPutsAllBackByteForByte) {
  const TFindings ticked = Ticked();
  ASSERT_EQ(ticked.size(), 4u);  // a, c, the <id>.json, and the extension a
  const nq::TRepairWithUndo run = nq::RepairWithUndo(ticked);
  ASSERT_TRUE(run.started) << run.why;
  EXPECT_TRUE(run.outcome.done);

  EXPECT_EQ(Read(kList),
            "// What every new profile gets.\n"
            "{\n"
            "  // Coupons\n"
            "  \"" + Id('b') + "\": {\n"
            "    \"external_update_url\": \"" + kStore + "\"\n"
            "  },\n"
            "  \"not an id\": { \"external_update_url\": \"http://ext.example/update\" },\n"
            "  \"" + Id('d') + "\": { \"external_crx\": \"d.crx\" },\n"
            "  \"" + Id('f') + "\": { \"external_crx\": \"f.crx\", \"external_version\": \"1\", \"external_update_url\": \"http://f.example/\" }\n"
            "}\n");
  EXPECT_FALSE(tree_.Exists(kOne));
  EXPECT_TRUE(tree_.Exists(kDefaultApps + "\\coupons.crx"));  // only what lists it goes
  EXPECT_FALSE(json::parse(Read(kProfile + "\\Secure Preferences"))["extensions"]["settings"].contains(Id('a')));
  EXPECT_FALSE(tree_.Exists(kProfile + "\\Extensions\\" + Id('a')));
  EXPECT_EQ(Shown(Rows(TFindingKind::ExternalExtensionFile)),
            (std::vector<std::string>{"Chrome | " + Id('b') + " = " + kStore + " [ ]"}));
  EXPECT_TRUE(Rows(TFindingKind::Extension).empty());

  const nq::TOutcome undone = nq::UndoRepair(run.record);
  EXPECT_TRUE(undone.done);
  EXPECT_EQ(Read(kList), kListText);
  EXPECT_EQ(Read(kOne), kOneText);
  EXPECT_EQ(Read(kProfile + "\\Secure Preferences"), securePreferences_);
  EXPECT_EQ(Rows(TFindingKind::ExternalExtensionFile).size(), 4u);
}

// A different file made where the repair recycled one is left alone, and the undo says so.
TEST_F(ExternalFilesTest, TheUndoRefusesAFileMadeAgainSinceTheRepair) {
  const nq::TRepairWithUndo run = nq::RepairWithUndo(Ticked());
  ASSERT_TRUE(run.started) << run.why;
  ASSERT_FALSE(tree_.Exists(kOne));
  const std::string other = "{\"external_update_url\": \"" + std::string(kStore) + "\"}";
  tree_.WriteFile(kOne, other);

  const nq::TOutcome undone = nq::UndoRepair(run.record);
  EXPECT_FALSE(undone.done);
  const auto refused = std::find_if(undone.changes.begin(), undone.changes.end(), [](const nq::TChange& c) { return c.refused; });
  ASSERT_NE(refused, undone.changes.end());
  EXPECT_EQ(refused->path, tree_.Path(kOne));
  EXPECT_EQ(refused->why, "a different file of that name was made since the repair");
  EXPECT_EQ(Read(kOne), other);
  EXPECT_EQ(Read(kList), kListText);  // the rest goes back
}

TEST_F(ExternalFilesTest, ADryRunChangesNothingAndSaysWhatTheRunWould) {
  const TFindings ticked = Ticked();
  const nq::TOutcome planned = nq::RepairFindings(ticked, true);
  EXPECT_TRUE(planned.done);
  EXPECT_EQ(Read(kList), kListText);
  EXPECT_EQ(Read(kOne), kOneText);
  EXPECT_EQ(Read(kProfile + "\\Secure Preferences"), securePreferences_);
  const auto said = [&planned](const std::string& path, const std::string& name, const std::string& after) {
    return std::any_of(planned.changes.begin(), planned.changes.end(), [&](const nq::TChange& c) {
      return c.path == path && c.name == name && c.after == after && !c.refused;
    });
  };
  EXPECT_TRUE(said(tree_.Path(kList), Id('a'), "-"));
  EXPECT_TRUE(said(tree_.Path(kList), Id('c'), "-"));
  EXPECT_TRUE(said(tree_.Path(kOne), Id('e'), "Recycle Bin"));

  // The run then makes the changes the dry run listed.
  const nq::TOutcome run = nq::RepairFindings(ticked);
  EXPECT_EQ(run.changes, planned.changes);
}

}  // namespace
}  // namespace nqtest
