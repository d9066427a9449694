// Builds .bmp files byte by byte, header field by header field, so that a test or a benchmark can
// make exactly the picture it is about, damaged ones included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

struct BmpSpec {
  std::uint32_t headerSize = 40;  // 12 core, 40 info, 52/56 v2/v3, 64 OS/2 2.x, 108 v4, 124 v5
  std::int32_t width = 1;
  std::int32_t height = 1;        // negative: top-down
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB, written as B, G, R (, 0)
  std::vector<std::uint32_t> masks;    // written into the header (v2 and later) or after it (info)
  std::string pixels;                  // the pixel bytes exactly as stored
  std::int64_t pixelOffset = -1;       // -1: right after the colour table
  char magic[2] = {'B', 'M'};
};

inline void PutLe(std::string& s, std::size_t at, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::string MakeBmp(const BmpSpec& b) {
  std::string h(b.headerSize, '\0');
  PutLe(h, 0, b.headerSize, 4);
  if (b.headerSize == 12) {
    PutLe(h, 4, static_cast<std::uint16_t>(b.width), 2);
    PutLe(h, 6, static_cast<std::uint16_t>(b.height), 2);
    PutLe(h, 8, b.planes, 2);
    PutLe(h, 10, b.bitCount, 2);
  } else {
    PutLe(h, 4, static_cast<std::uint32_t>(b.width), 4);
    PutLe(h, 8, static_cast<std::uint32_t>(b.height), 4);
    PutLe(h, 12, b.planes, 2);
    PutLe(h, 14, b.bitCount, 2);
    PutLe(h, 16, b.compression, 4);
    PutLe(h, 20, b.pixels.size(), 4);
    PutLe(h, 32, b.colorsUsed, 4);
  }
  std::string extra;  // masks after a plain info header
  for (std::size_t i = 0; i < b.masks.size(); ++i) {
    if (b.headerSize >= 52) {
      PutLe(h, 40 + 4 * i, b.masks[i], 4);
    } else {
      extra.append(4, '\0');
      PutLe(extra, extra.size() - 4, b.masks[i], 4);
    }
  }
  std::string table;
  for (std::uint32_t c : b.palette) {
    table.push_back(static_cast<char>(c & 0xFF));
    table.push_back(static_cast<char>((c >> 8) & 0xFF));
    table.push_back(static_cast<char>((c >> 16) & 0xFF));
    if (b.headerSize != 12) table.push_back('\0');
  }
  const std::size_t offset = 14 + h.size() + extra.size() + table.size();
  std::string f(14, '\0');
  f[0] = b.magic[0];
  f[1] = b.magic[1];
  PutLe(f, 2, offset + b.pixels.size(), 4);
  PutLe(f, 10, b.pixelOffset < 0 ? offset : static_cast<std::uint64_t>(b.pixelOffset), 4);
  return f + h + extra + table + b.pixels;
}

// 24-bit rows from 0x00RRGGBB pixels given top row first; written bottom-up (or top-down when
// `topDown`), each row padded to four bytes.
inline std::string Rows24(const std::vector<std::vector<std::uint32_t>>& rows, bool topDown = false) {
  std::string out;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const auto& row = rows[topDown ? r : rows.size() - 1 - r];
    std::string line;
    for (std::uint32_t c : row) {
      line.push_back(static_cast<char>(c & 0xFF));
      line.push_back(static_cast<char>((c >> 8) & 0xFF));
      line.push_back(static_cast<char>((c >> 16) & 0xFF));
    }
    line.resize((line.size() + 3) / 4 * 4, '\0');
    out += line;
  }
  return out;
}

// A plain 24-bit picture of one colour.
inline std::string SolidBmp(int width, int height, std::uint32_t color) {
  BmpSpec b;
  b.width = width;
  b.height = height;
  b.pixels = Rows24(std::vector<std::vector<std::uint32_t>>(height, std::vector<std::uint32_t>(width, color)));
  return MakeBmp(b);
}

}  // namespace ui
