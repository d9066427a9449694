// The peers we draw ourselves: panels and group boxes, labels, rule lines, flat buttons, check
// boxes and pictures.
#include <windows.h>
#include <windowsx.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

#include "ui/Scale.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Peers.h"

namespace ui::win32 {
namespace {

TColor Darker(TColor color, int percent) {
  auto part = [&](int shift) { return ((color >> shift) & 0xFF) * percent / 100; };
  return Rgb(part(0), part(8), part(16));
}

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
    TSelect font(dc, FontOf(control_.Font(), Dpi()));
    SIZE text{0, 0};
    GetTextExtentPoint32A(dc, panel->Caption().c_str(), static_cast<int>(panel->Caption().size()), &text);
    RECT frame = client;
    frame.top = text.cy / 2;
    FrameColor(dc, frame, panel->FrameColor, Px(1));
    if (!panel->Caption().empty()) {
      RECT label{Px(8), 0, Px(8) + text.cx + Px(4), text.cy};
      FillColor(dc, label, EffectiveColor(control_));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, TextColorOf(control_));
      TextOutA(dc, Px(10), 0, panel->Caption().c_str(), static_cast<int>(panel->Caption().size()));
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
    if (what & (kChText | kChFont | kChBounds)) FitText();
    TCustomPeer::Update(what);
  }

  void FitText() {
    if (!label_.AutoSize || hwnd_ == nullptr) return;
    const TRect b = Scaled(label_.Bounds(), Dpi());
    HDC dc = MeasureDc();
    SIZE text{0, 0};
    {
      TSelect font(dc, FontOf(label_.Font(), Dpi()));
      if (label_.WordWrap) {
        // Wrapped: as wide as laid out, as tall as its lines.
        RECT box{0, 0, b.width, 0};
        DrawTextA(dc, label_.Caption().c_str(), static_cast<int>(label_.Caption().size()), &box,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        text = SIZE{0, box.bottom};
      } else {
        GetTextExtentPoint32A(dc, label_.Caption().c_str(), static_cast<int>(label_.Caption().size()), &text);
      }
    }
    const int width = std::max<int>(b.width, text.cx), height = std::max<int>(b.height, text.cy);
    RECT now;
    GetClientRect(hwnd_, &now);
    if (now.right != width || now.bottom != height) {
      SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }

  void Paint(HDC dc, const RECT& client) override {
    const TColor back = label_.Transparent && label_.Parent() != nullptr ? EffectiveColor(*label_.Parent())
                                                                         : EffectiveColor(label_);
    FillColor(dc, client, back);
    TSelect font(dc, FontOf(label_.Font(), Dpi()));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColorOf(label_));
    RECT box = client;
    // Texts shown here may come from the registry: an ampersand is shown, never taken as a mark.
    // A line that does not fit is cut at the right edge.
    const UINT format = DT_NOPREFIX | (label_.WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextA(dc, label_.Caption().c_str(), static_cast<int>(label_.Caption().size()), &box, format);
    if (GetFocus() == hwnd_) {
      // A link with the keyboard: the mark goes round its text.
      RECT text = client;
      DrawTextA(dc, label_.Caption().c_str(), static_cast<int>(label_.Caption().size()), &text, format | DT_CALCRECT);
      text.right = std::min(text.right + 1, client.right);
      text.bottom = std::min(text.bottom, client.bottom);
      DrawFocusFrame(dc, text, TextColorOf(label_));
    }
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
    const int line = std::max(1, Px(1));
    RECT top{client.left, client.top, client.right, client.top + line};
    RECT bottom{client.left, client.top + line, client.right, client.top + 2 * line};
    FillRect(dc, &top, GetSysColorBrush(COLOR_BTNSHADOW));
    FillRect(dc, &bottom, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  }
};

// ---- what the mouse presses

// Hot while the mouse is over it, pressed from the button going down on it until it comes up, and
// clicked when it comes up over it.
class TPressablePeer : public TCustomPeer {
 public:
  using TCustomPeer::TCustomPeer;

 protected:
  virtual void Clicked() = 0;
  // Whether a press takes the keyboard first.
  virtual bool FocusOnPress() const { return false; }
  // Pressed with the mouse still over it.
  bool Down() const { return pressed_ && inside_; }
  bool Hot() const { return hot_; }

  void Update(unsigned what) override {
    if ((what & (kChEnabled | kChVisible)) && (!control_.Enabled() || !control_.Visible())) hot_ = pressed_ = false;
    TCustomPeer::Update(what);
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
        if (FocusOnPress()) SetFocus(hwnd_);
        pressed_ = inside_ = true;
        SetCapture(hwnd_);
        Invalidate();
        return 0;
      case WM_LBUTTONUP: {
        const bool click = pressed_ && Inside(lParam);
        pressed_ = false;
        if (GetCapture() == hwnd_) ReleaseCapture();
        Invalidate();
        if (click) Clicked();
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
  bool hot_ = false;
  bool pressed_ = false;
  bool inside_ = false;
};

// ---- flat buttons

class TButtonPeer final : public TPressablePeer {
 public:
  explicit TButtonPeer(TButton& button) : TPressablePeer(button), button_(button) {}
  void Create(HWND parent) override {
    CreateChild(parent);
    SetWindowTextA(hwnd_, button_.Caption().c_str());
  }

 protected:
  void Update(unsigned what) override {
    if (what & kChText) SetWindowTextA(hwnd_, button_.Caption().c_str());
    TPressablePeer::Update(what);
  }

  void Paint(HDC dc, const RECT& client) override {
    const bool down = Down();
    const TColor face = (Hot() || down) && button_.Enabled() ? button_.HotColor : button_.FaceColor;
    FillColor(dc, client, face);
    FrameColor(dc, client, Darker(face, down ? 55 : 75), Px(1));
    TSelect font(dc, FontOf(button_.Font(), Dpi()));
    SIZE text{0, 0};
    GetTextExtentPoint32A(dc, button_.Caption().c_str(), static_cast<int>(button_.Caption().size()), &text);
    HBITMAP glyph = button_.Glyph != 0 ? Picture(button_.Glyph, Dpi()) : nullptr;
    const SIZE glyphSize = BitmapSize(glyph);
    const int gap = glyph != nullptr ? Px(4) : 0;
    const int shift = down ? Px(1) : 0;
    int x = (client.right - (glyphSize.cx + gap + text.cx)) / 2 + shift;
    if (glyph != nullptr) {
      DrawPicture(dc, glyph, x, (client.bottom - glyphSize.cy) / 2 + shift, 0, 0, glyphSize.cx, glyphSize.cy);
      x += glyphSize.cx + gap;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColorOf(button_));
    TextOutA(dc, x, (client.bottom - text.cy) / 2 + shift, button_.Caption().c_str(),
             static_cast<int>(button_.Caption().size()));
    if (GetFocus() == hwnd_) {
      const RECT mark{client.left + 3, client.top + 3, client.right - 3, client.bottom - 3};
      DrawFocusFrame(dc, mark, Darker(face, 40));
    }
  }

  void Clicked() override { button_.Click(); }

 private:
  TButton& button_;
};

// ---- check boxes

// Drawn here rather than by the system's button class: the same box (the theme's where one is
// active, the classic one otherwise) and the caption beside it.
class TCheckBoxPeer final : public TPressablePeer {
 public:
  explicit TCheckBoxPeer(TCheckBox& box) : TPressablePeer(box), box_(box) {}
  ~TCheckBoxPeer() override { CloseTheme(); }
  TCheckBoxPeer(const TCheckBoxPeer&) = delete;
  TCheckBoxPeer& operator=(const TCheckBoxPeer&) = delete;

  void Create(HWND parent) override {
    CreateChild(parent);
    SetWindowTextA(hwnd_, box_.Caption().c_str());
  }

 protected:
  void Update(unsigned what) override {
    if (what & kChText) SetWindowTextA(hwnd_, box_.Caption().c_str());
    if (what & kChChecked) RaiseEvent(EVENT_OBJECT_STATECHANGE, 0);
    TPressablePeer::Update(what);
  }

  void Paint(HDC dc, const RECT& client) override {
    FillColor(dc, client, EffectiveColor(box_));
    const int side = Px(13);
    RECT mark{0, (client.bottom - side) / 2, side, (client.bottom - side) / 2 + side};
    if (HTHEME theme = Theme()) {
      DrawThemeBackground(theme, dc, BP_CHECKBOX, ThemeState(), &mark, nullptr);
    } else {
      UINT state = DFCS_BUTTONCHECK | (box_.Checked() ? DFCS_CHECKED : 0);
      if (!box_.Enabled()) state |= DFCS_INACTIVE;
      if (Down()) state |= DFCS_PUSHED;
      DrawFrameControl(dc, &mark, DFC_BUTTON, state);
    }
    TSelect font(dc, FontOf(box_.Font(), Dpi()));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColorOf(box_));
    RECT text{mark.right + Px(4), 0, client.right, client.bottom};
    const std::string& caption = box_.Caption();
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (GetFocus() == hwnd_) {
      RECT extent = text;
      DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &extent,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_CALCRECT);
      const int height = extent.bottom - extent.top;
      RECT frame{text.left - 1, (client.bottom - height) / 2 - 1, std::min<LONG>(extent.right + 1, client.right),
                 (client.bottom - height) / 2 + height + 1};
      DrawFocusRect(dc, &frame);
    }
  }

  void Clicked() override { box_.Click(); }
  // A click takes the keyboard, as the system's check box does.
  bool FocusOnPress() const override { return box_.TabStop(); }

  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_THEMECHANGED:
        CloseTheme();
        Invalidate();
        return 0;
      default:
        return TPressablePeer::WndProc(message, wParam, lParam);
    }
  }

 private:
  HTHEME Theme() {
    if (!themeOpened_) {
      themeOpened_ = true;
      theme_ = IsThemeActive() ? OpenThemeData(hwnd_, L"BUTTON") : nullptr;
    }
    return theme_;
  }
  void CloseTheme() {
    if (theme_ != nullptr) CloseThemeData(theme_);
    theme_ = nullptr;
    themeOpened_ = false;
  }
  int ThemeState() const {
    const int base = box_.Checked() ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL;
    if (!box_.Enabled()) return base + 3;
    if (Down()) return base + 2;
    if (Hot()) return base + 1;
    return base;
  }

  TCheckBox& box_;
  HTHEME theme_ = nullptr;
  bool themeOpened_ = false;
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
      HBITMAP overlay = Picture(image_.OverlayResource, Dpi(), 1, true);
      const SIZE size = BitmapSize(overlay);
      const int saved = SaveDC(dc);
      const TRect clip = Scaled(image_.OverlayClip, Dpi());
      if (clip.width > 0 && clip.height > 0) {
        IntersectClipRect(dc, clip.left, clip.top, clip.left + clip.width, clip.top + clip.height);
      }
      DrawPicture(dc, overlay, Px(image_.OverlayLeft), Px(image_.OverlayTop), 0, 0, size.cx, size.cy, true,
                  image_.TransparentColor);
      RestoreDC(dc, saved);
    }
  }

 private:
  TImage& image_;
};

}  // namespace

std::unique_ptr<TPeer> MakePanelPeer(TControl& control) { return std::make_unique<TPanelPeer>(control); }
std::unique_ptr<TPeer> MakeLabelPeer(TLabel& control) { return std::make_unique<TLabelPeer>(control); }
std::unique_ptr<TPeer> MakeBevelPeer(TControl& control) { return std::make_unique<TBevelPeer>(control); }
std::unique_ptr<TPeer> MakeButtonPeer(TButton& control) { return std::make_unique<TButtonPeer>(control); }
std::unique_ptr<TPeer> MakeImagePeer(TImage& control) { return std::make_unique<TImagePeer>(control); }
std::unique_ptr<TPeer> MakeCheckBoxPeer(TCheckBox& control) { return std::make_unique<TCheckBoxPeer>(control); }

}  // namespace ui::win32
