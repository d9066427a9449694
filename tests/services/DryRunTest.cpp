// A dry run cannot write: the recorder's nesting rule, the read-only back ends beneath it, and a
// value whose data cannot be read at the moment of a dry deletion.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/RegFile.h"
#include "services/Changes.h"
#include "services/Registry.h"
#include "tests/support/Installed.h"
#include "tests/support/KeyPaths.h"
#include "tests/support/RegistryBackends.h"
#include "tests/support/ShellFixture.h"
#include "tests/support/Sim.h"

namespace nqtest {
namespace {

using platform::kHkeyCurrentUser;


// The calls refused during a dry run, noted instead of failing the test that provoked them.
std::vector<std::string>& Refused() {
  static std::vector<std::string> refused;
  return refused;
}

class NoteRefusals {
 public:
  NoteRefusals() : previous_(nq::SetDryRunWriteHandler([](const char* call) { Refused().push_back(call); })) {
    Refused().clear();
  }
  ~NoteRefusals() { nq::SetDryRunWriteHandler(previous_); }
  NoteRefusals(const NoteRefusals&) = delete;
  NoteRefusals& operator=(const NoteRefusals&) = delete;

 private:
  nq::TDryRunWriteHandler previous_;
};

class DryRunTest : public SimRegistryTest {};

// A recorder opened inside a dry run is dry too, an isolated one included, and what it records
// reaches the dry one around it unless it is isolated.
TEST_F(DryRunTest, ARecorderOpenedInsideADryRunIsDry) {
  EXPECT_FALSE(nq::DryRun());
  nq::TChangeRecorder outer(true);
  {
    nq::TChangeRecorder inner(false);
    EXPECT_TRUE(inner.DryRun());
    nq::RecordChange({.path = "inner"});
  }
  {
    nq::TChangeRecorder isolated(false, nq::TChangeRecorder::TIsolated{});
    EXPECT_TRUE(isolated.DryRun());
    nq::RecordChange({.path = "isolated"});
    EXPECT_EQ(isolated.Changes().size(), 1u);
  }
  ASSERT_EQ(outer.Changes().size(), 1u);
  EXPECT_EQ(outer.Changes()[0].path, "inner");
}

TEST_F(DryRunTest, AWetRecorderInsideAWetOneStaysWet) {
  nq::TChangeRecorder outer(false);
  nq::TChangeRecorder inner(false);
  EXPECT_FALSE(nq::DryRun());
}

// Each thread has its own recorder: a dry run on one never makes another thread's run dry.
TEST_F(DryRunTest, TheRecorderBelongsToItsThread) {
  nq::TChangeRecorder dry(true);
  bool otherSawOne = true;
  std::thread other([&otherSawOne] { otherSawOne = nq::ChangeRecorder() != nullptr || nq::DryRun(); });
  other.join();
  EXPECT_FALSE(otherSawOne);
  EXPECT_EQ(nq::ChangeRecorder(), &dry);
}

using DryRunDeathTest = DryRunTest;

TEST_F(DryRunDeathTest, ClosingARecorderOutOfOrderEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        auto* outer = new nq::TChangeRecorder(true);
        nq::TChangeRecorder inner(false);
        delete outer;
      },
      "out of order");
}

// A write that reaches a back end while a dry run is in force is refused, whoever makes it, and
// the back ends are the real ones again once the run ends.
TEST_F(DryRunTest, TheBackEndsAreReadOnlyWhileADryRunLasts) {
  platform::LoadRegText(reg_, std::string("REGEDIT4\n[HKEY_CURRENT_USER") + kRun + "]\n\"Keep\"=\"keep.exe\"\n");
  SimBackEnds sim;
  platform::SimShell& shell = sim.shell;
  const std::string before = platform::DumpRegText(reg_, kHkeyCurrentUser, "", platform::RegValueOrder::kByName);
  const NoteRefusals note;
  {
    nq::TChangeRecorder dry(true);
    platform::IRegistry& registry = platform::Registry();
    EXPECT_NE(&registry, &reg_);
    platform::RegKey key = 0;
    ASSERT_EQ(registry.OpenKeyEx(kHkeyCurrentUser, kRun + 1, platform::kKeyAllAccess, &key), platform::kErrorSuccess);
    const std::uint8_t data[] = "x.exe";
    EXPECT_EQ(registry.SetValueEx(key, "New", platform::kRegSz, data, sizeof data), platform::kErrorAccessDenied);
    EXPECT_EQ(registry.DeleteValue(key, "Keep"), platform::kErrorAccessDenied);
    platform::RegKey made = 0;
    EXPECT_EQ(registry.CreateKeyEx(key, "Sub", platform::kKeyAllAccess, &made), platform::kErrorAccessDenied);
    EXPECT_EQ(registry.DeleteKeyEx(kHkeyCurrentUser, kRun + 1, 0), platform::kErrorAccessDenied);
    registry.CloseKey(key);

    bool aborted = false;
    const std::string list = sim.tree.Path("a.txt") + std::string(2, '\0');
    EXPECT_NE(platform::Shell().FileOperation(0, platform::kFoDelete, list.c_str(), 0, &aborted), 0);
    const platform::TScopedLibrary library(platform::Shell(), platform::Shell().LoadLibrary("Shell32.dll"));
    const auto empty =
        reinterpret_cast<platform::EmptyRecycleBinProc>(platform::Shell().GetProcAddress(library.Get(), "SHEmptyRecycleBinA"));
    ASSERT_NE(empty, nullptr);
    EXPECT_LT(empty(0, "", 0), 0);
  }
  EXPECT_EQ(Refused(), (std::vector<std::string>{"RegSetValueEx", "RegDeleteValue", "RegCreateKeyEx", "RegDeleteKeyEx",
                                                 "SHFileOperation", "SHEmptyRecycleBin"}));
  EXPECT_EQ(platform::DumpRegText(reg_, kHkeyCurrentUser, "", platform::RegValueOrder::kByName), before);
  EXPECT_TRUE(shell.fileOperations.empty());
  EXPECT_TRUE(shell.recycleBinEmptied.empty());
  EXPECT_EQ(&platform::Registry(), &reg_);
  EXPECT_EQ(&platform::Shell(), &shell);
}

// Answers the data read of one value with ERROR_MORE_DATA, as when the value grew between the
// size probe and the read.
class GrowingValue : public ForwardingRegistry {
 public:
  GrowingValue(platform::IRegistry& inner, std::string name) : ForwardingRegistry(inner), name_(std::move(name)) {}
  long QueryValueEx(platform::RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override {
    if (data != nullptr && name_ == valueName) {
      ++*size;
      return platform::kErrorMoreData;
    }
    return inner_.QueryValueEx(key, valueName, type, data, size);
  }

 private:
  std::string name_;
};

TEST_F(DryRunTest, AValueThatGrowsBetweenProbeAndReadIsNotDeletedByADryRun) {
  platform::LoadRegText(reg_, std::string("REGEDIT4\n[HKEY_CURRENT_USER") + kRun + "]\n\"Grows\"=\"g.exe\"\n");
  GrowingValue growing(reg_, "Grows");
  Installed installed(growing);
  nq::TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kRun, false));
  {
    nq::TChangeRecorder dry(true);
    EXPECT_FALSE(reg.DeleteValue("Grows"));
    EXPECT_TRUE(dry.Changes().empty());
  }
  EXPECT_TRUE(reg.ValueExists("Grows"));
  // A real run still deletes it: what it held cannot be said, but it goes.
  EXPECT_TRUE(reg.DeleteValue("Grows"));
  EXPECT_FALSE(reg.ValueExists("Grows"));
}

}  // namespace
}  // namespace nqtest
