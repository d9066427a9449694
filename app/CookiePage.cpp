// The cookie page: the current user's cookie files with their sites, sorted, searched, selected,
// and the selected ones sent to the Recycle Bin. The handlers gather the rows and call the cookie
// functions.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/MainForm.h"
#include "privacy/CookieText.h"
#include "privacy/Cookies.h"
#include "ui/BusyCursor.h"
#include "ui/Dialogs.h"

namespace nq {
namespace {

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

const std::string& SiteOf(const ui::TListItem& item) {
  static const std::string none;
  return item.SubItems.empty() ? none : item.SubItems.front();
}

// Gives the list the focus, but never while it is hidden: keys would go to a list nobody sees.
void FocusIfShowing(ui::TListView& list) {
  if (list.Showing()) list.SetFocus();
}

// The file a row stands for.
TCookieFile FileOf(const ui::TListItem& row) {
  return {row.Caption, row.Data, row.SubItems.empty() ? std::string() : row.SubItems.front()};
}

}  // namespace

void TMainForm::LoadCookiesExecute() {
  const ui::TBusyCursor busy(CookiePage);
  // An error here (a "Cookies" value that is not text) leaves the rows and the folder as they were.
  CookieFolder = nq::CookieFolder();
  FocusIfShowing(CookieListView);
  TListUpdate update(CookieListView);
  CookieListView.Items.clear();
  for (const TCookieFile& file : ListCookieFiles(CookieFolder)) {
    ui::TListItem& row = CookieListView.Items.emplace_back();
    row.Caption = file.name;
    row.Data = file.shortName;
    row.SubItems.push_back(file.site);
  }
}

void TMainForm::CookieListViewColumnClick(int column) {
  if (column < 0 || column > 1) return;
  SortAscending = column == SortColumn ? !SortAscending : true;
  SortColumn = column;

  // The order CookieListViewCompare defines, reached faster: each row's text is put into capitals
  // once, so the sort compares plain bytes, and it moves small keys instead of whole rows. Rows
  // that compare equal keep the order they had.
  std::vector<ui::TListItem>& rows = CookieListView.Items;
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
  CookieListView.ItemsChanged();
}

int TMainForm::CookieListViewCompare(const ui::TListItem& item1, const ui::TListItem& item2) const {
  const int result = SortColumn == 0 ? CompareCookieText(item1.Caption, item2.Caption)
                                     : CompareCookieText(SiteOf(item1), SiteOf(item2));
  return SortAscending ? result : -result;
}

void TMainForm::DeleteCookieExecute() {
  if (!DeleteCookieUpdate()) return;
  std::vector<TCookieFile> selected;
  for (const ui::TListItem& row : CookieListView.Items) {
    if (row.Selected) selected.push_back(FileOf(row));
  }
  RecycleCookieFiles(CookieFolder, selected);

  // The shell may have been told no, or failed on some files: only the rows whose files are really
  // gone leave the list; the others stay, still selected.
  if (CookieFolder.empty()) return;
  std::erase_if(CookieListView.Items,
                [&](const ui::TListItem& row) { return row.Selected && CookieFileGone(CookieFolder, FileOf(row)); });
  CookieListView.ItemsChanged();
}

bool TMainForm::DeleteCookieUpdate() {
  return std::any_of(CookieListView.Items.begin(), CookieListView.Items.end(),
                     [](const ui::TListItem& row) { return row.Selected; });
}

void TMainForm::SearchCookieExecute() {
  for (ui::TListItem& row : CookieListView.Items) row.Selected = false;
  CookieListView.ItemsChanged();

  std::string text;
  if (!ui::Dialogs().InputQuery("Find cookies files", "Please input the name of cookies file", text, 255)) return;
  AsciiUpperCase(text);
  if (text.empty()) return;  // an empty text matches nothing

  bool any = false;
  std::string name;
  for (ui::TListItem& row : CookieListView.Items) {
    name = row.Caption;
    AsciiUpperCase(name);
    if (name.find(text) != std::string::npos) {
      row.Selected = true;
      any = true;
    }
  }
  if (!any) return;
  CookieListView.ItemsChanged();
  FocusIfShowing(CookieListView);
}

void TMainForm::SelectAllActExecute() {
  for (ui::TListItem& row : CookieListView.Items) row.Selected = true;
  CookieListView.ItemsChanged();
}

void TMainForm::SelectNoneActExecute() {
  for (ui::TListItem& row : CookieListView.Items) row.Selected = false;
  CookieListView.ItemsChanged();
}

void TMainForm::InvertSelectActExecute() {
  for (ui::TListItem& row : CookieListView.Items) row.Selected = !row.Selected;
  CookieListView.ItemsChanged();
}

}  // namespace nq
