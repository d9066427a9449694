// Key paths the tests and benchmarks plant values under, spelt once. Each starts with a backslash
// for OpenKey under a root; `+ 1` gives the form without it.
#pragma once

namespace nqtest {

inline constexpr const char* kShellFolders = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kRun = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunOnce = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Runonce";

}  // namespace nqtest
