// Where the tests find the source tree's fixtures and resources, and the build's throwaway Wine
// prefix. Only BuildPaths.cpp is compiled with these folders: a compile line that named them would
// differ in every clone and keep the compiler cache from serving any test source.
#pragma once

#include <string>

namespace nqtest {

// Full path of tests/fixtures/`name`.
std::string FixturePath(const std::string& name);

// Full path of resources/`name`.
std::string ResourcePath(const std::string& name);

// The build's own throwaway Wine prefix (the one ctest runs the Wine tier in).
std::string ThrowawayWinePrefix();

}  // namespace nqtest
