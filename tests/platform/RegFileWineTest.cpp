// The project's REGEDIT4 reader against the system's own importer: the syntax fixture imported
// with regedit and loaded through LoadRegText must give the same registry, and the substitute the
// same again. Windows tier only.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/RegFile.h"
#include "platform/sim/SimRegistry.h"
#include "platform/win32/Win32Registry.h"
#include "tests/support/Registry.h"
#include "tests/support/RegistryOverride.h"

namespace {

using namespace platform;

std::string DumpAll(IRegistry& reg) {
  std::string all;
  for (RegKey root : {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine}) {
    all += DumpRegText(reg, root, "", RegValueOrder::kByName);
  }
  return all;
}

TEST(RegFileAgainstRegedit, BothImportTheSameTree) {
  std::ifstream in(nqtest::FixturePath("regfile-syntax.reg"), std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(text.empty());
  std::string byRegedit, byReader;
  {
    nqtest::RegistryOverride sandbox;
    sandbox.ImportWithRegedit(text);
    Win32Registry reg;
    byRegedit = DumpAll(reg);
  }
  {
    nqtest::RegistryOverride sandbox;
    Win32Registry reg;
    LoadRegText(reg, text);
    byReader = DumpAll(reg);
  }
  SimRegistry sim;
  LoadRegText(sim, text);
  EXPECT_NE(byRegedit.find("Norvane Syntax"), std::string::npos) << "regedit imported nothing";
  // regedit ends a string kind given in hex with a NUL when it has none; the reader keeps the bytes
  // as written, which is what a fixture of such a value needs.
  std::string expected = byReader;
  const std::string unterminated = "\"Text without NUL\"=hex(1):61,62,63\n";
  const std::size_t at = expected.find(unterminated);
  ASSERT_NE(at, std::string::npos);
  expected.replace(at, unterminated.size(), "\"Text without NUL\"=\"abc\"\n");
  EXPECT_EQ(expected, byRegedit);
  EXPECT_EQ(DumpAll(sim), byReader);
}

}  // namespace

#endif  // _WIN32
