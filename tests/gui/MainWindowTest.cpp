// The real main window on the screen, used as a person would: the mouse on the navigation bar, the
// page buttons and the title bar, keys on the About box, message boxes read and answered. The
// window runs on the test's thread; a second thread drives it through the system's input queue
// and looks only through the system's eyes (window placement, visibility, texts, the screen).
//
// The registry is redirected into a scratch key, the cookie folder is a fresh temp folder, and
// the shell opens nothing: nothing of the person running the tests is touched.
#include "tests/gui/Screen.h"
// The program's interfaces have methods of these names.
#undef MessageBox
#undef ShellExecute
#undef LoadLibrary

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/MainForm.h"
#include "app/win32/Win32App.h"
#include "browsers/Browsers.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sim/SimLinks.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Links.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "services/MainFunc.h"
#include "services/Registry.h"
#include "tests/support/BrowserProfiles.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/Installed.h"
#include "tests/support/Links.h"
#include "tests/support/Registry.h"
#include "tests/support/RegistryOverride.h"
#include "tests/support/ShellFixture.h"
#include "ui/Bitmap.h"
#include "ui/Scale.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Win32Ui.h"

namespace {

using nqgui::Click;
using nqgui::Findings;
using nqgui::WaitFor;

// A Windows path for a path of the build (under Wine the Unix path resolves through drive Z:).
std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = "";
  GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return full;
}

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

std::string RegEscape(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// The real shell, except that nothing is opened and the program's folder is the build folder,
// where the Bitmaps folder and the help file lie.
class QuietShell final : public platform::IShell {
 public:
  int FileOperation(platform::WindowHandle owner, std::uint32_t operation, const char* files, std::uint16_t flags,
                    bool* aborted) override {
    return real_.FileOperation(owner, operation, files, flags, aborted);
  }
  std::uintptr_t LoadLibrary(const char* name) override { return real_.LoadLibrary(name); }
  void* GetProcAddress(std::uintptr_t library, const char* name) override {
    return real_.GetProcAddress(library, name);
  }
  void FreeLibrary(std::uintptr_t library) override { real_.FreeLibrary(library); }
  std::intptr_t ShellExecute(platform::WindowHandle, const char*, const char* file, const char*, const char*,
                             int) override {
    opened.push_back(file != nullptr ? file : "");
    return 42;
  }
  std::string ModuleFolder() override { return FullPath(NQ_BUILD_DIR) + "\\"; }

  std::vector<std::string> opened;

 private:
  platform::Win32Shell real_;
};

// Where things are, from the layout: the client area's origin is the window's, as it has no frame.
constexpr int kBarTop = 29;
constexpr int kBarHeight = 373;
constexpr int kPageLeft = 120, kPageTop = 28;
constexpr int kSections = 3;

// The navigation bar's own geometry: 20-pixel section buttons, items 60 pixels apart below an
// 8-pixel margin.
int SectionY(int open, int section) {
  const int top = section <= open ? section * 20 : kBarHeight - (kSections - section) * 20;
  return kBarTop + top + 10;
}
int ItemY(int open, int item) { return kBarTop + (open + 1) * 20 + 8 + item * 60 + 30; }

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ui::win32::Initialise(reinterpret_cast<ui::win32::Handle>(GetModuleHandleA(nullptr)));
    nq::win32::InstallWindowing();
  }

  void SetUp() override {
    override_ = std::make_unique<nqtest::RegistryOverride>();
    installedRegistry_.emplace(registry_);
    installedFileSystem_.emplace(files_);
    installedShell_.emplace(shell_);

    const std::string cookies = cookies_.Path().string();
    for (const char* name :
         {"anna@example[1].txt", "anna@news.example[2].txt", "anna@shop.example[1].txt", "anna@пример.рф[1].txt"}) {
      std::ofstream(cookies_.Path() / platform::Utf8Path(name)) << "id\n42\n" << name << "/\n1536\n";
    }
    nqtest::LoadReg(registry_, R"(REGEDIT4

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
"Updater"="C:\\Program Files\\Updater\\update.exe /quiet"
"SearchHelper"="wscript.exe C:\\Windows\\sh.vbs"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders]
"Cookies"=")" + RegEscape(cookies) + R"("
"Local AppData"=")" + RegEscape(FullPath(localAppData_.Path().string())) + R"("

[HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs]
"url1"="http://www.example.com/"
"url2"="http://search.example.net/?q=news"

[HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\MenuExt\Search with Example]
@="res://C:\\Program Files\\Example\\menu.htm"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer\Extensions\{0B53EAC3-8D69-4B9E-9B19-A37C9A5676A7}]
"ButtonText"="Example Bar"
"Exec"="C:\\Program Files\\Example\\bar.exe"

[HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\Main]
"Start Page"="http://home.example/"
"Window Title"="Browsing with Example"
)");
  }

  void TearDown() override {
    installedShell_.reset();
    installedFileSystem_.reset();
    installedRegistry_.reset();
    override_.reset();
  }

  // Shows a fresh main window, runs `script` on a second thread while this one runs the window, and
  // reports what the script found. The script must end the window; if it does not, it is closed.
  void Drive(const std::function<void(nq::TMainForm&, HWND, Findings&, const std::atomic<bool>&)>& script) {
    nq::TMainForm form;
    Findings findings;
    std::atomic<bool> closed{false};
    form.OnClose = [&closed] { closed = true; };
    {
      nq::win32::TMainWindow window(form);
      HWND main = reinterpret_cast<HWND>(window.Window().Window());
      ASSERT_NE(main, nullptr);
      std::thread driver([&] {
        script(form, main, findings, closed);
        if (!closed) {
          findings.Fail("the script left the window open");
          PostMessageA(main, WM_CLOSE, 0, 0);
        }
      });
      window.Run();
      driver.join();
    }
    for (const std::string& failure : findings.Failures()) ADD_FAILURE() << failure;
  }

  static std::string Shots() { return FullPath(NQ_SCREENSHOTS); }

  nqtest::TempFolder cookies_;
  nqtest::TempFolder localAppData_;  // where the browser repair keeps its undo records
  std::unique_ptr<nqtest::RegistryOverride> override_;
  platform::Win32Registry registry_;
  platform::Win32FileSystem files_;
  QuietShell shell_;
  // Installed in SetUp, once the registry is redirected; gone before the redirection ends.
  std::optional<nqtest::Installed<platform::IRegistry>> installedRegistry_;
  std::optional<nqtest::Installed<platform::IFileSystem>> installedFileSystem_;
  std::optional<nqtest::Installed<platform::IShell>> installedShell_;
  // Today's browsers: the real file and join calls and shortcuts; the tasks are the substitute's (none
  // unless a test adds some), since Wine's Task Scheduler drops the actions of the tasks it registers.
  // A test that wants the real one installs it (RealTaskScheduler).
  platform::Win32Files browserFiles_;
  nqtest::Installed<platform::IFiles> installedFiles_{browserFiles_};
  platform::Win32Management management_;
  nqtest::Installed<platform::IManagement> installedManagement_{management_};
  platform::Win32ShellLinks links_;
  nqtest::Installed<platform::IShellLinks> installedLinks_{links_};
  platform::SimTaskScheduler tasks_;
  nqtest::Installed<platform::ITaskScheduler> installedTasks_{tasks_};

 private:
  platform::IRegistry* previousRegistry_ = nullptr;
  platform::IFileSystem* previousFiles_ = nullptr;
  platform::IShell* previousShell_ = nullptr;
};

bool Shown(const ui::TControl& control) {
  HWND window = reinterpret_cast<HWND>(ui::win32::WindowOf(control));
  return window != nullptr && IsWindowVisible(window);
}

int ListCount(const ui::TControl& list) {
  return static_cast<int>(SendMessageA(reinterpret_cast<HWND>(ui::win32::WindowOf(list)), LB_GETCOUNT, 0, 0));
}

TEST_F(MainWindowTest, PagesMessageBoxesAboutBoxAndTheCloseButton) {
  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    // From here the form's state is only read where it never changes (bounds, the pages); what
    // shows is asked of the system.
    const RECT placed = nqgui::WindowRect(main);
    const RECT client = nqgui::ClientRect(main);
    f.Expect(placed.left == 271 && placed.top == 129, "the window opens at (271, 129)");
    f.Expect(client.right == 534 && client.bottom == 402, "the client area is 534 x 402");
    f.Expect(placed.right - placed.left == 534 && placed.bottom - placed.top == 402, "the window has no frame");
    const LONG style = GetWindowLongA(main, GWL_STYLE);
    f.Expect(!(style & (WS_CAPTION | WS_THICKFRAME)), "no system caption or sizing border");
    f.Expect(nqgui::TextOf(main) == "Norvane And Quillet", "the window's caption");

    int open = 0;
    auto at = [&](int x, int y) {
      const RECT r = nqgui::WindowRect(main);
      return POINT{r.left + x, r.top + y};
    };
    auto click = [&](int x, int y, bool right = false) {
      const POINT p = at(x, y);
      Click(p.x, p.y, right);
    };
    auto openSection = [&](int section) {
      click(56, SectionY(open, section));
      open = section;
      nqgui::Settle(150);
    };
    auto item = [&](int index) { click(56, ItemY(open, index)); };
    auto pageButton = [&](const ui::TControl& button) {
      const ui::TRect b = button.Bounds();
      click(kPageLeft + b.left + b.width / 2, kPageTop + b.top + b.height / 2);
    };
    auto only = [&](const ui::TPanel& page) {
      return WaitFor([&] {
        for (ui::TPanel* p : form.Pages()) {
          if (Shown(*p) != (p == &page)) return false;
        }
        return true;
      });
    };
    auto shot = [&](HWND window, const char* name) {
      nqgui::Settle();
      f.Expect(!nqgui::Screenshot(window, Shots(), name).empty(), std::string("screenshot ") + name);
    };

    shot(main, "01-repair");

    // The protection section: three list pages on one page, each with its list.
    struct Visit {
      int item;
      const char* shot;
      int entries;
    };
    for (const Visit& v : {Visit{1, "02-startup", 2}, Visit{2, "03-context-menu", 1}, Visit{3, "04-toolbar-button", 1}}) {
      item(v.item);
      f.Expect(only(form.EntryListPage), std::string(v.shot) + ": the entry list page alone");
      f.Expect(WaitFor([&] { return ListCount(form.EntryListBox) == v.entries; }), std::string(v.shot) + ": its entries");
      f.Expect(!Shown(form.CleanTypedUrlsButton), std::string(v.shot) + ": no Clean TypedURLS");
      shot(main, v.shot);
    }

    openSection(1);
    item(0);
    f.Expect(only(form.TraceCleanerPage), "Protect Privacy shows the trace cleaner");
    shot(main, "05-protect-privacy");
    item(1);
    f.Expect(only(form.EntryListPage), "Manage Address shows the entry list page");
    f.Expect(WaitFor([&] { return ListCount(form.EntryListBox) == 2 && Shown(form.CleanTypedUrlsButton); }),
             "Manage Address lists the typed addresses with Clean TypedURLS");
    shot(main, "06-manage-address");
    item(2);
    f.Expect(only(form.CookiePage), "Manage Cookies shows the cookie page");
    HWND cookies = reinterpret_cast<HWND>(ui::win32::WindowOf(form.CookieListView));
    f.Expect(WaitFor([&] { return SendMessageA(cookies, LVM_GETITEMCOUNT, 0, 0) == 4; }), "four cookie rows");
    // The name beyond ASCII, and its site, as the control holds them in its own (UTF-16) text.
    bool cyrillic = false;
    for (int row = 0; row < 4; ++row) {
      wchar_t name[64] = L"", site[64] = L"";
      LVITEMW item{};
      item.pszText = name;
      item.cchTextMax = 64;
      SendMessageW(cookies, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
      item.iSubItem = 1;
      item.pszText = site;
      SendMessageW(cookies, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
      cyrillic = cyrillic || (std::wstring(name) == L"anna@пример.рф[1].txt" &&
                              std::wstring(site) == L"anna@пример.рф[1].txt/");
    }
    f.Expect(cyrillic, "the Cyrillic cookie row holds its name and site");
    shot(main, "07-manage-cookies");

    // "Find Cookies": the input dialog, centred on the screen, takes the text typed into it.
    pageButton(form.FindCookiesButton);
    HWND find = nullptr;
    f.Expect(WaitFor([&] { return (find = nqgui::FindOwned(main, "#32770")) != nullptr; }), "Find Cookies asks");
    if (find != nullptr) {
      f.Expect(nqgui::TextOf(find) == "Find cookies files", "input caption: " + nqgui::TextOf(find));
      const RECT r = nqgui::WindowRect(find);
      const int dx = (r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2;
      const int dy = (r.top + r.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2;
      f.Expect(dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1, "the input dialog is centred on the screen");
      shot(find, "07b-find-cookies");
      for (WORD key : {'S', 'H', 'O', 'P'}) nqgui::PressKey(key);
      nqgui::PressKey(VK_RETURN);  // OK is the default button
      f.Expect(WaitFor([&] { return !IsWindow(find); }), "Enter answers the input dialog");
      f.Expect(WaitFor([&] { return SendMessageA(cookies, LVM_GETSELECTEDCOUNT, 0, 0) == 1; }),
               "the one cookie file named like the text is selected");
    }

    // The cookie list's menu, by a right click on a row.
    const ui::TRect list = form.CookieListView.Bounds();
    click(kPageLeft + list.left + 60, kPageTop + list.top + 30, true);
    HWND menu = nullptr;
    f.Expect(WaitFor([&] { return (menu = FindWindowA("#32768", nullptr)) != nullptr && IsWindowVisible(menu); }),
             "a right click opens the cookie menu");
    if (menu != nullptr) {
      shot(GetDesktopWindow(), "08-cookie-menu");
      nqgui::PressKey(VK_ESCAPE);
      f.Expect(WaitFor([&] { return !IsWindowVisible(menu); }), "Esc closes the menu");
    }

    openSection(2);
    item(0);
    f.Expect(only(form.WallpaperPage), "Toolbar WallPaper shows the wallpaper page");
    f.Expect(WaitFor([&] { return ListCount(form.WallpaperListBox) == 7; }), "the seven shipped pictures are listed");
    const ui::TRect pictures = form.WallpaperListBox.Bounds();
    click(kPageLeft + pictures.left + 40, kPageTop + pictures.top + 7);  // "Blue Sky", previewed
    shot(main, "09-wallpaper");

    // A report: "Repair IE" on the repair page.
    openSection(0);
    item(0);
    f.Expect(only(form.RepairPage), "IE Repair shows the repair page");
    pageButton(form.RepairButton);
    HWND box = nullptr;
    f.Expect(WaitFor([&] { return (box = nqgui::FindOwned(main, "#32770")) != nullptr; }), "Repair IE reports");
    if (box != nullptr) {
      const nqgui::MessageBoxView view = nqgui::ReadMessageBox(box);
      f.Expect(view.caption == "Norvane And Quillet", "report title: " + view.caption);
      f.Expect(view.text == "Your Internet Explorer Browser is successfully repaired!", "report text: " + view.text);
      f.Expect(view.ok && !view.cancel && !view.icon, "a report has OK alone and no icon");
      shot(box, "10-report");
      const RECT ok = nqgui::WindowRect(GetDlgItem(box, IDOK));
      Click((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
      f.Expect(WaitFor([&] { return !IsWindow(box); }), "OK closes the report");
    }

    // A confirmation: "Delete" on the startup list, answered Cancel.
    openSection(0);
    item(1);
    // The repair's hijack cleaner has taken the script entry out of the startup list.
    f.Expect(WaitFor([&] { return ListCount(form.EntryListBox) == 1; }), "the startup list again, without the script");
    pageButton(form.DeleteEntryButton);
    box = nullptr;
    f.Expect(WaitFor([&] { return (box = nqgui::FindOwned(main, "#32770")) != nullptr; }), "Delete asks first");
    if (box != nullptr) {
      const nqgui::MessageBoxView view = nqgui::ReadMessageBox(box);
      f.Expect(view.caption == "Norvane And Quillet", "confirmation title: " + view.caption);
      f.Expect(view.text == "Are you sure to delete selected item?", "confirmation text: " + view.text);
      f.Expect(view.ok && view.cancel && !view.icon, "a confirmation has OK and Cancel and no icon");
      shot(box, "11-confirmation");
      const RECT cancel = nqgui::WindowRect(GetDlgItem(box, IDCANCEL));
      Click((cancel.left + cancel.right) / 2, (cancel.top + cancel.bottom) / 2);
      f.Expect(WaitFor([&] { return !IsWindow(box); }), "Cancel closes the confirmation");
      nqgui::Settle();
      f.Expect(ListCount(form.EntryListBox) == 1, "Cancel deletes nothing");
    }

    // The title bar: a double click changes nothing; a drag moves the window.
    const RECT before = nqgui::WindowRect(main);
    click(200, 14);
    {
      const POINT p = at(200, 14);
      nqgui::DoubleClick(p.x, p.y);
    }
    nqgui::Settle();
    const RECT still = nqgui::WindowRect(main);
    f.Expect(EqualRect(&before, &still) != FALSE, "a double click on the title bar leaves the window as it is");
    {
      const POINT p = at(200, 14);
      nqgui::Drag(p.x, p.y, p.x - 150, p.y + 60);
    }
    f.Expect(WaitFor([&] { return nqgui::WindowRect(main).left == before.left - 150; }, 2000),
             "dragging the title bar moves the window");

    // The About box: centred over the window, Enter and Esc leave it open, OK and its close
    // button end it; a fresh one each time.
    for (int round = 0; round < 2; ++round) {
      const ui::TRect about = form.AboutButton.Bounds();
      const ui::TRect panel = form.BottomPanel.Bounds();
      click(panel.left + about.left + about.width / 2, panel.top + about.top + about.height / 2);
      HWND aboutBox = nullptr;
      f.Expect(WaitFor([&] { return (aboutBox = nqgui::FindOwned(main, "NqForm")) != nullptr; }), "About... opens");
      if (aboutBox == nullptr) break;
      const RECT r = nqgui::WindowRect(aboutBox);
      const RECT m = nqgui::WindowRect(main);
      f.Expect(r.right - r.left == 308 && r.bottom - r.top == 295, "the About box is 308 x 295");
      f.Expect(r.left == m.left + (534 - 308) / 2 && r.top == m.top + (402 - 295) / 2,
               "the About box is centred over the main window");
      f.Expect(!IsWindowEnabled(main), "the main window waits while the About box is open");
      if (round == 0) shot(aboutBox, "12-about");
      nqgui::PressKey(VK_RETURN);
      nqgui::PressKey(VK_ESCAPE);
      nqgui::Settle();
      f.Expect(IsWindowVisible(aboutBox) != FALSE, "Enter and Esc leave the About box open");
      if (round == 0) {
        Click(r.left + 224 + 32, r.top + 248 + 16);  // "OK"
      } else {
        Click(r.right - 9 - 10, r.top + 5 + 9);  // the title bar's close button
      }
      f.Expect(WaitFor([&] { return !IsWindow(aboutBox); }), "the About box closes");
      f.Expect(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }), "the main window takes input again");
    }

    // The close button ends the program.
    click(534 - 9 - 10, 5 + 9);
    f.Expect(WaitFor([&] { return closed.load(); }), "the title bar's close button closes the window");
  });
  EXPECT_TRUE(shell_.opened.empty());
}

TEST_F(MainWindowTest, ExitEndsTheProgram) {
  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    const RECT r = nqgui::WindowRect(main);
    const ui::TRect exit = form.ExitButton.Bounds();
    Click(r.left + kPageLeft + exit.left + exit.width / 2, r.top + kPageTop + exit.top + exit.height / 2);
    f.Expect(WaitFor([&] { return closed.load(); }), "Exit closes the window");
  });
}

// The wallpaper page for real: a shipped picture chosen, shown tiled behind the bars on the
// screen, applied with its report, and the value the browser reads written with its full path.
TEST_F(MainWindowTest, WallpaperAppliedFromTheShippedPictures) {
  const std::string picture = FullPath(NQ_BUILD_DIR) + "\\Bitmaps\\Gingham.bmp";
  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    const RECT w = nqgui::WindowRect(main);
    auto click = [&](int x, int y) { Click(w.left + x, w.top + y); };
    click(56, SectionY(0, 2));
    nqgui::Settle(150);
    click(56, ItemY(2, 0));
    HWND list = reinterpret_cast<HWND>(ui::win32::WindowOf(form.WallpaperListBox));
    f.Expect(WaitFor([&] { return ListCount(form.WallpaperListBox) == 7; }), "the seven shipped pictures are listed");
    const LRESULT row = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>("Gingham"));
    RECT item{};
    f.Expect(row != LB_ERR && SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item)) != LB_ERR,
             "a row for Gingham");
    const ui::TRect box = form.WallpaperListBox.Bounds();
    click(kPageLeft + box.left + item.left + 30, kPageTop + box.top + item.top + 7);
    nqgui::Settle();

    // The preview on the screen: left of the tool bar the picture shows alone, and at the band's
    // right end it has been repeated.
    const auto expected = ui::LoadBitmapFile(picture);
    f.Expect(expected != nullptr, "Gingham.bmp decodes");
    if (expected != nullptr) {
      const ui::TRect band = form.WallpaperPreview.Bounds();
      HDC screen = GetDC(nullptr);
      for (const POINT p : {POINT{4, 4}, POINT{3, 40}, POINT{317, 70}}) {
        const COLORREF c = GetPixel(screen, w.left + kPageLeft + band.left + p.x, w.top + kPageTop + band.top + p.y);
        const std::uint32_t shown = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        const std::uint32_t want =
            expected->pixels[static_cast<std::size_t>(p.y % expected->height) * expected->width + p.x % expected->width];
        f.Expect(shown == want, "the preview shows the picture at (" + std::to_string(p.x) + ", " +
                                    std::to_string(p.y) + ")");
      }
      ReleaseDC(nullptr, screen);
    }

    const ui::TRect apply = form.ApplyWallpaperButton.Bounds();
    click(kPageLeft + apply.left + apply.width / 2, kPageTop + apply.top + apply.height / 2);
    HWND report = nullptr;
    f.Expect(WaitFor([&] { return (report = nqgui::FindOwned(main, "#32770")) != nullptr; }), "Apply reports");
    if (report != nullptr) {
      const nqgui::MessageBoxView view = nqgui::ReadMessageBox(report);
      f.Expect(view.caption == "Norvane And Quillet", "report title: " + view.caption);
      f.Expect(view.text == "IE toolbar has been customized,please close all IE windows,and then restart IE to see "
                            "your new toolbar.",
               "report text: " + view.text);
      f.Expect(view.ok && !view.cancel && !view.icon, "a report has OK alone and no icon");
      const RECT ok = nqgui::WindowRect(GetDlgItem(report, IDOK));
      Click((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
      f.Expect(WaitFor([&] { return !IsWindow(report); }), "OK closes the report");
    }
    nqgui::Settle();
    f.Expect(!nqgui::Screenshot(main, Shots(), "13-wallpaper-applied").empty(), "screenshot 13-wallpaper-applied");

    click(534 - 9 - 10, 5 + 9);
    f.Expect(WaitFor([&] { return closed.load(); }), "the close button closes the window");
  });
  EXPECT_EQ(nq::ReadStringValue(nq::kHkeyCurrentUser, "\\Software\\Microsoft\\Internet Explorer\\Toolbar",
                                "backbitmapIE5"),
            picture);
}

// "Help" opens the help file that lies beside the program.
TEST_F(MainWindowTest, HelpOpensTheHelpFileBesideTheProgram) {
  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    const RECT w = nqgui::WindowRect(main);
    const ui::TRect help = form.HelpButton.Bounds();
    Click(w.left + kPageLeft + help.left + help.width / 2, w.top + kPageTop + help.top + help.height / 2);
    nqgui::Settle(500);  // the shell's record is read once the window is gone
    Click(w.left + 534 - 9 - 10, w.top + 5 + 9);
    f.Expect(WaitFor([&] { return closed.load(); }), "the close button closes the window");
  });
  const std::string chm = FullPath(NQ_BUILD_DIR) + "\\norvane.chm";
  EXPECT_EQ(shell_.opened, std::vector<std::string>{chm});
  EXPECT_NE(GetFileAttributesA(chm.c_str()), INVALID_FILE_ATTRIBUTES) << chm;
}

// ---- the cookie list as the control shows it

// One row as the list view holds it: its name, and whether the row is highlighted.
struct ShownRow {
  std::wstring name;
  bool selected = false;
  bool operator==(const ShownRow&) const = default;
};

std::vector<ShownRow> ShownRows(HWND list) {
  std::vector<ShownRow> rows;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t name[64] = L"";
    LVITEMW item{};
    item.pszText = name;
    item.cchTextMax = 64;
    SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
    const bool selected = (SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    rows.push_back({name, selected});
  }
  return rows;
}

std::string Describe(const std::vector<ShownRow>& rows) {
  std::string text;
  for (const ShownRow& row : rows) {
    char name[256] = "";
    WideCharToMultiByte(CP_UTF8, 0, row.name.c_str(), -1, name, sizeof name, nullptr, nullptr);
    text += std::string(row.selected ? " [" : " ") + name + (row.selected ? "]" : "");
  }
  return text;
}

// A row's rectangle on the screen.
RECT RowOnScreen(HWND list, int row) {
  RECT r{};
  r.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Whether the screen shows the row highlighted: along its first column at mid-height, a row not
// highlighted shows the list's own background between and after the letters; a highlighted one
// nowhere.
bool HighlightedOnScreen(HWND list, int row) {
  const RECT r = RowOnScreen(list, row);
  const COLORREF background = RGB(248, 250, 220);
  HDC screen = GetDC(nullptr);
  bool plain = false;
  for (int x = r.left + 2; x < r.left + 178 && !plain; x += 3) {
    plain = GetPixel(screen, x, (r.top + r.bottom) / 2) == background;
  }
  ReleaseDC(nullptr, screen);
  return !plain;
}

// After a heading click, Select All, Unselect, Invert and Find, the list on the screen shows the
// program's rows in the program's order, and highlights exactly the rows the program holds as
// selected: Delete acts on what the user sees.
TEST_F(MainWindowTest, CookieListShowsTheOrderAndSelectionTheProgramHolds) {
  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    const RECT w = nqgui::WindowRect(main);
    Click(w.left + 56, w.top + SectionY(0, 1));
    nqgui::Settle(150);
    Click(w.left + 56, w.top + ItemY(1, 2));  // "Manage Cookies"
    HWND list = reinterpret_cast<HWND>(ui::win32::WindowOf(form.CookieListView));
    f.Expect(WaitFor([&] { return ShownRows(list).size() == 4; }), "four cookie rows");

    const std::wstring example = L"anna@example[1].txt", news = L"anna@news.example[2].txt",
                       shop = L"anna@shop.example[1].txt", cyrillic = L"anna@пример.рф[1].txt";
    auto expect = [&](const std::string& after, const std::vector<ShownRow>& rows) {
      const bool held = WaitFor([&] { return ShownRows(list) == rows; });
      f.Expect(held, "after " + after + " the list holds" + Describe(ShownRows(list)) + ", not" + Describe(rows));
      if (!held) return;
      nqgui::Settle();
      for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        f.Expect(HighlightedOnScreen(list, i) == rows[i].selected,
                 "after " + after + " row " + std::to_string(i) +
                     (rows[i].selected ? " shows no highlight" : " shows a highlight"));
      }
    };
    auto clickRow = [&](int row) {
      const RECT r = RowOnScreen(list, row);
      Click(r.left + 40, (r.top + r.bottom) / 2);
    };
    auto clickHeading = [&](int column) {
      HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
      RECT r{};
      SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
      MapWindowPoints(header, nullptr, reinterpret_cast<POINT*>(&r), 2);
      Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };

    // One row chosen by the mouse; the sorts move it, and its highlight must go with it.
    const std::vector<ShownRow> loaded = ShownRows(list);
    for (int i = 0; i < static_cast<int>(loaded.size()); ++i) {
      if (loaded[i].name == shop) clickRow(i);
    }
    clickHeading(0);
    expect("the first click on \"Cookies Files\"", {{example, false}, {news, false}, {shop, true}, {cyrillic, false}});
    nqgui::Settle(static_cast<int>(GetDoubleClickTime()) + 100);  // two clicks, not a double click
    clickHeading(0);
    expect("the second click on \"Cookies Files\"", {{cyrillic, false}, {shop, true}, {news, false}, {example, false}});

    nqgui::PressKeyWith(VK_CONTROL, 'A');
    expect("Ctrl+A", {{cyrillic, true}, {shop, true}, {news, true}, {example, true}});
    nqgui::PressKeyWith(VK_CONTROL, 'Z');
    expect("Ctrl+Z", {{cyrillic, false}, {shop, false}, {news, false}, {example, false}});
    clickRow(0);
    expect("a click on the top row", {{cyrillic, true}, {shop, false}, {news, false}, {example, false}});
    nqgui::PressKeyWith(VK_CONTROL, 'I');
    expect("Ctrl+I", {{cyrillic, false}, {shop, true}, {news, true}, {example, true}});

    nqgui::PressKey(VK_F3);
    HWND find = nullptr;
    f.Expect(WaitFor([&] { return (find = nqgui::FindOwned(main, "#32770")) != nullptr; }), "F3 asks for a name");
    if (find != nullptr) {
      for (WORD key : {'N', 'E', 'W', 'S'}) nqgui::PressKey(key);
      nqgui::PressKey(VK_RETURN);
      f.Expect(WaitFor([&] { return !IsWindow(find); }), "Enter answers the input dialog");
      expect("a search for NEWS", {{cyrillic, false}, {shop, false}, {news, true}, {example, false}});
    }

    Click(w.left + 534 - 9 - 10, w.top + 5 + 9);
    f.Expect(WaitFor([&] { return closed.load(); }), "the close button closes the window");
  });
}

// ---- keys through the message loop

// F5 and F1 pressed on the keyboard: F5 reloads the last entry list from any page, or the cookies
// while their list has the focus; F1 opens the help.
TEST_F(MainWindowTest, F5ReloadsAndF1OpensTheHelpFromTheKeyboard) {
  auto addStartup = [](const std::string& name) {
    nq::TRegistry reg;
    reg.SetRootKey(nq::kHkeyCurrentUser);
    if (reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", false)) reg.WriteString(name, name + ".exe");
  };
  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    const RECT w = nqgui::WindowRect(main);
    // The cookie page's windows are made when it first shows.
    auto cookieRows = [&] {
      HWND cookies = reinterpret_cast<HWND>(ui::win32::WindowOf(form.CookieListView));
      return cookies != nullptr ? static_cast<int>(SendMessageA(cookies, LVM_GETITEMCOUNT, 0, 0)) : -1;
    };

    Click(w.left + 56, w.top + ItemY(0, 1));  // "StartUp"
    f.Expect(WaitFor([&] { return ListCount(form.EntryListBox) == 2; }), "the startup list");
    addStartup("Third");
    nqgui::PressKey(VK_F5);
    f.Expect(WaitFor([&] { return ListCount(form.EntryListBox) == 3; }), "F5 reloads the startup list");

    // On the cookie page, its list focused: F5 is the list's own.
    Click(w.left + 56, w.top + SectionY(0, 1));
    nqgui::Settle(150);
    Click(w.left + 56, w.top + ItemY(1, 2));  // "Manage Cookies"
    f.Expect(WaitFor([&] { return cookieRows() == 4; }), "four cookie rows");
    std::ofstream(cookies_.Path() / "anna@late.example[1].txt") << "id\n42\nlate.example/\n";
    addStartup("Fourth");
    nqgui::PressKey(VK_F5);
    f.Expect(WaitFor([&] { return cookieRows() == 5; }), "F5 in the cookie list reloads the cookies");
    nqgui::Settle();
    f.Expect(ListCount(form.EntryListBox) == 3, "and leaves the startup list as it was");

    nqgui::PressKey(VK_F1);
    nqgui::Settle(500);  // the shell's record is read once the window is gone
    Click(w.left + 534 - 9 - 10, w.top + 5 + 9);
    f.Expect(WaitFor([&] { return closed.load(); }), "the close button closes the window");
  });
  EXPECT_EQ(shell_.opened, std::vector<std::string>{FullPath(NQ_BUILD_DIR) + "\\norvane.chm"}) << "F1 opens the help";
}

// ---- the keyboard alone

// The window that has the keyboard in the window's thread (the driving thread has none of its own).
HWND FocusOf(HWND main) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Real keys through the message loop: Tab reaches "Repair IE" and Enter repairs, the focus comes
// back from the report; Down and Enter in the bar open "StartUp"; on every page Tab visits every
// control in the order the form holds (the headless tests check that order by name) and wraps.
TEST_F(MainWindowTest, TheKeyboardAloneReachesAndRunsEveryControl) {
  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    auto window = [](const ui::TControl& c) { return reinterpret_cast<HWND>(ui::win32::WindowOf(c)); };
    auto focusIs = [&](const ui::TControl& c) { return WaitFor([&] { return FocusOf(main) == window(c); }, 2000); };
    auto shot = [&](const char* name) {
      nqgui::Settle();
      f.Expect(!nqgui::Screenshot(main, Shots(), name).empty(), std::string("screenshot ") + name);
    };

    f.Expect(focusIs(form.FeatureListBox), "the features list has the keyboard at start");
    nqgui::PressKey(VK_TAB);
    f.Expect(focusIs(form.RepairButton), "Tab goes on to Repair IE");
    shot("14-focus-repair");
    nqgui::PressKey(VK_RETURN);
    HWND box = nullptr;
    f.Expect(WaitFor([&] { return (box = nqgui::FindOwned(main, "#32770")) != nullptr; }), "Enter on Repair IE repairs");
    if (box != nullptr) {
      f.Expect(nqgui::ReadMessageBox(box).text == "Your Internet Explorer Browser is successfully repaired!",
               "the repair's report");
      nqgui::PressKey(VK_RETURN);
      f.Expect(WaitFor([&] { return !IsWindow(box); }), "Enter closes the report");
      f.Expect(focusIs(form.RepairButton), "the focus returns to Repair IE when the report closes");
    }

    // Tab round the page shown: from where the focus is, through the whole order and back.
    auto round = [&](const std::string& page) {
      const std::vector<ui::TControl*> order = form.TabOrder();
      const HWND start = FocusOf(main);
      std::size_t at = order.size();
      for (std::size_t i = 0; i < order.size(); ++i) {
        if (window(*order[i]) == start) at = i;
      }
      f.Expect(at < order.size(), page + ": the focus starts on a control of the order");
      if (at == order.size()) return;
      for (std::size_t step = 1; step <= order.size(); ++step) {
        const ui::TControl& next = *order[(at + step) % order.size()];
        nqgui::PressKey(VK_TAB);
        if (!focusIs(next)) {
          f.Fail(page + ": Tab " + std::to_string(step) + " should reach " + next.Name());
          return;
        }
      }
    };
    auto toBar = [&] {
      for (int i = 0; i < 20 && FocusOf(main) != window(form.NavBar); ++i) nqgui::PressKey(VK_TAB);
      f.Expect(FocusOf(main) == window(form.NavBar), "Tab reaches the navigation bar");
    };
    auto keys = [](std::initializer_list<WORD> pressed) {
      for (WORD key : pressed) nqgui::PressKey(key);
    };

    round("IE Repair");
    toBar();
    keys({VK_DOWN, VK_RETURN});
    f.Expect(WaitFor([&] { return Shown(form.EntryListPage) && ListCount(form.EntryListBox) == 1; }),
             "Down and Enter in the bar open StartUp");
    f.Expect(focusIs(form.NavBar), "the focus stays in the bar");
    shot("15-focus-bar");
    round("StartUp");
    keys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});  // "Browsers"
    f.Expect(WaitFor([&] { return Shown(form.BrowsersPage); }), "Browsers by the keyboard");
    round("Browsers");
    keys({VK_DOWN, VK_RETURN, VK_DOWN, VK_RETURN});  // "Quillet", then "Protect Privacy"
    f.Expect(WaitFor([&] { return Shown(form.TraceCleanerPage); }), "Protect Privacy by the keyboard");
    round("Protect Privacy");
    keys({VK_DOWN, VK_RETURN});
    f.Expect(WaitFor([&] { return Shown(form.CleanTypedUrlsButton); }), "Manage Address by the keyboard");
    round("Manage Address");
    keys({VK_DOWN, VK_RETURN});
    f.Expect(WaitFor([&] { return Shown(form.CookiePage); }), "Manage Cookies by the keyboard");
    round("Manage Cookies");
    toBar();
    keys({VK_DOWN, VK_RETURN, VK_DOWN, VK_RETURN});  // "Customize IE", then "Toolbar WallPaper"
    f.Expect(WaitFor([&] { return Shown(form.WallpaperPage); }), "Toolbar WallPaper by the keyboard");
    round("Toolbar WallPaper");

    // Space presses a flat button: "About..." opens the box, where Tab reaches OK and Space ends it.
    nqgui::PressKeyWith(VK_SHIFT, VK_TAB);
    nqgui::PressKeyWith(VK_SHIFT, VK_TAB);
    nqgui::PressKeyWith(VK_SHIFT, VK_TAB);
    f.Expect(focusIs(form.AboutButton), "Shift+Tab goes back to About...");
    nqgui::PressKey(VK_SPACE);
    HWND about = nullptr;
    f.Expect(WaitFor([&] { return (about = nqgui::FindOwned(main, "NqForm")) != nullptr; }), "Space opens About...");
    if (about != nullptr) {
      keys({VK_TAB, VK_TAB, VK_TAB});
      shot("16-about-focus-ok");
      nqgui::PressKey(VK_SPACE);
      f.Expect(WaitFor([&] { return !IsWindow(about); }), "Space on OK closes the About box");
      f.Expect(focusIs(form.AboutButton), "the focus returns to About...");
    }

    nqgui::PressKey(VK_TAB);
    f.Expect(focusIs(form.ProductLink), "Tab reaches the product link");
    PostMessageA(main, WM_CLOSE, 0, 0);
    f.Expect(WaitFor([&] { return closed.load(); }), "the window closes");
  });
  EXPECT_TRUE(shell_.opened.empty()) << "no link was followed";
}

// ---- the list box peer

// The control keeps the same entry selected when an item above it goes, as the list's state does.
TEST_F(MainWindowTest, ListBoxKeepsItsEntrySelectedWhenAnItemAboveGoes) {
  nq::TMainForm form;
  nq::win32::TMainWindow window(form);
  EXPECT_EQ(ui::win32::WindowOf(form.EntryListBox), 0u) << "a page gets its windows when it first shows";
  form.Run(nq::TCommandId::GrpCleanAct);
  HWND list = reinterpret_cast<HWND>(ui::win32::WindowOf(form.EntryListBox));
  ASSERT_NE(list, nullptr);
  auto selectedText = [&] {
    const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    char text[64] = "";
    if (index != LB_ERR) SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return std::to_string(index) + ":" + text;
  };
  form.EntryListBox.AddAll({"a", "b", "c", "d", "e"});
  form.EntryListBox.SetItemIndex(2);
  ASSERT_EQ(selectedText(), "2:c");

  struct Step {
    int deleted;
    const char* selected;  // index and text the control shows as selected afterwards
  } const steps[] = {{0, "1:c"}, {2, "1:c"}, {0, "0:c"}, {0, "-1:"}};
  for (const Step& step : steps) {
    form.EntryListBox.Delete(step.deleted);
    EXPECT_EQ(selectedText(), step.selected) << "after deleting item " << step.deleted;
    EXPECT_EQ(ListCount(form.EntryListBox), form.EntryListBox.Count());
  }
}

// The list is drawn by the program: what the user does with it must end in the list's state as the
// system's list box would have it, and other programs must read it as one.
TEST_F(MainWindowTest, ListBoxFollowsKeysMouseWheelAndScrollBar) {
  nq::TMainForm form;
  nq::win32::TMainWindow window(form);
  form.Run(nq::TCommandId::GrpCleanAct);
  ui::TListBox& box = form.EntryListBox;
  HWND list = reinterpret_cast<HWND>(ui::win32::WindowOf(box));
  ASSERT_NE(list, nullptr);
  int clicks = 0;
  box.OnClick = [&clicks] { ++clicks; };
  box.Clear();
  std::vector<std::string> rows;
  for (int i = 0; i < 40; ++i) rows.push_back((i % 2 == 0 ? "alpha " : "beta ") + std::to_string(i));
  box.AddAll(rows);
  ASSERT_EQ(box.ItemIndex(), -1);

  RECT client;
  GetClientRect(list, &client);
  const int rowHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  ASSERT_GT(rowHeight, 0);
  const int fullRows = client.bottom / rowHeight;
  ASSERT_GT(fullRows, 2);
  ASSERT_LT(fullRows, 40) << "the test needs more rows than the list shows";
  EXPECT_NE(GetWindowLongPtrA(list, GWL_STYLE) & WS_VSCROLL, 0) << "rows out of view: the scroll bar shows";

  auto key = [&](UINT message, WPARAM code) { SendMessageA(list, message, code, 0); };
  auto top = [&] { return static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0)); };
  struct Step {
    const char* what;
    UINT message;
    WPARAM code;
    int selected;
    int top;  // -1: not checked
  } const steps[] = {
      {"Down with nothing selected takes the first row", WM_KEYDOWN, VK_DOWN, 0, 0},
      {"Down", WM_KEYDOWN, VK_DOWN, 1, 0},
      {"End", WM_KEYDOWN, VK_END, 39, 40 - fullRows},
      {"Up", WM_KEYDOWN, VK_UP, 38, 40 - fullRows},
      {"Home", WM_KEYDOWN, VK_HOME, 0, 0},
      {"Page Down moves a page less one row", WM_KEYDOWN, VK_NEXT, fullRows - 1, 0},
      // Odd rows start with "beta": the next one after the selected row.
      {"a letter finds the next row starting with it", WM_CHAR, 'b', fullRows % 2 == 1 ? fullRows : fullRows + 1, -1},
      {"Home again", WM_KEYDOWN, VK_HOME, 0, 0},
      {"Up at the first row stays", WM_KEYDOWN, VK_UP, 0, 0},
  };
  int expectedClicks = 0;
  for (const Step& step : steps) {
    const int before = box.ItemIndex();
    key(step.message, step.code);
    if (box.ItemIndex() != before) ++expectedClicks;
    EXPECT_EQ(box.ItemIndex(), step.selected) << step.what;
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), step.selected) << step.what;
    if (step.top >= 0) {
      EXPECT_EQ(top(), step.top) << step.what;
    }
    EXPECT_EQ(box.TopIndex(), top()) << step.what << ": the state holds the row shown at the top";
  }
  EXPECT_EQ(clicks, expectedClicks) << "each change of selection by key tells the owner once";

  // The wheel and the scroll bar move the view, not the selection; the state follows the view.
  SendMessageA(list, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  EXPECT_EQ(top(), static_cast<int>(lines));
  SendMessageA(list, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(top(), 40 - fullRows);
  SendMessageA(list, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(top(), 39 - fullRows);
  EXPECT_EQ(box.TopIndex(), top());
  EXPECT_EQ(box.ItemIndex(), 0);

  // A click selects the row under the mouse, and tells the owner even when it was selected.
  RECT row{};
  const LRESULT found = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("BETA 35"));
  ASSERT_EQ(found, 35) << "found whatever the case";
  ASSERT_NE(SendMessageA(list, LB_GETITEMRECT, 35, reinterpret_cast<LPARAM>(&row)), LB_ERR);
  const LPARAM at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
  for (int i = 0; i < 2; ++i) {
    clicks = 0;
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(list, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(box.ItemIndex(), 35);
    EXPECT_EQ(clicks, 1) << "click " << i + 1;
  }
  char text[32] = "";
  EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 35, 0), 7);
  SendMessageA(list, LB_GETTEXT, 35, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "beta 35");
  EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 40, reinterpret_cast<LPARAM>(text)), LB_ERR);

  // Few rows: the scroll bar goes and the view starts at the top.
  box.Clear();
  box.AddAll({"one", "two"});
  EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & WS_VSCROLL, 0);
  EXPECT_EQ(top(), 0);
}

// The check box is drawn by the program: a click or Space toggles it, as the state says.
TEST_F(MainWindowTest, CheckBoxTogglesByClickAndSpace) {
  nq::TMainForm form;
  nq::win32::TMainWindow window(form);
  ui::TCheckBox& box = form.AutoCleanCheckBox;
  HWND check = reinterpret_cast<HWND>(ui::win32::WindowOf(box));
  ASSERT_NE(check, nullptr);
  ASSERT_TRUE(box.Checked());
  RECT client;
  GetClientRect(check, &client);
  const LPARAM inside = MAKELPARAM(client.right / 2, client.bottom / 2);
  SendMessageA(check, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageA(check, WM_LBUTTONUP, 0, inside);
  EXPECT_FALSE(box.Checked()) << "a click";
  EXPECT_EQ(GetFocus(), check) << "a click takes the keyboard";
  // Pressed inside, let go outside: nothing.
  SendMessageA(check, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageA(check, WM_LBUTTONUP, 0, MAKELPARAM(client.right + 20, client.bottom / 2));
  EXPECT_FALSE(box.Checked()) << "released outside";
  SendMessageA(check, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(box.Checked()) << "Space";
}

// The program itself, started as it ships: its window where it belongs, closed by its button.
TEST(Program, StartsWhereLaidOutAndEndsByItsCloseButton) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string command = "\"" + FullPath(NQ_PROGRAM) + "\"";
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  HWND main = nullptr;
  const bool found = WaitFor(
      [&] {
        main = FindWindowA("NqForm", "Norvane And Quillet");
        DWORD owner = 0;
        if (main != nullptr) GetWindowThreadProcessId(main, &owner);
        return main != nullptr && owner == process.dwProcessId && IsWindowVisible(main);
      },
      20000);
  EXPECT_TRUE(found);
  if (found) {
    const RECT r = nqgui::WindowRect(main);
    EXPECT_EQ(r.left, 271);
    EXPECT_EQ(r.top, 129);
    EXPECT_EQ(r.right - r.left, 534);
    EXPECT_EQ(r.bottom - r.top, 402);
    nqgui::Settle(500);
    Click(r.right - 9 - 10, r.top + 5 + 9);
  }
  const DWORD waited = WaitForSingleObject(process.hProcess, 20000);
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "the program did not end";
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

// ---- Display scale

// Where the system shows a control of the form: its window's rectangle in its parent's client area.
ui::TRect ShownRect(const ui::TControl& control) {
  HWND window = reinterpret_cast<HWND>(ui::win32::WindowOf(control));
  RECT r = nqgui::WindowRect(window);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return ui::TRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string Describe(const ui::TRect& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.width) + " x " +
         std::to_string(r.height) + ")";
}

SIZE TextExtent(const std::string& text, const ui::TFont& font, int dpi) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, ui::win32::FontOf(font, dpi));
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  return size;
}

// Every control of a form on screen where the layout puts it at `dpi`, and every caption whole in
// it, measured with the control's own font at that DPI.
void CheckScaled(ui::TForm& form, int dpi, Findings& f) {
  const int px1 = ui::Scaled(1, dpi);
  ui::TControl::ForEach(form, [&](ui::TControl& control) {
    if (&control == &form || ui::win32::WindowOf(control) == 0) return;
    const ui::TRect want = ui::Scaled(control.Bounds(), dpi);
    const ui::TRect shown = ShownRect(control);
    auto* label = dynamic_cast<ui::TLabel*>(&control);
    // A label that fits itself to its text (wider, or taller when wrapped) may be larger, never elsewhere.
    const bool grows = label != nullptr && label->AutoSize;
    const bool placed = want.left == shown.left && want.top == shown.top &&
                        (grows ? shown.width >= want.width && shown.height >= want.height
                               : want.width == shown.width && want.height == shown.height);
    f.Expect(placed, control.Name() + " at " + std::to_string(dpi) + " DPI is " + Describe(shown) + ", laid out " +
                         Describe(want));
    auto fits = [&](const std::string& text, int room, const char* what) {
      const SIZE extent = TextExtent(text, control.Font(), dpi);
      f.Expect(extent.cx <= room, control.Name() + " " + what + " \"" + text + "\" is " + std::to_string(extent.cx) +
                                      " wide in " + std::to_string(room) + " at " + std::to_string(dpi) + " DPI");
    };
    if (label != nullptr && !label->Caption().empty()) {
      if (label->WordWrap) {
        HDC dc = GetDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, ui::win32::FontOf(control.Font(), dpi));
        RECT box{0, 0, shown.width, 0};
        DrawTextA(dc, label->Caption().c_str(), static_cast<int>(label->Caption().size()), &box,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, previous);
        ReleaseDC(nullptr, dc);
        f.Expect(box.bottom <= shown.height, control.Name() + ": the wrapped text is " + std::to_string(box.bottom) +
                                                 " high in " + std::to_string(shown.height));
      } else {
        fits(label->Caption(), shown.width, "caption");
      }
    } else if (auto* button = dynamic_cast<ui::TButton*>(&control)) {
      const int glyph = button->Glyph != 0 ? ui::Scaled(16 + 4, dpi) : 0;
      fits(button->Caption(), shown.width - 2 * px1 - glyph, "caption");
    } else if (auto* box = dynamic_cast<ui::TCheckBox*>(&control)) {
      fits(box->Caption(), shown.width - GetSystemMetrics(SM_CXMENUCHECK) - ui::Scaled(4, dpi), "caption");
    } else if (auto* bar = dynamic_cast<ui::TNavBar*>(&control)) {
      for (const ui::TNavBar::Section& section : bar->Sections) {
        fits(section.caption, shown.width, "section");
        for (const ui::TNavBar::Item& item : section.items) fits(item.caption, shown.width - 2 * px1, "item");
      }
    } else if (auto* list = dynamic_cast<ui::TListBox*>(&control); list != nullptr && !list->Border) {
      for (const std::string& item : list->Items()) fits(item, shown.width - ui::Scaled(2, dpi), "item");
    }
  });
}

// One run of the window at the DPI the parent test below set for this process: client size,
// control rectangles and captions, a screenshot of every page and of the About box.
TEST_F(MainWindowTest, AtTheDisplayScaleSetForThisRun) {
  const char* wanted = std::getenv("NQ_DPI_RUN");
  if (wanted == nullptr) GTEST_SKIP() << "run by Dpi.EveryPageAtEachDisplayScale, at the DPI it sets";
  const int dpi = std::atoi(wanted);
  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    const std::string tag = "dpi" + std::to_string(dpi) + "-";
    f.Expect(form.Dpi == dpi, "the window is shown at " + std::to_string(dpi) + " DPI, not " + std::to_string(form.Dpi));
    const RECT client = nqgui::ClientRect(main);
    f.Expect(client.right == ui::Scaled(534, dpi) && client.bottom == ui::Scaled(402, dpi),
             "the client area is " + std::to_string(client.right) + " x " + std::to_string(client.bottom));
    CheckScaled(form, dpi, f);

    auto click = [&](int x, int y) {
      const RECT r = nqgui::WindowRect(main);
      Click(r.left + ui::Scaled(x, dpi), r.top + ui::Scaled(y, dpi));
    };
    // The navigation bar's own geometry, in layout units: 20-unit section buttons, items 60 apart
    // below an 8-unit margin; the point aimed at is rounded as the rule rounds.
    int open = 0;
    auto openSection = [&](int section) {
      const int top = section <= open ? section * 20 : kBarHeight - (kSections - section) * 20;
      click(56, kBarTop + top + 10);
      open = section;
      nqgui::Settle(150);
    };
    auto item = [&](int index) { click(56, kBarTop + (open + 1) * 20 + 8 + index * 60 + 30); };
    auto shot = [&](HWND window, const std::string& name) {
      nqgui::Settle();
      f.Expect(!nqgui::Screenshot(window, Shots(), tag + name).empty(), "screenshot " + tag + name);
    };
    auto showing = [&](const ui::TPanel& page) { return WaitFor([&] { return Shown(page); }); };

    shot(main, "01-repair");
    struct Visit {
      int section, item;
      const ui::TPanel* page;
      const char* name;
    } const visits[] = {{0, 1, &form.EntryListPage, "02-startup"},         {0, 2, &form.EntryListPage, "03-context-menu"},
                        {0, 3, &form.EntryListPage, "04-toolbar-button"},  {0, 4, &form.BrowsersPage, "17-browsers"},
                        {1, 0, &form.TraceCleanerPage, "05-protect-privacy"},
                        {1, 1, &form.EntryListPage, "06-manage-address"},  {1, 2, &form.CookiePage, "07-manage-cookies"},
                        {2, 0, &form.WallpaperPage, "09-wallpaper"}};
    for (const Visit& v : visits) {
      if (v.section != open) openSection(v.section);
      item(v.item);
      f.Expect(showing(*v.page), std::string(v.name) + " shows its page");
      if (v.page == &form.WallpaperPage) {
        const ui::TRect pictures = form.WallpaperListBox.Bounds();
        click(kPageLeft + pictures.left + 40, kPageTop + pictures.top + 7);  // "Blue Sky", previewed
      }
      shot(main, v.name);
    }
    // The pages' windows are made as each is first shown: now every one has its place.
    CheckScaled(form, dpi, f);

    const ui::TRect about = form.AboutButton.Bounds();
    const ui::TRect panel = form.BottomPanel.Bounds();
    click(panel.left + about.left + about.width / 2, panel.top + about.top + about.height / 2);
    HWND aboutBox = nullptr;
    f.Expect(WaitFor([&] { return (aboutBox = nqgui::FindOwned(main, "NqForm")) != nullptr; }), "About... opens");
    if (aboutBox != nullptr) {
      const RECT r = nqgui::ClientRect(aboutBox);
      f.Expect(r.right == ui::Scaled(308, dpi) && r.bottom == ui::Scaled(295, dpi), "the About box's size at this DPI");
      shot(aboutBox, "12-about");
      const RECT at = nqgui::WindowRect(aboutBox);
      Click(at.left + ui::Scaled(224 + 32, dpi), at.top + ui::Scaled(248 + 16, dpi));  // "OK"
      f.Expect(WaitFor([&] { return !IsWindow(aboutBox); }), "OK closes the About box");
    }
    click(534 - 9 - 10, 5 + 9);  // the title bar's close button
    f.Expect(WaitFor([&] { return closed.load(); }), "the close button closes the window");
  });
}

// Sets the display's DPI of the throwaway prefix (as the Display settings of the system would),
// runs the test above in a fresh process at each, and puts the prefix's setting back.
TEST(Dpi, EveryPageAtEachDisplayScale) {
  std::string reason;
  if (!nqtest::InThrowawayWinePrefix(&reason)) GTEST_SKIP() << reason;
  if (std::getenv("NQ_DPI_RUN") != nullptr) GTEST_SKIP() << "the run at one DPI";
  HKEY desktop = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            nullptr, &desktop, nullptr),
            ERROR_SUCCESS);
  DWORD saved = 0, size = sizeof saved, kind = 0;
  const bool had = RegQueryValueExA(desktop, "LogPixels", nullptr, &kind, reinterpret_cast<BYTE*>(&saved), &size) ==
                       ERROR_SUCCESS && kind == REG_DWORD;
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  for (DWORD dpi : {96u, 120u, 144u, 192u}) {
    RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    SetEnvironmentVariableA("NQ_DPI_RUN", std::to_string(dpi).c_str());
    std::string command = std::string("\"") + self + "\" --gtest_filter=MainWindowTest.AtTheDisplayScaleSetForThisRun";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != FALSE;
    SetEnvironmentVariableA("NQ_DPI_RUN", nullptr);
    EXPECT_TRUE(started) << "at " << dpi << " DPI";
    if (!started) continue;
    const DWORD waited = WaitForSingleObject(process.hProcess, 180000);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u) << "the window at " << dpi << " DPI (its findings are printed above)";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  if (had) {
    RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved), sizeof saved);
  } else {
    RegDeleteValueA(desktop, "LogPixels");
  }
  RegCloseKey(desktop);
}

// A move to a monitor of another DPI: the window takes the suggested rectangle and lays every
// control out again, and back.
TEST_F(MainWindowTest, MovingToAnotherDpiLaysTheWindowOutAgain) {
  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    const int first = form.Dpi;
    for (int dpi : {first * 3 / 2, first}) {
      const RECT at = nqgui::WindowRect(main);
      RECT suggested{at.left, at.top, at.left + ui::Scaled(534, dpi), at.top + ui::Scaled(402, dpi)};
      SendMessageA(main, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
      const RECT client = nqgui::ClientRect(main);
      f.Expect(client.right == ui::Scaled(534, dpi) && client.bottom == ui::Scaled(402, dpi),
               "the suggested size at " + std::to_string(dpi) + " DPI");
      f.Expect(form.Dpi == dpi, "the form's DPI follows");
      CheckScaled(form, dpi, f);
      nqgui::Settle();
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    f.Expect(WaitFor([&] { return closed.load(); }), "the window closes");
  });
}

// The browsers page, used as a person would: the hijacked profile, a real policies.json beside a
// firefox.exe, real shortcuts (one in a folder of Cyrillic name) and a task that starts Chrome
// hidden; one click on "Repair" fixes what is ticked and one report says how many. Afterwards no
// policy key that held only findings is left, the unrelated policy stays, the old policies.json
// is in the Recycle Bin, the shortcuts keep only their own arguments, the hijack task is gone and
// the backup task is still there. (Wine's Task Scheduler drops the actions of the tasks it registers,
// so a task that is found and repaired needs the substitute; the next test has the real one.)
TEST_F(MainWindowTest, BrowsersPageRepairsWhatIsTickedWithOneClick) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
  std::ifstream fixture(nqtest::FixturePath("browsers-hijacked.reg"), std::ios::binary);
  nqtest::LoadReg(registry_, std::string(std::istreambuf_iterator<char>(fixture), std::istreambuf_iterator<char>()));
  nqtest::TempFolder programs;
  const std::filesystem::path firefox = programs.Path() / "Mozilla Firefox";
  std::filesystem::create_directories(firefox / "distribution");
  std::ofstream(firefox / "firefox.exe") << "MZ";
  std::filesystem::copy_file(nqtest::FixturePath("firefox-policies.json"), firefox / "distribution" / "policies.json");
  nqtest::ForgetRecycled("policies.json");
  nqtest::ForgetRecycled("policies.json.old");
  const std::filesystem::path desktop = programs.Path() / platform::Utf8Path("Рабочий стол");
  const std::filesystem::path startMenu = programs.Path() / "Start Menu";
  std::filesystem::create_directories(desktop);
  std::filesystem::create_directories(startMenu);
  {
    nq::TRegistry machine(nq::TRegView::Key64);
    machine.SetRootKey(nq::kHkeyLocalMachine);
    ASSERT_TRUE(machine.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion", true));
    machine.WriteString("ProgramFilesDir", FullPath(programs.Path().string()));
    nq::TRegistry user;
    ASSERT_TRUE(user.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    user.WriteString("Desktop", FullPath(Utf8(desktop)));
    user.WriteString("Start Menu", FullPath(startMenu.string()));
  }
  platform::Win32ShellLinks& links = links_;
  const std::string edge = "C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\msedge.exe";
  const std::string chrome = "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe";
  const std::string edgeLink = FullPath(Utf8(desktop / platform::Utf8Path("Edge — мой.lnk")));
  const std::string chromeLink = FullPath((startMenu / "Google Chrome.lnk").string());
  ASSERT_EQ(links.Create(edgeLink, {edge, "--profile-directory=\"Profile 1\" https://search.example/?q="}), 0);
  ASSERT_EQ(links.Create(chromeLink, {chrome, "--load-extension=\"C:\\Users\\u\\AppData\\Local\\chrome\" "
                                              "--disable-features=DisableLoadExtensionCommandLineSwitch"}),
            0);
  platform::SimTaskScheduler& tasks = tasks_;
  const std::string script =
      "cwB0AGEAcgB0ACAAYwBoAHIAbwBtAGUAIAAtAC0AbABvAGEAZAAtAGUAeAB0AGUAbgBzAGkAbwBuAD0AIgAkAGUAbgB2ADoATABPAEMAQQBMAEEAUABQAEQAQQ"
      "BUAEEAXABjAGgAcgBvAG0AZQAiACAALQAtAHIAZQBzAHQAbwByAGUALQBsAGEAcwB0AC0AcwBlAHMAcwBpAG8AbgA=";
  ASSERT_EQ(tasks.Register("\\ChromeLoader", {{"cmd.exe", "/c start /min \"\" powershell -ExecutionPolicy Bypass "
                                                          "-WindowStyle Hidden -E " + script}}),
            0);
  ASSERT_EQ(tasks.Register("\\Backup", {{"cmd.exe", R"(/c robocopy "C:\Users\u\Documents" D:\Backup /MIR)"}}), 0);

  // What the one click should repair: the ticked findings, as the page will list them.
  const nq::TFindings found = nq::FindBrowserHijacks();
  std::size_t ticked = 0;
  for (const nq::TFinding& finding : found) ticked += finding.ticked ? 1 : 0;
  ASSERT_GE(ticked, 20u);
  ASSERT_TRUE(found.front().ticked);
  --ticked;  // the user unticks the first row

  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    auto click = [&](int x, int y) {
      const RECT r = nqgui::WindowRect(main);
      Click(r.left + x, r.top + y);
    };
    click(56, ItemY(0, 4));
    HWND list = reinterpret_cast<HWND>(ui::win32::WindowOf(form.FindingListView));
    f.Expect(WaitFor([&] { return Shown(form.BrowsersPage) && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 20; }),
             "Browsers lists the findings");
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    int checked = 0;
    for (int row = 0; row < rows; ++row) {
      const auto state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
      checked += (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2) ? 1 : 0;
    }
    f.Expect(checked == static_cast<int>(ticked + 1),
             "the check boxes show the verdicts: " + std::to_string(checked) + " of " + std::to_string(ticked + 1));
    // A click on the first row's check box unticks it and nothing else.
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    POINT check{row.left + 9, (row.top + row.bottom) / 2};
    ClientToScreen(list, &check);
    Click(check.x, check.y);
    f.Expect(WaitFor([&] {
      return (SendMessageA(list, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(1);
    }), "a click on the check box unticks the row");
    nqgui::Settle();
    f.Expect(!nqgui::Screenshot(main, Shots(), "18-browsers-found").empty(), "screenshot of the findings");

    const ui::TRect repair = form.RepairBrowsersButton.Bounds();
    click(kPageLeft + repair.left + repair.width / 2, kPageTop + repair.top + repair.height / 2);
    HWND box = nullptr;
    f.Expect(WaitFor([&] { return (box = nqgui::FindOwned(main, "#32770")) != nullptr; }, 30000), "Repair reports");
    if (box != nullptr) {
      const nqgui::MessageBoxView view = nqgui::ReadMessageBox(box);
      f.Expect(view.text == std::to_string(ticked) + " findings repaired.", "the report: " + view.text);
      const RECT ok = nqgui::WindowRect(GetDlgItem(box, IDOK));
      Click((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
      f.Expect(WaitFor([&] { return !IsWindow(box); }), "OK closes the report");
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    f.Expect(WaitFor([&] { return closed.load(); }), "the window closes");
  });

  for (const nq::TFinding& finding : nq::FindBrowserHijacks()) {
    const bool unticked = finding.where == found.front().where && finding.name == found.front().name;
    EXPECT_EQ(finding.ticked, unticked) << "after the repair: " << finding.where << " " << finding.name;
  }
  nq::TStrings values;
  for (const nq::RegKey root : {nq::kHkeyCurrentUser, nq::kHkeyLocalMachine}) {
    for (const char* key : {"\\Software\\Policies\\Microsoft\\Edge", "\\Software\\Policies\\BraveSoftware\\Brave",
                            "\\Software\\Policies\\Mozilla\\Firefox"}) {
      if (root == nq::kHkeyCurrentUser && std::string(key).ends_with("Edge")) continue;  // the unticked row's
      EXPECT_FALSE(nq::ListValueNames(root, key, values)) << "a key of findings alone goes: " << key;
    }
  }
  ASSERT_EQ(found.front().root, nq::kHkeyCurrentUser);
  EXPECT_TRUE(nq::ListValueNames(nq::kHkeyCurrentUser, "\\" + found.front().where, values));
  EXPECT_EQ(values, nq::TStrings{found.front().name}) << "the unticked row stays";
  EXPECT_TRUE(nq::ListValueNames(nq::kHkeyLocalMachine, "\\Software\\Policies\\Google\\Chrome", values));
  EXPECT_EQ(values, nq::TStrings{"MetricsReportingEnabled"}) << "a key with another policy stays";
  std::ifstream policies(firefox / "distribution" / "policies.json", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(policies), std::istreambuf_iterator<char>()};
  EXPECT_NE(text.find("DisableTelemetry"), std::string::npos) << text;
  EXPECT_EQ(text.find("Homepage"), std::string::npos) << text;
  EXPECT_FALSE(std::filesystem::exists(firefox / "distribution" / "policies.json.old"));
  // The old file went to the bin under the backup name the system's ReplaceFile gave it.
  EXPECT_TRUE(std::filesystem::exists(nqtest::WineRecycleBinFiles() / "policies.json.old"));
  platform::ShellLink link;
  ASSERT_EQ(links.Load(edgeLink, &link), 0);
  EXPECT_EQ(link.arguments, "--profile-directory=\"Profile 1\"");
  ASSERT_EQ(links.Load(chromeLink, &link), 0);
  EXPECT_EQ(link.arguments, "");
  std::vector<platform::ScheduledTask> left;
  ASSERT_EQ(tasks.Enumerate(&left), 0);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].path, "\\Backup");
}

// Wine's Task Scheduler, real, in the window's process: it asks for the computer name, which Wine
// reads under HKEY_LOCAL_MACHINE, so the scratch key carries it; then its service is started. Its
// tasks are the prefix's own, so the test deletes those it makes.
class RealTaskScheduler {
 public:
  RealTaskScheduler() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD length = sizeof name;
    GetComputerNameA(name, &length);
    nq::TRegistry machine;
    machine.SetRootKey(nq::kHkeyLocalMachine);
    if (machine.OpenKey("\\System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName", true)) {
      machine.WriteString("ComputerName", name);
    }
    started_ = backEnds_.StartTaskService();
  }
  ~RealTaskScheduler() {
    for (const std::string& path : made_) Tasks().Delete(path);
  }
  RealTaskScheduler(const RealTaskScheduler&) = delete;
  RealTaskScheduler& operator=(const RealTaskScheduler&) = delete;

  // Empty once the scheduler answers, else why not.
  const std::string& Started() const { return started_; }
  platform::ITaskScheduler& Tasks() { return backEnds_.Tasks(); }
  platform::HResult Register(const std::string& path, const std::vector<platform::TaskAction>& actions) {
    made_.push_back(path);
    return Tasks().Register(path, actions);
  }
  std::set<std::string> Paths() {
    std::vector<platform::ScheduledTask> tasks;
    EXPECT_EQ(Tasks().Enumerate(&tasks), 0);
    std::set<std::string> paths;
    for (const platform::ScheduledTask& task : tasks) paths.insert(task.path);
    return paths;
  }

 private:
  nqtest::FileTree tree_{nqtest::Backend::Win32};
  nqtest::LinkBackEnds backEnds_{tree_};  // installs the real shortcuts and tasks while it lives
  std::string started_;
  std::vector<std::string> made_;
};

std::string RowText(HWND list, int row, int column) {
  char text[256] = "";
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

bool RowTicked(HWND list, int row) {
  return (SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

// Repair, then Undo through the real window: Undo is greyed until the repair, asks Yes or No, says
// how many findings are back, and the list is the one before the repair, ticks and all.
TEST_F(MainWindowTest, BrowsersPageUndoesTheRepairToTheSameFindings) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
  std::ifstream fixture(nqtest::FixturePath("browsers-hijacked.reg"), std::ios::binary);
  nqtest::LoadReg(registry_, std::string(std::istreambuf_iterator<char>(fixture), std::istreambuf_iterator<char>()));
  nqtest::TempFolder programs;
  const std::filesystem::path firefox = programs.Path() / "Mozilla Firefox";
  std::filesystem::create_directories(firefox / "distribution");
  std::ofstream(firefox / "firefox.exe") << "MZ";
  std::filesystem::copy_file(nqtest::FixturePath("firefox-policies.json"), firefox / "distribution" / "policies.json");
  nqtest::ForgetRecycled("policies.json");
  nqtest::ForgetRecycled("policies.json.old");
  {
    nq::TRegistry machine(nq::TRegView::Key64);
    machine.SetRootKey(nq::kHkeyLocalMachine);
    ASSERT_TRUE(machine.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion", true));
    machine.WriteString("ProgramFilesDir", FullPath(programs.Path().string()));
  }
  const std::size_t found = nq::FindBrowserHijacks().size();
  ASSERT_GE(found, 20u);

  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    auto press = [&](const ui::TButton& button) {
      const RECT r = nqgui::WindowRect(main);
      const ui::TRect b = button.Bounds();
      Click(r.left + kPageLeft + b.left + b.width / 2, r.top + kPageTop + b.top + b.height / 2);
    };
    // The box the click brought up: its text, after `button` of it is clicked and it is gone.
    auto answer = [&](int button, const char* what) {
      HWND box = nullptr;
      if (!WaitFor([&] { return (box = nqgui::FindOwned(main, "#32770")) != nullptr; }, 30000)) {
        f.Fail(std::string("no box: ") + what);
        return nqgui::MessageBoxView{};
      }
      const nqgui::MessageBoxView view = nqgui::ReadMessageBox(box);
      const RECT r = nqgui::WindowRect(GetDlgItem(box, button));
      Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
      f.Expect(WaitFor([&] { return !IsWindow(box); }), std::string("the box closes: ") + what);
      return view;
    };
    // The page's windows are made when it is first shown.
    const RECT r = nqgui::WindowRect(main);
    Click(r.left + 56, r.top + ItemY(0, 4));
    HWND list = nullptr, undo = nullptr;
    f.Expect(WaitFor([&] {
      list = reinterpret_cast<HWND>(ui::win32::WindowOf(form.FindingListView));
      undo = reinterpret_cast<HWND>(ui::win32::WindowOf(form.UndoBrowsersButton));
      return list != nullptr && undo != nullptr && Shown(form.BrowsersPage) &&
             SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == static_cast<LRESULT>(found);
    }), "Browsers lists the findings");
    auto rows = [&] {
      std::vector<std::string> shown;
      const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
      for (int row = 0; row < count; ++row) {
        shown.push_back(RowText(list, row, 0) + " | " + RowText(list, row, 1) + " | " + RowText(list, row, 2) +
                        (RowTicked(list, row) ? " [x]" : " [ ]"));
      }
      return shown;
    };
    const std::vector<std::string> before = rows();
    f.Expect(!IsWindowEnabled(undo), "Undo is greyed before any repair");

    press(form.RepairBrowsersButton);
    const nqgui::MessageBoxView repaired = answer(IDOK, "the repair's report");
    f.Expect(repaired.text.ends_with(" findings repaired."), "the repair's report: " + repaired.text);
    f.Expect(WaitFor([&] { return IsWindowEnabled(undo) != FALSE; }), "Undo is enabled after the repair");
    f.Expect(rows() != before, "the repair changed the list");
    nqgui::Settle();
    f.Expect(!nqgui::Screenshot(main, Shots(), "19-browsers-undo").empty(), "screenshot with Undo enabled");

    press(form.UndoBrowsersButton);
    const nqgui::MessageBoxView question = answer(IDYES, "the undo's question");
    f.Expect(question.text.starts_with("Undo the repair of ") && question.yes && question.no && !question.ok,
             "a Yes/No question: " + question.text);
    const nqgui::MessageBoxView restored = answer(IDOK, "the undo's report");
    f.Expect(restored.text.ends_with(" findings restored."), "the undo's report: " + restored.text);
    f.Expect(WaitFor([&] { return rows() == before; }), "the list is the one before the repair");
    f.Expect(!IsWindowEnabled(undo), "Undo is greyed once the record is restored");
    PostMessageA(main, WM_CLOSE, 0, 0);
    f.Expect(WaitFor([&] { return closed.load(); }), "the window closes");
  });
  EXPECT_EQ(nq::FindBrowserHijacks().size(), found);
}

// A Chrome profile on disk, as Chrome leaves it: a store extension that takes the new tab and one
// loaded from a folder that takes the search engine. The page names both; one click removes the
// loaded one (its entry and MAC, its folder), and the store one stays, unticked.
TEST_F(MainWindowTest, BrowsersPageListsExtensionsByNameAndRemovesTheTickedOneWithOneClick) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
  using nqtest::profiles::Id;
  using nqtest::profiles::json;
  nqtest::TempFolder local;
  const std::filesystem::path profile = local.Path() / "Google" / "Chrome" / "User Data" / "Default";
  const std::filesystem::path unpacked = local.Path() / "Public" / platform::Utf8Path("поиск");
  const std::string tabFolder = nqtest::profiles::InstalledPath(Id('b'), "2.0");
  std::filesystem::create_directories(profile / "Extensions" / Id('b') / "2.0_0");
  std::filesystem::create_directories(unpacked);
  std::ofstream(profile / "Extensions" / Id('b') / "2.0_0" / "manifest.json")
      << nqtest::profiles::Manifest("Tab Page", "2.0",
                                    {{"update_url", "https://clients2.google.com/service/update2/crx"},
                                     {"chrome_url_overrides", {{"newtab", "tab.html"}}}})
             .dump();
  std::ofstream(unpacked / "manifest.json")
      << nqtest::profiles::Manifest(
             "Searchy", "0.9",
             {{"chrome_settings_overrides", {{"search_provider", {{"name", "Searchy"}, {"search_url", "http://searchy.example/?q={searchTerms}"}}}}}})
             .dump();
  const json settings = {{Id('b'), nqtest::profiles::Setting(1, tabFolder)},
                         {Id('c'), nqtest::profiles::Setting(4, FullPath(Utf8(unpacked)))}};
  const json macs = {{Id('b'), std::string(64, 'B')}, {Id('c'), std::string(64, 'C')}};
  std::ofstream(profile / "Secure Preferences")
      << nqtest::profiles::Prefs(settings, {{"protection", {{"macs", {{"extensions", {{"settings", macs}}}}}}}});
  nqtest::ForgetRecycled("Secure Preferences.old");
  nqtest::ForgetRecycled(Utf8(unpacked.filename()));
  {
    nq::TRegistry user;
    ASSERT_TRUE(user.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    user.WriteString("Local AppData", FullPath(local.Path().string()));
  }
  ASSERT_EQ(nq::FindBrowserHijacks().size(), 2u);

  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    const RECT r = nqgui::WindowRect(main);
    Click(r.left + 56, r.top + ItemY(0, 4));
    HWND list = nullptr;
    f.Expect(WaitFor([&] {
      list = reinterpret_cast<HWND>(ui::win32::WindowOf(form.FindingListView));
      return list != nullptr && Shown(form.BrowsersPage) && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 2;
    }), "Browsers lists the two extensions");
    if (list == nullptr) return;
    f.Expect(RowText(list, 0, 0) == "Chrome" && RowText(list, 0, 2).starts_with("Extension 'Tab Page' (Default): changes the new tab page") &&
                 !RowTicked(list, 0),
             "the store extension, by name, unticked: " + RowText(list, 0, 2));
    f.Expect(RowText(list, 1, 2).starts_with("Extension 'Searchy' (Default): changes the search engine") && RowTicked(list, 1),
             "the loaded one, by name, ticked: " + RowText(list, 1, 2));
    nqgui::Settle();
    f.Expect(!nqgui::Screenshot(main, Shots(), "20-browsers-extensions").empty(), "screenshot of the extension rows");

    const ui::TRect repair = form.RepairBrowsersButton.Bounds();
    Click(r.left + kPageLeft + repair.left + repair.width / 2, r.top + kPageTop + repair.top + repair.height / 2);
    HWND box = nullptr;
    f.Expect(WaitFor([&] { return (box = nqgui::FindOwned(main, "#32770")) != nullptr; }, 30000), "Repair reports");
    if (box != nullptr) {
      const nqgui::MessageBoxView view = nqgui::ReadMessageBox(box);
      f.Expect(view.text == "1 finding repaired.", "the report: " + view.text);
      const RECT ok = nqgui::WindowRect(GetDlgItem(box, IDOK));
      Click((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
      f.Expect(WaitFor([&] { return !IsWindow(box); }), "OK closes the report");
    }
    f.Expect(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 1; }), "one row is left");
    f.Expect(RowText(list, 0, 2).starts_with("Extension 'Tab Page'"), "the store extension stays: " + RowText(list, 0, 2));
    PostMessageA(main, WM_CLOSE, 0, 0);
    f.Expect(WaitFor([&] { return closed.load(); }), "the window closes");
  });

  std::ifstream in(profile / "Secure Preferences", std::ios::binary);
  const json after = json::parse(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  EXPECT_EQ(after["extensions"]["settings"].size(), 1u);
  EXPECT_TRUE(after["extensions"]["settings"].contains(Id('b')));
  EXPECT_EQ(after["protection"]["macs"]["extensions"]["settings"], (json{{Id('b'), std::string(64, 'B')}}));
  EXPECT_FALSE(std::filesystem::exists(unpacked));
  EXPECT_TRUE(std::filesystem::exists(profile / "Extensions" / Id('b')));
  nqtest::ForgetRecycled(Utf8(unpacked.filename()));
  nqtest::ForgetRecycled("Secure Preferences.old");
}

// A loader task in the real Task Scheduler, beside an unrelated one. Wine's scheduler drops their
// actions, so what they start cannot be read: both are rows of their own, unticked, and the loader
// ticked by hand is refused, never deleted blind; both are still in the scheduler afterwards.
TEST_F(MainWindowTest, BrowsersPageShowsTheRealSchedulersUnreadableTasksUntickedAndKeepsThem) {
  NQ_SKIP_OUTSIDE_THROWAWAY_PREFIX();
  RealTaskScheduler scheduler;
  ASSERT_EQ(scheduler.Started(), "");
  const std::string loader = "-ExecutionPolicy Bypass -WindowStyle Hidden -E " +
                             nqtest::EncodeCommand("start chrome --load-extension=\"$env:LOCALAPPDATA\\chrome\"");
  ASSERT_EQ(scheduler.Register("\\ChromeLoader", {{"powershell.exe", loader}}), 0);
  ASSERT_EQ(scheduler.Register("\\NQ Backup", {{"cmd.exe", R"(/c robocopy "C:\Users\u\Documents" D:\Backup /MIR)"}}), 0);

  Drive([&](nq::TMainForm& form, HWND main, Findings& f, const std::atomic<bool>& closed) {
    const RECT r = nqgui::WindowRect(main);
    Click(r.left + 56, r.top + ItemY(0, 4));
    HWND list = reinterpret_cast<HWND>(ui::win32::WindowOf(form.FindingListView));
    int loaderRow = -1, backupRow = -1;
    f.Expect(WaitFor([&] {
      const int rows = Shown(form.BrowsersPage) ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
      for (int row = 0; row < rows; ++row) {
        if (RowText(list, row, 1) == "\\ChromeLoader") loaderRow = row;
        if (RowText(list, row, 1) == "\\NQ Backup") backupRow = row;
      }
      return loaderRow >= 0 && backupRow >= 0;
    }), "Browsers lists both tasks");
    if (loaderRow < 0 || backupRow < 0) {
      PostMessageA(main, WM_CLOSE, 0, 0);
      return;
    }
    for (const int row : {loaderRow, backupRow}) {
      f.Expect(RowText(list, row, 0) == "Windows" && RowText(list, row, 2) == "Unreadable task",
               "an unreadable task's row: " + RowText(list, row, 0) + ", " + RowText(list, row, 2));
      f.Expect(!RowTicked(list, row), "what could not be read is unticked: " + RowText(list, row, 1));
    }
    RECT row{};
    row.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, loaderRow, reinterpret_cast<LPARAM>(&row));
    POINT check{row.left + 9, (row.top + row.bottom) / 2};
    ClientToScreen(list, &check);
    Click(check.x, check.y);
    f.Expect(WaitFor([&] { return RowTicked(list, loaderRow); }), "the loader ticked by hand");

    const ui::TRect repair = form.RepairBrowsersButton.Bounds();
    Click(r.left + kPageLeft + repair.left + repair.width / 2, r.top + kPageTop + repair.top + repair.height / 2);
    HWND box = nullptr;
    f.Expect(WaitFor([&] { return (box = nqgui::FindOwned(main, "#32770")) != nullptr; }, 30000), "Repair reports");
    if (box != nullptr) {
      const nqgui::MessageBoxView view = nqgui::ReadMessageBox(box);
      f.Expect(view.text == "0 findings repaired.\n\n1 finding was refused:\nWindows: \\ChromeLoader, Unreadable task",
               "the report: " + view.text);
      const RECT ok = nqgui::WindowRect(GetDlgItem(box, IDOK));
      Click((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
      f.Expect(WaitFor([&] { return !IsWindow(box); }), "OK closes the report");
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    f.Expect(WaitFor([&] { return closed.load(); }), "the window closes");
  });

  const std::set<std::string> left = scheduler.Paths();
  EXPECT_EQ(left.count("\\ChromeLoader"), 1u) << "never deleted blind";
  EXPECT_EQ(left.count("\\NQ Backup"), 1u);
}

}  // namespace
