// Hue-sector colour correction pass. Every chromatic pixel lies between two of
// six hue anchors (red, green, blue, cyan, magenta, yellow): its saturation is
// scaled by a factor interpolated between those anchors and between their
// bright and dark settings, then each channel is shifted in proportion to the
// pixel's chroma by amounts interpolated between the anchors' shift settings.
//
// Every named intermediate (w, top, bottom, s, R1, G1, B1, m1, K, w1, a, R2,
// G2, B2) is held in a single float; the operations between them are done in
// double, which is how the correction was always computed.
//
// One source for every instruction set: the pixels of a row are taken as
// many at a time as the processor's registers hold doubles (one with none),
// each lane going through exactly the operations of one pixel, in order.
// The file is compiled once per set and the best one the processor has is
// chosen when the pass runs (see imaging/vector_targets.h).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "imaging/hue_correction.cpp"
#include <hwy/foreach_target.h>  // must come before highway.h
#include <hwy/highway.h>

#ifndef VYR_HUE_CORRECTION_ONCE
#define VYR_HUE_CORRECTION_ONCE

#include <cmath>
#include <cstdint>

#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "settings/settings.h"

namespace hue_correction {

enum Anchor { kRed, kGreen, kBlue, kCyan, kMagenta, kYellow };
enum Channel { kR, kG, kB };

// One hue sector: the anchor of its largest channel (primary) and the one of
// the neighbouring secondary colour.
struct Sector {
  Anchor primary;
  Anchor secondary;
};

// Sectors 1..6 in the order the pixel tests name them.
constexpr Sector kSectors[6] = {
    {kBlue, kCyan},      // 1: no red, green <= blue
    {kGreen, kCyan},     // 2: no red, green > blue
    {kBlue, kMagenta},   // 3: no green, blue >= red
    {kRed, kMagenta},    // 4: no green, blue < red
    {kGreen, kYellow},   // 5: no blue, green > red
    {kRed, kYellow},     // 6: no blue, green <= red
};

// A grey pixel's stand-in sector: its result is never written.
constexpr int kGrey = 6;

// Per sector (and the stand-in for grey pixels, a copy of sector 1): the
// secondary anchor's settings and the primary's difference from them, as the
// interpolations use them, laid out by quantity so that a lane picks its
// sector's value by index.
struct SectorTables {
  double xTop[8], dTop[8], xBottom[8], dBottom[8];
  double xShift[3][8], dShift[3][8];
};
SectorTables g_sectors;

// The weight w of every pair of distances (largest, middle), by largest x
// 256 + middle, and V / 255 of every input value V: each depends on nothing
// else, so its division is done once instead of once per pixel.
float g_weight[256 * 256];
double g_valueFraction[256];
bool g_quotientsReady = false;

void PrepareQuotients() {
  if (g_quotientsReady) return;
  for (int dMax = 1; dMax < 256; ++dMax)
    for (int dMid = 0; dMid <= dMax; ++dMid)
      g_weight[dMax * 256 + dMid] = static_cast<float>(1.0 - double(dMid) / double(dMax));
  for (int v = 0; v < 256; ++v) g_valueFraction[v] = double(v) / 255.0;
  g_quotientsReady = true;
}

void PrepareSectorTables() {
  for (int k = 0; k < 8; ++k) {
    const Sector& sc = kSectors[k < 6 ? k : 0];
    auto top = [](int a) { return double(g_ColCorSat[a]); };
    auto bottom = [](int a) { return double(g_ColCorSat[6 + a]); };
    auto shift = [](int a, int ch) { return double(g_ColCorShift[a * 3 + ch]); };
    g_sectors.xTop[k] = top(sc.secondary);
    g_sectors.dTop[k] = top(sc.primary) - top(sc.secondary);
    g_sectors.xBottom[k] = bottom(sc.secondary);
    g_sectors.dBottom[k] = bottom(sc.primary) - bottom(sc.secondary);
    for (int ch = 0; ch < 3; ++ch) {
      g_sectors.xShift[ch][k] = shift(sc.secondary, ch);
      g_sectors.dShift[ch][k] = shift(sc.primary, ch) - shift(sc.secondary, ch);
    }
  }
}

// With every factor 1 and every shift 0 each pixel maps onto itself exactly
// (s = 1 makes R1 = 3R / 3 = R, and a zero shift adds nothing), so the page
// need not be walked at all.
bool SettingsLeavePageAsItIs() {
  for (int i = 0; i < 12; ++i)
    if (g_ColCorSat[i] != 1.0f) return false;
  for (int i = 0; i < 18; ++i)
    if (g_ColCorShift[i] != 0) return false;
  return true;
}

}  // namespace hue_correction

#endif  // VYR_HUE_CORRECTION_ONCE

#include "imaging/vector_math-inl.h"

HWY_BEFORE_NAMESPACE();
namespace hue_correction {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;
using namespace vector_math::HWY_NAMESPACE;

// Lanes of doubles; the same number of lanes of 32-bit integers, 64-bit
// indices and page bytes.
using D = hn::ScalableTag<double>;
using DI = hn::Rebind<int32_t, D>;
using DL = hn::Rebind<int64_t, D>;
using D8 = hn::Rebind<uint8_t, D>;
using V = hn::Vec<D>;
using VI = hn::Vec<DI>;

// The lanes' entries of an eight-entry table of per-sector values: picked
// from the table held in registers where they hold four or eight doubles,
// else loaded one by one.
template <size_t kLanes = HWY_LANES(double)>
HWY_INLINE V BySector(const double* table, hn::Vec<DL> sector) {
  const D d;
  if constexpr (kLanes >= 8) {
    return hn::TableLookupLanes(hn::LoadU(d, table), hn::IndicesFromVec(d, sector));
  } else if constexpr (kLanes == 4) {
    const DL dl;
    const auto at = hn::IndicesFromVec(d, hn::And(sector, hn::Set(dl, 3)));
    return hn::IfThenElse(hn::RebindMask(d, hn::Gt(sector, hn::Set(dl, 3))), hn::TableLookupLanes(hn::LoadU(d, table + 4), at),
                          hn::TableLookupLanes(hn::LoadU(d, table), at));
  } else {
    return hn::GatherIndex(d, table, sector);
  }
}

// The red, green or blue lane by a channel number (0, 1, 2) per lane.
HWY_INLINE V ByChannel(V channel, V red, V green, V blue) {
  const D d;
  return hn::IfThenElse(hn::Eq(channel, hn::Set(d, 1.0)), green,
                        hn::IfThenElse(hn::Eq(channel, hn::Set(d, 2.0)), blue, red));
}

// Lanes(D) pixels of a row from p on.
HWY_INLINE void CorrectPixels(uint8_t* HWY_RESTRICT p) {
  const D d;
  const DI di;
  const DL dl;
  const D8 d8;
  const SectorTables& t = g_sectors;

  // Sector (kGrey for a grey pixel), its largest and middle distances from
  // the minimum, and the largest and middle channels, in 32-bit lanes: the
  // sector tests become masks, each the pixels that take one branch of the
  // tests, in the order the tests are made.
  hn::Vec<D8> blue8, green8, red8;
  hn::LoadInterleaved3(d8, p, blue8, green8, red8);
  const VI R = hn::PromoteTo(di, red8), G = hn::PromoteTo(di, green8), B = hn::PromoteTo(di, blue8);
  const VI m = hn::Min(R, hn::Min(G, B));
  const VI dR = hn::Sub(R, m), dG = hn::Sub(G, m), dB = hn::Sub(B, m);
  const VI zero = hn::Zero(di);
  const auto noRed = hn::Eq(dR, zero), noGreen = hn::Eq(dG, zero), noBlue = hn::Eq(dB, zero);
  const auto grey = hn::And(noRed, hn::And(noGreen, noBlue));
  const auto redBranch = hn::AndNot(grey, noRed);       // no red, not grey
  const auto blueBranch = hn::AndNot(noRed, noBlue);    // red, no blue
  const auto greenBranch = hn::Not(hn::Or(noRed, noBlue));  // then no green
  const auto greenAboveBlue = hn::Gt(dG, dB), greenAboveRed = hn::Gt(dG, dR), redAboveBlue = hn::Gt(dR, dB);
  // sector 1 and the grey stand-in are what the other tests leave
  const auto s2 = hn::And(greenAboveBlue, redBranch);
  const auto s3 = hn::AndNot(redAboveBlue, greenBranch), s4 = hn::And(redAboveBlue, greenBranch);
  const auto s5 = hn::And(greenAboveRed, blueBranch), s6 = hn::AndNot(greenAboveRed, blueBranch);
  // largest channel: red in 4 and 6, green in 2 and 5, else blue; middle
  // channel: red in 3 and 5, blue in 2 and 4, else green
  const auto maxR = hn::Or(s4, s6), maxG = hn::Or(s2, s5);
  const auto midR = hn::Or(s3, s5), midB = hn::Or(s2, s4);
  auto number = [&](int n) { return hn::Set(di, n); };
  // a grey pixel's stand-in distance keeps its (unused) weight finite
  const VI dMax = hn::Add(hn::IfThenElse(maxR, dR, hn::IfThenElse(maxG, dG, dB)), hn::IfThenElseZero(grey, number(1)));
  const VI dMid = hn::IfThenElse(midR, dR, hn::IfThenElse(midB, dB, dG));
  const VI value = hn::IfThenElse(maxR, R, hn::IfThenElse(maxG, G, B));
  const VI maxChannel = hn::IfThenElse(maxR, number(kR), hn::IfThenElse(maxG, number(kG), number(kB)));
  const VI midChannel = hn::IfThenElse(midR, number(kR), hn::IfThenElse(midB, number(kB), number(kG)));
  const VI sectorNumber = hn::IfThenElse(
      grey, number(kGrey),
      hn::IfThenElse(s2, number(1),
                     hn::IfThenElse(s3, number(2),
                                    hn::IfThenElse(s4, number(3), hn::IfThenElse(s5, number(4), hn::IfThenElseZero(s6, number(5)))))));
  const hn::Vec<DL> sector = hn::PromoteTo(dl, sectorNumber);

  // Weight of the primary anchor (1 at the pure primary, 0 at the
  // secondary), the interpolated factors and the saturation factor s; V / 255
  // with V the largest channel's input value.
  const V one = hn::Set(d, 1.0);
  const VI pair = hn::Add(hn::ShiftLeft<8>(dMax), dMid);
  const V w = hn::PromoteTo(d, hn::GatherIndex(hn::Rebind<float, D>(), g_weight, pair));
  const V top = HeldInFloat(hn::Add(BySector(t.xTop, sector), hn::Mul(w, BySector(t.dTop, sector))));
  const V bottom = HeldInFloat(hn::Add(BySector(t.xBottom, sector), hn::Mul(w, BySector(t.dBottom, sector))));
  const V fraction = hn::GatherIndex(d, g_valueFraction, hn::PromoteTo(dl, value));
  const V s = HeldInFloat(hn::Add(bottom, hn::Mul(hn::Sub(top, bottom), fraction)));

  // Scale about the mean: ((2R - G - B) s + S) / 3 and likewise.
  const V sum = hn::PromoteTo(d, hn::Add(hn::Add(R, G), B));
  const V three = hn::Set(d, 3.0);
  auto scaled = [&](VI x, VI y, VI z) {  // (2x - y - z) s + S, over 3
    const V numerator = hn::PromoteTo(d, hn::Sub(hn::Sub(hn::Add(x, x), y), z));
    return HeldInFloat(hn::Div(hn::Add(hn::Mul(numerator, s), sum), three));
  };
  const V red1 = scaled(R, G, B), green1 = scaled(G, R, B), blue1 = scaled(B, R, G);

  // Chroma after scaling, measured on the sector's own largest channel, and
  // the shift weight. A chroma of 0 (or one too small to carry a weight, or
  // one that is not finite) shifts nothing: its step a is 0. m1 is
  // min(R1, min(G1, B1)), each min taking its right operand unless the left
  // one is smaller.
  const V m1 = Lesser(Lesser(blue1, green1), red1);
  const V largest = ByChannel(hn::PromoteTo(d, maxChannel), red1, green1, blue1);
  const V middle = ByChannel(hn::PromoteTo(d, midChannel), red1, green1, blue1);
  const V K = HeldInFloat(hn::Sub(largest, m1));
  const V infinity = hn::Set(d, HUGE_VAL);
  const auto chroma = hn::And(hn::Gt(K, hn::Zero(d)), hn::Lt(K, infinity));
  const V k = hn::IfThenElse(chroma, K, one);
  const V w1Any = HeldInFloat(hn::Sub(one, hn::Div(hn::Sub(middle, m1), k)));
  // K / 255 in double rounded to a float is the float quotient K / 255 (a
  // double carries more than twice a float's digits), which is cheaper; k is
  // a finite float.
  const hn::Rebind<float, D> df;
  const V aAny = hn::PromoteTo(d, hn::Div(hn::DemoteTo(df, k), hn::Set(df, 255.0f)));
  const auto shift = hn::And(chroma, hn::Lt(hn::Abs(w1Any), infinity));
  const V w1 = hn::IfThenElseZero(shift, w1Any), a = hn::IfThenElseZero(shift, aAny);

  // The shift and the bytes: clamped onto 0..255 (a value that is not a
  // number becomes 0), then rounded half up. Grey pixels stay; a factor of
  // zero or below (or an infinite one) would flatten or reverse the chroma
  // and leave the shift undefined, so such pixels keep their colour too.
  const auto keep = hn::Or(hn::Eq(hn::PromoteTo(d, sectorNumber), hn::Set(d, double(kGrey))),
                           hn::Or(hn::Not(hn::Gt(s, hn::Zero(d))), hn::Eq(s, infinity)));
  auto shifted = [&](int ch, V v1, VI input) {
    const V amount = hn::Mul(hn::Add(BySector(t.xShift[ch], sector), hn::Mul(w1, BySector(t.dShift[ch], sector))), a);
    const V v = Lesser(Greater(HeldInFloat(hn::Add(v1, amount)), hn::Zero(d)), hn::Set(d, 255.0));
    const V rounded = hn::IfThenElse(keep, hn::PromoteTo(d, input), hn::Add(v, hn::Set(d, 0.5)));
    return hn::DemoteTo(d8, hn::DemoteTo(di, rounded));  // truncation toward zero
  };
  const auto red2 = shifted(kR, red1, R), green2 = shifted(kG, green1, G), blue2 = shifted(kB, blue1, B);
  hn::StoreInterleaved3(blue2, green2, red2, d8, p);
}

static_assert(kPageColumns % HWY_LANES(double) == 0, "a row is a whole number of vectors");

void CorrectPage() {
  const size_t n = hn::Lanes(D());
  for (int r = 0; r < kPageRows; ++r) {
    uint8_t* p = g_pageImage + r * kPageStride;
    for (size_t c = 0; c < size_t(kPageColumns); c += n, p += 3 * n) CorrectPixels(p);
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace hue_correction
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace hue_correction {
HWY_EXPORT(CorrectPage);
}  // namespace hue_correction

void ApplyHueCorrection() {
  using namespace hue_correction;
  if (g_Color == 0) return;
  if (SettingsLeavePageAsItIs()) return;
  PrepareSectorTables();
  PrepareQuotients();
  HWY_DYNAMIC_DISPATCH(CorrectPage)();
}
#endif  // HWY_ONCE
