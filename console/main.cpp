// norvanec's entry point: the real Win32 back ends, the UTF-8 command line and console, then the
// command. No window code is linked.
#include <windows.h>
#include <shellapi.h>

#include <iostream>
#include <string>
#include <vector>

#include "console/Console.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UrlCache.h"
#include "platform/win32/Win32UrlHistory.h"

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
  // The URL history object needs the component system on this thread.
  platform::ComApartment com;
  platform::Win32Registry registry;
  platform::Win32UrlCache urlCache;
  platform::Win32UrlHistory urlHistory;
  platform::Win32Shell shell;
  platform::Win32FileSystem fileSystem;
  platform::SetRegistry(&registry);
  platform::SetUrlCache(&urlCache);
  platform::SetUrlHistory(&urlHistory);
  platform::SetShell(&shell);
  platform::SetFileSystem(&fileSystem);
  return nq::console::Run(Arguments(), std::cout, std::cerr);
}
