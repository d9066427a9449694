// The .bmp reader over arbitrary bytes: it must give null or a picture whose pixel count matches
// its size, and never read outside the bytes it was given (the sanitizers watch).
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/Bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size heap copy, so a read one past the end is caught.
  const std::string file(reinterpret_cast<const char*>(data), size);
  const auto bitmap = ui::DecodeBitmap(file);
  if (bitmap != nullptr &&
      (bitmap->width <= 0 || bitmap->height <= 0 ||
       bitmap->pixels.size() != static_cast<std::size_t>(bitmap->width) * static_cast<std::size_t>(bitmap->height))) {
    __builtin_trap();
  }
  return 0;
}
