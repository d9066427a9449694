#include "platform/commandline.h"

#include <utility>

namespace platform {

std::vector<Argument> SplitCommandLine(std::string_view line) {
  // CommandLineToArgvW's rule, which Chromium splits its command line with (not the C runtime's):
  // inside quotes, "" is a quote that also ends the quoted part, so `"a"" b"` is two arguments.
  std::vector<Argument> args;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    Argument arg;
    arg.begin = i;
    int quotes = 0;           // 1 inside quotes; a run of them counts on to 2 (closed) or 3 (a quote)
    std::size_t slashes = 0;  // backslashes just before
    while (i < line.size() && (quotes != 0 || (line[i] != ' ' && line[i] != '\t'))) {
      const char c = line[i++];
      if (c == '\\') {
        arg.text += c;
        ++slashes;
        continue;
      }
      if (c != '"') {
        arg.text += c;
        slashes = 0;
        continue;
      }
      if (slashes % 2 == 0) {
        // 2n backslashes and a quote: n backslashes, and the quote opens or closes.
        arg.text.resize(arg.text.size() - slashes / 2);
        ++quotes;
      } else {
        // 2n+1: n backslashes and a quote.
        arg.text.resize(arg.text.size() - slashes / 2 - 1);
        arg.text += '"';
      }
      slashes = 0;
      for (; i < line.size() && line[i] == '"'; ++i) {
        if (++quotes == 3) {
          arg.text += '"';
          quotes = 0;
        }
      }
      if (quotes == 2) quotes = 0;
    }
    arg.end = i;
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace platform
