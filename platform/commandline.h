// Splitting a command line into arguments by Windows' own rule, the one CommandLineToArgvW follows
// and so every browser built on Chromium: a planted address hides in exactly the places that rule
// leaves it. The system call gives the arguments only; this gives where each stood in the line too,
// so that one can be taken out and the rest kept byte for byte. Held to the system call by a test
// under Wine.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One argument (quotes and backslashes resolved), and where its raw text stands in the line.
struct Argument {
  std::string text;
  std::size_t begin = 0, end = 0;
};
// The arguments of a line that holds no program name first (a shortcut's or a task's arguments).
std::vector<Argument> SplitCommandLine(std::string_view line);

}  // namespace platform
