#include "ui/Scale.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ui {
namespace {

// For each target column (or row): the source pixels it covers and how much of each.
struct TSpan {
  int first = 0;
  std::vector<double> weights;
};

std::vector<TSpan> Spans(int from, int to) {
  std::vector<TSpan> spans(static_cast<std::size_t>(to));
  const double step = static_cast<double>(from) / to;
  for (int t = 0; t < to; ++t) {
    const double start = t * step;
    const double end = std::min<double>(from, (t + 1) * step);
    TSpan& span = spans[static_cast<std::size_t>(t)];
    span.first = static_cast<int>(std::floor(start));
    const int last = std::min(from - 1, static_cast<int>(std::ceil(end)) - 1);
    double total = 0;
    for (int s = span.first; s <= last; ++s) {
      const double covered = std::min<double>(end, s + 1) - std::max<double>(start, s);
      span.weights.push_back(std::max(0.0, covered));
      total += span.weights.back();
    }
    for (double& w : span.weights) w = total > 0 ? w / total : 0;
  }
  return spans;
}

}  // namespace

TBitmap Resampled(const TBitmap& source, int width, int height) {
  TBitmap out;
  if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0 ||
      source.pixels.size() < static_cast<std::size_t>(source.width) * source.height) {
    return out;
  }
  out.width = width;
  out.height = height;
  out.pixels.assign(static_cast<std::size_t>(width) * height, 0);
  const std::vector<TSpan> columns = Spans(source.width, width);
  const std::vector<TSpan> rows = Spans(source.height, height);
  for (int y = 0; y < height; ++y) {
    const TSpan& row = rows[static_cast<std::size_t>(y)];
    for (int x = 0; x < width; ++x) {
      const TSpan& column = columns[static_cast<std::size_t>(x)];
      double sum[4] = {0, 0, 0, 0};
      for (std::size_t j = 0; j < row.weights.size(); ++j) {
        const std::size_t base = static_cast<std::size_t>(row.first + static_cast<int>(j)) * source.width;
        for (std::size_t i = 0; i < column.weights.size(); ++i) {
          const std::uint32_t pixel = source.pixels[base + column.first + i];
          const double w = row.weights[j] * column.weights[i];
          for (int b = 0; b < 4; ++b) sum[b] += w * ((pixel >> (8 * b)) & 0xFFu);
        }
      }
      std::uint32_t pixel = 0;
      for (int b = 0; b < 4; ++b) {
        pixel |= static_cast<std::uint32_t>(std::clamp(std::lround(sum[b]), 0L, 255L)) << (8 * b);
      }
      out.pixels[static_cast<std::size_t>(y) * width + x] = pixel;
    }
  }
  return out;
}

}  // namespace ui
