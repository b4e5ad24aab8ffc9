// Contrast curve, saturation and the luminance plane.
#include <cstring>
#include <utility>
#include <vector>

#include "imaging_passes/pass_fixture.h"

namespace passtest {
namespace {

using ContrastCurve = PassTest;
using Saturation = PassTest;

TEST_F(ContrastCurve, OffLeavesPageAndTableAlone) {
  RandomPage(1);
  std::memset(g_contrastTable, 0x5A, sizeof g_contrastTable);
  const auto before = PageCopy();
  g_Contrast = 0;
  ApplyContrastCurve();
  EXPECT_EQ(before, PageCopy());
  for (int i = 0; i < 256; ++i) ASSERT_EQ(g_contrastTable[i], 0x5A) << i;
}

TEST_F(ContrastCurve, StretchSampleRows) {
  BuildStretchCurve();
  const std::pair<int, int> rows[] = {{26, 1},   {27, 3},   {28, 4},   {30, 6},   {100, 94},
                                      {128, 129}, {200, 219}, {228, 254}, {229, 255}, {127, 128}};
  for (auto [in, out] : rows) EXPECT_EQ(g_contrastTable[in], out) << in;
  for (int i = 0; i <= 25; ++i) EXPECT_EQ(g_contrastTable[i], 0) << i;
  for (int i = 230; i <= 255; ++i) EXPECT_EQ(g_contrastTable[i], 255) << i;

  // The pass maps each of the three bytes of a pixel.
  FillPage({127, 20, 240});
  g_Contrast = 1;
  ApplyContrastCurve();
  EXPECT_EQ(GetPx(0, 0), (Rgb{128, 0, 255}));
  EXPECT_EQ(GetPx(479, 639), (Rgb{128, 0, 255}));
}

TEST_F(ContrastCurve, CustomCurveWithDefaultBreakpoints) {
  BuildCustomCurve();
  const std::pair<int, int> rows[] = {{0, 0},     {1, 1},     {10, 6},    {25, 15},   {49, 29},
                                      {50, 30},   {51, 31},   {100, 97},  {128, 134}, {199, 229},
                                      {200, 230}, {201, 230}, {254, 255}, {255, 255}};
  for (auto [in, out] : rows) EXPECT_EQ(g_contrastTable[in], out) << in;

  FillPage({50, 128, 200});
  g_Contrast = 2;
  ApplyContrastCurve();
  EXPECT_EQ(GetPx(240, 320), (Rgb{30, 134, 230}));
}

TEST_F(ContrastCurve, BreakpointsOnTheDiagonalGiveTheIdentity) {
  const std::pair<int, int> anchors[] = {{50, 200}, {1, 254}, {0, 255}, {100, 101}, {0, 1}, {254, 255}};
  for (auto [x1, x2] : anchors) {
    g_ContrastBottom = g_ContrastLeft = int16_t(x1);
    g_ContrastTop = g_ContrastRight = int16_t(x2);
    std::memset(g_contrastTable, 0, sizeof g_contrastTable);
    BuildCustomCurve();
    for (int i = 0; i < 256; ++i) ASSERT_EQ(g_contrastTable[i], i) << "x1 " << x1 << " x2 " << x2;
  }
}

TEST_F(ContrastCurve, ColumnsFrom640AndRowsFrom480NeverChange) {
  RandomPage(2);
  const auto before = PageCopy();
  g_Contrast = 1;
  ApplyContrastCurve();
  const auto after = PageCopy();
  int changed = 0;
  for (int r = 0; r < kPageImageRows; ++r)
    for (int c = 0; c < kPageImageSlots; ++c)
      for (int k = 0; k < 3; ++k) {
        const size_t i = r * kPageStride + c * 3 + k;
        if (r >= kPageRows || c >= kPageColumns)
          ASSERT_EQ(before[i], after[i]) << r << "," << c;
        else
          changed += before[i] != after[i];
      }
  EXPECT_GT(changed, 0);
}

// A selector other than 0, 1, 2, or breakpoints that make no curve, must not
// send the page through whatever the table held before.
TEST_F(ContrastCurve, UnusableSettingsLeaveThePageUnchanged) {
  struct Case {
    int contrast, x1, x2, y1, y2;
  };
  const Case cases[] = {
      {3, 50, 200, 30, 230},  {-1, 50, 200, 30, 230}, {2, 100, 100, 30, 230}, {2, 200, 50, 30, 230},
      {2, -5, 200, 30, 230},  {2, 50, 300, 30, 230},  {2, 50, 200, -1, 230},  {2, 50, 200, 30, 256},
  };
  for (const Case& c : cases) {
    BuildStretchCurve();  // a stale table from an earlier run
    uint8_t staleTable[256];
    std::memcpy(staleTable, g_contrastTable, 256);
    RandomPage(3);
    const auto before = PageCopy();
    g_Contrast = int16_t(c.contrast);
    g_ContrastBottom = int16_t(c.x1);
    g_ContrastTop = int16_t(c.x2);
    g_ContrastLeft = int16_t(c.y1);
    g_ContrastRight = int16_t(c.y2);
    ApplyContrastCurve();
    EXPECT_EQ(before, PageCopy()) << "Contrast " << c.contrast << " x1 " << c.x1 << " x2 " << c.x2;
    EXPECT_EQ(0, std::memcmp(staleTable, g_contrastTable, 256));
  }
}

TEST_F(Saturation, ExamplesWithFactorTwo) {
  g_Saturation = 1;
  g_SatValue = 2.0f;
  SetPx(0, 0, {200, 100, 100});
  SetPx(0, 1, {100, 150, 200});
  SetPx(0, 2, {0, 255, 0});
  ApplySaturation();
  EXPECT_EQ(GetPx(0, 0), (Rgb{255, 67, 67}));
  EXPECT_EQ(GetPx(0, 1), (Rgb{50, 150, 250}));
  // mean 85 plus twice 170 away from it
  EXPECT_EQ(GetPx(0, 2), (Rgb{0, 255, 0}));

  // A factor far beyond the byte scale saturates, never wraps.
  g_SatValue = 1.0e30f;
  SetPx(0, 0, {200, 100, 100});
  ApplySaturation();
  EXPECT_EQ(GetPx(0, 0), (Rgb{255, 0, 0}));
}

TEST_F(Saturation, GreyStaysAndFactorOneIsTheIdentity) {
  g_Saturation = 1;
  for (float k : {0.0f, 0.5f, 2.0f, 7.3f, -1.0f, 1.0e30f}) {
    g_SatValue = k;
    for (int v = 0; v < 256; ++v) SetPx(1, v, {v, v, v});
    ApplySaturation();
    for (int v = 0; v < 256; ++v) ASSERT_EQ(GetPx(1, v), (Rgb{v, v, v})) << "k " << k;
  }

  g_SatValue = 1.0f;
  RandomPage(4);
  const auto before = PageCopy();
  ApplySaturation();
  EXPECT_EQ(before, PageCopy());

  // k = 0 turns a pixel into its rounded mean.
  g_SatValue = 0.0f;
  SetPx(5, 5, {10, 20, 31});
  ApplySaturation();
  EXPECT_EQ(GetPx(5, 5), (Rgb{20, 20, 20}));
}

TEST_F(Saturation, OffKeepsThePageAndStillFillsLuminance) {
  RandomPage(5);
  SetPx(0, 0, {255, 255, 255});
  SetPx(0, 1, {0, 0, 0});
  SetPx(0, 2, {1, 0, 0});
  SetPx(0, 3, {0, 3, 0});
  SetPx(0, 4, {100, 150, 200});
  const auto before = PageCopy();
  std::memset(g_lumaPlane, 0xEE, sizeof g_lumaPlane);
  g_Saturation = 0;
  ApplySaturation();
  EXPECT_EQ(before, PageCopy());
  EXPECT_EQ(g_lumaPlane[0], 1020);
  EXPECT_EQ(g_lumaPlane[1], 0);
  EXPECT_EQ(g_lumaPlane[2], 1);
  EXPECT_EQ(g_lumaPlane[3], 4);    // 3 x 1.333 = 3.999
  EXPECT_EQ(g_lumaPlane[4], 600);  // 450 x 1.33299994 = 599.85
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns; ++c) {
      const int v = g_lumaPlane[r * kPageColumns + c];
      ASSERT_TRUE(v >= 0 && v <= 1020) << r << "," << c;
    }
  EXPECT_EQ(g_lumaPlane[kPageRows * kPageColumns - 1],
            int(double(GetPx(479, 639).r + GetPx(479, 639).g + GetPx(479, 639).b) * double(1.333f) + 0.5));
}

// Luminance is taken after the saturation change.
TEST_F(Saturation, LuminanceFollowsTheSaturatedPage) {
  g_Saturation = 1;
  g_SatValue = 2.0f;
  SetPx(0, 0, {200, 100, 100});  // becomes 255, 67, 67: sum 389
  ApplySaturation();
  EXPECT_EQ(g_lumaPlane[0], int(389 * double(1.333f) + 0.5));
}

}  // namespace
}  // namespace passtest
