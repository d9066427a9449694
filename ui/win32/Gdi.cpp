#include "ui/win32/Gdi.h"

#include <map>
#include <tuple>

namespace ui::win32 {
namespace {

HINSTANCE instance = nullptr;

struct TFontKey {
  std::string name;
  int size;
  bool pixels;
  bool bold;
  bool operator<(const TFontKey& o) const {
    return std::tie(name, size, pixels, bold) < std::tie(o.name, o.size, o.pixels, o.bold);
  }
};

// Fonts, brushes and pictures live as long as the program: there are a handful of each.
std::map<TFontKey, TGdiObject<HFONT>>& Fonts() {
  static std::map<TFontKey, TGdiObject<HFONT>> fonts;
  return fonts;
}

std::map<TColor, TGdiObject<HBRUSH>>& Brushes() {
  static std::map<TColor, TGdiObject<HBRUSH>> brushes;
  return brushes;
}

std::map<int, TGdiObject<HBITMAP>>& Pictures() {
  static std::map<int, TGdiObject<HBITMAP>> pictures;
  return pictures;
}

}  // namespace

HINSTANCE Instance() { return instance != nullptr ? instance : GetModuleHandleA(nullptr); }
void SetInstance(HINSTANCE value) { instance = value; }

HFONT FontOf(const TFont& font) {
  TFontKey key{font.name, font.size, font.pixels, font.bold};
  auto& fonts = Fonts();
  auto found = fonts.find(key);
  if (found != fonts.end()) return found->second.Get();
  // A negative height asks for the character height, as a point size means it.
  int height = font.pixels ? -font.size : -MulDiv(font.size, 96, 72);
  {
    HDC screen = GetDC(nullptr);
    if (!font.pixels && screen != nullptr) height = -MulDiv(font.size, GetDeviceCaps(screen, LOGPIXELSY), 72);
    if (screen != nullptr) ReleaseDC(nullptr, screen);
  }
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  lstrcpynA(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
  HFONT made = CreateFontIndirectA(&lf);
  fonts.emplace(key, TGdiObject<HFONT>(made));
  return made;
}

HBRUSH BrushOf(TColor color) {
  if (IsSystemColor(color)) return GetSysColorBrush(static_cast<int>(color & 0xFFu));
  auto& brushes = Brushes();
  auto found = brushes.find(color);
  if (found != brushes.end()) return found->second.Get();
  HBRUSH made = CreateSolidBrush(color);
  brushes.emplace(color, TGdiObject<HBRUSH>(made));
  return made;
}

HBITMAP ResourceBitmap(int id) {
  auto& pictures = Pictures();
  auto found = pictures.find(id);
  if (found != pictures.end()) return found->second.Get();
  // A DIB section keeps the alpha byte of the 32-bit pictures and the exact key colour.
  auto made = static_cast<HBITMAP>(
      LoadImageW(Instance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  pictures.emplace(id, TGdiObject<HBITMAP>(made));
  return made;
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP bm{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof bm, &bm) == 0) return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight};
}

bool HasAlpha(HBITMAP bitmap) {
  BITMAP bm{};
  return bitmap != nullptr && GetObjectA(bitmap, sizeof bm, &bm) != 0 && bm.bmBitsPixel == 32;
}

void DrawPicture(HDC dc, HBITMAP bitmap, int x, int y, int sx, int sy, int w, int h, bool keyed, COLORREF key) {
  if (bitmap == nullptr || w <= 0 || h <= 0) return;
  TMemoryDc source(dc);
  TSelect select(source.Get(), bitmap);
  if (HasAlpha(bitmap)) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, w, h, source.Get(), sx, sy, w, h, blend);
  } else if (keyed) {
    TransparentBlt(dc, x, y, w, h, source.Get(), sx, sy, w, h, key);
  } else {
    BitBlt(dc, x, y, w, h, source.Get(), sx, sy, SRCCOPY);
  }
}

void StretchPicture(HDC dc, HBITMAP bitmap, int x, int y, int w, int h) {
  if (bitmap == nullptr || w <= 0 || h <= 0) return;
  SIZE size = BitmapSize(bitmap);
  TMemoryDc source(dc);
  TSelect select(source.Get(), bitmap);
  StretchBlt(dc, x, y, w, h, source.Get(), 0, 0, size.cx, size.cy, SRCCOPY);
}

void FillColor(HDC dc, const RECT& rect, TColor color) { FillRect(dc, &rect, BrushOf(color)); }

void FrameColor(HDC dc, const RECT& rect, TColor color) { FrameRect(dc, &rect, BrushOf(color)); }

TColor EffectiveColor(const TControl& control) {
  for (const TControl* c = &control; c != nullptr; c = c->Parent()) {
    if (c->Color() == kClNone) continue;
    return IsSystemColor(c->Color()) ? GetSysColor(static_cast<int>(c->Color() & 0xFFu)) : c->Color();
  }
  return GetSysColor(COLOR_BTNFACE);
}

}  // namespace ui::win32
