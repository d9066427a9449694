#include "tests/support/Registry.h"

namespace nqtest {

void LoadFixture(platform::IRegistry& registry, const std::string& name) {
  platform::LoadRegFile(registry, FixturePath(name));
}

void LoadReg(platform::IRegistry& registry, const std::string& text) {
  const bool hasHeader = text.find("REGEDIT4") != std::string::npos;
  platform::LoadRegText(registry, hasHeader ? text : "REGEDIT4\n" + text);
}

}  // namespace nqtest
