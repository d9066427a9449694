// The hosts file on the substitutes: which lines are findings and which are ticked, where the file
// is looked for, the repair that comments lines out and keeps every other byte, what it refuses,
// a replacement that fails, hostile files; and the same repair on the real calls under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "browsers/Browsers.h"
#include "browsers/HostsText.h"
#include "services/MainFunc.h"
#include "tests/support/HijackedBrowsers.h"
#include "tests/support/Registry.h"
#include "tests/support/ShellFixture.h"
#include "tests/support/Snapshot.h"

#ifdef _WIN32
#include "platform/sim/SimLinks.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Links.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/Installed.h"
#include "tests/support/RealBrowserCalls.h"
#include "tests/support/RegistryOverride.h"
#endif

namespace nqtest {
namespace {

using nq::TFinding;
using nq::TFindingKind;
using nq::TFindings;

// REGEDIT4 text that puts the resolver's files in `dataBasePath` (REG_EXPAND_SZ, as Windows
// has it; none when empty) and Windows in `systemRoot`.
std::string ResolverRegistry(const std::string& systemRoot, const std::string& dataBasePath) {
  const auto escaped = [](const std::string& text) {
    std::string out;
    for (const char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
  };
  std::string reg = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n\"SystemRoot\"=\"" +
                    escaped(systemRoot) + "\"\n\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\n";
  if (!dataBasePath.empty()) {
    reg += "\"DataBasePath\"=hex(2):";
    static const char* const kHex = "0123456789abcdef";
    for (const char c : dataBasePath + '\0') {
      const auto byte = static_cast<unsigned char>(c);
      reg += std::string{kHex[byte >> 4], kHex[byte & 15], ','};
    }
    reg.pop_back();
    reg += "\n";
  }
  return reg;
}

constexpr const char* kHosts = "WINNT\\System32\\drivers\\etc\\hosts";

// The hosts file of a machine whose Windows is in C:\WINNT, with the hijacked browsers' profile
// around it.
class HostsTest : public HijackedBrowsersTest {
 protected:
  void SetUp() override {
    HijackedBrowsersTest::SetUp();
    LoadReg(reg_, ResolverRegistry(tree_.Path("WINNT"), "%SystemRoot%\\System32\\drivers\\etc"));
  }

  void WriteHosts(const std::string& text) { tree_.WriteFile(kHosts, text); }
  std::string Hosts() const { return ReadHost(tree_.Host(kHosts)); }

  // The hosts file's findings, as the page lists them.
  static TFindings HostsFindings() {
    TFindings found = nq::FindBrowserHijacks();
    std::erase_if(found, [](const TFinding& f) {
      return f.where.size() < 6 || f.where.compare(f.where.size() - 6, 6, "\\hosts") != 0;
    });
    return found;
  }
  static TFindings Ticked(TFindings findings) {
    std::erase_if(findings, [](const TFinding& f) { return !f.ticked; });
    return findings;
  }
};

// A row as the list shows it: "Line 3: 1.2.3.4 a.example [x]".
std::string Row(const TFinding& finding) {
  return nq::FindingColumns(finding).finding + (finding.ticked ? " [x]" : " [ ]");
}

TEST_F(HostsTest, EachLineThatSendsANameElsewhereIsAFindingBlockListsUnticked) {
  enum Verdict { NoFinding, TickedRow, UntickedRow };
  struct Case {
    const char* line;
    Verdict verdict;
  };
  const Case cases[] = {
      {"# 93.184.216.34 www.bing.com", NoFinding},
      {"", NoFinding},
      {" \t ", NoFinding},
      {"127.0.0.1 localhost", NoFinding},
      {"::1 localhost", NoFinding},
      {"::1 ip6-localhost ip6-loopback", NoFinding},
      {"127.0.0.1 LocalHost.localdomain", NoFinding},
      {"127.1.2.3 ip6-loopback", NoFinding},
      {"10.0.0.1 localhost", NoFinding},  // Windows answers for localhost itself
      {"10.0.0.1", NoFinding},
      {"10.0.0.1#x.example", NoFinding},
      {"www.bing.com 93.184.216.34", NoFinding},
      {"256.1.1.1 a.example", NoFinding},
      {"1.2.3 a.example", NoFinding},
      {"1::2::3 a.example", NoFinding},
      {"0x7f.0.0.1 a.example", NoFinding},
      {"93.184.216.34 www.bing.com", TickedRow},
      {"  93.184.216.34\twww.google.com www.bing.com   # search", TickedRow},
      {"10.0.0.1 ip6-localhost", TickedRow},
      {"127.0.0.2 a.example", TickedRow},
      {"2001:db8::1 update.example", TickedRow},
      {"::ffff:10.0.0.1 a.example", TickedRow},
      {"fe80::1%4 a.example", TickedRow},
      {"10.0.0.1 пример.испытание", TickedRow},
      {"10.0.0.1 a.example b.example c.example", TickedRow},
      {"0.0.0.0 ads.example", UntickedRow},
      {"127.0.0.1 ads.example", UntickedRow},
      {"127.0.0.1 localhost ads.example", UntickedRow},
      {":: ads.example", UntickedRow},
      {"::1 ads.example", UntickedRow},
      {"0:0:0:0:0:0:0:1 ads.example", UntickedRow},
      {"::ffff:0.0.0.0 ads.example", UntickedRow},
  };
  std::string text;
  for (const Case& c : cases) text += std::string(c.line) + "\r\n";
  WriteHosts(text);
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    if (cases[i].verdict == NoFinding) continue;
    std::string line = cases[i].line;
    expected.push_back("Line " + std::to_string(i + 1) + ": " + line + (cases[i].verdict == TickedRow ? " [x]" : " [ ]"));
  }
  std::vector<std::string> rows;
  const TFindings found = HostsFindings();
  for (const TFinding& finding : found) {
    rows.push_back(Row(finding));
    EXPECT_EQ(finding.kind, TFindingKind::HostsLine);
    EXPECT_EQ(finding.browser, "All browsers");
    EXPECT_EQ(finding.where, tree_.Path(kHosts));
  }
  EXPECT_EQ(rows, expected);
  ASSERT_EQ(found.size(), expected.size());
  EXPECT_EQ(found[0].why, "Sends www.bing.com to 93.184.216.34 for every browser.");
  EXPECT_EQ(found[1].why, "Sends www.google.com and one more name to 93.184.216.34 for every browser.");
  EXPECT_EQ(found[8].why, "Sends a.example and 2 more names to 10.0.0.1 for every browser.");
  EXPECT_EQ(found[9].why,
            "Sends ads.example to 0.0.0.0 for every browser (a block list: it keeps the browser away from that site).");
}

TEST(HostsText, AddressesInEveryTextFormAndNothingElse) {
  struct Case {
    const char* text;
    bool valid;
    std::vector<std::uint16_t> groups;  // the eight groups; IPv4 mapped into IPv6
  };
  const Case cases[] = {
      {"::", true, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"::1", true, {0, 0, 0, 0, 0, 0, 0, 1}},
      {"1::", true, {1, 0, 0, 0, 0, 0, 0, 0}},
      {"1:2:3:4:5:6:7:8", true, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"1:2:3:4:5:6:7::", true, {1, 2, 3, 4, 5, 6, 7, 0}},
      {"::2:3:4:5:6:7:8", true, {0, 2, 3, 4, 5, 6, 7, 8}},
      {"1:2::7:8", true, {1, 2, 0, 0, 0, 0, 7, 8}},
      {"::1.2.3.4", true, {0, 0, 0, 0, 0, 0, 0x0102, 0x0304}},
      {"ABCD::ef", true, {0xABCD, 0, 0, 0, 0, 0, 0, 0xEF}},
      {"fe80::1%eth0", true, {0xFE80, 0, 0, 0, 0, 0, 0, 1}},
      {"10.0.0.255", true, {0, 0, 0, 0, 0, 0xFFFF, 0x0A00, 0x00FF}},
      {"", false, {}},
      {":", false, {}},
      {":::", false, {}},
      {"1:", false, {}},
      {":1", false, {}},
      {"1:2:3:4:5:6:7", false, {}},
      {"1:2:3:4:5:6:7:8:9", false, {}},
      {"1::2:3:4:5:6:7:8", false, {}},
      {"::1.2.3.4:5", false, {}},
      {"1.2.3.4::", false, {}},
      {"12345::", false, {}},
      {"g::", false, {}},
      {"fe80::1%", false, {}},
      {"1.2.3.4.5", false, {}},
      {"1.2.3.", false, {}},
      {"1.2.3.0256", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::uint8_t bytes[16];
    ASSERT_EQ(nq::ParseAddress(c.text, bytes), c.valid);
    if (!c.valid) continue;
    std::vector<std::uint16_t> groups;
    for (int i = 0; i < 16; i += 2) groups.push_back(static_cast<std::uint16_t>(bytes[i] << 8 | bytes[i + 1]));
    EXPECT_EQ(groups, c.groups);
  }
}

// The file is where the resolver's parameters say, with %SystemRoot% expanded; without them, in
// Windows' own folder.
TEST_F(HostsTest, TheFileIsWhereTheResolversParametersSay) {
  struct Case {
    const char* name;
    std::string dataBasePath;
    std::string hosts;  // relative to the tree
  };
  const Case cases[] = {
      {"expanded", "%SystemRoot%\\System32\\drivers\\etc", kHosts},
      {"windir, a trailing backslash", "%windir%\\System32\\drivers\\etc\\", kHosts},
      {"elsewhere", tree_.Path("Other\\etc"), "Other\\etc\\hosts"},
      {"not set", "", kHosts},
      {"nor where Windows is", "", "Windows\\System32\\drivers\\etc\\hosts"},
  };
  tree_.WriteFile(kHosts, "10.0.0.1 windows.example\n");
  tree_.WriteFile("Other\\etc\\hosts", "10.0.0.1 other.example\n");
  tree_.WriteFile("Windows\\System32\\drivers\\etc\\hosts", "10.0.0.1 windows.example\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.dataBasePath.empty()) {
      // Each case takes away one more: the folder, then where Windows is.
      const bool nowhere = c.hosts != kHosts;
      ASSERT_TRUE(nowhere ? nq::DeleteNamedValue(platform::kHkeyLocalMachine, "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                                 "SystemRoot", nq::TRegView::Key64)
                          : nq::DeleteNamedValue(platform::kHkeyLocalMachine,
                                                 "\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", "DataBasePath"));
    } else {
      LoadReg(reg_, ResolverRegistry(tree_.Path("WINNT"), c.dataBasePath));
    }
    const TFindings found = HostsFindings();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].where, tree_.Path(c.hosts));
  }
}

// Lines commented out, everything else as it was, byte for byte: the byte-order mark, CR LF, LF
// and a lone CR, a Cyrillic comment, a last line without an end.
TEST_F(HostsTest, TheRepairCommentsOutTheTickedLinesAndKeepsEveryOtherByte) {
  const std::string before =
      "\xEF\xBB\xBF"
      "93.184.216.34 www.bing.com\r\n"
      "# Перенаправления поисковика\n"
      "127.0.0.1 localhost\r\n"
      "0.0.0.0 ads.example\r\n"
      "\r\n"
      "\t10.0.0.9 mac.example\r"
      "10.0.0.8 next.example\n"
      "10.0.0.7 update.example  # last";
  const std::string after =
      "\xEF\xBB\xBF"
      "# 93.184.216.34 www.bing.com\r\n"
      "# Перенаправления поисковика\n"
      "127.0.0.1 localhost\r\n"
      "0.0.0.0 ads.example\r\n"
      "\r\n"
      "# \t10.0.0.9 mac.example\r"
      "# 10.0.0.8 next.example\n"
      "# 10.0.0.7 update.example  # last";
  WriteHosts(before);
  const TFindings found = HostsFindings();
  std::vector<std::string> rows;
  for (const TFinding& f : found) rows.push_back(Row(f));
  EXPECT_EQ(rows, (std::vector<std::string>{"Line 1: 93.184.216.34 www.bing.com [x]", "Line 4: 0.0.0.0 ads.example [ ]",
                                            "Line 6: \t10.0.0.9 mac.example [x]", "Line 7: 10.0.0.8 next.example [x]",
                                            "Line 8: 10.0.0.7 update.example  # last [x]"}));
  const TFindings ticked = Ticked(found);

  // A dry run says what the repair does and leaves the file alone.
  const nq::TOutcome dry = nq::RepairFindings(ticked, true);
  EXPECT_TRUE(dry.done);
  EXPECT_EQ(Hosts(), before);

  const nq::TOutcome outcome = nq::RepairFindings(ticked);
  EXPECT_TRUE(outcome.done);
  EXPECT_EQ(Hosts(), after);
  std::vector<std::string> lines;
  for (const nq::TChange& change : outcome.changes) {
    if (!change.name.empty()) lines.push_back(change.name + ": " + change.before + " -> " + change.after);
  }
  const std::vector<std::string> expected = {
      "1: 93.184.216.34 www.bing.com -> # 93.184.216.34 www.bing.com",
      "6: \t10.0.0.9 mac.example -> # \t10.0.0.9 mac.example",
      "7: 10.0.0.8 next.example -> # 10.0.0.8 next.example",
      "8: 10.0.0.7 update.example  # last -> # 10.0.0.7 update.example  # last",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(std::count_if(dry.changes.begin(), dry.changes.end(), [](const nq::TChange& c) { return !c.name.empty(); }), 4);
  EXPECT_FALSE(tree_.Exists(std::string(kHosts) + ".new"));
  EXPECT_FALSE(tree_.Exists(std::string(kHosts) + ".old"));
  // Looked at again, only the block list's line is left.
  ASSERT_EQ(HostsFindings().size(), 1u);
  EXPECT_EQ(HostsFindings()[0].name, "4");
}

// What changed between the listing and the repair: a line edited, moved or gone is refused; the
// rest of the ticked lines still go. A file gone or turned unreadable refuses every line.
TEST_F(HostsTest, ALineThatChangedSinceTheListingIsRefusedTheRestGo) {
  const std::string listed = "10.0.0.1 a.example\n10.0.0.2 b.example\n10.0.0.3 c.example\n";
  struct Case {
    const char* name;
    std::function<void()> change;
    std::vector<std::string> refused;  // line numbers
    std::string left;                  // the file afterwards; empty: as the change left it
  };
  const Case cases[] = {
      {"b edited", [this] { WriteHosts("10.0.0.1 a.example\n10.0.0.9 b.example\n10.0.0.3 c.example\n"); }, {"2"},
       "# 10.0.0.1 a.example\n10.0.0.9 b.example\n# 10.0.0.3 c.example\n"},
      {"b commented out already", [this] { WriteHosts("10.0.0.1 a.example\n#10.0.0.2 b.example\n10.0.0.3 c.example\n"); },
       {"2"}, "# 10.0.0.1 a.example\n#10.0.0.2 b.example\n# 10.0.0.3 c.example\n"},
      {"a line put on top", [this] { WriteHosts("# new\n" + std::string("10.0.0.1 a.example\n10.0.0.2 b.example\n10.0.0.3 c.example\n")); },
       {"1", "2", "3"}, ""},
      {"c gone", [this] { WriteHosts("10.0.0.1 a.example\n10.0.0.2 b.example\n"); }, {"3"},
       "# 10.0.0.1 a.example\n# 10.0.0.2 b.example\n"},
      {"file gone", [this] { std::filesystem::remove(tree_.Host(kHosts)); }, {"1", "2", "3"}, ""},
      {"now binary", [this, listed] { WriteHosts(listed + std::string(1, '\0')); }, {"1", "2", "3"}, ""},
      {"now too large", [this, listed] { WriteHosts(listed + std::string(nq::kMaxHostsTextBytes, '#')); }, {"1", "2", "3"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteHosts(listed);
    const TFindings ticked = Ticked(HostsFindings());
    ASSERT_EQ(ticked.size(), 3u);
    c.change();
    const std::string changed = std::filesystem::exists(tree_.Host(kHosts)) ? Hosts() : "";
    const nq::TOutcome outcome = nq::RepairFindings(ticked);
    EXPECT_FALSE(outcome.done);
    std::vector<std::string> refused;
    for (const TFinding& f : ticked) {
      if (nq::RefusedIn(f, outcome.changes)) refused.push_back(f.name);
    }
    EXPECT_EQ(refused, c.refused);
    // With nothing left to comment out, the file is not replaced.
    if (c.refused.size() == ticked.size()) {
      EXPECT_EQ(outcome.changes.size(), ticked.size());
    }
    if (std::filesystem::exists(tree_.Host(kHosts))) {
      EXPECT_EQ(Hosts(), c.left.empty() ? changed : c.left);
    }
  }
}

// Whichever step of the replacement fails, the whole old hosts file stays, and nothing of the
// attempt is left beside it.
TEST_F(HostsTest, AHostsFileWhoseReplacementFailsAtAnyStepStaysWhole) {
  const std::string hosts = "# hijacked\r\n10.0.0.1 www.bing.com\r\n0.0.0.0 ads.example\r\n";
  const std::function<void()> failures[] = {
      [this] { files_.FailNextWrite(); },
      [this] { files_.FailNextReplace(platform::kErrorUnableToMoveReplacement); },
      [this] { files_.FailNextReplace(platform::kErrorUnableToMoveReplacement2); },
  };
  for (std::size_t step = 0; step < std::size(failures); ++step) {
    WriteHosts(hosts);
    const TFindings ticked = Ticked(HostsFindings());
    ASSERT_EQ(ticked.size(), 1u);
    failures[step]();
    const nq::TOutcome outcome = nq::RepairFindings(ticked);
    EXPECT_FALSE(outcome.done) << step;
    EXPECT_TRUE(nq::RefusedIn(ticked[0], outcome.changes)) << step;
    EXPECT_EQ(Hosts(), hosts) << step;
    EXPECT_TRUE(SnapFiles(tree_.Scratch("recycled")).empty()) << step;
    EXPECT_FALSE(tree_.Exists(std::string(kHosts) + ".new")) << step;
    EXPECT_FALSE(tree_.Exists(std::string(kHosts) + ".old")) << step;
  }
}

// Files no hosts file should be: one clear row that is never rewritten, or rows for what the
// resolver would read in it; never a crash, and the file as it was.
TEST_F(HostsTest, AHostileHostsFileIsOneClearRowOrItsLinesNeverACrash) {
  const std::string megabyte(1u << 20, 'a');
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> rows;  // the rows' Finding column
  };
  const Case cases[] = {
      {"too large", "10.0.0.1 a.example\n" + std::string(nq::kMaxHostsTextBytes, '#'), {"Unreadable hosts file [ ]"}},
      {"UTF-16", std::string("\xFF\xFE" "1\0" "0\0.\0" "0\0.\0" "0\0.\0" "1\0 \0a\0\r\0\n\0", 26), {"Unreadable hosts file [ ]"}},
      {"binary", std::string("MZ\x90\0\x03\0\0\0", 8) + "10.0.0.1 a.example\n", {"Unreadable hosts file [ ]"}},
      {"a megabyte line of a name", "10.0.0.1 " + megabyte + "\n", {"Line 1: 10.0.0.1 " + std::string(111, 'a') + "... [x]"}},
      {"a megabyte line of nothing", megabyte + "\n10.0.0.1 a.example", {"Line 2: 10.0.0.1 a.example [x]"}},
      {"a million line ends", std::string(1000000, '\r') + "10.0.0.1 a.example", {"Line 1000001: 10.0.0.1 a.example [x]"}},
      {"not UTF-8, control characters",
       "10.0.0.1 a.example # \xC0\xFF\x1B[2J\n",
       {"Line 1: 10.0.0.1 a.example # \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD[2J [x]"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteHosts(c.text);
    TFindings found = HostsFindings();
    std::vector<std::string> rows;
    for (const TFinding& f : found) rows.push_back(Row(f));
    EXPECT_EQ(rows, c.rows);
    // Ticked by the user, an unreadable file is still refused; a line is commented out.
    for (TFinding& f : found) f.ticked = true;
    const nq::TOutcome outcome = nq::RepairFindings(found);
    if (found.size() == 1 && found[0].kind == TFindingKind::UnreadableFile) {
      EXPECT_FALSE(outcome.done);
      EXPECT_EQ(Hosts(), c.text);
    } else {
      EXPECT_TRUE(outcome.done);
      const std::size_t start = nq::HostsLineStarts(c.text)[std::stoul(found[0].name) - 1];
      EXPECT_EQ(Hosts(), c.text.substr(0, start) + "# " + c.text.substr(start));
    }
  }
}

// Block lists run to a hundred thousand lines: a run of block lines is one unticked row (a few of
// them stay rows of their own), and ticked, that row's repair comments out each of its lines.
TEST_F(HostsTest, ABlockListIsOneUntickedRowTakenWholeByItsRepair) {
  const auto blockLines = [](int count, const char* prefix) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += (i % 2 ? "0.0.0.0 " : "127.0.0.1 ") + (prefix + std::to_string(i)) + ".example\r\n";
    return lines;
  };
  // Lines 3 to 100003: the block list, with a comment among its lines; 100004: a redirect; then
  // nine block lines, too few to be a list of their own; 100014: a redirect; ten lines to 0.0.0.0.
  const std::string head = "# a block list\r\n127.0.0.1 localhost\r\n";
  const std::string list = blockLines(50000, "track") + "# more\r\n" + blockLines(50000, "ads");
  std::string tail = "93.184.216.34 www.bing.com\r\n" + blockLines(9, "few") + "10.0.0.7 update.example\r\n";
  for (int i = 0; i < 10; ++i) tail += "0.0.0.0 ten" + std::to_string(i) + ".example\n";
  WriteHosts(head + list + tail);
  TFindings found = HostsFindings();
  ASSERT_EQ(found.size(), 13u);
  EXPECT_EQ(Row(found[0]), "Lines 3-100003, a block list: 127.0.0.1 track0.example [ ]");
  EXPECT_EQ(found[0].why,
            "Sends 100000 names to addresses that lead nowhere for every browser, on lines 3 to 100003 (a block list: it "
            "keeps the browser away from those sites).");
  EXPECT_EQ(Row(found[1]), "Line 100004: 93.184.216.34 www.bing.com [x]");
  EXPECT_EQ(Row(found[2]), "Line 100005: 127.0.0.1 few0.example [ ]");
  EXPECT_EQ(Row(found[10]), "Line 100013: 127.0.0.1 few8.example [ ]");
  EXPECT_EQ(Row(found[12]), "Lines 100015-100024, a block list: 0.0.0.0 ten0.example [ ]");
  EXPECT_EQ(found[12].why,
            "Sends 10 names to 0.0.0.0 for every browser, on lines 100015 to 100024 (a block list: it keeps the browser "
            "away from those sites).");

  // Changed since the listing: a redirect among its lines, or its last line no longer a block line.
  const std::string changedLists[] = {
      blockLines(50000, "track") + "10.0.0.9 inserted.example\r\n" + blockLines(50000, "ads"),
      blockLines(50000, "track") + "# more\r\n" + blockLines(49999, "ads") + "# 127.0.0.1 ads49999.example\r\n",
  };
  for (const std::string& changed : changedLists) {
    WriteHosts(head + changed + tail);
    const nq::TOutcome outcome = nq::RepairFindings({found[0]});
    EXPECT_FALSE(outcome.done);
    EXPECT_EQ(Hosts(), head + changed + tail);
  }

  WriteHosts(head + list + tail);
  ASSERT_TRUE(nq::RepairFindings({found[0]}).done);
  std::string commented;
  for (std::size_t start = 0; start < list.size();) {
    const std::size_t end = list.find('\n', start) + 1;
    const std::string line = list.substr(start, end - start);
    commented += (line[0] == '#' ? "" : "# ") + line;
    start = end;
  }
  EXPECT_EQ(Hosts(), head + commented + tail);
  found = HostsFindings();
  ASSERT_EQ(found.size(), 12u);
  EXPECT_EQ(found[0].name, "100004");
}

#ifdef _WIN32
// The same repair on the real calls: the resolver's parameters in the redirected registry, the
// hosts file in a temp folder standing for Windows', replaced by the system's ReplaceFile.
TEST(HostsOnTheRealCalls, TheRepairCommentsOutTheTickedLinesOfARealFile) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
  RealBrowserCalls real;
  FileTree& tree = real.tree;
  RegistryOverride& override = real.override;
  override.ImportWithRegedit(ResolverRegistry(tree.Path("Windows"), "%SystemRoot%\\System32\\drivers\\etc"));
  const std::string hosts = "Windows\\System32\\drivers\\etc\\hosts";
  tree.WriteFile(hosts,
                 "\xEF\xBB\xBF# Перенаправления\r\n127.0.0.1 localhost\r\n93.184.216.34 www.bing.com\n"
                 "0.0.0.0 ads.example\r\n10.0.0.7 update.example");
  ForgetRecycled("hosts.old");

  TFindings ticked;
  for (const TFinding& finding : nq::FindBrowserHijacks()) {
    if (finding.kind == TFindingKind::HostsLine) {
      EXPECT_EQ(finding.where, tree.Path(hosts));
      if (finding.ticked) ticked.push_back(finding);
    }
  }
  ASSERT_EQ(ticked.size(), 2u);
  const nq::TOutcome outcome = nq::RepairFindings(ticked);
  EXPECT_TRUE(outcome.done);
  EXPECT_EQ(ReadHost(tree.Host(hosts)),
            "\xEF\xBB\xBF# Перенаправления\r\n127.0.0.1 localhost\r\n# 93.184.216.34 www.bing.com\n"
            "0.0.0.0 ads.example\r\n# 10.0.0.7 update.example");
  EXPECT_FALSE(tree.Exists(hosts + ".new"));
  EXPECT_FALSE(tree.Exists(hosts + ".old"));
  EXPECT_TRUE(std::filesystem::exists(WineRecycleBinFiles() / "hosts.old"));
}
#endif

}  // namespace
}  // namespace nqtest
