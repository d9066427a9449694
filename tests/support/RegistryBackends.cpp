#include "tests/support/RegistryBackends.h"

#include "platform/sim/SimRegistry.h"
#include "tests/support/Registry.h"

#ifdef _WIN32
#include "platform/win32/Win32Registry.h"
#include "tests/support/RegistryOverride.h"
#endif

namespace nqtest {
namespace {

using namespace platform;

class SimUnderTest final : public RegistryUnderTest {
 public:
  IRegistry& Registry() override { return sim_; }
  std::string SetReadOnly(RegKey root) override {
    sim_.SetReadOnly(root, true);
    return std::string();
  }
  std::size_t OpenHandleCount() const override { return sim_.OpenHandleCount(); }

 private:
  SimRegistry sim_;
};

#ifdef _WIN32

// Counts the handles it hands out, since Windows cannot be asked.
class CountingRegistry final : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  std::size_t Open() const { return open_; }

  long OpenKeyEx(RegKey base, const char* subKey, std::uint32_t access, RegKey* result) override {
    return Count(inner_.OpenKeyEx(base, subKey, access, result), result);
  }
  long CreateKeyEx(RegKey base, const char* subKey, std::uint32_t access, RegKey* result) override {
    return Count(inner_.CreateKeyEx(base, subKey, access, result), result);
  }
  long CloseKey(RegKey key) override {
    const long error = inner_.CloseKey(key);
    if (error == kErrorSuccess && !IsRootKey(key) && open_ > 0) --open_;
    return error;
  }

 private:
  long Count(long error, const RegKey* result) {
    if (error == kErrorSuccess && result != nullptr && !IsRootKey(*result)) ++open_;
    return error;
  }

  std::size_t open_ = 0;
};

class Win32UnderTest final : public RegistryUnderTest {
 public:
  IRegistry& Registry() override { return counting_; }
  std::string SetReadOnly(RegKey root) override { return override_.MakeReadOnly(root); }
  std::size_t OpenHandleCount() const override { return counting_.Open(); }

 private:
  RegistryOverride override_;  // first in, last out: nothing reaches the registry unredirected
  Win32Registry win32_;
  CountingRegistry counting_{win32_};
};

#endif  // _WIN32

}  // namespace

std::vector<RegistryBackend> RegistryBackends() {
  std::vector<RegistryBackend> backends;
  backends.push_back({"Sim", true, false, [] { return std::unique_ptr<RegistryUnderTest>(new SimUnderTest); }});
#ifdef _WIN32
  const bool wine = RunningUnderWine();
  backends.push_back({wine ? "Wine" : "Windows", !wine, wine,
                      [] { return std::unique_ptr<RegistryUnderTest>(new Win32UnderTest); }});
#endif
  return backends;
}

std::string BackendName(const ::testing::TestParamInfo<RegistryBackend>& info) { return info.param.name; }

void RegistryBackendTest::SetUp() {
  backend_ = GetParam().make();
  installed_.emplace(backend_->Registry());
}

void RegistryBackendTest::TearDown() {
  if (!backend_) return;  // it could not be made; SetUp has said why
  EXPECT_EQ(backend_->OpenHandleCount(), 0u) << "a handle was left open";
  installed_.reset();
  backend_.reset();
}

void RegistryBackendTest::Load(const std::string& text) { LoadReg(reg(), text); }

}  // namespace nqtest
