// The .bmp reader: pixels of every layout it accepts, and refusal (never a crash or a read past
// the data) of every damaged or absurd file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "tests/support/Registry.h"
#include "ui/BmpWriter.h"
#include "ui/Bitmap.h"

namespace {

using ui::BmpSpec;
using ui::MakeBmp;
using ui::Rows24;

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

struct GoodCase {
  const char* name;
  std::string file;
  int width, height;
  std::vector<std::uint32_t> pixels;  // top row first
};

BmpSpec Indexed(std::uint16_t bits, int width, int height, std::vector<std::uint32_t> palette, std::string pixels) {
  BmpSpec b;
  b.bitCount = bits;
  b.width = width;
  b.height = height;
  b.palette = std::move(palette);
  b.colorsUsed = static_cast<std::uint32_t>(b.palette.size());
  b.pixels = std::move(pixels);
  return b;
}

std::vector<GoodCase> GoodCases() {
  std::vector<GoodCase> cases;
  const std::vector<std::vector<std::uint32_t>> rgb3x2 = {{kRed, kGreen, kBlue}, {kWhite, 0x123456, kBlack}};
  const std::vector<std::uint32_t> rgb3x2Flat = {kRed, kGreen, kBlue, kWhite, 0x123456, kBlack};
  {
    BmpSpec b;
    b.width = 3;
    b.height = 2;
    b.pixels = Rows24(rgb3x2);
    cases.push_back({"24 bits, bottom-up, rows padded", MakeBmp(b), 3, 2, rgb3x2Flat});
    b.height = -2;
    b.pixels = Rows24(rgb3x2, true);
    cases.push_back({"24 bits, top-down", MakeBmp(b), 3, 2, rgb3x2Flat});
    b.height = 2;
    b.pixels = Rows24(rgb3x2);
    b.pixels.resize(b.pixels.size() - 3);  // the last row's padding left out
    cases.push_back({"24 bits, last row without its padding", MakeBmp(b), 3, 2, rgb3x2Flat});
    b.headerSize = 124;
    b.pixels = Rows24(rgb3x2);
    cases.push_back({"24 bits, v5 header", MakeBmp(b), 3, 2, rgb3x2Flat});
    b.headerSize = 12;
    cases.push_back({"24 bits, core header", MakeBmp(b), 3, 2, rgb3x2Flat});
  }
  {
    BmpSpec b;
    b.bitCount = 32;
    b.width = 2;
    b.height = 1;
    b.pixels = Bytes({0x56, 0x34, 0x12, 0x80, 0xFF, 0x00, 0x00, 0x00});  // B, G, R, alpha (ignored)
    cases.push_back({"32 bits, alpha ignored", MakeBmp(b), 2, 1, {0x123456, kBlue}});
    b.compression = 3;
    b.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red in the low byte
    cases.push_back({"32 bits, bit fields after an info header", MakeBmp(b), 2, 1, {0x563412, kRed}});
    b.headerSize = 108;
    b.masks = {0xFFC00000, 0x003FF000, 0x00000FFC};  // ten bits a channel, high to low
    b.pixels = Bytes({0x00, 0x00, 0xC0, 0xFF, 0xFC, 0x0F, 0x00, 0x00});
    cases.push_back({"32 bits, 10-bit bit fields in a v4 header", MakeBmp(b), 2, 1, {0xFF0000, 0x0000FF}});
  }
  {
    BmpSpec b;
    b.bitCount = 16;
    b.width = 3;
    b.height = 1;
    // 5-5-5: full red, full green, blue at 16 of 31.
    b.pixels = Bytes({0x00, 0x7C, 0xE0, 0x03, 0x10, 0x00, 0, 0});
    cases.push_back({"16 bits, 5-5-5", MakeBmp(b), 3, 1, {kRed, kGreen, 132}});
    b.headerSize = 56;
    b.compression = 3;
    b.masks = {0xF800, 0x07E0, 0x001F};
    // 5-6-5: full red, green at 32 of 63, full blue.
    b.pixels = Bytes({0x00, 0xF8, 0x00, 0x04, 0x1F, 0x00, 0, 0});
    cases.push_back({"16 bits, 5-6-5 bit fields in a v3 header", MakeBmp(b), 3, 1, {kRed, 130 << 8, kBlue}});
  }
  {
    // Index 3 lies past a three-entry table: black, not a read past the table.
    BmpSpec b = Indexed(8, 4, 2, {kRed, kGreen, kBlue}, Bytes({0, 1, 2, 3, 2, 2, 1, 0}));
    cases.push_back({"8 bits, short colour table", MakeBmp(b), 4, 2, {kBlue, kBlue, kGreen, kRed, kRed, kGreen, kBlue, kBlack}});
    b.headerSize = 12;
    b.colorsUsed = 0;
    cases.push_back({"8 bits, core header", MakeBmp(b), 4, 2, {kBlue, kBlue, kGreen, kRed, kRed, kGreen, kBlue, kBlack}});
    b.headerSize = 64;
    b.colorsUsed = 3;
    cases.push_back({"8 bits, OS/2 2.x header", MakeBmp(b), 4, 2, {kBlue, kBlue, kGreen, kRed, kRed, kGreen, kBlue, kBlack}});
  }
  {
    BmpSpec b = Indexed(4, 3, 1, {kBlack, kRed, kGreen, kBlue}, Bytes({0x13, 0x20, 0, 0}));
    cases.push_back({"4 bits, odd width", MakeBmp(b), 3, 1, {kRed, kBlue, kGreen}});
    b = Indexed(1, 10, 1, {kBlack, kWhite}, Bytes({0xA5, 0x80, 0, 0}));
    cases.push_back({"1 bit, across a byte", MakeBmp(b), 10, 1,
                     {kWhite, kBlack, kWhite, kBlack, kBlack, kWhite, kBlack, kWhite, kWhite, kBlack}});
  }
  {
    // Bottom row: a run of 2 red, 3 literal pixels (blue, blue, green: the last one clipped), end
    // of line. A delta 1 right and 1 up lands in the top row at x 1; a run of 5 is clipped to the
    // 3 that fit; end of bitmap. The middle row is never written and stays black.
    BmpSpec b = Indexed(8, 4, 3, {kBlack, kRed, kGreen, kBlue},
                        Bytes({2, 1, 0, 3, 3, 3, 2, 0, 0, 0, 0, 2, 1, 1, 5, 1, 0, 1}));
    b.compression = 1;
    cases.push_back({"8-bit run-length: runs, literals, delta, clipping", MakeBmp(b), 4, 3,
                     {kBlack, kRed, kRed, kRed, kBlack, kBlack, kBlack, kBlack, kRed, kRed, kBlue, kBlue}});
  }
  {
    // A run of 3 alternating red and green; 3 literal pixels blue, red, green; end of bitmap.
    BmpSpec b = Indexed(4, 6, 1, {kBlack, kRed, kGreen, kBlue}, Bytes({3, 0x12, 0, 3, 0x31, 0x20, 0, 1}));
    b.compression = 2;
    cases.push_back({"4-bit run-length", MakeBmp(b), 6, 1, {kRed, kGreen, kRed, kBlue, kRed, kGreen}});
  }
  return cases;
}

TEST(BitmapDecode, ReadsEveryAcceptedLayout) {
  for (const GoodCase& c : GoodCases()) {
    SCOPED_TRACE(c.name);
    const auto bitmap = ui::DecodeBitmap(c.file);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width, c.width);
    EXPECT_EQ(bitmap->height, c.height);
    EXPECT_EQ(bitmap->pixels, c.pixels);
  }
}

// Every prefix of a good file is refused or decoded whole; pixel data cut short is always refused.
TEST(BitmapDecode, RefusesEveryTruncation) {
  for (const GoodCase& c : GoodCases()) {
    SCOPED_TRACE(c.name);
    for (std::size_t n = 0; n < c.file.size(); ++n) {
      // Heap copies, so AddressSanitizer sees any read past the end.
      const std::string prefix = c.file.substr(0, n);
      const auto bitmap = ui::DecodeBitmap(prefix);
      if (bitmap != nullptr) {
        // Only the missing padding of the last row may be left out.
        EXPECT_GE(n + 3, c.file.size()) << n;
        EXPECT_EQ(bitmap->pixels, c.pixels);
      }
    }
  }
}

TEST(BitmapDecode, Limits) {
  struct Case {
    int width, height;
    bool accepted;
  };
  const Case cases[] = {
      {ui::kMaxBitmapSide, 1, true},
      {ui::kMaxBitmapSide + 1, 1, false},
      {1, ui::kMaxBitmapSide + 1, false},
      {1, -(ui::kMaxBitmapSide + 1), false},
      {8192, 2048, true},   // exactly the pixel budget
      {8192, 2049, false},  // one row over it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    BmpSpec b;
    b.bitCount = 1;  // keeps the files small
    b.width = c.width;
    b.height = c.height;
    b.palette = {kBlack, kWhite};
    const std::size_t stride = (static_cast<std::size_t>(c.width) + 31) / 32 * 4;
    b.pixels.assign(stride * static_cast<std::size_t>(std::abs(c.height)), '\xFF');
    const auto bitmap = ui::DecodeBitmap(MakeBmp(b));
    EXPECT_EQ(bitmap != nullptr, c.accepted);
    if (bitmap != nullptr) {
      EXPECT_EQ(bitmap->pixels.size(), static_cast<std::size_t>(c.width) * static_cast<std::size_t>(std::abs(c.height)));
      EXPECT_EQ(bitmap->pixels.back(), kWhite);
    }
  }
}

std::string ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BitmapDecode, RefusesEveryDamagedFixture) {
  const std::filesystem::path folder = nqtest::FixturePath("bitmaps");
  int seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".bmp") continue;
    ++seen;
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_EQ(ui::DecodeBitmap(ReadHostFile(entry.path())), nullptr);
  }
  EXPECT_GT(seen, 0) << "no fixtures found in " << folder.string();
}

// The pictures shipped in the Bitmaps folder all show.
TEST(BitmapDecode, ReadsTheShippedWallpapers) {
  const std::filesystem::path folder = std::filesystem::path(nqtest::FixturePath("")) / ".." / ".." / "resources" / "Bitmaps";
  int seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".bmp") continue;
    ++seen;
    SCOPED_TRACE(entry.path().filename().string());
    const auto bitmap = ui::DecodeBitmap(ReadHostFile(entry.path()));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_GT(bitmap->width, 0);
  }
  EXPECT_GT(seen, 0) << "no pictures found in " << folder.string();
}

// Random damage to the headers and data of good files: the result is null or a picture whose
// pixel count matches its size. Run under the sanitizer build this also proves no stray read.
TEST(BitmapDecode, SurvivesRandomDamage) {
  std::mt19937 random(20240601);
  for (const GoodCase& c : GoodCases()) {
    for (int round = 0; round < 300; ++round) {
      std::string file = c.file;
      const int flips = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < flips; ++i) {
        // Mostly the first 70 bytes, where the sizes, offsets and depths are.
        const std::size_t at = random() % 4 != 0 ? random() % std::min<std::size_t>(70, file.size()) : random() % file.size();
        file[at] = static_cast<char>(random());
      }
      const auto bitmap = ui::DecodeBitmap(file);
      if (bitmap != nullptr) {
        ASSERT_EQ(bitmap->pixels.size(),
                  static_cast<std::size_t>(bitmap->width) * static_cast<std::size_t>(bitmap->height));
      }
    }
  }
}

}  // namespace
