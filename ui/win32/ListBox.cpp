// The list box: rows of text drawn here, one of them selected. The mouse selects (dragging
// follows), the arrows, paging keys and first letters move the selection, the wheel and the scroll
// bar move the view. It answers the list box messages other programs read a list with
// (LB_GETCOUNT, LB_GETTEXT, LB_GETCURSEL, LB_FINDSTRINGEXACT, LB_GETITEMRECT, ...), so that it
// reads like the system's own. Drawn by us, it needs nothing of the common controls library,
// which the first page can then show without.
#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "ui/win32/Gdi.h"
#include "ui/win32/Peers.h"

namespace ui::win32 {
namespace {

class TListBoxPeer final : public TCustomPeer {
 public:
  explicit TListBoxPeer(TListBox& list) : TCustomPeer(list), list_(list) {}

  void Create(HWND parent) override {
    CreateChild(parent, 0, list_.Border ? WS_EX_CLIENTEDGE : 0);
    if (hwnd_ == nullptr) return;
    top_ = std::clamp(list_.TopIndex(), 0, MaxTop());
    UpdateScroll();
    ApplySelection();
  }

  int FocusedPart() const override { return list_.ItemIndex() + 1; }

  bool PartRect(int part, RECT& rect) const override {
    if (part < 1 || part > list_.Count()) return false;
    rect = RowRect(part - 1);
    return true;
  }

 protected:
  void Update(unsigned what) override {
    if (guard_) return;
    if (what & kChItems) {
      SetTop(std::min(top_, MaxTop()), false);
      UpdateScroll();
    }
    if (what & (kChItems | kChSelection)) ApplySelection();
    if ((what & kChSelection) && list_.ItemIndex() >= 0) {
      RaiseEvent(EVENT_OBJECT_SELECTION, list_.ItemIndex() + 1);
      // With the keyboard here, its row moved too: a screen reader reads the new one.
      if (GetFocus() == hwnd_) RaiseEvent(EVENT_OBJECT_FOCUS, list_.ItemIndex() + 1);
    }
    if (what & (kChItems | kChSelection)) Invalidate();
    if (what & kChRedraw) UpdateScroll();
    TCustomPeer::Update(what);
  }

  void Paint(HDC dc, const RECT& client) override {
    FillColor(dc, client, EffectiveColor(list_));
    TSelect font(dc, FontOf(list_.Font(), Dpi()));
    SetBkMode(dc, TRANSPARENT);
    const bool focused = GetFocus() == hwnd_;
    for (int i = top_; i < list_.Count(); ++i) {
      const RECT row = RowRect(i);
      if (row.top >= client.bottom) break;
      const bool selected = i == list_.ItemIndex();
      if (selected) FillColor(dc, row, GetSysColor(COLOR_HIGHLIGHT));
      SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : TextColorOf(list_));
      RECT box = row;
      box.left += Px(2);
      const std::string& text = list_.Items()[static_cast<std::size_t>(i)];
      DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    // The keyboard's row; an empty list shows the mark where its first row would be.
    if (focused) {
      const int caret = Caret();
      const RECT row = RowRect(std::max(caret, 0));
      DrawFocusRect(dc, &row);
    }
  }

  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_LBUTTONDOWN: {
        if (GetFocus() != hwnd_) SetFocus(hwnd_);
        dragging_ = true;
        SetCapture(hwnd_);
        const int row = RowAt(GET_Y_LPARAM(lParam));
        // As the system's list does, a click tells the owner even when the row was selected already.
        if (row >= 0) Choose(row, true);
        return 0;
      }
      case WM_MOUSEMOVE:
        if (dragging_) {
          const int y = GET_Y_LPARAM(lParam);
          int row = RowAt(y);
          if (y < 0 && top_ > 0) row = top_ - 1;
          if (y >= ClientHeight() && list_.Count() > 0) row = std::min(list_.Count() - 1, top_ + FullRows());
          if (row >= 0 && row != list_.ItemIndex()) Choose(row, false);
        }
        return 0;
      case WM_LBUTTONUP:
        dragging_ = false;
        if (GetCapture() == hwnd_) ReleaseCapture();
        return 0;
      case WM_CAPTURECHANGED:
        dragging_ = false;
        return 0;
      case WM_MOUSEWHEEL: {
        UINT lines = 3;
        SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        wheel_ += GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = wheel_ / WHEEL_DELTA;
        wheel_ -= notches * WHEEL_DELTA;
        const int step = lines == WHEEL_PAGESCROLL ? FullRows() : static_cast<int>(lines);
        if (notches != 0) SetTop(top_ - notches * std::max(step, 1), true);
        return 0;
      }
      case WM_VSCROLL:
        Scrolled(LOWORD(wParam));
        return 0;
      case WM_SIZE:
        UpdateScroll();
        SetTop(std::min(top_, MaxTop()), true);
        Invalidate();
        return 0;
      case WM_KEYDOWN:
        if (GetFocus() == hwnd_ && control_.KeyDown(static_cast<int>(wParam), ShiftState())) return 0;
        if (Navigate(static_cast<int>(wParam))) return 0;
        break;
      case WM_KEYUP:
        if (list_.OnKeyUp) list_.OnKeyUp(static_cast<int>(wParam), ShiftState());
        return 0;
      case WM_CHAR:
        FindByLetter(static_cast<unsigned char>(wParam));
        return 0;
      case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
      // What other programs ask a list box.
      case LB_GETCOUNT:
        return list_.Count();
      case LB_GETCURSEL:
        return list_.ItemIndex() >= 0 ? list_.ItemIndex() : LB_ERR;
      case LB_GETTOPINDEX:
        return top_;
      case LB_GETITEMHEIGHT:
        return RowHeight();
      case LB_GETTEXTLEN:
        return ValidRow(static_cast<int>(wParam)) ? static_cast<LRESULT>(Text(static_cast<int>(wParam)).size()) : LB_ERR;
      case LB_GETTEXT: {
        if (!ValidRow(static_cast<int>(wParam)) || lParam == 0) return LB_ERR;
        const std::string& text = Text(static_cast<int>(wParam));
        std::copy(text.begin(), text.end(), reinterpret_cast<char*>(lParam));
        reinterpret_cast<char*>(lParam)[text.size()] = '\0';
        return static_cast<LRESULT>(text.size());
      }
      case LB_FINDSTRINGEXACT:
        return lParam != 0 ? FindExact(static_cast<int>(wParam), reinterpret_cast<const char*>(lParam)) : LB_ERR;
      case LB_GETITEMRECT:
        if (!ValidRow(static_cast<int>(wParam)) || lParam == 0) return LB_ERR;
        *reinterpret_cast<RECT*>(lParam) = RowRect(static_cast<int>(wParam));
        return 1;
      default:
        break;
    }
    return TCustomPeer::WndProc(message, wParam, lParam);
  }

 private:
  int RowHeight() const { return std::max(1, Px(list_.ItemHeight)); }
  int ClientHeight() const {
    RECT client;
    GetClientRect(hwnd_, &client);
    return client.bottom;
  }
  // Rows shown whole; at least one, so that paging always moves.
  int FullRows() const { return std::max(1, ClientHeight() / RowHeight()); }
  int MaxTop() const { return std::max(0, list_.Count() - FullRows()); }
  bool ValidRow(int row) const { return row >= 0 && row < list_.Count(); }
  const std::string& Text(int row) const { return list_.Items()[static_cast<std::size_t>(row)]; }
  // The keyboard's row: the selected one, else the first shown.
  int Caret() const { return list_.ItemIndex() >= 0 ? list_.ItemIndex() : (list_.Count() > 0 ? top_ : -1); }

  RECT RowRect(int row) const {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int top = (row - top_) * RowHeight();
    return RECT{0, top, client.right, top + RowHeight()};
  }

  int RowAt(int y) const {
    if (y < 0 || y >= ClientHeight()) return -1;
    const int row = top_ + y / RowHeight();
    return ValidRow(row) ? row : -1;
  }

  void UpdateScroll() {
    if (hwnd_ == nullptr || inScroll_) return;
    inScroll_ = true;
    // The bar shows only while some rows are out of view.
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, list_.Count() - 1),
                    static_cast<UINT>(FullRows()), top_, 0};
    SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
    inScroll_ = false;
  }

  // Shows `top` as the first row; `user` when the view moved by the user's hand, which the state
  // then follows.
  void SetTop(int top, bool user) {
    top = std::clamp(top, 0, MaxTop());
    if (top != top_) {
      top_ = top;
      UpdateScroll();
      Invalidate();
    }
    if (user) SyncTopIndex();
  }

  void EnsureVisible(int row) {
    if (!ValidRow(row)) return;
    if (row < top_) {
      SetTop(row, false);
    } else if (row >= top_ + FullRows()) {
      SetTop(row - FullRows() + 1, false);
    }
  }

  // The state's selection and first row, as the program set them.
  void ApplySelection() {
    if (list_.TopIndex() != shownTop_) SetTop(list_.TopIndex(), false);
    if (list_.ItemIndex() != shownSelection_) {
      shownSelection_ = list_.ItemIndex();
      EnsureVisible(shownSelection_);
    }
    SyncTopIndex();
  }

  // The state follows what the user scrolled to: "the entry shown at the top" is read from it.
  void SyncTopIndex() {
    shownTop_ = top_;
    if (top_ != list_.TopIndex()) {
      guard_ = true;
      list_.SetTopIndex(top_);
      guard_ = false;
      shownTop_ = list_.TopIndex();
    }
  }

  // The user picked a row: it comes into view and the owner hears of it.
  void Choose(int row, bool always) {
    if (!ValidRow(row)) return;
    EnsureVisible(row);
    SyncTopIndex();
    if (!always && row == list_.ItemIndex()) return;
    list_.UserSelect(row);
    Invalidate();
  }

  bool Navigate(int key) {
    const int count = list_.Count();
    if (count == 0) return false;
    const int caret = Caret();
    const int page = std::max(1, FullRows() - 1);
    int row = caret;
    switch (key) {
      case VK_UP: row = caret - 1; break;
      case VK_DOWN: row = list_.ItemIndex() < 0 ? caret : caret + 1; break;
      case VK_PRIOR: row = caret - page; break;
      case VK_NEXT: row = caret + page; break;
      case VK_HOME: row = 0; break;
      case VK_END: row = count - 1; break;
      default: return false;
    }
    Choose(std::clamp(row, 0, count - 1), false);
    return true;
  }

  // A letter: the next row that starts with it, from the one after the selection round to it.
  void FindByLetter(unsigned char letter) {
    if (letter < 0x20 || list_.Count() == 0) return;
    const int count = list_.Count();
    const int from = list_.ItemIndex();
    for (int step = 1; step <= count; ++step) {
      const int row = ((from < 0 ? -1 : from) + step + count) % count;
      const std::string& text = Text(row);
      if (!text.empty() && std::tolower(static_cast<unsigned char>(text[0])) == std::tolower(letter)) {
        Choose(row, false);
        return;
      }
    }
  }

  int FindExact(int after, const char* text) const {
    const int count = list_.Count();
    const int from = after < 0 || after >= count ? -1 : after;
    for (int step = 1; step <= count; ++step) {
      const int row = (from + step) % count;
      // The system's list compares without case, as the user's locale has it.
      if (lstrcmpiA(Text(row).c_str(), text) == 0) return row;
    }
    return LB_ERR;
  }

  void Scrolled(int code) {
    const int page = FullRows();
    switch (code) {
      case SB_LINEUP: SetTop(top_ - 1, true); break;
      case SB_LINEDOWN: SetTop(top_ + 1, true); break;
      case SB_PAGEUP: SetTop(top_ - page, true); break;
      case SB_PAGEDOWN: SetTop(top_ + page, true); break;
      case SB_TOP: SetTop(0, true); break;
      case SB_BOTTOM: SetTop(MaxTop(), true); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(hwnd_, SB_VERT, &info);
        SetTop(info.nTrackPos, true);
        break;
      }
      default: break;
    }
  }

  TListBox& list_;
  int top_ = 0;
  int shownTop_ = 0;
  int shownSelection_ = -2;
  int wheel_ = 0;
  bool dragging_ = false;
  bool guard_ = false;
  bool inScroll_ = false;
};

}  // namespace

std::unique_ptr<TPeer> MakeListBoxPeer(TListBox& control) { return std::make_unique<TListBoxPeer>(control); }

}  // namespace ui::win32
