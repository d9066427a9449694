// A task's program and arguments (split at the first line break) over arbitrary bytes: reading
// them never fails, what a repair keeps of a browser's arguments has nothing planted left in it,
// and every planted argument stood in the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "browsers/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = bytes.find('\n');
  const std::string_view program = bytes.substr(0, cut);
  const std::string_view arguments = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);

  nq::TCommandVerdict verdict;
  if (nq::JudgeCommand(program, arguments, &verdict) && (verdict.browser.empty() || verdict.starts.empty())) {
    __builtin_trap();
  }
  const nq::TPlantedArguments planted = nq::FindPlantedArguments(bytes);
  for (const std::string& p : planted.planted) {
    if (p != "DisableLoadExtensionCommandLineSwitch" && bytes.find(p) == std::string_view::npos) __builtin_trap();
  }
  if (!nq::FindPlantedArguments(planted.kept).planted.empty()) __builtin_trap();
  std::string script;
  if (nq::DecodeEncodedCommand(bytes, &script) && script.empty()) __builtin_trap();
  return 0;
}
