// The one-click repair of today's browsers on the real calls: the hijacked profile imported with
// regedit into the redirected registry, a real policies.json beside a firefox.exe in a temp folder,
// the real file calls and the real shell's Recycle Bin, and the system's own join state; then its
// undo, back to the very bytes. The old file goes to the recycle bin of the build's throwaway Wine
// prefix, so this runs only there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "browsers/Browsers.h"
#include "browsers/Undo.h"
#include "platform/RegFile.h"
#include "services/MainFunc.h"
#include "services/Sha256.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/Installed.h"
#include "tests/support/RealBrowserCalls.h"
#include "tests/support/ShellFixture.h"

#ifdef _WIN32
#include "platform/sim/SimLinks.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Links.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UrlHistory.h"
#include "tests/support/RegistryOverride.h"

#include <windows.h>
#include <wincrypt.h>
#endif

namespace nqtest {
namespace {

#ifdef _WIN32
std::string ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
#endif

TEST(BrowsersOnTheRealCalls, OneClickRepairThroughTheRegistryAndARealPoliciesFile) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
#ifdef _WIN32
  RealBrowserCalls real;
  FileTree& tree = real.tree;
  RegistryOverride& override = real.override;

  override.ImportWithRegedit(ReadHostFile(FixturePath("browsers-hijacked.reg")));
  {
    nq::TRegistry current(nq::TRegView::Key64);
    current.SetRootKey(nq::kHkeyLocalMachine);
    ASSERT_TRUE(current.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion", true));
    current.WriteString("ProgramFilesDir", tree.Path("Program Files"));
  }
  const std::string policies = "Program Files\\Mozilla Firefox\\distribution\\policies.json";
  tree.WriteFile("Program Files\\Mozilla Firefox\\firefox.exe", "MZ");
  tree.MakeFolder("Program Files\\Mozilla Firefox\\distribution");
  tree.WriteFile(policies, ReadHostFile(FixturePath("firefox-policies.json")));
  // A name of its own in the shared recycle bin.
  ForgetRecycled("policies.json");
  ForgetRecycled("policies.json.old");

  EXPECT_FALSE(nq::MachineIsManaged());  // a workgroup machine, and Wine lacks the Entra call
  nq::TFindings ticked;
  for (const nq::TFinding& finding : nq::FindBrowserHijacks()) {
    if (finding.ticked) ticked.push_back(finding);
  }
  ASSERT_GE(ticked.size(), 20u);
  const nq::TOutcome outcome = nq::RepairFindings(ticked);
  EXPECT_TRUE(outcome.done);

  nq::TStrings left;
  for (const nq::RegKey root : {nq::kHkeyCurrentUser, nq::kHkeyLocalMachine}) {
    for (const char* key : {"\\Software\\Policies\\Microsoft\\Edge", "\\Software\\Policies\\BraveSoftware\\Brave",
                            "\\Software\\Policies\\Mozilla\\Firefox"}) {
      EXPECT_FALSE(nq::ListValueNames(root, key, left)) << key;
    }
  }
  EXPECT_FALSE(nq::ListValueNames(nq::kHkeyCurrentUser, "\\Software\\Policies\\Google\\Chrome", left));
  left.clear();
  EXPECT_TRUE(nq::ListSubkeys(nq::kHkeyLocalMachine, "\\Software\\Policies\\Google\\Chrome", left));
  EXPECT_TRUE(left.empty());
  EXPECT_TRUE(nq::ListValueNames(nq::kHkeyLocalMachine, "\\Software\\Policies\\Google\\Chrome", left));
  EXPECT_EQ(left, nq::TStrings{"MetricsReportingEnabled"});
  EXPECT_FALSE(nq::ListValueNames(nq::kHkeyLocalMachine,
                                  "\\Software\\Microsoft\\Enrollments\\FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF", left));
  EXPECT_TRUE(nq::ListValueNames(nq::kHkeyLocalMachine,
                                 "\\Software\\Microsoft\\Provisioning\\OMADM\\Accounts\\FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF", left));
  EXPECT_TRUE(nq::ListValueNames(nq::kHkeyCurrentUser, "\\Software\\Policies\\Microsoft\\Office\\16.0\\Common", left));

  EXPECT_EQ(ReadHostFile(tree.Host(policies)), "{\n  \"policies\": {\n    \"DisableTelemetry\": true\n  }\n}\n");
  EXPECT_FALSE(tree.Exists(policies + ".new"));
  EXPECT_FALSE(tree.Exists(policies + ".old"));
  // Swapped by the system's ReplaceFile, the old file kept its backup name on its way to the bin.
  EXPECT_TRUE(std::filesystem::exists(WineRecycleBinFiles() / "policies.json.old"));
#endif
}

// Repaired, then undone: every key the repair touched is as it was to the byte (both roots whole,
// values by name: Wine enumerates them in name order where Windows keeps creation order), and
// policies.json and the shortcut hash as before. The tasks stay on the substitute here: Wine's
// scheduler does not run under the redirected registry, and Wine 8 drops a task's actions when it
// registers one, so a task could not come back whole (the scheduler's own tests run it for real).
TEST(BrowsersOnTheRealCalls, RepairThenUndoPutsBackTheRegistryThePoliciesFileAndTheShortcutExactly) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
#ifdef _WIN32
  RealBrowserCalls real;
  FileTree& tree = real.tree;
  RegistryOverride& override = real.override;

  override.ImportWithRegedit(ReadHostFile(FixturePath("browsers-hijacked.reg")));
  // The shortcut and the records in folders of the temp tree, never the prefix's own.
  tree.MakeFolder("Desktop");
  tree.MakeFolder("Local");
  {
    nq::TRegistry current(nq::TRegView::Key64);
    current.SetRootKey(nq::kHkeyLocalMachine);
    ASSERT_TRUE(current.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion", true));
    current.WriteString("ProgramFilesDir", tree.Path("Program Files"));
    nq::TRegistry user;
    ASSERT_TRUE(user.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    user.WriteString("Desktop", tree.Path("Desktop"));
    user.WriteString("Local AppData", tree.Path("Local"));
  }
  const std::string policies = "Program Files\\Mozilla Firefox\\distribution\\policies.json";
  tree.WriteFile("Program Files\\Mozilla Firefox\\firefox.exe", "MZ");
  tree.MakeFolder("Program Files\\Mozilla Firefox\\distribution");
  tree.WriteFile(policies, ReadHostFile(FixturePath("firefox-policies.json")));
  ForgetRecycled("policies.json");
  ForgetRecycled("policies.json.old");
  const std::string shortcut = tree.Path("Desktop\\Chrome.lnk");
  ASSERT_EQ(real.links.Create(shortcut, {"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe",
                                    "--profile-directory=Default https://search.example/?q="}),
            0);
  const std::string task = "\\ChromeLoader";
  ASSERT_EQ(real.tasks.Register(task, {{"C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe",
                                   "--load-extension=C:\\Users\\u\\x"}}),
            0);

  const auto state = [&] {
    std::string xml;
    real.tasks.ReadXml(task, &xml);
    return platform::DumpRegText(real.registry, nq::kHkeyCurrentUser, "", platform::RegValueOrder::kByName) +
           platform::DumpRegText(real.registry, nq::kHkeyLocalMachine, "", platform::RegValueOrder::kByName) +
           "policies " + nq::Sha256Hex(ReadHostFile(tree.Host(policies))) + "\nshortcut " +
           nq::Sha256Hex(ReadHostFile(tree.Host("Desktop\\Chrome.lnk"))) + "\ntask " + xml + "\n";
  };
  const std::string before = state();
  const nq::TFindings found = nq::FindBrowserHijacks();
  nq::TFindings ticked;
  for (const nq::TFinding& finding : found) {
    if (finding.ticked) ticked.push_back(finding);
  }
  ASSERT_GE(ticked.size(), 20u);
  const auto kinds = [&](nq::TFindingKind kind) {
    return std::count_if(ticked.begin(), ticked.end(), [kind](const nq::TFinding& f) { return f.kind == kind; });
  };
  ASSERT_GT(kinds(nq::TFindingKind::PolicyFile), 0);
  ASSERT_EQ(kinds(nq::TFindingKind::Shortcut), 1);
  ASSERT_EQ(kinds(nq::TFindingKind::Task), 1);

  const nq::TRepairWithUndo run = nq::RepairWithUndo(ticked);
  ASSERT_TRUE(run.started) << run.why;
  EXPECT_TRUE(run.outcome.done);
  ASSERT_NE(state(), before);
  ASSERT_TRUE(tree.Exists("Local\\Norvane And Quillet\\Undo\\" + run.record + "\\index.json"));

  const nq::TOutcome undone = nq::UndoRepair(run.record);
  for (const nq::TChange& change : undone.changes) EXPECT_FALSE(change.refused) << nq::ChangeWhere(change) << ": " << change.why;
  EXPECT_TRUE(undone.done);
  EXPECT_EQ(state(), before);
  EXPECT_EQ(nq::FindBrowserHijacks(), found);
#endif
}

#ifdef _WIN32
// The machine's "MY" store of the throwaway prefix, with the management client's certificate in it
// for as long as this lives. crypt32 hashes with the providers registered under HKLM, so this works
// on the prefix's own registry, not a redirected one; what it adds it takes away again.
class ClientCertificateInStore {
 public:
  explicit ClientCertificateInStore(const std::string& der) {
    Remove();
    HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"MY");
    if (store == nullptr) return;
    added_ = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                                static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    ::CertCloseStore(store, 0);
  }
  ~ClientCertificateInStore() { Remove(); }
  ClientCertificateInStore(const ClientCertificateInStore&) = delete;
  ClientCertificateInStore& operator=(const ClientCertificateInStore&) = delete;
  bool Added() const { return added_; }

  static constexpr const char* kThumbprint = "74B59FFAC88AD8341F3B389909771124B7943857";
  static constexpr const wchar_t* kEnrollment =
      L"Software\\Microsoft\\Enrollments\\6D8B3C3E-0000-4A6B-9C2D-1234567890AB";

  // Takes away the certificate and the enrollment, as an earlier run may have left them.

  static void Remove() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kEnrollment);
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEnrollment);
    // Wine's CertDeleteCertificateFromStore answers TRUE and leaves a system store's certificate in
    // place; the store keeps each certificate in a key named by its thumbprint.
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE,
                    L"Software\\Microsoft\\SystemCertificates\\MY\\Certificates\\74B59FFAC88AD8341F3B389909771124B7943857");
  }

 private:
  bool added_ = false;
};
#endif

// An enrollment counts as the organization's only with the client certificate it names in the
// machine's store, as crypt32 finds it by thumbprint.
TEST(BrowsersOnTheRealCalls, AnEnrollmentIsRealOnlyWithItsCertificateInTheStore) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
#ifdef _WIN32
  platform::Win32Registry registry;
  Installed<platform::IRegistry> installedRegistry(registry);
  platform::Win32Management management;
  Installed<platform::IManagement> installedManagement(management);
  FileTree tree(Backend::Win32);
  platform::Win32Shell shell;
  Installed<platform::IShell> installedShell(shell);
  platform::Win32Files files;
  Installed<platform::IFiles> installedFiles(files);
  platform::Win32ShellLinks links;
  Installed<platform::IShellLinks> installedLinks(links);
  platform::SimTaskScheduler tasks;
  Installed<platform::ITaskScheduler> installedTasks(tasks);
  const std::string thumbprint = ClientCertificateInStore::kThumbprint;
  const auto has = [&](platform::CertStoreLocation location, const char* store, const std::string& print) {
    return management.HasCertificate(location, store, print);
  };
  const auto enrollments = [] {
    nq::TFindings found = nq::FindBrowserHijacks();
    std::erase_if(found, [](const nq::TFinding& f) { return f.kind != nq::TFindingKind::Enrollment; });
    return found.size();
  };

  ClientCertificateInStore::Remove();
  EXPECT_FALSE(has(platform::CertStoreLocation::LocalMachine, "MY", thumbprint));
  ClientCertificateInStore certificate(ReadHostFile(FixturePath("management-client.cer")));
  ASSERT_TRUE(certificate.Added());
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, ClientCertificateInStore::kEnrollment, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr), ERROR_SUCCESS);
  const DWORD state = 1;
  const std::string reference = "MY;System;" + thumbprint;
  ::RegSetValueExW(key, L"EnrollmentState", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&state), sizeof state);
  ::RegSetValueExA(key, "SslClientCertReference", 0, REG_SZ, reinterpret_cast<const BYTE*>(reference.c_str()),
                   static_cast<DWORD>(reference.size() + 1));

  EXPECT_TRUE(has(platform::CertStoreLocation::LocalMachine, "my", "74b59ffac88ad8341f3b389909771124b7943857"));
  EXPECT_FALSE(has(platform::CertStoreLocation::LocalMachine, "Root", thumbprint));
  EXPECT_FALSE(has(platform::CertStoreLocation::LocalMachine, "MY", "74B59FFAC88AD8341F3B389909771124B794385Z"));
  EXPECT_TRUE(nq::MachineIsManaged());
  EXPECT_EQ(enrollments(), 0u);

  // The same enrollment naming a certificate that is not there is a hijacker's.
  const std::string other = "MY;System;74B59FFAC88AD8341F3B389909771124B7943858";
  ::RegSetValueExA(key, "SslClientCertReference", 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                   static_cast<DWORD>(other.size() + 1));
  ::RegCloseKey(key);
  EXPECT_FALSE(nq::MachineIsManaged());
  EXPECT_EQ(enrollments(), 1u);
#endif
}

}  // namespace
}  // namespace nqtest
