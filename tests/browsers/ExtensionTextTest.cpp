// The texts of browser profiles read on their own: what Chromium's reader accepts in a manifest and
// what it refuses, messages looked up as Chromium looks them up, Local State's profile folders,
// profiles.ini's paths, and names that would lead out of their folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browsers/ExtensionText.h"

namespace nqtest {
namespace {

TEST(ExtensionText, ManifestsAreReadAsChromiumReadsThem) {
  struct Case {
    const char* name;
    std::string text;
    bool readable;
    const char* shown;  // the name read
  };
  const Case cases[] = {
      {"plain", R"({"name": "Plain", "version": "1"})", true, "Plain"},
      {"byte-order mark", "\xEF\xBB\xBF{\"name\": \"Marked\"}", true, "Marked"},
      {"comments", "// made by hand\n{ /* the name */ \"name\": \"Commented\" // end\n}", true, "Commented"},
      {"a comment holding brackets", "{\"name\": \"Deep\" /* [[[[[[[[[[ */}", true, "Deep"},
      {"a line end inside a string", "{\"name\": \"Two\nLines\"}", true, "Two\nLines"},
      {"an \\x escape", R"({"name": "\x41B"})", true, "AB"},
      {"a slash inside a string", R"({"name": "a // b /* c"})", true, "a // b /* c"},
      {"a trailing comma", R"({"name": "x",})", false, ""},
      {"single quotes", R"({'name': 'x'})", false, ""},
      {"an array at the top", R"(["name"])", false, ""},
      {"cut short", R"({"name": "x)", false, ""},
      {"a comment never closed", "{\"name\": \"x\"} /* ", false, ""},
      {"nested too deeply", "{\"a\":" + std::string(101, '[') + std::string(101, ']') + "}", false, ""},
      {"a control character inside a string", std::string("{\"name\": \"a\tb\"}"), false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const nq::TManifest manifest = nq::ParseManifest(c.text);
    EXPECT_EQ(manifest.readable, c.readable) << manifest.problem;
    EXPECT_EQ(manifest.name, c.shown);
    EXPECT_EQ(manifest.problem.empty(), c.readable);
  }
}

TEST(ExtensionText, ManifestSaysWhatItTakesOverAndWhichSitesItReads) {
  const nq::TManifest manifest = nq::ParseManifest(R"({
    "name": "N", "version": "1.2.3", "description": "D", "default_locale": "en",
    "update_url": "https://ext.example/update.xml",
    "permissions": ["tabs", "*://*/*", {"fileSystem": ["write"]}, "file:///*", 7],
    "host_permissions": ["https://a.example/*"],
    "chrome_settings_overrides": {
      "homepage": "https://home.example/", "startup_pages": ["https://start.example/", 3],
      "search_provider": {"name": "S", "keyword": "s", "search_url": "https://s.example/?q={searchTerms}"}},
    "chrome_url_overrides": {"newtab": "nt.html"}})");
  ASSERT_TRUE(manifest.readable);
  EXPECT_EQ(manifest.version, "1.2.3");
  EXPECT_EQ(manifest.description, "D");
  EXPECT_EQ(manifest.updateUrl, "https://ext.example/update.xml");
  EXPECT_EQ(manifest.permissions, std::vector<std::string>{"tabs"});
  EXPECT_EQ(manifest.hostPermissions, (std::vector<std::string>{"*://*/*", "file:///*", "https://a.example/*"}));
  EXPECT_EQ(manifest.homepage, "https://home.example/");
  EXPECT_EQ(manifest.startupPages, std::vector<std::string>{"https://start.example/"});
  EXPECT_EQ(manifest.searchName, "S");
  EXPECT_EQ(manifest.searchKeyword, "s");
  EXPECT_EQ(manifest.searchUrl, "https://s.example/?q={searchTerms}");
  EXPECT_EQ(manifest.newTab, "nt.html");
}

TEST(ExtensionText, MessagesAreLookedUpWithoutRegardToCase) {
  nq::TManifest manifest = nq::ParseManifest(R"j({"name": "__MSG_appName__ (__MSG_Missing__)",
    "description": "__MSG_a__+__MSG_a__", "chrome_settings_overrides": {"search_provider":
    {"name": "__MSG_engine__", "search_url": "https://__MSG_host__/?q={searchTerms}"},
    "startup_pages": ["__MSG_HOST__"]}, "chrome_url_overrides": {"newtab": "__MSG_bad name__"}})j");
  ASSERT_TRUE(manifest.NeedsMessages());
  ASSERT_TRUE(nq::LocalizeManifest(manifest, R"({"APPNAME": {"message": "Заметки"}, "a": {"message": "__MSG_a__"},
    "Engine": {"message": "Поиск"}, "host": {"message": "s.example"}, "bad name": {"message": "x"}})"));
  EXPECT_EQ(manifest.name, "Заметки (__MSG_Missing__)");
  EXPECT_EQ(manifest.description, "__MSG_a__+__MSG_a__") << "a message is not looked into again";
  EXPECT_EQ(manifest.searchName, "Поиск");
  EXPECT_EQ(manifest.searchUrl, "https://s.example/?q={searchTerms}");
  EXPECT_EQ(manifest.startupPages, std::vector<std::string>{"s.example"});
  EXPECT_EQ(manifest.newTab, "__MSG_bad name__");

  nq::TManifest unchanged = nq::ParseManifest(R"({"name": "__MSG_x__"})");
  EXPECT_FALSE(nq::LocalizeManifest(unchanged, "not json"));
  EXPECT_EQ(unchanged.name, "__MSG_x__");
}

// A name of many references to a large message stays within bounds.
TEST(ExtensionText, ALocalizedTextStaysSmall) {
  std::string name;
  for (int i = 0; i < 1000; ++i) name += "__MSG_m__";
  nq::TManifest manifest = nq::ParseManifest("{\"name\": \"" + name + "\"}");
  ASSERT_TRUE(nq::LocalizeManifest(manifest, "{\"m\": {\"message\": \"" + std::string(100000, 'x') + "\"}}"));
  EXPECT_LE(manifest.name.size(), 64u << 10);
  nq::TManifest small = nq::ParseManifest("{\"name\": \"" + name + "\"}");
  ASSERT_TRUE(nq::LocalizeManifest(small, R"({"m": {"message": "ab"}})"));
  std::string expected;
  for (int i = 0; i < 1000; ++i) expected += "ab";
  EXPECT_EQ(small.name, expected);
}

TEST(ExtensionText, APlainFolderNameStaysInItsFolder) {
  for (const char* name : {"Default", "Profile 1", "Профиль", "a.b", "..a", "en_US"}) EXPECT_TRUE(nq::IsPlainFolderName(name)) << name;
  for (const char* name : {"", ".", "..", "a\\b", "a/b", "C:", "C:x", "\\x", "a*", "a?", "x:stream"}) {
    EXPECT_FALSE(nq::IsPlainFolderName(name)) << name;
  }
}

TEST(ExtensionText, LocalStateNamesOnlyFoldersOfUserData) {
  const nq::TLocalState state = nq::ParseLocalState(R"({"profile": {"info_cache": {
    "Default": {"name": "Person 1"}, "Profile 3": {"name": 5}, "..": {"name": "up"}, "..\\x": {},
    "C:\\Users": {}, "a/b": {}, "\\\\server\\share": {}, "Profile 2": "not an object"}}})");
  ASSERT_TRUE(state.readable);
  std::vector<std::string> rows;
  for (const nq::TLocalStateProfile& p : state.profiles) rows.push_back(p.folder + "=" + p.name);
  EXPECT_EQ(rows, (std::vector<std::string>{"Default=Person 1", "Profile 2=", "Profile 3="}));
  EXPECT_FALSE(nq::ParseLocalState("{").readable);
  EXPECT_TRUE(nq::ParseLocalState("[]").profiles.empty());
}

TEST(ExtensionText, ProfilesIniPathsStayInTheFirefoxFolderOrOnADrive) {
  const std::vector<nq::TFirefoxProfileEntry> profiles = nq::ParseProfilesIni(
      "\xEF\xBB\xBF[Install1]\nDefault=Profiles/b.release\n"
      "[Profile0]\nName=a\nIsRelative=1\nPath=Profiles/a.default\nDefault=1\n"
      "; a comment\n[Profile1]\nName=b\nIsRelative=1\nPath=Profiles\\b.release\\\n"
      "[Profile2]\nName=elsewhere\nIsRelative=0\nPath=D:\\Firefox Profiles\\Мой\n"
      "[Profile3]\nName=up\nIsRelative=1\nPath=Profiles/../../x\n"
      "[Profile4]\nName=network\nIsRelative=0\nPath=\\\\server\\share\\p\n"
      "[Profile5]\nName=no path\nIsRelative=1\n"
      "[Profile6]\nName=rooted\nIsRelative=1\nPath=/x\n"
      "[Profile7]\nName=absolute, unsaid\nPath=E:/p\n"
      "[Profile8]\nName=a drive alone\nIsRelative=0\nPath=D:\\\n"
      "[General]\nPath=Profiles/general\n");
  std::vector<std::string> rows;
  for (const nq::TFirefoxProfileEntry& p : profiles) {
    rows.push_back(p.name + "|" + p.path + "|" + (p.isRelative ? "relative" : "absolute") + (p.isDefault ? "|default" : ""));
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"a|Profiles\\a.default|relative|default", "b|Profiles\\b.release|relative|default",
                                            "elsewhere|D:\\Firefox Profiles\\Мой|absolute", "absolute, unsaid|E:\\p|absolute"}));
}

TEST(ExtensionText, FirefoxListsExtensionsOnlyAndWhatTheyTookOver) {
  const nq::TFirefoxAddons addons = nq::ParseFirefoxAddons(R"({"addons": [
    {"id": "a@x", "type": "extension", "name": "Fallback", "version": "1", "location": "app-profile",
     "active": false, "userDisabled": true, "rootURI": "jar:file:///C:/a.xpi!/", "installDate": 1700000000000,
     "userPermissions": {"permissions": ["tabs"], "origins": ["<all_urls>"]}},
    {"id": "t@x", "type": "theme"}, {"type": "extension"}, 5, {"id": "d@x", "type": "dictionary"}]})");
  ASSERT_TRUE(addons.readable);
  ASSERT_EQ(addons.addons.size(), 1u);
  const nq::TFirefoxAddon& a = addons.addons[0];
  EXPECT_EQ(a.name, "Fallback");
  EXPECT_EQ(a.path, "jar:file:///C:/a.xpi!/");
  EXPECT_EQ(a.installDate, "1700000000000");
  EXPECT_FALSE(a.active);
  EXPECT_TRUE(a.userDisabled);
  EXPECT_EQ(a.permissions, std::vector<std::string>{"tabs"});
  EXPECT_EQ(a.origins, std::vector<std::string>{"<all_urls>"});
  // Firefox writes plain JSON: what Chromium's reader allows beyond it is not read here.
  EXPECT_FALSE(nq::ParseFirefoxAddons("// x\n{\"addons\": []}").readable);

  const std::vector<nq::TFirefoxOverride> overrides = nq::ParseFirefoxExtensionSettings(R"({
    "url_overrides": {"newTabURL": {"precedenceList": [{"id": "a@x", "value": "moz-extension://1/nt.html", "enabled": true},
                                                         {"id": "b@x", "value": "https://b.example/", "enabled": false}]}},
    "prefs": {"homepage_override": {"precedenceList": [{"id": "b@x", "value": "https://home.example/"}]}},
    "default_search": {"defaultSearch": {"precedenceList": "not a list"}}})");
  ASSERT_EQ(overrides.size(), 2u);
  EXPECT_EQ(overrides[0].what, nq::TFirefoxOverride::TWhat::Homepage);
  EXPECT_EQ(overrides[0].id, "b@x");
  EXPECT_EQ(overrides[1].what, nq::TFirefoxOverride::TWhat::NewTab);
  EXPECT_EQ(overrides[1].value, "moz-extension://1/nt.html");
}

}  // namespace
}  // namespace nqtest
