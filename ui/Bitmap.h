// Reading Windows bitmap (.bmp) files into a TBitmap, without the system's help, so that both
// builds show the same picture and a damaged or hostile file can never take the program down.
//
// Understood: the file header "BM" followed by a core (12-byte), info (40), v2/v3 (52/56), OS/2 2.x
// (64), v4 (108) or v5 (124) header; 1, 4 and 8 bits per pixel through a colour table, 16 and 32
// bits with or without bit-field masks, 24 bits; rows stored bottom-up or top-down; 8- and 4-bit
// run-length compression. Alpha is ignored: the picture is drawn opaque.
//
// Anything else, or anything inconsistent (wrong magic, a header that does not fit, zero or
// negative width, zero height, a side over kMaxBitmapSide, more than kMaxBitmapPixels pixels,
// pixel data cut short), gives null. Every size is checked before it is used, so nothing is read
// outside the bytes given and nothing large is allocated for a file that is then refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ui/Widgets.h"

namespace ui {

// Largest width or height accepted.
inline constexpr int kMaxBitmapSide = 16384;
// Largest number of pixels accepted: 64 MiB once decoded, far more than any preview needs.
inline constexpr std::uint64_t kMaxBitmapPixels = std::uint64_t{1} << 24;

// Decodes a whole .bmp file held in memory; null when it is not a bitmap this reader can show.
std::shared_ptr<const TBitmap> DecodeBitmap(std::string_view file);

// Reads a .bmp file through the platform's file system and decodes it; null when the file cannot
// be read or is not a valid bitmap. Reads the headers first and then only the bytes the pixels
// need, so a huge or lying file costs no more than its declared picture.
std::shared_ptr<const TBitmap> LoadBitmapFile(const std::string& path);

}  // namespace ui
