// The one scaling rule. Layout tables, fonts given in pixels and the pictures' sizes are in units
// of a 96-DPI display; a window at another DPI shows each at value * DPI / 96, rounded to the
// nearest pixel with halves away from zero (as MulDiv rounds). At 96 DPI every value is itself.
#pragma once

#include <cstdint>

#include "ui/Widgets.h"

namespace ui {

inline constexpr int kLayoutDpi = 96;

constexpr int Scaled(int value, int dpi) {
  const std::int64_t product = static_cast<std::int64_t>(value) * dpi;
  constexpr std::int64_t half = kLayoutDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kLayoutDpi : -((-product + half) / kLayoutDpi));
}

// Position and size each scaled by the rule.
constexpr TRect Scaled(const TRect& r, int dpi) {
  return TRect{Scaled(r.left, dpi), Scaled(r.top, dpi), Scaled(r.width, dpi), Scaled(r.height, dpi)};
}

// The pictures are drawn at these scales, in percent.
inline constexpr int kPictureScales[] = {100, 150, 200};

// The drawn scale nearest to `dpi`. Halfway between two (125 %, 175 %) the larger: shrinking a
// picture loses less than growing one.
constexpr int PictureScale(int dpi) {
  int best = kPictureScales[0];
  for (int scale : kPictureScales) {
    const int distance = scale * kLayoutDpi - dpi * 100;
    const int bestDistance = best * kLayoutDpi - dpi * 100;
    if ((distance < 0 ? -distance : distance) <= (bestDistance < 0 ? -bestDistance : bestDistance)) best = scale;
  }
  return best;
}

// The resource id of a picture drawn at `scale`: the 100 % id plus 1000 at 150 %, 2000 at 200 %.
constexpr int PictureId(int id, int scale) { return id + (scale - 100) / 50 * 1000; }

// A picture brought to width x height by averaging the area each new pixel covers (a smooth
// scale, for the sizes between the drawn ones). Each of the four bytes of a pixel is averaged on
// its own, which is right for premultiplied alpha. An empty picture or size gives an empty one.
TBitmap Resampled(const TBitmap& source, int width, int height);

}  // namespace ui
