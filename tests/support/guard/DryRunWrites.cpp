// Linked into every test program: a write that reaches a back end during a dry run fails the test
// that made it, wherever it happens. The program itself only refuses such a write.
//
// Under Wine the C runtime buffers what goes to a pipe whole: a test program that ends abruptly
// would take everything it printed with it, and its ctest entry would fail without a word. So
// nothing is held back.
#include <gtest/gtest.h>

#include <cstdio>

#include "services/Changes.h"

namespace {

void FailDryRunWrite(const char* call) { ADD_FAILURE() << "a dry run reached " << call; }

class DryRunWritesFail : public ::testing::Environment {
 public:
  void SetUp() override { nq::SetDryRunWriteHandler(&FailDryRunWrite); }
  void TearDown() override { nq::SetDryRunWriteHandler(nullptr); }
};

#ifdef _WIN32
[[maybe_unused]] const bool kUnbuffered = [] {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  return true;
}();
#endif

[[maybe_unused]] ::testing::Environment* const kInstalled = ::testing::AddGlobalTestEnvironment(new DryRunWritesFail);

}  // namespace
