// "Erase Tracks" on a profile: what the run erases, what it leaves alone, its one message, its
// errors and the busy pointer. The main window runs on the substitutes with its message boxes
// answered by the test; the button is clicked as a user would click it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/RegFile.h"
#include "services/CleanHistory.h"
#include "services/MainFunc.h"
#include "tests/support/Installed.h"
#include "tests/support/KeyPaths.h"
#include "tests/support/Registry.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

#ifdef _WIN32
#include "platform/win32/Win32UrlHistory.h"
#endif

namespace nqtest {
namespace {

using platform::kHkeyCurrentUser;
using Strings = std::vector<std::string>;

constexpr const char* kSuccess = "All your internet activities have been cleaned sucessfully.";

// Passes every call on to the history substitute and notes the form's pointer when it is asked.
class HistoryWatch final : public platform::IUrlHistory {
 public:
  HistoryWatch(platform::IUrlHistory& inner, const ui::TForm& form) : inner_(inner), form_(form) {}
  Outcome ClearHistory() override {
    cursors.push_back(form_.Cursor());
    return inner_.ClearHistory();
  }
  std::string ErrorText(platform::HResult code) override { return inner_.ErrorText(code); }
  std::vector<ui::TCursor> cursors;

 private:
  platform::IUrlHistory& inner_;
  const ui::TForm& form_;
};

class TraceCleanerTest : public FileTreeTest {
 protected:
  void SetUp() override {
    FileTreeTest::SetUp();
    dialogs_.onShow = [this](const ui::ScriptedDialogs::Shown&) { cursorsAtDialogs_.push_back(form_.Cursor()); };

    LoadFixture(reg_, "trace-profile.reg");
    SetShellFolders(reg_);
    tree_.WriteFile("Recent\\report.txt.lnk", "link");
    tree_.WriteFile("Recent\\photo.lnk", "link");
    tree_.SetAttributes("Recent\\photo.lnk", platform::kFileAttributeHidden);
    tree_.WriteFile("Recent\\desktop.ini", "[.ShellClassInfo]");
    tree_.WriteFile("Cookies\\user@typed.example[1].txt", "id\nvalue\ntyped.example/\n");
    tree_.WriteFile("Cookies\\index.dat", "cookie index");
    cache_.Add("http://typed.example/", 300);
    cache_.Add("http://another.example/page", 1200);
    cache_.Add("http://busy.example/", 50, true);
    tree_.WriteFile("Old\\thrown-away.txt");
    shell_.AnswerRecycleConfirmation(true);
    nq::RecycleFiles(0, tree_.Path("Old\\thrown-away.txt") + std::string(2, '\0'));
    history_.urls = {"http://typed.example/", "http://another.example/page"};
    shell_.fileOperations.clear();

    form_.NavBar.ClickItem(nq::TMainForm::secPrivacy, 0);  // "Protect Privacy"
    ASSERT_TRUE(form_.TraceCleanerPage.Showing());
  }

  void SetShellFolders(platform::IRegistry& registry) {
    LoadReg(registry, "[HKEY_CURRENT_USER" + std::string(kShellFolders) + "]\n\"Recent\"=\"" + Escaped(tree_.Path("Recent")) +
                          "\"\n\"Cookies\"=\"" + Escaped(tree_.Path("Cookies")) + "\"\n");
  }
  static std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
      if (c == '\\' || c == '"') out += '\\';
      out += c;
    }
    return out;
  }
  std::string Dump(platform::IRegistry& registry) {
    return platform::DumpRegText(registry, kHkeyCurrentUser, std::string(), platform::RegValueOrder::kByName);
  }
  // The whole current-user tree as it should be after a completed run.
  std::string ErasedProfile() {
    platform::SimRegistry expected;
    LoadFixture(expected, "trace-profile-erased.reg");
    SetShellFolders(expected);
    return Dump(expected);
  }

  void EraseTracks() { form_.EraseTracksButton.Click(); }
  Strings Texts() const {
    Strings texts;
    for (const auto& shown : dialogs_.shown) texts.push_back(shown.text);
    return texts;
  }
  // The state a completed run leaves, whatever the history step answered.
  void ExpectEverythingButHistoryErased() {
    EXPECT_EQ(Dump(reg_), ErasedProfile());
    EXPECT_FALSE(tree_.Exists("Recent\\report.txt.lnk"));
    EXPECT_FALSE(tree_.Exists("Recent\\photo.lnk"));
    EXPECT_TRUE(tree_.Exists("Recent\\desktop.ini"));
    EXPECT_TRUE(tree_.Exists("Cookies\\user@typed.example[1].txt"));
    EXPECT_TRUE(tree_.Exists("Cookies\\index.dat"));
    EXPECT_EQ(cache_.Urls(), Strings{"http://busy.example/"});
    EXPECT_TRUE(shell_.RecycledNames().empty()) << "the links were deleted for good, the old file emptied away";
    EXPECT_FALSE(shell_.recycleBinEmptied.empty());
    EXPECT_EQ(form_.Cursor(), ui::TCursor::Default);
  }

  ui::ScriptedDialogs dialogs_;
  nqtest::Installed<ui::IDialogs> installedDialogs_{dialogs_};
  nq::TMainForm form_;
  HistoryWatch watch_{history_, form_};
  Installed<platform::IUrlHistory> installedWatch_{watch_};
  std::vector<ui::TCursor> cursorsAtDialogs_;
};

TEST_F(TraceCleanerTest, PageShowsTheTextAndTheButton) {
  const Strings lines{
      "     Quillet is  very useful  for cleaning up the ",
      "history of your activities on a computer. Anyone else can ",
      "see where you have been on Internet and the text, ",
      "images, movies you have seen, even everything you have ",
      "done on your PC would leave trace on your PC.",
      "",
      "Perhaps you stumbled onto one or two adult web sites. ",
      "Perhaps by accident. Perhaps on purpose. And you don't ",
      "want your husband/wife, dad/mom, boss/colleague or ",
      "anyone else to know you've been there.",
      "How to protect your privacy, keep your surfing private ?",
      "",
      "Quillet is a great privacy tool to protect you with ",
      "only one click ,you can easily erase all the tracks safely ",
      "and completely !",
  };
  EXPECT_EQ(form_.TraceIntroMemo.Lines(), lines);
  EXPECT_TRUE(form_.TraceIntroMemo.ReadOnly);
  EXPECT_EQ(form_.TraceIntroMemo.Color(), ui::Rgb(248, 250, 220));
  const auto bounds = [](const ui::TControl& c) {
    const ui::TRect r = c.Bounds();
    return std::vector<int>{r.left, r.top, r.width, r.height};
  };
  EXPECT_EQ(bounds(form_.TraceCleanerPage), (std::vector<int>{120, 28, 400, 300}));
  EXPECT_EQ(bounds(form_.TraceIntroMemo), (std::vector<int>{16, 24, 377, 225}));
  EXPECT_EQ(bounds(form_.EraseTracksButton), (std::vector<int>{272, 256, 89, 33}));
  EXPECT_EQ(form_.EraseTracksButton.Caption(), "Erase Tracks");
  EXPECT_TRUE(shell_.fileOperations.empty()) << "showing the page runs nothing";
  EXPECT_EQ(cache_.Counts().findFirst, 0);
}

TEST_F(TraceCleanerTest, ErasesTheTracesLeavesTheRestAndReportsSuccess) {
  EraseTracks();

  ExpectEverythingButHistoryErased();
  EXPECT_TRUE(history_.urls.empty());
  EXPECT_EQ(Texts(), Strings{kSuccess});
  EXPECT_EQ(dialogs_.shown[0].caption, "Norvane And Quillet");
  EXPECT_EQ(dialogs_.shown[0].flags, ui::kMbOk);
  EXPECT_EQ(watch_.cursors, std::vector<ui::TCursor>{ui::TCursor::HourGlass});
  EXPECT_EQ(cursorsAtDialogs_, std::vector<ui::TCursor>{ui::TCursor::HourGlass}) << "the report comes before the pointer is restored";
  EXPECT_EQ(shell_.recycleBinEmptied.size(), 1u);

  // Straight again: the same steps, nothing left to erase, the same message.
  cache_.ResetCounts();
  EraseTracks();
  ExpectEverythingButHistoryErased();
  EXPECT_EQ(Texts(), (Strings{kSuccess, kSuccess}));
  EXPECT_EQ(cache_.Counts().findFirst, 2);
  EXPECT_EQ(shell_.recycleBinEmptied.size(), 2u);
}

TEST_F(TraceCleanerTest, AHistoryFailureStatusShowsNothingAfterEveryOtherStep) {
  history_.ClearFailsWith(static_cast<platform::HResult>(0x80004005u));

  EraseTracks();

  ExpectEverythingButHistoryErased();
  EXPECT_EQ(history_.urls.size(), 2u);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(TraceCleanerTest, AHistoryObjectThatCannotBeMadeEndsInTheErrorReport) {
  struct Case {
    bool created;
    const char* report;
  } const cases[] = {
      {false, "Class not registered."},
      {true, "Interface not supported."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    dialogs_.shown.clear();
    if (c.created) {
      history_.LacksInterface();
    } else {
      history_.CannotBeCreated(static_cast<platform::HResult>(0x80040154u));
    }

    EraseTracks();

    ExpectEverythingButHistoryErased();
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].text, c.report);
    EXPECT_EQ(dialogs_.shown[0].caption, "Norvane And Quillet");
    EXPECT_EQ(dialogs_.shown[0].flags, ui::kMbOk | ui::kMbIconError);
  }
}

TEST_F(TraceCleanerTest, AnErrorInAStepSkipsTheStepsAfterIt) {
  // A "Recent" value that is not text: step 3 raises.
  const std::string before = Dump(reg_);
  nq::TRegistry registry;
  registry.SetRootKey(kHkeyCurrentUser);
  ASSERT_TRUE(registry.OpenKey(kShellFolders, false));
  const std::uint8_t bytes[] = {1, 2, 3};
  reg_.SetValueEx(registry.CurrentKey(), "Recent", platform::kRegBinary, bytes, sizeof bytes);
  registry.CloseKey();
  std::string expectedReport;
  try {
    nq::GetShellFolder("Recent");
  } catch (const nq::ERegistryException& e) {
    expectedReport = nq::TMainForm::ErrorReportText(e.what());
  }
  ASSERT_FALSE(expectedReport.empty());
  const std::string withBinaryRecent = Dump(reg_);

  EraseTracks();

  EXPECT_EQ(cache_.Urls(), Strings{"http://busy.example/"}) << "step 2 ran";
  EXPECT_TRUE(tree_.Exists("Recent\\photo.lnk"));
  EXPECT_EQ(Dump(reg_), withBinaryRecent) << "RecentDocs, RunMRU and OpenSaveMRU untouched";
  EXPECT_NE(before, withBinaryRecent);
  EXPECT_EQ(shell_.RecycledNames(), Strings{"thrown-away.txt"});
  EXPECT_TRUE(shell_.recycleBinEmptied.empty());
  EXPECT_TRUE(watch_.cursors.empty()) << "the history step never ran";
  EXPECT_EQ(Texts(), Strings{expectedReport});
  EXPECT_EQ(dialogs_.shown[0].flags, ui::kMbOk | ui::kMbIconError);
  EXPECT_EQ(form_.Cursor(), ui::TCursor::Default);
}

TEST_F(TraceCleanerTest, AMissingShellLibraryIsReportedMidRunAndTheRunGoesOn) {
  shell_.SetRecycleLibrary(platform::SimShell::Library::Missing);
  std::vector<bool> historyReached;
  dialogs_.onShow = [this, &historyReached](const ui::ScriptedDialogs::Shown&) {
    historyReached.push_back(!watch_.cursors.empty());
  };

  EraseTracks();

  ASSERT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_EQ(dialogs_.shown[0].text, "Failed to load Shell32.dll.");
  EXPECT_EQ(dialogs_.shown[0].caption, "Error");
  EXPECT_EQ(dialogs_.shown[0].flags, ui::kMbOk | ui::kMbIconError);
  EXPECT_EQ(historyReached, (std::vector<bool>{false, true})) << "the library's error comes mid-run, before the history";
  EXPECT_EQ(shell_.RecycledNames(), Strings{"thrown-away.txt"});
  EXPECT_EQ(Texts(), (Strings{"Failed to load Shell32.dll.", kSuccess}));
  EXPECT_EQ(form_.Cursor(), ui::TCursor::Default);
}

// The real history object decides the message. Wine's answers ClearHistory with E_NOTIMPL, a
// failure status: the run shows nothing and raises nothing.
TEST_F(TraceCleanerTest, RealHistoryObjectDecidesTheMessage) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
#ifdef _WIN32
  platform::ComApartment apartment;
  platform::Win32UrlHistory real;
  HistoryWatch watch(real, form_);
  Installed installed(watch);
  const platform::IUrlHistory::Outcome answer = real.ClearHistory();
  ASSERT_TRUE(answer.created && answer.hasInterface);

  EraseTracks();

  EXPECT_EQ(watch.cursors.size(), 1u);
  EXPECT_EQ(answer.result, static_cast<platform::HResult>(0x80004001u)) << "Wine's ClearHistory answers E_NOTIMPL";
  EXPECT_TRUE(dialogs_.shown.empty()) << "a failure status: no message and no error report";
  EXPECT_EQ(form_.Cursor(), ui::TCursor::Default);
#endif
}

}  // namespace
}  // namespace nqtest
