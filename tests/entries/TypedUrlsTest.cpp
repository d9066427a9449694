// The typed address list: the data of the TypedURLs values, deleted by data, and cleared all at
// once by "Clean TypedURLS".
#include "tests/support/EntryPage.h"

namespace nqtest {
namespace {

TEST_P(EntryPageTest, TypedAddressesListedAndDeletedByTheirData) {
  Load(R"(
[HKCU\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="http://a.example/"
"url2"="http://A.example/"
"url3"="http://a.example/"
"url4"=hex:68,74,74,70
"url5"="http://e.example/"
)");
  Click(kManageAddress);
  EXPECT_EQ(form.ListKind, nq::lkTypedAddress);
  EXPECT_TRUE(form.CleanTypedUrlsButton.Visible());
  // Data that is not text is shown by the value's name.
  EXPECT_EQ(Items(), (Strings{"http://a.example/", "http://A.example/", "http://a.example/", "url4", "http://e.example/"}));
  for (int i : {0, 3}) {
    Select(i);
    EXPECT_EQ(Item(), Items()[i]);
    EXPECT_EQ(Date(), "");
  }

  // Every value of that address goes, and only of exactly that address; nothing is renumbered.
  Select(2);
  Delete();
  EXPECT_EQ(ValueNames(kHkeyCurrentUser, kTypedUrlsPath), (Strings{"url2", "url4", "url5"}));
  EXPECT_EQ(Items(), (Strings{"http://A.example/", "url4", "http://e.example/"}));
  EXPECT_EQ(Item(), "http://A.example/");

  Select(1);
  Delete();
  EXPECT_EQ(ValueNames(kHkeyCurrentUser, kTypedUrlsPath), (Strings{"url2", "url5"}));
  EXPECT_EQ(Items(), (Strings{"http://A.example/", "http://e.example/"}));
}

TEST_P(EntryPageTest, CleanTypedUrls) {
  struct Case {
    const char* name;
    const char* reg;
    bool reported;
  };
  const Case cases[] = {
      {"no key: nothing to clean, nothing said", "", false},
      {"an empty key", "[HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs]\n", true},
      {"addresses",
       R"(
[HKCU\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="http://a.example/"
"url2"=dword:00000002
"url3"="http://c.example/"
)",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    dialogs.shown.clear();
    Load(std::string("[HKCU\\Software\\Other]\n\"keep\"=\"me\"\n") + c.reg);
    Click(kManageAddress);
    const std::string otherKey = Dump(kHkeyCurrentUser, "Software\\Other");
    Strings itemsWhenReported{"not reported"};
    dialogs.onShow = [&](const ui::ScriptedDialogs::Shown&) { itemsWhenReported = Items(); };

    form.CleanTypedUrlsButton.Click();

    EXPECT_EQ(KeyExists(kHkeyCurrentUser, kTypedUrlsPath), c.reported);
    EXPECT_TRUE(ValueNames(kHkeyCurrentUser, kTypedUrlsPath).empty());
    EXPECT_EQ(Dump(kHkeyCurrentUser, "Software\\Other"), otherKey);
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(Item(), "");
    EXPECT_EQ(Date(), "");
    if (c.reported) {
      ASSERT_EQ(dialogs.shown.size(), 1u);
      EXPECT_EQ(dialogs.shown[0].text, "The IE typed URLS history has been cleaned sucessfully.");
      EXPECT_EQ(dialogs.shown[0].caption, "Norvane And Quillet");
      EXPECT_EQ(dialogs.shown[0].flags, ui::kMbOk);
      EXPECT_TRUE(itemsWhenReported.empty());
    } else {
      EXPECT_TRUE(dialogs.shown.empty());
    }
    dialogs.onShow = nullptr;
  }
}

}  // namespace
}  // namespace nqtest
