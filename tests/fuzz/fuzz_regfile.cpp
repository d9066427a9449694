// The REGEDIT4 reader over arbitrary text: it must either load the file whole or throw
// RegFileError and leave the registry as it was; a loaded file dumps without trouble.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/RegFile.h"
#include "platform/sim/SimRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  platform::SimRegistry sim;
  platform::RegKey key = 0;
  sim.CreateKeyEx(platform::kHkeyCurrentUser, "Before", platform::kKeyAllAccess, &key);
  sim.CloseKey(key);
  const std::string before = platform::DumpRegText(sim, platform::kHkeyCurrentUser);
  try {
    platform::LoadRegText(sim, text);
  } catch (const platform::RegFileError&) {
    // Nothing half-loaded.
    if (platform::DumpRegText(sim, platform::kHkeyCurrentUser) != before) __builtin_trap();
    return 0;
  }
  for (platform::RegKey root : {platform::kHkeyClassesRoot, platform::kHkeyCurrentUser, platform::kHkeyLocalMachine}) {
    // A loaded tree reads back and dumps again as the same text.
    const std::string dump = platform::DumpRegText(sim, root);
    platform::SimRegistry again;
    platform::LoadRegText(again, dump);
    if (platform::DumpRegText(again, root) != dump) __builtin_trap();
  }
  return 0;
}
