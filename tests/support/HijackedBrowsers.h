// The hijacked browsers' profile on the substitutes: the registry fixture, and Firefox where the
// Program Files folder says, with the hijacker's policies file beside it; the local application
// data folder a folder of the tree.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "services/Registry.h"
#include "tests/support/Registry.h"
#include "tests/support/ShellFixture.h"

namespace nqtest {

inline std::string ReadHost(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class HijackedBrowsersTest : public FileTreeTest {
 protected:
  void SetUp() override {
    FileTreeTest::SetUp();
    LoadFixture(reg_, "browsers-hijacked.reg");
    nq::TRegistry current(nq::TRegView::Key64);
    current.SetRootKey(platform::kHkeyLocalMachine);
    ASSERT_TRUE(current.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion", true));
    current.WriteString("ProgramFilesDir", tree_.Path("Program Files"));
    tree_.WriteFile("Program Files\\Mozilla Firefox\\firefox.exe", "MZ");
    tree_.MakeFolder("Program Files\\Mozilla Firefox\\distribution");
    WritePolicies(ReadHost(FixturePath("firefox-policies.json")));
    // Where the repair keeps its undo records.
    tree_.MakeFolder("Local");
    nq::TRegistry user;
    ASSERT_TRUE(user.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    user.WriteString("Local AppData", tree_.Path("Local"));
  }

  void WritePolicies(const std::string& text) { tree_.WriteFile(kPolicies, text); }
  std::string Policies() const { return ReadHost(tree_.Host(kPolicies)); }
  std::string PoliciesPath() const { return tree_.Path(kPolicies); }

  static constexpr const char* kPolicies = "Program Files\\Mozilla Firefox\\distribution\\policies.json";
};

}  // namespace nqtest
