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
// the same bits as evaluating the logarithm for every pixel.
#include <cmath>
#include <cstdint>

#include "imaging/media_tables.h"
#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "settings/settings.h"

namespace {

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
  double f[256];
  double overlap;
  bool overlapIsOne;
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
  t->overlapIsOne = (def.overlap == nullptr || *def.overlap == 1.0f);
  t->overlap = def.overlap ? double(*def.overlap) : 1.0;
  t->anyCorrection = false;

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
  const float k1 = static_cast<float>(((gBY / gBX) * Q - (gBY / gTX) * senY * P) / 192.0);
  const float k0 =
      static_cast<float>(((gBY / gBX) * Q * 32.0 - (gBY / gTX) * senY * P * 224.0) / 192.0);
  for (int n = 0; n < 256; ++n) {
    t->c[n] = FiniteOrZero(double(n) * double(k1) - double(k0));
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

// One plane of the corrected conversion. Pair terms are summed as
// (c x f) x ov, the order the correction has always been evaluated in.
template <bool kOverlapIsOne>
void ConvertDye(int dye) {
  const PairTables& a = g_pairs[dye][0];
  const PairTables& b = g_pairs[dye][1];
  const int16_t* tone = g_mediaToneTables[dye];
  const int slot = kDyeSlot[dye];
  const int slotA = kDyeSlot[kPairs[dye][0].interferer];
  const int slotB = kDyeSlot[kPairs[dye][1].interferer];
  const double ova = a.overlap, ovb = b.overlap;
  for (int r = 0; r < kPageRows; ++r) {
    const uint8_t* p = g_pageImage + r * kPageStride;
    int16_t* e = g_headPlanes + r * kPlaneStride;
    for (int c = 0; c < kPageColumns; ++c, p += 3, e += 3) {
      const int n = p[slot];
      double ta = a.c[n] * a.f[p[slotA]];
      double tb = b.c[n] * b.f[p[slotB]];
      if (!kOverlapIsOne) {
        ta = ta * ova;
        tb = tb * ovb;
      }
      e[slot] = RoundLevel(double(tone[n]) * (1.0 - (ta + tb)));
    }
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

void ConvertCorrected() {
  DyeGammas gamma[3];
  ComputeGammas(gamma);
  for (int x = 0; x < 3; ++x)
    for (int k = 0; k < 2; ++k) BuildPairTables(kPairs[x][k], gamma, &g_pairs[x][k]);

  for (int x = 0; x < 3; ++x) {
    const PairTables& a = g_pairs[x][0];
    const PairTables& b = g_pairs[x][1];
    if (!a.anyCorrection && !b.anyCorrection)
      ConvertDyeByTone(x);
    else if (a.overlapIsOne && b.overlapIsOne)
      ConvertDye<true>(x);
    else
      ConvertDye<false>(x);
  }
}

}  // namespace

void ConvertToHeadLevels() {
  if (g_Setup == 1)
    ConvertCorrected();
  else
    ConvertSimple();
}
