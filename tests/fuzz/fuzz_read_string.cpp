// TRegistry::ReadString over arbitrary kinds and data: it must give text or raise
// ERegistryException, and never read beyond the data.
#include <cstddef>
#include <cstdint>

#include "platform/sim/SimRegistry.h"
#include "services/Registry.h"
#include "tests/support/Installed.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  platform::SimRegistry sim;
  nqtest::Installed installed(sim);
  platform::RegKey key = 0;
  sim.CreateKeyEx(platform::kHkeyCurrentUser, "Fuzz", platform::kKeyAllAccess, &key);
  // The first byte picks the kind; the rest is the value's data, in a buffer of exactly its size.
  const std::uint32_t kind = data[0] % 12;
  std::vector<std::uint8_t> bytes(data + 1, data + size);
  sim.SetValueEx(key, "v", kind, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  sim.CloseKey(key);
  {
    nq::TRegistry reg;
    if (reg.OpenKey("\\Fuzz", false)) {
      try {
        const std::string text = reg.ReadString("v");
        if (text.size() > bytes.size()) __builtin_trap();
      } catch (const nq::ERegistryException&) {
      }
    }
  }
  return 0;
}
