#include "tests/support/BuildPaths.h"

namespace nqtest {

std::string FixturePath(const std::string& name) { return std::string(NQ_FIXTURES) + "/" + name; }

std::string ResourcePath(const std::string& name) { return std::string(NQ_RESOURCES) + "/" + name; }

std::string ThrowawayWinePrefix() { return NQ_WINEPREFIX; }

}  // namespace nqtest
