// How rows compare and how the site is taken out of a cookie file, on their own.
#include <gtest/gtest.h>

#include <string>

#include "privacy/CookieText.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(CookieCompare, FoldsOnlyAsciiLettersAndPutsPrefixesFirst) {
  struct Case {
    std::string a, b;
    int sign;
  } cases[] = {
      {"A.txt", "a.txt", 0},
      {"a.txt", "b.txt", -1},
      {"B.txt", "a.txt", 1},
      {"ab", "abc", -1},       // the beginning of a text sorts first
      {"", "x", -1},
      {"", "", 0},
      {"[", "a", 1},           // letters count as capitals: 'A' < '[' < 'a'
      {"_x", "Zx", 1},
      {"\xC9", "\xE9", -1},    // bytes above 127 are not folded
      {"\xE9", "z", 1},        // and compare as unsigned
      {"site.com/", "SITE.COM/", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(nq::CompareCookieText(c.a, c.b)), c.sign) << '"' << c.a << "\" vs \"" << c.b << '"';
    EXPECT_EQ(Sign(nq::CompareCookieText(c.b, c.a)), -c.sign) << '"' << c.b << "\" vs \"" << c.a << '"';
  }
}

TEST(CookieCompare, UpperCaseTouchesOnlyAsciiLetters) {
  std::string text = "ab.Com_z[\xE9\x7F";
  nq::AsciiUpperCase(text);
  EXPECT_EQ(text, "AB.COM_Z[\xE9\x7F");
}

TEST(CookieSite, ThirdLineOfAWholeFile) {
  using namespace std::string_literals;
  struct Case {
    const char* what;
    std::string data;
    std::string site;
  } cases[] = {
      {"CR LF", "id\r\nvalue\r\nexample.com/\r\n1536\r\n", "example.com/"},
      {"LF", "id\nvalue\nexample.com/\n1536\n", "example.com/"},
      {"CR", "id\rvalue\rexample.com/\r1536\r", "example.com/"},
      {"mixed", "id\r\nvalue\rexample.com/\n", "example.com/"},
      {"no break after the third line", "id\nvalue\nexample.com/", "example.com/"},
      {"LF CR is two breaks", "id\n\rexample.com/\n", "example.com/"},
      {"empty lines count", "\n\nthird\n", "third"},
      {"two lines", "id\r\nvalue\r\n", ""},
      {"two lines, no last break", "id\r\nvalue", ""},
      {"empty third line", "id\nvalue\n\nmore\n", ""},
      {"one line", "example.com/", ""},
      {"empty file", "", ""},
      {"text ends at a NUL", "id\nva\0lue\nexample.com/\n"s, ""},
      {"NUL inside the third line", "id\nvalue\nexam\0ple.com/\n"s, "exam"},
      {"spaces kept", "id\nvalue\n  example.com/ \n", "  example.com/ "},
  };
  for (const Case& c : cases) {
    std::string site = "untouched";
    EXPECT_TRUE(nq::FindCookieSite(c.data, true, site)) << c.what;
    EXPECT_EQ(site, c.site) << c.what;
  }
}

TEST(CookieSite, PartOfAFileAsksForMoreOnlyWhenTheThirdLineIsNotThere) {
  using namespace std::string_literals;
  struct Case {
    const char* what;
    std::string data;
    bool decided;
    std::string site;
  } cases[] = {
      {"third line ended", "id\nvalue\nexample.com/\n12", true, "example.com/"},
      {"third line ended by a lone CR", "id\nvalue\nexample.com/\r", true, "example.com/"},
      {"third line cut off", "id\nvalue\nexample.c", false, ""},
      {"cut after the second break", "id\nvalue\r", false, ""},
      {"only two lines so far", "id\nval", false, ""},
      {"a NUL ends the text whatever follows", "id\n\0"s, true, ""},
  };
  for (const Case& c : cases) {
    std::string site = "untouched";
    EXPECT_EQ(nq::FindCookieSite(c.data, false, site), c.decided) << c.what;
    EXPECT_EQ(site, c.decided ? c.site : "untouched") << c.what;
  }
}

}  // namespace
