// The program's manifest: UTF-8 as the process code page (names beyond the code page come through
// the 8-bit calls whole), the highest rights the account has (an administrator confirms once, a
// standard user runs as before), and version 6 of the common controls.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "tests/support/BuildPaths.h"

namespace {

std::string ReadManifest() {
  std::ifstream in(nqtest::ResourcePath("norvane.manifest"), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The text of the one element `name` in the manifest, whatever its namespace prefix; "" without it,
// "(twice)" when it occurs more than once.
std::string ElementText(const std::string& xml, const std::string& name) {
  const std::regex element("<(?:\\w+:)?" + name + "(?:\\s[^>]*)?>\\s*([^<]*?)\\s*</");
  auto it = std::sregex_iterator(xml.begin(), xml.end(), element);
  if (it == std::sregex_iterator()) return "";
  const std::string text = (*it)[1];
  return ++it == std::sregex_iterator() ? text : "(twice)";
}

// The attributes of every `name` element, one string each.
std::vector<std::string> ElementsAttributes(const std::string& xml, const std::string& name) {
  const std::regex element("<(?:\\w+:)?" + name + "\\s([^>]*)/?>");
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it) {
    found.push_back((*it)[1]);
  }
  return found;
}

TEST(Manifest, Utf8CodePageHighestAvailableRightsAndCommonControlsSix) {
  const std::string xml = ReadManifest();
  ASSERT_FALSE(xml.empty()) << "cannot read " << nqtest::ResourcePath("norvane.manifest");

  EXPECT_EQ(ElementText(xml, "activeCodePage"), "UTF-8");
  // The setting counts only in the 2019 Windows settings namespace, inside <windowsSettings>.
  EXPECT_TRUE(std::regex_search(xml, std::regex("<windowsSettings>\\s*<activeCodePage\\s+xmlns=\"http://"
                                                "schemas.microsoft.com/SMI/2019/WindowsSettings\">")));

  const auto levels = ElementsAttributes(xml, "requestedExecutionLevel");
  ASSERT_EQ(levels.size(), 1u);
  EXPECT_NE(levels[0].find("level=\"highestAvailable\""), std::string::npos) << levels[0];
  EXPECT_NE(levels[0].find("uiAccess=\"false\""), std::string::npos) << levels[0];

  bool controls = false;
  for (const std::string& identity : ElementsAttributes(xml, "assemblyIdentity")) {
    controls = controls || (identity.find("name=\"Microsoft.Windows.Common-Controls\"") != std::string::npos &&
                            identity.find("version=\"6.0.0.0\"") != std::string::npos &&
                            identity.find("publicKeyToken=\"6595b64144ccf1df\"") != std::string::npos);
  }
  EXPECT_TRUE(controls) << "common controls version 6 is a dependency";
}

}  // namespace
