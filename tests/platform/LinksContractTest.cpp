// The shell links and the Task Scheduler, held to the same expectations on the substitutes and (in
// the Windows build, inside Wine's throwaway prefix) on IShellLinkW / IPersistFile and ITaskService.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/Links.h"
#include "tests/support/ShellFixture.h"

namespace nqtest {
namespace {

std::vector<Backend> BackendsToTest() {
  std::vector<Backend> kinds{Backend::Sim};
  if (HaveWin32Backends()) kinds.push_back(Backend::Win32);
  return kinds;
}

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::Sim ? "Sim" : "Win32";
}

class LinksContract : public ::testing::TestWithParam<Backend> {
 protected:
  FileTree tree_{GetParam()};
  LinkBackEnds backEnds_{tree_};
  platform::IShellLinks& links_ = backEnds_.Links();
};

TEST_P(LinksContract, ShortcutKeepsItsTargetWhenItsArgumentsAreSaved) {
  const std::string target = R"(C:\Program Files\Google\Chrome\Application\chrome.exe)";
  struct Case {
    std::string relative, arguments;
  } cases[] = {
      {"Desktop\\Chrome.lnk", R"(--profile-directory="Profile 1" https://search.example/?q=)"},
      {"Рабочий стол\\Хром.lnk", "--new-window"},  // Cyrillic folder and file names
      {"Desktop\\Long.lnk", "--x=" + std::string(32000, 'a')},
      {"Desktop\\Plain.lnk", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.relative);
    tree_.MakeFolder(c.relative.substr(0, c.relative.rfind('\\')));
    const std::string path = tree_.Path(c.relative);
    ASSERT_EQ(links_.Create(path, {target, c.arguments}), 0);
    platform::ShellLink link;
    ASSERT_EQ(links_.Load(path, &link), 0);
    EXPECT_EQ(link.target, target);
    EXPECT_EQ(link.arguments, c.arguments);

    ASSERT_EQ(links_.SaveArguments(path, "--profile-directory=Default"), 0);
    ASSERT_EQ(links_.Load(path, &link), 0);
    EXPECT_EQ(link.target, target);
    EXPECT_EQ(link.arguments, "--profile-directory=Default");
  }
}

TEST_P(LinksContract, WhatIsNoShortcutFailsToLoadAndLeavesTheOutputAlone) {
  tree_.MakeFolder("Desktop");
  ASSERT_EQ(links_.Create(tree_.Path("Desktop\\Whole.lnk"), {"C:\\b\\chrome.exe", "https://search.example/"}), 0);
  const auto whole = std::filesystem::file_size(tree_.Host("Desktop\\Whole.lnk"));
  tree_.WriteFile("Desktop\\Text.lnk", "[InternetShortcut]\r\nURL=https://search.example/\r\n");
  tree_.WriteFile("Desktop\\Empty.lnk", "");
  for (const std::uintmax_t keep : {std::uintmax_t{8}, std::uintmax_t{76}, whole - 6}) {
    std::filesystem::copy_file(tree_.Host("Desktop\\Whole.lnk"), tree_.Host("Desktop\\Cut" + std::to_string(keep) + ".lnk"));
    std::filesystem::resize_file(tree_.Host("Desktop\\Cut" + std::to_string(keep) + ".lnk"), keep);
  }
  const std::vector<std::string> names{"Missing.lnk", "Text.lnk", "Empty.lnk", "Cut8.lnk", "Cut76.lnk",
                                       "Cut" + std::to_string(whole - 6) + ".lnk"};
  for (const std::string& name : names) {
    platform::ShellLink link{"untouched", "untouched"};
    EXPECT_LT(links_.Load(tree_.Path("Desktop\\" + name), &link), 0) << name;
    EXPECT_EQ(link.target, "untouched") << name;
    EXPECT_EQ(link.arguments, "untouched") << name;
    EXPECT_LT(links_.SaveArguments(tree_.Path("Desktop\\" + name), ""), 0) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, LinksContract, ::testing::ValuesIn(BackendsToTest()), BackendName);

class TasksContract : public LinksContract {
 protected:
  void SetUp() override {
    // Real tasks are the machine's: only in the build's own Wine prefix.
    if (GetParam() == Backend::Win32) NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
    ASSERT_EQ(backEnds_.StartTaskService(), "");
  }
  void TearDown() override {
    for (const std::string& path : made_) tasks_.Delete(path);
  }
  platform::HResult Register(const std::string& path, const std::vector<platform::TaskAction>& actions) {
    made_.push_back(path);
    return tasks_.Register(path, actions);
  }
  std::map<std::string, platform::ScheduledTask> Listed() {
    std::vector<platform::ScheduledTask> tasks;
    EXPECT_EQ(tasks_.Enumerate(&tasks), 0);
    std::map<std::string, platform::ScheduledTask> byPath;
    for (platform::ScheduledTask& task : tasks) byPath[task.path] = std::move(task);
    return byPath;
  }

  platform::ITaskScheduler& tasks_ = backEnds_.Tasks();
  std::vector<std::string> made_;
};

// Windows takes action texts of many thousand characters; Wine 8's XML reader crashes on one of
// 12,000 while the task is registered, so the command here is of the size seen in the wild. Wine 8
// also drops the actions when it registers a task: it lists its tasks, and each reads as a task
// whose exec action has no command, which the real reading refuses rather than guess at.
TEST_P(TasksContract, EveryFoldersTasksAreListedWithTheirActionsAndOneIsDeleted_WineKeepsNoActions) {
  const std::string encoded = "-E " + EncodeCommand(std::string(600, 'x'));
  const std::string loader = "/c start /min \"\" powershell -W Hidden " + encoded + " & echo \"<done>\" 'ok'";
  const std::vector<platform::TaskAction> two{{"C:\\Программы\\a.exe", ""},
                                              {"C:\\b.exe", "--x \"y z\" --имя=\"Моя страница\" 😀 &amp;"}};
  ASSERT_EQ(Register("\\NQ Loader", {{"cmd.exe", loader}}), 0);
  ASSERT_EQ(Register("\\NQ Vendor\\Deep\\Два действия", two), 0);
  std::map<std::string, platform::ScheduledTask> listed = Listed();
  ASSERT_EQ(listed.count("\\NQ Loader"), 1u);
  ASSERT_EQ(listed.count("\\NQ Vendor\\Deep\\Два действия"), 1u);
  const platform::ScheduledTask& one = listed["\\NQ Loader"];
  const platform::ScheduledTask& both = listed["\\NQ Vendor\\Deep\\Два действия"];
  if (GetParam() == Backend::Win32 && LinkBackEnds::WineKeepsNoTaskActions()) {
    for (const platform::ScheduledTask* task : {&one, &both}) {
      EXPECT_EQ(task->result, static_cast<platform::HResult>(0x80041319)) << task->path;  // SCHED_E_MISSINGNODE
      EXPECT_TRUE(task->actions.empty()) << task->path;
    }
  } else {
    EXPECT_EQ(one.result, 0);
    ASSERT_EQ(one.actions.size(), 1u);
    EXPECT_EQ(one.actions[0].path, "cmd.exe");
    EXPECT_EQ(one.actions[0].arguments, loader);
    EXPECT_EQ(both.result, 0);
    ASSERT_EQ(both.actions.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(both.actions[i].path, two[i].path);
      EXPECT_EQ(both.actions[i].arguments, two[i].arguments);
    }
  }

  EXPECT_EQ(tasks_.Delete("\\NQ Loader"), 0);
  EXPECT_LT(tasks_.Delete("\\NQ Loader"), 0) << "gone already";
  EXPECT_LT(tasks_.Delete("\\NQ No Such Folder\\Task"), 0);
  listed = Listed();
  EXPECT_EQ(listed.count("\\NQ Loader"), 0u);
  EXPECT_EQ(listed.count("\\NQ Vendor\\Deep\\Два действия"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Backends, TasksContract, ::testing::ValuesIn(BackendsToTest()), BackendName);

}  // namespace
}  // namespace nqtest
