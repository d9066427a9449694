// The registry back ends a contract or routine test runs against: the substitute everywhere, and in
// the Windows build also the real registry, redirected into a scratch key. A parameterised fixture
// installs one as platform::Registry() for each test and checks afterwards that every handle opened
// through it was closed.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "tests/support/Installed.h"

namespace nqtest {

// Passes every call to another registry; tests override single calls to make them fail or to
// record them.
class ForwardingRegistry : public platform::IRegistry {
 public:
  explicit ForwardingRegistry(platform::IRegistry& inner) : inner_(inner) {}
  long OpenKeyEx(platform::RegKey base, const char* subKey, std::uint32_t access, platform::RegKey* result) override {
    return inner_.OpenKeyEx(base, subKey, access, result);
  }
  long CreateKeyEx(platform::RegKey base, const char* subKey, std::uint32_t access,
                   platform::RegKey* result) override {
    return inner_.CreateKeyEx(base, subKey, access, result);
  }
  long CloseKey(platform::RegKey key) override { return inner_.CloseKey(key); }
  long QueryValueEx(platform::RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* size) override {
    return inner_.QueryValueEx(key, valueName, type, data, size);
  }
  long SetValueEx(platform::RegKey key, const char* valueName, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t size) override {
    return inner_.SetValueEx(key, valueName, type, data, size);
  }
  long DeleteValue(platform::RegKey key, const char* valueName) override { return inner_.DeleteValue(key, valueName); }
  long DeleteKeyEx(platform::RegKey base, const char* subKey, std::uint32_t view) override {
    return inner_.DeleteKeyEx(base, subKey, view);
  }
  long QueryInfoKey(platform::RegKey key, std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen, std::uint32_t* values,
                    std::uint32_t* maxValueNameLen) override {
    return inner_.QueryInfoKey(key, subKeys, maxSubKeyLen, values, maxValueNameLen);
  }
  long EnumKeyEx(platform::RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) override {
    return inner_.EnumKeyEx(key, index, name, nameLen);
  }
  long EnumValue(platform::RegKey key, std::uint32_t index, char* name, std::uint32_t* nameLen) override {
    return inner_.EnumValue(key, index, name, nameLen);
  }

 protected:
  platform::IRegistry& inner_;
};

// One registry, fresh and empty, for the length of one test.
class RegistryUnderTest {
 public:
  virtual ~RegistryUnderTest() = default;
  virtual platform::IRegistry& Registry() = 0;
  // Makes `root` readable but not writable for the program, as HKEY_LOCAL_MACHINE is for a standard
  // user; load its keys first. Empty when done, else why this back end cannot.
  virtual std::string SetReadOnly(platform::RegKey root) = 0;
  // Handles opened through Registry() and not closed yet (roots are not handles).
  virtual std::size_t OpenHandleCount() const = 0;
};

struct RegistryBackend {
  std::string name;
  // Windows and the substitute enumerate values in creation order; Wine in name order.
  bool valuesInCreationOrder = true;
  // The real registry under Wine, whose known differences from Windows tests state where they meet
  // them, as Wine's own tests do.
  bool wine = false;
  std::function<std::unique_ptr<RegistryUnderTest>()> make;
};

inline void PrintTo(const RegistryBackend& backend, std::ostream* os) { *os << backend.name; }

std::vector<RegistryBackend> RegistryBackends();

// Names parameterised tests after their back end.
std::string BackendName(const ::testing::TestParamInfo<RegistryBackend>& info);

class RegistryBackendTest : public ::testing::TestWithParam<RegistryBackend> {
 protected:
  void SetUp() override;
  void TearDown() override;

  platform::IRegistry& reg() { return backend_->Registry(); }
  RegistryUnderTest& backend() { return *backend_; }
  // Loads REGEDIT4 text (the header may be left out) into the back end.
  void Load(const std::string& text);

 private:
  std::unique_ptr<RegistryUnderTest> backend_;
  std::optional<Installed<platform::IRegistry>> installed_;
};

}  // namespace nqtest
