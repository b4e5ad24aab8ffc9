// Hue-sector colour correction.
#include <cmath>
#include <random>

#include "imaging_passes/pass_fixture.h"

namespace passtest {
namespace {

using HueCorrection = PassTest;

// Settings indices: factors Srt Sgt Sbt Sct Smt Syt (top), then the six
// bottoms; shifts Rr Rg Rb Gr ... Yb.
enum Anchor { kRed, kGreen, kBlue, kCyan, kMagenta, kYellow };
float& Top(Anchor a) { return g_ColCorSat[a]; }
float& Bottom(Anchor a) { return g_ColCorSat[6 + a]; }
int16_t& Shift(Anchor a, int ch) { return g_ColCorShift[a * 3 + ch]; }

TEST_F(HueCorrection, DefaultsAndColorOffLeaveThePageUnchanged) {
  RandomPage(10);
  auto before = PageCopy();
  ApplyHueCorrection();
  EXPECT_EQ(before, PageCopy());

  g_Color = 0;
  Top(kRed) = Bottom(kRed) = 1.7f;
  Shift(kCyan, 0) = 90;
  ApplyHueCorrection();
  EXPECT_EQ(before, PageCopy());
}

TEST_F(HueCorrection, WorkedExamples) {
  Top(kRed) = Bottom(kRed) = 1.2f;
  SetPx(0, 0, {200, 100, 100});
  SetPx(0, 1, {0, 200, 200});  // cyan: red's settings do not reach it
  ApplyHueCorrection();
  EXPECT_EQ(GetPx(0, 0), (Rgb{213, 93, 93}));
  EXPECT_EQ(GetPx(0, 1), (Rgb{0, 200, 200}));

  DefaultEngineState();
  Shift(kCyan, 0) = 51;
  SetPx(0, 0, {0, 200, 200});
  SetPx(0, 1, {200, 100, 100});  // red: cyan's shift does not reach it
  ApplyHueCorrection();
  EXPECT_EQ(GetPx(0, 0), (Rgb{40, 200, 200}));
  EXPECT_EQ(GetPx(0, 1), (Rgb{200, 100, 100}));
}

TEST_F(HueCorrection, GreyPixelsStayWhateverTheSettings) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<float> factor(0.2f, 3.0f);
  std::uniform_int_distribution<int> shift(-255, 255);
  for (float& f : g_ColCorSat) f = factor(gen);
  for (int16_t& s : g_ColCorShift) s = int16_t(shift(gen));
  for (int v = 0; v < 256; ++v) SetPx(2, v, {v, v, v});
  ApplyHueCorrection();
  for (int v = 0; v < 256; ++v) ASSERT_EQ(GetPx(2, v), (Rgb{v, v, v}));
}

// A pixel on a sector border lies under both neighbouring formulas, and its
// weight is 0 or 1 there: its result depends on its own anchor's settings
// only, never on the anchor across the border.
TEST_F(HueCorrection, SectorBordersDependOnlyOnTheirOwnAnchor) {
  struct Border {
    Anchor own;
    Anchor neighbours[2];
    Rgb colour;
  };
  const Border borders[] = {
      {kRed, {kMagenta, kYellow}, {200, 0, 0}},    {kGreen, {kCyan, kYellow}, {0, 180, 0}},
      {kBlue, {kCyan, kMagenta}, {0, 0, 170}},     {kCyan, {kGreen, kBlue}, {0, 160, 160}},
      {kMagenta, {kRed, kBlue}, {190, 0, 190}},    {kYellow, {kRed, kGreen}, {210, 210, 0}},
      {kRed, {kMagenta, kYellow}, {220, 40, 40}},  {kCyan, {kGreen, kBlue}, {30, 240, 240}},
  };
  std::mt19937 gen(12);
  std::uniform_real_distribution<float> factor(0.3f, 2.5f);
  std::uniform_int_distribution<int> shift(-120, 120);
  for (const Border& b : borders) {
    DefaultEngineState();
    Top(b.own) = factor(gen);
    Bottom(b.own) = factor(gen);
    for (int ch = 0; ch < 3; ++ch) Shift(b.own, ch) = int16_t(shift(gen));
    SetPx(0, 0, b.colour);
    ApplyHueCorrection();
    const Rgb reference = GetPx(0, 0);

    for (int trial = 0; trial < 5; ++trial) {
      for (Anchor n : b.neighbours) {
        Top(n) = factor(gen);
        Bottom(n) = factor(gen);
        for (int ch = 0; ch < 3; ++ch) Shift(n, ch) = int16_t(shift(gen));
      }
      SetPx(0, 0, b.colour);
      ApplyHueCorrection();
      ASSERT_EQ(GetPx(0, 0), reference) << "anchor " << b.own << " trial " << trial;
    }
  }

  // And the formula at a pure primary by hand: red (200, 0, 0) with factor
  // 1.5 and shifts (0, 30, -30): R1 = (400 x 1.5 + 200) / 3, G1 = B1 =
  // (-200 x 1.5 + 200) / 3, K = 300, a = 300/255, so green gains 35.29 and
  // blue loses as much, both then held at 0.
  DefaultEngineState();
  Top(kRed) = Bottom(kRed) = 1.5f;
  Shift(kRed, 1) = 30;
  Shift(kRed, 2) = -30;
  SetPx(0, 0, {200, 0, 0});
  ApplyHueCorrection();
  EXPECT_EQ(GetPx(0, 0), (Rgb{255, 2, 0}));  // 266.7 -> 255, -33.3 + 35.3 = 1.96 -> 2
}

// A factor of 0 or below flattens or reverses the chroma; such pixels keep
// their colour while the others are still corrected.
TEST_F(HueCorrection, NonPositiveFactorLeavesPixelsUnshifted) {
  Top(kRed) = Bottom(kRed) = 0.0f;
  Top(kGreen) = Bottom(kGreen) = -1.5f;
  Top(kBlue) = Bottom(kBlue) = 1.2f;
  Shift(kRed, 1) = 100;
  Shift(kGreen, 0) = 100;
  SetPx(0, 0, {200, 100, 100});
  SetPx(0, 1, {100, 200, 100});
  SetPx(0, 2, {100, 100, 200});
  ApplyHueCorrection();
  EXPECT_EQ(GetPx(0, 0), (Rgb{200, 100, 100}));
  EXPECT_EQ(GetPx(0, 1), (Rgb{100, 200, 100}));
  EXPECT_EQ(GetPx(0, 2), (Rgb{93, 93, 213}));

  // Bright factor 1, dark factor -1: s = -1 + 2 V / 255 is 0 or below up to
  // V = 127, so dark reds stay and bright ones move.
  DefaultEngineState();
  Top(kRed) = 1.0f;
  Bottom(kRed) = -1.0f;
  Shift(kRed, 1) = 255;
  SetPx(0, 0, {127, 0, 0});
  SetPx(0, 1, {250, 0, 0});
  ApplyHueCorrection();
  EXPECT_EQ(GetPx(0, 0), (Rgb{127, 0, 0}));
  const Rgb bright = GetPx(0, 1);
  EXPECT_NE(bright, (Rgb{250, 0, 0}));
  EXPECT_GT(bright.g, 0);

  // A factor so small that the scaled chroma K rounds to 0: the pixel takes
  // its mean and is not shifted (its shift weight would be 0 / 0).
  DefaultEngineState();
  Top(kRed) = Bottom(kRed) = Top(kYellow) = Bottom(kYellow) = 1.0e-30f;  // both anchors of the sector
  Shift(kRed, 1) = 100;
  SetPx(0, 0, {200, 100, 100});
  ApplyHueCorrection();
  EXPECT_EQ(GetPx(0, 0), (Rgb{133, 133, 133}));
}

TEST_F(HueCorrection, ColumnsFrom640NeverChange) {
  Top(kRed) = Bottom(kRed) = 2.0f;
  FillPage({200, 100, 100});
  ApplyHueCorrection();
  EXPECT_EQ(GetPx(479, 639), (Rgb{255, 67, 67}));
  EXPECT_EQ(GetPx(0, 640), (Rgb{200, 100, 100}));
  EXPECT_EQ(GetPx(100, 649), (Rgb{200, 100, 100}));
  EXPECT_EQ(GetPx(480, 10), (Rgb{200, 100, 100}));
}

}  // namespace
}  // namespace passtest
