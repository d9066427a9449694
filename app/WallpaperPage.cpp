// The toolbar wallpaper page: lists the pictures, previews the one selected behind the picture of
// the browser's bars, and sets or clears the browser's toolbar background, with the report that
// the browser must be started anew to show it.
#include "app/MainForm.h"
#include "customise/Wallpaper.h"
#include "platform/shell.h"
#include "ui/Bitmap.h"

namespace nq {
namespace {

constexpr const char* kCustomizedText =
    "IE toolbar has been customized,please close all IE windows,and then restart IE to see your new toolbar.";

// Shows the picture in `path` in the preview. A missing file or one that is not a bitmap leaves
// the preview as it was, without a word: the list may hold any file that ends in ".bmp".
void Preview(ui::TImage& preview, const std::string& path) {
  if (!platform::FileSystem().FileExists(path)) return;
  if (auto picture = ui::LoadBitmapFile(path)) preview.SetPicture(std::move(picture));
}

}  // namespace

void TMainForm::BmpListboxLoadExecute() {
  WallpaperListBox.Clear();
  WallpaperListBox.AddAll(WallpaperNames());
}

void TMainForm::BmpGetActExecute() {
  const std::string current = CurrentWallpaper();
  if (current.empty()) return;
  Preview(WallpaperPreview, current);
  const int row = WallpaperRowOf(WallpaperListBox.Items(), current);
  if (row >= 0) WallpaperListBox.SetItemIndex(row);
}

void TMainForm::BmpListChangeExecute() {
  const int row = WallpaperListBox.ItemIndex();
  if (row < 0 || row >= WallpaperListBox.Count()) return;
  Preview(WallpaperPreview, WallpaperPath(WallpaperListBox.Items()[static_cast<std::size_t>(row)]));
}

void TMainForm::BmpSetActExecute() {
  const int row = WallpaperListBox.ItemIndex();
  if (row < 0 || row >= WallpaperListBox.Count()) return;
  if (SetWallpaper(WallpaperPath(WallpaperListBox.Items()[static_cast<std::size_t>(row)])).done) Report(kCustomizedText);
}

void TMainForm::bmpCleanActExecute() {
  if (ClearWallpaper().done) Report(kCustomizedText);
}

}  // namespace nq
