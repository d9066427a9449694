// Which startup commands the hijack cleaner takes out, and which it must leave.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>

#include "services/MainFunc.h"
#include "tests/support/KeyPaths.h"
#include "tests/support/RegistryBackends.h"

namespace {

using nqtest::kRun;

using namespace nq;


// Each registry back end: the substitute, and under Windows and Wine the redirected real registry.
class HijackCleanerTest : public nqtest::RegistryBackendTest {
 protected:
  void Set(const std::string& name, std::uint32_t type, const std::string& data) {
    platform::RegKey key = 0;
    ASSERT_EQ(reg().CreateKeyEx(kHkeyCurrentUser, kRun + 1, platform::kKeyAllAccess, &key), platform::kErrorSuccess);
    ASSERT_EQ(reg().SetValueEx(key, name.c_str(), type, reinterpret_cast<const std::uint8_t*>(data.data()),
                              static_cast<std::uint32_t>(data.size())),
              platform::kErrorSuccess);
    reg().CloseKey(key);
  }
  bool Exists(const std::string& name) {
    TRegistry reg;
    return reg.OpenKey(kRun, false) && reg.ValueExists(name);
  }
};

TEST_P(HijackCleanerTest, DeletesByDataOnly) {
  using platform::kRegBinary;
  using platform::kRegDword;
  using platform::kRegExpandSz;
  using platform::kRegMultiSz;
  using platform::kRegSz;
  const std::string z(1, '\0');
  struct Case {
    const char* name;
    std::uint32_t type;
    std::string data;
    bool deleted;
  };
  // Several hijack entries in one key, next to each other and apart: all of them go in one walk.
  const Case cases[] = {
      {"vbs in capitals", kRegSz, "wscript.exe C:\\WINDOWS\\update.VBS" + z, true},
      {"vbe", kRegSz, "wscript C:\\x\\loader.vbe" + z, true},
      {"registry editor", kRegSz, "REGEDIT /s C:\\TEMP\\ie.reg" + z, true},
      {"registry editor, mixed case", kRegSz, "C:\\WINDOWS\\ReGeDiT.exe" + z, true},
      {"ordinary program", kRegSz, "C:\\Program Files\\App\\app.exe" + z, false},
      {"html application", kRegSz, "mshta.exe C:\\WINDOWS\\web\\page.Hta" + z, true},
      {"html application host alone", kRegSz, "C:\\WINDOWS\\system32\\mshta.exe about:blank" + z, false},
      {"hta without its dot", kRegSz, "C:\\hta\\viewer.exe" + z, false},
      {"jscript", kRegSz, "cscript //B C:\\WINDOWS\\x.js" + z, true},
      {"encoded jscript", kRegSz, "wscript C:\\TEMP\\a.JSE" + z, true},
      {"extension that begins with js", kRegSz, "sync.exe /config C:\\sync\\settings.json" + z, true},
      {"js without its dot", kRegSz, "C:\\nodejs\\node.exe server" + z, false},
      {"pattern in the middle", kRegSz, "run.exe --script=C:\\a.vbs --quiet" + z, true},
      {"script.vbs", kRegSz, "C:\\Program Files\\Updater\\updater.exe" + z, false},  // the name is never looked at
      {"expandable text is text", kRegExpandSz, "%SystemRoot%\\sys.vbs" + z, true},
      {"text without its NUL", kRegSz, "C:\\a.vbs", true},
      {"pattern after the NUL", kRegSz, "app.exe" + z + "x.vbs" + z, false},
      {"empty text", kRegSz, "", false},
      {"one NUL", kRegSz, z, false},
      {"binary", kRegBinary, ".vbs" + z, false},
      {"number", kRegDword, std::string("\x01\0\0\0", 4), false},
      {"multi-string", kRegMultiSz, "x.vbs" + z + z, false},
  };
  for (const Case& c : cases) Set(c.name, c.type, c.data);

  EXPECT_TRUE(DeleteHijackValues(kHkeyCurrentUser, kRun));
  for (const Case& c : cases) EXPECT_EQ(Exists(c.name), !c.deleted) << c.name;
}

// Only a to z fold. Under a Turkish code page the C library upper-cases i to a dotted capital and
// the dotless i (0xFD) to I; the cleaner must still know the registry editor, and must not take a
// dotless look-alike for it.
TEST_P(HijackCleanerTest, FoldsAsciiLettersWhateverTheLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  bool turkish = false;
  for (const char* name : {"Turkish_Turkey.1254", "tr_TR.ISO-8859-9", "tr_TR.iso88599"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      turkish = true;
      break;
    }
  }
  if (!turkish) GTEST_SKIP() << "no Turkish locale on this system";
  Set("RegFix", platform::kRegSz, "regedit /s C:\\TEMP\\ie.reg");
  Set("Tool", platform::kRegSz, "C:\\Tools\\reged\xFDt.exe");
  const bool deleted = DeleteHijackValues(kHkeyCurrentUser, kRun);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(Exists("RegFix"));
  EXPECT_TRUE(Exists("Tool"));
}

TEST_P(HijackCleanerTest, FalseWhenNothingWasDeleted) {
  EXPECT_FALSE(DeleteHijackValues(kHkeyCurrentUser, kRun));  // no such key
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey(kRun, false));  // and none was made

  Set("ctfmon.exe", platform::kRegSz, std::string("C:\\WINDOWS\\system32\\ctfmon.exe"));
  EXPECT_FALSE(DeleteHijackValues(kHkeyCurrentUser, kRun));
  EXPECT_TRUE(Exists("ctfmon.exe"));
}

INSTANTIATE_TEST_SUITE_P(Backends, HijackCleanerTest, ::testing::ValuesIn(nqtest::RegistryBackends()),
                         nqtest::BackendName);

}  // namespace
