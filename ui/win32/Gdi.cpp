#include "ui/win32/Gdi.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "resources/resource.h"
#include "ui/Scale.h"

namespace ui::win32 {
namespace {

HINSTANCE instance = nullptr;

struct TFontKey {
  std::string name;
  int size;
  bool pixels;
  bool bold;
  int dpi;
  bool operator<(const TFontKey& o) const {
    return std::tie(name, size, pixels, bold, dpi) < std::tie(o.name, o.size, o.pixels, o.bold, o.dpi);
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

// The pictures scaled between the drawn sizes, by id, DPI and cell count.
std::map<std::tuple<int, int, int, bool>, TGdiObject<HBITMAP>>& ScaledPictures() {
  static std::map<std::tuple<int, int, int, bool>, TGdiObject<HBITMAP>> pictures;
  return pictures;
}

// The pixels of a loaded picture as premultiplied 0xAARRGGBB, top row first.
TBitmap PixelsOf(HBITMAP bitmap, bool keyed) {
  DIBSECTION dib{};
  TBitmap out;
  if (GetObjectA(bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBits == nullptr) return out;
  const int bits = dib.dsBm.bmBitsPixel;
  if (bits != 24 && bits != 32) return out;
  out.width = dib.dsBm.bmWidth;
  out.height = dib.dsBm.bmHeight;
  out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
  const auto* base = static_cast<const BYTE*>(dib.dsBm.bmBits);
  const bool bottomUp = dib.dsBmih.biHeight > 0;
  for (int y = 0; y < out.height; ++y) {
    const BYTE* row = base + static_cast<std::size_t>(bottomUp ? out.height - 1 - y : y) * dib.dsBm.bmWidthBytes;
    for (int x = 0; x < out.width; ++x) {
      const BYTE* p = row + static_cast<std::size_t>(x) * (bits / 8);
      std::uint32_t pixel = p[0] | (p[1] << 8) | (p[2] << 16);
      if (bits == 32) {
        pixel |= static_cast<std::uint32_t>(p[3]) << 24;
      } else if (!(keyed && RGB(p[2], p[1], p[0]) == NQ_KEY_COLORREF)) {
        pixel |= 0xFF000000u;
      } else {
        pixel = 0;
      }
      out.pixels[static_cast<std::size_t>(y) * out.width + x] = pixel;
    }
  }
  return out;
}

HBITMAP AlphaBitmap(const TBitmap& picture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP made = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (made != nullptr && bits != nullptr) {
    std::copy(picture.pixels.begin(), picture.pixels.end(), static_cast<std::uint32_t*>(bits));
  }
  return made;
}

}  // namespace

namespace {

// The bitmap is declared first so that, at the end, the DC goes before the bitmap selected in it.
struct TSharedBuffer {
  TGdiObject<HBITMAP> bitmap;
  TMemoryDc dc{nullptr};
  int width = 0;
  int height = 0;
  bool busy = false;
};

TSharedBuffer& SharedBuffer() {
  static TSharedBuffer buffer;
  return buffer;
}

}  // namespace

TPaintBuffer::TPaintBuffer(HDC like, int width, int height) {
  TSharedBuffer& shared = SharedBuffer();
  if (!shared.busy && shared.dc.Get() != nullptr) {
    if (width > shared.width || height > shared.height) {
      const int w = std::max(width, shared.width), h = std::max(height, shared.height);
      if (HBITMAP grown = CreateCompatibleBitmap(like, w, h)) {
        SelectObject(shared.dc.Get(), grown);
        shared.bitmap = TGdiObject<HBITMAP>(grown);
        shared.width = w;
        shared.height = h;
      }
    }
    if (width <= shared.width && height <= shared.height) {
      shared.busy = shared_ = true;
      dc_ = shared.dc.Get();
      // What one control leaves selected or set in the DC is not the next one's start.
      saved_ = SaveDC(dc_);
      return;
    }
  }
  dc_ = CreateCompatibleDC(like);
  own_ = dc_ != nullptr ? CreateCompatibleBitmap(like, width, height) : nullptr;
  if (own_ == nullptr) {
    if (dc_ != nullptr) DeleteDC(dc_);
    dc_ = nullptr;
    return;
  }
  previous_ = SelectObject(dc_, own_);
}

TPaintBuffer::~TPaintBuffer() {
  if (dc_ == nullptr) return;
  if (shared_) {
    RestoreDC(dc_, saved_);
    SharedBuffer().busy = false;
    return;
  }
  SelectObject(dc_, previous_);
  DeleteObject(own_);
  DeleteDC(dc_);
}

HDC MeasureDc() {
  static TMemoryDc dc(nullptr);
  return dc.Get();
}

bool HasFrame(HWND window) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
  return (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_VSCROLL | WS_HSCROLL)) != 0 ||
         (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME)) != 0;
}

HINSTANCE Instance() { return instance != nullptr ? instance : GetModuleHandleA(nullptr); }
void SetInstance(HINSTANCE value) { instance = value; }

int MonitorDpi(POINT at) {
  // Looked up, not linked: absent before Windows 8.1, where the system's DPI is every monitor's.
  using TGetDpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor = [] {
    HMODULE shcore = LoadLibraryA("shcore.dll");
    return shcore != nullptr ? reinterpret_cast<TGetDpiForMonitor>(
                                   reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                             : nullptr;
  }();
  UINT x = 0, y = 0;
  if (getDpiForMonitor != nullptr &&
      SUCCEEDED(getDpiForMonitor(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) &&
      x > 0) {
    return static_cast<int>(x);
  }
  return WindowDpi(nullptr);
}

int WindowDpi(HWND window) {
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<TGetDpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (window != nullptr && getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(window); dpi > 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : kLayoutDpi;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kLayoutDpi;
}

HFONT FontOf(const TFont& font, int dpi) {
  TFontKey key{font.name, font.size, font.pixels, font.bold, dpi};
  auto& fonts = Fonts();
  auto found = fonts.find(key);
  if (found != fonts.end()) return found->second.Get();
  // A negative height asks for the character height, as a point size means it.
  const int height = font.pixels ? -Scaled(font.size, dpi) : -MulDiv(font.size, dpi, 72);
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

HBITMAP Picture(int id, int dpi, int cells, bool keyed) {
  HBITMAP original = ResourceBitmap(id);
  const SIZE size = BitmapSize(original);
  cells = std::max(cells, 1);
  const int cellWidth = Scaled(static_cast<int>(size.cx) / cells, dpi);
  const int height = Scaled(size.cy, dpi);
  if (original == nullptr || (cellWidth * cells == size.cx && height == size.cy)) return original;
  auto& scaled = ScaledPictures();
  const auto key = std::make_tuple(id, dpi, cells, keyed);
  if (auto found = scaled.find(key); found != scaled.end()) return found->second.Get();

  HBITMAP drawn = ResourceBitmap(PictureId(id, PictureScale(dpi)));
  if (drawn == nullptr) drawn = original;
  const SIZE drawnSize = BitmapSize(drawn);
  if (drawnSize.cx == cellWidth * cells && drawnSize.cy == height) return drawn;
  // Between the drawn sizes: each cell scaled on its own, so that no cell bleeds into the next.
  const TBitmap source = PixelsOf(drawn, keyed);
  TBitmap result;
  result.width = cellWidth * cells;
  result.height = height;
  result.pixels.assign(static_cast<std::size_t>(result.width) * height, 0);
  const int sourceCell = source.width / cells;
  for (int c = 0; c < cells && sourceCell > 0; ++c) {
    TBitmap cell;
    cell.width = sourceCell;
    cell.height = source.height;
    for (int y = 0; y < source.height; ++y) {
      const auto row = source.pixels.begin() + static_cast<std::ptrdiff_t>(y) * source.width + c * sourceCell;
      cell.pixels.insert(cell.pixels.end(), row, row + sourceCell);
    }
    const TBitmap done = Resampled(cell, cellWidth, height);
    for (int y = 0; y < done.height; ++y) {
      std::copy_n(done.pixels.begin() + static_cast<std::ptrdiff_t>(y) * done.width, done.width,
                  result.pixels.begin() + static_cast<std::ptrdiff_t>(y) * result.width + c * cellWidth);
    }
  }
  HBITMAP made = AlphaBitmap(result);
  scaled.emplace(key, TGdiObject<HBITMAP>(made));
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

void FrameColor(HDC dc, const RECT& rect, TColor color, int thickness) {
  RECT ring = rect;
  for (int i = 0; i < thickness; ++i) {
    FrameRect(dc, &ring, BrushOf(color));
    InflateRect(&ring, -1, -1);
  }
}

TColor EffectiveColor(const TControl& control) {
  for (const TControl* c = &control; c != nullptr; c = c->Parent()) {
    if (c->Color() == kClNone) continue;
    return IsSystemColor(c->Color()) ? GetSysColor(static_cast<int>(c->Color() & 0xFFu)) : c->Color();
  }
  return GetSysColor(COLOR_BTNFACE);
}

}  // namespace ui::win32
