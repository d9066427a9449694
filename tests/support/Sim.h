// Test fixtures that put the program on the substitutes, so nothing touches the real registry.
#pragma once

#include <gtest/gtest.h>

#include "platform/sim/SimRegistry.h"
#include "tests/support/Installed.h"

namespace nqtest {

// Installs a fresh in-memory registry for the test and removes it afterwards.
class SimRegistryTest : public ::testing::Test {
 protected:
  platform::SimRegistry reg_;

 private:
  Installed<platform::IRegistry> installed_{reg_};
};

}  // namespace nqtest
