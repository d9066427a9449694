// Extensions as findings on the substitutes: which extensions of a profile are rows and which of
// them are ticked, the repair that takes away the source first and then the extension (its entries
// and their MACs, its folders), the undo that puts all of it back, and a running browser's profile
// left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
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
const std::string kUserData = "Local\\Google\\Chrome\\User Data";
const std::string kProfile = kUserData + "\\Default";
const std::string kUnpacked = "Users\\Public\\поиск";

class ExtensionFindingsTest : public HijackedBrowsersTest {
 protected:
  void SetUp() override {
    HijackedBrowsersTest::SetUp();
    // Only what this test plants: the fixture's other findings would be rows beside these.
    reg_.Clear();
    nq::TRegistry user;
    ASSERT_TRUE(user.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    user.WriteString("Local AppData", tree_.Path("Local"));
    std::filesystem::remove(tree_.Host(kPolicies));

    // a: a plain store extension; b: a store one that takes the new tab; c: loaded unpacked, takes
    // the search engine; d: installed by an external-extension key from a site outside the store.
    Installed('a', profiles::Manifest("Notes", "1.0", {{"update_url", kStore}}));
    Installed('b', profiles::Manifest("Tab Page", "2.0", {{"update_url", kStore}, {"chrome_url_overrides", {{"newtab", "tab.html"}}}}));
    tree_.WriteFile(kUnpacked + "\\manifest.json",
                    profiles::Manifest("Searchy", "0.9",
                                       {{"chrome_settings_overrides",
                                         {{"search_provider", {{"name", "Searchy"}, {"search_url", "http://searchy.example/?q={searchTerms}"}}}}}})
                        .dump());
    tree_.WriteFile(kUnpacked + "\\background.js", "chrome.runtime.onInstalled.addListener(() => {});\n");
    Installed('d', profiles::Manifest("Coupons", "1.0", {{"update_url", "http://ext.example/update"}}));
    tree_.WriteFile(kProfile + "\\Local Extension Settings\\" + Id('d') + "\\000003.log", std::string("\x01\x02 kept", 7));
    json settings = {{Id('a'), profiles::Setting(1, profiles::InstalledPath(Id('a'), "1.0"))},
                     {Id('b'), profiles::Setting(1, profiles::InstalledPath(Id('b'), "2.0"))},
                     {Id('c'), profiles::Setting(4, tree_.Path(kUnpacked))},
                     {Id('d'), profiles::Setting(3, profiles::InstalledPath(Id('d'), "1.0"))}};
    json macs = json::object();
    for (const char letter : {'a', 'b', 'c', 'd'}) macs[Id(letter)] = std::string(64, static_cast<char>(std::toupper(letter)));
    securePreferences_ = profiles::Prefs(settings, {{"protection", {{"macs", {{"extensions", {{"settings", macs}}}}}, {"super_mac", "SUPER"}}}});
    tree_.WriteFile(kProfile + "\\Secure Preferences", securePreferences_);
    tree_.WriteFile(kProfile + "\\Preferences", profiles::Prefs(json::object()));

    nq::TRegistry key;
    ASSERT_TRUE(key.OpenKey("\\Software\\Google\\Chrome\\Extensions\\" + Id('d'), true));
    key.WriteString("update_url", "http://ext.example/update");
  }

  void Installed(char letter, const json& manifest) {
    tree_.WriteFile(kProfile + "\\Extensions\\" + profiles::InstalledPath(Id(letter), manifest["version"]) + "\\manifest.json",
                    manifest.dump());
  }

  static TFindings Rows(TFindingKind kind) {
    TFindings found = nq::FindBrowserHijacks();
    std::erase_if(found, [kind](const TFinding& f) { return f.kind != kind; });
    return found;
  }

  json SecurePreferences() const { return json::parse(ReadHost(tree_.Host(kProfile + "\\Secure Preferences"))); }

  std::string securePreferences_;
};

std::vector<std::string> Shown(const TFindings& findings) {
  std::vector<std::string> rows;
  for (const TFinding& f : findings) rows.push_back("Extension " + f.data + (f.ticked ? " [x]" : " [ ]"));
  return rows;
}

TEST_F(ExtensionFindingsTest, RowsSayWhatEachChangesAndWhereFromTickedOffTheStoreOrByATickedSource) {
  const TFindings rows = Rows(TFindingKind::Extension);
  EXPECT_EQ(Shown(rows), (std::vector<std::string>{
                             "Extension 'Tab Page' (Default): changes the new tab page; Chrome Web Store [ ]",
                             "Extension 'Searchy' (Default): changes the search engine to http://searchy.example/?q={searchTerms}; "
                             "Loaded unpacked from " + tree_.Path(kUnpacked) + " [x]",
                             "Extension 'Coupons' (Default); Registry [x]",
                         }));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].where, tree_.Path(kProfile));
  EXPECT_EQ(rows[0].name, Id('b'));
  EXPECT_NE(rows[2].why.find("Installed by the registry key Software\\Google\\Chrome\\Extensions\\" + Id('d')), std::string::npos)
      << rows[2].why;

  // The key that installs it, unticked by the user, leaves the extension unticked too.
  nq::TRegistry key;
  ASSERT_TRUE(key.OpenKey("\\Software\\Google\\Chrome\\Extensions\\" + Id('d'), false));
  key.WriteString("update_url", kStore);
  EXPECT_FALSE(Rows(TFindingKind::Extension)[2].ticked);

  // The user's own developer mode loads a folder on purpose: shown for the search it takes, still.
  tree_.WriteFile(kProfile + "\\Preferences", profiles::Prefs(json::object(), {{"extensions", {{"ui", {{"developer_mode", true}}}}}}));
  tree_.WriteFile(kUnpacked + "\\manifest.json", profiles::Manifest("Searchy", "0.9").dump());
  EXPECT_EQ(Rows(TFindingKind::Extension).size(), 2u);
}

TEST_F(ExtensionFindingsTest, TheRepairTakesTheSourceThenTheExtensionAndTheUndoPutsAllBack) {
  TFindings ticked = nq::FindBrowserHijacks();
  std::erase_if(ticked, [](const TFinding& f) { return !f.ticked; });
  ASSERT_EQ(ticked.size(), 3u);  // the key, c and d
  const nq::TRepairWithUndo run = nq::RepairWithUndo(ticked);
  ASSERT_TRUE(run.started) << run.why;
  EXPECT_TRUE(run.outcome.done);

  nq::TRegistry key;
  key.SetReadOnly(true);
  EXPECT_FALSE(key.OpenKey("\\Software\\Google\\Chrome\\Extensions\\" + Id('d'), false));
  const json after = SecurePreferences();
  const json& settings = after["extensions"]["settings"];
  const json& macs = after["protection"]["macs"]["extensions"]["settings"];
  EXPECT_EQ(settings.size(), 2u);
  EXPECT_TRUE(settings.contains(Id('a')) && settings.contains(Id('b')));
  EXPECT_EQ(macs, (json{{Id('a'), std::string(64, 'A')}, {Id('b'), std::string(64, 'B')}}));
  EXPECT_EQ(settings[Id('a')], json::parse(securePreferences_)["extensions"]["settings"][Id('a')]);
  EXPECT_FALSE(tree_.Exists(kProfile + "\\Extensions\\" + Id('d')));
  EXPECT_FALSE(tree_.Exists(kProfile + "\\Local Extension Settings\\" + Id('d')));
  EXPECT_FALSE(tree_.Exists(kUnpacked));
  EXPECT_TRUE(tree_.Exists(kProfile + "\\Extensions\\" + Id('a')));
  EXPECT_EQ(Shown(Rows(TFindingKind::Extension)),
            (std::vector<std::string>{"Extension 'Tab Page' (Default): changes the new tab page; Chrome Web Store [ ]"}));

  const nq::TOutcome undone = nq::UndoRepair(run.record);
  EXPECT_TRUE(undone.done);
  EXPECT_EQ(ReadHost(tree_.Host(kProfile + "\\Secure Preferences")), securePreferences_);
  EXPECT_EQ(ReadHost(tree_.Host(kProfile + "\\Local Extension Settings\\" + Id('d') + "\\000003.log")),
            std::string("\x01\x02 kept", 7));
  EXPECT_TRUE(tree_.Exists(kUnpacked + "\\background.js"));
  EXPECT_TRUE(tree_.Exists(kProfile + "\\Extensions\\" + profiles::InstalledPath(Id('d'), "1.0") + "\\manifest.json"));
  EXPECT_TRUE(key.OpenKey("\\Software\\Google\\Chrome\\Extensions\\" + Id('d'), false));
  EXPECT_EQ(Rows(TFindingKind::Extension).size(), 3u);
}

TEST_F(ExtensionFindingsTest, WhileTheBrowserRunsItsProfileIsLeftAsItIsAndTheRowsSayWhy) {
  tree_.WriteFile(kUserData + "\\lockfile", "");
  files_.SetHeldOpen(tree_.Path(kUserData + "\\lockfile"), true);
  const TFindings rows = Rows(TFindingKind::Extension);
  const nq::TOutcome outcome = nq::RepairFindings(rows);
  EXPECT_FALSE(outcome.done);
  ASSERT_EQ(outcome.changes.size(), rows.size());
  for (const nq::TChange& change : outcome.changes) {
    EXPECT_TRUE(change.refused);
    EXPECT_EQ(change.why, "Close Chrome, then repair.");
  }
  for (const TFinding& row : rows) EXPECT_TRUE(nq::RefusedIn(row, outcome.changes));
  EXPECT_EQ(ReadHost(tree_.Host(kProfile + "\\Secure Preferences")), securePreferences_);
  EXPECT_TRUE(tree_.Exists(kUnpacked + "\\manifest.json"));
  EXPECT_TRUE(tree_.Exists(kProfile + "\\Local Extension Settings\\" + Id('d')));
}

// Firefox: a side-loaded add-on that takes the home page goes from extensions.json and its
// package to the Recycle Bin; the undo puts both back as they were.
TEST_F(ExtensionFindingsTest, AFirefoxAddOnAndItsPackageGoAndComeBack) {
  const std::string firefox = "Roaming\\Mozilla\\Firefox";
  const std::string profile = firefox + "\\Profiles\\abcd.default-release";
  nq::TRegistry user;
  ASSERT_TRUE(user.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
  user.WriteString("AppData", tree_.Path("Roaming"));
  tree_.WriteFile(firefox + "\\profiles.ini", "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/abcd.default-release\r\n");
  const std::string addons = profiles::FirefoxAddons(json::array(
      {profiles::FirefoxAddon("uBlock0@example.org", "uBlock", "1.55.0", "app-profile",
                              {{"sourceURI", "https://addons.mozilla.org/firefox/downloads/file/1/ublock.xpi"}}),
       profiles::FirefoxAddon("helper@searchy.example", "Searchy Helper", "2.0", "app-profile", {{"foreignInstall", true}})}));
  tree_.WriteFile(profile + "\\extensions.json", addons);
  tree_.WriteFile(profile + "\\extension-settings.json",
                  json{{"version", 2},
                       {"prefs", {{"homepage_override", {{"precedenceList", json::array({{{"id", "helper@searchy.example"}, {"value", "http://searchy.example/home"}, {"enabled", true}}})}}}}}}
                      .dump());
  const std::string package = profile + "\\extensions\\helper@searchy.example.xpi";
  tree_.WriteFile(package, std::string("PK\x03\x04 package", 12));
  tree_.WriteFile(profile + "\\extensions\\uBlock0@example.org.xpi", "PK");

  TFindings ticked = Rows(TFindingKind::Extension);
  std::erase_if(ticked, [](const TFinding& f) { return f.browser != "Firefox"; });
  ASSERT_EQ(ticked.size(), 1u);
  EXPECT_EQ(ticked[0].name, "helper@searchy.example");
  ASSERT_TRUE(ticked[0].ticked);
  const nq::TRepairWithUndo run = nq::RepairWithUndo(ticked);
  ASSERT_TRUE(run.started) << run.why;
  EXPECT_TRUE(run.outcome.done);
  EXPECT_FALSE(tree_.Exists(package));
  EXPECT_TRUE(tree_.Exists(profile + "\\extensions\\uBlock0@example.org.xpi"));
  EXPECT_EQ(json::parse(ReadHost(tree_.Host(profile + "\\extensions.json")))["addons"].size(), 1u);

  EXPECT_TRUE(nq::UndoRepair(run.record).done);
  EXPECT_EQ(ReadHost(tree_.Host(profile + "\\extensions.json")), addons);
  EXPECT_EQ(ReadHost(tree_.Host(package)), std::string("PK\x03\x04 package", 12));
}

}  // namespace
}  // namespace nqtest
