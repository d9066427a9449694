// The back ends the model test runs against.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/sim/SimRegistry.h"

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
  return backends;
}

}  // namespace nqtest
