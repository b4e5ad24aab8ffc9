// The speckle filter on the page's blue bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "imaging/dot_filter.h"
#include "load_fixture.h"
#include "support/plain_imaging.h"
#include "support/vector_targets.h"

namespace {

uint8_t& Blue(int r, int c) { return g_pageImage[r * kPageStride + c * 3]; }

void FlatBlue(uint8_t value) {
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns; ++c) Blue(r, c) = value;
}

void Runs(int n) {
  for (int i = 0; i < n; ++i) RemoveSpeckle(kPageColumns, kPageRows, g_pageImage);
}

// Every blue value within `radius` of (r, c), the centre left out.
std::vector<int> Around(int r, int c, int radius) {
  std::vector<int> out;
  for (int y = r - radius; y <= r + radius; ++y)
    for (int x = c - radius; x <= c + radius; ++x)
      if (y != r || x != c) out.push_back(Blue(y, x));
  return out;
}

}  // namespace

TEST_F(LoadTest, DarkSpeckFillsIn) {
  FlatBlue(100);
  Blue(240, 320) = 20;
  Runs(1);
  EXPECT_EQ(Blue(240, 320), 36);
  for (int v : Around(240, 320, 3)) EXPECT_TRUE(v == 100 || v == 99) << v;
  Runs(5);
  EXPECT_EQ(Blue(240, 320), 100);
}

TEST_F(LoadTest, BrightSpeckSpreadsBeforeItFades) {
  FlatBlue(100);
  Blue(240, 320) = 200;
  Runs(1);
  EXPECT_EQ(Blue(240, 320), 184);
  for (int v : Around(240, 320, 1)) EXPECT_TRUE(v == 101 || v == 102) << v;
  Runs(5);
  EXPECT_TRUE(Blue(240, 320) == 111 || Blue(240, 320) == 112) << int(Blue(240, 320));
  for (int v : Around(240, 320, 1)) EXPECT_TRUE(v == 111 || v == 112) << v;
}

TEST_F(LoadTest, PageEdgeSeesZeroBeyondIt) {
  FlatBlue(100);
  Runs(1);
  EXPECT_EQ(Blue(0, 0), 94);
  EXPECT_EQ(Blue(0, 639), 94);
  EXPECT_EQ(Blue(479, 0), 94);
  EXPECT_EQ(Blue(479, 639), 94);
  EXPECT_EQ(Blue(0, 1), 97);
  EXPECT_EQ(Blue(1, 0), 97);
  EXPECT_EQ(Blue(479, 638), 97);
  EXPECT_EQ(Blue(478, 639), 97);
  for (int c = 2; c < 638; ++c) {
    ASSERT_EQ(Blue(0, c), 99) << c;
    ASSERT_EQ(Blue(479, c), 99) << c;
  }
  for (int r = 2; r < 478; ++r) {
    ASSERT_EQ(Blue(r, 0), 99) << r;
    ASSERT_EQ(Blue(r, 639), 99) << r;
  }
  for (int r = 2; r < 478; ++r)
    for (int c = 2; c < 638; ++c) ASSERT_EQ(Blue(r, c), 100) << r << "," << c;
}

TEST_F(LoadTest, NeighbourOf255NeverLowersAnything) {
  // 255 + 1 is 256, not 0: a field of 255 stays 255 away from the edges.
  FlatBlue(255);
  Runs(2);
  for (int r = 4; r < 476; ++r)
    for (int c = 4; c < 636; ++c) ASSERT_EQ(Blue(r, c), 255) << r << "," << c;
  // A value of 254 beside 255 is raised, never lowered.
  FlatBlue(254);
  Blue(100, 100) = 255;
  Runs(1);
  for (int v : Around(100, 100, 1)) EXPECT_GE(v, 254);
}

TEST_F(LoadTest, SpeckleFilterTouchesOnlyBlue) {
  std::mt19937 rng(3);
  for (size_t i = 0; i < sizeof(g_pageImage); ++i) g_pageImage[i] = static_cast<uint8_t>(rng());
  const std::vector<uint8_t> before(g_pageImage, g_pageImage + sizeof(g_pageImage));
  Runs(3);
  for (int r = 0; r < kPageImageRows; ++r)
    for (int b = 0; b < kPageStride; ++b) {
      const bool blueOfPage = r < kPageRows && b < kPageColumns * 3 && b % 3 == 0;
      if (!blueOfPage) {
        ASSERT_EQ(g_pageImage[r * kPageStride + b], before[r * kPageStride + b]) << r << "," << b;
      }
    }
}

TEST(SpeckleStepTest, MatchesThePlainFormInEveryDirection) {
  // Sizes that are not multiples of the filter's blocks, random values with
  // many near-equal neighbours and some extremes.
  std::mt19937 rng(5);
  // The last pass uses only levels 0..2, where the zero border decides most.
  const int sizes[][2] = {{37, 23}, {1, 1}, {16, 3}, {17, 2}, {640, 480}, {45, 19}};
  const int dirs[][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}, {-1, 0}, {0, -1}, {-1, -1}, {-1, 1}};
  for (const auto& s : sizes) {
    const int w = s[0], h = s[1];
    const size_t cells = static_cast<size_t>(w + 2) * (h + 2);
    std::vector<uint8_t> img(cells, 0);
    for (int y = 1; y <= h; ++y)
      for (int x = 1; x <= w; ++x) {
        const uint32_t v = rng();
        img[y * (w + 2) + x] = static_cast<uint8_t>(w == 45                ? v % 3
                                                    : v % 7 == 0           ? (v >> 8)
                                                    : v % 5 == 0           ? 255 * (v >> 9 & 1)
                                                                           : 120 + (v >> 8) % 4);
      }
    for (const auto& d : dirs)
      for (int sign : {+1, -1}) {
        std::vector<uint8_t> b = img, tb(cells, 0);
        plain::SpeckleStep(d[0], d[1], sign, w, h, b.data(), tb.data());
        for (int64_t target : EveryVectorTarget()) {
          std::vector<uint8_t> a = img, ta(cells, 0);
          SpeckleStep(d[0], d[1], sign, w, h, a.data(), ta.data());
          ASSERT_EQ(a, b) << w << "x" << h << " d " << d[0] << "," << d[1] << " sign " << sign << " " << TargetLabel(target);
        }
        img = b;  // go on from the result, so later steps see changed grids
      }
  }
  SelectVectorTarget(0);
}

TEST_F(LoadTest, SpeckleRunsMatchThePlainFormOnRandomPages) {
  std::mt19937 rng(9);
  for (size_t i = 0; i < sizeof(g_pageImage); ++i) {
    const uint32_t v = rng();
    g_pageImage[i] = static_cast<uint8_t>(v % 3 == 0 ? v >> 8 : 100 + (v >> 8) % 3);
  }
  std::vector<uint8_t> want(g_pageImage, g_pageImage + sizeof(g_pageImage));
  for (int i = 0; i < 6; ++i) plain::RemoveSpeckle(kPageColumns, kPageRows, want.data());
  Runs(6);
  ASSERT_EQ(0, std::memcmp(want.data(), g_pageImage, sizeof(g_pageImage)));
}
