// A task's exec actions read from its XML with the system's XmlLite, on the texts get_Xml gives:
// Windows' own form, Wine's rebuilt one, what Register writes, and what is not a readable task.
// Windows tier only.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/TaskXml.h"

namespace {

using platform::TaskAction;

// A task as Windows' get_Xml gives it back, around the given actions.
std::wstring WindowsTask(const std::wstring& actions) {
  return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
         L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
         L"  <RegistrationInfo><URI>\\ChromeLoader</URI></RegistrationInfo>\r\n"
         L"  <Triggers><TimeTrigger><StartBoundary>2020-01-01T00:00:00</StartBoundary></TimeTrigger></Triggers>\r\n"
         L"  <Settings><Enabled>true</Enabled></Settings>\r\n"
         L"  <Actions Context=\"Author\">\r\n" + actions + L"  </Actions>\r\n</Task>";
}

// The text up to and including the first `end` in it: a task cut short.
std::wstring Cut(const std::wstring& text, const std::wstring& end) { return text.substr(0, text.find(end) + end.size()); }

std::vector<std::string> Shown(const std::vector<TaskAction>& actions) {
  std::vector<std::string> shown;
  for (const TaskAction& a : actions) shown.push_back(a.path + " | " + a.arguments);
  return shown;
}

TEST(TaskXml, ExecActionsAreReadInTheirOrderWithTheirTextWhole) {
  struct Case {
    const char* what;
    std::wstring xml;
    std::vector<std::string> actions;
  } cases[] = {
      {"several, the other kinds passed over",
       WindowsTask(L"<Exec><Command>cmd.exe</Command><Arguments>/c start chrome</Arguments></Exec>"
                   L"<ComHandler><ClassId>{0F87369F-A4E5-4CFC-BD3E-73E6154572DD}</ClassId></ComHandler>"
                   L"<Exec><Command>C:\\b.exe</Command><WorkingDirectory>C:\\</WorkingDirectory></Exec>"
                   L"<SendEmail><Server>mail</Server></SendEmail>"
                   L"<Exec>\r\n  <Command>powershell.exe</Command>\r\n  <Arguments>-E YQBiAGMA</Arguments>\r\n</Exec>"),
       {"cmd.exe | /c start chrome", "C:\\b.exe | ", "powershell.exe | -E YQBiAGMA"}},
      {"entities and character references",
       WindowsTask(L"<Exec><Command>a&amp;b.exe</Command>"
                   L"<Arguments>--x=&quot;a &amp; b&quot; &lt;c&gt; &apos;d&apos; &#x41;&#66;</Arguments></Exec>"),
       {"a&b.exe | --x=\"a & b\" <c> 'd' AB"}},
      {"beyond ASCII, a surrogate pair among it",
       WindowsTask(L"<Exec><Command>C:\\Программы\\Хром.exe</Command><Arguments>--пуск 日本 😀</Arguments></Exec>"),
       {"C:\\Программы\\Хром.exe | --пуск 日本 😀"}},
      {"spaces and a CDATA section kept as they are",
       WindowsTask(L"<Exec><Command>x.exe</Command><Arguments>  a  b </Arguments></Exec>"
                   L"<Exec><Command><![CDATA[y.exe]]></Command><Arguments><![CDATA[<q> & \"r\"]]></Arguments></Exec>"),
       {"x.exe |   a  b ", "y.exe | <q> & \"r\""}},
      {"an exec of another namespace is not the task's",
       WindowsTask(L"<o:Exec xmlns:o=\"urn:other\"><o:Command>other.exe</o:Command></o:Exec>"
                   L"<Exec><Command>z.exe</Command></Exec>"),
       {"z.exe | "}},
      {"no exec at all", WindowsTask(L"<ComHandler><ClassId>{00000000-0000-0000-0000-000000000000}</ClassId></ComHandler>"),
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<TaskAction> actions{{"left", "over"}};
    ASSERT_EQ(platform::ReadTaskExecActions(c.xml, &actions), 0);
    EXPECT_EQ(Shown(actions), c.actions);
  }
}

// What Register writes (Wine's Task Scheduler keeps none of it) reads back as it was given.
TEST(TaskXml, WhatRegisterWritesReadsBackTheSame) {
  const std::vector<TaskAction> actions{
      {"cmd.exe", "/c start \"\" \"C:\\a b\\chrome.exe\" --x=<y> & echo 'z' &amp; &#65;"},
      {"C:\\Программы\\Хром.exe", ""},
      {"C:\\b&c.exe", "--имя=\"Моя страница\" 😀  two  spaces "},
  };
  std::vector<TaskAction> read;
  ASSERT_EQ(platform::ReadTaskExecActions(platform::TaskXml(actions), &read), 0);
  EXPECT_EQ(Shown(read), Shown(actions));
}

TEST(TaskXml, WhatIsNoReadableTaskFailsAndLeavesTheActionsAlone) {
  constexpr platform::HResult kAnyFailure = 1;  // XmlLite's own, or the reader found no task
  struct Case {
    const char* what;
    std::wstring xml;
    platform::HResult result;
  } cases[] = {
      // What Wine 8's get_Xml gives for every task: its Task Scheduler drops the actions.
      {"Wine's rebuilt text",
       L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n  <RegistrationInfo>\n"
       L"  </RegistrationInfo>\n  <Triggers/>\n  <Principals/>\n  <Actions>\n    <Exec/>\n  </Actions>\n</Task>\n",
       platform::kSchedMissingNode},
      {"an exec without a command", WindowsTask(L"<Exec><Arguments>https://search.example/</Arguments></Exec>"),
       platform::kSchedMissingNode},
      {"an empty command", WindowsTask(L"<Exec><Command></Command></Exec>"), platform::kSchedMissingNode},
      {"no actions", L"<Task xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Settings/></Task>",
       platform::kSchedMissingNode},
      {"no task namespace", L"<Task><Actions><Exec><Command>a.exe</Command></Exec></Actions></Task>",
       platform::kSchedMalformedXml},
      {"another root", L"<Job xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"/>", platform::kSchedMalformedXml},
      {"nothing", L"", kAnyFailure},
      {"no XML", L"cmd.exe /c start chrome", kAnyFailure},
      {"cut short", Cut(WindowsTask(L"<Exec><Command>a.exe</Command><Arguments>--x</Arguments></Exec>"), L"--x"), kAnyFailure},
      {"crossed elements", WindowsTask(L"<Exec><Command>a.exe</Arguments></Command></Exec>"), kAnyFailure},
      {"a document type",
       L"<!DOCTYPE Task [<!ENTITY b \"b.exe\">]><Task xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
       L"<Actions><Exec><Command>&b;</Command></Exec></Actions></Task>",
       kAnyFailure},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<TaskAction> actions{{"left", "over"}};
    const platform::HResult result = platform::ReadTaskExecActions(c.xml, &actions);
    if (c.result == kAnyFailure) {
      EXPECT_LT(result, 0);
      EXPECT_NE(result, platform::kSchedMissingNode);
    } else {
      EXPECT_EQ(result, c.result);
    }
    EXPECT_EQ(Shown(actions), std::vector<std::string>{"left | over"});
  }
}

}  // namespace

#endif  // _WIN32
