// The print rebuilt from head data must give back the head levels the lines
// were made from: lines are built here straight from the head-row table.

#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "vprinter/print_picture.h"
#include "vprinter/sha256.h"

namespace {

struct Row {
  int byte, dye, delay, offset, rounding;  // rounding: 0 ceiling, 1 half up, 2 top, 3 floor
};
const Row kRows[11] = {{8, 0, 0, 43, 0},  {1, 2, 10, 60, 0}, {15, 1, 10, 28, 0}, {14, 1, 19, 77, 1},
                       {2, 2, 19, 45, 1}, {12, 0, 19, 13, 1}, {13, 1, 29, 30, 2}, {5, 0, 29, 62, 2},
                       {11, 1, 38, 47, 3}, {0, 0, 38, 79, 3}, {3, 2, 38, 15, 2}};

int Round(int v, int rounding) {
  const int q = v / 4, r = v % 4;
  switch (rounding) {
    case 0: return q + (r != 0);
    case 1: return q + (r >= 2);
    case 2: return q + (r == 3);
    default: return q;
  }
}

int Level(int dye, int i, int c) { return (i * 7 + c * 13 + dye * 101 + (i * c) % 97) % 1021; }

// A whole page as the line sender sends it: 2 blank lines of 10112 bytes,
// head data for lines 2..692, blank lines up to 789 (9664 bytes each).
std::vector<uint8_t> Page() {
  std::vector<uint8_t> page;
  for (int a = 0; a < 790; ++a) {
    std::vector<uint8_t> line(a < 2 ? 10112 : 9664, 0xFF);
    if (a >= 2 && a <= 692) {
      for (const Row& row : kRows) {
        const int c = a - row.delay;
        if (c < 0 || c >= 640) continue;
        for (int i = 0; i < 480; ++i) {
          const int s = a % 2 ? 571 - (i + row.offset) : i + row.offset;
          line[size_t(s) * 16 + size_t(row.byte)] = uint8_t(Round(Level(row.dye, i, c), row.rounding));
        }
      }
    }
    page.insert(page.end(), line.begin(), line.end());
  }
  return page;
}

TEST(PrintPicture, RebuildGivesBackTheHeadLevels) {
  const std::vector<uint8_t> page = Page();
  std::vector<int16_t> levels(3 * kPrintPlane);
  ASSERT_TRUE(RebuildPrintLevels(page.data(), page.size(), levels.data()));
  for (int i = 0; i < kPrintRows; ++i) {
    for (int c = 0; c < kPrintColumns; ++c) {
      const int at = i * kPrintColumns + c;
      // Lines 0 and 1 go out blank, so the delay-0 cyan row prints 0xFF on
      // columns 0 and 1: that is what the printer puts on the paper.
      const int cyan = Level(0, i, c);
      const int expectCyan = c < 2 ? 255 + cyan - Round(cyan, 0) : cyan;
      ASSERT_EQ(levels[kPrintCyan * kPrintPlane + at], expectCyan) << i << "," << c;
      ASSERT_EQ(levels[kPrintMagenta * kPrintPlane + at], Level(1, i, c)) << i << "," << c;
      const int y = Level(2, i, c);
      ASSERT_EQ(levels[kPrintYellow * kPrintPlane + at], y - y / 4) << i << "," << c;
    }
  }
  // Not the page layout: refused.
  EXPECT_FALSE(RebuildPrintLevels(page.data(), page.size() - 1, levels.data()));
  EXPECT_FALSE(RebuildPrintLevels(page.data(), 10112, levels.data()));
}

TEST(PrintPicture, ColoursOnWhitePaperAndPngRoundTrip) {
  std::vector<int16_t> levels(3 * kPrintPlane);
  ClearPrintLevels(levels.data());
  levels[kPrintCyan * kPrintPlane + 0] = 1020;
  levels[kPrintMagenta * kPrintPlane + 1] = 510;
  levels[kPrintYellow * kPrintPlane + 2] = 765;
  levels[kPrintCyan * kPrintPlane + 3] = 2000;  // more than full: still white, not wrapped
  levels[kPrintMagenta * kPrintPlane + 4] = -5;   // below 0: full dye, not wrapped
  std::vector<uint8_t> rgb(3 * kPrintPlane);
  PrintLevelsToRgb(levels.data(), rgb.data());
  // Pixel 0: full cyan level, no magenta or yellow level: page red on black
  // channels, that is a red pixel.
  EXPECT_EQ(rgb[0], 255);
  EXPECT_EQ(rgb[1], 0);
  EXPECT_EQ(rgb[2], 0);
  EXPECT_EQ(rgb[3 + 1], 510 * 255 / 1020);
  EXPECT_EQ(rgb[6 + 2], 255);
  EXPECT_EQ(rgb[9], 255);
  EXPECT_EQ(rgb[12 + 1], 0);
  EXPECT_EQ(rgb[3 * 100], 0);

  const std::string path = testing::TempDir() + "vyr_picture.png";
  ASSERT_TRUE(WritePngRgb(path.c_str(), kPrintColumns, kPrintRows, rgb.data()));
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width, 640u);
  EXPECT_EQ(image.height, 480u);
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> back(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, back.data(), 0, nullptr));
  EXPECT_EQ(back, rgb);
  std::filesystem::remove(path);
  EXPECT_FALSE(WritePngRgb("/nonexistent-dir/x.png", 4, 4, rgb.data()));
}

TEST(PrintPicture, Sha256KnownDigests) {
  EXPECT_EQ(Sha256Hex(nullptr, 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  const uint8_t abc[] = {'a', 'b', 'c'};
  EXPECT_EQ(Sha256Hex(abc, 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const char* two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";  // 56 bytes
  EXPECT_EQ(Sha256Hex(reinterpret_cast<const uint8_t*>(two), 56),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  std::vector<uint8_t> million(1000000, 'a');
  EXPECT_EQ(Sha256Hex(million.data(), million.size()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
