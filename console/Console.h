// norvanec, the console companion: the window program's features for scripts, plain text out and
// an exit code. This part knows nothing of Windows: it parses the arguments, calls the features and
// prints, so the same code runs on the substitutes in the tests.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace nq::console {

// Exit codes.
inline constexpr int kExitDone = 0;       // done, or nothing to do
inline constexpr int kExitRefused = 1;    // some changes were refused
inline constexpr int kExitUsage = 2;      // bad usage: one line of error and the usage on stderr
inline constexpr int kExitError = 3;      // an unexpected error, in one line on stderr

// Runs one command line (the arguments after the program's name, UTF-8) and returns its exit code.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// What --help prints.
std::string Usage();

}  // namespace nq::console
