// Conversion to head levels, edge enhancement and the level limit.
#include <cmath>
#include <cstring>

#include "imaging_passes/pass_fixture.h"
#include "support/plain_passes.h"

namespace passtest {
namespace {

using HeadLevels = PassTest;
using EdgeEnhancement = PassTest;
using LevelLimit = PassTest;

// g_DensityCoef: Prg Prb Pgr Pgb Pbr Pbg, then Q.., then R.. in the same order.
enum Pair { kRG, kRB, kGR, kGB, kBR, kBG };
float& P(Pair p) { return g_DensityCoef[p]; }
float& Q(Pair p) { return g_DensityCoef[6 + p]; }
float& R(Pair p) { return g_DensityCoef[12 + p]; }

void ExpectLevelsAreToneValues() {
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns; ++c) {
      const Rgb px = GetPx(r, c);
      ASSERT_EQ(Cyan(r, c), g_mediaToneTables[0][px.r]) << r << "," << c;
      ASSERT_EQ(Magenta(r, c), g_mediaToneTables[1][px.g]) << r << "," << c;
      ASSERT_EQ(Yellow(r, c), g_mediaToneTables[2][px.b]) << r << "," << c;
    }
}

TEST_F(HeadLevels, DefaultKeysGiveTheToneValues) {
  ASSERT_EQ(g_mediaToneTables[0][255], 997);  // the worked example's tables
  RandomPage(20);
  ConvertToHeadLevels();
  ExpectLevelsAreToneValues();
}

TEST_F(HeadLevels, SimpleConversionScalesByFour) {
  for (int setup : {0, 2, -7}) {
    g_Setup = int16_t(setup);
    FillPage({255, 255, 255});
    SetPx(0, 0, {0, 0, 0});
    SetPx(0, 1, {1, 128, 254});
    ConvertToHeadLevels();
    EXPECT_EQ(Cyan(10, 10), 1020);
    EXPECT_EQ(Magenta(479, 639), 1020);
    EXPECT_EQ(Yellow(0, 2), 1020);
    EXPECT_EQ(Cyan(0, 0), 0);
    EXPECT_EQ(Magenta(0, 0), 0);
    EXPECT_EQ(Yellow(0, 0), 0);
    EXPECT_EQ(Cyan(0, 1), 4);
    EXPECT_EQ(Magenta(0, 1), 512);
    EXPECT_EQ(Yellow(0, 1), 1016);
  }
}

TEST_F(HeadLevels, ColumnsFrom640AreNotWritten) {
  for (size_t i = 0; i < sizeof g_headPlanes / 2; ++i) g_headPlanes[i] = 777;
  FillPage({10, 20, 30});
  ConvertToHeadLevels();
  EXPECT_EQ(Cyan(0, 640), 777);
  EXPECT_EQ(Yellow(479, 659), 777);
  EXPECT_EQ(Magenta(480, 0), 777);
  EXPECT_NE(Cyan(479, 639), 777);
}

// One pixel worked by hand with the formulas: cyan corrected by magenta
// only, Qrg = 0.1 (coefficient at input 224) and Prg = 0.05 (at 32), default
// gammas, sensitivity and tone tables, Rrg = 0.
TEST_F(HeadLevels, CorrectionOfOnePairByHand) {
  P(kRG) = 0.05f;
  Q(kRG) = 0.1f;
  SetPx(0, 0, {224, 224, 0});
  SetPx(0, 1, {128, 180, 0});
  SetPx(0, 2, {128, 20, 0});
  ConvertToHeadLevels();

  const float gT = float(std::log10(320.0) / std::log10(100.0));
  const float gB = float(std::log10(720.0) / std::log10(300.0));
  const double ratioBB = double(gB) / double(gB), ratioBT = double(gB) / double(gT);
  const float k1 = float((ratioBB * double(0.1f) - ratioBT * 1.0 * double(0.05f)) / 192);
  const float k0 = float((ratioBB * double(0.1f) * 32 - ratioBT * 1.0 * double(0.05f) * 224) / 192);
  const int16_t* TC = g_mediaToneTables[0];
  const int16_t* TM = g_mediaToneTables[1];
  const double L32 = std::log10(double(TM[32])), L224 = std::log10(double(TM[224]));
  auto weight = [&](int m) {  // h = 0 with Rrg = 0
    return m >= 32 ? 1 - (L224 - std::log10(double(TM[m]))) / (L224 - L32) : 0.0;
  };
  auto level = [&](int n, int m) {
    const double c = n * double(k1) - double(k0);
    return int(TC[n] * (1 - c * weight(m) * 1.0) + 0.5);
  };
  // At n = m = 224 the weight is 1 and c(224) is 0.1 x gamma ratio 1.
  EXPECT_EQ(Cyan(0, 0), int(TC[224] * (1 - (224 * double(k1) - double(k0))) + 0.5));
  EXPECT_NEAR(224 * double(k1) - double(k0), 0.1, 1e-6);
  EXPECT_EQ(Cyan(0, 0), level(224, 224));
  EXPECT_EQ(Cyan(0, 1), level(128, 180));
  EXPECT_EQ(Cyan(0, 2), level(128, 20));
  EXPECT_EQ(Cyan(0, 2), TC[128]);  // below input 32 the weight is h = 0
  EXPECT_LT(Cyan(0, 1), TC[128]);
  // The other planes have no correction.
  EXPECT_EQ(Magenta(0, 1), TM[180]);
  EXPECT_EQ(Yellow(0, 1), g_mediaToneTables[2][0]);
}

TEST_F(HeadLevels, CorrectionExceedingTheLevelGivesZero) {
  Q(kRG) = 3.0f;  // three times the level at input 224
  Q(kBG) = 1.5f;
  SetPx(0, 0, {224, 224, 224});
  SetPx(0, 1, {224, 0, 224});
  ConvertToHeadLevels();
  EXPECT_EQ(Cyan(0, 0), 0);
  EXPECT_EQ(Yellow(0, 0), 0);
  EXPECT_EQ(Magenta(0, 0), g_mediaToneTables[1][224]);
  EXPECT_EQ(Cyan(0, 1), g_mediaToneTables[0][224]);  // no magenta, no correction
}

// Settings and tables whose logarithms do not exist, or a Base of 1, drop the
// correction of the pairs they touch; the other pairs still correct, and no
// level leaves 0..1023.
TEST_F(HeadLevels, UndefinedLogarithmsDropTheirPairs) {
  auto setAllCoefficients = [] {
    for (int p = kRG; p <= kBG; ++p) {
      P(Pair(p)) = 0.04f;
      Q(Pair(p)) = 0.08f;
      R(Pair(p)) = 0.5f;
    }
  };
  auto expectLevelsInRange = [] {
    for (int r = 0; r < kPageRows; ++r)
      for (int c = 0; c < kPageColumns; ++c)
        for (int k = 0; k < 3; ++k) {
          const int v = g_headPlanes[r * kPlaneStride + c * 3 + k];
          ASSERT_TRUE(v >= 0 && v <= 1023) << r << "," << c << " " << v;
        }
  };

  // Cyan's Base32 of 1: every pair with cyan in it drops, the
  // magenta-yellow pairs stay.
  setAllCoefficients();
  g_RBase32 = 1;
  RandomPage(21);
  SetPx(0, 0, {200, 200, 200});
  ConvertToHeadLevels();
  expectLevelsInRange();
  EXPECT_EQ(Cyan(0, 0), g_mediaToneTables[0][200]);
  EXPECT_LT(Magenta(0, 0), g_mediaToneTables[1][200]);
  EXPECT_LT(Yellow(0, 0), g_mediaToneTables[2][200]);
  const int16_t magentaWithoutCyan = Magenta(0, 0);
  // The same as with no cyan coefficients at all.
  DefaultEngineState();
  setAllCoefficients();
  P(kGR) = Q(kGR) = R(kGR) = 0.0f;
  SetPx(0, 0, {200, 200, 200});
  ConvertToHeadLevels();
  EXPECT_EQ(Magenta(0, 0), magentaWithoutCyan);

  // Every dye's Base224 of 1, a Base of 0, a negative one: nothing corrects.
  for (int base : {1, 0, -300}) {
    DefaultEngineState();
    setAllCoefficients();
    g_RBase224 = g_GBase224 = g_BBase224 = int16_t(base);
    RandomPage(22);
    ConvertToHeadLevels();
    ExpectLevelsAreToneValues();
  }

  // A media level of 0: yellow has no gammas, so both of yellow's pairs and
  // the cyan and magenta pairs that yellow interferes with drop; cyan and
  // magenta still correct each other, as if the yellow coefficients were 0.
  DefaultEngineState();
  setAllCoefficients();
  for (int row = 0; row < kMediaRows; ++row) g_mediaTable.level[4][row] = 0;  // yellow at 32
  RandomPage(24);
  SetPx(0, 0, {200, 200, 200});
  ConvertToHeadLevels();
  expectLevelsInRange();
  EXPECT_EQ(Yellow(0, 0), g_mediaToneTables[2][200]);
  EXPECT_LT(Cyan(0, 0), g_mediaToneTables[0][200]);
  const auto withoutYellowGammas = PlanesCopy();
  DefaultEngineState();
  setAllCoefficients();
  for (Pair p : {kRB, kGB, kBR, kBG}) P(p) = Q(p) = R(p) = 0.0f;
  RandomPage(24);
  SetPx(0, 0, {200, 200, 200});
  ConvertToHeadLevels();
  EXPECT_EQ(withoutYellowGammas, PlanesCopy());

  // Tone-table values of 0 or below: the anchors drop the whole pair, a
  // single entry only the pixels whose interferer reads it.
  DefaultEngineState();
  setAllCoefficients();
  g_mediaToneTables[1][40] = 0;
  g_mediaToneTables[1][41] = -5;
  g_mediaToneTables[1][5] = -1;  // log10(v + 1) of 0
  SetPx(0, 0, {200, 40, 0});
  SetPx(0, 1, {200, 41, 0});
  SetPx(0, 2, {200, 5, 0});
  SetPx(0, 3, {200, 42, 0});
  ConvertToHeadLevels();
  expectLevelsInRange();
  // Cyan at red 200 with no yellow: only its magenta pair can correct.
  EXPECT_EQ(Cyan(0, 0), g_mediaToneTables[0][200]);
  EXPECT_EQ(Cyan(0, 1), g_mediaToneTables[0][200]);
  EXPECT_EQ(Cyan(0, 2), g_mediaToneTables[0][200]);
  EXPECT_LT(Cyan(0, 3), g_mediaToneTables[0][200]);

  DefaultEngineState();
  setAllCoefficients();
  g_mediaToneTables[1][224] = 0;
  SetPx(0, 0, {200, 200, 0});
  SetPx(0, 1, {200, 10, 0});
  ConvertToHeadLevels();
  expectLevelsInRange();
  EXPECT_EQ(Cyan(0, 0), g_mediaToneTables[0][200]);
  EXPECT_EQ(Cyan(0, 1), g_mediaToneTables[0][200]);

  // Equal anchor tone values: no slope in the logarithm to follow above 32.
  DefaultEngineState();
  setAllCoefficients();
  g_mediaToneTables[1][224] = g_mediaToneTables[1][32];
  RandomPage(23);
  ConvertToHeadLevels();
  expectLevelsInRange();
}

// A negative correction raises a level past 1023; only the level limit, after
// edge enhancement, caps it. Red = green = 224: weight 1, c(224) = Qrg (equal
// gammas), so cyan = 720 x (1 + 1.0417) = 1470.02 -> 1470. A neighbour of a
// bright luminance dot gets d = -407: 1063, under the top entry 1136 of a
// table with ratios 1.3, 1.6 and limit 2000; the dot itself gets +1632, capped.
TEST_F(HeadLevels, NoUpperLimitBeforeTheLevelLimit) {
  g_R240Ratio = 1.3f;
  g_R256Ratio = 1.6f;
  g_RLimit = 2000;
  BuildMediaToneTables();
  ASSERT_EQ(g_mediaToneTables[0][255], 1136);
  Q(kRG) = -1.0417f;
  FillPage({224, 224, 0});
  ConvertToHeadLevels();
  EXPECT_EQ(Cyan(100, 200), 1470);
  std::memset(g_lumaPlane, 0, sizeof g_lumaPlane);
  g_lumaPlane[100 * kPageColumns + 200] = 1020;
  EnhanceEdges();
  LimitHeadPlanes();
  EXPECT_EQ(Cyan(99, 200), 1063);
  EXPECT_EQ(Cyan(100, 201), 1063);
  EXPECT_EQ(Cyan(100, 200), 1136);
  EXPECT_EQ(Cyan(300, 300), 1136);
}

// A limit of -1 makes every tone entry -1: the corrected conversion writes 0,
// while the level limit reads the top entry as 65535 and caps nothing.
TEST_F(HeadLevels, NegativeLimitCapsNothing) {
  g_RLimit = -1;
  BuildMediaToneTables();
  FillPage({128, 128, 128});
  for (int setup : {0, 1}) {
    g_Setup = int16_t(setup);
    ConvertToHeadLevels();
    std::memset(g_lumaPlane, 0, sizeof g_lumaPlane);
    EnhanceEdges();
    LimitHeadPlanes();
    EXPECT_EQ(Cyan(200, 300), setup == 0 ? 512 : 0);
    EXPECT_EQ(Magenta(200, 300), setup == 0 ? 512 : 200);
  }
}

TEST_F(EdgeEnhancement, SinglePixelOnDarkBackground) {
  std::memset(g_lumaPlane, 0, sizeof g_lumaPlane);
  g_lumaPlane[100 * kPageColumns + 200] = 1020;
  for (int r = 99; r <= 101; ++r)
    for (int c = 199; c <= 201; ++c) {
      Cyan(r, c) = 500;
      Magenta(r, c) = 300;
      Yellow(r, c) = 407;
    }
  Cyan(99, 200) = 1000;
  Magenta(99, 200) = 100;
  g_EdgeEnhanceR = 0.40f;
  EnhanceEdges();
  EXPECT_EQ(Cyan(100, 200), 500 + 1632);
  EXPECT_EQ(Magenta(100, 200), 300 + 1632);
  EXPECT_EQ(Yellow(100, 200), 407 + 1632);
  EXPECT_EQ(Cyan(99, 200), 1000 - 407);
  EXPECT_EQ(Magenta(99, 200), 0);  // 100 - 407 held at 0
  EXPECT_EQ(Yellow(99, 200), 0);
  EXPECT_EQ(Cyan(101, 200), 93);
  EXPECT_EQ(Magenta(100, 199), 0);
  EXPECT_EQ(Yellow(100, 201), 0);
  EXPECT_EQ(Cyan(99, 199), 500);  // diagonal neighbours are not in the Laplacian
}

TEST_F(EdgeEnhancement, OffUniformAndBorder) {
  RandomPlanes(30);
  for (int i = 0; i < kPageRows * kPageColumns; ++i) g_lumaPlane[i] = int16_t((i * 37) % 1021);
  const auto before = PlanesCopy();
  g_Edge = 0;
  EnhanceEdges();
  EXPECT_EQ(before, PlanesCopy());

  // Uniform luminance: L = 0 everywhere.
  g_Edge = 2;
  for (int i = 0; i < kPageRows * kPageColumns; ++i) g_lumaPlane[i] = 612;
  EnhanceEdges();
  EXPECT_EQ(before, PlanesCopy());

  // Border pixels keep their levels whatever the luminance.
  for (int i = 0; i < kPageRows * kPageColumns; ++i) g_lumaPlane[i] = int16_t((i % 2) * 1020);
  EnhanceEdges();
  for (int c = 0; c < kPageColumns; ++c) {
    ASSERT_EQ(Cyan(0, c), before[c * 3 + 2]);
    ASSERT_EQ(Cyan(479, c), before[479 * kPlaneStride + c * 3 + 2]);
  }
  for (int r = 0; r < kPageRows; ++r) {
    ASSERT_EQ(Yellow(r, 0), before[r * kPlaneStride]);
    ASSERT_EQ(Yellow(r, 639), before[r * kPlaneStride + 639 * 3]);
  }
  EXPECT_NE(before, PlanesCopy());
}

// A strong factor saturates at the top of a 16-bit level instead of wrapping.
TEST_F(EdgeEnhancement, StrongFactorSaturatesInsteadOfWrapping) {
  std::memset(g_lumaPlane, 0, sizeof g_lumaPlane);
  g_lumaPlane[50 * kPageColumns + 50] = 1020;
  Cyan(50, 50) = 1020;
  Cyan(50, 51) = 1020;
  g_EdgeEnhanceR = 10.0f;  // +40800 at the centre, -10200 at the neighbours
  EnhanceEdges();
  EXPECT_EQ(Cyan(50, 50), 32767);
  EXPECT_EQ(Cyan(50, 51), 0);

  g_EdgeEnhanceR = 3.0e38f;
  Cyan(50, 50) = 5;
  EnhanceEdges();
  EXPECT_EQ(Cyan(50, 50), 32767);
}

// Luminance off its 0..1020 scale (no pass makes it, but the plane is plain
// memory): Laplacians beyond the table's range, mixed with ones inside it,
// give the plain form's corrections on every instruction set.
TEST_F(EdgeEnhancement, LaplaciansBeyondTheTableOnEverySet) {
  std::mt19937 gen(31);
  std::uniform_int_distribution<int> luma(0, 1020), wild(-32768, 32767), kind(0, 39);
  for (int16_t& y : g_lumaPlane) y = int16_t(kind(gen) == 0 ? wild(gen) : luma(gen));
  RandomPlanes(32);
  g_EdgeEnhanceR = 0.7f;
  const std::vector<int16_t> before = PlanesCopy();
  std::vector<int16_t> plain = before;
  plainpass::Edges(g_lumaPlane, plain.data());
  for (int64_t target : EveryVectorTarget()) {
    SelectVectorTarget(target);
    std::memcpy(g_headPlanes, before.data(), before.size() * sizeof before[0]);
    EnhanceEdges();
    ASSERT_EQ(plain, PlanesCopy()) << TargetLabel(target);
  }
  SelectVectorTarget(0);
}

TEST_F(LevelLimit, CapsEachPlaneAtItsToneTop) {
  g_mediaToneTables[0][255] = 900;
  g_mediaToneTables[1][255] = 950;
  g_mediaToneTables[2][255] = 1000;
  RandomPlanes(31, 2000);
  const auto before = PlanesCopy();
  LimitHeadPlanes();
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns; ++c) {
      const size_t e = r * kPlaneStride + c * 3;
      ASSERT_EQ(Cyan(r, c), std::min<int>(before[e + 2], 900));
      ASSERT_EQ(Magenta(r, c), std::min<int>(before[e + 1], 950));
      ASSERT_EQ(Yellow(r, c), std::min<int>(before[e], 1000));
    }
  EXPECT_EQ(Cyan(0, 640), before[640 * 3 + 2]);  // outside the page: untouched

  // The top entry is read as unsigned: a negative one limits nothing.
  g_mediaToneTables[0][255] = -3;
  RandomPlanes(32, 2000);
  const auto again = PlanesCopy();
  LimitHeadPlanes();
  for (int c = 0; c < kPageColumns; ++c) ASSERT_EQ(Cyan(7, c), again[7 * kPlaneStride + c * 3 + 2]);
}

}  // namespace
}  // namespace passtest
