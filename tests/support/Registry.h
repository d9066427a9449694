// Registry fixtures for tests: REGEDIT4 files in tests/fixtures, loaded into whichever back end a
// test runs on (the substitute, or the redirected real registry under Wine).
#pragma once

#include <string>

#include "platform/RegFile.h"
#include "tests/support/BuildPaths.h"
#include "platform/registry.h"

namespace nqtest {

// Loads tests/fixtures/`name` (e.g. "hijacked.reg") into `registry`; throws RegFileError when the
// file is missing or malformed.
void LoadFixture(platform::IRegistry& registry, const std::string& name);

// Loads REGEDIT4 text; the "REGEDIT4" header line may be left out.
void LoadReg(platform::IRegistry& registry, const std::string& text);

}  // namespace nqtest
