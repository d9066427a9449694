#include "platform/registry.h"

#include "platform/sim/SimRegistry.h"

namespace platform {
namespace {

IRegistry*& Installed() {
  static IRegistry* installed = nullptr;
  return installed;
}

}  // namespace

IRegistry& Registry() {
  IRegistry*& installed = Installed();
  if (installed == nullptr) {
    // Nothing installed yet (a test that forgot to): an empty substitute, never the real one.
    static SimRegistry fallback;
    installed = &fallback;
  }
  return *installed;
}

IRegistry* SetRegistry(IRegistry* registry) {
  IRegistry* previous = Installed();
  Installed() = registry;
  return previous;
}

}  // namespace platform
