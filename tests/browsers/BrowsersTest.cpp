// Today's browsers on the substitutes: the hijacked profile's findings and verdicts, the one-click
// repair and what it leaves, a managed machine, hostile texts, and the dry run.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "browsers/Browsers.h"
#include "browsers/PolicyText.h"
#include "services/MainFunc.h"
#include "tests/support/BlastProfile.h"
#include "tests/support/HijackedBrowsers.h"
#include "tests/support/Registry.h"
#include "tests/support/ShellFixture.h"
#include "tests/support/Snapshot.h"

namespace nqtest {
namespace {

using nq::TFinding;
using nq::TFindingKind;
using nq::TFindings;
using nq::TStrings;
using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;

// A row as the list shows it, with its tick: "Edge | HKEY_... | Finding [x]".
std::vector<std::string> Rows(const TFindings& findings) {
  std::vector<std::string> rows;
  for (const TFinding& finding : findings) {
    const nq::TFindingColumns columns = nq::FindingColumns(finding);
    rows.push_back(columns.browser + " | " + columns.where + " | " + columns.finding + (finding.ticked ? " [x]" : " [ ]"));
  }
  return rows;
}

TFindings Ticked(const TFindings& findings) {
  TFindings ticked;
  std::copy_if(findings.begin(), findings.end(), std::back_inserter(ticked), [](const TFinding& f) { return f.ticked; });
  return ticked;
}

using BrowsersTest = HijackedBrowsersTest;

TEST_F(BrowsersTest, ListsEveryPatternOfTheProfileWithItsVerdict) {
  const std::string file = PoliciesPath();
  const std::vector<std::string> expected = {
      "Edge | HKEY_CURRENT_USER\\Software\\Policies\\Microsoft\\Edge\\ExtensionInstallForcelist | 1 = "
      "\"kfjdhsgelmnopqrstuvwxyzabcdefghi;https://edge.microsoft.com/extensionwebstorebase/v1/crx\" [x]",
      "Chrome | HKEY_CURRENT_USER\\Software\\Policies\\Google\\Chrome\\ExtensionInstallForcelist | 1 = "
      "\"abcdefghijklmnopabcdefghijklmnop;https://clients2.google.com/service/update2/crx\" [x]",
      "Chrome | HKEY_CURRENT_USER\\Software\\Policies\\Google\\Chrome\\ExtensionInstallForcelist | 2 = "
      "\"ponmlkjihgfedcbaponmlkjihgfedcba\" [x]",
      "Edge | HKEY_LOCAL_MACHINE\\Software\\Policies\\Microsoft\\Edge | HomepageLocation = \"http://searchy.example/home\" [x]",
      "Edge | HKEY_LOCAL_MACHINE\\Software\\Policies\\Microsoft\\Edge | RestoreOnStartup = dword:00000004 [x]",
      "Edge | HKEY_LOCAL_MACHINE\\Software\\Policies\\Microsoft\\Edge | DefaultSearchProviderEnabled = dword:00000001 [x]",
      "Edge | HKEY_LOCAL_MACHINE\\Software\\Policies\\Microsoft\\Edge | DefaultSearchProviderName = \"Searchy\" [x]",
      "Edge | HKEY_LOCAL_MACHINE\\Software\\Policies\\Microsoft\\Edge | DefaultSearchProviderSearchURL = "
      "\"http://searchy.example/?q={searchTerms}\" [x]",
      "Edge | HKEY_LOCAL_MACHINE\\Software\\Policies\\Microsoft\\Edge\\ExtensionInstallAllowlist | 1 = "
      "\"hgfedcbahgfedcbahgfedcbahgfedcba\" [x]",
      "Edge | HKEY_LOCAL_MACHINE\\Software\\Policies\\Microsoft\\Edge\\ExtensionInstallSources | 1 = "
      "\"https://ext.searchy.example/*\" [x]",
      "Edge | HKEY_LOCAL_MACHINE\\Software\\Policies\\Microsoft\\Edge\\RestoreOnStartupURLs | 1 = "
      "\"http://searchy.example/start\" [x]",
      "Edge | HKEY_LOCAL_MACHINE\\Software\\Policies\\Microsoft\\Edge\\Recommended | NewTabPageLocation = "
      "\"http://searchy.example/newtab\" [x]",
      "Chrome | HKEY_LOCAL_MACHINE\\Software\\Policies\\Google\\Chrome\\ExtensionInstallAllowlist | 1 = "
      "\"hgfedcbahgfedcbahgfedcbahgfedcba\" [x]",
      "Chrome | HKEY_LOCAL_MACHINE\\Software\\Policies\\Google\\Chrome\\ExtensionInstallSources | 1 = "
      "\"https://ext.searchy.example/*\" [x]",
      "Brave | HKEY_LOCAL_MACHINE\\Software\\Policies\\BraveSoftware\\Brave\\ExtensionInstallAllowlist | 1 = "
      "\"hgfedcbahgfedcbahgfedcbahgfedcba\" [x]",
      "Brave | HKEY_LOCAL_MACHINE\\Software\\Policies\\BraveSoftware\\Brave\\ExtensionInstallSources | 1 = "
      "\"https://ext.searchy.example/*\" [x]",
      "Firefox | HKEY_LOCAL_MACHINE\\Software\\Policies\\Mozilla\\Firefox\\Homepage | URL = \"http://searchy.example/home\" [x]",
      "Firefox | HKEY_LOCAL_MACHINE\\Software\\Policies\\Mozilla\\Firefox\\Homepage | Locked = dword:00000001 [x]",
      "Firefox | " + file + " | Homepage = {\"URL\":\"http://searchy.example/home\",\"Locked\":true,\"StartPage\":\"homepage\"} [x]",
      "Firefox | " + file + " | SearchEngines = {\"Add\":[{\"Name\":\"Searchy\",\"URLTemplate\":"
      "\"http://searchy.example/?q={searchTerms}\"}],\"Default\":\"Searchy\"} [x]",
      "Chrome | HKEY_LOCAL_MACHINE\\Software\\Google\\Chrome\\Extensions\\hgfedcbahgfedcbahgfedcbahgfedcba [32-bit] | "
      "Extension hgfedcbahgfedcbahgfedcbahgfedcba: https://ext.searchy.example/update.xml [x]",
      "Edge | HKEY_CURRENT_USER\\Software\\Microsoft\\Edge\\Extensions\\kfjdhsgelmnopqrstuvwxyzabcdefghi | "
      "Extension kfjdhsgelmnopqrstuvwxyzabcdefghi: https://edge.microsoft.com/extensionwebstorebase/v1/crx [ ]",
      "Windows | HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Enrollments\\FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF | "
      "Management enrollment with no server [x]",
  };
  EXPECT_EQ(Rows(nq::FindBrowserHijacks()), expected);
}

TEST_F(BrowsersTest, DetailLineGivesTheWholeKeyNameDataAndWhy) {
  const TFindings findings = nq::FindBrowserHijacks();
  const auto newTab = std::find_if(findings.begin(), findings.end(),
                                   [](const TFinding& f) { return f.name == "NewTabPageLocation"; });
  ASSERT_NE(newTab, findings.end());
  EXPECT_EQ(nq::FindingDetail(*newTab),
            "HKEY_LOCAL_MACHINE\\Software\\Policies\\Microsoft\\Edge\\Recommended\nNewTabPageLocation = "
            "\"http://searchy.example/newtab\"\nForces the home page, the new tab page or the pages opened at start-up.");
}

TEST_F(BrowsersTest, OneClickRepairLeavesNoKeyOfFindingsAndKeepsEverythingElse) {
  const auto before = SnapRegistry(reg_);
  const nq::TOutcome outcome = nq::RepairFindings(Ticked(nq::FindBrowserHijacks()));
  EXPECT_TRUE(outcome.done);
  std::vector<std::string> diff;
  for (const Change& change : Diff(before, SnapRegistry(reg_))) {
    if (change.kind == Change::KeyRemoved) diff.push_back(change.Describe());
  }
  // Each key that held only findings went, up to the browser's own policy key.
  const std::vector<std::string> removed = {
      "key removed: HKCU\\Software\\Policies\\Google\\Chrome",
      "key removed: HKCU\\Software\\Policies\\Google\\Chrome\\ExtensionInstallForcelist",
      "key removed: HKCU\\Software\\Policies\\Microsoft\\Edge",
      "key removed: HKCU\\Software\\Policies\\Microsoft\\Edge\\ExtensionInstallForcelist",
      "key removed: HKLM\\Software\\Microsoft\\Enrollments\\FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF",
      "key removed: HKLM\\Software\\Policies\\BraveSoftware\\Brave",
      "key removed: HKLM\\Software\\Policies\\BraveSoftware\\Brave\\ExtensionInstallAllowlist",
      "key removed: HKLM\\Software\\Policies\\BraveSoftware\\Brave\\ExtensionInstallSources",
      "key removed: HKLM\\Software\\Policies\\Google\\Chrome\\ExtensionInstallAllowlist",
      "key removed: HKLM\\Software\\Policies\\Google\\Chrome\\ExtensionInstallSources",
      "key removed: HKLM\\Software\\Policies\\Microsoft\\Edge",
      "key removed: HKLM\\Software\\Policies\\Microsoft\\Edge\\ExtensionInstallAllowlist",
      "key removed: HKLM\\Software\\Policies\\Microsoft\\Edge\\ExtensionInstallSources",
      "key removed: HKLM\\Software\\Policies\\Microsoft\\Edge\\Recommended",
      "key removed: HKLM\\Software\\Policies\\Microsoft\\Edge\\RestoreOnStartupURLs",
      "key removed: HKLM\\Software\\Policies\\Mozilla\\Firefox",
      "key removed: HKLM\\Software\\Policies\\Mozilla\\Firefox\\Homepage",
      "key removed: HKLM\\Software\\Wow6432Node\\Google\\Chrome\\Extensions\\hgfedcbahgfedcbahgfedcbahgfedcba",
  };
  EXPECT_EQ(diff, removed);
  // Chrome's other policy keeps its key; the placeholder enrollment, the OMADM account, Office's
  // policies and the store extension stay.
  TStrings values;
  EXPECT_TRUE(nq::ListValueNames(kHkeyLocalMachine, "\\Software\\Policies\\Google\\Chrome", values));
  EXPECT_EQ(values, TStrings{"MetricsReportingEnabled"});
  // Nothing of the policies file but the unrelated policy is left, and the old file is in the Recycle Bin.
  EXPECT_EQ(Policies(), "{\n  \"policies\": {\n    \"DisableTelemetry\": true\n  }\n}\n");
  const auto recycled = SnapFiles(tree_.Scratch("recycled"));
  EXPECT_TRUE(std::any_of(recycled.begin(), recycled.end(),
                          [](const auto& file) { return file.first.find("policies.json") != std::string::npos; }));
  // And nothing is left to find but the store extension the user did not tick.
  EXPECT_EQ(Ticked(nq::FindBrowserHijacks()), TFindings{});
}

TEST_F(BrowsersTest, DryRunChangesNothingAndReportsWhatTheRunThenDoes) {
  const TFindings ticked = Ticked(nq::FindBrowserHijacks());
  const auto before = SnapRegistry(reg_);
  const std::string policies = Policies();
  const nq::TOutcome dry = nq::RepairFindings(ticked, true);
  EXPECT_TRUE(Diff(before, SnapRegistry(reg_)).empty());
  EXPECT_EQ(Policies(), policies);
  EXPECT_EQ(files_.writes + files_.moves, 0);
  EXPECT_TRUE(SnapFiles(tree_.Scratch("recycled")).empty());
  const nq::TOutcome real = nq::RepairFindings(ticked);
  EXPECT_EQ(dry.changes, real.changes);
  EXPECT_FALSE(real.changes.empty());
}

// A management client certificate's SHA-1 thumbprint.
constexpr const char* kThumbprint = "0A1B2C3D4E5F60718293A4B5C6D7E8F901234567";

// The organization the browsers would see, one way or another.
struct ManagedCase {
  const char* name;
  void (*make)(platform::SimManagement&, platform::SimRegistry&);
};

const ManagedCase kManaged[] = {
    {"Domain", [](platform::SimManagement& m, platform::SimRegistry&) { m.joinStatus = platform::NetSetupJoinStatus::Domain; }},
    {"Entra",
     [](platform::SimManagement& m, platform::SimRegistry&) {
       m.haveAadCall = true;
       m.aadJoin = platform::DsregJoinType::Device;
     }},
    {"EnrollmentWithItsCertificate",
     [](platform::SimManagement& m, platform::SimRegistry& reg) {
       LoadReg(reg, "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Enrollments\\6D8B3C3E-0000-4A6B-9C2D-1234567890AB]\n"
                    "\"EnrollmentState\"=dword:00000001\n\"UPN\"=\"someone@example.org\"\n"
                    "\"SslClientCertReference\"=\"MY;System;" + std::string(kThumbprint) + "\"\n");
       m.AddCertificate(platform::CertStoreLocation::LocalMachine, "my", kThumbprint);
     }},
    {"UserEnrollmentWithItsCertificate",
     [](platform::SimManagement& m, platform::SimRegistry& reg) {
       LoadReg(reg, "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Enrollments\\{6D8B3C3E-0000-4A6B-9C2D-1234567890AB}]\n"
                    "\"EnrollmentState\"=dword:00000001\n"
                    "\"SslClientCertReference\"=\"MY;User;" + std::string(kThumbprint) + "\"\n");
       m.AddCertificate(platform::CertStoreLocation::CurrentUser, "MY", kThumbprint);
     }},
};

TEST_F(BrowsersTest, OnAManagedMachineThePoliciesAreTheOrganizationsAndTheRepairLeavesThem) {
  for (const ManagedCase& managed : kManaged) {
    SCOPED_TRACE(managed.name);
    management_ = platform::SimManagement();
    managed.make(management_, reg_);
    const auto before = SnapRegistry(reg_);
    const std::string policies = Policies();
    const TFindings findings = nq::FindBrowserHijacks();
    EXPECT_TRUE(nq::MachineIsManaged());
    for (const TFinding& finding : findings) {
      if (finding.kind == TFindingKind::ExternalExtension) continue;
      EXPECT_FALSE(finding.ticked) << finding.where << " " << finding.name;
      EXPECT_EQ(finding.why.rfind("Set by your organization.", 0), 0u) << finding.why;
    }
    TFindings ticked = Ticked(findings);
    std::erase_if(ticked, [](const TFinding& f) { return f.kind == TFindingKind::ExternalExtension; });
    EXPECT_TRUE(nq::RepairFindings(ticked).changes.empty());
    EXPECT_TRUE(Diff(before, SnapRegistry(reg_)).empty());
    EXPECT_EQ(Policies(), policies);
  }
}

TEST_F(BrowsersTest, AWorkplaceJoinOrAnEnrollmentWithoutItsCertificateManagesNothing) {
  management_.haveAadCall = true;  // a system that has the call, and no join
  EXPECT_FALSE(nq::MachineIsManaged());
  // A work account added to a home PC is a workplace join: the organization manages no device.
  management_.aadJoin = platform::DsregJoinType::Workplace;
  EXPECT_FALSE(nq::MachineIsManaged());
  EXPECT_FALSE(Ticked(nq::FindBrowserHijacks()).empty()) << "the hijacker's policies are ticked";
  management_.aadJoin = platform::DsregJoinType::Unknown;

  // Enrollments as a hijacker types them, each a ticked finding that manages nothing; and one that
  // is not in effect (state 2), which is no finding at all.
  management_.AddCertificate(platform::CertStoreLocation::LocalMachine, "MY", kThumbprint);
  const std::string cert = std::string("\"SslClientCertReference\"=\"MY;System;") + kThumbprint + "\"\n";
  struct Case {
    const char* name;
    std::string id, values;
    bool finding;
  };
  const Case cases[] = {
      {"server and user typed in", "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF",
       "\"UPN\"=\"x\"\n\"DiscoveryServiceFullURL\"=\"https://enroll.example.org/discovery.svc\"\n", true},
      {"a random id, no certificate", "6D8B3C3E-0000-4A6B-9C2D-1234567890AB", "\"UPN\"=\"someone@example.org\"\n", true},
      {"a certificate that is not there", "6D8B3C3E-0000-4A6B-9C2D-1234567890AB",
       "\"SslClientCertReference\"=\"MY;System;FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF\"\n", true},
      {"the machine's certificate named in the user's store", "6D8B3C3E-0000-4A6B-9C2D-1234567890AB",
       std::string("\"SslClientCertReference\"=\"MY;User;") + kThumbprint + "\"\n", true},
      {"another store's name", "6D8B3C3E-0000-4A6B-9C2D-1234567890AB",
       std::string("\"SslClientCertReference\"=\"Root;System;") + kThumbprint + "\"\n", true},
      {"a reference of the wrong type", "6D8B3C3E-0000-4A6B-9C2D-1234567890AB",
       "\"SslClientCertReference\"=dword:00000001\n", true},
      {"a real certificate under the fake id", "{ffffffff-ffff-ffff-ffff-ffffffffffff}", cert, true},
      {"not in effect", "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF", "\"EnrollmentState\"=dword:00000002\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Enrollments\\" + c.id;
    LoadReg(reg_, "[-HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Enrollments]\n[" + key + "]\n" + (c.finding ? "\"EnrollmentState\"=dword:00000001\n" : "") + c.values);
    EXPECT_FALSE(nq::MachineIsManaged());
    TFindings enrollments = nq::FindBrowserHijacks();
    std::erase_if(enrollments, [](const TFinding& f) { return f.kind != TFindingKind::Enrollment; });
    ASSERT_EQ(enrollments.size(), c.finding ? 1u : 0u);
    if (c.finding) {
      EXPECT_TRUE(enrollments[0].ticked);
      EXPECT_EQ("HKEY_LOCAL_MACHINE\\" + enrollments[0].where, key);
    }
  }
}

// Texts a hijacker (or a broken installer) may leave as policies.json: each is one clear
// "unreadable" finding that no repair rewrites, or nothing.
TEST_F(BrowsersTest, AHostilePoliciesFileIsAFindingNeverRewritten) {
  struct Case {
    const char* name;
    std::string text;
    bool unreadable;
  };
  const std::vector<Case> cases = {
      {"not JSON", "policies: { Homepage = evil }", true},
      {"empty", "", true},
      {"cut short", "{\"policies\": {\"Homepage\": {\"URL\": \"http://x", true},
      {"not UTF-8", "{\"policies\": {\"Homepage\": {\"URL\": \"http://\xff\xfe\"}}}", true},
      {"deeply nested", "{\"policies\": {\"Homepage\": " + std::string(100000, '[') + std::string(100000, ']') + "}}", true},
      {"huge", "{\"policies\": {\"DisableTelemetry\": true, \"x\": \"" + std::string(nq::kMaxPolicyTextBytes, 'a') + "\"}}",
       true},
      {"an array", "[1, 2, 3]", false},
      {"policies not an object", "{\"policies\": \"Homepage\"}", false},
      {"only other policies", "{\"policies\": {\"DisableTelemetry\": true}}", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tree_.WriteFile(kPolicies, c.text);
    TFindings files;
    for (const TFinding& finding : nq::FindBrowserHijacks()) {
      if (finding.where == PoliciesPath()) files.push_back(finding);
    }
    if (c.unreadable) {
      ASSERT_EQ(files.size(), 1u);
      EXPECT_EQ(files[0].kind, TFindingKind::UnreadableFile);
      EXPECT_FALSE(files[0].ticked);
      EXPECT_EQ(nq::FindingColumns(files[0]).finding, "Unreadable policies file");
      // Ticked by the user, it is still refused.
      files[0].ticked = true;
      const nq::TOutcome outcome = nq::RepairFindings(files);
      ASSERT_EQ(outcome.changes.size(), 1u);
      EXPECT_TRUE(outcome.changes[0].refused);
    } else {
      EXPECT_TRUE(files.empty());
    }
    EXPECT_EQ(Policies(), c.text);
  }
}

// Each hijacking policy of a policies.json is a finding of its own, and the repair takes those and
// no more: of Extensions only its Install and Locked lists, the rest kept. The journal has one
// line a policy, with the JSON it held.
TEST_F(BrowsersTest, APoliciesFileLosesItsHijackingPoliciesAndKeepsTheRest) {
  struct Case {
    const char* text;
    std::vector<std::pair<std::string, std::string>> found;  // name, JSON
    const char* left;
  };
  const Case cases[] = {
      {R"({"policies": {"Extensions": {"Install": ["https://x.example/a.xpi"], "Uninstall": ["b@example.org"]},
                        "DisableTelemetry": true}})",
       {{"Extensions", R"({"Install":["https://x.example/a.xpi"],"Uninstall":["b@example.org"]})"}},
       "{\n  \"policies\": {\n    \"Extensions\": {\n      \"Uninstall\": [\n        \"b@example.org\"\n      ]\n    },\n"
       "    \"DisableTelemetry\": true\n  }\n}\n"},
      {R"({"policies": {"Extensions": {"Locked": ["a@x.example"]}}})",
       {{"Extensions", R"({"Locked":["a@x.example"]})"}},
       "{\n  \"policies\": {}\n}\n"},
      {R"({"policies": {"Proxy": {"Mode": "manual", "HTTPProxy": "proxy.x.example:8080"}, "DisableTelemetry": true,
                        "SearchEngines": {"Default": "X"}}})",
       {{"Proxy", R"({"Mode":"manual","HTTPProxy":"proxy.x.example:8080"})"}, {"SearchEngines", R"({"Default":"X"})"}},
       "{\n  \"policies\": {\n    \"DisableTelemetry\": true\n  }\n}\n"},
      {R"({"policies": {"Extensions": {"Uninstall": ["b@example.org"]}}})", {}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    WritePolicies(c.text);
    TFindings file;
    std::vector<std::pair<std::string, std::string>> found;
    for (const TFinding& finding : nq::FindBrowserHijacks()) {
      if (finding.where != PoliciesPath()) continue;
      EXPECT_EQ(finding.kind, TFindingKind::PolicyFile);
      EXPECT_TRUE(finding.ticked);
      file.push_back(finding);
      found.emplace_back(finding.name, finding.data);
    }
    EXPECT_EQ(found, c.found);
    const nq::TOutcome outcome = nq::RepairFindings(file);
    EXPECT_TRUE(outcome.done);
    std::vector<std::pair<std::string, std::string>> journal;
    for (const nq::TChange& change : outcome.changes) {
      if (change.kind != nq::TChange::TKind::File || change.path != PoliciesPath() || change.name.empty()) continue;
      EXPECT_EQ(change.after, nq::kNone) << change.name;
      EXPECT_FALSE(change.refused) << change.name;
      journal.emplace_back(change.name, change.before);
    }
    EXPECT_EQ(journal, c.found);
    EXPECT_EQ(Policies(), c.left != nullptr ? std::string(c.left) : std::string(c.text));
  }
}

TEST_F(BrowsersTest, ExtensionSettingsIsAFindingWhenItForcesOrIsNoJson) {
  struct Case {
    const char* text;
    nq::TExtensionSettings scan;
  };
  const Case cases[] = {
      {R"({"abc": {"installation_mode": "force_installed", "update_url": "https://clients2.google.com/service/update2/crx"}})",
       nq::TExtensionSettings::Forces},
      {R"({"abc": {"installation_mode": "normal_installed"}})", nq::TExtensionSettings::Forces},
      {R"({"abc": {"installation_mode": "allowed", "update_url": "https://ext.searchy.example/u.xml"}})",
       nq::TExtensionSettings::Forces},
      {R"({"https://ext.searchy.example/u.xml": {"installation_mode": "allowed"}})", nq::TExtensionSettings::Forces},
      {R"({"*": {"installation_mode": "blocked"}, "abc": {"installation_mode": "allowed"}})",
       nq::TExtensionSettings::Harmless},
      {R"({"abc": "force_installed"})", nq::TExtensionSettings::Harmless},
      {"{not json", nq::TExtensionSettings::Invalid},
      {"[]", nq::TExtensionSettings::Invalid},
      {"", nq::TExtensionSettings::Invalid},
  };
  for (const Case& c : cases) EXPECT_EQ(nq::ScanExtensionSettings(c.text), c.scan) << c.text;

  // In the registry: what is not text at all reads as no JSON, and goes like the rest.
  ProfileGenerator profile(reg_, 1);
  profile.Text(kHkeyCurrentUser, "Software\\Policies\\BraveSoftware\\Brave", "ExtensionSettings", "{not json");
  profile.Set(kHkeyCurrentUser, "Software\\Policies\\Mozilla\\Firefox", "ExtensionSettings", platform::kRegDword,
              {1, 0, 0, 0});
  profile.Text(kHkeyCurrentUser, "Software\\Policies\\Google\\Chrome", "ExtensionSettings",
               R"({"*": {"installation_mode": "blocked"}})");
  // Policy templates keep a long JSON policy as REG_MULTI_SZ, a line a string: judged by what the
  // joined lines say. Blocking every extension is kept; forcing one is a finding.
  const auto lines = [](const std::vector<std::string>& strings) {
    std::vector<std::uint8_t> data;
    for (const std::string& line : strings) {
      data.insert(data.end(), line.begin(), line.end());
      data.push_back(0);
    }
    data.push_back(0);
    return data;
  };
  profile.Set(kHkeyLocalMachine, "Software\\Policies\\Mozilla\\Firefox", "ExtensionSettings", platform::kRegMultiSz,
              lines({"{", R"(  "*": {"installation_mode": "blocked",)", R"(         "blocked_install_message": "Ask IT"})", "}"}));
  profile.Set(kHkeyLocalMachine, "Software\\Policies\\Microsoft\\Edge", "ExtensionSettings", platform::kRegMultiSz,
              lines({R"({"abcdefghijklmnopabcdefghijklmnop": {)", R"(  "installation_mode": "force_installed"}})"}));
  std::vector<std::string> settings;
  for (const TFinding& finding : nq::FindBrowserHijacks()) {
    if (finding.name == "ExtensionSettings" && finding.kind == TFindingKind::PolicyValue) {
      settings.push_back(finding.browser + ": " + finding.why);
    }
  }
  const std::string invalid = "Not valid JSON: the browser ignores it, yet still says it is managed by an organization.";
  const std::string forces = "Installs extensions the user cannot remove, or from a site outside the store.";
  EXPECT_EQ(settings, (std::vector<std::string>{"Brave: " + invalid, "Firefox: " + invalid, "Edge: " + forces}));
}

TEST_F(BrowsersTest, ForcelistValuesOfEveryKindAreFindingsAndGo) {
  const std::string key = "Software\\Policies\\Google\\Chrome\\ExtensionInstallForcelist";
  ProfileGenerator profile(reg_, 1);
  const std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> kinds = {
      {platform::kRegNone, {}},
      {platform::kRegSz, {'a', 'b'}},  // no closing NUL
      {platform::kRegExpandSz, {'%', 'x', '%', 0}},
      {platform::kRegBinary, {0xFF, 0x00, 0xFE}},
      {platform::kRegDword, {1, 2, 3}},  // too short for its kind
      {platform::kRegMultiSz, {'a', 0, 'b', 0, 0}},
      {11, {1, 2, 3, 4, 5, 6, 7, 8}},  // REG_QWORD
      {0x12345678, {0x80}},
  };
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    profile.Set(kHkeyCurrentUser, key, "1" + std::to_string(i), kinds[i].first, kinds[i].second);
  }
  TFindings forced;
  for (const TFinding& finding : nq::FindBrowserHijacks()) {
    if (finding.root == kHkeyCurrentUser && finding.where == key) forced.push_back(finding);
  }
  EXPECT_EQ(forced.size(), 2 + kinds.size());
  EXPECT_TRUE(nq::RepairFindings(forced).done);
  TStrings left;
  EXPECT_FALSE(nq::ListValueNames(kHkeyCurrentUser, "\\Software\\Policies\\Google\\Chrome", left));
}

// The hijacker's patterns in every place they hide and, beside each, what looks like it but must
// stay. What the registry and the policies file hold afterwards is worked out from this list alone,
// not from what the repair says it did.
enum class Fate { Stays, ValueGoes, KeyGoes };
struct Plant {
  platform::RegKey root;
  const char* key;
  const char* name;
  const char* data;
  Fate fate;
};
constexpr platform::RegKey kU = kHkeyCurrentUser;
constexpr platform::RegKey kM = kHkeyLocalMachine;
constexpr const char* kEdgePolicies = "Software\\Policies\\Microsoft\\Edge";
const Plant kPlants[] = {
    // Edge on the machine: policies that go, beside a policy of its own, names one letter off or
    // with a letter from another script, a list's sibling key, a block list and a product whose
    // key begins with the browser's name.
    {kM, kEdgePolicies, "HomepageLocation", "http://searchy.example/", Fate::ValueGoes},
    {kM, kEdgePolicies, "ProxyServer", "proxy.searchy.example:8080", Fate::ValueGoes},
    {kM, kEdgePolicies, "PasswordManagerEnabled", "0", Fate::Stays},
    {kM, kEdgePolicies, "HomepageLocatio", "http://ok.example/", Fate::Stays},
    {kM, kEdgePolicies, "HomepageLocаtion", "http://ok.example/", Fate::Stays},  // a Cyrillic "а"
    {kM, kEdgePolicies, "DefaultSearchProvidr", "ok", Fate::Stays},
    {kM, kEdgePolicies, "ProxyModes", "direct", Fate::Stays},
    {kM, "Software\\Policies\\Microsoft\\Edge\\Recommended", "RestoreOnStartup", "4", Fate::ValueGoes},
    {kM, "Software\\Policies\\Microsoft\\Edge\\RestoreOnStartupURLs", "1", "http://searchy.example/", Fate::ValueGoes},
    {kM, "Software\\Policies\\Microsoft\\Edge\\RestoreOnStartupURLs2", "1", "http://ok.example/", Fate::Stays},
    {kM, "Software\\Policies\\Microsoft\\Edge\\URLBlocklist", "1", "http://searchy.example/", Fate::Stays},
    {kM, "Software\\Policies\\Microsoft\\EdgeUpdate", "HomepageLocation", "http://ok.example/", Fate::Stays},
    // Chrome for the user, the names in other cases than Chromium's; its ExtensionSettings blocks only.
    {kU, "Software\\Policies\\Google\\Chrome", "homepagelocation", "http://searchy.example/", Fate::ValueGoes},
    {kU, "Software\\Policies\\Google\\Chrome", "PROXYMODE", "fixed_servers", Fate::ValueGoes},
    {kU, "Software\\Policies\\Google\\Chrome", "defaultsearchproviderenabled", "1", Fate::ValueGoes},
    {kU, "Software\\Policies\\Google\\Chrome", "SyncDisabled", "1", Fate::Stays},
    {kU, "Software\\Policies\\Google\\Chrome", "ExtensionSettings", R"({"*": {"installation_mode": "blocked"}})",
     Fate::Stays},
    {kU, "Software\\Policies\\Google\\Chrome\\extensioninstallforcelist", "1", "abcdefghijklmnopabcdefghijklmnop",
     Fate::ValueGoes},
    {kU, "Software\\Policies\\Google\\Chrome\\ExtensionInstallForcelis", "1", "abcdefghijklmnopabcdefghijklmnop",
     Fate::Stays},
    // Firefox's names under Chrome's key, and Chromium's under Google Update's: no policies of theirs.
    {kU, "Software\\Policies\\Google\\Chrome\\Homepage", "URL", "http://ok.example/", Fate::Stays},
    {kU, "Software\\Policies\\Google\\Update", "HomepageLocation", "http://ok.example/", Fate::Stays},
    // Chrome on the machine: a list that goes beside a policy of its own, which keeps the key.
    {kM, "Software\\Policies\\Google\\Chrome", "MetricsReportingEnabled", "0", Fate::Stays},
    {kM, "Software\\Policies\\Google\\Chrome\\ExtensionInstallSources", "1", "https://ext.searchy.example/*",
     Fate::ValueGoes},
    // Brave's recommended search, with nothing else beside it.
    {kM, "Software\\Policies\\BraveSoftware\\Brave\\Recommended", "DefaultSearchProviderSearchURL",
     "http://searchy.example/?q={searchTerms}", Fate::ValueGoes},
    // Firefox on the machine: its home page, new tab page and forced or locked extensions go; the
    // rest of its own policies, Chromium's names, a sibling of its Homepage key and the
    // extensions it uninstalls stay, and so does Thunderbird's home page.
    {kM, "Software\\Policies\\Mozilla\\Firefox", "NewTabPage", "0", Fate::ValueGoes},
    {kM, "Software\\Policies\\Mozilla\\Firefox", "DisableTelemetry", "1", Fate::Stays},
    {kM, "Software\\Policies\\Mozilla\\Firefox", "HomepageLocation", "http://ok.example/", Fate::Stays},
    {kM, "Software\\Policies\\Mozilla\\Firefox\\Homepage", "URL", "http://searchy.example/", Fate::ValueGoes},
    {kM, "Software\\Policies\\Mozilla\\Firefox\\Homepage", "StartPage", "homepage-locked", Fate::ValueGoes},
    {kM, "Software\\Policies\\Mozilla\\Firefox\\Homepage2", "URL", "http://ok.example/", Fate::Stays},
    {kM, "Software\\Policies\\Mozilla\\Firefox\\Extensions\\Install", "1", "https://ext.searchy.example/x.xpi",
     Fate::ValueGoes},
    {kM, "Software\\Policies\\Mozilla\\Firefox\\Extensions\\Locked", "1", "x@searchy.example", Fate::ValueGoes},
    {kM, "Software\\Policies\\Mozilla\\Firefox\\Extensions\\Uninstall", "1", "old@example.org", Fate::Stays},
    {kM, "Software\\Policies\\Mozilla\\Thunderbird\\Homepage", "URL", "http://ok.example/", Fate::Stays},
    // Firefox for the user: a proxy under a key spelt in small letters.
    {kU, "Software\\Policies\\Mozilla\\Firefox\\proxy", "Mode", "manual", Fate::ValueGoes},
    // External extensions: from a site outside the stores and from a file go, each key whole; one
    // from a store (its address in capitals), an {id} key that installs nothing, the Extensions
    // key's own value and a sibling key's stay.
    {kM, "Software\\Wow6432Node\\Google\\Chrome\\Extensions\\hgfedcbahgfedcbahgfedcbahgfedcba", "update_url",
     "https://ext.searchy.example/update.xml", Fate::KeyGoes},
    {kM, "Software\\Google\\Chrome\\Extensions\\ponmlkjihgfedcbaponmlkjihgfedcba", "path",
     "C:\\Users\\Public\\searchy.crx", Fate::KeyGoes},
    {kM, "Software\\Google\\Chrome\\Extensions\\ponmlkjihgfedcbaponmlkjihgfedcba", "version", "1.0", Fate::KeyGoes},
    {kU, "Software\\Microsoft\\Edge\\Extensions\\kfjdhsgelmnopqrstuvwxyzabcdefghi", "update_url",
     "HTTPS://EDGE.MICROSOFT.COM/extensionwebstorebase/v1/crx", Fate::Stays},
    {kU, "Software\\BraveSoftware\\Brave\\Extensions\\abcdefghijklmnopabcdefghijklmnop", "version", "1.0", Fate::Stays},
    {kU, "Software\\BraveSoftware\\Brave\\Extensions", "Note", "kept", Fate::Stays},
    {kM, "Software\\Google\\Chrome\\ExtensionsBackup\\abcdefghijklmnopabcdefghijklmnop", "update_url",
     "https://ext.searchy.example/update.xml", Fate::Stays},
};

TEST_F(BrowsersTest, BlastRadiusTheRepairChangesExactlyItsFindings) {
  reg_.Clear();  // the plants below are all the browsers hold
  ProfileGenerator profile(reg_, 7);
  profile.Text(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
               tree_.Path("Program Files"));
  profile.Noise(300);
  for (const char* product : {"Microsoft\\Office\\16.0\\Outlook", "Microsoft\\Windows\\WindowsUpdate\\AU",
                              "Microsoft\\Windows Defender\\Real-Time Protection"}) {
    for (int i = 0; i < 20; ++i) {
      profile.RandomValue(kHkeyLocalMachine, std::string("Software\\Policies\\") + product, "Setting" + std::to_string(i));
    }
  }
  for (const Plant& plant : kPlants) profile.Text(plant.root, plant.key, plant.name, plant.data);
  WritePolicies(R"({"policies": {
    "Homepage": {"URL": "http://searchy.example/home", "Locked": true},
    "DisableTelemetry": true,
    "Extensions": {"Install": ["https://ext.searchy.example/x.xpi"], "Locked": ["x@searchy.example"],
                   "Uninstall": ["old@example.org"]},
    "ExtensionSettings": {"*": {"installation_mode": "blocked"}}}})");

  // What must be left: the registry without the values and keys that go, and without each key
  // those leave empty, up to the browser's own policy key (Software\Policies\Vendor\Browser).
  const auto before = SnapRegistry(reg_);
  auto expected = before;
  const auto full = [](const Plant& plant) {
    return FoldName(std::string(plant.root == kHkeyCurrentUser ? "HKCU\\" : "HKLM\\") + plant.key);
  };
  const auto holdsAnything = [&expected](const std::string& key) {
    const auto it = expected.find(key);
    const auto below = expected.lower_bound(key + "\\");
    return (it != expected.end() && !it->second.values.empty()) ||
           (below != expected.end() && below->first.rfind(key + "\\", 0) == 0);
  };
  for (const Plant& plant : kPlants) {
    if (plant.fate == Fate::ValueGoes) expected[full(plant)].values.erase(FoldName(plant.name));
    if (plant.fate == Fate::KeyGoes) {
      std::erase_if(expected, [&](const auto& key) { return key.first == full(plant) || key.first.rfind(full(plant) + "\\", 0) == 0; });
    }
  }
  for (const Plant& plant : kPlants) {
    if (plant.fate != Fate::ValueGoes) continue;
    std::string key = full(plant);
    while (std::count(key.begin(), key.end(), '\\') >= 4 && !holdsAnything(key)) {
      expected.erase(key);
      key.resize(key.rfind('\\'));
    }
  }

  EXPECT_TRUE(nq::RepairFindings(Ticked(nq::FindBrowserHijacks())).done);
  std::vector<std::string> wrong;
  for (const Change& change : Diff(expected, SnapRegistry(reg_))) wrong.push_back(change.Describe());
  EXPECT_EQ(wrong, std::vector<std::string>{}) << "differences from what must be left";
  EXPECT_EQ(Policies(), R"({
  "policies": {
    "DisableTelemetry": true,
    "Extensions": {
      "Uninstall": [
        "old@example.org"
      ]
    },
    "ExtensionSettings": {
      "*": {
        "installation_mode": "blocked"
      }
    }
  }
}
)");
}

// Chromium still obeys the names it renamed in 2020, and scripts written since still set them.
TEST_F(BrowsersTest, ARenamedPolicyIsFoundAndGoesUnderItsOldNameToo) {
  const std::string key = "Software\\Policies\\Google\\Chrome\\ExtensionInstallWhitelist";
  ProfileGenerator profile(reg_, 1);
  profile.Text(kHkeyCurrentUser, key, "1", "abcdefghijklmnopabcdefghijklmnop");
  TFindings old;
  for (const TFinding& finding : nq::FindBrowserHijacks()) {
    if (finding.where == key) old.push_back(finding);
  }
  ASSERT_EQ(old.size(), 1u);
  EXPECT_TRUE(old[0].ticked);
  EXPECT_EQ(old[0].why, "Lets an extension past the browser's block list.");
  EXPECT_TRUE(nq::RepairFindings(old).done);
  TStrings left;
  EXPECT_FALSE(nq::ListValueNames(kHkeyCurrentUser, "\\" + key, left));
}

// Whichever step of the replacement fails, a whole policies.json stays where it was, the old one,
// and nothing of the attempt is left beside it.
TEST_F(BrowsersTest, APoliciesFileWhoseReplacementFailsAtAnyStepStaysWhole) {
  const std::string policies = Policies();
  const std::function<void()> failures[] = {
      [this] { files_.FailNextWrite(); },
      [this] { files_.FailNextReplace(platform::kErrorUnableToMoveReplacement); },
      [this] { files_.FailNextReplace(platform::kErrorUnableToMoveReplacement2); },
  };
  for (std::size_t step = 0; step < std::size(failures); ++step) {
    TFindings file;
    for (const TFinding& finding : nq::FindBrowserHijacks()) {
      if (finding.kind == TFindingKind::PolicyFile) file.push_back(finding);
    }
    failures[step]();
    const nq::TOutcome outcome = nq::RepairFindings(file);
    EXPECT_FALSE(outcome.done) << step;
    EXPECT_EQ(Policies(), policies) << step;
    EXPECT_TRUE(SnapFiles(tree_.Scratch("recycled")).empty()) << step;
    EXPECT_FALSE(tree_.Exists(std::string(kPolicies) + ".new")) << step;
    EXPECT_FALSE(tree_.Exists(std::string(kPolicies) + ".old")) << step;
  }
}

// The rewrite keeps the byte-order mark, and a ".new" that a run cut short left beside the file goes
// to the Recycle Bin as a recorded change, not silently.
TEST_F(BrowsersTest, ARewriteKeepsTheByteOrderMarkAndReportsALeftoverNewFile) {
  WritePolicies("\xEF\xBB\xBF" + Policies());
  tree_.WriteFile(std::string(kPolicies) + ".new", "{}");
  TFindings file;
  for (const TFinding& finding : nq::FindBrowserHijacks()) {
    if (finding.kind == TFindingKind::PolicyFile) file.push_back(finding);
  }
  ASSERT_EQ(file.size(), 2u);
  const nq::TOutcome outcome = nq::RepairFindings(file);
  EXPECT_TRUE(outcome.done);
  const std::string now = Policies();
  EXPECT_EQ(now.rfind("\xEF\xBB\xBF{", 0), 0u) << now.substr(0, 8);
  EXPECT_EQ(now.find("Homepage"), std::string::npos);
  EXPECT_TRUE(std::any_of(outcome.changes.begin(), outcome.changes.end(), [](const nq::TChange& c) {
    return c.path.size() > 4 && c.path.compare(c.path.size() - 4, 4, ".new") == 0 && c.after == "Recycle Bin" && !c.refused;
  }));
  EXPECT_FALSE(tree_.Exists(std::string(kPolicies) + ".new"));
  EXPECT_FALSE(tree_.Exists(std::string(kPolicies) + ".old"));
}

// Listed, then made unreadable or taken away before the repair: each of its policies is a refused
// change (the console prints them on stderr and exits 1), and the repair is not done.
TEST_F(BrowsersTest, APoliciesFileGoneUnreadableOrMissingAtRepairTimeIsRefusedPolicyByPolicy) {
  for (const bool remove : {false, true}) {
    WritePolicies(ReadHost(FixturePath("firefox-policies.json")));
    TFindings file;
    for (const TFinding& finding : nq::FindBrowserHijacks()) {
      if (finding.kind == TFindingKind::PolicyFile) file.push_back(finding);
    }
    ASSERT_EQ(file.size(), 2u);
    if (remove) {
      std::filesystem::remove(tree_.Host(kPolicies));
    } else {
      WritePolicies("{\"policies\": ");
    }
    const nq::TOutcome outcome = nq::RepairFindings(file);
    EXPECT_FALSE(outcome.done) << remove;
    ASSERT_EQ(outcome.changes.size(), file.size()) << remove;
    for (std::size_t i = 0; i < file.size(); ++i) {
      EXPECT_TRUE(outcome.changes[i].refused) << file[i].name;
      EXPECT_EQ(outcome.changes[i].name, file[i].name);
      EXPECT_TRUE(nq::RefusedIn(file[i], outcome.changes)) << file[i].name;
    }
  }
  // A file whose policies someone else removed meanwhile has nothing left to refuse.
  WritePolicies(ReadHost(FixturePath("firefox-policies.json")));
  TFindings file;
  for (const TFinding& finding : nq::FindBrowserHijacks()) {
    if (finding.kind == TFindingKind::PolicyFile) file.push_back(finding);
  }
  WritePolicies("{\"policies\": {}}");
  EXPECT_TRUE(nq::RepairFindings(file).changes.empty());
}

// A refused change keeps the finding it was part of, and no other: the same value, anything within
// a key that goes whole, the same file, shortcut or task.
TEST(BrowserRefusals, ARefusalKeepsOnlyTheFindingItWasPartOf) {
  const auto finding = [](TFindingKind kind, platform::RegKey root, std::string where, std::string name) {
    TFinding f;
    f.kind = kind;
    f.root = root;
    f.view = root == 0 ? nq::TRegView::Default : nq::TRegView::Key64;
    f.where = std::move(where);
    f.name = std::move(name);
    return f;
  };
  const auto refused = [](nq::TChange::TKind kind, platform::RegKey root, nq::TRegView view, std::string path,
                          std::string name) {
    return nq::TChange{.kind = kind, .root = root, .view = view, .path = std::move(path), .name = std::move(name),
                       .refused = true};
  };
  using K = nq::TChange::TKind;
  const TFinding value = finding(TFindingKind::PolicyValue, kHkeyLocalMachine, "Software\\Policies\\Google\\Chrome", "HomepageLocation");
  const TFinding extension =
      finding(TFindingKind::ExternalExtension, kHkeyLocalMachine, "Software\\Google\\Chrome\\Extensions\\abc", "path");
  const TFinding link = finding(TFindingKind::Shortcut, 0, "C:\\Users\\u\\Desktop\\Chrome.lnk", "chrome.exe");
  struct Case {
    const char* name;
    const TFinding& finding;
    nq::TChange change;
    bool keeps;
  };
  const Case cases[] = {
      {"the value", value, refused(K::Value, kHkeyLocalMachine, nq::TRegView::Key64, "software\\policies\\google\\chrome", "homepagelocation"), true},
      {"another value of its key", value, refused(K::Value, kHkeyLocalMachine, nq::TRegView::Key64, value.where, "NewTabPageLocation"), false},
      {"the value in the other view", value, refused(K::Value, kHkeyLocalMachine, nq::TRegView::Key32, value.where, value.name), false},
      {"the value under the user", value, refused(K::Value, kHkeyCurrentUser, nq::TRegView::Key64, value.where, value.name), false},
      {"a subkey of the key", extension, refused(K::Key, kHkeyLocalMachine, nq::TRegView::Key64, extension.where + "\\x", ""), true},
      {"a value of the key", extension, refused(K::Value, kHkeyLocalMachine, nq::TRegView::Key64, extension.where, "version"), true},
      {"a key beside it", extension, refused(K::Key, kHkeyLocalMachine, nq::TRegView::Key64, extension.where + "d", ""), false},
      {"the shortcut", link, refused(K::Shortcut, 0, nq::TRegView::Default, "c:\\users\\U\\desktop\\chrome.LNK", ""), true},
      {"another shortcut", link, refused(K::Shortcut, 0, nq::TRegView::Default, "C:\\Users\\u\\Desktop\\Edge.lnk", ""), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(nq::RefusedIn(c.finding, {c.change}), c.keeps) << c.name;
    nq::TChange done = c.change;
    done.refused = false;
    EXPECT_FALSE(nq::RefusedIn(c.finding, {done})) << c.name << ", carried out";
  }
}

}  // namespace
}  // namespace nqtest
