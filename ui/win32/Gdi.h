// GDI objects the peers share: fonts and brushes made once per look and kept for the life of the
// program, the resource pictures, and the few drawing helpers the skinned parts need.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/Widgets.h"

namespace ui::win32 {

// Owns one GDI object.
template <typename T>
class TGdiObject {
 public:
  TGdiObject() = default;
  explicit TGdiObject(T object) : object_(object) {}
  ~TGdiObject() { Reset(); }
  TGdiObject(TGdiObject&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  TGdiObject& operator=(TGdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      object_ = other.object_;
      other.object_ = nullptr;
    }
    return *this;
  }
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;
  T Get() const { return object_; }
  void Reset() {
    if (object_ != nullptr) DeleteObject(object_);
    object_ = nullptr;
  }

 private:
  T object_ = nullptr;
};

// Selects an object into a DC for as long as it lives.
class TSelect {
 public:
  TSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~TSelect() { SelectObject(dc_, previous_); }
  TSelect(const TSelect&) = delete;
  TSelect& operator=(const TSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A memory DC, deleted with its owner.
class TMemoryDc {
 public:
  explicit TMemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~TMemoryDc() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  TMemoryDc(const TMemoryDc&) = delete;
  TMemoryDc& operator=(const TMemoryDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// The off-screen picture a drawn control paints into before it is copied to the screen. One is
// kept for the program and grown to the largest area painted, rather than one made and freed for
// every paint. A paint inside a paint gets one of its own; Dc() is null when none can be made.
class TPaintBuffer {
 public:
  TPaintBuffer(HDC like, int width, int height);
  ~TPaintBuffer();
  TPaintBuffer(const TPaintBuffer&) = delete;
  TPaintBuffer& operator=(const TPaintBuffer&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HDC dc_ = nullptr;
  bool shared_ = false;
  int saved_ = 0;
  HBITMAP own_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// A screen-compatible DC for measuring text, kept for the program.
HDC MeasureDc();

// Whether a window has anything outside its client area: a border, an edge or a scroll bar.
bool HasFrame(HWND window);

HINSTANCE Instance();
void SetInstance(HINSTANCE instance);

// The DPI a new top-level window at `at` (screen pixels) is shown at: its monitor's, or the
// system's where the system knows no per-monitor DPI.
int MonitorDpi(POINT at);
// The DPI of a window as the system sees it (the system's on systems without per-window DPI).
int WindowDpi(HWND window);

// Shared fonts and brushes; the caches own them. A font is made for `dpi`: points by the DPI,
// pixels by the scaling rule.
HFONT FontOf(const TFont& font, int dpi);
HBRUSH BrushOf(TColor color);

// A picture of the resources, loaded once (a DIB section: 24-bit keyed/opaque or 32-bit alpha).
HBITMAP ResourceBitmap(int id);
// A picture for `dpi`: `cells` cells side by side, each its 100 % size scaled by the rule. The
// drawn one nearest the DPI, as it is when it has that size, else smoothly scaled to it (then a
// 32-bit alpha picture, the key colour of a `keyed` one made transparent). Kept for the program.
HBITMAP Picture(int id, int dpi, int cells = 1, bool keyed = false);
SIZE BitmapSize(HBITMAP bitmap);
bool HasAlpha(HBITMAP bitmap);

// Draws the part (sx, sy, w, h) of a resource picture at (x, y): alpha pictures blended,
// 24-bit ones with `key` left out when `keyed`, else copied.
void DrawPicture(HDC dc, HBITMAP bitmap, int x, int y, int sx, int sy, int w, int h, bool keyed = false,
                 COLORREF key = RGB(255, 0, 255));
// Stretches a 24-bit picture over (x, y, w, h).
void StretchPicture(HDC dc, HBITMAP bitmap, int x, int y, int w, int h);

void FillColor(HDC dc, const RECT& rect, TColor color);
// A frame `thickness` pixels wide inside the rectangle.
void FrameColor(HDC dc, const RECT& rect, TColor color, int thickness = 1);

// The colour a control shows behind its content: its own, else its parent's, up to the form.
TColor EffectiveColor(const TControl& control);

}  // namespace ui::win32
