// Reading a browser's arguments and a task's command: what a hijacker plants, what stays, and
// PowerShell's encoded commands, on the shapes seen in the wild and on hostile text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browsers/CommandLine.h"
#include "tests/support/Links.h"

namespace nqtest {
namespace {

using nq::FindPlantedArguments;
using nq::JudgeCommand;
using nq::TCommandVerdict;

TEST(CommandLine, PlantedArgumentsGoAndTheRestStaysAsWritten) {
  struct Case {
    std::string arguments;
    std::vector<std::string> planted;
    std::string kept;
  } cases[] = {
      {"https://search.example/?q=", {"https://search.example/?q="}, ""},
      {R"(--profile-directory="Profile 1" https://search.example/)", {"https://search.example/"},
       R"(--profile-directory="Profile 1")"},
      {R"(--load-extension="C:\Users\u\AppData\Local\chrome" --profile-directory="Profile 1")",
       {R"(--load-extension="C:\Users\u\AppData\Local\chrome")"}, R"(--profile-directory="Profile 1")"},
      {"--disable-features=DisableLoadExtensionCommandLineSwitch --load-extension=C:\\x --restore-last-session",
       {"DisableLoadExtensionCommandLineSwitch", "--load-extension=C:\\x"}, "--restore-last-session"},
      {"--disable-features=Foo,DisableLoadExtensionCommandLineSwitch,Bar", {"DisableLoadExtensionCommandLineSwitch"},
       "--disable-features=Foo,Bar"},
      {"www.search.example --new-window", {"www.search.example"}, "--new-window"},
      {"-url http://search.example -private", {"-url", "http://search.example"}, "-private"},
      // A switch that took the address as its value goes with it; Chromium's --new-window took none.
      {"-new-tab https://search.example/ -private", {"-new-tab", "https://search.example/"}, "-private"},
      {"-private-window https://search.example/", {"-private-window", "https://search.example/"}, ""},
      {"--new-window https://search.example/", {"https://search.example/"}, "--new-window"},
      {"--load-extension C:\\ext --incognito", {"--load-extension C:\\ext"}, "--incognito"},
      // What a user sets up is left alone: an installed web app, a proxy, a profile.
      {"--app=https://mail.example/ --profile-directory=Default", {}, "--app=https://mail.example/ --profile-directory=Default"},
      {"--disable-features=Foo", {}, "--disable-features=Foo"},
      {"", {}, ""},
  };
  for (const Case& c : cases) {
    const nq::TPlantedArguments got = FindPlantedArguments(c.arguments);
    EXPECT_EQ(got.planted, c.planted) << c.arguments;
    EXPECT_EQ(got.kept, c.kept) << c.arguments;
  }
}

TEST(CommandLine, BrowsersAreKnownByTheirProgramFile) {
  EXPECT_EQ(nq::BrowserOfProgram(R"("C:\Program Files (x86)\Microsoft\Edge\Application\msedge.exe")"), "Edge");
  EXPECT_EQ(nq::BrowserOfProgram(R"(C:\Program Files\Google\Chrome\Application\CHROME.EXE)"), "Chrome");
  EXPECT_EQ(nq::BrowserOfProgram("brave"), "Brave");
  EXPECT_EQ(nq::BrowserOfProgram(R"(C:\Program Files\Internet Explorer\iexplore.exe)"), "Internet Explorer");
  EXPECT_EQ(nq::BrowserOfProgram(R"(C:\Program Files\Google\Chrome\chrome_proxy.exe)"), "");
  EXPECT_EQ(nq::BrowserOfProgram(R"(C:\Tools\chrome.exe.bak)"), "");
  // Opera is started through its launcher; another program's launcher is not Opera.
  EXPECT_EQ(nq::BrowserOfProgram(R"("C:\Users\u\AppData\Local\Programs\Opera GX\launcher.exe")"), "Opera");
  EXPECT_EQ(nq::BrowserOfProgram(R"(C:\Users\u\AppData\Local\Programs\Opera\Launcher.exe)"), "Opera");
  EXPECT_EQ(nq::BrowserOfProgram(R"(C:\Games\Launcher\launcher.exe)"), "");
  EXPECT_EQ(nq::BrowserOfProgram("launcher.exe"), "");
}

TEST(CommandLine, EncodedCommandsDecodeAsPowerShellRunsThem) {
  std::string script;
  ASSERT_TRUE(nq::DecodeEncodedCommand(EncodeCommand("start chrome; Write-Host 'Привет'"), &script));
  EXPECT_EQ(script, "start chrome; Write-Host 'Привет'");
  ASSERT_TRUE(nq::DecodeEncodedCommand("YQBi\r\nAGMA", &script));  // line breaks are passed over
  EXPECT_EQ(script, "abc");
  // What is not UTF-16 still runs: PowerShell takes a lone surrogate as U+FFFD and drops an odd
  // trailing byte, and a NUL is a character like any other.
  const struct {
    const char* base64;
    std::string script;
  } lossy[] = {
      {"YQAA2GIA", "a\xEF\xBF\xBD" "b"},  // a, a lone high surrogate, b
      {"ANw=", "\xEF\xBF\xBD"},          // a lone low surrogate
      {"YWJj", "\xE6\x89\xA1"},          // "abc": U+6261, and "c" dropped
      {"YQAAAGIA", std::string("a\0b", 3)},
  };
  for (const auto& c : lossy) {
    ASSERT_TRUE(nq::DecodeEncodedCommand(c.base64, &script)) << c.base64;
    EXPECT_EQ(script, c.script) << c.base64;
  }
  const char* bad[] = {
      "not base64!",   // a character outside the alphabet
      "YQBiAA==YQ==",  // data after the padding
      "YQBiAA",        // unpadded: PowerShell refuses it
      "YQ==",          // one byte: nothing once it is dropped
      "",              // nothing
  };
  for (const char* text : bad) {
    script = "untouched";
    EXPECT_FALSE(nq::DecodeEncodedCommand(text, &script)) << text;
    EXPECT_EQ(script, "untouched") << text;
  }
}

TEST(CommandLine, TaskCommandsThatStartABrowserWithPlantedArguments) {
  const std::string loader = R"(start chrome --load-extension="$env:LOCALAPPDATA\chrome" --restore-last-session)";
  struct Case {
    std::string program, arguments;
    bool hijack;
    std::string browser, starts;
    bool decoded;
  } cases[] = {
      // The published loader: cmd /c start /min "" powershell ... -E <base64>.
      {"cmd.exe", "/c start /min \"\" powershell -ExecutionPolicy Bypass -WindowStyle Hidden -E " + EncodeCommand(loader),
       true, "Chrome", loader, true},
      {R"(C:\Windows\System32\WindowsPowerShell\v1.0\powershell.exe)",
       "-NoProfile -EncodedCommand " + EncodeCommand("$a=1\r\nStart-Process msedge.exe -ArgumentList 'https://search.example/'"),
       true, "Edge", "Start-Process msedge.exe -ArgumentList 'https://search.example/'", true},
      {"pwsh", "-enc " + EncodeCommand("& 'C:\\Program Files\\BraveSoftware\\Brave-Browser\\Application\\brave.exe' "
                                       "--disable-features=DisableLoadExtensionCommandLineSwitch"),
       true, "Brave",
       "& 'C:\\Program Files\\BraveSoftware\\Brave-Browser\\Application\\brave.exe' "
       "--disable-features=DisableLoadExtensionCommandLineSwitch",
       true},
      {"powershell", "-WindowStyle Hidden -Command \"start chrome www.search.example\"", true, "Chrome",
       "-WindowStyle Hidden -Command \"start chrome www.search.example\"", false},
      {R"(C:\Program Files\Google\Chrome\Application\chrome.exe)", "--profile-directory=Default https://search.example/",
       true, "Chrome", "https://search.example/", false},
      {"cmd", "/c \"start \"\" /d C:\\ msedge --load-extension=C:\\x\"", true, "Edge", "--load-extension=C:\\x", false},
      // start's window title, then the browser by its quoted path; cmd /k runs it as /c does.
      {"cmd.exe", R"(/c start "" "C:\Program Files\Google\Chrome\Application\chrome.exe" https://search.example/)", true,
       "Chrome", "https://search.example/", false},
      {"cmd.exe", "/k start msedge https://search.example/", true, "Edge", "https://search.example/", false},
      // An address hidden behind "" inside quotes, which Chromium still opens.
      {R"(C:\Program Files\Google\Chrome\Application\chrome.exe)",
       R"("--profile-directory=Default"" https://search.example/")", true, "Chrome", R"(https://search.example/")", false},
      // A loader whose encoded command ends in one stray byte: PowerShell drops it and runs the rest.
      {"powershell", "-E cwB0AGEAcgB0ACAAYwBoAHIAbwBtAGUAIABoAHQAdABwAHMAOgAvAC8AcwBlAGEAcgBjAGgALgBlAHgAYQBtAHAAbABlAC8AQQ==",
       true, "Chrome", "start chrome https://search.example/", true},
      // What starts a browser plainly, or no browser at all, is not a hijack.
      {R"(C:\Program Files\Google\Chrome\Application\chrome.exe)", "--profile-directory=Default", false, "", "", false},
      {"cmd.exe", R"(/c robocopy C:\Users\u\Documents D:\Backup /MIR)", false, "", "", false},
      {"powershell", "-File C:\\Scripts\\backup.ps1", false, "", "", false},
      {"powershell", "-E " + EncodeCommand("$chrome = 'installed'; Write-Host https://example.com"), false, "", "", false},
      // Encoded commands that PowerShell could not run either.
      {"powershell", "-E not*base64", false, "", "", false},
      {"powershell", "-E YWJj", false, "", "", false},
      {"cmd", "/c", false, "", "", false},
  };
  for (const Case& c : cases) {
    TCommandVerdict verdict;
    ASSERT_EQ(JudgeCommand(c.program, c.arguments, &verdict), c.hijack) << c.program << " " << c.arguments;
    if (!c.hijack) continue;
    EXPECT_EQ(verdict.browser, c.browser) << c.arguments;
    EXPECT_EQ(verdict.starts, c.starts) << c.arguments;
    EXPECT_EQ(verdict.decoded, c.decoded) << c.arguments;
  }
}

TEST(CommandLine, LongAndHostileTextsGiveAClearAnswer) {
  // 32,000 characters: the most a command line holds.
  const std::string address = "https://search.example/?q=" + std::string(32000 - 26, 'a');
  const nq::TPlantedArguments planted = FindPlantedArguments("--profile-directory=Default " + address);
  EXPECT_EQ(planted.planted, std::vector<std::string>{address});
  EXPECT_EQ(planted.kept, "--profile-directory=Default");
  EXPECT_EQ(FindPlantedArguments(std::string(32000, '"')).planted.size(), 0u);
  EXPECT_EQ(FindPlantedArguments(std::string(32000, '\\')).planted.size(), 0u);
  TCommandVerdict verdict;
  EXPECT_FALSE(JudgeCommand("powershell", "-E " + std::string(32000, 'A'), &verdict));  // NULs: not a text
  EXPECT_FALSE(JudgeCommand("cmd", "/c " + std::string(16000, 'x') + " /c cmd /c", &verdict));
  std::string nested = "chrome";
  for (int i = 0; i < 200; ++i) nested = "cmd /c " + nested;
  EXPECT_FALSE(JudgeCommand("cmd", nested.substr(4) + " --load-extension=x", &verdict));  // too deep to follow
  EXPECT_TRUE(JudgeCommand("cmd", "/c cmd /c start chrome --load-extension=x", &verdict));
}

}  // namespace
}  // namespace nqtest
