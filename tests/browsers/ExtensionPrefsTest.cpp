// Taking extensions out of a Chromium profile's Preferences and Secure Preferences and out of
// Firefox's extensions.json: on files laid out as the browsers write them, the entries and their
// MACs go and every other byte stays; where in a list or object an item stands; what is left alone;
// and hostile texts, refused with a reason.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "browsers/ExtensionPrefs.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/HijackedBrowsers.h"

namespace nqtest {
namespace {

using json = nlohmann::ordered_json;

// The three extensions of the Chromium fixtures; the hijacker's is the middle one.
const std::string kNotes = "abcdefghijklmnopabcdefghijklmnop";
const std::string kHijacker = "fedcbafedcbafedcbafedcbafedcbafe";
const std::string kClip = "ponmlkjihgfedcbaponmlkjihgfedcba";

std::string Fixture(const std::string& name) { return ReadHost(FixturePath("profiles/" + name)); }

// `text` without the first occurrence of `piece`, which must be there.
std::string Without(std::string text, const std::string& piece) {
  const auto at = text.find(piece);
  EXPECT_NE(at, std::string::npos) << piece;
  if (at != std::string::npos) text.erase(at, piece.size());
  return text;
}

// The text of `text` from the first `from` up to (not including) the next `to`.
std::string Between(const std::string& text, const std::string& from, const std::string& to) {
  const auto begin = text.find(from);
  const auto end = text.find(to, begin + 1);
  EXPECT_TRUE(begin != std::string::npos && end != std::string::npos) << from << " .. " << to;
  return text.substr(begin, end - begin);
}

struct Outcome {
  bool removed = false;
  std::string result = "untouched";
  std::string problem;
};

Outcome Chromium(const std::string& text, const std::vector<std::string>& ids) {
  Outcome outcome;
  outcome.removed = nq::RemoveExtensionEntries(text, ids, &outcome.result, &outcome.problem);
  return outcome;
}

Outcome Firefox(const std::string& text, const std::vector<std::string>& ids) {
  Outcome outcome;
  outcome.removed = nq::RemoveFirefoxAddons(text, ids, &outcome.result, &outcome.problem);
  return outcome;
}

TEST(ExtensionPrefs, SecurePreferencesLoseTheEntryItsMacAndItsHashAndNothingElse) {
  const std::string text = Fixture("chromium-Secure Preferences");
  const Outcome out = Chromium(text, {kHijacker});
  ASSERT_TRUE(out.removed) << out.problem;

  // Exactly three pieces of the text go: the entry, its MAC and its encrypted hash, each with the
  // comma before it. The other entries, MACs, the super MAC and every number stay byte for byte.
  std::string expected = Without(text, Between(text, ",\"" + kHijacker + "\":{", ",\"" + kClip + "\":{"));
  std::string mac;
  for (int i = 0; i < 32; ++i) mac += "4D";
  expected = Without(expected, ",\"" + kHijacker + "\":\"" + mac + "\"");
  expected = Without(expected, ",\"" + kHijacker + "\":\"djEwBBBB" + std::string(40, 'e') + "\"");
  EXPECT_EQ(out.result, expected);

  // As the browser reads it: the same file less those three values, keys in their order.
  json before = json::parse(text);
  before["extensions"]["settings"].erase(kHijacker);
  before["protection"]["macs"]["extensions"]["settings"].erase(kHijacker);
  before["protection"]["macs"]["extensions"]["settings_encrypted_hash"].erase(kHijacker);
  EXPECT_EQ(json::parse(out.result), before);
}

TEST(ExtensionPrefs, PreferencesLoseThePinnedIdAndKeepEveryNumberAsSpelt) {
  const std::string text = Fixture("chromium-Preferences");
  const Outcome out = Chromium(text, {kHijacker});
  ASSERT_TRUE(out.removed) << out.problem;
  EXPECT_EQ(out.result, Without(text, ",\"" + kHijacker + "\""));
  // Re-serialised, these would read 1.3345678901234568e+16, 4.1 and 1.2345678901234568e+22.
  for (const char* spelt : {"13345678901234568.0", "\"pointsAddedToday\":4.10", "0.0,", "12345678901234567890123"}) {
    EXPECT_NE(out.result.find(spelt), std::string::npos) << spelt;
  }
}

TEST(ExtensionPrefs, RemovingEveryExtensionKeepsTheEmptyDictionaries) {
  const Outcome out = Chromium(Fixture("chromium-Secure Preferences"), {kNotes, kHijacker, kClip});
  ASSERT_TRUE(out.removed) << out.problem;
  const json prefs = json::parse(out.result);
  EXPECT_EQ(prefs["extensions"]["settings"], json::object());
  EXPECT_EQ(prefs["protection"]["macs"]["extensions"]["settings"], json::object());
  EXPECT_EQ(prefs["protection"]["macs"]["extensions"]["settings_encrypted_hash"], json::object());
  EXPECT_TRUE(prefs["protection"]["macs"]["extensions"].contains("ui"));
  EXPECT_TRUE(prefs["protection"].contains("super_mac"));
}

// Where an item stands decides which comma goes with it; layouts other than Chromium's own keep
// their spacing; the ids are matched after escapes are undone; only the places Chromium keeps
// extensions are edited.
TEST(ExtensionPrefs, EditsEachPlaceAndLayout) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> ids;
    std::string expected;
  } const cases[] = {
      {"middle", R"({"extensions":{"settings":{"a":{"x":1},"b":{"x":2},"c":{"x":3}}}})", {"b"},
       R"({"extensions":{"settings":{"a":{"x":1},"c":{"x":3}}}})"},
      {"first", R"({"extensions":{"settings":{"a":{"x":1},"b":{"x":2},"c":{"x":3}}}})", {"a"},
       R"({"extensions":{"settings":{"b":{"x":2},"c":{"x":3}}}})"},
      {"last", R"({"extensions":{"settings":{"a":{"x":1},"b":{"x":2},"c":{"x":3}}}})", {"c"},
       R"({"extensions":{"settings":{"a":{"x":1},"b":{"x":2}}}})"},
      {"first and last", R"({"extensions":{"settings":{"a":{"x":1},"b":{"x":2},"c":{"x":3}}}})", {"a", "c"},
       R"({"extensions":{"settings":{"b":{"x":2}}}})"},
      {"two together", R"({"extensions":{"settings":{"a":{"x":1},"b":{"x":2},"c":{"x":3}}}})", {"c", "b"},
       R"({"extensions":{"settings":{"a":{"x":1}}}})"},
      {"all", R"({"extensions":{"settings":{"a":{"x":1},"b":{"x":2}}}})", {"a", "b"},
       R"({"extensions":{"settings":{}}})"},
      {"MAC without its entry", R"({"protection":{"macs":{"extensions":{"settings":{"b":"B","c":"C"}}},"super_mac":"S"}})",
       {"b"}, R"({"protection":{"macs":{"extensions":{"settings":{"c":"C"}}},"super_mac":"S"}})"},
      {"hash without MAC", R"({"protection":{"macs":{"extensions":{"settings_encrypted_hash":{"b":"h"}}}}})", {"b"},
       R"({"protection":{"macs":{"extensions":{"settings_encrypted_hash":{}}}}})"},
      {"pinned and old toolbar", R"({"extensions":{"pinned_extensions":["b","a"],"toolbar":["a","b"]}})", {"b"},
       R"({"extensions":{"pinned_extensions":["a"],"toolbar":["a"]}})"},
      {"laid out", "{\n  \"extensions\": {\n    \"settings\": {\n      \"a\": 1,\n      \"b\": 2\n    }\n  }\n}\n", {"a"},
       "{\n  \"extensions\": {\n    \"settings\": {\n      \"b\": 2\n    }\n  }\n}\n"},
      {"laid out, last", "{ \"extensions\" : { \"settings\" : { \"a\" : 1 , \"b\" : 2 } } }", {"b"},
       "{ \"extensions\" : { \"settings\" : { \"a\" : 1 } } }"},
      {"byte-order mark", "\xEF\xBB\xBF{\"extensions\":{\"settings\":{\"b\":{}}}}", {"b"},
       "\xEF\xBB\xBF{\"extensions\":{\"settings\":{}}}"},
      {"escaped key", R"({"extensions":{"settings":{"\u0062":1,"c":2}}})", {"b"}, R"({"extensions":{"settings":{"c":2}}})"},
      {"key holding quotes", R"({"extensions":{"settings":{"a\"b":1,"b":2}}})", {"b"}, R"({"extensions":{"settings":{"a\"b":1}}})"},
      {"numbers elsewhere",
       R"({"n":[1e2,4.10,-0.0,12345678901234567890123,2.5E-5],"extensions":{"settings":{"b":{"t":1.5E+3}}}})", {"b"},
       R"({"n":[1e2,4.10,-0.0,12345678901234567890123,2.5E-5],"extensions":{"settings":{}}})"},
      {"same id outside those places",
       R"({"b":1,"profile":{"extensions":{"settings":{"b":1}}},"extensions":{"install_signature":{"ids":["b"]},"settings":{"b":1},"ui":{"b":1}},"protection":{"macs":{"b":"M","extensions":{"ui":{"b":"M"},"settings":{"b":"M"}}}}})",
       {"b"},
       R"({"b":1,"profile":{"extensions":{"settings":{"b":1}}},"extensions":{"install_signature":{"ids":["b"]},"settings":{},"ui":{"b":1}},"protection":{"macs":{"b":"M","extensions":{"ui":{"b":"M"},"settings":{}}}}})"},
  };
  for (const Case& c : cases) {
    const Outcome out = Chromium(c.text, c.ids);
    EXPECT_TRUE(out.removed) << c.name << ": " << out.problem;
    EXPECT_EQ(out.result, c.expected) << c.name;
  }
}

// Nothing to edit, or nothing fit to edit: false with a reason, the result left alone.
TEST(ExtensionPrefs, RefusesHostileTextsWithAReason) {
  std::string huge = R"({"extensions":{"settings":{"b":")";
  huge += std::string(nq::kMaxProfileJsonBytes, 'x') + "\"}}}";
  const std::string deep = std::string(nq::kMaxProfileJsonNesting + 1, '[') + std::string(nq::kMaxProfileJsonNesting + 1, ']');
  const std::string deepInside = R"({"extensions":{"settings":{"b":)" + std::string(nq::kMaxProfileJsonNesting, '[') +
                                 std::string(nq::kMaxProfileJsonNesting, ']') + "}}}";
  struct Case {
    const char* name;
    std::string text;
    const char* reason;  // a part of the problem
  } const cases[] = {
      {"empty", "", "not valid JSON"},
      {"cut short", R"({"extensions":{"settings":{"b":{})", "not valid JSON"},
      {"trailing text", R"({"extensions":{"settings":{"b":{}}}} x)", "not valid JSON"},
      {"trailing comma", R"({"extensions":{"settings":{"b":{},}}})", "not valid JSON"},
      {"comment", R"({"extensions":{"settings":{"b":{}}}} // b)", "not valid JSON"},
      {"single quotes", R"({'extensions':{'settings':{'b':{}}}})", "not valid JSON"},
      {"invalid UTF-8", "{\"extensions\":{\"settings\":{\"b\":\"\xC3\x28\"}}}", "not valid JSON"},
      {"NUL after the text", std::string(R"({"extensions":{"settings":{"b":{}}}})") + '\0', "not valid JSON"},
      {"an array", R"([{"extensions":{"settings":{"b":{}}}}])", "not a JSON object"},
      {"a string", R"("b")", "not a JSON object"},
      {"too large", huge, "too large"},
      {"too deep", deep, "nested too deeply"},
      {"too deep inside an entry", deepInside, "nested too deeply"},
      {"ids absent", R"({"extensions":{"settings":{"a":{}}},"protection":{"macs":{"extensions":{"settings":{"a":"A"}}}}})", "none"},
      {"settings a list", R"({"extensions":{"settings":["b"]}})", "not an object"},
      {"settings a string", R"({"extensions":{"settings":"b"}})", "not an object"},
      {"extensions a list", R"({"extensions":[{"settings":{"b":{}}}]})", "none"},
      {"pinned list of objects", R"({"extensions":{"pinned_extensions":[{"b":1}]}})", "none"},
      {"MACs a string", R"({"protection":{"macs":{"extensions":{"settings":"b"}}}})", "none"},
  };
  for (const Case& c : cases) {
    const Outcome out = Chromium(c.text, {"b"});
    EXPECT_FALSE(out.removed) << c.name;
    EXPECT_NE(out.problem.find(c.reason), std::string::npos) << c.name << ": " << out.problem;
    EXPECT_EQ(out.result, "untouched") << c.name;
  }
  // Exactly at the depth limit the text is still read.
  const std::string atLimit = R"({"extensions":{"settings":{"b":)" + std::string(nq::kMaxProfileJsonNesting - 3, '[') +
                              std::string(nq::kMaxProfileJsonNesting - 3, ']') + "}}}";
  EXPECT_TRUE(Chromium(atLimit, {"b"}).removed);
  // No ids, no place to write to: refused too, without a crash.
  EXPECT_FALSE(Chromium(R"({"extensions":{"settings":{"b":{}}}})", {}).removed);
  std::string problem;
  EXPECT_FALSE(nq::RemoveExtensionEntries(R"({"extensions":{"settings":{"b":{}}}})", {"b"}, nullptr, &problem));
  EXPECT_FALSE(problem.empty());
}

TEST(ExtensionPrefs, FirefoxDatabaseLosesTheAddOnAndKeepsTheOthersAsWritten) {
  const std::string text = Fixture("firefox-extensions.json");
  const std::string hijacker = "{5e1a7c0d-hijack-search}";
  const Outcome out = Firefox(text, {hijacker});
  ASSERT_TRUE(out.removed) << out.problem;
  EXPECT_EQ(out.result, Without(text, Between(text, ",{\"id\":\"" + hijacker, ",{\"id\":\"langpack-fr")));
  // The language pack's dates stay as spelt (re-serialised: 1700000000000.0 and 1720000000000.0).
  EXPECT_NE(out.result.find("\"installDate\":1.7e12,\"updateDate\":1720000000000.0"), std::string::npos);

  const Outcome first = Firefox(text, {"notes@example.org", "langpack-fr@firefox.mozilla.org"});
  ASSERT_TRUE(first.removed) << first.problem;
  json left = json::parse(first.result);
  ASSERT_EQ(left["addons"].size(), 1u);
  EXPECT_EQ(left["addons"][0]["id"], hijacker);
  EXPECT_EQ(left["schemaVersion"], 36);
}

TEST(ExtensionPrefs, FirefoxDatabaseRefusesWhatItCannotEdit) {
  struct Case {
    const char* name;
    std::string text;
    const char* reason;
  } const cases[] = {
      {"not JSON", R"({"addons":[{"id":"x@y"}])", "not valid JSON"},
      {"a list", R"([{"id":"x@y"}])", "not a JSON object"},
      {"addons an object", R"({"addons":{"x@y":{"id":"x@y"}}})", "not a list"},
      {"absent", R"({"schemaVersion":36,"addons":[{"id":"a@b"}]})", "none"},
      {"id a number", R"({"addons":[{"id":1}]})", "none"},
      {"id deeper down", R"({"addons":[{"targetApplications":[{"id":"x@y"}]}]})", "none"},
      {"id as an element", R"({"addons":["x@y"]})", "none"},
  };
  for (const Case& c : cases) {
    const Outcome out = Firefox(c.text, {"x@y"});
    EXPECT_FALSE(out.removed) << c.name;
    EXPECT_NE(out.problem.find(c.reason), std::string::npos) << c.name << ": " << out.problem;
    EXPECT_EQ(out.result, "untouched") << c.name;
  }
  // An add-on whose "id" comes twice is matched on the one a reader keeps, the last.
  EXPECT_EQ(Firefox(R"({"addons":[{"id":"a@b","id":"x@y"},{"id":"k@l"}]})", {"x@y"}).result, R"({"addons":[{"id":"k@l"}]})");
  EXPECT_FALSE(Firefox(R"({"addons":[{"id":"x@y","id":"a@b"}]})", {"x@y"}).removed);
}

}  // namespace
}  // namespace nqtest
