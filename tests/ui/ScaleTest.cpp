// The scaling rule, the choice of the drawn pictures, the pictures the script drew at each scale,
// and the smooth scale used between them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "resources/resource.h"
#include "tests/support/BuildPaths.h"
#include "ui/Bitmap.h"
#include "ui/Scale.h"

namespace {

TEST(Scale, OneRuleRoundsToTheNearestPixelHalvesAwayFromZero) {
  struct Case {
    int value, dpi, expected;
  } const cases[] = {
      // At 96 DPI nothing moves.
      {0, 96, 0}, {1, 96, 1}, {29, 96, 29}, {534, 96, 534}, {-7, 96, -7},
      {534, 120, 668}, {402, 120, 503}, {1, 120, 1}, {2, 120, 3},  // 667.5, 502.5, 1.25, 2.5
      {534, 144, 801}, {402, 144, 603}, {19, 144, 29}, {1, 144, 2}, {-3, 144, -5},  // 28.5, 1.5, -4.5
      {534, 192, 1068}, {402, 192, 804}, {13, 168, 23},                            // 22.75
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::Scaled(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi << " DPI";
  }
  const ui::TRect r = ui::Scaled(ui::TRect{120, 28, 400, 301}, 144);
  EXPECT_EQ((std::vector<int>{r.left, r.top, r.width, r.height}), (std::vector<int>{180, 42, 600, 452}));
}

TEST(Scale, TheNearestDrawnPictureAndTheLargerOneHalfwayBetween) {
  struct Case {
    int dpi, scale;
  } const cases[] = {{72, 100}, {96, 100}, {110, 100}, {120, 150}, {144, 150},
                     {160, 150}, {168, 200}, {192, 200}, {288, 200}};
  for (const Case& c : cases) EXPECT_EQ(ui::PictureScale(c.dpi), c.scale) << c.dpi << " DPI";
  EXPECT_EQ(ui::PictureId(IDB_NAVICONS, 100), IDB_NAVICONS);
  EXPECT_EQ(ui::PictureId(IDB_NAVICONS, 150), IDB_NAVICONS_150);
  EXPECT_EQ(ui::PictureId(IDB_TOOLBAR_PREVIEW, 200), IDB_TOOLBAR_PREVIEW_200);
}

std::shared_ptr<const ui::TBitmap> ReadPicture(const std::string& name) {
  std::ifstream in(nqtest::ResourcePath("img/" + name), std::ios::binary);
  return ui::DecodeBitmap(std::string(std::istreambuf_iterator<char>(in), {}));
}

// The program shows a drawn picture as it is only when its size is the 100 % one scaled by the
// rule, cell by cell; any other size would be scaled again and blurred.
TEST(Scale, EveryPictureIsDrawnAtEachScaleInTheSizeTheRuleGives) {
  struct Picture {
    const char* name;
    int cells;
  } const pictures[] = {{"navicons", NAVICON_COUNT}, {"title_left", 1},  {"title_mid", 1},
                        {"title_right", 1},          {"title_close", 3}, {"title_min", 3},
                        {"about", 1},                {"bullet", 1},      {"toolbar", 1}};
  for (const Picture& p : pictures) {
    const auto base = ReadPicture(std::string(p.name) + ".bmp");
    ASSERT_NE(base, nullptr) << p.name;
    for (int scale : {150, 200}) {
      const int dpi = scale * ui::kLayoutDpi / 100;
      const auto drawn = ReadPicture(std::string(p.name) + "_" + std::to_string(scale) + ".bmp");
      ASSERT_NE(drawn, nullptr) << p.name << " at " << scale << " %";
      EXPECT_EQ(drawn->width, p.cells * ui::Scaled(base->width / p.cells, dpi)) << p.name << " at " << scale << " %";
      EXPECT_EQ(drawn->height, ui::Scaled(base->height, dpi)) << p.name << " at " << scale << " %";
    }
  }
}

TEST(Scale, ResampledAveragesTheAreaEachPixelCoversWithoutBleeding) {
  const std::uint32_t a = 0xFF204060, b = 0x80102030, clear = 0;
  // Halving: each new pixel the mean of the two it covers; a sharp edge stays where it was.
  const ui::TBitmap strip{4, 1, {a, a, b, b}};
  EXPECT_EQ(ui::Resampled(strip, 2, 1).pixels, (std::vector<std::uint32_t>{a, b}));
  const ui::TBitmap pair{2, 1, {0xFF000000, clear}};
  EXPECT_EQ(ui::Resampled(pair, 1, 1).pixels, (std::vector<std::uint32_t>{0x80000000}));
  // Growing by 1.5: the middle pixel straddles both.
  const ui::TBitmap two{2, 1, {0x00000000, 0x00C8C8C8}};
  EXPECT_EQ(ui::Resampled(two, 3, 1).pixels, (std::vector<std::uint32_t>{0x00000000, 0x00646464, 0x00C8C8C8}));
  // Nothing to scale, or nothing to scale to.
  EXPECT_TRUE(ui::Resampled(ui::TBitmap{}, 3, 3).pixels.empty());
  EXPECT_TRUE(ui::Resampled(strip, 0, 1).pixels.empty());
  EXPECT_TRUE(ui::Resampled(ui::TBitmap{4, 4, {a}}, 2, 2).pixels.empty());  // fewer pixels than it claims
}

}  // namespace
