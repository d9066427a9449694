// The report-view list: a virtual list view that asks for each row's text as it draws it, so a
// list of many thousand rows costs nothing to show. The rows and their selection are the state's;
// the control's selection is copied back after every change the user makes.
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/win32/Gdi.h"
#include "ui/win32/Peers.h"

namespace ui::win32 {
namespace {

class TListViewPeer final : public TStandardPeer {
 public:
  explicit TListViewPeer(TListView& view) : TStandardPeer(view), view_(view) {}

  void Create(HWND parent) override {
    CreateStandard(parent, WC_LISTVIEWA, LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP,
                   WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE);
    if (hwnd_ == nullptr) return;
    ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_FLATSB |
                                                 (view_.CheckBoxes ? LVS_EX_CHECKBOXES : 0));
    // A virtual list keeps no state of its own: the check boxes are asked for as rows are drawn.
    if (view_.CheckBoxes) ListView_SetCallbackMask(hwnd_, LVIS_STATEIMAGEMASK);
    const TColor back = EffectiveColor(view_);
    ListView_SetBkColor(hwnd_, back);
    ListView_SetTextBkColor(hwnd_, back);
    ListView_SetTextColor(hwnd_, view_.Font().color);
    for (std::size_t i = 0; i < view_.Columns.size(); ++i) {
      LVCOLUMNA column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
      column.pszText = const_cast<char*>(view_.Columns[i].caption.c_str());
      column.cx = Px(view_.Columns[i].width);
      column.iSubItem = static_cast<int>(i);
      SendMessageA(hwnd_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    Push();
  }

  void Rescale() override {
    if (hwnd_ != nullptr) {
      for (std::size_t i = 0; i < view_.Columns.size(); ++i) {
        ListView_SetColumnWidth(hwnd_, static_cast<int>(i), Px(view_.Columns[i].width));
      }
    }
    TStandardPeer::Rescale();
  }

  LRESULT OnNotify(NMHDR* header) override {
    switch (header->code) {
      case LVN_GETDISPINFOA: {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
        FillText(item);
        FillCheck(item.iItem, item.mask, item.state, item.stateMask);
        return 0;
      }
      case LVN_GETDISPINFOW: {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
        FillCheck(item.iItem, item.mask, item.state, item.stateMask);
        if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0) {
          const std::string& text = TextOf(item.iItem, item.iSubItem);
          const int written = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), item.pszText,
                                                  item.cchTextMax - 1);
          item.pszText[written > 0 ? written : 0] = L'\0';
        }
        return 0;
      }
      case LVN_ITEMCHANGED: {
        auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) Pull();
        return 0;
      }
      case LVN_ODSTATECHANGED:
        Pull();
        return 0;
      case LVN_COLUMNCLICK:
        view_.ClickColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        return 0;
      default:
        return 0;
    }
  }

 protected:
  void Update(unsigned what) override {
    if ((what & (kChItems | kChSelection | kChRedraw)) && !view_.Updating()) Push();
    if (what & (kChColor | kChFont)) {
      const TColor back = EffectiveColor(view_);
      ListView_SetBkColor(hwnd_, back);
      ListView_SetTextBkColor(hwnd_, back);
      ListView_SetTextColor(hwnd_, view_.Font().color);
    }
    TStandardPeer::Update(what);
  }

  LRESULT SubclassProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CONTEXTMENU && reinterpret_cast<HWND>(wParam) == hwnd_ && view_.PopupMenu != nullptr) {
      ShowPopup(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), lParam == -1);
      return 0;
    }
    // A click on a row's check box toggles it and leaves the selection alone; the control itself
    // never sees it, so it cannot toggle it a second time.
    if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) && view_.CheckBoxes) {
      LVHITTESTINFO hit{};
      hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (ListView_HitTest(hwnd_, &hit) >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) {
        if (GetFocus() != hwnd_) SetFocus(hwnd_);
        view_.ToggleCheck(hit.iItem);
        return 0;
      }
    }
    return TStandardPeer::SubclassProc(message, wParam, lParam);
  }

 private:
  const std::string& TextOf(int row, int column) const {
    static const std::string none;
    if (row < 0 || row >= static_cast<int>(view_.Items.size())) return none;
    const TListItem& item = view_.Items[row];
    if (column == 0) return item.Caption;
    if (column - 1 < static_cast<int>(item.SubItems.size())) return item.SubItems[column - 1];
    return none;
  }

  void FillCheck(int row, UINT mask, UINT& state, UINT& stateMask) const {
    if (!view_.CheckBoxes || !(mask & LVIF_STATE) || row < 0 || row >= static_cast<int>(view_.Items.size())) return;
    state = (state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(view_.Items[row].Checked ? 2 : 1);
    stateMask |= LVIS_STATEIMAGEMASK;
  }

  void FillText(LVITEMA& item) const {
    if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0) return;
    const std::string& text = TextOf(item.iItem, item.iSubItem);
    // Texts are UTF-8: one cut short ends before the letter that does not fit, not inside it.
    std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    if (length < text.size()) {
      while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    text.copy(item.pszText, length);
    item.pszText[length] = '\0';
  }

  // The state's rows and selection onto the control.
  void Push() {
    pushing_ = true;
    const int count = static_cast<int>(view_.Items.size());
    if (ListView_GetItemCount(hwnd_) != count) {
      ListView_SetItemCountEx(hwnd_, count, LVSICF_NOSCROLL);
    }
    ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
    for (int i = 0; i < count; ++i) {
      if (view_.Items[i].Selected) ListView_SetItemState(hwnd_, i, LVIS_SELECTED, LVIS_SELECTED);
    }
    pushing_ = false;
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  // The user's selection back into the state.
  void Pull() {
    if (pushing_) return;
    std::vector<bool> before;
    before.reserve(view_.Items.size());
    for (TListItem& item : view_.Items) {
      before.push_back(item.Selected);
      item.Selected = false;
    }
    const int count = static_cast<int>(view_.Items.size());
    for (int i = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); i >= 0 && i < count;
         i = ListView_GetNextItem(hwnd_, i, LVNI_SELECTED)) {
      view_.Items[i].Selected = true;
    }
    for (int i = 0; i < count; ++i) {
      if (view_.Items[i].Selected != before[i]) {
        view_.SelectionPulled();
        return;
      }
    }
  }

  void ShowPopup(int x, int y, bool fromKeyboard) {
    if (fromKeyboard) {
      // Shift+F10 or the menu key: below the focused row, or at the list's corner.
      RECT at{};
      const int focused = ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED);
      if (focused < 0 || !ListView_GetItemRect(hwnd_, focused, &at, LVIR_LABEL)) at = RECT{4, 4, 4, 4};
      POINT corner{at.left, at.bottom};
      ClientToScreen(hwnd_, &corner);
      x = corner.x;
      y = corner.y;
    }
    TPopupMenu& menu = *view_.PopupMenu;
    HMENU popup = CreatePopupMenu();
    if (popup == nullptr) return;
    for (std::size_t i = 0; i < menu.Items.size(); ++i) {
      const TMenuItem& item = menu.Items[i];
      if (item.caption == "-") {
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      std::string text = item.caption;
      const std::string key = ShortCutText(item.shortCut);
      if (!key.empty()) text += "\t" + key;
      AppendMenuA(popup, MF_STRING | (menu.IsEnabled(item) ? 0 : MF_GRAYED), i + 1, text.c_str());
    }
    const int chosen = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0,
                                      hwnd_, nullptr);
    DestroyMenu(popup);
    if (chosen <= 0 || chosen > static_cast<int>(menu.Items.size())) return;
    // A copy: the handler may change the menu.
    auto handler = menu.Items[chosen - 1].onClick;
    if (handler && menu.IsEnabled(menu.Items[chosen - 1])) handler();
  }

  TListView& view_;
  bool pushing_ = false;
};

}  // namespace

std::unique_ptr<TPeer> MakeListViewPeer(TListView& control) { return std::make_unique<TListViewPeer>(control); }

}  // namespace ui::win32
