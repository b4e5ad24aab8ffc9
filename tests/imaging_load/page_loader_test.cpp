// Page loading: placement in the frame, reduction kernels, the portrait turn,
// the test-print mirror, refusals of pages that cannot be trusted, progress.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "imaging/page_buffers.h"
#include "load_fixture.h"
#include "support/plain_imaging.h"

using ::testing::ElementsAre;

namespace {

// The reduced value of picture pixel (v, u) of an h x w picture: the 3 x 3
// kernel over its neighbours, a neighbour outside the picture replaced by
// the centre's own row or column.
vyrtest::Bgr Reduced(int h, int w, const int k[3][3], int v, int u) {
  int sum[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      int y = v - 1 + i, x = u - 1 + j;
      if (y < 0 || y >= h) y = v;
      if (x < 0 || x >= w) x = u;
      const vyrtest::Bgr p = Pattern(y, x);
      sum[0] += k[i][j] * p.b;
      sum[1] += k[i][j] * p.g;
      sum[2] += k[i][j] * p.r;
    }
  }
  return {static_cast<uint8_t>(sum[0] >> 5), static_cast<uint8_t>(sum[1] >> 5),
          static_cast<uint8_t>(sum[2] >> 5)};
}

::testing::AssertionResult WholePageIs(const std::function<vyrtest::Bgr(int, int)>& want) {
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns; ++c)
      if (auto res = PixelIs(r, c, want(r, c)); !res) return res;
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(LoadTest, PagesThatFitArePlacedWholeAndCentred) {
  // 640 x 480 fills the frame pixel for pixel.
  ASSERT_EQ(LoadBmp({640, 480}, Pattern), 1);
  EXPECT_TRUE(WholePageIs(Pattern));

  // 320 x 240: 120 white rows above and below, 160 white columns each side.
  ASSERT_EQ(LoadBmp({320, 240}, Pattern), 1);
  EXPECT_TRUE(WholePageIs([](int r, int c) {
    return r >= 120 && r < 360 && c >= 160 && c < 480 ? Pattern(r - 120, c - 160) : kWhitePixel;
  }));

  // A square picture takes the landscape frame: no turn.
  ASSERT_EQ(LoadBmp({400, 400}, Pattern), 1);
  EXPECT_TRUE(WholePageIs([](int r, int c) {
    return r >= 40 && r < 440 && c >= 120 && c < 520 ? Pattern(r - 40, c - 120) : kWhitePixel;
  }));

  // A negative height marks rows stored top first: read the same way.
  ASSERT_EQ(LoadBmp({640, -480}, Pattern), 1);
  EXPECT_TRUE(WholePageIs(Pattern));
}

TEST_F(LoadTest, PortraitPageIsTurnedClockwise) {
  ASSERT_EQ(LoadBmp({480, 640}, Pattern), 1);
  EXPECT_TRUE(PixelIs(0, 639, Pattern(0, 0)));    // top-left to the top of the right edge
  EXPECT_TRUE(PixelIs(479, 639, Pattern(0, 479)));
  EXPECT_TRUE(PixelIs(0, 0, Pattern(639, 0)));
  EXPECT_TRUE(WholePageIs([](int r, int c) { return Pattern(639 - c, r); }));

  // A small portrait picture is centred in the portrait frame, then turned.
  ASSERT_EQ(LoadBmp({200, 300}, Pattern), 1);
  EXPECT_TRUE(WholePageIs([](int r, int c) {
    const int y = 639 - c, x = r;  // frame position
    return y >= 170 && y < 470 && x >= 140 && x < 340 ? Pattern(y - 170, x - 140) : kWhitePixel;
  }));
}

TEST_F(LoadTest, LargePagesAreReducedThroughTheirKernel) {
  // 1280 x 960: t = 20, every second row and column, the 3 4 3 kernel.
  static const int k20[3][3] = {{3, 4, 3}, {4, 4, 4}, {3, 4, 3}};
  ASSERT_EQ(LoadBmp({1280, 960}, Pattern), 1);
  EXPECT_TRUE(WholePageIs([](int r, int c) { return Reduced(960, 1280, k20, 2 * r, 2 * c); }));

  // 800 x 600: t = 12, 666 x 500 reduced, offsets raised to 0, cut at the
  // bottom and right.
  static const int k12[3][3] = {{1, 2, 1}, {2, 20, 2}, {1, 2, 1}};
  ASSERT_EQ(LoadBmp({800, 600}, Pattern), 1);
  EXPECT_TRUE(
      WholePageIs([](int r, int c) { return Reduced(600, 800, k12, r * 12 / 10, c * 12 / 10); }));

  // 641 x 480: t = 10, the identity kernel, the last column lost.
  ASSERT_EQ(LoadBmp({641, 480}, Pattern), 1);
  EXPECT_TRUE(WholePageIs(Pattern));

  // 1500 x 500: t = 23 from the width; 652 x 217 reduced, centred in rows
  // and cut at the right. The top and bottom rows use their own row for the
  // missing neighbour.
  ASSERT_EQ(LoadBmp({1500, 500}, Pattern), 1);
  EXPECT_TRUE(WholePageIs([](int r, int c) {
    return r >= 131 && r < 131 + 217 ? Reduced(500, 1500, k20, (r - 131) * 23 / 10, c * 23 / 10)
                                     : kWhitePixel;
  }));
}

TEST_F(LoadTest, TestPrintIsTheVerticalMirror) {
  g_bTestPrint = 1;
  // Stored bottom row first, as test bitmaps are: the picture's top row ends
  // up in page row 0.
  vyrtest::BmpLayout landscape{640, 480};
  landscape.bottomRowFirst = true;
  ASSERT_EQ(LoadBmp(landscape, Pattern), 1);
  EXPECT_TRUE(WholePageIs(Pattern));

  // A portrait test bitmap is mirrored in its own frame and turned like any
  // portrait page, never filled from beyond the 480 columns it loaded.
  vyrtest::BmpLayout portrait{480, 640};
  portrait.bottomRowFirst = true;
  std::memset(g_loadBuffer, 0x5A, sizeof(g_loadBuffer));
  ASSERT_EQ(LoadBmp(portrait, Pattern), 1);
  EXPECT_TRUE(WholePageIs([](int r, int c) { return Pattern(639 - c, r); }));
}

TEST_F(LoadTest, PageIsReadFromTheFilesCurrentPosition) {
  std::vector<uint8_t> bytes(100, 0xEE);
  const auto bmp = vyrtest::BmpBytes({640, 480}, Pattern);
  bytes.insert(bytes.end(), bmp.begin(), bmp.end());
  ASSERT_TRUE(vyrtest::WriteFileBytes(PagePath(), bytes));
  ASSERT_EQ(LoadFrom(PagePath(), 100), 1);
  EXPECT_TRUE(WholePageIs(Pattern));
}

TEST_F(LoadTest, PagesThatCannotBeTrustedAreRefused) {
  auto refused = [&](const std::vector<uint8_t>& bytes) {
    ui_.Clear();
    // Whatever a refused load leaves, it must say so: -1 and message 2019.
    if (!vyrtest::WriteFileBytes(PagePath(), bytes)) return ::testing::AssertionFailure() << "write";
    const int result = LoadFrom(PagePath());
    if (result != -1) return ::testing::AssertionFailure() << "result " << result;
    if (Messages() != std::vector<unsigned>{2019})
      return ::testing::AssertionFailure() << "messages " << ::testing::PrintToString(Messages());
    return ::testing::AssertionSuccess();
  };
  vyrtest::BmpLayout eight{64, 48, 8};
  EXPECT_TRUE(refused(vyrtest::BmpBytes(eight, Pattern)));
  vyrtest::BmpLayout thirtyTwo{64, 48, 32};
  EXPECT_TRUE(refused(vyrtest::BmpBytes(thirtyTwo, Pattern)));
  EXPECT_TRUE(refused(vyrtest::BmpBytes({0, 48}, Pattern)));
  EXPECT_TRUE(refused(vyrtest::BmpBytes({64, 0}, Pattern)));
  EXPECT_TRUE(refused(vyrtest::BmpBytes({-64, 48}, Pattern)));
  vyrtest::BmpLayout compressed{64, 48};
  compressed.compression = 1;
  EXPECT_TRUE(refused(vyrtest::BmpBytes(compressed, Pattern)));

  // One byte short of the rows promised; and a header only.
  auto cut = vyrtest::BmpBytes({640, 480}, Pattern);
  cut.pop_back();
  EXPECT_TRUE(refused(cut));
  cut.resize(54);
  EXPECT_TRUE(refused(cut));
  cut.resize(30);
  EXPECT_TRUE(refused(cut));

  // Sizes whose row size or file offsets overflow 32 bits, or would, with the
  // header of a small file.
  auto huge = vyrtest::BmpBytes({64, 48}, Pattern);
  auto setSize = [&](int32_t w, int32_t h) {
    for (int i = 0; i < 4; ++i) {
      huge[18 + i] = static_cast<uint8_t>(static_cast<uint32_t>(w) >> (8 * i));
      huge[22 + i] = static_cast<uint8_t>(static_cast<uint32_t>(h) >> (8 * i));
    }
  };
  setSize(0x7FFFFFFF, 0x7FFFFFFF);
  EXPECT_TRUE(refused(huge));
  setSize(0x55555556, 1);  // 3 x w wraps to 2 in 32 bits
  EXPECT_TRUE(refused(huge));
  setSize(64, INT32_MIN);
  EXPECT_TRUE(refused(huge));
  setSize(64, 0x7FFFFFFF);
  EXPECT_TRUE(refused(huge));

  // Headers that ask for more working memory than three rows of 64 MiB
  // together, in (sparse) files that do hold every row they promise: refused
  // as memory not available, before any is taken. Just under the limit
  // (7,000,000 pixels, rows of 21,000,000 bytes) the page loads (with no
  // colour-match table here: 2015).
  struct {
    int32_t width;
    int result;
    std::vector<unsigned> messages;
  } const wide[] = {{1700000000, -1, {2016}}, {12000000, -1, {2016}}, {7000000, 1, {2015}}};
  for (const auto& c : wide) {
    ui_.Clear();
    setSize(c.width, 1);
    huge.resize(54);
    ASSERT_TRUE(vyrtest::WriteFileBytes(PagePath(), huge));
    const int64_t rowSize = (3 * int64_t{c.width} + 3) / 4 * 4;
    ASSERT_EQ(truncate(PagePath().c_str(), 54 + rowSize), 0);
    EXPECT_EQ(LoadFrom(PagePath()), c.result) << c.width;
    EXPECT_EQ(Messages(), c.messages) << c.width;
  }

  // No page file at all.
  ui_.Clear();
  CWnd progress(1001);
  EXPECT_EQ(LoadPageImage(nullptr, &progress), -1);
  EXPECT_THAT(Messages(), ElementsAre(2018u));
  EXPECT_THAT(ProgressPositions(), ElementsAre(0));
}

TEST_F(LoadTest, ProgressRunsFromZeroToSixty) {
  // The colour-match table is missing here (2015): the load still succeeds.
  ASSERT_EQ(LoadBmp({640, 480}, Pattern), 1);
  EXPECT_THAT(Messages(), ElementsAre(2015u));
  std::vector<int> want = {0, 5};
  // Rows 0-4, 48-52, 96-100, ... set 5 + row / 96.
  for (int r = 0; r < 480; ++r)
    if (r % 48 < 5) want.push_back(5 + r / 96);
  want.push_back(50);
  want.push_back(60);
  EXPECT_EQ(ProgressPositions(), want);
  EXPECT_EQ(want.size(), 54u);

  // A test print runs the row loop twice; a camera picture adds the six
  // speckle runs.
  ui_.Clear();
  g_bTestPrint = 1;
  g_DigitalCamera = 1;
  ASSERT_EQ(LoadBmp({640, 480}, Pattern), 1);
  std::vector<int> twice = {0, 5};
  for (int loop = 0; loop < 2; ++loop)
    for (int r = 0; r < 480; ++r)
      if (r % 48 < 5) twice.push_back(5 + r / 96);
  for (int pos : {18, 26, 34, 42, 50, 58, 50, 60}) twice.push_back(pos);
  EXPECT_EQ(ProgressPositions(), twice);

  // Loading without a progress bar (tools) works the same.
  FILE* f = std::fopen(PagePath().c_str(), "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(LoadPageImage(f, nullptr), 1);
  std::fclose(f);
}

TEST_F(LoadTest, CameraPicturesAreCleanedBeforeTheColourMatch) {
  std::mt19937 rng(7);
  std::vector<vyrtest::Bgr> picture(640 * 480);
  for (auto& p : picture) {
    const uint32_t x = rng();
    p = {static_cast<uint8_t>(100 + (x & 3) * ((x >> 2) % 50 == 0 ? 40 : 1)), static_cast<uint8_t>(x >> 8),
         static_cast<uint8_t>(x >> 16)};
  }
  g_DigitalCamera = 1;
  ASSERT_EQ(LoadBmp({640, 480}, [&](int r, int c) { return picture[r * 640 + c]; }), 1);

  std::vector<uint8_t> want(kPageRows * kPageStride, 0);
  for (int r = 0; r < 480; ++r)
    for (int c = 0; c < 640; ++c) {
      uint8_t* p = want.data() + r * kPageStride + c * 3;
      p[0] = picture[r * 640 + c].b;
      p[1] = picture[r * 640 + c].g;
      p[2] = picture[r * 640 + c].r;
    }
  for (int run = 0; run < 6; ++run) plain::RemoveSpeckle(640, 480, want.data());
  for (int r = 0; r < 480; ++r)
    ASSERT_EQ(0, std::memcmp(want.data() + r * kPageStride, g_pageImage + r * kPageStride, 640 * 3))
        << "row " << r;
}
