// The one-click repair of today's browsers on the real calls: the hijacked profile imported with
// regedit into the redirected registry, a real policies.json beside a firefox.exe in a temp folder,
// the real file calls and the real shell's Recycle Bin, and the system's own join state. The old
// file goes to the recycle bin of the build's throwaway Wine prefix, so this runs only there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "browsers/Browsers.h"
#include "services/MainFunc.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/Installed.h"
#include "tests/support/ShellFixture.h"

#ifdef _WIN32
#include "platform/sim/SimLinks.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Links.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "tests/support/RegistryOverride.h"
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
  RegistryOverride override;  // first in, last out: nothing reaches the registry unredirected
  platform::Win32Registry registry;
  Installed<platform::IRegistry> installedRegistry(registry);
  FileTree tree(Backend::Win32);
  platform::Win32Shell shell;
  Installed<platform::IShell> installedShell(shell);
  platform::Win32Files files;
  Installed<platform::IFiles> installedFiles(files);
  platform::Win32Management management;
  Installed<platform::IManagement> installedManagement(management);
  // Shortcuts on the real calls; Wine's Task Scheduler cannot work under the redirected registry,
  // so no tasks here (their own tests run on the real scheduler).
  platform::Win32ShellLinks links;
  Installed<platform::IShellLinks> installedLinks(links);
  platform::SimTaskScheduler tasks;
  Installed<platform::ITaskScheduler> installedTasks(tasks);

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

}  // namespace
}  // namespace nqtest
