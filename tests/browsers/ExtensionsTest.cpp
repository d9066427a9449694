// The extension inventory on the substitutes: Edge's, Chrome's, Brave's and Firefox's profiles laid
// out as the browsers write them, with names and folders beyond the code page; how Preferences and
// Secure Preferences combine; what decides enabled; hostile texts and folders the inventory never
// follows; other users' profiles when elevated.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browsers/ExtensionText.h"
#include "browsers/Extensions.h"
#include "services/Registry.h"
#include "tests/support/BrowserProfiles.h"
#include "tests/support/Registry.h"
#include "tests/support/ShellFixture.h"

namespace nqtest {
namespace {

using nq::TExtension;
using profiles::Id;
using profiles::json;

constexpr const char* kLocal = "Users\\me\\AppData\\Local";
constexpr const char* kRoaming = "Users\\me\\AppData\\Roaming";
const std::string kChrome = std::string(kLocal) + "\\Google\\Chrome\\User Data";
const std::string kEdge = std::string(kLocal) + "\\Microsoft\\Edge\\User Data";
const std::string kBrave = std::string(kLocal) + "\\BraveSoftware\\Brave-Browser\\User Data";
const std::string kFirefox = std::string(kRoaming) + "\\Mozilla\\Firefox";
constexpr const char* kChromeStore = "https://clients2.google.com/service/update2/crx";
constexpr const char* kEdgeStore = "https://edge.microsoft.com/extensionwebstorebase/v1/crx";

// An extension as the list shows it: browser | profile | id | name | version | source | changes |
// enabled | problem.
std::string Row(const TExtension& e) {
  return e.browser + " | " + e.profileName + " | " + e.id + " | " + e.name + " | " + e.version + " | " + nq::SourceText(e) +
         " | " + nq::ChangesText(e) + " | " + (e.enabled ? "enabled" : "disabled") + " | " + e.problem;
}

std::vector<std::string> Rows(const nq::TExtensionInventory& inventory) {
  std::vector<std::string> rows;
  for (const TExtension& e : inventory.extensions) rows.push_back(Row(e));
  return rows;
}

const TExtension* Find(const nq::TExtensionInventory& inventory, const std::string& id) {
  const auto it = std::find_if(inventory.extensions.begin(), inventory.extensions.end(),
                               [&](const TExtension& e) { return e.id == id; });
  return it == inventory.extensions.end() ? nullptr : &*it;
}

class ExtensionsTest : public FileTreeTest {
 protected:
  void SetUp() override {
    FileTreeTest::SetUp();
    nq::TRegistry user;
    ASSERT_TRUE(user.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    user.WriteString("Local AppData", tree_.Path(kLocal));
    user.WriteString("AppData", tree_.Path(kRoaming));
  }

  void Write(const std::string& relative, const std::string& text) { tree_.WriteFile(relative, text); }
  void Write(const std::string& relative, const json& value) { tree_.WriteFile(relative, value.dump(2)); }
  // An installed extension's manifest, where Chromium unpacks it in a profile.
  void Installed(const std::string& profile, const std::string& id, const std::string& version, const json& manifest) {
    Write(profile + "\\Extensions\\" + profiles::InstalledPath(id, version) + "\\manifest.json", manifest);
  }
};

// Every browser on one machine, as a user would have them: Chrome's Default profile with a store
// extension that replaces the new tab, one named from its _locales, an unpacked one in a folder
// with a Cyrillic name that replaces the search engine and one the user turned off; a second
// profile named in Cyrillic with a manifest gone and one broken; a profile folder Local State does
// not name; Edge without a Local State; Brave with an old-style disabled entry; Firefox's default
// profile and one never started.
TEST_F(ExtensionsTest, ListsEveryProfileAndExtensionOfEveryBrowser) {
  const std::string chromeDefault = kChrome + "\\Default";
  Write(kChrome + "\\Local State",
        profiles::LocalState({{"Default", "Person 1"}, {"Profile 1", "Работа"}, {"Profile 9", "Deleted"},
                              {"..\\Evil", "Climbs out"}, {"C:\\Evil", "Elsewhere"}}));
  // Chromium's own profile for its start-up window is no user's.
  Write(kChrome + "\\System Profile\\Preferences", profiles::Prefs({{Id('g'), profiles::Setting(1, "x")}}));
  // Where those two would lead: never read.
  Write(std::string(kLocal) + "\\Google\\Chrome\\Evil\\Preferences", profiles::Prefs({{Id('g'), profiles::Setting(1, "x")}}));
  Write("Evil\\Preferences", profiles::Prefs({{Id('g'), profiles::Setting(1, "x")}}));

  Installed(chromeDefault, Id('a'), "2.1",
            profiles::Manifest("Tab Page", "2.1", {{"update_url", kChromeStore}, {"chrome_url_overrides", {{"newtab", "tab.html"}}}}));
  Installed(chromeDefault, Id('b'), "1.4",
            profiles::Manifest("__MSG_appName__", "1.4",
                               {{"default_locale", "en"}, {"update_url", kChromeStore}, {"manifest_version", 2},
                                {"permissions", json::array({"tabs", "storage", "https://*.example.com/*", "<all_urls>"})}}));
  Write(chromeDefault + "\\Extensions\\" + profiles::InstalledPath(Id('b'), "1.4") + "\\_locales\\en\\messages.json",
        json{{"APPNAME", {{"message", "Заметки"}, {"description", "the name"}}}});
  const std::string unpacked = "Users\\me\\Документы\\поиск";
  Write(unpacked + "\\manifest.json",
        profiles::Manifest("Поиск Searchy", "0.9",
                           {{"chrome_settings_overrides",
                             {{"search_provider", {{"name", "Searchy"}, {"keyword", "sy"}, {"search_url", "http://searchy.example/?q={searchTerms}"}, {"is_default", true}}},
                              {"homepage", "http://searchy.example/home"},
                              {"startup_pages", json::array({"http://searchy.example/start"})}}}}));
  Installed(chromeDefault, Id('d'), "3.0", profiles::Manifest("Paused", "3.0", {{"update_url", kChromeStore}}));
  Write(chromeDefault + "\\Secure Preferences",
        profiles::Prefs({{Id('a'), profiles::Setting(1, profiles::InstalledPath(Id('a'), "2.1"))},
                         {Id('b'), profiles::Setting(1, profiles::InstalledPath(Id('b'), "1.4"))}}));
  Write(chromeDefault + "\\Preferences",
        profiles::Prefs({{Id('c'), profiles::Setting(4, tree_.Path(unpacked))},
                         {Id('d'), profiles::Setting(1, profiles::InstalledPath(Id('d'), "3.0"), {{"disable_reasons", json::array({1})}})}},
                        {{"extensions", {{"ui", {{"developer_mode", true}}}}},
                         {"account_info", json::array({{{"email", "me@example.org"}, {"gaia", "123"}}})},
                         {"google", {{"services", {{"consented_to_sync", true}, {"last_username", "me@example.org"}}}}}}));

  const std::string work = kChrome + "\\Profile 1";
  Write(work + "\\Extensions\\" + profiles::InstalledPath(Id('f'), "1.0") + "\\manifest.json", std::string("{ \"name\": \"Broken\", "));
  Write(work + "\\Secure Preferences",
        profiles::Prefs({{Id('e'), profiles::Setting(1, profiles::InstalledPath(Id('e'), "5.0"),
                                                     {{"manifest", profiles::Manifest("Kept Name", "5.0")}})},
                         {Id('f'), profiles::Setting(1, profiles::InstalledPath(Id('f'), "1.0"))}}));

  // Not in Local State: a profile made by an older version, or copied in.
  const std::string loose = kChrome + "\\Profile 2";
  Write("Tools\\ext\\manifest.json", profiles::Manifest("Loader", "1.0"));
  Write(loose + "\\Preferences", profiles::Prefs({{Id('h'), profiles::Setting(8, tree_.Path("Tools\\ext"))}}));

  Installed(kEdge + "\\Default", Id('i'), "7.0", profiles::Manifest("Edge Helper", "7.0", {{"update_url", kEdgeStore}}));
  Write(kEdge + "\\Default\\Secure Preferences",
        profiles::Prefs({{Id('i'), profiles::Setting(1, profiles::InstalledPath(Id('i'), "7.0"), {{"from_webstore", false}})}}));

  Installed(kBrave + "\\Default", Id('j'), "1.0", profiles::Manifest("Old Style", "1.0"));
  Write(kBrave + "\\Default\\Preferences",
        profiles::Prefs({{Id('j'), json{{"location", 2}, {"path", profiles::InstalledPath(Id('j'), "1.0")}, {"state", 0}}}}));

  Write(kFirefox + "\\profiles.ini",
        std::string("[Install308046B0AF4A39CB]\r\nDefault=Profiles/abcd.default-release\r\nLocked=1\r\n\r\n"
                    "[Profile1]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/efgh.default\r\n\r\n"
                    "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/abcd.default-release\r\n\r\n"
                    "[Profile2]\r\nName=escape\r\nIsRelative=1\r\nPath=../../../Evil\r\n\r\n"
                    "[Profile3]\r\nName=gone\r\nIsRelative=1\r\nPath=Profiles/gone.default\r\n\r\n"
                    "[General]\r\nStartWithLastProfile=1\r\nVersion=2\r\n"));
  const std::string release = kFirefox + "\\Profiles\\abcd.default-release";
  Write(release + "\\prefs.js", std::string("user_pref(\"browser.startup.page\", 1);\n"));
  Write(release + "\\extensions.json",
        profiles::FirefoxAddons(json::array(
            {profiles::FirefoxAddon("uBlock0@example.org", "uBlock", "1.55.0", "app-profile",
                                    {{"sourceURI", "https://addons.mozilla.org/firefox/downloads/file/1/ublock.xpi"}}),
             profiles::FirefoxAddon("helper@searchy.example", "Searchy Helper", "2.0", "app-profile", {{"foreignInstall", true}}),
             profiles::FirefoxAddon("formautofill@mozilla.org", "Form Autofill", "1.0", "app-builtin"),
             profiles::FirefoxAddon("dark@themes.example", "Dark", "1.0", "app-profile", {{"type", "theme"}})})));
  Write(release + "\\extension-settings.json",
        json{{"version", 2},
             {"prefs", {{"homepage_override", {{"precedenceList", json::array({{{"id", "helper@searchy.example"}, {"value", "http://searchy.example/home"}, {"enabled", true}}})}}}}},
             {"default_search", {{"defaultSearch", {{"precedenceList", json::array({{{"id", "helper@searchy.example"}, {"value", "Searchy"}, {"enabled", true}}})}}}}}});
  Write(kFirefox + "\\Profiles\\efgh.default\\prefs.js", std::string());
  Write("Evil\\extensions.json", profiles::FirefoxAddons(json::array({profiles::FirefoxAddon("evil@x", "Evil", "1", "app-profile")})));

  const nq::TExtensionInventory inventory = nq::ListExtensions();
  const std::vector<std::string> expected = {
      "Edge |  | " + Id('i') + " | Edge Helper | 7.0 | Edge Add-ons |  | enabled | ",
      "Chrome | Person 1 | " + Id('a') + " | Tab Page | 2.1 | Chrome Web Store | new tab: tab.html | enabled | ",
      "Chrome | Person 1 | " + Id('b') + " | Заметки | 1.4 | Chrome Web Store |  | enabled | ",
      "Chrome | Person 1 | " + Id('c') + " | Поиск Searchy | 0.9 | Loaded unpacked | search: Searchy "
      "<http://searchy.example/?q={searchTerms}>; home page: http://searchy.example/home; start-up pages: "
      "http://searchy.example/start | enabled | ",
      "Chrome | Person 1 | " + Id('d') + " | Paused | 3.0 | Chrome Web Store |  | disabled | ",
      "Chrome | Работа | " + Id('e') + " | Kept Name | 5.0 | Chrome Web Store |  | enabled | Its manifest.json is missing.",
      "Chrome | Работа | " + Id('f') + " |  |  | Chrome Web Store |  | enabled | Its manifest.json is not valid JSON.",
      "Chrome |  | " + Id('h') + " | Loader | 1.0 | Command line |  | enabled | ",
      "Brave |  | " + Id('j') + " | Old Style | 1.0 | Preferences file beside the browser |  | disabled | ",
      "Firefox | default-release | uBlock0@example.org | uBlock | 1.55.0 | Firefox Add-ons |  | enabled | ",
      "Firefox | default-release | helper@searchy.example | Searchy Helper | 2.0 | Put in the profile by another program | "
      "search: Searchy; home page: http://searchy.example/home | enabled | ",
      "Firefox | default-release | formautofill@mozilla.org | Form Autofill | 1.0 | Part of the browser |  | enabled | ",
  };
  EXPECT_EQ(Rows(inventory), expected);

  // The profiles, each once, with what its preferences say of sync and developer mode.
  std::vector<std::string> folders;
  for (const nq::TBrowserProfile& p : inventory.profiles) {
    folders.push_back(p.browser + " | " + p.folder + " | " + p.name + " | " + (p.syncOn ? "sync " + p.syncAccount : "no sync") +
                      " | " + (p.developerMode ? "developer mode" : "-"));
  }
  const std::vector<std::string> expectedProfiles = {
      "Edge | " + tree_.Path(kEdge) + "\\Default |  | no sync | -",
      "Chrome | " + tree_.Path(kChrome) + "\\Default | Person 1 | sync me@example.org | developer mode",
      "Chrome | " + tree_.Path(kChrome) + "\\Profile 1 | Работа | no sync | -",
      "Chrome | " + tree_.Path(kChrome) + "\\Profile 2 |  | no sync | -",
      "Brave | " + tree_.Path(kBrave) + "\\Default |  | no sync | -",
      "Firefox | " + tree_.Path(kFirefox) + "\\Profiles\\efgh.default | default | no sync | -",
      "Firefox | " + tree_.Path(kFirefox) + "\\Profiles\\abcd.default-release | default-release | no sync | -",
  };
  EXPECT_EQ(folders, expectedProfiles);

  // The details the rows leave out.
  const TExtension* notes = Find(inventory, Id('b'));
  ASSERT_NE(notes, nullptr);
  EXPECT_EQ(notes->permissions, (std::vector<std::string>{"tabs", "storage"}));
  EXPECT_EQ(notes->hostPermissions, (std::vector<std::string>{"https://*.example.com/*", "<all_urls>"}));
  EXPECT_EQ(notes->path, tree_.Path(chromeDefault) + "\\Extensions\\" + Id('b') + "\\1.4_0");
  EXPECT_TRUE(notes->inSecurePreferences);
  EXPECT_FALSE(notes->inPreferences);
  EXPECT_EQ(notes->installTime, "13370000000000000");
  const TExtension* search = Find(inventory, Id('c'));
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(search->path, tree_.Path(unpacked));
  EXPECT_EQ(search->rawLocation, 4);
  EXPECT_EQ(search->searchKeyword, "sy");
  EXPECT_EQ(Find(inventory, Id('d'))->disableReasons, 1u);
  EXPECT_EQ(Find(inventory, "helper@searchy.example")->location, nq::TExtensionLocation::FirefoxProfile);
  EXPECT_TRUE(Find(inventory, "helper@searchy.example")->sideloaded);
  EXPECT_EQ(Find(inventory, Id('g')), nullptr);
  EXPECT_EQ(Find(inventory, "evil@x"), nullptr);
}

// Where Chromium protects extensions.settings (Windows) Secure Preferences holds it, and what it
// says wins; Preferences fills in what it lacks. An entry neither gives a location is what is left
// of an extension, not one.
TEST_F(ExtensionsTest, SecurePreferencesWinsFieldByFieldAndAnEntryNeedsALocation) {
  const std::string profile = kChrome + "\\Default";
  Installed(profile, Id('a'), "2.0", profiles::Manifest("From Secure", "2.0"));
  Write(profile + "\\Preferences",
        profiles::Prefs({{Id('a'), json{{"location", 4}, {"path", "C:\\Nowhere"}, {"first_install_time", "1"}, {"from_webstore", true}}},
                         {Id('b'), json{{"incognito", true}}},
                         {Id('c'), json{{"location", 1}, {"path", profiles::InstalledPath(Id('c'), "1.0")}}},
                         // No id Chromium would load.
                         {"NOT-AN-ID", json{{"location", 1}, {"path", "x"}}},
                         {Id('a').substr(1), json{{"location", 1}, {"path", "x"}}}}));
  Write(profile + "\\Secure Preferences",
        profiles::Prefs({{Id('a'), json{{"location", 1}, {"path", profiles::InstalledPath(Id('a'), "2.0")}}},
                         {Id('b'), json{{"active_permissions", json::object()}}},
                         {Id('c'), json{{"disable_reasons", 8192}}}}));
  Installed(profile, Id('c'), "1.0", profiles::Manifest("Split", "1.0"));

  const nq::TExtensionInventory inventory = nq::ListExtensions();
  ASSERT_EQ(inventory.extensions.size(), 2u);
  const TExtension& a = inventory.extensions[0];
  EXPECT_EQ(a.id, Id('a'));
  EXPECT_EQ(a.location, nq::TExtensionLocation::Store);
  EXPECT_EQ(a.name, "From Secure");
  EXPECT_EQ(a.installTime, "1") << "Secure Preferences holds none: Preferences' counts";
  EXPECT_TRUE(a.fromWebstore);
  EXPECT_TRUE(a.inPreferences && a.inSecurePreferences);
  const TExtension& c = inventory.extensions[1];
  EXPECT_EQ(c.id, Id('c'));
  EXPECT_EQ(c.name, "Split");
  EXPECT_FALSE(c.enabled);
  EXPECT_EQ(c.disableReasons, 8192u);
}

// Whether the browser runs it: the old "state" (0 disabled, 1 enabled, 2 uninstalled by the user)
// and the disable reasons, an int mask or a list of bits.
TEST_F(ExtensionsTest, EnabledFollowsTheOldStateAndTheDisableReasons) {
  struct Case {
    char id;
    json fields;
    bool enabled;
    std::uint32_t reasons;
  };
  const Case cases[] = {
      {'a', json::object(), true, 0},
      {'b', {{"state", 1}}, true, 0},
      {'c', {{"state", 0}}, false, 0},
      {'d', {{"state", 2}}, false, 0},
      {'e', {{"disable_reasons", 0}}, true, 0},
      {'f', {{"disable_reasons", 4}}, false, 4},
      {'g', {{"disable_reasons", json::array()}}, true, 0},
      {'h', {{"disable_reasons", json::array({1, 8192})}}, false, 8193},
      {'i', {{"state", 1}, {"disable_reasons", json::array({2})}}, false, 2},
      {'j', {{"disable_reasons", json::array({"1", -4, 0})}}, true, 0},
  };
  json settings = json::object();
  for (const Case& c : cases) {
    json entry = {{"location", 1}, {"path", profiles::InstalledPath(Id(c.id), "1")}};
    entry.update(c.fields);
    settings[Id(c.id)] = entry;
    Installed(kChrome + "\\Default", Id(c.id), "1", profiles::Manifest("x", "1"));
  }
  Write(kChrome + "\\Default\\Secure Preferences", profiles::Prefs(settings));
  const nq::TExtensionInventory inventory = nq::ListExtensions();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fields.dump());
    const TExtension* e = Find(inventory, Id(c.id));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->enabled, c.enabled);
    EXPECT_EQ(e->disableReasons, c.reasons);
  }
}

// A Preferences text a hijacker or a broken disk left: the profile is listed with why, the other
// file and every other profile still are.
TEST_F(ExtensionsTest, AnUnreadablePreferencesFileIsReportedAndTheRestIsStillListed) {
  struct Case {
    const char* name;
    std::string text;
    const char* problem;
  };
  const Case cases[] = {
      {"not JSON", "{\"extensions\": {\"settings\": ", "Preferences is not valid JSON."},
      {"nested too deeply", std::string(200, '[') + std::string(200, ']'), "Preferences is nested too deeply."},
      {"too large", std::string(nq::kMaxProfileTextBytes + 1, ' '), "Preferences cannot be read, or is too large."},
      {"not an object", "[1, 2]", "Preferences is not a JSON object."},
      {"invalid UTF-8", "{\"a\": \"\xff\"}", "Preferences is not valid JSON."},
  };
  Installed(kChrome + "\\Default", Id('a'), "1", profiles::Manifest("Still Here", "1"));
  Write(kChrome + "\\Default\\Secure Preferences", profiles::Prefs({{Id('a'), profiles::Setting(1, profiles::InstalledPath(Id('a'), "1"))}}));
  Installed(kChrome + "\\Profile 1", Id('b'), "1", profiles::Manifest("Other Profile", "1"));
  Write(kChrome + "\\Profile 1\\Preferences", profiles::Prefs({{Id('b'), profiles::Setting(1, profiles::InstalledPath(Id('b'), "1"))}}));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(kChrome + "\\Default\\Preferences", c.text);
    const nq::TExtensionInventory inventory = nq::ListExtensions();
    ASSERT_EQ(inventory.profiles.size(), 2u);
    EXPECT_EQ(inventory.profiles[0].problem, c.problem);
    EXPECT_EQ(inventory.profiles[1].problem, "");
    std::vector<std::string> names;
    for (const TExtension& e : inventory.extensions) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Still Here", "Other Profile"}));
  }
}

// The folder an entry names is read only when it is the profile's own Extensions folder or a
// drive's folder: a name that climbs out, a network path, a wildcard or a locale that climbs out
// are never followed, whatever lies there.
TEST_F(ExtensionsTest, AFolderOutsideTheProfileOrTheDrivesIsNeverRead) {
  Write("Evil\\manifest.json", profiles::Manifest("Evil", "6.6.6"));
  Write("Evil\\_locales\\x\\messages.json", json{{"n", {{"message", "Evil"}}}});
  struct Case {
    char id;
    std::string path;
    const char* problem;
  };
  const std::string drive = tree_.Path("");
  const Case cases[] = {
      {'a', "..\\..\\..\\..\\..\\..\\..\\Evil", "Its folder (..\\..\\..\\..\\..\\..\\..\\Evil) is not one of this computer's folders: not read."},
      {'b', "\\\\server\\share\\Evil", "Its folder is on another computer (\\\\server\\share\\Evil): not read."},
      {'c', drive + "\\Users\\..\\Evil", ""},
      {'d', drive + "\\Ev?l", ""},
      {'e', "\\Evil", "Its folder (\\Evil) is not one of this computer's folders: not read."},
      {'f', "", "Its folder () is not one of this computer's folders: not read."},
  };
  json settings = json::object();
  for (const Case& c : cases) settings[Id(c.id)] = profiles::Setting(4, c.path);
  // A locale name that climbs out of _locales.
  Write("Tools\\ext\\manifest.json", profiles::Manifest("__MSG_n__", "1", {{"default_locale", "..\\..\\..\\Evil\\_locales\\x"}}));
  settings[Id('g')] = profiles::Setting(4, tree_.Path("Tools\\ext"));
  // On Windows ".." is taken off by name, whether or not the folder before it exists.
  tree_.MakeFolder("Tools\\ext\\_locales");
  Write(kChrome + "\\Default\\Preferences", profiles::Prefs(settings));

  const nq::TExtensionInventory inventory = nq::ListExtensions();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const TExtension* e = Find(inventory, Id(c.id));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->name, "");
    EXPECT_EQ(e->path, "");
    if (*c.problem != '\0') {
      EXPECT_EQ(e->problem, c.problem);
    }
    EXPECT_NE(e->problem, "");
  }
  EXPECT_EQ(Find(inventory, Id('g'))->name, "__MSG_n__");
}

// Other users' profiles, as the machine's profile list names them, only when the program runs
// elevated; the current user's once, the system's accounts and Windows' backup entries never.
TEST_F(ExtensionsTest, OtherUsersProfilesAreListedOnlyWhenElevated) {
  const std::string list = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  LoadReg(reg_, "[" + list + "]\n\"SystemRoot\"=\"C:\\\\Windows\"\n"
          "[" + list + "\\ProfileList\\S-1-5-18]\n\"ProfileImagePath\"=\"C:\\\\Windows\\\\system32\\\\config\\\\systemprofile\"\n"
          "[" + list + "\\ProfileList\\S-1-5-21-1-2-3-1001]\n\"ProfileImagePath\"=\"C:\\\\Users\\\\me\"\n"
          "[" + list + "\\ProfileList\\S-1-5-21-1-2-3-1002]\n\"ProfileImagePath\"=\"%SystemDrive%\\\\Users\\\\Анна\"\n"
          "[" + list + "\\ProfileList\\S-1-5-21-1-2-3-1002.bak]\n\"ProfileImagePath\"=\"C:\\\\Users\\\\Анна.old\"\n"
          "[" + list + "\\ProfileList\\S-1-12-1-4-5-6-7]\n\"ProfileImagePath\"=\"C:\\\\Users\\\\..\\\\Evil\"\n");
  const auto chromeOf = [this](const std::string& user, char id, const std::string& name) {
    const std::string profile = user + "\\AppData\\Local\\Google\\Chrome\\User Data\\Default";
    Installed(profile, Id(id), "1", profiles::Manifest(name, "1"));
    Write(profile + "\\Preferences", profiles::Prefs({{Id(id), profiles::Setting(1, profiles::InstalledPath(Id(id), "1"))}}));
  };
  chromeOf("Users\\me", 'a', "Mine");
  chromeOf("Users\\Анна", 'b', "Anna's");
  chromeOf("Users\\Анна.old", 'c', "Backup");
  chromeOf("Windows\\system32\\config\\systemprofile", 'd', "System");
  chromeOf("Evil", 'e', "Evil");
  Write("Users\\Анна\\AppData\\Roaming\\Mozilla\\Firefox\\profiles.ini", std::string("[Profile0]\nName=a\nIsRelative=1\nPath=Profiles/x\n"));
  Write("Users\\Анна\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\x\\extensions.json",
        profiles::FirefoxAddons(json::array({profiles::FirefoxAddon("anna@x", "Anna's Fox", "1", "app-profile")})));

  const auto names = [] {
    std::vector<std::string> names;
    for (const TExtension& e : nq::ListExtensions().extensions) names.push_back(e.name);
    return names;
  };
  EXPECT_EQ(names(), std::vector<std::string>{"Mine"});
  management_.elevated = true;
  EXPECT_EQ(names(), (std::vector<std::string>{"Mine", "Anna's", "Anna's Fox"}));
}

}  // namespace
}  // namespace nqtest
