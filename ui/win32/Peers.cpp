// The peers' base classes and the factory that picks a peer for each kind of control. The peers
// themselves: CustomPeers.cpp (drawn by us), StandardPeers.cpp (subclassed standard controls),
// ListView.cpp and NavBar.cpp.
#include "ui/win32/Peers.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>

#include "ui/Dialogs.h"
#include "ui/Scale.h"
#include "ui/win32/Gdi.h"

namespace ui::win32 {
namespace {

constexpr const char* kPeerProperty = "NqPeer";

int NextControlId() {
  static int id = 1000;
  return ++id;
}

}  // namespace

COLORREF TextColorOf(const TControl& control) {
  return control.Enabled() ? control.Font().color : GetSysColor(COLOR_GRAYTEXT);
}

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
  ReleaseAccessible();
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

int TPeer::Dpi() const {
  const TForm* form = control_.Form();
  return form != nullptr && form->Dpi > 0 ? form->Dpi : kLayoutDpi;
}

int TPeer::Px(int units) const { return Scaled(units, Dpi()); }

void TPeer::Place() const {
  const TRect b = Scaled(control_.Bounds(), Dpi());
  SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TPeer::Rescale() {
  if (hwnd_ == nullptr) return;
  Place();
  Update(kChBounds | kChColor | kChRedraw);
}

void TPeer::Changed(TControl&, unsigned what) {
  if (hwnd_ == nullptr) return;
  if (what & kChBounds) Place();
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
  if (what & kChCursor) ShowCursorNow();
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
  // Nothing may unwind through the system's frames: what escapes goes to the error report.
  try {
    return peer->WndProc(message, wParam, lParam);
  } catch (const std::exception& e) {
    ReportError(e.what());
  } catch (...) {
    ReportError("Unexpected error");
  }
  return 0;
}

void TCustomPeer::CreateCustom(HWND parent, const char* windowClass, DWORD style, DWORD exStyle, int x, int y,
                               int w, int h) {
  CreateWindowExA(exStyle, windowClass, "", style, x, y, w, h, parent,
                  (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())) : nullptr,
                  Instance(), this);
}

void TCustomPeer::CreateChild(HWND parent, DWORD extraStyle, DWORD extraExStyle) {
  const TRect b = Scaled(control_.Bounds(), Dpi());
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | extraStyle;
  if (control_.Visible()) style |= WS_VISIBLE;
  if (!control_.Enabled()) style |= WS_DISABLED;
  CreateCustom(parent, kCustomClass, style, WS_EX_CONTROLPARENT | extraExStyle, b.left, b.top, b.width, b.height);
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

void TCustomPeer::PaintUpdate(HDC dc, const RECT& update) { PaintBuffered(dc, update); }

void TCustomPeer::PaintBuffered(HDC dc, const RECT& area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  // Drawn off screen first, so nothing flickers while the parts go on top of each other.
  TPaintBuffer buffer(dc, width, height);
  if (buffer.Dc() == nullptr) {
    Paint(dc, client);
    return;
  }
  // The buffer holds the area only; the control draws in its own client coordinates.
  SetViewportOrgEx(buffer.Dc(), -area.left, -area.top, nullptr);
  Paint(buffer.Dc(), client);
  SetViewportOrgEx(buffer.Dc(), 0, 0, nullptr);
  BitBlt(dc, area.left, area.top, width, height, buffer.Dc(), 0, 0, SRCCOPY);
}

LRESULT TCustomPeer::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; CommonMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      PaintUpdate(dc, ps.rcPaint);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_NCPAINT:
      // Nothing to draw outside the client area when the window has no frame and no scroll bars.
      if (!HasFrame(hwnd_)) return 0;
      break;
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
      FocusArrived(control_.TabStop());
      Invalidate();
      RaiseEvent(EVENT_OBJECT_FOCUS, FocusedPart());
      return 0;
    case WM_KILLFOCUS:
      Invalidate();
      return 0;
    case WM_KEYDOWN:
      if (GetFocus() == hwnd_ && control_.KeyDown(static_cast<int>(wParam), ShiftState())) return 0;
      break;
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
  } catch (const std::exception& e) {
    ReportError(e.what());
  } catch (...) {
    ReportError("Unexpected error");
  }
  return 0;
}

void TStandardPeer::CreateStandard(HWND parent, const char* windowClass, DWORD style, DWORD exStyle) {
  // Loaded on first use: the first page has none of these controls, and the library is one of the
  // larger costs of a start.
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)registered;
  const TRect b = Scaled(control_.Bounds(), Dpi());
  style |= WS_CHILD | WS_CLIPSIBLINGS;
  if (control_.Visible()) style |= WS_VISIBLE;
  if (!control_.Enabled()) style |= WS_DISABLED;
  HWND window = CreateWindowExA(exStyle, windowClass, "", style, b.left, b.top, b.width, b.height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextControlId())), Instance(), nullptr);
  if (window == nullptr) return;
  Attach(window);
  SetWindowSubclass(window, &TStandardPeer::Proc, 1, reinterpret_cast<DWORD_PTR>(this));
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control_.Font(), Dpi())), FALSE);
}

LRESULT TStandardPeer::SubclassProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; CommonMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_SETFOCUS: {
      FocusArrived(Focusable());
      const LRESULT result = DefSubclassProc(hwnd_, message, wParam, lParam);
      RaiseEvent(EVENT_OBJECT_FOCUS, 0);
      return result;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == hwnd_ && ApplyCursor(lParam)) return TRUE;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

void TStandardPeer::Update(unsigned what) {
  if (what & (kChColor | kChFont)) {
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control_.Font(), Dpi())), FALSE);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
}

std::unique_ptr<TPeer> MakePeer(TControl& control) {
  if (dynamic_cast<TForm*>(&control) != nullptr) return nullptr;
  if (auto* bar = dynamic_cast<TNavBar*>(&control)) return MakeNavBarPeer(*bar);
  if (auto* view = dynamic_cast<TListView*>(&control)) return MakeListViewPeer(*view);
  if (auto* list = dynamic_cast<TListBox*>(&control)) return MakeListBoxPeer(*list);
  if (auto* memo = dynamic_cast<TMemo*>(&control)) return MakeMemoPeer(*memo);
  if (auto* box = dynamic_cast<TCheckBox*>(&control)) return MakeCheckBoxPeer(*box);
  if (auto* button = dynamic_cast<TButton*>(&control)) return MakeButtonPeer(*button);
  if (auto* label = dynamic_cast<TLabel*>(&control)) return MakeLabelPeer(*label);
  if (auto* image = dynamic_cast<TImage*>(&control)) return MakeImagePeer(*image);
  if (dynamic_cast<TBevel*>(&control) != nullptr) return MakeBevelPeer(control);
  return MakePanelPeer(control);
}

}  // namespace ui::win32
