// The toolbar wallpaper page, driven as the user drives it: the navigation item, clicks on rows,
// "Apply" and "Clear Wallpaper". Pictures lie in a temp tree (the substitute file system, and in
// the Windows build also the real one); the registry is the in-memory substitute.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#include "app/MainForm.h"
#include "platform/shell.h"
#include "services/MainFunc.h"
#include "tests/support/Installed.h"
#include "tests/support/Registry.h"
#include "tests/support/ShellFixture.h"
#include "ui/BmpWriter.h"
#include "ui/headless/ScriptedDialogs.h"

namespace {

using namespace nq;
using nqtest::Backend;

constexpr const char* kToolbarKey = "\\Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr const char* kValue = "backbitmapIE5";
constexpr const char* kCustomized =
    "IE toolbar has been customized,please close all IE windows,and then restart IE to see your new toolbar.";

// Colours of the test pictures: the preview's first pixel tells which file it shows.
constexpr std::uint32_t kSkyColor = 0x3366CC, kLeavesColor = 0x228B22, kOtherSkyColor = 0xFFD700,
                        kMarkerColor = 0x010203;

// Only the program's folder is asked of the shell here.
class FolderShell final : public platform::IShell {
 public:
  explicit FolderShell(std::string folder) : folder_(std::move(folder)) {}
  int FileOperation(platform::WindowHandle, std::uint32_t, const char*, std::uint16_t, bool*) override { return 1; }
  std::uintptr_t LoadLibrary(const char*) override { return 0; }
  void* GetProcAddress(std::uintptr_t, const char*) override { return nullptr; }
  void FreeLibrary(std::uintptr_t) override {}
  std::intptr_t ShellExecute(platform::WindowHandle, const char*, const char*, const char*, const char*,
                             int) override {
    return 0;
  }
  std::string ModuleFolder() override { return folder_; }

 private:
  std::string folder_;
};

// A file system that tells capitals from small letters when a file is opened by name, while its
// directory search lists names as they are on disk (as Windows does in a case-sensitive folder).
class CaseSensitiveFiles final : public nqtest::ForwardingFileSystem {
 public:
  using nqtest::ForwardingFileSystem::ForwardingFileSystem;
  bool ReadFilePrefix(const std::string& path, std::size_t maxBytes, std::string* bytes) override {
    return ExactName(path) && inner_.ReadFilePrefix(path, maxBytes, bytes);
  }
  bool FileExists(const std::string& path) override { return ExactName(path) && inner_.FileExists(path); }

 private:
  // The search for the name itself yields the entry with the name it has on disk.
  bool ExactName(const std::string& path) {
    platform::FindData found;
    const platform::SearchHandle search = inner_.FindFirst(path, &found);
    if (search == 0) return false;
    inner_.FindClose(search);
    return path.size() >= found.name.size() &&
           path.compare(path.size() - found.name.size(), found.name.size(), found.name) == 0;
  }
};

std::vector<Backend> Backends() {
  std::vector<Backend> kinds{Backend::Sim};
  if (nqtest::HaveWin32Backends()) kinds.push_back(Backend::Win32);
  return kinds;
}

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::Sim ? "Substitute" : "Win32";
}

class WallpaperPage : public nqtest::SimRegistryTest, public ::testing::WithParamInterface<Backend> {
 protected:
  void SetUp() override {
    SimRegistryTest::SetUp();
    tree_ = std::make_unique<nqtest::FileTree>(GetParam());
    tree_->MakeFolder("App\\Bitmaps");
    shell_ = std::make_unique<FolderShell>(tree_->Path("App") + "\\");
    installedShell_.emplace(*shell_);
    form_ = std::make_unique<TMainForm>();
    // A picture in the preview beforehand shows whether a step left it alone.
    form_->WallpaperPreview.SetPicture(Solid(kMarkerColor));
  }
  void TearDown() override {
    form_.reset();
    installedShell_.reset();
    tree_.reset();
    SimRegistryTest::TearDown();
  }

  static std::shared_ptr<const ui::TBitmap> Solid(std::uint32_t color) {
    auto b = std::make_shared<ui::TBitmap>();
    b->width = b->height = 1;
    b->pixels = {color};
    return b;
  }
  void Picture(const std::string& relative, std::uint32_t color) {
    tree_->WriteFile(relative, ui::SolidBmp(3, 2, color));
  }
  std::string Path(const std::string& relative) const { return tree_->Path(relative); }

  // The "Toolbar WallPaper" item of the navigation bar: shows the page, fills the list, reads the
  // current wallpaper.
  void Open() { form_->NavBar.ClickItem(TMainForm::secSetup, 0); }
  void ClickRow(const std::string& text) {
    const auto& rows = form_->WallpaperListBox.Items();
    const auto it = std::find(rows.begin(), rows.end(), text);
    ASSERT_NE(it, rows.end()) << text;
    form_->WallpaperListBox.UserSelect(static_cast<int>(it - rows.begin()));
  }
  std::string SelectedRow() const {
    const int i = form_->WallpaperListBox.ItemIndex();
    return i < 0 ? std::string("(none)") : form_->WallpaperListBox.Items()[static_cast<std::size_t>(i)];
  }
  std::uint32_t PreviewColor() const {
    const auto picture = form_->WallpaperPreview.Picture();
    return picture == nullptr || picture->pixels.empty() ? 0xFFFFFFFFu : picture->pixels[0];
  }
  void SetWallpaper(const std::string& path) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kToolbarKey, true));
    reg.WriteString(kValue, path);
  }
  bool HasValue() {
    TRegistry reg;
    return reg.OpenKey(kToolbarKey, false) && reg.ValueExists(kValue);
  }
  bool HasKey() {
    TRegistry reg;
    return reg.OpenKey(kToolbarKey, false);
  }
  std::string Wallpaper() { return ReadStringValue(kHkeyCurrentUser, kToolbarKey, kValue); }
  int Reports() const {
    int n = 0;
    for (const auto& box : dialogs_.shown) {
      EXPECT_EQ(box.text, kCustomized);  // nothing else, error reports included, may show here
      EXPECT_EQ(box.caption, kProductName);
      EXPECT_EQ(box.flags, ui::kMbOk);
      ++n;
    }
    return n;
  }

  std::unique_ptr<nqtest::FileTree> tree_;
  std::unique_ptr<FolderShell> shell_;
  std::optional<nqtest::Installed<platform::IShell>> installedShell_;
  ui::ScriptedDialogs dialogs_;
  nqtest::Installed<ui::IDialogs> installedDialogs_{dialogs_};
  std::unique_ptr<TMainForm> form_;
};

INSTANTIATE_TEST_SUITE_P(Files, WallpaperPage, ::testing::ValuesIn(Backends()), BackendName);

TEST_P(WallpaperPage, FirstVisitCreatesTheKeyAndApplyThenWrites) {
  Picture("App\\Bitmaps\\Sky.bmp", kSkyColor);
  ASSERT_FALSE(HasKey());
  Open();
  EXPECT_TRUE(form_->WallpaperPage.Visible());
  EXPECT_TRUE(HasKey());
  EXPECT_FALSE(HasValue());
  EXPECT_EQ(SelectedRow(), "(none)");
  EXPECT_EQ(PreviewColor(), kMarkerColor);

  ClickRow("Sky");
  EXPECT_EQ(PreviewColor(), kSkyColor);
  EXPECT_EQ(Reports(), 0);
  form_->ApplyWallpaperButton.Click();
  EXPECT_EQ(Wallpaper(), Path("App\\Bitmaps\\Sky.bmp"));
  EXPECT_EQ(Reports(), 1);
  // Apply changes neither the list nor the preview.
  EXPECT_EQ(SelectedRow(), "Sky");
  EXPECT_EQ(PreviewColor(), kSkyColor);
}

TEST_P(WallpaperPage, OpeningSelectsAndPreviewsTheCurrentWallpaper) {
  struct Case {
    const char* name;
    std::string value;          // "" leaves the value out
    std::string selected;
    std::uint32_t preview;
  };
  const Case cases[] = {
      {"a shipped picture", Path("App\\Bitmaps\\Sky.bmp"), "Sky", kSkyColor},
      {"another folder, other capitals", Path("Elsewhere\\sKY.Bmp"), "Sky", kOtherSkyColor},
      {"a file that is gone", Path("Elsewhere\\leaves.bmp"), "Leaves", kMarkerColor},
      {"a damaged picture", Path("App\\Bitmaps\\Broken.bmp"), "Broken", kMarkerColor},
      {"a picture no row names", Path("Elsewhere\\Sky two.bmp"), "(none)", kLeavesColor},
      {"no value", "", "(none)", kMarkerColor},
  };
  Picture("App\\Bitmaps\\Sky.bmp", kSkyColor);
  Picture("App\\Bitmaps\\Leaves.bmp", kLeavesColor);
  tree_->WriteFile("App\\Bitmaps\\Broken.bmp", "BM not really");
  Picture("Elsewhere\\sKY.Bmp", kOtherSkyColor);
  Picture("Elsewhere\\Sky two.bmp", kLeavesColor);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteNamedValue(kHkeyCurrentUser, kToolbarKey, kValue);
    if (!c.value.empty()) SetWallpaper(c.value);
    form_->WallpaperPreview.SetPicture(Solid(kMarkerColor));
    Open();
    EXPECT_EQ(SelectedRow(), c.selected);
    EXPECT_EQ(PreviewColor(), c.preview);
    EXPECT_EQ(Wallpaper(), c.value);  // opening never writes
  }
  EXPECT_EQ(Reports(), 0);
}

TEST_P(WallpaperPage, WallpaperThatIsNotTextReadsAsNone) {
  Picture("App\\Bitmaps\\Sky.bmp", kSkyColor);
  platform::RegKey key = 0;
  ASSERT_EQ(reg_.CreateKeyEx(kHkeyCurrentUser, kToolbarKey + 1, platform::kKeyAllAccess, &key), 0);
  const std::uint8_t four[4] = {1, 0, 0, 0};
  reg_.SetValueEx(key, kValue, platform::kRegDword, four, 4);
  reg_.CloseKey(key);
  Open();
  EXPECT_EQ(SelectedRow(), "(none)");
  EXPECT_EQ(PreviewColor(), kMarkerColor);
  EXPECT_EQ(Reports(), 0);
}

TEST_P(WallpaperPage, ListsThePictureFilesByNameWithoutExtension) {
  Picture("App\\Bitmaps\\my.sky.bmp", kSkyColor);
  Picture("App\\Bitmaps\\Hidden.bmp", kLeavesColor);
  tree_->SetAttributes("App\\Bitmaps\\Hidden.bmp", platform::kFileAttributeHidden | platform::kFileAttributeSystem);
  tree_->MakeFolder("App\\Bitmaps\\Folder.bmp");
  tree_->WriteFile("App\\Bitmaps\\notes.txt", "not a picture");
  Picture("App\\Sky.bmp", kSkyColor);  // beside the program, not in its Bitmaps folder
  Open();
  std::vector<std::string> rows = form_->WallpaperListBox.Items();
  std::sort(rows.begin(), rows.end());  // the search's own order is the list's
  EXPECT_EQ(rows, (std::vector<std::string>{"Hidden", "my.sky"}));
  ClickRow("my.sky");
  EXPECT_EQ(PreviewColor(), kSkyColor);
  form_->ApplyWallpaperButton.Click();
  EXPECT_EQ(Wallpaper(), Path("App\\Bitmaps\\my.sky.bmp"));
}

TEST_P(WallpaperPage, NoBitmapsFolderGivesAnEmptyList) {
  std::filesystem::remove_all(tree_->Host("App\\Bitmaps"));
  Open();
  EXPECT_EQ(form_->WallpaperListBox.Count(), 0);
  form_->ApplyWallpaperButton.Click();
  EXPECT_FALSE(HasValue());
  EXPECT_EQ(Reports(), 0);
}

TEST_P(WallpaperPage, ApplyWritesOnlyAnExistingPictureIntoAnExistingKey) {
  Picture("App\\Bitmaps\\Sky.bmp", kSkyColor);
  Picture("App\\Bitmaps\\Leaves.bmp", kLeavesColor);
  Open();

  form_->ApplyWallpaperButton.Click();  // no row selected
  EXPECT_FALSE(HasValue());

  // A picture removed after the list was filled: no preview, nothing written.
  std::filesystem::remove(tree_->Host("App\\Bitmaps\\Leaves.bmp"));
  ClickRow("Leaves");
  EXPECT_EQ(PreviewColor(), kMarkerColor);
  form_->ApplyWallpaperButton.Click();
  EXPECT_FALSE(HasValue());

  // The key went away after the page was opened: the write fails and nothing is reported.
  ClickRow("Sky");
  DeleteRegistryKey(kHkeyCurrentUser, kToolbarKey);
  form_->ApplyWallpaperButton.Click();
  EXPECT_FALSE(HasKey());
  EXPECT_EQ(Reports(), 0);
}

TEST_P(WallpaperPage, ClearReportsOnlyWhenThereWasAWallpaper) {
  Picture("App\\Bitmaps\\Sky.bmp", kSkyColor);
  SetWallpaper(Path("App\\Bitmaps\\Sky.bmp"));
  Open();
  form_->ClearWallpaperButton.Click();
  EXPECT_FALSE(HasValue());
  EXPECT_TRUE(HasKey());
  EXPECT_EQ(Reports(), 1);
  form_->ClearWallpaperButton.Click();
  EXPECT_EQ(Reports(), 1);
  // Clearing changes neither the list nor the preview.
  EXPECT_EQ(SelectedRow(), "Sky");
  EXPECT_EQ(PreviewColor(), kSkyColor);
}

// A file whose extension is written in capitals is found again by the name it has on disk, where
// the file system tells capitals from small letters; the stored value names that real file.
TEST_P(WallpaperPage, CapitalExtensionOnACaseSensitiveFileSystem) {
  Picture("App\\Bitmaps\\Sky.BMP", kSkyColor);
  Picture("App\\Bitmaps\\Leaves.bmp", kLeavesColor);
  CaseSensitiveFiles strict(tree_->FileSystem());
  nqtest::Installed installed(strict);
  Open();
  ClickRow("Sky");
  EXPECT_EQ(PreviewColor(), kSkyColor);
  form_->ApplyWallpaperButton.Click();
  EXPECT_EQ(Wallpaper(), Path("App\\Bitmaps\\Sky.BMP"));
  EXPECT_EQ(Reports(), 1);
  ClickRow("Leaves");
  EXPECT_EQ(PreviewColor(), kLeavesColor);
}

std::string ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Damaged pictures in the Bitmaps folder are passed over without a word; a good one beside them
// still shows.
TEST_P(WallpaperPage, DamagedPicturesLeaveThePreviewAlone) {
  std::vector<std::string> damaged;
  for (const auto& entry : std::filesystem::directory_iterator(nqtest::FixturePath("bitmaps"))) {
    if (entry.path().extension() != ".bmp") continue;
    const std::string name = entry.path().filename().string();
    tree_->WriteFile("App\\Bitmaps\\" + name, ReadHostFile(entry.path()));
    damaged.push_back(entry.path().stem().string());
  }
  ASSERT_FALSE(damaged.empty());
  Picture("App\\Bitmaps\\Good.bmp", kSkyColor);
  Open();
  for (const std::string& row : damaged) {
    SCOPED_TRACE(row);
    ClickRow(row);
    EXPECT_EQ(PreviewColor(), kMarkerColor);
  }
  ClickRow("Good");
  EXPECT_EQ(PreviewColor(), kSkyColor);
  EXPECT_EQ(Reports(), 0);
}

}  // namespace
