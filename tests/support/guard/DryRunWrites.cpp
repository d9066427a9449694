// Linked into every test program: a write that reaches a back end during a dry run fails the test
// that made it, wherever it happens. The program itself only refuses such a write.
#include <gtest/gtest.h>

#include "services/Changes.h"

namespace {

void FailDryRunWrite(const char* call) { ADD_FAILURE() << "a dry run reached " << call; }

class DryRunWritesFail : public ::testing::Environment {
 public:
  void SetUp() override { nq::SetDryRunWriteHandler(&FailDryRunWrite); }
  void TearDown() override { nq::SetDryRunWriteHandler(nullptr); }
};

[[maybe_unused]] ::testing::Environment* const kInstalled = ::testing::AddGlobalTestEnvironment(new DryRunWritesFail);

}  // namespace
