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
//
// A row is done in short sweeps over its pixels, each one step of the
// correction, with the row's values in planes between them (one array per
// quantity): the steps of many pixels then overlap instead of each pixel
// waiting on its own chain of divisions.
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

// The planes of one row between the sweeps.
struct RowPlanes {
  HWY_ALIGN_MAX uint8_t in[3][kPageColumns];   // red, green, blue bytes
  HWY_ALIGN_MAX uint8_t out[3][kPageColumns];  // the corrected ones
  // sector (kGrey for a grey pixel), its largest and middle distances from
  // the minimum, the largest channel's input value, the largest and middle
  // channels, the channel sum and 2R - G - B, 2G - R - B, 2B - R - G
  HWY_ALIGN_MAX int16_t sector[kPageColumns];
  HWY_ALIGN_MAX int16_t dMax[kPageColumns];
  HWY_ALIGN_MAX int16_t dMid[kPageColumns];
  HWY_ALIGN_MAX int16_t value[kPageColumns];
  HWY_ALIGN_MAX int16_t maxChannel[kPageColumns];
  HWY_ALIGN_MAX int16_t midChannel[kPageColumns];
  HWY_ALIGN_MAX int16_t sum[kPageColumns];
  HWY_ALIGN_MAX int16_t numerator[3][kPageColumns];
  // s, R1, G1, B1, w1 and a: floats held in doubles
  HWY_ALIGN_MAX double s[kPageColumns];
  HWY_ALIGN_MAX double v1[3][kPageColumns];
  HWY_ALIGN_MAX double w1[kPageColumns];
  HWY_ALIGN_MAX double a[kPageColumns];
};
RowPlanes g_row;

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

// A plane of 16-bit values from column c on, as 32-bit lanes.
HWY_INLINE hn::Vec<DI> Load32(const int16_t* plane, size_t c) { return hn::PromoteTo(DI(), hn::Load(D16(), plane + c)); }
HWY_INLINE V LoadAsDouble(const int16_t* plane, size_t c) { return hn::PromoteTo(D(), Load32(plane, c)); }

// Sweep 1: the row's bytes into planes, and per pixel its sector, distances
// and channels, as many pixels at a time as the registers hold 16-bit
// values. The sector tests become masks, each the pixels that take one
// branch of the tests, in the order the tests are made.
void FindSectors(const uint8_t* HWY_RESTRICT p) {
  RowPlanes& L = g_row;
  const hn::ScalableTag<uint8_t> d8;
  const size_t n8 = hn::Lanes(d8);
  for (size_t c = 0; c < size_t(kPageColumns); c += n8, p += 3 * n8) {
    hn::Vec<decltype(d8)> blue8, green8, red8;
    hn::LoadInterleaved3(d8, p, blue8, green8, red8);
    hn::Store(red8, d8, L.in[kR] + c);
    hn::Store(green8, d8, L.in[kG] + c);
    hn::Store(blue8, d8, L.in[kB] + c);
  }
  const hn::ScalableTag<int16_t> di;
  const hn::Rebind<uint8_t, decltype(di)> dbytes;
  const size_t n = hn::Lanes(di);
  auto number = [&](int k) { return hn::Set(di, int16_t(k)); };
  for (size_t c = 0; c < size_t(kPageColumns); c += n) {
    const auto R = hn::PromoteTo(di, hn::Load(dbytes, L.in[kR] + c));
    const auto G = hn::PromoteTo(di, hn::Load(dbytes, L.in[kG] + c));
    const auto B = hn::PromoteTo(di, hn::Load(dbytes, L.in[kB] + c));
    const auto m = hn::Min(R, hn::Min(G, B));
    const auto dR = hn::Sub(R, m), dG = hn::Sub(G, m), dB = hn::Sub(B, m);
    const auto zero = hn::Zero(di);
    const auto noRed = hn::Eq(dR, zero), noGreen = hn::Eq(dG, zero), noBlue = hn::Eq(dB, zero);
    const auto grey = hn::And(noRed, hn::And(noGreen, noBlue));
    const auto redBranch = hn::AndNot(grey, noRed);           // no red, not grey
    const auto blueBranch = hn::AndNot(noRed, noBlue);        // red, no blue
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
    // a grey pixel's stand-in distance keeps its (unused) weight finite
    hn::Store(hn::Add(hn::IfThenElse(maxR, dR, hn::IfThenElse(maxG, dG, dB)), hn::IfThenElseZero(grey, number(1))), di,
              L.dMax + c);
    hn::Store(hn::IfThenElse(midR, dR, hn::IfThenElse(midB, dB, dG)), di, L.dMid + c);
    hn::Store(hn::IfThenElse(maxR, R, hn::IfThenElse(maxG, G, B)), di, L.value + c);
    hn::Store(hn::IfThenElse(maxR, number(kR), hn::IfThenElse(maxG, number(kG), number(kB))), di, L.maxChannel + c);
    hn::Store(hn::IfThenElse(midR, number(kR), hn::IfThenElse(midB, number(kB), number(kG))), di, L.midChannel + c);
    const auto sectorNumber = hn::IfThenElse(
        grey, number(kGrey),
        hn::IfThenElse(s2, number(1),
                       hn::IfThenElse(s3, number(2),
                                      hn::IfThenElse(s4, number(3), hn::IfThenElse(s5, number(4), hn::IfThenElseZero(s6, number(5)))))));
    hn::Store(sectorNumber, di, L.sector + c);
    hn::Store(hn::Add(hn::Add(R, G), B), di, L.sum + c);
    hn::Store(hn::Sub(hn::Sub(hn::Add(R, R), G), B), di, L.numerator[kR] + c);
    hn::Store(hn::Sub(hn::Sub(hn::Add(G, G), R), B), di, L.numerator[kG] + c);
    hn::Store(hn::Sub(hn::Sub(hn::Add(B, B), R), G), di, L.numerator[kB] + c);
  }
}

HWY_INLINE hn::Vec<DL> SectorAt(size_t c) { return hn::PromoteTo(DL(), Load32(g_row.sector, c)); }

void CorrectRow(uint8_t* HWY_RESTRICT p) {
  const D d;
  const DI di;
  const size_t n = hn::Lanes(d);
  const SectorTables& t = g_sectors;
  RowPlanes& L = g_row;
  FindSectors(p);

  // Sweep 2: weight of the primary anchor (1 at the pure primary, 0 at the
  // secondary), the interpolated factors and the saturation factor s; V / 255
  // with V the largest channel's input value.
  for (size_t c = 0; c < size_t(kPageColumns); c += n) {
    const auto sector = SectorAt(c);
    const auto pair = hn::Add(hn::ShiftLeft<8>(Load32(L.dMax, c)), Load32(L.dMid, c));
    const V w = hn::PromoteTo(d, hn::GatherIndex(hn::Rebind<float, D>(), g_weight, pair));
    const V top = HeldInFloat(hn::Add(BySector(t.xTop, sector), hn::Mul(w, BySector(t.dTop, sector))));
    const V bottom = HeldInFloat(hn::Add(BySector(t.xBottom, sector), hn::Mul(w, BySector(t.dBottom, sector))));
    const V fraction = hn::GatherIndex(d, g_valueFraction, hn::PromoteTo(DL(), Load32(L.value, c)));
    hn::Store(HeldInFloat(hn::Add(bottom, hn::Mul(hn::Sub(top, bottom), fraction))), d, L.s + c);
  }

  // Sweep 3: scale about the mean, ((2R - G - B) s + S) / 3 and likewise.
  const V three = hn::Set(d, 3.0);
  for (int ch = 0; ch < 3; ++ch)
    for (size_t c = 0; c < size_t(kPageColumns); c += n) {
      const V scaled = hn::Add(hn::Mul(LoadAsDouble(L.numerator[ch], c), hn::Load(d, L.s + c)), LoadAsDouble(L.sum, c));
      hn::Store(HeldInFloat(hn::Div(scaled, three)), d, L.v1[ch] + c);
    }

  // Sweep 4: chroma after scaling, measured on the sector's own largest
  // channel, and the shift weight. A chroma of 0 (or one too small to carry a
  // weight, or one that is not finite) shifts nothing: its step a is 0. m1 is
  // min(R1, min(G1, B1)), each min taking its right operand unless the left
  // one is smaller.
  const V one = hn::Set(d, 1.0);
  const V infinity = hn::Set(d, HUGE_VAL);
  const hn::Rebind<float, D> df;
  for (size_t c = 0; c < size_t(kPageColumns); c += n) {
    const V red1 = hn::Load(d, L.v1[kR] + c), green1 = hn::Load(d, L.v1[kG] + c), blue1 = hn::Load(d, L.v1[kB] + c);
    const V m1 = Lesser(Lesser(blue1, green1), red1);
    const V largest = ByChannel(LoadAsDouble(L.maxChannel, c), red1, green1, blue1);
    const V middle = ByChannel(LoadAsDouble(L.midChannel, c), red1, green1, blue1);
    const V K = HeldInFloat(hn::Sub(largest, m1));
    const auto chroma = hn::And(hn::Gt(K, hn::Zero(d)), hn::Lt(K, infinity));
    const V k = hn::IfThenElse(chroma, K, one);
    const V w1 = HeldInFloat(hn::Sub(one, hn::Div(hn::Sub(middle, m1), k)));
    // K / 255 in double rounded to a float is the float quotient K / 255 (a
    // double carries more than twice a float's digits), which is cheaper; k
    // is a finite float.
    const V a = hn::PromoteTo(d, hn::Div(hn::DemoteTo(df, k), hn::Set(df, 255.0f)));
    const auto shift = hn::And(chroma, hn::Lt(hn::Abs(w1), infinity));
    hn::Store(hn::IfThenElseZero(shift, w1), d, L.w1 + c);
    hn::Store(hn::IfThenElseZero(shift, a), d, L.a + c);
  }

  // Sweep 5: the shift and the bytes: clamped onto 0..255 (a value that is
  // not a number becomes 0), then rounded half up. Grey pixels stay; a
  // factor of zero or below (or an infinite one) would flatten or reverse
  // the chroma and leave the shift undefined, so such pixels keep their
  // colour too.
  const D8 d8;
  for (size_t c = 0; c < size_t(kPageColumns); c += n) {
    const auto sector = SectorAt(c);
    const V s = hn::Load(d, L.s + c), w1 = hn::Load(d, L.w1 + c), a = hn::Load(d, L.a + c);
    const auto keep = hn::Or(hn::RebindMask(d, hn::Eq(sector, hn::Set(DL(), kGrey))),
                             hn::Or(hn::Not(hn::Gt(s, hn::Zero(d))), hn::Eq(s, infinity)));
    for (int ch = 0; ch < 3; ++ch) {
      const V amount = hn::Mul(hn::Add(BySector(t.xShift[ch], sector), hn::Mul(w1, BySector(t.dShift[ch], sector))), a);
      const V v = Lesser(Greater(HeldInFloat(hn::Add(hn::Load(d, L.v1[ch] + c), amount)), hn::Zero(d)), hn::Set(d, 255.0));
      const V input = hn::PromoteTo(d, hn::PromoteTo(di, hn::Load(d8, L.in[ch] + c)));
      const V rounded = hn::IfThenElse(keep, input, hn::Add(v, hn::Set(d, 0.5)));
      hn::Store(hn::DemoteTo(d8, hn::DemoteTo(di, rounded)), d8, L.out[ch] + c);  // truncation toward zero
    }
  }

  const hn::ScalableTag<uint8_t> dbytes;
  const size_t n8 = hn::Lanes(dbytes);
  for (size_t c = 0; c < size_t(kPageColumns); c += n8, p += 3 * n8)
    hn::StoreInterleaved3(hn::Load(dbytes, L.out[kB] + c), hn::Load(dbytes, L.out[kG] + c), hn::Load(dbytes, L.out[kR] + c),
                          dbytes, p);
}

static_assert(kPageColumns % HWY_LANES(uint8_t) == 0, "a row is a whole number of vectors");

void CorrectPage() {
  for (int r = 0; r < kPageRows; ++r) CorrectRow(g_pageImage + r * kPageStride);
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
