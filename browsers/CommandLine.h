// Reading the command lines that start a browser: a shortcut's arguments, a scheduled task's
// program and arguments, and the PowerShell that a task hides a browser start in. Pure functions
// on text, so the hostile inputs they meet (any length, any bytes) are tested and fuzzed alone.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nq {

// The browser a program starts, by the file name of its path ("C:\...\chrome.exe" or "chrome"):
// "Edge", "Chrome", "Brave", "Firefox", "Internet Explorer", "Opera", "Vivaldi"; empty for others.
std::string BrowserOfProgram(std::string_view program);

// A browser's arguments split into what a hijacker plants (an address to open, --load-extension,
// the feature that lets newer builds obey it, each as it stood) and the rest, kept as written.
struct TPlantedArguments {
  std::vector<std::string> planted;
  std::string kept;
};
TPlantedArguments FindPlantedArguments(std::string_view arguments);

// Whether the arguments start the browser as a kiosk (--kiosk, or Firefox's -kiosk): a kiosk opens
// its page on purpose, so what it opens is shown but not ticked.
bool OpensAsKiosk(std::string_view arguments);

// The text of PowerShell's encoded command: base64 of UTF-16LE, as UTF-8, decoded as PowerShell
// decodes it (a lone surrogate becomes U+FFFD, a trailing odd byte is dropped). False when the text
// is not base64 as PowerShell takes it, or holds nothing.
bool DecodeEncodedCommand(std::string_view base64, std::string* script);

// The statement of a script that starts a browser with an address or one of those switches
// ("start chrome --load-extension=..."), and that browser. False when no statement does.
bool FindBrowserStartInScript(std::string_view script, std::string* statement, std::string* browser);

// What makes a task's action a hijack: the browser it starts and what with, directly or through
// cmd /c (start included) and PowerShell (encoded or plain). False when it starts nothing of
// the kind.
struct TCommandVerdict {
  std::string browser;
  std::string starts;    // the planted arguments, or the script's statement that starts the browser
  bool decoded = false;  // `starts` came from an encoded command
  bool kiosk = false;    // the browser starts as a kiosk
};
bool JudgeCommand(std::string_view program, std::string_view arguments, TCommandVerdict* verdict);

}  // namespace nq
