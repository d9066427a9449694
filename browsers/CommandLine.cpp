#include "browsers/CommandLine.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "platform/commandline.h"
#include "platform/text.h"

namespace nq {
namespace {

using platform::EqualNoCase;
using platform::StartsNoCase;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

struct TBrowserName {
  const char* stem;
  const char* name;
};
constexpr std::array<TBrowserName, 7> kBrowsers{{{"msedge", "Edge"},
                                                 {"chrome", "Chrome"},
                                                 {"brave", "Brave"},
                                                 {"firefox", "Firefox"},
                                                 {"iexplore", "Internet Explorer"},
                                                 {"opera", "Opera"},
                                                 {"vivaldi", "Vivaldi"}}};

// The file name of a program path without quotes and without ".exe", in small letters.
std::string ProgramStem(std::string_view program) {
  program = Trimmed(program);
  while (!program.empty() && program.front() == '"') program.remove_prefix(1);
  while (!program.empty() && program.back() == '"') program.remove_suffix(1);
  const std::size_t slash = program.find_last_of("\\/");
  if (slash != std::string_view::npos) program.remove_prefix(slash + 1);
  std::string stem = platform::Folded(program);
  if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".exe") == 0) stem.resize(stem.size() - 4);
  return stem;
}

// Firefox's switches that take the address after them as their value ("-new-tab https://...").
// Chromium's --new-window takes none: the address after it is an argument of its own.
bool TakesAddress(const std::string& name) {
  for (const char* s : {"-url", "--url", "-new-tab", "--new-tab", "-new-window", "-private-window", "--private-window"}) {
    if (name == s) return true;
  }
  return false;
}

// "https://...", "file:///...", "www....": an address the browser opens as a page.
bool IsAddress(std::string_view text) {
  if (StartsNoCase(text, "www.")) return true;
  std::size_t i = 0;
  if (text.empty() || platform::FoldedLetter(text[0]) < 'a' || platform::FoldedLetter(text[0]) > 'z') return false;
  while (i < text.size() && (IsAlnum(text[i]) || text[i] == '+' || text[i] == '-' || text[i] == '.')) ++i;
  return i >= 2 && text.substr(i, 3) == "://";
}

constexpr std::string_view kLoadExtension = "--load-extension";
constexpr std::string_view kDisableFeatures = "--disable-features=";
constexpr std::string_view kLoadExtensionFeature = "DisableLoadExtensionCommandLineSwitch";

// An argument as the raw text that gives it back: quoted when it holds a blank or a quote.
std::string Quoted(const std::string& text) {
  if (!text.empty() && text.find_first_of(" \t\"") == std::string::npos) return text;
  std::string out = "\"";
  std::size_t slashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++slashes;
    } else {
      if (c == '"') out.append(slashes + 1, '\\');
      slashes = 0;
    }
    out += c;
  }
  out.append(slashes, '\\');
  return out + "\"";
}

// --disable-features=A,DisableLoadExtensionCommandLineSwitch,B without the planted feature:
// the argument that stays ("" when none does), or false when the feature is not in it.
bool WithoutPlantedFeature(const std::string& argument, std::string* rest) {
  if (!StartsNoCase(argument, kDisableFeatures)) return false;
  std::string_view list(argument);
  list.remove_prefix(kDisableFeatures.size());
  std::string kept;
  bool found = false;
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    if (EqualNoCase(Trimmed(item), kLoadExtensionFeature)) {
      found = true;
    } else if (!item.empty()) {
      kept.append(kept.empty() ? "" : ",").append(item);
    }
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  if (!found) return false;
  *rest = kept.empty() ? std::string() : std::string(argument, 0, kDisableFeatures.size()) + kept;
  return true;
}

bool IsLoadExtension(const std::string& text) {
  return EqualNoCase(text, kLoadExtension) || StartsNoCase(text, std::string(kLoadExtension) + "=");
}

bool IsSwitch(const std::string& text) { return !text.empty() && (text[0] == '-' || text[0] == '/'); }

// A PowerShell parameter name ("-EncodedCommand", "/enc", "--c"), in small letters without its
// dashes; empty for an argument that is not one.
std::string ParameterName(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && i < 2 && (text[i] == '-' || text[i] == '/')) ++i;
  return i == 0 ? std::string() : platform::Folded(std::string_view(text).substr(i));
}

bool IsEncodedCommandName(const std::string& name) {
  // PowerShell takes any start of a parameter's name, and "-e" and "-ec" for this one.
  return name == "e" || name == "ec" || (name.size() >= 2 && std::string_view("encodedcommand").substr(0, name.size()) == name);
}

bool IsCommandName(const std::string& name) {
  return !name.empty() && std::string_view("command").substr(0, name.size()) == name;
}

std::string_view RestAfter(std::string_view line, const platform::Argument& argument) {
  return Trimmed(line.substr(std::min(argument.end, line.size())));
}

// cmd's part after /c or /k, and after start's own switches and window title: the program it
// starts and that program's arguments. False when there is none.
bool UnwrapCmd(std::string_view arguments, std::string* program, std::string* rest) {
  const std::vector<platform::Argument> args = platform::SplitCommandLine(arguments);
  std::size_t at = 0;
  while (at < args.size() && !EqualNoCase(args[at].text, "/c") && !EqualNoCase(args[at].text, "/k")) ++at;
  if (at >= args.size()) return false;
  std::string_view command = RestAfter(arguments, args[at]);
  // cmd drops one pair of quotes around the whole command.
  if (command.size() >= 2 && command.front() == '"' && command.back() == '"') {
    command = Trimmed(command.substr(1, command.size() - 2));
  }
  const std::vector<platform::Argument> parts = platform::SplitCommandLine(command);
  std::size_t i = 0;
  if (!parts.empty() && EqualNoCase(parts[0].text, "start")) {
    bool titleTaken = false;
    for (i = 1; i < parts.size(); ++i) {
      if (!titleTaken && command[parts[i].begin] == '"') {
        titleTaken = true;  // start takes its first quoted argument for the window's title
      } else if (EqualNoCase(parts[i].text, "/d")) {
        ++i;
      } else if (!(parts[i].text.size() > 1 && parts[i].text[0] == '/')) {
        break;
      }
    }
  }
  if (i >= parts.size()) return false;
  *program = parts[i].text;
  *rest = std::string(RestAfter(command, parts[i]));
  return true;
}

bool JudgePowerShell(std::string_view arguments, TCommandVerdict* verdict) {
  const std::vector<platform::Argument> args = platform::SplitCommandLine(arguments);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string name = ParameterName(args[i].text);
    if (IsEncodedCommandName(name) && i + 1 < args.size()) {
      std::string script;
      if (DecodeEncodedCommand(args[i + 1].text, &script) &&
          FindBrowserStartInScript(script, &verdict->starts, &verdict->browser)) {
        verdict->decoded = true;
        return true;
      }
    } else if (IsCommandName(name)) {
      break;  // the rest of the line is the script, read below
    }
  }
  // A plain script text: the whole line is read, so a browser start after -Command is found too.
  return FindBrowserStartInScript(arguments, &verdict->starts, &verdict->browser);
}

int Base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The browser named at `at` in a script ("chrome", "chrome.exe", "msedge"), as a whole word.
const char* BrowserWordAt(std::string_view text, std::size_t at) {
  if (at > 0 && IsAlnum(text[at - 1])) return nullptr;
  for (const TBrowserName& browser : kBrowsers) {
    const std::string_view stem = browser.stem;
    if (!StartsNoCase(text.substr(at), stem)) continue;
    const std::size_t after = at + stem.size();
    if (after == text.size() || !IsAlnum(text[after])) return browser.name;
  }
  return nullptr;
}

// Whether a script's text after a browser's name plants something: an address or the switches.
bool PlantsSomething(std::string_view text) {
  const std::string lowered = platform::Folded(text);
  if (lowered.find(kLoadExtension) != std::string::npos ||
      lowered.find(platform::Folded(kLoadExtensionFeature)) != std::string::npos) {
    return true;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    // An address starts a word: after a blank, a quote, '=' or '('.
    if ((i == 0 || std::string_view(" \t\"'=(,").find(text[i - 1]) != std::string_view::npos) && IsAddress(text.substr(i))) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string BrowserOfProgram(std::string_view program) {
  const std::string stem = ProgramStem(program);
  // Opera's shortcuts start it through its "launcher.exe"; a launcher in any other folder is not it.
  if (stem == "launcher") {
    std::string folder = platform::Folded(program);
    while (!folder.empty() && folder.back() == '"') folder.pop_back();
    const std::size_t slash = folder.find_last_of("\\/");
    folder.resize(slash == std::string::npos ? 0 : slash);
    const std::size_t parent = folder.find_last_of("\\/");
    if (slash != std::string::npos && folder.compare(parent == std::string::npos ? 0 : parent + 1, 5, "opera") == 0) return "Opera";
  }
  for (const TBrowserName& browser : kBrowsers) {
    if (stem == browser.stem) return browser.name;
  }
  return std::string();
}

TPlantedArguments FindPlantedArguments(std::string_view arguments) {
  TPlantedArguments result;
  const std::vector<platform::Argument> args = platform::SplitCommandLine(arguments);
  auto keep = [&](std::string_view raw) { result.kept.append(result.kept.empty() ? "" : " ").append(raw); };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& text = args[i].text;
    const std::string_view raw = arguments.substr(args[i].begin, args[i].end - args[i].begin);
    std::string rest;
    const std::string name = platform::Folded(text);
    if (TakesAddress(name) && i + 1 < args.size() && IsAddress(args[i + 1].text)) {
      // Firefox's "-url address", "-new-tab address", ...: the switch goes with the address it took.
      result.planted.emplace_back(raw);
      ++i;
      result.planted.emplace_back(arguments.substr(args[i].begin, args[i].end - args[i].begin));
    } else if ((!IsSwitch(text) && IsAddress(text)) || IsLoadExtension(text)) {
      result.planted.emplace_back(raw);
      // "--load-extension path" is read by no browser, but the path goes with the switch.
      if (name == kLoadExtension && i + 1 < args.size() && !IsSwitch(args[i + 1].text)) {
        result.planted.back() = arguments.substr(args[i].begin, args[i + 1].end - args[i].begin);
        ++i;
      }
    } else if (WithoutPlantedFeature(text, &rest)) {
      result.planted.emplace_back(kLoadExtensionFeature);
      if (!rest.empty()) keep(Quoted(rest));
    } else {
      keep(raw);
    }
  }
  return result;
}

bool OpensAsKiosk(std::string_view arguments) {
  const std::vector<platform::Argument> args = platform::SplitCommandLine(arguments);
  return std::any_of(args.begin(), args.end(), [](const platform::Argument& a) {
    // Chromium reads switch names without regard to case on Windows.
    const std::string name = platform::Folded(a.text);
    return name == "--kiosk" || name == "-kiosk";
  });
}

bool DecodeEncodedCommand(std::string_view base64, std::string* script) {
  std::string bytes;
  std::uint32_t bits = 0;
  int count = 0, padding = 0;
  for (char c : base64) {
    if (IsSpace(c)) continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    const int digit = Base64Digit(c);
    if (digit < 0 || padding > 0) return false;  // not base64, or data after the padding
    bits = (bits << 6) | static_cast<std::uint32_t>(digit);
    if (++count % 4 == 0) {
      bytes += static_cast<char>((bits >> 16) & 0xFF);
      bytes += static_cast<char>((bits >> 8) & 0xFF);
      bytes += static_cast<char>(bits & 0xFF);
      bits = 0;
    }
  }
  const int tail = count % 4;
  // PowerShell's decoder wants whole groups of four, padded.
  if (padding > 2 || (count + padding) % 4 != 0) return false;
  if (tail == 2) bytes += static_cast<char>((bits >> 4) & 0xFF);
  if (tail == 3) {
    bytes += static_cast<char>((bits >> 10) & 0xFF);
    bytes += static_cast<char>((bits >> 2) & 0xFF);
  }
  // Decoded as .NET decodes UTF-16 for PowerShell, which runs whatever comes out: a trailing odd
  // byte is dropped and a code unit that is no character becomes U+FFFD.
  bytes.resize(bytes.size() - bytes.size() % 2);
  if (bytes.empty()) return false;
  const auto unitAt = [&bytes](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at])) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 8);
  };
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    std::uint32_t unit = unitAt(i);
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const std::uint32_t next = i + 3 < bytes.size() ? unitAt(i + 2) : 0;
    if (high && next >= 0xDC00 && next <= 0xDFFF) {
      unit = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
      i += 2;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      unit = 0xFFFD;
    }
    AppendUtf8(text, unit);
  }
  *script = std::move(text);
  return true;
}

bool FindBrowserStartInScript(std::string_view script, std::string* statement, std::string* browser) {
  std::size_t start = 0;
  while (start <= script.size()) {
    std::size_t end = script.find_first_of(";\r\n|", start);
    if (end == std::string_view::npos) end = script.size();
    const std::string_view part = script.substr(start, end - start);
    for (std::size_t i = 0; i < part.size(); ++i) {
      const char* name = BrowserWordAt(part, i);
      if (name == nullptr) continue;
      if (PlantsSomething(part.substr(i))) {
        *statement = std::string(Trimmed(part));
        *browser = name;
        return true;
      }
      break;  // the first browser named in a statement is the one it starts
    }
    start = end + 1;
  }
  return false;
}

bool JudgeCommand(std::string_view program, std::string_view arguments, TCommandVerdict* verdict) {
  std::string currentProgram(program), currentArguments(arguments);
  // cmd /c cmd /c ... nests only so deep before the text runs out; the bound keeps it short.
  for (int depth = 0; depth < 8; ++depth) {
    const std::string stem = ProgramStem(currentProgram);
    const std::string browser = BrowserOfProgram(currentProgram);
    if (!browser.empty()) {
      const TPlantedArguments planted = FindPlantedArguments(currentArguments);
      if (planted.planted.empty()) return false;
      TCommandVerdict found{browser, std::string(), false, OpensAsKiosk(currentArguments)};
      for (const std::string& p : planted.planted) found.starts.append(found.starts.empty() ? "" : " ").append(p);
      *verdict = std::move(found);
      return true;
    }
    if (stem == "powershell" || stem == "pwsh") {
      TCommandVerdict found;
      if (!JudgePowerShell(currentArguments, &found)) return false;
      found.kiosk = OpensAsKiosk(found.starts);
      *verdict = std::move(found);
      return true;
    }
    if (stem != "cmd") return false;
    std::string next, rest;
    if (!UnwrapCmd(currentArguments, &next, &rest)) return false;
    currentProgram = std::move(next);
    currentArguments = std::move(rest);
  }
  return false;
}

}  // namespace nq
