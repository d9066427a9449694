#include "services/MainFunc.h"
#include "tests/support/Sim.h"

namespace {

using namespace nq;
using nqtest::SimRegistryTest;

TEST_F(SimRegistryTest, WriteReadListDelete) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\Test\\Sub", true));
  reg.WriteString("b", "two");
  reg.WriteString("A", "one");
  reg.CloseKey();
  EXPECT_EQ(ReadStringValue(kHkeyCurrentUser, "\\SOFTWARE\\test\\sub", "a"), "one");
  TStrings names{"stale"};
  EXPECT_TRUE(ListValueNames(kHkeyCurrentUser, "\\Software\\Test\\Sub", names));
  EXPECT_EQ(names, (TStrings{"b", "A"}));
  EXPECT_TRUE(DeleteRegistryKey(kHkeyCurrentUser, "\\Software\\Test"));
  EXPECT_FALSE(ListSubkeys(kHkeyCurrentUser, "\\Software\\Test", names));
  EXPECT_EQ(reg_.OpenHandleCount(), 0u);
}

}  // namespace
