// The command-line splitter: Windows' rule on a table of lines, and, under Wine, the same split as
// the system's own CommandLineToArgvW.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/commandline.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace nqtest {
namespace {

TEST(CommandLineSplit, SplitsAsChromiumDoes) {
  struct Case {
    std::string line;
    std::vector<std::string> args;
  } cases[] = {
      {R"(a "b c" d)", {"a", "b c", "d"}},
      {R"(--profile-directory="Profile 1" x)", {"--profile-directory=Profile 1", "x"}},
      {R"("C:\dir\\" next)", {R"(C:\dir\)", "next"}},
      {R"(a\\\"b "c""d")", {R"(a\"b)", R"(c"d)"}},
      {"  \t ", {}},
      {R"("unclosed quote)", {"unclosed quote"}},
      // Inside quotes "" is a quote that also closes them, as Chromium's CommandLineToArgvW has it:
      // the address after it is an argument of its own.
      {R"("--profile-directory=Default"" https://search.example/")", {R"(--profile-directory=Default")", "https://search.example/"}},
      {R"(a""b """c" """")", {"ab", R"("c ")"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> got;
    for (const platform::Argument& a : platform::SplitCommandLine(c.line)) got.push_back(a.text);
    EXPECT_EQ(got, c.args) << c.line;
  }
}

#ifdef _WIN32
// The splitter held to the system's own: every line of the table, above all those where the C
// runtime's rule and CommandLineToArgvW's differ, splits as CommandLineToArgvW splits it.
TEST(CommandLineSplit, SplitsAsCommandLineToArgvWDoes) {
  const HMODULE shell = LoadLibraryA("shell32.dll");
  ASSERT_NE(shell, nullptr);
  using Split = LPWSTR*(WINAPI*)(LPCWSTR, int*);
  const auto split = reinterpret_cast<Split>(reinterpret_cast<void*>(GetProcAddress(shell, "CommandLineToArgvW")));
  ASSERT_NE(split, nullptr);
  const auto wide = [](const std::string& text) {
    std::wstring out(text.size() + 1, L'\0');
    out.resize(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size())) - 1);
    return out;
  };
  const auto narrow = [](const wchar_t* text) {
    std::string out(std::wcslen(text) * 4 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr) - 1);
    return out;
  };
  const char* lines[] = {
      R"(a "b c" d)",
      R"("a"" b")",
      R"("--profile-directory=Default"" https://search.example/")",
      R"(a""b """c" """")",
      R"(a\\\"b "c""d")",
      R"("C:\dir\\" next)",
      R"(a\\b\\\\"c d" e\f)",
      R"("unclosed quote)",
      R"(x "" y)",
      R"("""""")",
      R"(""""" a)",
      R"("a\"b" "c\\" d)",
      "tab\tseparated\t\"and quoted\"   ",
      R"(--profile-directory="Профиль 1" https://поиск.example/)",
  };
  for (const char* line : lines) {
    // A program's name first: the system reads the first word by a rule of its own.
    int count = 0;
    LPWSTR* argv = split((L"x.exe " + wide(line)).c_str(), &count);
    ASSERT_NE(argv, nullptr) << line;
    std::vector<std::string> real;
    for (int i = 1; i < count; ++i) real.push_back(narrow(argv[i]));
    LocalFree(argv);
    std::vector<std::string> ours;
    for (const platform::Argument& a : platform::SplitCommandLine(line)) ours.push_back(a.text);
    EXPECT_EQ(ours, real) << line;
  }
  FreeLibrary(shell);
}
#endif

}  // namespace
}  // namespace nqtest
