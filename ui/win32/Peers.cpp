#include "ui/win32/Peers.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/win32/Gdi.h"

namespace ui::win32 {
namespace {

constexpr const char* kPeerProperty = "NqPeer";

int NextControlId() {
  static int id = 1000;
  return ++id;
}

TColor Darker(TColor color, int percent) {
  auto part = [&](int shift) { return ((color >> shift) & 0xFF) * percent / 100; };
  return Rgb(part(0), part(8), part(16));
}

COLORREF TextColorOf(const TControl& control) {
  return control.Enabled() ? control.Font().color : GetSysColor(COLOR_GRAYTEXT);
}

}  // namespace

unsigned ShiftState() {
  unsigned shift = kShiftNone;
  if (GetKeyState(VK_SHIFT) < 0) shift |= kShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= kCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= kAlt;
  return shift;
}

// ---- TPeer

TPeer::TPeer(TControl& control) : control_(control) { control_.SetPeer(this); }

TPeer::~TPeer() {
  if (control_.Peer() == this) control_.SetPeer(nullptr);
  if (hwnd_ != nullptr) RemovePropA(hwnd_, kPeerProperty);
}

TPeer* TPeer::Of(HWND window) {
  return window != nullptr ? static_cast<TPeer*>(GetPropA(window, kPeerProperty)) : nullptr;
}

void TPeer::Attach(HWND window) {
  hwnd_ = window;
  SetPropA(window, kPeerProperty, this);
}

void TPeer::Detach() {
  if (hwnd_ != nullptr) RemovePropA(hwnd_, kPeerProperty);
  hwnd_ = nullptr;
}

void TPeer::Changed(TControl&, unsigned what) {
  if (hwnd_ == nullptr) return;
  if (what & kChBounds) {
    const TRect b = control_.Bounds();
    SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (what & kChVisible) {
    if (control_.Visible()) {
      ShowWindow(hwnd_, SW_SHOWNA);
    } else {
      // Focus must not stay in a window nobody can see: the form takes it.
      HWND focus = GetFocus();
      if (focus != nullptr && (focus == hwnd_ || IsChild(hwnd_, focus))) SetFocus(GetAncestor(hwnd_, GA_ROOT));
      ShowWindow(hwnd_, SW_HIDE);
    }
  }
  if (what & kChEnabled) EnableWindow(hwnd_, control_.Enabled() ? TRUE : FALSE);
  if (what & kChColor) ShowCursorNow();
  Update(what);
}

void TPeer::Focus(TControl&) {
  if (hwnd_ != nullptr && IsWindowVisible(hwnd_)) SetFocus(hwnd_);
}

bool TPeer::ApplyCursor(WPARAM hitTest) const {
  for (const TControl* c = &control_; c != nullptr; c = c->Parent()) {
    if (c->Cursor() == TCursor::HourGlass) {
      SetCursor(LoadCursor(nullptr, IDC_WAIT));
      return true;
    }
  }
  if (LOWORD(hitTest) == HTCLIENT && control_.Cursor() == TCursor::HandPoint) {
    SetCursor(LoadCursor(nullptr, IDC_HAND));
    return true;
  }
  return false;
}

void TPeer::ShowCursorNow() const {
  // A busy command runs without handling messages: set the pointer now, not at the next move.
  POINT at{};
  if (!GetCursorPos(&at)) return;
  HWND under = WindowFromPoint(at);
  if (under == nullptr || (under != hwnd_ && !IsChild(hwnd_, under))) return;
  const LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

void TPeer::FocusArrived(bool focusable) {
  if (TForm* form = control_.Form()) form->SetActiveControl(focusable ? &control_ : nullptr);
}

// ---- TCustomPeer

LRESULT CALLBACK TCustomPeer::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TCustomPeer* peer = nullptr;
  if (message == WM_NCCREATE) {
    peer = static_cast<TCustomPeer*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(peer));
    peer->Attach(window);
  } else {
    peer = reinterpret_cast<TCustomPeer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }
  if (peer == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    peer->Detach();
    return DefWindowProcA(window, message, wParam, lParam);
  }
  // Nothing may unwind through the system's frames; the commands report their own errors.
  try {
    return peer->WndProc(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

void TCustomPeer::CreateCustom(HWND parent, const char* windowClass, DWORD style, DWORD exStyle, int x, int y,
                               int w, int h) {
  CreateWindowExA(exStyle, windowClass, "", style, x, y, w, h, parent,
                  (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())) : nullptr,
                  Instance(), this);
}

void TCustomPeer::CreateChild(HWND parent, DWORD extraStyle) {
  const TRect b = control_.Bounds();
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | extraStyle;
  if (control_.Visible()) style |= WS_VISIBLE;
  if (!control_.Enabled()) style |= WS_DISABLED;
  CreateCustom(parent, kCustomClass, style, WS_EX_CONTROLPARENT, b.left, b.top, b.width, b.height);
}

void TCustomPeer::Invalidate() const {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void TCustomPeer::TrackLeave() {
  if (tracking_) return;
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
  tracking_ = TrackMouseEvent(&track) != FALSE;
}

bool TCustomPeer::Inside(LPARAM lParam) const {
  RECT client;
  GetClientRect(hwnd_, &client);
  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return PtInRect(&client, at) != FALSE;
}

void TCustomPeer::Update(unsigned what) {
  if (what & ~(kChBounds | kChVisible)) Invalidate();
}

void TCustomPeer::Paint(HDC dc, const RECT& client) { FillColor(dc, client, EffectiveColor(control_)); }

LRESULT TCustomPeer::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT client;
      GetClientRect(hwnd_, &client);
      // Drawn off screen first, so nothing flickers while the parts go on top of each other.
      TMemoryDc buffer(dc);
      TGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)));
      {
        TSelect select(buffer.Get(), bitmap.Get());
        Paint(buffer.Get(), client);
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, buffer.Get(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
      }
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(hwnd_, &client);
      Paint(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == hwnd_ ? ApplyCursor(lParam) : ApplyCursor(HTNOWHERE)) return TRUE;
      break;
    case WM_SETFOCUS:
      FocusArrived(false);
      return 0;
    case WM_COMMAND:
      if (TPeer* child = Of(reinterpret_cast<HWND>(lParam))) child->OnCommand(HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (TPeer* child = Of(header->hwndFrom)) return child->OnNotify(header);
      return 0;
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (TPeer* child = Of(item->hwndItem)) {
        child->OnDrawItem(item);
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      if (TPeer* child = Of(reinterpret_cast<HWND>(lParam))) {
        if (HBRUSH brush = child->OnCtlColor(reinterpret_cast<HDC>(wParam))) return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_NOTIFYFORMAT:
      return NFR_ANSI;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

// ---- TStandardPeer

LRESULT CALLBACK TStandardPeer::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data) {
  auto* peer = reinterpret_cast<TStandardPeer*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &TStandardPeer::Proc, id);
    peer->Detach();
    return DefSubclassProc(window, message, wParam, lParam);
  }
  try {
    return peer->SubclassProc(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

void TStandardPeer::CreateStandard(HWND parent, const char* windowClass, DWORD style, DWORD exStyle) {
  const TRect b = control_.Bounds();
  style |= WS_CHILD | WS_CLIPSIBLINGS;
  if (control_.Visible()) style |= WS_VISIBLE;
  if (!control_.Enabled()) style |= WS_DISABLED;
  HWND window = CreateWindowExA(exStyle, windowClass, "", style, b.left, b.top, b.width, b.height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())), Instance(), nullptr);
  if (window == nullptr) return;
  Attach(window);
  SetWindowSubclass(window, &TStandardPeer::Proc, 1, reinterpret_cast<DWORD_PTR>(this));
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control_.Font())), FALSE);
}

LRESULT TStandardPeer::SubclassProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      FocusArrived(Focusable());
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == hwnd_ && ApplyCursor(lParam)) return TRUE;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

void TStandardPeer::Update(unsigned what) {
  if (what & kChColor) {
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control_.Font())), FALSE);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
}

namespace {

// ---- panels and group boxes

class TPanelPeer final : public TCustomPeer {
 public:
  using TCustomPeer::TCustomPeer;
  void Create(HWND parent) override {
    CreateChild(parent);
    if (auto* panel = dynamic_cast<TPanel*>(&control_)) SetWindowTextA(hwnd_, panel->Caption().c_str());
  }

 protected:
  void Update(unsigned what) override {
    if (auto* panel = dynamic_cast<TPanel*>(&control_); panel != nullptr && (what & kChText)) {
      SetWindowTextA(hwnd_, panel->Caption().c_str());
    }
    TCustomPeer::Update(what);
  }

  void Paint(HDC dc, const RECT& client) override {
    FillColor(dc, client, EffectiveColor(control_));
    auto* panel = dynamic_cast<TPanel*>(&control_);
    if (panel == nullptr || panel->FrameColor == kClNone) return;
    // A group box: a frame whose top line the caption interrupts.
    TSelect font(dc, FontOf(control_.Font()));
    SIZE text{0, 0};
    GetTextExtentPoint32A(dc, panel->Caption().c_str(), static_cast<int>(panel->Caption().size()), &text);
    RECT frame = client;
    frame.top = text.cy / 2;
    FrameColor(dc, frame, panel->FrameColor);
    if (!panel->Caption().empty()) {
      RECT label{8, 0, 8 + text.cx + 4, text.cy};
      FillColor(dc, label, EffectiveColor(control_));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, TextColorOf(control_));
      TextOutA(dc, 10, 0, panel->Caption().c_str(), static_cast<int>(panel->Caption().size()));
    }
  }
};

// ---- labels

class TLabelPeer final : public TCustomPeer {
 public:
  explicit TLabelPeer(TLabel& label) : TCustomPeer(label), label_(label) {}
  void Create(HWND parent) override {
    CreateChild(parent);
    SetWindowTextA(hwnd_, label_.Caption().c_str());
    FitText();
  }

 protected:
  void Update(unsigned what) override {
    if (what & kChText) SetWindowTextA(hwnd_, label_.Caption().c_str());
    if (what & (kChText | kChColor | kChBounds)) FitText();
    TCustomPeer::Update(what);
  }

  void FitText() {
    if (!label_.AutoSize || label_.WordWrap || hwnd_ == nullptr) return;
    HDC dc = GetDC(hwnd_);
    SIZE text{0, 0};
    {
      TSelect font(dc, FontOf(label_.Font()));
      GetTextExtentPoint32A(dc, label_.Caption().c_str(), static_cast<int>(label_.Caption().size()), &text);
    }
    ReleaseDC(hwnd_, dc);
    const TRect b = label_.Bounds();
    SetWindowPos(hwnd_, nullptr, 0, 0, std::max<int>(b.width, text.cx), std::max<int>(b.height, text.cy),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void Paint(HDC dc, const RECT& client) override {
    const TColor back = label_.Transparent && label_.Parent() != nullptr ? EffectiveColor(*label_.Parent())
                                                                         : EffectiveColor(label_);
    FillColor(dc, client, back);
    TSelect font(dc, FontOf(label_.Font()));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColorOf(label_));
    RECT box = client;
    // Texts shown here may come from the registry: an ampersand is shown, never taken as a mark.
    // A line that does not fit is cut at the right edge.
    const UINT format = DT_NOPREFIX | (label_.WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextA(dc, label_.Caption().c_str(), static_cast<int>(label_.Caption().size()), &box, format);
  }

  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_LBUTTONDOWN:
        pressed_ = true;
        SetCapture(hwnd_);
        return 0;
      case WM_LBUTTONUP: {
        const bool click = pressed_ && Inside(lParam);
        pressed_ = false;
        if (GetCapture() == hwnd_) ReleaseCapture();
        if (click) label_.Click();
        return 0;
      }
      case WM_CAPTURECHANGED:
        pressed_ = false;
        return 0;
      default:
        return TCustomPeer::WndProc(message, wParam, lParam);
    }
  }

 private:
  TLabel& label_;
  bool pressed_ = false;
};

// ---- rule lines

class TBevelPeer final : public TCustomPeer {
 public:
  using TCustomPeer::TCustomPeer;
  void Create(HWND parent) override { CreateChild(parent); }

 protected:
  void Paint(HDC dc, const RECT& client) override {
    FillColor(dc, client, EffectiveColor(control_));
    // A lowered line: shadow above, light below.
    RECT top{client.left, client.top, client.right, client.top + 1};
    RECT bottom{client.left, client.top + 1, client.right, client.top + 2};
    FillRect(dc, &top, GetSysColorBrush(COLOR_BTNSHADOW));
    FillRect(dc, &bottom, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  }
};

// ---- flat buttons

class TButtonPeer final : public TCustomPeer {
 public:
  explicit TButtonPeer(TButton& button) : TCustomPeer(button), button_(button) {}
  void Create(HWND parent) override {
    CreateChild(parent);
    SetWindowTextA(hwnd_, button_.Caption().c_str());
  }

 protected:
  void Update(unsigned what) override {
    if (what & kChText) SetWindowTextA(hwnd_, button_.Caption().c_str());
    if ((what & (kChEnabled | kChVisible)) && (!button_.Enabled() || !button_.Visible())) hot_ = pressed_ = false;
    TCustomPeer::Update(what);
  }

  void Paint(HDC dc, const RECT& client) override {
    const bool down = pressed_ && inside_;
    const TColor face = (hot_ || down) && button_.Enabled() ? button_.HotColor : button_.FaceColor;
    FillColor(dc, client, face);
    FrameColor(dc, client, Darker(face, down ? 55 : 75));
    TSelect font(dc, FontOf(button_.Font()));
    SIZE text{0, 0};
    GetTextExtentPoint32A(dc, button_.Caption().c_str(), static_cast<int>(button_.Caption().size()), &text);
    HBITMAP glyph = button_.Glyph != 0 ? ResourceBitmap(button_.Glyph) : nullptr;
    const SIZE glyphSize = BitmapSize(glyph);
    const int gap = glyph != nullptr ? 4 : 0;
    const int shift = down ? 1 : 0;
    int x = (client.right - (glyphSize.cx + gap + text.cx)) / 2 + shift;
    if (glyph != nullptr) {
      DrawPicture(dc, glyph, x, (client.bottom - glyphSize.cy) / 2 + shift, 0, 0, glyphSize.cx, glyphSize.cy);
      x += glyphSize.cx + gap;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColorOf(button_));
    TextOutA(dc, x, (client.bottom - text.cy) / 2 + shift, button_.Caption().c_str(),
             static_cast<int>(button_.Caption().size()));
  }

  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_MOUSEMOVE: {
        const bool inside = Inside(lParam);
        if (!hot_ || inside != inside_) {
          hot_ = true;
          inside_ = inside;
          Invalidate();
        }
        TrackLeave();
        return 0;
      }
      case WM_MOUSELEAVE:
        tracking_ = false;
        hot_ = false;
        Invalidate();
        return 0;
      case WM_LBUTTONDOWN:
        pressed_ = inside_ = true;
        SetCapture(hwnd_);
        Invalidate();
        return 0;
      case WM_LBUTTONUP: {
        const bool click = pressed_ && Inside(lParam);
        pressed_ = false;
        if (GetCapture() == hwnd_) ReleaseCapture();
        Invalidate();
        if (click) button_.Click();
        return 0;
      }
      case WM_CAPTURECHANGED:
        if (pressed_) {
          pressed_ = false;
          Invalidate();
        }
        return 0;
      default:
        return TCustomPeer::WndProc(message, wParam, lParam);
    }
  }

 private:
  TButton& button_;
  bool hot_ = false;
  bool pressed_ = false;
  bool inside_ = false;
};

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
    SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, list_.ItemHeight);
    Rebuild();
    ApplySelection();
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
      TSelect font(item->hDC, FontOf(list_.Font()));
      SetBkMode(item->hDC, TRANSPARENT);
      SetTextColor(item->hDC, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : TextColorOf(list_));
      RECT box = item->rcItem;
      box.left += 2;
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

// ---- pictures

class TImagePeer final : public TCustomPeer {
 public:
  explicit TImagePeer(TImage& image) : TCustomPeer(image), image_(image) {}
  void Create(HWND parent) override { CreateChild(parent); }

 protected:
  void Paint(HDC dc, const RECT& client) override {
    const TColor back = image_.Color() != kClNone || image_.Parent() == nullptr ? EffectiveColor(image_)
                                                                                : EffectiveColor(*image_.Parent());
    FillColor(dc, client, back);
    if (auto picture = image_.Picture(); picture != nullptr && picture->width > 0 && picture->height > 0 &&
                                          picture->pixels.size() >= static_cast<std::size_t>(picture->width) * picture->height) {
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = picture->width;
      info.bmiHeader.biHeight = -picture->height;  // top row first, as the state keeps it
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      const int stepX = image_.Tile ? picture->width : client.right + 1;
      const int stepY = image_.Tile ? picture->height : client.bottom + 1;
      for (int y = 0; y < client.bottom; y += stepY) {
        for (int x = 0; x < client.right; x += stepX) {
          StretchDIBits(dc, x, y, picture->width, picture->height, 0, 0, picture->width, picture->height,
                        picture->pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
        }
      }
    }
    if (image_.OverlayResource != 0) {
      HBITMAP overlay = ResourceBitmap(image_.OverlayResource);
      const SIZE size = BitmapSize(overlay);
      const int saved = SaveDC(dc);
      const TRect clip = image_.OverlayClip;
      if (clip.width > 0 && clip.height > 0) {
        IntersectClipRect(dc, clip.left, clip.top, clip.left + clip.width, clip.top + clip.height);
      }
      DrawPicture(dc, overlay, image_.OverlayLeft, image_.OverlayTop, 0, 0, size.cx, size.cy, true,
                  image_.TransparentColor);
      RestoreDC(dc, saved);
    }
  }

 private:
  TImage& image_;
};

}  // namespace

std::unique_ptr<TPeer> MakePeer(TControl& control) {
  if (dynamic_cast<TForm*>(&control) != nullptr) return nullptr;
  if (auto* bar = dynamic_cast<TNavBar*>(&control)) return MakeNavBarPeer(*bar);
  if (auto* view = dynamic_cast<TListView*>(&control)) return MakeListViewPeer(*view);
  if (auto* list = dynamic_cast<TListBox*>(&control)) return std::make_unique<TListBoxPeer>(*list);
  if (auto* memo = dynamic_cast<TMemo*>(&control)) return std::make_unique<TMemoPeer>(*memo);
  if (auto* box = dynamic_cast<TCheckBox*>(&control)) return std::make_unique<TCheckBoxPeer>(*box);
  if (auto* button = dynamic_cast<TButton*>(&control)) return std::make_unique<TButtonPeer>(*button);
  if (auto* label = dynamic_cast<TLabel*>(&control)) return std::make_unique<TLabelPeer>(*label);
  if (auto* image = dynamic_cast<TImage*>(&control)) return std::make_unique<TImagePeer>(*image);
  if (dynamic_cast<TBevel*>(&control) != nullptr) return std::make_unique<TBevelPeer>(control);
  return std::make_unique<TPanelPeer>(control);
}

}  // namespace ui::win32
