// Conversion of the page to head levels. Each dye's level comes from the
// media's tone table for it (cyan from red, magenta from green, yellow from
// blue) and, in the corrected conversion, is lowered by the unwanted
// absorption of the two other dyes printed on the same spot. That crosstalk is
// estimated in the density (logarithmic) domain from the interfering dye's own
// tone value and weighs in by a coefficient that runs linearly from its value
// at input level 32 to its value at input level 224.
//
// Everything that does not depend on the pixel is worked out once per run: the
// gammas, the coefficient lines and, per interfering input level, the weight
// with its logarithm. The pixel loop then only looks up and multiplies, with
// the same bits as evaluating the logarithm for every pixel. It takes as many
// pixels at a time as the processor's registers hold doubles: one source for
// every instruction set (see imaging/vector_targets.h).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "imaging/head_levels.cpp"
#include <hwy/foreach_target.h>  // must come before highway.h
#include <hwy/highway.h>

#ifndef VYR_HEAD_LEVELS_ONCE
#define VYR_HEAD_LEVELS_ONCE

#include <cmath>
#include <cstdint>

#include "imaging/media_tables.h"
#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "settings/settings.h"

namespace head_levels {

// Dyes in the order of the tone tables and the media table.
enum Dye { kCyan = 0, kMagenta = 1, kYellow = 2 };

// Position of a dye's level in a head-plane element (yellow, magenta, cyan)
// and of the byte that drives it in a page pixel (blue, green, red): both
// happen to be the same.
constexpr int kDyeSlot[3] = {2, 1, 0};

// Index of a pair's P coefficient in g_DensityCoef (Q is 6 further, R 12).
enum PairCoef { kRG = 0, kRB = 1, kGR = 2, kGB = 3, kBR = 4, kBG = 5 };

struct PairDef {
  Dye corrected;
  Dye interferer;
  PairCoef coef;
  const float* overlap;  // OV setting of the pair, or nullptr for 1
};

// Each dye's two pairs, the first one carrying the dye's overlap setting.
const PairDef kPairs[3][2] = {
    {{kCyan, kMagenta, kRG, &g_OVrg}, {kCyan, kYellow, kRB, nullptr}},
    {{kMagenta, kYellow, kGB, &g_OVgb}, {kMagenta, kCyan, kGR, nullptr}},
    {{kYellow, kMagenta, kBG, &g_OVbg}, {kYellow, kCyan, kBR, nullptr}},
};

// Per-run tables of one pair: the coefficient line c(n) over the corrected
// dye's input level and the interferer's weight f(m) over its input level.
// An entry that cannot be computed (the logarithm of 0 or below, a Base of 1)
// is 0, so that pair adds no correction where it could not be worked out.
struct PairTables {
  double c[256];
  // c(n) = FiniteOrZero(n k1 - k0), both 0 where c is all 0. The two are
  // single floats and stored as such: GCC 12 has been seen to drop the
  // rounding of float locals that are only ever widened again when it pairs
  // them into one vector.
  float k1, k0;
  double f[256];
  double overlap;
  bool anyCorrection;  // some c(n) differs from 0
};

PairTables g_pairs[3][2];

inline double FiniteOrZero(double x) { return std::isfinite(x) ? x : 0.0; }

// Gammas of one dye: exponents that carry the media's levels at input 32 and
// 224 onto the Base settings, held as single floats. They exist only when
// every logarithm has a positive argument and neither Base is 1 (whose
// logarithm 0 would be divided by).
struct DyeGammas {
  float top;     // at input level 32
  float bottom;  // at input level 224
  bool usable;
};

void ComputeGammas(DyeGammas gamma[3]) {
  const char tdt[3] = {g_TDTC, g_TDTM, g_TDTY};
  const char tdb[3] = {g_TDBC, g_TDBM, g_TDBY};
  const int base32[3] = {g_RBase32, g_GBase32, g_BBase32};
  const int base224[3] = {g_RBase224, g_GBase224, g_BBase224};
  for (int x = 0; x < 3; ++x) {
    const int levelAt32 = g_mediaTable.level[2 * x][MediaRankRow(tdt[x], 'D')];
    const int levelAt224 = g_mediaTable.level[2 * x + 1][MediaRankRow(tdb[x], 'D')];
    gamma[x].top = static_cast<float>(std::log10(double(levelAt32)) / std::log10(double(base32[x])));
    gamma[x].bottom =
        static_cast<float>(std::log10(double(levelAt224)) / std::log10(double(base224[x])));
    gamma[x].usable = levelAt32 > 0 && levelAt224 > 0 && base32[x] > 0 && base32[x] != 1 &&
                      base224[x] > 0 && base224[x] != 1;
  }
}

void BuildPairTables(const PairDef& def, const DyeGammas gamma[3], PairTables* t) {
  const Dye x = def.corrected, y = def.interferer;
  const int16_t* toneY = g_mediaToneTables[y];
  t->overlap = def.overlap ? double(*def.overlap) : 1.0;
  t->anyCorrection = false;
  t->k1 = t->k0 = 0.0f;

  // Without the gammas of both dyes, or without the logarithms of the
  // interferer's anchor tone values, the pair has no correction to give.
  if (!gamma[x].usable || !gamma[y].usable || toneY[32] <= 0 || toneY[224] <= 0) {
    for (int i = 0; i < 256; ++i) t->c[i] = t->f[i] = 0.0;
    return;
  }

  const double P = double(g_DensityCoef[def.coef]);
  const double Q = double(g_DensityCoef[6 + def.coef]);
  const double R = double(g_DensityCoef[12 + def.coef]);
  const double senY = double(g_mediaSensitivity[y]);
  const double gTX = double(gamma[x].top), gBX = double(gamma[x].bottom);
  const double gTY = double(gamma[y].top), gBY = double(gamma[y].bottom);

  // c(n) = n k1 - k0 passes through its value at 32 (from P) and at 224 (from Q).
  t->k1 = static_cast<float>(((gBY / gBX) * Q - (gBY / gTX) * senY * P) / 192.0);
  t->k0 = static_cast<float>(((gBY / gBX) * Q * 32.0 - (gBY / gTX) * senY * P * 224.0) / 192.0);
  for (int n = 0; n < 256; ++n) {
    t->c[n] = FiniteOrZero(double(n) * double(t->k1) - double(t->k0));
    if (t->c[n] != 0.0) t->anyCorrection = true;
  }

  // The interferer's weight is h at its level-32 tone value and 1 at its
  // level-224 one, linear in the logarithm of its tone value; below input 32
  // it falls from h towards 0 with log10(v + 1). A tone value without a
  // logarithm drops the pair at that input level.
  const double h = senY * R / (gTY - gBY + 1.0);
  const double L32 = std::log10(double(toneY[32]));
  const double L224 = std::log10(double(toneY[224]));
  for (int m = 0; m < 256; ++m) {
    const double v = double(toneY[m]);
    double f;
    if (m >= 32)
      f = v > 0.0 ? 1.0 - (1.0 - h) * (L224 - std::log10(v)) / (L224 - L32) : 0.0;
    else
      f = v + 1.0 > 0.0 ? h * std::log10(v + 1.0) / L32 : 0.0;
    t->f[m] = FiniteOrZero(f);
  }
}

// Rounds a level onto the integer scale: a negative result is 0. There is no
// upper limit here (a correction that raises a level may take it past 1023;
// the level limit pass caps it after edge enhancement), only the bound of the
// 16-bit plane, so that the conversion to an integer stays defined.
constexpr double kPlaneMax = 32767.0;
// Written as selects, which compilers turn into the processor's min and max
// rather than branches (which pixels a correction drives out of range follows
// the picture): x > 0 ? x : 0 gives 0 for a value that is not a number.
inline int16_t RoundLevel(double level) {
  double x = level + 0.5;
  x = x > 0.0 ? x : 0.0;
  x = x < kPlaneMax ? x : kPlaneMax;
  return static_cast<int16_t>(static_cast<int>(x));
}

void ConvertSimple() {
  for (int r = 0; r < kPageRows; ++r) {
    const uint8_t* p = g_pageImage + r * kPageStride;
    int16_t* e = g_headPlanes + r * kPlaneStride;
    for (int c = 0; c < kPageColumns * 3; ++c) e[c] = static_cast<int16_t>(p[c] * 4);
  }
}

// A dye without correction takes its tone value (never below 0).
void ConvertDyeByTone(int dye) {
  int16_t level[256];
  for (int n = 0; n < 256; ++n) level[n] = RoundLevel(double(g_mediaToneTables[dye][n]));
  const int slot = kDyeSlot[dye];
  for (int r = 0; r < kPageRows; ++r) {
    const uint8_t* p = g_pageImage + r * kPageStride + slot;
    int16_t* e = g_headPlanes + r * kPlaneStride + slot;
    for (int c = 0; c < kPageColumns; ++c) e[c * 3] = level[p[c * 3]];
  }
}

// What the pixel loop needs of one dye: its tone values and, per pair, the
// coefficient line, the interferer's weights and the overlap. A dye without
// correction takes overlaps of 1 whatever its setting (which its tone value
// never depended on), so that its terms (each 0 x f, a zero) add nothing and
// its level is its tone value.
struct DyeLanes {
  double tone[256];
  double k1[2], k0[2];
  const double* f[2];
  double overlap[2];
};
DyeLanes g_dyes[3];

}  // namespace head_levels

#endif  // VYR_HEAD_LEVELS_ONCE

#include "imaging/vector_math-inl.h"

HWY_BEFORE_NAMESPACE();
namespace head_levels {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;
using namespace vector_math::HWY_NAMESPACE;

// The levels of one dye for Lanes(D) pixels, from the dye's own input bytes
// and those of its pairs' interferers. Pair terms are summed as (c x f) x ov,
// the order the correction has always been evaluated in.
// `input` is the dye's input byte n as a double.
HWY_INLINE hn::Vec<D16> DyeLevels(const DyeLanes& t, V input, hn::Vec<DL> n, hn::Vec<DL> mA, hn::Vec<DL> mB) {
  const D d;
  const V infinity = hn::Set(d, HUGE_VAL);
  auto term = [&](int j, hn::Vec<DL> m) {
    const V line = hn::Sub(hn::Mul(input, hn::Set(d, t.k1[j])), hn::Set(d, t.k0[j]));
    const V c = hn::IfThenElseZero(hn::Lt(hn::Abs(line), infinity), line);
    return hn::Mul(hn::Mul(c, hn::GatherIndex(d, t.f[j], m)), hn::Set(d, t.overlap[j]));
  };
  const V sum = hn::Add(term(0, mA), term(1, mB));
  const V level = hn::Mul(hn::GatherIndex(d, t.tone, n), hn::Sub(hn::Set(d, 1.0), sum));
  // RoundLevel: half up, nothing below 0 (a value that is not a number
  // included), nothing above the plane's bound, then truncated
  const V x = Lesser(Greater(hn::Add(level, hn::Set(d, 0.5)), hn::Zero(d)), hn::Set(d, kPlaneMax));
  return hn::DemoteTo(D16(), hn::DemoteTo(DI(), x));
}

static_assert(kPageColumns % HWY_LANES(double) == 0, "a row is a whole number of vectors");

void ConvertPage() {
  const D d;
  const DL dl;
  const DI di;
  const D8 d8;
  const size_t lanes = hn::Lanes(d);
  for (int r = 0; r < kPageRows; ++r) {
    const uint8_t* p = g_pageImage + r * kPageStride;
    int16_t* e = g_headPlanes + r * kPlaneStride;
    for (size_t c = 0; c < size_t(kPageColumns); c += lanes, p += 3 * lanes, e += 3 * lanes) {
      hn::Vec<D8> blue8, green8, red8;
      hn::LoadInterleaved3(d8, p, blue8, green8, red8);
      const auto red32 = hn::PromoteTo(di, red8), green32 = hn::PromoteTo(di, green8), blue32 = hn::PromoteTo(di, blue8);
      const auto red = hn::PromoteTo(dl, red32), green = hn::PromoteTo(dl, green32), blue = hn::PromoteTo(dl, blue32);
      // cyan from red (pairs: magenta, yellow), magenta from green (yellow,
      // cyan), yellow from blue (magenta, cyan)
      const auto cyan = DyeLevels(g_dyes[kCyan], hn::PromoteTo(d, red32), red, green, blue);
      const auto magenta = DyeLevels(g_dyes[kMagenta], hn::PromoteTo(d, green32), green, blue, red);
      const auto yellow = DyeLevels(g_dyes[kYellow], hn::PromoteTo(d, blue32), blue, green, red);
      hn::StoreInterleaved3(yellow, magenta, cyan, D16(), e);
    }
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace head_levels
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace head_levels {
HWY_EXPORT(ConvertPage);

void ConvertCorrected() {
  DyeGammas gamma[3];
  ComputeGammas(gamma);
  for (int x = 0; x < 3; ++x)
    for (int k = 0; k < 2; ++k) BuildPairTables(kPairs[x][k], gamma, &g_pairs[x][k]);

  bool anyCorrection = false;
  for (int x = 0; x < 3; ++x) {
    const bool corrected = g_pairs[x][0].anyCorrection || g_pairs[x][1].anyCorrection;
    anyCorrection = anyCorrection || corrected;
    DyeLanes& t = g_dyes[x];
    for (int n = 0; n < 256; ++n) t.tone[n] = double(g_mediaToneTables[x][n]);
    for (int k = 0; k < 2; ++k) {
      const PairTables& pair = g_pairs[x][k];
      t.k1[k] = double(pair.k1);
      t.k0[k] = double(pair.k0);
      t.f[k] = pair.f;
      t.overlap[k] = corrected ? pair.overlap : 1.0;
    }
  }
  if (anyCorrection) {
    HWY_DYNAMIC_DISPATCH(ConvertPage)();
  } else {
    for (int x = 0; x < 3; ++x) ConvertDyeByTone(x);
  }
}

}  // namespace head_levels

void ConvertToHeadLevels() {
  if (g_Setup == 1)
    head_levels::ConvertCorrected();
  else
    head_levels::ConvertSimple();
}
#endif  // HWY_ONCE
