// The program started from a folder named beyond the old code page. A copy of this test program is
// placed in C:\Программы\Норване of the throwaway prefix, beside the help file and the Bitmaps
// folder as they ship, and run there: the program's own routines, asked where they are, must find
// both.
#include <windows.h>
// The program's interfaces have methods of these names.
#undef MessageBox
#undef ShellExecute
#undef LoadLibrary

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "platform/sim/SimRegistry.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Shell.h"
#include "tests/support/Installed.h"
#include "tests/support/ShellFixture.h"
#include "ui/headless/ScriptedDialogs.h"

namespace {

namespace fs = std::filesystem;
using nqtest::Installed;

constexpr const char* kInsideVariable = "NQ_IN_PROGRAM_FOLDER";
const fs::path kProgramFolder = fs::path(u8"C:\\Программы\\Норване");

// The real shell for where the program is; what it opens is only recorded.
class RecordingShell final : public platform::IShell {
 public:
  int FileOperation(platform::WindowHandle, std::uint32_t, const char*, std::uint16_t, bool*) override { return 1; }
  std::uintptr_t LoadLibrary(const char*) override { return 0; }
  void* GetProcAddress(std::uintptr_t, const char*) override { return nullptr; }
  void FreeLibrary(std::uintptr_t) override {}
  std::intptr_t ShellExecute(platform::WindowHandle, const char*, const char* file, const char*, const char*,
                             int) override {
    opened.push_back(file != nullptr ? file : "");
    return 42;
  }
  std::string ModuleFolder() override { return real_.ModuleFolder(); }

  std::vector<std::string> opened;

 private:
  platform::Win32Shell real_;
};

fs::path OwnExecutable() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return fs::path(path);
}

TEST(ProgramFolder, BeyondTheOldCodePageHelpAndBitmapsAreFound) {
  if (std::getenv(kInsideVariable) != nullptr) GTEST_SKIP() << "this is the copy: it runs the check below";
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
  std::error_code ec;
  fs::remove_all(kProgramFolder.parent_path(), ec);
  fs::create_directories(kProgramFolder / "Bitmaps");
  fs::copy_file(OwnExecutable(), kProgramFolder / "norvane-check.exe");
  fs::copy_file(fs::path(NQ_BUILD_DIR) / "norvane.chm", kProgramFolder / "norvane.chm");
  fs::copy(fs::path(NQ_BUILD_DIR) / "Bitmaps", kProgramFolder / "Bitmaps");

  // The copy's report, for this test's failure message.
  const fs::path report = kProgramFolder / "report.txt";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(report.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = out;
  PROCESS_INFORMATION process{};
  std::wstring command = L"\"" + (kProgramFolder / "norvane-check.exe").wstring() +
                         L"\" --gtest_filter=ProgramFolder.FromInside*";
  SetEnvironmentVariableA(kInsideVariable, "1");
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      kProgramFolder.c_str(), &startup, &process);
  SetEnvironmentVariableA(kInsideVariable, nullptr);
  CloseHandle(out);
  ASSERT_TRUE(started);
  const DWORD waited = WaitForSingleObject(process.hProcess, 120000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::string text;
  {
    std::ifstream in(report);  // closed before the folder goes
    text.assign(std::istreambuf_iterator<char>(in), {});
  }
  EXPECT_EQ(code, 0u) << text;
  EXPECT_NE(text.find("[  PASSED  ] 1 test"), std::string::npos) << text;
  fs::remove_all(kProgramFolder.parent_path(), ec);
  EXPECT_FALSE(fs::exists(kProgramFolder.parent_path())) << ec.message();
}

TEST(ProgramFolder, FromInsideFindsHelpAndBitmaps) {
  if (std::getenv(kInsideVariable) == nullptr) GTEST_SKIP() << "runs in the copy the test above places";
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
  platform::SimRegistry registry;
  Installed<platform::IRegistry> installedRegistry(registry);
  platform::Win32FileSystem files;
  Installed<platform::IFileSystem> installedFiles(files);
  RecordingShell shell;
  Installed<platform::IShell> installedShell(shell);
  ui::ScriptedDialogs dialogs;
  Installed<ui::IDialogs> installedDialogs(dialogs);

  const std::string folder = "C:\\Программы\\Норване\\";
  EXPECT_EQ(shell.ModuleFolder(), folder);
  nq::TMainForm form;
  form.Run(nq::TCommandId::HelpAct);
  EXPECT_EQ(shell.opened, std::vector<std::string>{folder + "norvane.chm"});
  EXPECT_TRUE(files.FileExists(folder + "norvane.chm"));

  form.NavBar.ClickItem(nq::TMainForm::secSetup, 0);
  EXPECT_EQ(form.WallpaperListBox.Count(), 7);
  const auto& rows = form.WallpaperListBox.Items();
  const auto sky = std::find(rows.begin(), rows.end(), "Blue Sky");
  ASSERT_NE(sky, rows.end());
  form.WallpaperListBox.UserSelect(static_cast<int>(sky - rows.begin()));
  EXPECT_NE(form.WallpaperPreview.Picture(), nullptr) << "the picture beside the program is shown";
  EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
