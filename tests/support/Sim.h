// Test fixtures that put the program on the substitutes, so nothing touches the real registry.
#pragma once

#include <gtest/gtest.h>

#include "platform/sim/SimRegistry.h"

namespace nqtest {

// Installs a fresh in-memory registry for the test and removes it afterwards.
class SimRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = platform::SetRegistry(&reg_); }
  void TearDown() override { platform::SetRegistry(previous_); }

  platform::SimRegistry reg_;

 private:
  platform::IRegistry* previous_ = nullptr;
};

}  // namespace nqtest
