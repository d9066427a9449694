// A form's own window: borderless, with the title bar drawn in the top 29 pixels of the client
// area (pictures at the ends, a stretched one between, the caption, minimise and close buttons),
// moved by dragging that bar. The window is made at its monitor's DPI and laid out again when it
// moves to a monitor of another. Also the message loop, which shows every key to its form first.
#include <windowsx.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "ui/Scale.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Peers.h"
#include "ui/win32/Win32Ui.h"

namespace ui::win32 {
namespace {

// Not in the headers of the oldest system the build targets, which never sends it.
constexpr UINT kWmDpiChanged = 0x02E0;

class TFormPeer final : public TCustomPeer {
 public:
  explicit TFormPeer(TForm& form) : TCustomPeer(form), form_(form) {}

  void Create(HWND owner) override {
    DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU;
    if (form_.MinimizeButton) style |= WS_MINIMIZEBOX;
    DWORD exStyle = WS_EX_CONTROLPARENT | (owner == nullptr ? WS_EX_APPWINDOW : 0);
    form_.Dpi = MonitorDpi(POINT{form_.Left, form_.Top});
    const TRect b = Scaled(form_.Bounds(), form_.Dpi);
    // No frame: the window is exactly the client area the layout gives.
    CreateWindowExA(exStyle, kFormClass, form_.Caption().c_str(), style, form_.Left, form_.Top, b.width, b.height,
                    owner, nullptr, Instance(), this);
    // Where the system keeps this window at another DPI (a process it treats as unaware of DPI),
    // the window's own counts.
    if (hwnd_ != nullptr && WindowDpi(hwnd_) != form_.Dpi) {
      form_.Dpi = WindowDpi(hwnd_);
      Resize();
    }
  }

  void Changed(TControl&, unsigned what) override {
    if (hwnd_ == nullptr) return;
    if (what & kChText) {
      SetWindowTextA(hwnd_, form_.Caption().c_str());
      InvalidateTitle();
    }
    if (what & kChMinimize) ShowWindow(hwnd_, SW_MINIMIZE);
    if (what & kChBounds) Resize();
    // Closing ends the loop that runs the form; the message wakes it up.
    if ((what & kChVisible) && form_.Closed()) PostMessageA(hwnd_, WM_NULL, 0, 0);
    if (what & kChCursor) ShowCursorNow();
    if (what & (kChColor | kChFont | kChCursor)) Invalidate();
  }

 protected:
  // Below the title bar the form is one flat colour, which cannot flicker: only the bar, drawn in
  // layers, goes through the buffer.
  void PaintUpdate(HDC dc, const RECT& update) override {
    const RECT bar{0, 0, Width(), Px(kTitleBarHeight)};
    if (RECT part; IntersectRect(&part, &update, &bar)) PaintBuffered(dc, part);
    const RECT body{update.left, std::max(update.top, bar.bottom), update.right, update.bottom};
    if (body.bottom > body.top) FillColor(dc, body, EffectiveColor(form_));
  }

  void Paint(HDC dc, const RECT& client) override {
    FillColor(dc, client, EffectiveColor(form_));
    const int width = client.right;
    const int dpi = form_.Dpi;
    const int leftWidth = Px(TITLE_LEFT_W), rightWidth = Px(TITLE_RIGHT_W), height = Px(TITLE_BAR_H);
    DrawPicture(dc, Picture(IDB_TITLE_LEFT, dpi), 0, 0, 0, 0, leftWidth, height);
    StretchPicture(dc, Picture(IDB_TITLE_MID, dpi), leftWidth, 0, width - leftWidth - rightWidth, height);
    DrawPicture(dc, Picture(IDB_TITLE_RIGHT, dpi), width - rightWidth, 0, 0, 0, rightWidth, height);

    TSelect font(dc, FontOf(TFont{"Tahoma", 8, false, true, kClWhite}, dpi));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kClWhite);
    RECT caption{Px(TITLE_CAPTION_X), 0, MinimiseRect().left - Px(4), height};
    if (!form_.MinimizeButton) caption.right = CloseRect().left - Px(4);
    DrawTextA(dc, form_.Caption().c_str(), static_cast<int>(form_.Caption().size()), &caption,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);

    PaintTitleButton(dc, Picture(IDB_TITLE_CLOSE, dpi, TITLE_BUTTON_STATES), CloseRect(), TTitlePart::Close);
    if (form_.MinimizeButton) {
      PaintTitleButton(dc, Picture(IDB_TITLE_MIN, dpi, TITLE_BUTTON_STATES), MinimiseRect(), TTitlePart::Minimise);
    }
  }

  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_NCHITTEST:
        return HTCLIENT;
      case WM_NCLBUTTONDBLCLK:
        // A double click on the bar does nothing: the window has one size.
        return 0;
      case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MAXIMIZE || (wParam & 0xFFF0) == SC_SIZE) return 0;
        break;
      case WM_MOUSEMOVE: {
        if (dragging_) {
          POINT now{};
          GetCursorPos(&now);
          SetWindowPos(hwnd_, nullptr, dragWindow_.x + now.x - dragCursor_.x, dragWindow_.y + now.y - dragCursor_.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
          return 0;
        }
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SetHot(PartAt(at));
        TrackLeave();
        return 0;
      }
      case WM_MOUSELEAVE:
        tracking_ = false;
        SetHot(TTitlePart::None);
        return 0;
      case WM_LBUTTONDOWN: {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const TTitlePart part = PartAt(at);
        if (part == TTitlePart::Close || part == TTitlePart::Minimise) {
          pressed_ = part;
          SetCapture(hwnd_);
          InvalidateTitle();
        } else if (part == TTitlePart::Caption) {
          // The bar outside its buttons moves the window with the mouse. Done here rather than
          // through the system's caption, so that no double click or window manager gets a say.
          RECT window;
          GetWindowRect(hwnd_, &window);
          dragWindow_ = POINT{window.left, window.top};
          GetCursorPos(&dragCursor_);
          dragging_ = true;
          SetCapture(hwnd_);
        }
        return 0;
      }
      case WM_LBUTTONUP: {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const TTitlePart pressed = pressed_;
        pressed_ = TTitlePart::None;
        dragging_ = false;
        if (GetCapture() == hwnd_) ReleaseCapture();
        InvalidateTitle();
        if (pressed != TTitlePart::None && PartAt(at) == pressed) {
          if (pressed == TTitlePart::Close) {
            form_.Close();
          } else {
            ShowWindow(hwnd_, SW_MINIMIZE);
          }
        }
        return 0;
      }
      case WM_CAPTURECHANGED:
        dragging_ = false;
        if (pressed_ != TTitlePart::None) {
          pressed_ = TTitlePart::None;
          InvalidateTitle();
        }
        return 0;
      case WM_CLOSE:
        form_.Close();
        return 0;
      case kWmDpiChanged: {
        // Another monitor: the system's suggested place, then every control laid out and drawn anew.
        form_.Dpi = LOWORD(wParam);
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        TControl::ForEach(form_, [this](TControl& control) {
          auto* peer = dynamic_cast<TPeer*>(control.Peer());
          if (&control != &form_ && peer != nullptr) peer->Rescale();
        });
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        return 0;
      }
      case WM_MOVE:
        if (!IsIconic(hwnd_)) {
          form_.Left = GET_X_LPARAM(lParam);
          form_.Top = GET_Y_LPARAM(lParam);
        }
        return 0;
      case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
          HWND focus = GetFocus();
          if (focus != nullptr && IsChild(hwnd_, focus)) savedFocus_ = focus;
          return 0;
        }
        // Back where the keyboard was; the first time, where the form says it starts. The
        // system would otherwise give it to the form's own window.
        if (HWND target = FocusTarget()) {
          SetFocus(target);
          return 0;
        }
        break;
      default:
        break;
    }
    return TCustomPeer::WndProc(message, wParam, lParam);
  }

 private:
  int Width() const {
    RECT client;
    GetClientRect(hwnd_, &client);
    return client.right;
  }
  void Resize() const {
    const TRect b = Scaled(form_.Bounds(), form_.Dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, b.width, b.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT CloseRect() const {
    const int right = Width() - Px(TITLE_BUTTON_RIGHT);
    return RECT{right - Px(TITLE_BUTTON_W), Px(TITLE_BUTTON_Y), right, Px(TITLE_BUTTON_Y + TITLE_BUTTON_H)};
  }
  RECT MinimiseRect() const {
    const int right = CloseRect().left - Px(TITLE_BUTTON_GAP);
    return RECT{right - Px(TITLE_BUTTON_W), Px(TITLE_BUTTON_Y), right, Px(TITLE_BUTTON_Y + TITLE_BUTTON_H)};
  }
  HWND FocusTarget() const {
    HWND target = savedFocus_;
    if (target == nullptr || !IsWindow(target) || !IsChild(hwnd_, target)) {
      TControl* active = form_.ActiveControl();
      target = active != nullptr ? reinterpret_cast<HWND>(WindowOf(*active)) : nullptr;
    }
    return target != nullptr && IsWindowVisible(target) ? target : nullptr;
  }
  TTitlePart PartAt(POINT at) const {
    if (at.y < 0 || at.y >= Px(kTitleBarHeight) || at.x < 0 || at.x >= Width()) return TTitlePart::None;
    RECT close = CloseRect();
    if (PtInRect(&close, at)) return TTitlePart::Close;
    RECT minimise = MinimiseRect();
    if (form_.MinimizeButton && PtInRect(&minimise, at)) return TTitlePart::Minimise;
    return TTitlePart::Caption;
  }
  void SetHot(TTitlePart part) {
    if (part == hot_) return;
    hot_ = part;
    InvalidateTitle();
  }
  void InvalidateTitle() const {
    RECT title{0, 0, Width(), Px(kTitleBarHeight)};
    InvalidateRect(hwnd_, &title, FALSE);
  }
  void PaintTitleButton(HDC dc, HBITMAP strip, const RECT& box, TTitlePart part) const {
    int state = TITLE_BUTTON_NORMAL;
    if (pressed_ == part && hot_ == part) {
      state = TITLE_BUTTON_PRESSED;
    } else if (hot_ == part || pressed_ == part) {
      state = TITLE_BUTTON_HOT;
    }
    const int w = box.right - box.left;
    DrawPicture(dc, strip, box.left, box.top, state * w, 0, w, box.bottom - box.top);
  }

  TForm& form_;
  TTitlePart hot_ = TTitlePart::None;
  TTitlePart pressed_ = TTitlePart::None;
  HWND savedFocus_ = nullptr;
  bool dragging_ = false;
  POINT dragWindow_{};
  POINT dragCursor_{};
};

std::string& Title() {
  static std::string title;
  return title;
}

// The form a key is meant for sees it before the control that has the focus.
bool PreviewKey(const MSG& msg) {
  const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  if (!down && !up) return false;
  TPeer* peer = TPeer::Of(GetAncestor(msg.hwnd, GA_ROOT));
  auto* form = peer != nullptr ? dynamic_cast<TForm*>(&peer->Control()) : nullptr;
  if (form == nullptr) return false;
  const int key = static_cast<int>(msg.wParam);
  const unsigned shift = ShiftState();
  if (up) {
    form->KeyUp(key, shift);
    return false;
  }
  if (form->KeyDown(key, shift)) return true;
  // Tab follows the form's own order, the same the headless widgets keep.
  if (key == VK_TAB && !(shift & (kCtrl | kAlt))) {
    form->FocusNext((shift & kShift) != 0);
    return true;
  }
  return false;
}

void Dispatch(MSG& msg) {
  if (PreviewKey(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

}  // namespace

void SetApplicationTitle(const std::string& title) { Title() = title; }
const std::string& ApplicationTitle() { return Title(); }

// A hidden control with controls inside (a page nobody has opened yet) gets its windows when it is
// first shown, so that the start makes only what the first page needs.
class TDeferredPeer final : public IPeer {
 public:
  TDeferredPeer(TControl& control, std::function<void(TControl&)> realise)
      : control_(control), realise_(std::move(realise)) {
    control_.SetPeer(this);
  }
  ~TDeferredPeer() override {
    if (control_.Peer() == this) control_.SetPeer(nullptr);
  }
  TDeferredPeer(const TDeferredPeer&) = delete;
  TDeferredPeer& operator=(const TDeferredPeer&) = delete;

  // The real peer takes this one's place as the control's; this object lives on, unused.
  void Changed(TControl& control, unsigned what) override {
    if ((what & kChVisible) && control.Visible() && control.Peer() == this) realise_(control);
  }
  void Focus(TControl&) override {}

 private:
  TControl& control_;
  std::function<void(TControl&)> realise_;
};

class TFormWindowImpl {
 public:
  TFormWindowImpl(TForm& form, HWND owner) : form_(form), peer_(std::make_unique<TFormPeer>(form)) {
    peer_->Create(owner);
    if (peer_->Hwnd() != nullptr) MakeChildren(form, peer_->Hwnd());
  }
  ~TFormWindowImpl() {
    if (peer_->Hwnd() != nullptr) DestroyWindow(peer_->Hwnd());
    peers_.clear();
    deferred_.clear();
    peer_.reset();
  }

  HWND Window() const { return peer_->Hwnd(); }
  TForm& Form() const { return form_; }

 private:
  void MakeChildren(TControl& parent, HWND parentWindow) {
    for (TControl* child : parent.Children()) {
      if (!child->Visible() && !child->Children().empty()) {
        deferred_.push_back(std::make_unique<TDeferredPeer>(
            *child, [this, parentWindow](TControl& control) { Make(control, parentWindow); }));
        continue;
      }
      Make(*child, parentWindow);
    }
  }

  void Make(TControl& control, HWND parentWindow) {
    std::unique_ptr<TPeer> peer = MakePeer(control);
    if (peer == nullptr) return;
    peer->Create(parentWindow);
    HWND window = peer->Hwnd();
    peers_.push_back(std::move(peer));
    if (window != nullptr) MakeChildren(control, window);
  }

  TForm& form_;
  std::unique_ptr<TFormPeer> peer_;
  std::vector<std::unique_ptr<TPeer>> peers_;
  std::vector<std::unique_ptr<TDeferredPeer>> deferred_;
};

void Initialise(Handle instance) {
  SetInstance(reinterpret_cast<HINSTANCE>(instance));
  // The accessible objects are handed to other processes through COM; the window's thread is
  // their apartment for the program's life.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  WNDCLASSEXA control{};
  control.cbSize = sizeof control;
  control.lpfnWndProc = &TCustomPeer::Proc;
  control.hInstance = Instance();
  control.hCursor = LoadCursor(nullptr, IDC_ARROW);
  control.lpszClassName = kCustomClass;
  RegisterClassExA(&control);

  WNDCLASSEXA form = control;
  form.lpszClassName = kFormClass;
  form.hIcon = static_cast<HICON>(LoadImageA(Instance(), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, 32, 32, 0));
  form.hIconSm = static_cast<HICON>(LoadImageA(Instance(), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, 16, 16, 0));
  RegisterClassExA(&form);
}

TFormWindow::TFormWindow(TForm& form, Handle owner)
    : impl_(std::make_unique<TFormWindowImpl>(form, reinterpret_cast<HWND>(owner))) {}

// Out of line, where the window's inside is known.
TFormWindow::~TFormWindow() { impl_.reset(); }

Handle TFormWindow::Window() const { return reinterpret_cast<Handle>(impl_->Window()); }

void TFormWindow::Show() {
  HWND window = impl_->Window();
  if (window == nullptr) return;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  SetForegroundWindow(window);
  // The control the form names has the keyboard; without one the form itself takes it, and Tab
  // goes on from there.
  TControl* active = impl_->Form().ActiveControl();
  HWND focus = active != nullptr ? reinterpret_cast<HWND>(WindowOf(*active)) : nullptr;
  SetFocus(focus != nullptr && IsWindowVisible(focus) ? focus : window);
}

bool TFormWindow::RunUntilClosed() {
  TForm& form = impl_->Form();
  MSG msg;
  while (!form.Closed() && IsWindow(impl_->Window())) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (got < 0) return false;
    Dispatch(msg);
  }
  return true;
}

Handle WindowOf(const TControl& control) {
  auto* peer = dynamic_cast<TPeer*>(control.Peer());
  return peer != nullptr ? reinterpret_cast<Handle>(peer->Hwnd()) : 0;
}

void ShowModal(TForm& form, TForm& owner) {
  HWND ownerWindow = reinterpret_cast<HWND>(WindowOf(owner));
  TFormWindow window(form, reinterpret_cast<Handle>(ownerWindow));
  // The owner takes no input until the box closes.
  if (ownerWindow != nullptr) EnableWindow(ownerWindow, FALSE);
  window.Show();
  window.RunUntilClosed();
  if (ownerWindow != nullptr) {
    // Enabled again before this window goes, so that the activation returns to the owner.
    EnableWindow(ownerWindow, TRUE);
    SetActiveWindow(ownerWindow);
  }
}

void ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

}  // namespace ui::win32
