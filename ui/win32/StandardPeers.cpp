// The standard controls, subclassed: check box, memo and list box.
#include <windowsx.h>

#include <algorithm>

#include "ui/win32/Gdi.h"
#include "ui/win32/Peers.h"

namespace ui::win32 {
namespace {

// ---- check box

class TCheckBoxPeer final : public TStandardPeer {
 public:
  explicit TCheckBoxPeer(TCheckBox& box) : TStandardPeer(box), box_(box) {}
  void Create(HWND parent) override {
    CreateStandard(parent, WC_BUTTONA, BS_AUTOCHECKBOX | WS_TABSTOP, 0);
    SetWindowTextA(hwnd_, box_.Caption().c_str());
    SendMessageA(hwnd_, BM_SETCHECK, box_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  void OnCommand(int code) override {
    if (code != BN_CLICKED) return;
    const bool shown = SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (shown != box_.Checked()) box_.Click();
  }
  HBRUSH OnCtlColor(HDC dc) override {
    const TColor back = EffectiveColor(box_);
    SetBkColor(dc, back);
    SetTextColor(dc, TextColorOf(box_));
    return BrushOf(back);
  }

 protected:
  void Update(unsigned what) override {
    if (what & kChText) SetWindowTextA(hwnd_, box_.Caption().c_str());
    if (what & kChChecked) SendMessageA(hwnd_, BM_SETCHECK, box_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    TStandardPeer::Update(what);
  }

 private:
  TCheckBox& box_;
};

// ---- memo

class TMemoPeer final : public TStandardPeer {
 public:
  explicit TMemoPeer(TMemo& memo) : TStandardPeer(memo), memo_(memo) {}
  void Create(HWND parent) override {
    DWORD style = ES_MULTILINE | ES_AUTOVSCROLL | WS_TABSTOP;
    if (memo_.ReadOnly) style |= ES_READONLY;
    CreateStandard(parent, WC_EDITA, style, WS_EX_CLIENTEDGE);
    SetWindowTextA(hwnd_, memo_.Text().c_str());
  }
  HBRUSH OnCtlColor(HDC dc) override {
    const TColor back = EffectiveColor(memo_);
    SetBkColor(dc, back);
    SetTextColor(dc, TextColorOf(memo_));
    return BrushOf(back);
  }

 protected:
  void Update(unsigned what) override {
    if (what & kChText) SetWindowTextA(hwnd_, memo_.Text().c_str());
    TStandardPeer::Update(what);
  }

 private:
  TMemo& memo_;
};

// ---- list box

class TListBoxPeer final : public TStandardPeer {
 public:
  explicit TListBoxPeer(TListBox& list) : TStandardPeer(list), list_(list) {}
  void Create(HWND parent) override {
    CreateStandard(parent, WC_LISTBOXA,
                   LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                   list_.Border ? WS_EX_CLIENTEDGE : 0);
    SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, Px(list_.ItemHeight));
    Rebuild();
    ApplySelection();
  }

  void Rescale() override {
    if (hwnd_ != nullptr) SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, Px(list_.ItemHeight));
    TStandardPeer::Rescale();
  }

  void OnCommand(int code) override {
    if (code != LBN_SELCHANGE) return;
    // Mouse, arrows, paging and letters all end here: the user's selection.
    const int index = static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0));
    SyncTopIndex();
    list_.UserSelect(index == LB_ERR ? -1 : index);
  }

  void OnDrawItem(DRAWITEMSTRUCT* item) override {
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    const TColor back = selected ? GetSysColor(COLOR_HIGHLIGHT) : EffectiveColor(list_);
    FillColor(item->hDC, item->rcItem, back);
    if (item->itemID != static_cast<UINT>(-1) && item->itemID < list_.Items().size()) {
      const std::string& text = list_.Items()[item->itemID];
      TSelect font(item->hDC, FontOf(list_.Font(), Dpi()));
      SetBkMode(item->hDC, TRANSPARENT);
      SetTextColor(item->hDC, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : TextColorOf(list_));
      RECT box = item->rcItem;
      box.left += Px(2);
      DrawTextA(item->hDC, text.c_str(), static_cast<int>(text.size()), &box,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
  }

  HBRUSH OnCtlColor(HDC dc) override {
    const TColor back = EffectiveColor(list_);
    SetBkColor(dc, back);
    return BrushOf(back);
  }

 protected:
  void Update(unsigned what) override {
    if (guard_) return;
    if (what & kChItems) {
      const int shown = static_cast<int>(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0));
      // Adding only appends; anything else lays the list out anew.
      if (!(what & kChSelection) && shown <= list_.Count()) {
        Append(shown);
      } else {
        Rebuild();
      }
    }
    if (what & (kChItems | kChSelection)) ApplySelection();
    if ((what & kChSelection) && list_.ItemIndex() >= 0) RaiseEvent(EVENT_OBJECT_SELECTION, list_.ItemIndex() + 1);
    TStandardPeer::Update(what);
  }

  LRESULT SubclassProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_KEYUP: {
        const LRESULT result = TStandardPeer::SubclassProc(message, wParam, lParam);
        if (list_.OnKeyUp) list_.OnKeyUp(static_cast<int>(wParam), ShiftState());
        return result;
      }
      case WM_VSCROLL:
      case WM_MOUSEWHEEL:
      case WM_KEYDOWN:
      case WM_SIZE: {
        const LRESULT result = TStandardPeer::SubclassProc(message, wParam, lParam);
        SyncTopIndex();
        return result;
      }
      default:
        return TStandardPeer::SubclassProc(message, wParam, lParam);
    }
  }

 private:
  void Append(int from) {
    for (int i = from; i < list_.Count(); ++i) SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list_.Items()[i].c_str()));
  }

  void Rebuild() {
    SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
    SendMessageA(hwnd_, LB_INITSTORAGE, list_.Count(), 0);
    Append(0);
    shownTop_ = 0;
    SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }

  void ApplySelection() {
    if (list_.TopIndex() != shownTop_) SendMessageA(hwnd_, LB_SETTOPINDEX, list_.TopIndex(), 0);
    if (static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0)) != list_.ItemIndex()) {
      SendMessageA(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(list_.ItemIndex()), 0);
    }
    SyncTopIndex();
  }

  // The state follows what the user scrolled to: "the entry shown at the top" is read from it.
  void SyncTopIndex() {
    const int top = static_cast<int>(SendMessageA(hwnd_, LB_GETTOPINDEX, 0, 0));
    shownTop_ = top;
    if (top != list_.TopIndex() && top >= 0) {
      guard_ = true;
      list_.SetTopIndex(top);
      guard_ = false;
    }
  }

  TListBox& list_;
  int shownTop_ = 0;
  bool guard_ = false;
};

}  // namespace

std::unique_ptr<TPeer> MakeCheckBoxPeer(TCheckBox& control) { return std::make_unique<TCheckBoxPeer>(control); }
std::unique_ptr<TPeer> MakeMemoPeer(TMemo& control) { return std::make_unique<TMemoPeer>(control); }
std::unique_ptr<TPeer> MakeListBoxPeer(TListBox& control) { return std::make_unique<TListBoxPeer>(control); }

}  // namespace ui::win32
