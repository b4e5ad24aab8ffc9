// The engine's passes against the same passes written out plainly
// (tests/support/plain_passes.h), on random pages and random settings, bit for
// bit: tables, fast paths and the repeated-pixel shortcut must change nothing.
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imaging_passes/pass_fixture.h"
#include "support/plain_passes.h"

namespace passtest {
namespace {

using PlainForms = PassTest;

// A page with runs of repeated pixels, greys and saturated colours besides noise.
void MixedPage(std::mt19937& gen) {
  std::uniform_int_distribution<int> byte(0, 255), kind(0, 9);
  uint8_t last[3] = {0, 0, 0};
  for (int r = 0; r < kPageImageRows; ++r)
    for (int c = 0; c < kPageImageSlots; ++c) {
      uint8_t* p = g_pageImage + r * kPageStride + c * 3;
      const int k = kind(gen);
      if (k < 4) {
        for (int i = 0; i < 3; ++i) p[i] = last[i];
      } else if (k == 4) {
        p[0] = p[1] = p[2] = uint8_t(byte(gen));
      } else if (k == 5) {
        for (int i = 0; i < 3; ++i) p[i] = (byte(gen) & 1) ? 255 : 0;
      } else {
        for (int i = 0; i < 3; ++i) p[i] = uint8_t(byte(gen));
      }
      for (int i = 0; i < 3; ++i) last[i] = p[i];
    }
}

void RandomSettings(std::mt19937& gen, int trial) {
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::uniform_int_distribution<int> byte(0, 255);
  auto chance = [&](float p) { return unit(gen) < p; };

  g_Contrast = int16_t(trial % 4 == 3 ? 5 : trial % 3);
  g_ContrastBottom = int16_t(byte(gen));
  g_ContrastTop = int16_t(chance(0.8f) ? std::min(255, g_ContrastBottom + 1 + byte(gen) % 200) : byte(gen));
  g_ContrastLeft = int16_t(byte(gen));
  g_ContrastRight = int16_t(byte(gen));

  g_Saturation = int16_t(chance(0.7f));
  g_SatValue = chance(0.1f) ? -0.7f : unit(gen) * 4.0f;

  g_Color = int16_t(chance(0.9f));
  for (float& f : g_ColCorSat) f = chance(0.1f) ? unit(gen) - 0.5f : 0.2f + unit(gen) * 2.5f;
  for (int16_t& s : g_ColCorShift) s = int16_t(int(unit(gen) * 510) - 255);

  g_Setup = int16_t(chance(0.85f) ? 1 : 0);
  for (float& c : g_DensityCoef) c = chance(0.2f) ? 0.0f : unit(gen) * 0.6f - 0.15f;
  g_OVrg = chance(0.5f) ? 1.0f : 0.5f + unit(gen);
  g_OVgb = chance(0.5f) ? 1.0f : 0.5f + unit(gen);
  g_OVbg = 0.5f + unit(gen);
  int16_t* bases[6] = {&g_RBase32, &g_GBase32, &g_BBase32, &g_RBase224, &g_GBase224, &g_BBase224};
  for (int16_t* b : bases) *b = int16_t(chance(0.05f) ? 1 : 50 + byte(gen) * 2);

  g_Edge = int16_t(chance(0.9f) ? 2 : 0);
  g_EdgeEnhanceR = unit(gen) * 1.5f;

  for (int row = 0; row < kMediaRows; ++row)
    for (int c = 0; c < 6; ++c) g_mediaTable.level[c][row] = int16_t(c % 2 ? 600 + byte(gen) : 250 + byte(gen) / 2);
  for (int c = 0; c < 3; ++c)
    for (int row = 0; row < kMediaRows; ++row) g_mediaTable.sensitivity[c][row] = 0.6f + unit(gen);
  BuildMediaToneTables();
  if (chance(0.1f)) g_mediaToneTables[trial % 3][40 + trial] = 0;  // a tone value without a logarithm
}

TEST_F(PlainForms, SixPassesAgreeBitForBit) {
  std::mt19937 gen(50);
  for (int trial = 0; trial < 12; ++trial) {
    DefaultEngineState();
    if (trial > 0) RandomSettings(gen, trial);
    MixedPage(gen);
    std::vector<uint8_t> page = PageCopy();
    std::vector<int16_t> luma(kPageRows * kPageColumns);
    std::vector<int16_t> planes = PlanesCopy();
    SCOPED_TRACE(testing::Message() << "trial " << trial);

    ApplyContrastCurve();
    plainpass::Contrast(page.data());
    ASSERT_EQ(page, PageCopy()) << "contrast";
    // The rest on every instruction set, each from the same start.
    const std::vector<uint8_t> beforeSaturation = PageCopy();
    const std::vector<int16_t> planesBefore = PlanesCopy();
    plainpass::Saturation(page.data(), luma.data());
    const std::vector<uint8_t> saturated = page;
    plainpass::Hue(page.data());
    std::vector<int16_t> converted = planes, edged, limited;
    plainpass::Convert(page.data(), converted.data());
    plainpass::Edges(luma.data(), (edged = converted).data());
    plainpass::Limit((limited = edged).data());
    for (int64_t target : EveryVectorTarget()) {
      SCOPED_TRACE(TargetLabel(target));
      SelectVectorTarget(target);
      PutPage(beforeSaturation);
      std::memcpy(g_headPlanes, planesBefore.data(), planesBefore.size() * sizeof planesBefore[0]);
      ApplySaturation();
      ASSERT_EQ(saturated, PageCopy()) << "saturation";
      ASSERT_TRUE(std::equal(luma.begin(), luma.end(), g_lumaPlane)) << "luminance";
      ApplyHueCorrection();
      ASSERT_EQ(page, PageCopy()) << "hue";
      ConvertToHeadLevels();
      ASSERT_EQ(converted, PlanesCopy()) << "head levels";
      EnhanceEdges();
      ASSERT_EQ(edged, PlanesCopy()) << "edges";
      LimitHeadPlanes();
      ASSERT_EQ(limited, PlanesCopy()) << "limit";
    }
    SelectVectorTarget(0);
  }
}

// The passes are compiled for several instruction sets, and the comparisons
// run on each this processor has: at least the emulated one beside the best.
TEST_F(PlainForms, EveryInstructionSetIsCompared) {
  const std::vector<int64_t> targets = EveryVectorTarget();
  ASSERT_FALSE(targets.empty());
  const std::string emulated = VectorTargetName(targets.front());
  EXPECT_TRUE(emulated == "SCALAR" || emulated == "EMU128") << emulated;
#if defined(__x86_64__)
  EXPECT_GE(targets.size(), 2u);
#endif
}

TEST_F(PlainForms, LineDataAgreesOnEveryLine) {
  RandomPlanes(51, 1030);  // a few levels past 1020 as well
  g_headPlanes[5 * kPlaneStride + 100 * 3] = -2;
  std::vector<uint8_t> plain(2 * kLineSlotBytes);
  for (int line = -3; line <= 700; ++line) {
    PrepareLineData(line);
    plainpass::LineData(line < 0 ? 0 : line, g_headPlanes, plain.data());
    if (line < 0) std::fill(plain.begin(), plain.end(), 0xFF);
    ASSERT_TRUE(std::equal(plain.begin(), plain.end(), g_lineBuffer)) << "line " << line;
  }
}

}  // namespace
}  // namespace passtest
