// Entries and addresses named beyond ASCII, in UTF-8, the process code page: each is listed by its
// own name and deleted alone, on the substitute and, under Wine, on the real registry.
#include "tests/support/EntryPage.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace nqtest {
namespace {

#ifdef _WIN32
// Without it the real calls would give these names back with '?' and the cases below would not
// show the UTF-8 path at all.
TEST(ProcessCodePage, IsUtf8LikeTheProgramsOwn) { EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)); }
#endif

TEST_P(EntryPageTest, StartupEntryNamedBeyondAsciiListedAndDeletedAlone) {
  // Two names of the same length: where letters turn into '?', they would look alike.
  Load(R"(
[HKCU\Software\Microsoft\Windows\CurrentVersion\Run]
"Updater"="update.exe"
"Обновление"="C:\\Программы\\обновление.exe /тихо"
"Проверялка"="проверка.exe"
)");
  Click(kStartUp);
  ASSERT_EQ(Items(), (Strings{"Updater", "Обновление", "Проверялка"}));
  Select(1);
  EXPECT_EQ(Item(), "Обновление");
  EXPECT_EQ(Date(), "C:\\Программы\\обновление.exe /тихо");
  Delete();
  EXPECT_EQ(ValueNames(kHkeyCurrentUser, kRunPath), (Strings{"Updater", "Проверялка"}));
  EXPECT_EQ(Items(), (Strings{"Updater", "Проверялка"}));
}

TEST_P(EntryPageTest, TypedAddressBeyondAsciiListedAndDeletedAlone) {
  Load(R"(
[HKCU\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="http://президент.рф/"
"url2"="http://example.com/"
"url3"="http://правительство.рф/"
)");
  Click(kManageAddress);
  ASSERT_EQ(Items(), (Strings{"http://президент.рф/", "http://example.com/", "http://правительство.рф/"}));
  Select(0);
  EXPECT_EQ(Item(), "http://президент.рф/");
  Delete();
  EXPECT_EQ(ValueNames(kHkeyCurrentUser, kTypedUrlsPath), (Strings{"url2", "url3"}));
  EXPECT_EQ(Items(), (Strings{"http://example.com/", "http://правительство.рф/"}));
}

}  // namespace
}  // namespace nqtest
