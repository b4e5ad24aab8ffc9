// The hue-sector correction against its plainly written form on pages made of
// the pixels where its arithmetic is most delicate (sector borders, ties
// between channels, near-greys, a channel one step from the minimum), mixed
// at random so that neighbouring pixels rarely share a sector, and under
// settings at their limits: factors of zero, below zero, tiny, huge, infinite
// or not a number, and shifts far past the byte scale.
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "imaging_passes/pass_fixture.h"
#include "support/plain_passes.h"

namespace passtest {
namespace {

using HueAgainstPlainForm = PassTest;

Rgb DelicatePixel(std::mt19937& gen) {
  std::uniform_int_distribution<int> byte(0, 255), kind(0, 6), channel(0, 2);
  int v[3];
  const int lo = byte(gen), hi = std::max(lo, byte(gen));
  switch (kind(gen)) {
    case 0:  // on a border: one channel at the minimum, two equal above it
      v[0] = lo;
      v[1] = v[2] = hi;
      break;
    case 1:  // pure primary: one channel above two equal ones
      v[0] = hi;
      v[1] = v[2] = lo;
      break;
    case 2:  // near grey
      v[0] = v[1] = v[2] = lo;
      v[channel(gen)] = std::min(255, lo + 1);
      break;
    case 3:  // a middle channel one step off the largest or the smallest
      v[0] = lo;
      v[1] = hi;
      v[2] = std::clamp(kind(gen) < 3 ? hi - 1 : lo + 1, lo, hi);
      break;
    case 4:  // grey
      v[0] = v[1] = v[2] = lo;
      break;
    case 5:  // the corners of the cube
      for (int& x : v) x = (byte(gen) & 1) ? 255 : 0;
      break;
    default:
      for (int& x : v) x = byte(gen);
  }
  std::shuffle(v, v + 3, gen);
  return {v[0], v[1], v[2]};
}

float EdgeFactor(std::mt19937& gen) {
  constexpr float kFactors[] = {0.0f,    -0.0f,   -1.0f,   -1e-30f, 1e-30f,  1e-7f,   0.999999f, 1.0f,
                                1.0001f, 2.5f,    100.0f,  1e20f,   3e38f,   -3e38f,  1e-45f,
                                std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                                std::numeric_limits<float>::quiet_NaN()};
  std::uniform_int_distribution<int> pick(0, int(std::size(kFactors)) - 1);
  std::uniform_real_distribution<float> unit(0.0f, 3.0f);
  return pick(gen) % 3 == 0 ? unit(gen) : kFactors[pick(gen)];
}

TEST_F(HueAgainstPlainForm, DelicatePixelsAndSettingsAgreeBitForBit) {
  std::mt19937 gen(53);
  for (int trial = 0; trial < 10; ++trial) {
    DefaultEngineState();
    g_Color = 1;
    std::uniform_int_distribution<int> shift(-32768, 32767), small(-255, 255), mode(0, 2);
    for (int a = 0; a < 12; ++a) g_ColCorSat[a] = trial < 2 ? 0.3f + float(a) * 0.2f : EdgeFactor(gen);
    // trial 0: only shifts, so every pixel takes the shift path
    if (trial == 0)
      for (float& f : g_ColCorSat) f = 1.0f;
    // trial 1: an infinite factor next to finite ones makes s infinite for
    // the pixels near that anchor; a factor that is not a number, zero, below
    // zero, tiny and huge factors each on their own anchor
    if (trial == 1) {
      constexpr float inf = std::numeric_limits<float>::infinity();
      g_ColCorSat[0] = inf;                                       // red, bright
      g_ColCorSat[6 + 2] = inf;                                   // blue, dark
      g_ColCorSat[4] = std::numeric_limits<float>::quiet_NaN();  // magenta, bright
      g_ColCorSat[1] = 0.0f;                                      // green, bright
      g_ColCorSat[6 + 1] = -0.5f;                                 // green, dark
      g_ColCorSat[3] = 1e-30f;                                    // cyan, bright
      g_ColCorSat[5] = 3e38f;                                     // yellow, bright
    }
    for (int16_t& s : g_ColCorShift) s = int16_t(mode(gen) == 0 ? shift(gen) : small(gen));
    for (int r = 0; r < kPageImageRows; ++r)
      for (int c = 0; c < kPageImageSlots; ++c) SetPx(r, c, DelicatePixel(gen));
    const std::vector<uint8_t> source = PageCopy();
    std::vector<uint8_t> page = source;
    plainpass::Hue(page.data());
    for (int64_t target : EveryVectorTarget()) {
      SCOPED_TRACE(testing::Message() << "trial " << trial << " " << TargetLabel(target));
      SelectVectorTarget(target);
      PutPage(source);
      ApplyHueCorrection();
      const std::vector<uint8_t> engine = PageCopy();
      for (int r = 0; r < kPageRows; ++r)
        for (int c = 0; c < kPageColumns; ++c) {
          const size_t at = size_t(r) * kPageStride + size_t(c) * 3;
          ASSERT_TRUE(std::equal(page.begin() + at, page.begin() + at + 3, engine.begin() + at))
              << "row " << r << " column " << c;
        }
      ASSERT_EQ(page, engine);
    }
  }
}

// Every colour of a coarse cube of the colour space (and its neighbours one
// step away, where the distances are 0 or 1), under one set of factors
// and shifts per trial.
TEST_F(HueAgainstPlainForm, ColourCubeAgreesBitForBit) {
  std::mt19937 gen(54);
  std::vector<Rgb> colours;
  for (int r : {0, 1, 2, 63, 127, 128, 129, 200, 253, 254, 255})
    for (int g : {0, 1, 2, 63, 127, 128, 129, 200, 253, 254, 255})
      for (int b : {0, 1, 2, 63, 127, 128, 129, 200, 253, 254, 255}) colours.push_back({r, g, b});
  std::uniform_real_distribution<float> unit(0.05f, 2.0f);
  std::uniform_int_distribution<int> shift(-400, 400);
  for (int trial = 0; trial < 4; ++trial) {
    DefaultEngineState();
    for (float& f : g_ColCorSat) f = unit(gen);
    for (int16_t& s : g_ColCorShift) s = int16_t(shift(gen));
    std::shuffle(colours.begin(), colours.end(), gen);
    size_t i = 0;
    for (int r = 0; r < kPageImageRows; ++r)
      for (int c = 0; c < kPageImageSlots; ++c) SetPx(r, c, colours[i++ % colours.size()]);
    const std::vector<uint8_t> source = PageCopy();
    std::vector<uint8_t> page = source;
    plainpass::Hue(page.data());
    for (int64_t target : EveryVectorTarget()) {
      SelectVectorTarget(target);
      PutPage(source);
      ApplyHueCorrection();
      ASSERT_EQ(page, PageCopy()) << "trial " << trial << " " << TargetLabel(target);
    }
  }
}

}  // namespace
}  // namespace passtest
