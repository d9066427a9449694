// norvanec.exe itself, started as a script starts it, under Wine in the build's throwaway prefix: its
// output through a pipe, its exit code, and names beyond ASCII on the way out. It works on the
// prefix's own registry, so it runs only there, and takes away what it wrote.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/KeyPaths.h"
#include "tests/support/ShellFixture.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace nqtest {
namespace {

#ifdef _WIN32

struct Output {
  DWORD code = 0;
  std::string out;
};

// Runs norvanec.exe with `arguments` and collects what it writes to stdout.
Output RunProgram(const std::string& arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) throw std::runtime_error("no pipe");
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::string command = "\"" NQ_CONSOLE_PROGRAM "\" " + arguments;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(write);
  Output output;
  if (!started) {
    CloseHandle(read);
    throw std::runtime_error("cannot start norvanec.exe: error " + std::to_string(GetLastError()));
  }
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) output.out.append(buffer, got);
  WaitForSingleObject(pi.hProcess, 60000);
  GetExitCodeProcess(pi.hProcess, &output.code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(read);
  return output;
}

TEST(ConsoleProgram, VersionUsageAndExitCodes) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
  const Output version = RunProgram("--version");
  EXPECT_EQ(version.code, 0u);
  EXPECT_EQ(version.out, "norvanec 1.4\r\n");
  EXPECT_EQ(RunProgram("frobnicate").code, 2u);
  EXPECT_EQ(RunProgram("delete startup").code, 2u);
}

// A startup entry named in Cyrillic, written into the prefix's own registry, comes out whole in
// UTF-8, is previewed, and deleted by that name given on the command line.
TEST(ConsoleProgram, CyrillicStartupEntryListedAndDeleted) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
  const std::wstring name = L"\u041F\u0440\u043E\u0431\u0430 norvanec";  // "Проба norvanec"
  const std::string utf8 = "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB1\xD0\xB0 norvanec";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t data[] = L"C:\\probe.exe";
  RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);

  const Output list = RunProgram("list startup");
  EXPECT_EQ(list.code, 0u);
  EXPECT_NE(list.out.find("startup\t" + utf8 + "\tC:\\probe.exe\r\n"), std::string::npos) << list.out;

  const Output preview = RunProgram("delete startup \"" + utf8 + "\" --dry-run");
  EXPECT_EQ(preview.code, 0u);
  EXPECT_EQ(preview.out, "value\tHKEY_CURRENT_USER\\" + std::string(kRun + 1) + "\t" + utf8 + "\t\"C:\\\\probe.exe\"\t-\r\n");
  EXPECT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

  const Output run = RunProgram("delete startup \"" + utf8 + "\"");
  EXPECT_EQ(run.code, 0u);
  EXPECT_EQ(run.out, preview.out);
  EXPECT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  RegDeleteValueW(key, name.c_str());
  RegCloseKey(key);
}

#else

TEST(ConsoleProgram, RunsOnlyUnderWine) { GTEST_SKIP() << "norvanec.exe is built for Windows only"; }

#endif

}  // namespace
}  // namespace nqtest
