// The extension inventory on the real calls under Wine: a Chrome profile and a Firefox profile in a
// temp folder, with folder and extension names beyond the code page, read through kernel32's file
// calls and directory search, the folders named by the redirected registry; and the process's own
// elevation asked of the system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browsers/Extensions.h"
#include "services/Registry.h"
#include "tests/support/BrowserProfiles.h"
#include "tests/support/RealBrowserCalls.h"
#include "tests/support/ShellFixture.h"

namespace nqtest {
namespace {

TEST(ExtensionsOnTheRealCalls, ListsAChromeAndAFirefoxProfileThroughTheFileCalls) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
#ifdef _WIN32
  using profiles::Id;
  using profiles::json;
  RealBrowserCalls real;
  FileTree& tree = real.tree;
  {
    nq::TRegistry user;
    ASSERT_TRUE(user.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    user.WriteString("Local AppData", tree.Path("Локальные"));
    user.WriteString("AppData", tree.Path("Roaming"));
  }
  const std::string chrome = "Локальные\\Google\\Chrome\\User Data";
  tree.WriteFile(chrome + "\\Local State", profiles::LocalState({{"Default", "Личный"}}));
  tree.WriteFile(chrome + "\\Default\\Extensions\\" + profiles::InstalledPath(Id('a'), "1.0") + "\\manifest.json",
                 profiles::Manifest("__MSG_name__", "1.0", {{"default_locale", "ru"}}).dump());
  tree.WriteFile(chrome + "\\Default\\Extensions\\" + profiles::InstalledPath(Id('a'), "1.0") + "\\_locales\\ru\\messages.json",
                 json{{"name", {{"message", "Закладки"}}}}.dump());
  tree.WriteFile("Папка\\поиск\\manifest.json",
                 profiles::Manifest("Поиск", "2.0", {{"chrome_settings_overrides", {{"search_provider", {{"name", "Поиск"}, {"search_url", "https://s.example/?q={searchTerms}"}}}}}}).dump());
  tree.WriteFile(chrome + "\\Default\\Secure Preferences",
                 profiles::Prefs({{Id('a'), profiles::Setting(1, profiles::InstalledPath(Id('a'), "1.0"))},
                                  {Id('b'), profiles::Setting(4, tree.Path("Папка\\поиск"))}}));
  tree.WriteFile("Roaming\\Mozilla\\Firefox\\profiles.ini", "[Profile0]\r\nName=Мой\r\nIsRelative=1\r\nPath=Profiles/x.default\r\n");
  tree.WriteFile("Roaming\\Mozilla\\Firefox\\Profiles\\x.default\\extensions.json",
                 profiles::FirefoxAddons(json::array({profiles::FirefoxAddon("a@x", "Лиса", "3.0", "app-profile")})));

  // Whatever Wine says of this process's elevation, the redirected profile list names no other user.
  (void)real.management.ProcessIsElevated();
  std::vector<std::string> rows;
  for (const nq::TExtension& e : nq::ListExtensions().extensions) {
    rows.push_back(e.browser + " | " + e.profileName + " | " + e.name + " | " + e.path + " | " + nq::ChangesText(e) + " | " + e.problem);
  }
  const std::vector<std::string> expected = {
      "Chrome | Личный | Закладки | " + tree.Path(chrome) + "\\Default\\Extensions\\" + Id('a') + "\\1.0_0 |  | ",
      "Chrome | Личный | Поиск | " + tree.Path("Папка\\поиск") + " | search: Поиск <https://s.example/?q={searchTerms}> | ",
      "Firefox | Мой | Лиса |  |  | ",
  };
  EXPECT_EQ(rows, expected);
#endif
}

}  // namespace
}  // namespace nqtest
