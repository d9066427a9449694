// The cookie page: lists the cookie files of the current user with the site each one belongs to,
// sorts, searches and selects the rows, and sends the selected files to the Recycle Bin.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/MainForm.h"
#include "platform/shell.h"
#include "privacy/CookieText.h"
#include "services/CleanHistory.h"
#include "services/FileSearch.h"
#include "services/MainFunc.h"
#include "ui/Dialogs.h"

namespace nq {
namespace {

// The busy pointer over a control for as long as this lives, whichever way the work ends.
class TBusyCursor {
 public:
  explicit TBusyCursor(ui::TControl& control) : control_(control), previous_(control.Cursor()) {
    control_.SetCursor(ui::TCursor::HourGlass);
  }
  ~TBusyCursor() { control_.SetCursor(previous_); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  ui::TControl& control_;
  ui::TCursor previous_;
};

// Holds back a list's drawing; it draws once when this goes.
class TListUpdate {
 public:
  explicit TListUpdate(ui::TListView& list) : list_(list) { list_.BeginUpdate(); }
  ~TListUpdate() { list_.EndUpdate(); }
  TListUpdate(const TListUpdate&) = delete;
  TListUpdate& operator=(const TListUpdate&) = delete;

 private:
  ui::TListView& list_;
};

// The site of one cookie file: empty when it has fewer than three lines, when its third line does
// not end within the first kCookieReadLimit bytes, or when it cannot be read.
std::string ReadCookieSite(platform::IFileSystem& fs, const std::string& path, std::string& buffer) {
  try {
    std::string site;
    // A short read first; one byte past each size tells a file that ends there from one that goes on.
    for (const std::size_t size : {kCookieFirstRead, kCookieReadLimit}) {
      buffer.clear();
      if (!fs.ReadFilePrefix(path, size + 1, &buffer)) return std::string();
      const bool complete = buffer.size() <= size;
      if (!complete) buffer.resize(size);
      if (FindCookieSite(buffer, complete, site)) return site;
    }
    return std::string();  // the third line runs on past the cap: no site rather than part of one
  } catch (const std::exception&) {
    // A file that cannot be read keeps its row, without a site.
    return std::string();
  }
}

const std::string& SiteOf(const ui::TListItem& item) {
  static const std::string none;
  return item.SubItems.empty() ? none : item.SubItems.front();
}

// Gives the list the focus, but never while it is hidden: keys would go to a list nobody sees.
void FocusIfShowing(ui::TListView& list) {
  if (list.Showing()) list.SetFocus();
}

}  // namespace

void TMainForm::LoadCookiesExecute() {
  TBusyCursor busy(GroupBoxCookie);
  // An error here (a "Cookies" value that is not text) leaves the rows and the folder as they were.
  CookieFolder = GetShellFolder("Cookies");

  platform::IFileSystem& fs = platform::FileSystem();
  FocusIfShowing(ListView);
  TListUpdate update(ListView);
  ListView.Items.clear();
  const std::string prefix = CookieFolder + "\\";
  std::string path;
  std::string buffer;
  ForEachFileWithExtension(CookieFolder, ".txt", [&](const platform::FindData& found) {
    ui::TListItem& row = ListView.Items.emplace_back();
    row.Caption = found.name;
    // A name that came back with '?' is shown as it came; the file is reached by its 8.3 name.
    row.Data = found.shortName;
    const std::string name = NameToActOn(found);
    row.SubItems.push_back(name.empty() ? std::string() : ReadCookieSite(fs, path.assign(prefix).append(name), buffer));
  });
}

void TMainForm::ListViewColumnClick(int column) {
  if (column < 0 || column > 1) return;
  SortAscending = column == SortColumn ? !SortAscending : true;
  SortColumn = column;

  // The order ListViewCompare defines, reached faster: each row's text is put into capitals once,
  // so the sort compares plain bytes, and it moves small keys instead of whole rows. Rows that
  // compare equal keep the order they had.
  std::vector<ui::TListItem>& rows = ListView.Items;
  std::vector<std::pair<std::string, std::uint32_t>> keys(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    keys[i].first = column == 0 ? rows[i].Caption : SiteOf(rows[i]);
    AsciiUpperCase(keys[i].first);
    keys[i].second = static_cast<std::uint32_t>(i);
  }
  const bool ascending = SortAscending;
  std::sort(keys.begin(), keys.end(), [ascending](const auto& a, const auto& b) {
    const int order = a.first.compare(b.first);
    if (order != 0) return ascending ? order < 0 : order > 0;
    return a.second < b.second;
  });
  std::vector<ui::TListItem> sorted;
  sorted.reserve(rows.size());
  for (const auto& key : keys) sorted.push_back(std::move(rows[key.second]));
  rows.swap(sorted);
  ListView.ItemsChanged();
}

int TMainForm::ListViewCompare(const ui::TListItem& item1, const ui::TListItem& item2) const {
  const int result = SortColumn == 0 ? CompareCookieText(item1.Caption, item2.Caption)
                                     : CompareCookieText(SiteOf(item1), SiteOf(item2));
  return SortAscending ? result : -result;
}

void TMainForm::DeleteCookieExecute() {
  if (!DeleteCookieUpdate()) return;
  // Rows come only from a load of a known folder; without one there is nothing safe to delete.
  if (CookieFolder.empty()) return;

  // A row whose name holds a '?' goes by its 8.3 name; without one its file stays, and so does its
  // row: the shell would take the '?' as a wildcard and recycle every file it matches.
  std::string files;
  for (const ui::TListItem& row : ListView.Items) {
    if (!row.Selected) continue;
    const std::string name = NameToActOn(row.Caption, row.Data);
    if (name.empty()) continue;
    files.append(CookieFolder).append("\\").append(name).push_back('\0');
  }
  files.push_back('\0');
  RecycleFiles(0, files);

  // The shell may have been told no, or failed on some files: only the rows whose files are really
  // gone leave the list; the others stay, still selected.
  platform::IFileSystem& fs = platform::FileSystem();
  std::string path;
  std::erase_if(ListView.Items, [&](const ui::TListItem& row) {
    if (!row.Selected) return false;
    const std::string name = NameToActOn(row.Caption, row.Data);
    if (name.empty()) return false;
    path.assign(CookieFolder).append("\\").append(name);
    return !fs.FileExists(path);
  });
  ListView.ItemsChanged();
}

bool TMainForm::DeleteCookieUpdate() {
  return std::any_of(ListView.Items.begin(), ListView.Items.end(), [](const ui::TListItem& row) { return row.Selected; });
}

void TMainForm::SearchCookieExecute() {
  for (ui::TListItem& row : ListView.Items) row.Selected = false;
  ListView.ItemsChanged();

  std::string text;
  if (!ui::Dialogs().InputQuery("Find cookies files", "Please input the name of cookies file", text, 255)) return;
  AsciiUpperCase(text);
  if (text.empty()) return;  // an empty text matches nothing

  bool any = false;
  std::string name;
  for (ui::TListItem& row : ListView.Items) {
    name = row.Caption;
    AsciiUpperCase(name);
    if (name.find(text) != std::string::npos) {
      row.Selected = true;
      any = true;
    }
  }
  if (!any) return;
  ListView.ItemsChanged();
  FocusIfShowing(ListView);
}

void TMainForm::SelectAllActExecute() {
  for (ui::TListItem& row : ListView.Items) row.Selected = true;
  ListView.ItemsChanged();
}

void TMainForm::SelectNoneActExecute() {
  for (ui::TListItem& row : ListView.Items) row.Selected = false;
  ListView.ItemsChanged();
}

void TMainForm::InvertSelectActExecute() {
  for (ui::TListItem& row : ListView.Items) row.Selected = !row.Selected;
  ListView.ItemsChanged();
}

}  // namespace nq
