// The temperature tables built from the curves, the head parameters and the
// medium's sensitivities, including curves that give no usable scale.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "printer_test_support.h"

using namespace printer_test;

namespace {

class TemperatureTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPrinterGlobals();
    saved_[0] = g_mediaSensitivity[0];
    saved_[1] = g_mediaSensitivity[1];
    saved_[2] = g_mediaSensitivity[2];
    for (auto& curve : g_temperatureCurves)
      for (float& point : curve) point = 1.0f;
  }
  void TearDown() override {
    for (int c = 0; c < 3; ++c) g_mediaSensitivity[c] = saved_[c];
    ResetPrinterGlobals();
  }
  void SetColour(int colour, uint8_t head, float sensitivity) {
    g_headParameters[colour] = head;
    g_mediaSensitivity[colour] = sensitivity;
  }
  void ExpectFlat(int colour, int entry) {
    for (int i = 0; i < 71; ++i)
      ASSERT_EQ(g_temperatureTables[colour][i], entry) << "colour " << colour << " entry " << i;
  }

 private:
  float saved_[3];
};

TEST_F(TemperatureTablesTest, RisingCurveScalesAroundPointThirtySix) {
  // Cyan rises from 0.5 at point 0 through 1.0 at point 36 to 1.5 at point 70.
  for (int i = 0; i <= 36; ++i) g_temperatureCurves[kCyan][i] = float(0.5 + 0.5 * i / 36.0);
  for (int i = 37; i <= 70; ++i) g_temperatureCurves[kCyan][i] = float(1.0 + 0.5 * (i - 36) / 34.0);
  SetColour(kCyan, 100, 1.0f);
  SetColour(kMagenta, 63, 0.5f);   // 31.5: halves go up
  SetColour(kYellow, 108, 1.25f);  // 135
  BuildTemperatureTables();

  EXPECT_EQ(g_temperatureTables[kCyan][0], 50);
  EXPECT_EQ(g_temperatureTables[kCyan][36], 100);
  EXPECT_EQ(g_temperatureTables[kCyan][70], 150);
  for (int i = 1; i < 71; ++i)
    EXPECT_LE(g_temperatureTables[kCyan][i - 1], g_temperatureTables[kCyan][i]) << i;
  // Point 18 lies at 0.75 exactly: 75.
  EXPECT_EQ(g_temperatureTables[kCyan][18], 75);
  ExpectFlat(kMagenta, 32);
  ExpectFlat(kYellow, 135);
}

TEST_F(TemperatureTablesTest, EntriesAreLimitedToAByteHoweverLarge) {
  SetColour(kCyan, 200, 1.0f);
  g_temperatureCurves[kCyan][0] = 1e30f;   // far beyond any integer
  g_temperatureCurves[kCyan][1] = -1e30f;  // far below
  g_temperatureCurves[kCyan][2] = 1.2749f;  // 254.98 -> 255
  g_temperatureCurves[kCyan][3] = -0.0024f;  // -0.48 + 0.5 -> 0
  g_temperatureCurves[kCyan][4] = 0.0f;
  // A flat curve whose product exceeds a byte.
  SetColour(kMagenta, 255, 2.0f);
  // A negative reference point turns the rest of a positive curve negative.
  g_temperatureCurves[kYellow][36] = -1.0f;
  SetColour(kYellow, 108, 1.0f);
  BuildTemperatureTables();

  EXPECT_EQ(g_temperatureTables[kCyan][0], 255);
  EXPECT_EQ(g_temperatureTables[kCyan][1], 0);
  EXPECT_EQ(g_temperatureTables[kCyan][2], 255);
  EXPECT_EQ(g_temperatureTables[kCyan][3], 0);
  EXPECT_EQ(g_temperatureTables[kCyan][4], 0);
  EXPECT_EQ(g_temperatureTables[kCyan][36], 200);
  ExpectFlat(kMagenta, 255);
  // Point 36 itself still maps to p x s; every other point goes below 0.
  EXPECT_EQ(g_temperatureTables[kYellow][36], 108);
  for (int i = 0; i < 71; ++i) {
    if (i != 36) {
      EXPECT_EQ(g_temperatureTables[kYellow][i], 0) << i;
    }
  }
}

// A curve that cannot give a scale (point 36 zero or not finite, or any
// point not a number) is sent flat: head parameter x sensitivity, to the
// nearest integer, in 0..255. Its neighbours are untouched.
TEST_F(TemperatureTablesTest, CurvesWithoutAUsableScaleBecomeFlat) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    int point;
    float value;
  };
  const Case cases[] = {{36, 0.0f}, {36, -0.0f}, {36, nan}, {36, inf}, {36, -inf}, {0, nan}, {70, nan}};
  for (const Case& bad : cases) {
    SCOPED_TRACE(::testing::Message() << "point " << bad.point << " = " << bad.value);
    for (auto& curve : g_temperatureCurves)
      for (float& point : curve) point = 2.0f;
    g_temperatureCurves[kMagenta][bad.point] = bad.value;
    g_temperatureCurves[kCyan][10] = 3.0f;  // a usable curve beside it
    SetColour(kCyan, 100, 1.0f);
    SetColour(kMagenta, 90, 1.45f);  // 130.5 -> 131
    SetColour(kYellow, 40, 0.8f);
    BuildTemperatureTables();

    ExpectFlat(kMagenta, NearestEntry(90 * double(1.45f)));
    EXPECT_EQ(g_temperatureTables[kMagenta][0], 131);
    EXPECT_EQ(g_temperatureTables[kCyan][10], 150);
    EXPECT_EQ(g_temperatureTables[kCyan][11], 100);
    ExpectFlat(kYellow, 32);
  }
}

// An infinite point elsewhere is only a value beyond the byte: 255 or 0 at
// that point (by the sign of point x scale), the curve's other points as
// computed. Magenta: k = 90 x 1.45 / 2, so 2.0 gives 130.5 -> 131.
// Yellow: k = 40 x -0.8 / 2 is negative, so the signs turn over.
TEST_F(TemperatureTablesTest, InfinitePointGivesTheByteLimitThereOnly) {
  const float inf = std::numeric_limits<float>::infinity();
  for (auto& curve : g_temperatureCurves)
    for (float& point : curve) point = 2.0f;
  for (int c : {kMagenta, kYellow}) {
    g_temperatureCurves[c][70] = inf;
    g_temperatureCurves[c][12] = -inf;
  }
  g_temperatureCurves[kMagenta][20] = 3.0f;  // 195.75 -> 196
  SetColour(kCyan, 100, 1.0f);
  SetColour(kMagenta, 90, 1.45f);
  SetColour(kYellow, 40, -0.8f);
  BuildTemperatureTables();

  EXPECT_EQ(g_temperatureTables[kMagenta][70], 255);
  EXPECT_EQ(g_temperatureTables[kMagenta][12], 0);
  EXPECT_EQ(g_temperatureTables[kMagenta][20], 196);
  EXPECT_EQ(g_temperatureTables[kMagenta][0], 131);
  EXPECT_EQ(g_temperatureTables[kMagenta][36], 131);
  EXPECT_EQ(g_temperatureTables[kYellow][70], 0);
  EXPECT_EQ(g_temperatureTables[kYellow][12], 255);
  EXPECT_EQ(g_temperatureTables[kYellow][0], 0);
  ExpectFlat(kCyan, 100);
}

}  // namespace
