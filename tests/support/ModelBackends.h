// The back ends the model test runs against.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/sim/SimRegistry.h"
#ifdef _WIN32
#include "platform/win32/Win32Registry.h"
#include "tests/support/RegistryOverride.h"
#endif

namespace nqtest {

struct BackendInstance {
  platform::IRegistry* registry = nullptr;
  platform::RegKey root = 0;      // the key the sequences work under
  std::function<void()> reset;    // empties that key
  std::shared_ptr<void> keepAlive;
};

struct Backend {
  std::string name;
  bool valuesInCreationOrder = true;
  int sequences = 50;
  std::function<std::unique_ptr<BackendInstance>()> make;  // null instance: skip
  std::string skipReason;
};

inline std::vector<Backend> ModelBackends() {
  std::vector<Backend> backends;
  backends.push_back({"Sim", true, 200, [] {
                        auto sim = std::make_shared<platform::SimRegistry>();
                        auto b = std::make_unique<BackendInstance>();
                        b->registry = sim.get();
                        b->root = platform::kHkeyCurrentUser;
                        b->reset = [s = sim.get()] { s->Clear(); };
                        b->keepAlive = sim;
                        return b;
                      },
                      ""});
#ifdef _WIN32
  // The real registry, with the current user's hive redirected into a scratch key; each sequence
  // starts from an empty "Model" key under it.
  backends.push_back({"Win32", !RunningUnderWine(), 6, [] {
                        auto override = std::make_shared<RegistryOverride>();
                        auto win32 = std::make_shared<platform::Win32Registry>();
                        auto b = std::make_unique<BackendInstance>();
                        b->registry = win32.get();
                        platform::RegKey model = 0;
                        win32->CreateKeyEx(platform::kHkeyCurrentUser, "Model", platform::kKeyAllAccess, &model);
                        b->root = model;
                        b->reset = [w = win32.get(), model] {
                          // Deepest keys first, as RegDeleteKey takes only childless keys.
                          std::function<void(platform::RegKey)> empty = [&](platform::RegKey key) {
                            char name[256];
                            for (;;) {
                              std::uint32_t length = sizeof name;
                              if (w->EnumKeyEx(key, 0, name, &length) != platform::kErrorSuccess) break;
                              platform::RegKey child = 0;
                              if (w->OpenKeyEx(key, name, platform::kKeyAllAccess, &child) == platform::kErrorSuccess) {
                                empty(child);
                                w->CloseKey(child);
                              }
                              if (w->DeleteKeyEx(key, name, 0) != platform::kErrorSuccess) break;
                            }
                            for (;;) {
                              std::uint32_t length = sizeof name;
                              if (w->EnumValue(key, 0, name, &length) != platform::kErrorSuccess) break;
                              if (w->DeleteValue(key, name) != platform::kErrorSuccess) break;
                            }
                          };
                          empty(model);
                        };
                        b->keepAlive = std::shared_ptr<void>(nullptr, [override, win32, model](void*) {
                          win32->CloseKey(model);
                        });
                        return b;
                      },
                      ""});
#endif
  return backends;
}

}  // namespace nqtest
