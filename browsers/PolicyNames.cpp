// The browser policies a hijacker sets, and why each is a finding: one table, sorted by name, as
// every browser's policy list is. Chromium still obeys the names it gave some policies before
// 2020, and scripts written since still set them: both names are here.
#include <algorithm>
#include <iterator>

#include "browsers/BrowserKeys.h"

namespace nq {
namespace {

constexpr const char* kHomeWhy = "Forces the home page, the new tab page or the pages opened at start-up.";
constexpr const char* kSearchWhy = "Forces the search engine.";
constexpr const char* kProxyWhy = "Sends the browser's traffic through a proxy.";
constexpr const char* kForcedWhy = "Installs an extension the user cannot remove.";
constexpr const char* kAllowWhy = "Lets an extension past the browser's block list.";
constexpr const char* kSourcesWhy = "Lets extensions install from a site outside the browser's store.";
constexpr const char* kSettingsWhy = "Installs extensions the user cannot remove, or from a site outside the store.";
constexpr const char* kLockedWhy = "Keeps an extension from being removed.";

using enum TPolicyAt;

struct TPolicyName {
  std::string_view name;
  TPolicyAt at;
  const char* why;
  bool prefix = false;  // every name that begins with it
  bool judged = false;  // its text decides whether it is a finding
};

constexpr TPolicyName kPolicyNames[] = {
    {.name = "DefaultSearchProvider", .at = ChromiumList, .why = kSearchWhy, .prefix = true},
    {.name = "DefaultSearchProvider", .at = ChromiumValue, .why = kSearchWhy, .prefix = true},
    {.name = "ExtensionInstallAllowlist", .at = ChromiumList, .why = kAllowWhy},
    {.name = "ExtensionInstallForcelist", .at = ChromiumList, .why = kForcedWhy},
    {.name = "ExtensionInstallSources", .at = ChromiumList, .why = kSourcesWhy},
    {.name = "ExtensionInstallWhitelist", .at = ChromiumList, .why = kAllowWhy},  // the allow list before 2020
    {.name = "Extensions", .at = FirefoxFile, .why = kForcedWhy, .judged = true},  // its Install and Locked
    {.name = "Extensions\\Install", .at = FirefoxKey, .why = kForcedWhy},
    {.name = "Extensions\\Locked", .at = FirefoxKey, .why = kLockedWhy},
    {.name = "ExtensionSettings", .at = ChromiumValue, .why = kSettingsWhy, .judged = true},
    {.name = "ExtensionSettings", .at = FirefoxValue, .why = kSettingsWhy, .judged = true},
    {.name = "ExtensionSettings", .at = FirefoxFile, .why = kSettingsWhy, .judged = true},
    {.name = "Homepage", .at = FirefoxFile, .why = kHomeWhy},
    {.name = "Homepage", .at = FirefoxKey, .why = kHomeWhy},
    {.name = "HomepageIsNewTabPage", .at = ChromiumValue, .why = kHomeWhy},
    {.name = "HomepageLocation", .at = ChromiumValue, .why = kHomeWhy},
    {.name = "NewTabPage", .at = FirefoxFile, .why = kHomeWhy},
    {.name = "NewTabPage", .at = FirefoxValue, .why = kHomeWhy},
    {.name = "NewTabPageLocation", .at = ChromiumValue, .why = kHomeWhy},
    {.name = "Proxy", .at = FirefoxFile, .why = kProxyWhy},
    {.name = "Proxy", .at = FirefoxKey, .why = kProxyWhy},
    {.name = "ProxyMode", .at = ChromiumValue, .why = kProxyWhy},
    {.name = "ProxyPacUrl", .at = ChromiumValue, .why = kProxyWhy},
    {.name = "ProxyServer", .at = ChromiumValue, .why = kProxyWhy},
    {.name = "ProxySettings", .at = ChromiumValue, .why = kProxyWhy},
    {.name = "RestoreOnStartup", .at = ChromiumValue, .why = kHomeWhy},
    {.name = "RestoreOnStartupURLs", .at = ChromiumList, .why = kHomeWhy},
    {.name = "SearchEngines", .at = FirefoxFile, .why = kSearchWhy},
    {.name = "SearchEngines", .at = FirefoxKey, .why = kSearchWhy},
    {.name = "ShowHomeButton", .at = ChromiumValue, .why = kHomeWhy},
};

static_assert(std::is_sorted(std::begin(kPolicyNames), std::end(kPolicyNames),
                             [](const TPolicyName& a, const TPolicyName& b) {
                               return platform::LessNoCase(a.name, b.name);
                             }),
              "the policy names stay sorted");

bool Matches(const TPolicyName& policy, std::string_view name) {
  switch (policy.at) {
    case FirefoxFile: return name == policy.name;  // JSON names keep their case
    case FirefoxKey: return KeyWithin(name, policy.name);
    default: return policy.prefix ? StartsNoCase(name, policy.name) : EqualNoCase(name, policy.name);
  }
}

}  // namespace

const char* PolicyWhy(TPolicyAt at, std::string_view name, bool* judged) {
  for (const TPolicyName& policy : kPolicyNames) {
    if (policy.at != at || !Matches(policy, name)) continue;
    if (judged != nullptr) *judged = policy.judged;
    return policy.why;
  }
  if (judged != nullptr) *judged = false;
  return nullptr;
}

bool FirefoxKeyLeadsToFindings(std::string_view below) {
  return std::any_of(std::begin(kPolicyNames), std::end(kPolicyNames), [below](const TPolicyName& policy) {
    return policy.at == FirefoxKey && (KeyWithin(below, policy.name) || KeyWithin(policy.name, below));
  });
}

}  // namespace nq
