// norvanec's entry point: the real Win32 back ends, the UTF-8 command line and console, then the
// command. No window code is linked.
#include <windows.h>
#include <shellapi.h>

#include <iostream>
#include <string>
#include <vector>

#include "console/Console.h"
#include "platform/win32/Win32BackEnds.h"

namespace {

std::string Utf8(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return std::string();
  std::string out(static_cast<std::size_t>(length - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
  return out;
}

// The arguments in UTF-8 from the wide command line, whatever code page the system gave the
// process: a name outside it must reach the command whole.
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8(argv[i]));
  LocalFree(argv);
  return args;
}

}  // namespace

int main() {
  SetConsoleOutputCP(CP_UTF8);
  const platform::Win32BackEnds backEnds;
  return nq::console::Run(Arguments(), std::cout, std::cerr);
}
