#include "ui/Bitmap.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>

#include "platform/shell.h"

namespace ui {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12, kInfoHeaderSize = 40, kV2HeaderSize = 52,
                        kV3HeaderSize = 56, kOs2HeaderSize = 64, kV4HeaderSize = 108,
                        kV5HeaderSize = 124;
enum : std::uint32_t { kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3, kBiAlphaBitFields = 6 };

// The file header, the largest info header, separate masks and the largest colour table: all a
// file can hold before its pixels that matters here.
constexpr std::size_t kProbeBytes = kFileHeaderSize + kV5HeaderSize + 16 + 256 * 4;
// Pixels that start further in than this belong to no picture this program ships or shows.
constexpr std::uint64_t kMaxPixelOffset = std::uint64_t{1} << 20;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

// One colour channel of a 16- or 32-bit pixel, given by its bit mask, scaled to 0..255. Masks
// need not be contiguous: the value can never exceed mask >> shift, so the scaling stays exact.
struct TChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;

  explicit TChannel(std::uint32_t m) : mask(m) {
    if (m != 0) {
      shift = std::countr_zero(m);
      max = m >> shift;
    }
  }
  std::uint32_t Get(std::uint32_t pixel) const {
    if (max == 0) return 0;
    const std::uint32_t v = (pixel & mask) >> shift;
    if (max == 255) return v;
    return static_cast<std::uint32_t>((std::uint64_t{v} * 255 + max / 2) / max);
  }
};

struct TLayout {
  int width = 0;
  int height = 0;
  bool topDown = false;
  int bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::array<std::uint32_t, 3> masks{};       // red, green, blue (16 and 32 bits)
  std::array<std::uint32_t, 256> palette{};   // 0x00RRGGBB; entries the file leaves out are black
  std::uint64_t pixelOffset = 0;
  std::uint64_t dataBytes = 0;  // what the pixels need from pixelOffset on (run-length: at most)
};

bool ValidDepth(std::uint32_t compression, int bitCount, bool topDown, std::uint32_t headerSize) {
  switch (compression) {
    case kBiRgb:
      return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
             bitCount == 32;
    case kBiRle8:
      return bitCount == 8 && !topDown;  // run-length pictures are always stored bottom-up
    case kBiRle4:
      return bitCount == 4 && !topDown;
    case kBiBitFields:
    case kBiAlphaBitFields:
      // In the OS/2 header the same numbers mean Huffman and 24-bit run-length coding.
      return (bitCount == 16 || bitCount == 32) && headerSize != kOs2HeaderSize;
    default:
      return false;  // JPEG, PNG and the rest
  }
}

// Reads the headers and the colour table and checks that they describe a picture within the
// limits. `file` may be just the first kProbeBytes of the file; pixel data is not looked at.
std::optional<TLayout> ReadHeaders(std::string_view file) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(file.data());
  const std::size_t size = file.size();
  if (size < kFileHeaderSize + 4 || p[0] != 'B' || p[1] != 'M') return std::nullopt;

  TLayout l;
  l.pixelOffset = U32(p + 10);
  const std::uint32_t headerSize = U32(p + kFileHeaderSize);
  const bool core = headerSize == kCoreHeaderSize;
  if (!core && headerSize != kInfoHeaderSize && headerSize != kV2HeaderSize && headerSize != kV3HeaderSize &&
      headerSize != kOs2HeaderSize && headerSize != kV4HeaderSize && headerSize != kV5HeaderSize) {
    return std::nullopt;
  }
  if (size < kFileHeaderSize + headerSize) return std::nullopt;
  const std::uint8_t* h = p + kFileHeaderSize;

  std::int64_t width = 0, height = 0;
  unsigned planes = 0;
  std::uint32_t colorsUsed = 0;
  if (core) {
    width = U16(h + 4);
    height = U16(h + 6);
    planes = U16(h + 8);
    l.bitCount = U16(h + 10);
  } else {
    width = I32(h + 4);
    height = I32(h + 8);
    planes = U16(h + 12);
    l.bitCount = U16(h + 14);
    l.compression = U32(h + 16);
    colorsUsed = U32(h + 32);
  }
  if (planes != 1 || width <= 0 || height == 0) return std::nullopt;
  l.topDown = height < 0;
  height = height < 0 ? -height : height;  // 64 bits: the most negative 32-bit height is safe
  if (width > kMaxBitmapSide || height > kMaxBitmapSide ||
      static_cast<std::uint64_t>(width * height) > kMaxBitmapPixels) {
    return std::nullopt;
  }
  l.width = static_cast<int>(width);
  l.height = static_cast<int>(height);
  if (!ValidDepth(l.compression, l.bitCount, l.topDown, headerSize)) return std::nullopt;

  std::uint64_t tableStart = kFileHeaderSize + headerSize;
  if (l.compression == kBiBitFields || l.compression == kBiAlphaBitFields) {
    const std::uint8_t* m = h + 40;
    if (headerSize == kInfoHeaderSize) {
      // The plain info header keeps its masks in the three (or four) words after it.
      const std::uint64_t maskBytes = l.compression == kBiAlphaBitFields ? 16 : 12;
      if (size < tableStart + maskBytes) return std::nullopt;
      m = p + tableStart;
      tableStart += maskBytes;
    }
    l.masks = {U32(m), U32(m + 4), U32(m + 8)};
  } else if (l.bitCount == 16) {
    l.masks = {0x7C00, 0x03E0, 0x001F};
  } else if (l.bitCount == 32) {
    l.masks = {0xFF0000, 0x00FF00, 0x0000FF};
  }

  // The pixels may not overlap the headers.
  if (l.pixelOffset < tableStart || l.pixelOffset > kMaxPixelOffset) return std::nullopt;

  if (l.bitCount <= 8) {
    const std::uint64_t entryBytes = core ? 3 : 4;
    const std::uint64_t full = std::uint64_t{1} << l.bitCount;
    std::uint64_t count = (colorsUsed == 0 || colorsUsed > full) ? full : colorsUsed;
    // A table that claims more entries than fit before the pixels is read as far as it goes;
    // indexes past its end show black.
    count = std::min(count, (l.pixelOffset - tableStart) / entryBytes);
    if (size < tableStart + count * entryBytes) return std::nullopt;
    const std::uint8_t* t = p + tableStart;
    for (std::uint64_t i = 0; i < count; ++i, t += entryBytes) {
      l.palette[i] = t[0] | (static_cast<std::uint32_t>(t[1]) << 8) | (static_cast<std::uint32_t>(t[2]) << 16);
    }
  }

  const auto w = static_cast<std::uint64_t>(l.width), ht = static_cast<std::uint64_t>(l.height);
  if (l.compression == kBiRle8 || l.compression == kBiRle4) {
    // The longest sensible encoding: a two-byte run for every pixel, an end-of-line for every row
    // (plus one spare), an end-of-bitmap mark.
    l.dataBytes = 2 * w * ht + 4 * ht + 16;
  } else {
    const std::uint64_t bits = w * static_cast<std::uint64_t>(l.bitCount);
    const std::uint64_t stride = (bits + 31) / 32 * 4;
    // The last row's padding is often left out by writers; its pixels are not.
    l.dataBytes = stride * (ht - 1) + (bits + 7) / 8;
  }
  return l;
}

void DecodeRows(const std::uint8_t* data, const TLayout& l, TBitmap& out) {
  const auto w = static_cast<std::size_t>(l.width);
  const std::size_t stride = (w * static_cast<std::size_t>(l.bitCount) + 31) / 32 * 4;
  const TChannel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
  const bool plain32 = l.bitCount == 32 && l.masks == std::array<std::uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
  for (int row = 0; row < l.height; ++row) {
    const std::uint8_t* s = data + static_cast<std::size_t>(row) * stride;
    const int y = l.topDown ? row : l.height - 1 - row;
    std::uint32_t* d = out.pixels.data() + static_cast<std::size_t>(y) * w;
    switch (l.bitCount) {
      case 1:
        for (std::size_t x = 0; x < w; ++x) d[x] = l.palette[(s[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (std::size_t x = 0; x < w; ++x) d[x] = l.palette[(s[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
        break;
      case 8:
        for (std::size_t x = 0; x < w; ++x) d[x] = l.palette[s[x]];
        break;
      case 24:
        for (std::size_t x = 0; x < w; ++x, s += 3) {
          d[x] = s[0] | (static_cast<std::uint32_t>(s[1]) << 8) | (static_cast<std::uint32_t>(s[2]) << 16);
        }
        break;
      case 16:
      case 32:
        for (std::size_t x = 0; x < w; ++x) {
          std::uint32_t v;
          if (l.bitCount == 16) {
            v = U16(s);
            s += 2;
          } else {
            v = U32(s);
            s += 4;
          }
          d[x] = plain32 ? (v & 0xFFFFFF) : (red.Get(v) << 16) | (green.Get(v) << 8) | blue.Get(v);
        }
        break;
    }
  }
}

// Run-length data, bottom-up. Runs and deltas that reach past the picture are clipped, as the
// system clips them; pixels no command sets stay black. Data that ends before the end-of-bitmap
// mark is a cut-off file and is refused.
bool DecodeRunLength(const std::uint8_t* d, std::size_t n, const TLayout& l, TBitmap& out) {
  const bool four = l.compression == kBiRle4;
  const std::int64_t w = l.width, h = l.height;
  std::int64_t x = 0, y = 0;  // 64 bits: deltas may carry them far past the picture
  auto put = [&](std::int64_t px, unsigned index) {
    out.pixels[static_cast<std::size_t>((h - 1 - y) * w + px)] = l.palette[index];
  };
  std::size_t i = 0;
  for (;;) {
    if (n - i < 2) return false;
    const unsigned a = d[i], c = d[i + 1];
    i += 2;
    if (a > 0) {  // a run of `a` pixels of colour c (4 bits: alternating its two halves)
      if (y < h) {
        const std::int64_t end = std::min(x + a, w);
        for (std::int64_t px = x; px < end; ++px) put(px, four ? (((px - x) & 1) ? (c & 15) : (c >> 4)) : c);
      }
      x += a;
      continue;
    }
    switch (c) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return true;
      case 2:  // delta
        if (n - i < 2) return false;
        x += d[i];
        y += d[i + 1];
        i += 2;
        break;
      default: {  // c pixels as they are, padded to a whole word
        const std::size_t bytes = four ? (c + 1) / 2 : c;
        const std::size_t padded = (bytes + 1) & ~std::size_t{1};
        if (n - i < padded) return false;
        if (y < h) {
          const std::int64_t end = std::min<std::int64_t>(x + c, w);
          for (std::int64_t px = x; px < end; ++px) {
            const std::size_t k = static_cast<std::size_t>(px - x);
            put(px, four ? ((d[i + k / 2] >> ((k & 1) ? 0 : 4)) & 15) : d[i + k]);
          }
        }
        x += c;
        i += padded;
        break;
      }
    }
  }
}

}  // namespace

std::shared_ptr<const TBitmap> DecodeBitmap(std::string_view file) {
  const std::optional<TLayout> l = ReadHeaders(file);
  if (!l || l->pixelOffset > file.size()) return nullptr;
  const auto* data = reinterpret_cast<const std::uint8_t*>(file.data()) + l->pixelOffset;
  const std::uint64_t available = file.size() - l->pixelOffset;
  const bool runLength = l->compression == kBiRle8 || l->compression == kBiRle4;
  if (!runLength && available < l->dataBytes) return nullptr;

  auto bitmap = std::make_shared<TBitmap>();
  bitmap->width = l->width;
  bitmap->height = l->height;
  bitmap->pixels.assign(static_cast<std::size_t>(l->width) * static_cast<std::size_t>(l->height), 0);
  if (runLength) {
    if (!DecodeRunLength(data, static_cast<std::size_t>(std::min(available, l->dataBytes)), *l, *bitmap)) {
      return nullptr;
    }
  } else {
    DecodeRows(data, *l, *bitmap);
  }
  return bitmap;
}

std::shared_ptr<const TBitmap> LoadBitmapFile(const std::string& path) {
  platform::IFileSystem& fs = platform::FileSystem();
  std::string head;
  if (!fs.ReadFilePrefix(path, kProbeBytes, &head)) return nullptr;
  const std::optional<TLayout> l = ReadHeaders(head);
  if (!l) return nullptr;
  const std::uint64_t needed = l->pixelOffset + l->dataBytes;
  // A short read means the whole file is in hand already.
  if (head.size() < kProbeBytes || head.size() >= needed) return DecodeBitmap(head);
  std::string file;
  if (!fs.ReadFilePrefix(path, static_cast<std::size_t>(needed), &file)) return nullptr;
  return DecodeBitmap(file);
}

}  // namespace ui
