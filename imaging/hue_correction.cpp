// Hue-sector colour correction pass. Every chromatic pixel lies between two of
// six hue anchors (red, green, blue, cyan, magenta, yellow): its saturation is
// scaled by a factor interpolated between those anchors and between their
// bright and dark settings, then each channel is shifted in proportion to the
// pixel's chroma by amounts interpolated between the anchors' shift settings.
//
// Every named intermediate (w, top, bottom, s, R1, G1, B1, m1, K, w1, a, R2,
// G2, B2) is held in a single float; the operations between them are done in
// double, which is how the correction was always computed.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "imaging/vector_paths.h"
#include "settings/settings.h"

#if VYR_AVX2_PASSES
#include <immintrin.h>
#elif VYR_SSE2_PASSES
#include <emmintrin.h>
#endif

namespace {

enum Anchor { kRed, kGreen, kBlue, kCyan, kMagenta, kYellow };
enum Channel { kR, kG, kB };

// The settings of one hue anchor.
struct AnchorSettings {
  double top;      // saturation factor for bright pixels
  double bottom;   // saturation factor for dark pixels
  double shift[3]; // added to red, green, blue, in 1/255 of the chroma
};

// One hue sector: the anchor of its largest channel (primary) and the one of
// the neighbouring secondary colour, and which channels are largest and middle.
struct Sector {
  Anchor primary;
  Anchor secondary;
  Channel maxChannel;
  Channel midChannel;
};

// Sectors 1..6 in the order the pixel tests name them.
constexpr Sector kSectors[6] = {
    {kBlue, kCyan, kB, kG},      // 1: no red, green <= blue
    {kGreen, kCyan, kG, kB},     // 2: no red, green > blue
    {kBlue, kMagenta, kB, kR},   // 3: no green, blue >= red
    {kRed, kMagenta, kR, kB},    // 4: no green, blue < red
    {kGreen, kYellow, kG, kR},   // 5: no blue, green > red
    {kRed, kYellow, kR, kG},     // 6: no blue, green <= red
};

AnchorSettings g_anchor[6];

void ReadAnchorSettings() {
  for (int a = 0; a < 6; ++a) {
    g_anchor[a].top = double(g_ColCorSat[a]);
    g_anchor[a].bottom = double(g_ColCorSat[6 + a]);
    for (int ch = 0; ch < 3; ++ch) g_anchor[a].shift[ch] = double(g_ColCorShift[a * 3 + ch]);
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

#if !VYR_SSE2_PASSES
// Final rounding onto the byte scale; values outside 0..255 (also a value
// that is not a number) are clamped before they are converted.
inline uint8_t ToByte(float v) {
  v = v > 0.0f ? v : 0.0f;  // also a value that is not a number
  v = v < 255.0f ? v : 255.0f;
  return static_cast<uint8_t>(static_cast<int>(double(v) + 0.5));
}
#endif

#if !VYR_SSE2_PASSES
// The work is done a row at a time in short sweeps over the row's pixels,
// each sweep one step of the correction, so that the steps of many pixels
// overlap instead of each pixel waiting on its own chain of divisions. Every
// pixel still goes through exactly the operations listed above, in order.
struct RowWork {
  // sweep 1: sector (kGrey for a grey pixel), its largest and middle
  // distances from the minimum, the largest channel's input value
  uint8_t sector[kPageColumns];
  int32_t dMax[kPageColumns];
  int32_t dMid[kPageColumns];
  int32_t value[kPageColumns];
  int32_t sum[kPageColumns];
  // sweep 2
  float w[kPageColumns];
  float s[kPageColumns];
  // sweep 3: scaled channels, red, green, blue per pixel
  double numerator[kPageColumns * 3];
  float v1[kPageColumns * 3];
  // sweep 4: shift weight and step (both 0 where nothing shifts)
  float w1[kPageColumns];
  float a[kPageColumns];
};
RowWork g_row;
#endif

constexpr uint8_t kGrey = 6;

// Per sector (and a harmless stand-in for grey pixels): the secondary
// anchor's factors and the primary's difference from them, as the
// interpolations use them.
struct SectorConstants {
  double xTop, dTop, xBottom, dBottom;
  double xShift[3], dShift[3];
  int maxChannel, midChannel;
};
SectorConstants g_sectorConst[7];

// 1/255 of each input value, so that V / 255 costs no division per pixel.
double g_valueFraction[256];

void PrepareRun() {
  ReadAnchorSettings();
  for (int v = 0; v < 256; ++v) g_valueFraction[v] = double(v) / 255.0;
  for (int k = 0; k < 7; ++k) {
    const Sector& sc = kSectors[k == kGrey ? 0 : k];
    const AnchorSettings& P = g_anchor[sc.primary];
    const AnchorSettings& X = g_anchor[sc.secondary];
    SectorConstants& c = g_sectorConst[k];
    c.xTop = X.top;
    c.dTop = P.top - X.top;
    c.xBottom = X.bottom;
    c.dBottom = P.bottom - X.bottom;
    for (int ch = 0; ch < 3; ++ch) {
      c.xShift[ch] = X.shift[ch];
      c.dShift[ch] = P.shift[ch] - X.shift[ch];
    }
    c.maxChannel = sc.maxChannel;
    c.midChannel = sc.midChannel;
  }
}

#if !VYR_SSE2_PASSES
// Sector of every combination of the tests that pick it (which distances are
// zero, and the three comparisons), in the order the tests are made: no red
// (grey, or sector 1 for green <= blue, else 2), else no blue (5 for green >
// red, else 6), else (no green) 3 for blue >= red, else 4. A table instead of
// a chain of branches, because neighbouring pixels of a busy page rarely
// share a sector.
struct SectorTable {
  uint8_t sector[64]{};
  constexpr SectorTable() {
    for (int code = 0; code < 64; ++code) {
      const bool noRed = code & 1, noBlue = code & 2, noGreen = code & 4;
      const bool greenNotAboveBlue = code & 8, greenAboveRed = code & 16, blueNotBelowRed = code & 32;
      int s;
      if (noRed)
        s = (noGreen && noBlue) ? kGrey : (greenNotAboveBlue ? 0 : 1);
      else if (noBlue)
        s = greenAboveRed ? 4 : 5;
      else
        s = blueNotBelowRed ? 2 : 3;
      sector[code] = uint8_t(s);
    }
  }
};
constexpr SectorTable kSectorOf;

// Sweep 1: sectors, distances and the numerators' differences.
void FindSectors(const uint8_t* p) {
  RowWork& w = g_row;
  for (int c = 0; c < kPageColumns; ++c, p += 3) {
    const int in[3] = {p[2], p[1], p[0]};  // red, green, blue
    const int m = std::min(in[kR], std::min(in[kG], in[kB]));
    const int d[3] = {in[kR] - m, in[kG] - m, in[kB] - m};
    const int code = (d[kR] == 0) | (d[kB] == 0) << 1 | (d[kG] == 0) << 2 | (d[kG] <= d[kB]) << 3 |
                     (d[kG] > d[kR]) << 4 | (d[kB] >= d[kR]) << 5;
    const int sector = kSectorOf.sector[code];
    const SectorConstants& sc = g_sectorConst[sector];
    w.sector[c] = uint8_t(sector);
    // a grey pixel's stand-in distance keeps its (unused) weight finite
    w.dMax[c] = d[sc.maxChannel] + (sector == kGrey);
    w.dMid[c] = d[sc.midChannel];
    w.value[c] = in[sc.maxChannel];
    w.sum[c] = in[kR] + in[kG] + in[kB];
    w.numerator[c * 3 + kR] = double(2 * in[kR] - in[kG] - in[kB]);
    w.numerator[c * 3 + kG] = double(2 * in[kG] - in[kR] - in[kB]);
    w.numerator[c * 3 + kB] = double(2 * in[kB] - in[kR] - in[kG]);
  }
}

#endif

#if VYR_SSE2_PASSES

// Two pixels at a time, one in each half of an SSE2 register of doubles.
// Each lane does exactly the operations of the one-pixel form: the double
// operations are the same instructions, a store into a float is a packed
// conversion to float and back (which rounds like the conversion of one
// value), and every division stays a true division.
//
// The row's values are kept in planes (one array per quantity, channels side
// by side) so that two neighbouring pixels load into one register.
// The weight w of every pair of distances (largest, middle), by largest x
// 256 + middle: w depends on nothing else, so its division is done once for
// the life of the program instead of once per pixel.
float g_weight[256 * 256];
bool g_weightReady = false;

void PrepareWeights() {
  if (g_weightReady) return;
  for (int dMax = 1; dMax < 256; ++dMax)
    for (int dMid = 0; dMid <= dMax; ++dMid)
      g_weight[dMax * 256 + dMid] = static_cast<float>(1.0 - double(dMid) / double(dMax));
  g_weightReady = true;
}

static_assert(kPageColumns % 8 == 0, "the sweeps take a row eight or two pixels at a time");
struct RowLanes {
  int16_t in[3][kPageColumns];  // the row's red, green and blue bytes
  // sweep 1: sector (kGrey for a grey pixel), its largest and middle
  // distances from the minimum, the largest channel's input value
  uint8_t sector[kPageColumns];
  int32_t sectorIndex[kPageColumns];  // the same, as an index for gathers
  int32_t dMax[kPageColumns];
  int32_t dMid[kPageColumns];
  int32_t sum[kPageColumns];
  int32_t numerator[3][kPageColumns];  // 2R - G - B, 2G - R - B, 2B - R - G
  int32_t value[kPageColumns];
  int32_t maxAt[kPageColumns];  // where the largest and middle channels' scaled
  int32_t midAt[kPageColumns];  // values lie in v1: the channel's plane offset
  // sweep 2: s, a float held in a double
  double s[kPageColumns];
  // sweep 3: R1, G1, B1, floats held in doubles
  double v1[3][kPageColumns];
  // sweep 4: shift weight and step (both 0 where nothing shifts)
  double w1[kPageColumns];
  double a[kPageColumns];
};
RowLanes g_lanes;

// Rounds both lanes to float and widens them again: the value a float
// variable would hold.
inline __m128d ToFloat(__m128d x) { return _mm_cvtps_pd(_mm_cvtpd_ps(x)); }

inline __m128d LoadInts(const int32_t* p) {
  return _mm_cvtepi32_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}

// The per-sector constants of two neighbouring pixels, side by side.
inline __m128d Pair(const SectorConstants& c0, const SectorConstants& c1, double SectorConstants::*field) {
  return _mm_set_pd(c1.*field, c0.*field);
}
// Eight 16-bit values widened to 32 bits.
inline void Widen(__m128i v, int32_t* out) {
  const __m128i sign = _mm_srai_epi16(v, 15);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(v, sign));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_unpackhi_epi16(v, sign));
}

// Sweep 1: sectors, distances, the numerators' differences, and where the
// sector's largest and middle channels will lie among the scaled values.
// Eight pixels at a time in 16-bit lanes: the sector tests become masks,
// each mask being the pixels that take one branch of the tests, in the
// order the tests are made.
// The row's bytes into the planes of red, green and blue.
void SplitChannels(const uint8_t* p) {
  RowLanes& L = g_lanes;
  for (int c = 0; c < kPageColumns; ++c, p += 3) {
    L.in[kR][c] = p[2];
    L.in[kG][c] = p[1];
    L.in[kB][c] = p[0];
  }
}

void FindSectorLanes() {
  RowLanes& L = g_lanes;
  const __m128i zero = _mm_setzero_si128(), all = _mm_cmpeq_epi16(zero, zero);
  auto pick = [](__m128i mask, __m128i v) { return _mm_and_si128(mask, v); };
  auto number = [](int n) { return _mm_set1_epi16(int16_t(n)); };
  for (int c = 0; c < kPageColumns; c += 8) {
    const __m128i R = _mm_loadu_si128(reinterpret_cast<const __m128i*>(L.in[kR] + c));
    const __m128i G = _mm_loadu_si128(reinterpret_cast<const __m128i*>(L.in[kG] + c));
    const __m128i B = _mm_loadu_si128(reinterpret_cast<const __m128i*>(L.in[kB] + c));
    const __m128i m = _mm_min_epi16(R, _mm_min_epi16(G, B));
    const __m128i dR = _mm_sub_epi16(R, m), dG = _mm_sub_epi16(G, m), dB = _mm_sub_epi16(B, m);
    const __m128i noRed = _mm_cmpeq_epi16(dR, zero), noGreen = _mm_cmpeq_epi16(dG, zero),
                  noBlue = _mm_cmpeq_epi16(dB, zero);
    const __m128i greenAboveBlue = _mm_cmpgt_epi16(dG, dB), greenAboveRed = _mm_cmpgt_epi16(dG, dR),
                  redAboveBlue = _mm_cmpgt_epi16(dR, dB);
    const __m128i grey = _mm_and_si128(noRed, _mm_and_si128(noGreen, noBlue));
    const __m128i redBranch = _mm_andnot_si128(grey, noRed);  // no red, not grey
    const __m128i blueBranch = _mm_andnot_si128(noRed, noBlue);  // red, no blue
    const __m128i greenBranch = _mm_andnot_si128(_mm_or_si128(noRed, noBlue), all);  // then no green
    const __m128i s1 = _mm_andnot_si128(greenAboveBlue, redBranch), s2 = _mm_and_si128(greenAboveBlue, redBranch);
    const __m128i s3 = _mm_andnot_si128(redAboveBlue, greenBranch), s4 = _mm_and_si128(redAboveBlue, greenBranch);
    const __m128i s5 = _mm_and_si128(greenAboveRed, blueBranch), s6 = _mm_andnot_si128(greenAboveRed, blueBranch);
    // a grey pixel stands in as sector 1 (its result is not written)
    const __m128i maxR = _mm_or_si128(s4, s6), maxG = _mm_or_si128(s2, s5),
                  maxB = _mm_or_si128(_mm_or_si128(s1, s3), grey);
    const __m128i midR = _mm_or_si128(s3, s5), midG = _mm_or_si128(_mm_or_si128(s1, s6), grey),
                  midB = _mm_or_si128(s2, s4);
    // a grey pixel's stand-in distance keeps its (unused) weight finite
    const __m128i dMax = _mm_add_epi16(
        _mm_or_si128(_mm_or_si128(pick(maxR, dR), pick(maxG, dG)), pick(maxB, dB)), pick(grey, number(1)));
    const __m128i dMid = _mm_or_si128(_mm_or_si128(pick(midR, dR), pick(midG, dG)), pick(midB, dB));
    const __m128i value = _mm_or_si128(_mm_or_si128(pick(maxR, R), pick(maxG, G)), pick(maxB, B));
    const __m128i sector = _mm_or_si128(
        _mm_or_si128(_mm_or_si128(pick(s2, number(1)), pick(s3, number(2))),
                     _mm_or_si128(pick(s4, number(3)), pick(s5, number(4)))),
        _mm_or_si128(pick(s6, number(5)), pick(grey, number(kGrey))));
    const __m128i maxAt = _mm_or_si128(pick(maxG, number(kG * kPageColumns)), pick(maxB, number(kB * kPageColumns)));
    const __m128i midAt = _mm_or_si128(pick(midG, number(kG * kPageColumns)), pick(midB, number(kB * kPageColumns)));
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(R, G), B);
    const __m128i nR = _mm_sub_epi16(_mm_sub_epi16(_mm_add_epi16(R, R), G), B);
    const __m128i nG = _mm_sub_epi16(_mm_sub_epi16(_mm_add_epi16(G, G), R), B);
    const __m128i nB = _mm_sub_epi16(_mm_sub_epi16(_mm_add_epi16(B, B), R), G);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(L.sector + c), _mm_packus_epi16(sector, sector));
    Widen(sector, L.sectorIndex + c);
    Widen(dMax, L.dMax + c);
    Widen(dMid, L.dMid + c);
    Widen(value, L.value + c);
    Widen(maxAt, L.maxAt + c);
    Widen(midAt, L.midAt + c);
    Widen(sum, L.sum + c);
    Widen(nR, L.numerator[kR] + c);
    Widen(nG, L.numerator[kG] + c);
    Widen(nB, L.numerator[kB] + c);
  }
}

// The bytes of `count` pixels from column c on, red, green and blue in
// out[channel][pixel]. Grey pixels stay; a factor of zero or below (or one
// that is infinite) would flatten or reverse the chroma and leave the shift
// undefined, so such pixels keep their colour too.
inline void StoreCorrected(int c, int count, const int32_t out[3][4], uint8_t* p) {
  const RowLanes& L = g_lanes;
  for (int i = 0; i < count; ++i) {
    const double s = L.s[c + i];
    const bool keep = L.sector[c + i] == kGrey || !(s > 0.0) || s == HUGE_VAL;
    if (keep) continue;
    uint8_t* q = p + 3 * i;
    q[2] = uint8_t(out[kR][i]);
    q[1] = uint8_t(out[kG][i]);
    q[0] = uint8_t(out[kB][i]);
  }
}

void CorrectRow(uint8_t* p) {
  RowLanes& L = g_lanes;
  SplitChannels(p);
  FindSectorLanes();

  const __m128d one = _mm_set1_pd(1.0);
  // Sweep 2: weight of the primary anchor, the interpolated factors and s.
  for (int c = 0; c < kPageColumns; c += 2) {
    const SectorConstants& c0 = g_sectorConst[L.sector[c]];
    const SectorConstants& c1 = g_sectorConst[L.sector[c + 1]];
    const __m128d w = _mm_set_pd(double(g_weight[L.dMax[c + 1] * 256 + L.dMid[c + 1]]),
                                 double(g_weight[L.dMax[c] * 256 + L.dMid[c]]));
    const __m128d top =
        ToFloat(_mm_add_pd(Pair(c0, c1, &SectorConstants::xTop), _mm_mul_pd(w, Pair(c0, c1, &SectorConstants::dTop))));
    const __m128d bottom = ToFloat(_mm_add_pd(Pair(c0, c1, &SectorConstants::xBottom),
                                              _mm_mul_pd(w, Pair(c0, c1, &SectorConstants::dBottom))));
    const __m128d s =
        ToFloat(_mm_add_pd(bottom, _mm_mul_pd(_mm_sub_pd(top, bottom), _mm_set_pd(g_valueFraction[L.value[c + 1]], g_valueFraction[L.value[c]]))));
    _mm_storeu_pd(L.s + c, s);
  }

  // Sweep 3: scale about the mean, ((2R - G - B) s + S) / 3 and likewise.
  const __m128d three = _mm_set1_pd(3.0);
  for (int ch = 0; ch < 3; ++ch)
    for (int c = 0; c < kPageColumns; c += 2) {
      const __m128d scaled =
          _mm_add_pd(_mm_mul_pd(LoadInts(L.numerator[ch] + c), _mm_loadu_pd(L.s + c)), LoadInts(L.sum + c));
      _mm_storeu_pd(L.v1[ch] + c, ToFloat(_mm_div_pd(scaled, three)));
    }

  // Sweep 4: chroma after scaling on the sector's own largest channel, and
  // the shift weight. A chroma of 0 (or one too small to carry a weight, or
  // one that is not finite) shifts nothing: its step a is 0.
  const double* v1 = &L.v1[0][0];
  const __m128d zero = _mm_setzero_pd();
  const __m128d infinity = _mm_set1_pd(HUGE_VAL);
  const __m128d by255 = _mm_set1_pd(255.0);
  const __m128d signless = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffffLL));
  for (int c = 0; c < kPageColumns; c += 2) {
    const __m128d red = _mm_loadu_pd(L.v1[kR] + c), green = _mm_loadu_pd(L.v1[kG] + c),
                  blue = _mm_loadu_pd(L.v1[kB] + c);
    // min(R1, min(G1, B1)) with the operands in the order that picks the
    // same value as std::min does
    const __m128d m1 = _mm_min_pd(_mm_min_pd(blue, green), red);
    const __m128d largest = _mm_set_pd(v1[L.maxAt[c + 1] + c + 1], v1[L.maxAt[c] + c]);
    const __m128d middle = _mm_set_pd(v1[L.midAt[c + 1] + c + 1], v1[L.midAt[c] + c]);
    const __m128d K = ToFloat(_mm_sub_pd(largest, m1));
    const __m128d chroma = _mm_and_pd(_mm_cmpgt_pd(K, zero), _mm_cmplt_pd(K, infinity));
    const __m128d k = _mm_or_pd(_mm_and_pd(chroma, K), _mm_andnot_pd(chroma, one));
    const __m128d w1 = ToFloat(_mm_sub_pd(one, _mm_div_pd(_mm_sub_pd(middle, m1), k)));
    // K / 255 in double rounded to a float is the float quotient K / 255.
    const __m128d a = ToFloat(_mm_div_pd(k, by255));
    const __m128d shift = _mm_and_pd(chroma, _mm_cmplt_pd(_mm_and_pd(w1, signless), infinity));
    _mm_storeu_pd(L.w1 + c, _mm_and_pd(shift, w1));
    _mm_storeu_pd(L.a + c, _mm_and_pd(shift, a));
  }

  // Sweep 5: the shift and the bytes. The clamp onto 0..255 is max then min:
  // max(v, 0) gives 0 for a value that is not a number.
  const __m128d byteMax = _mm_set1_pd(255.0), half = _mm_set1_pd(0.5);
  for (int c = 0; c < kPageColumns; c += 2, p += 6) {
    const SectorConstants& c0 = g_sectorConst[L.sector[c]];
    const SectorConstants& c1 = g_sectorConst[L.sector[c + 1]];
    const __m128d w1 = _mm_loadu_pd(L.w1 + c), a = _mm_loadu_pd(L.a + c);
    int32_t out[3][4];
    for (int ch = 0; ch < 3; ++ch) {
      const __m128d amount = _mm_mul_pd(
          _mm_add_pd(_mm_set_pd(c1.xShift[ch], c0.xShift[ch]), _mm_mul_pd(w1, _mm_set_pd(c1.dShift[ch], c0.dShift[ch]))),
          a);
      __m128d v = ToFloat(_mm_add_pd(_mm_loadu_pd(L.v1[ch] + c), amount));
      v = _mm_min_pd(_mm_max_pd(v, zero), byteMax);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out[ch]), _mm_cvttpd_epi32(_mm_add_pd(v, half)));
    }
    StoreCorrected(c, 2, out, p);
  }
}

#if VYR_AVX2_PASSES
// The same sweeps four pixels at a time in the AVX2 registers of processors
// that have them, with the same operations in each lane. The per-sector
// constants are laid out by quantity so that four pixels' values are
// gathered in one step.
struct WideConstants {
  double xTop[8], dTop[8], xBottom[8], dBottom[8];
  double xShift[3][8], dShift[3][8];
};
WideConstants g_wide;

void PrepareWideConstants() {
  for (int k = 0; k < 8; ++k) {
    const SectorConstants& c = g_sectorConst[k < 7 ? k : kGrey];
    g_wide.xTop[k] = c.xTop;
    g_wide.dTop[k] = c.dTop;
    g_wide.xBottom[k] = c.xBottom;
    g_wide.dBottom[k] = c.dBottom;
    for (int ch = 0; ch < 3; ++ch) {
      g_wide.xShift[ch][k] = c.xShift[ch];
      g_wide.dShift[ch][k] = c.dShift[ch];
    }
  }
}

#define VYR_WIDE __attribute__((target("avx2")))

VYR_WIDE inline __m256d ToFloat4(__m256d x) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(x)); }

VYR_WIDE inline __m128i Load4(const int32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// (the masked gathers, all lanes on: the plain ones trip an uninitialised-
// value warning of some compilers)
VYR_WIDE inline __m256d Gather(const double* table, __m128i index) {
  alignas(16) int32_t i[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(i), index);
  return _mm256_set_pd(table[i[3]], table[i[2]], table[i[1]], table[i[0]]);
}

VYR_WIDE inline __m128 Gather(const float* table, __m128i index) {
  alignas(16) int32_t i[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(i), index);
  return _mm_set_ps(table[i[3]], table[i[2]], table[i[1]], table[i[0]]);
}

// Four pixels' entries of an eight-entry table of per-sector constants,
// picked in registers: the sector numbers become the positions of each
// double's two halves, which pick from either half of the table.
struct SectorPick {
  __m256i halves;  // 2k and 2k + 1 in each lane
  __m256d upper;   // the lanes whose sector is 4 or above
};

VYR_WIDE inline SectorPick PickSectors(__m128i sector) {
  const __m256i k = _mm256_cvtepi32_epi64(sector);
  const __m256i low = _mm256_slli_epi64(k, 1);
  return {_mm256_or_si256(low, _mm256_slli_epi64(_mm256_add_epi64(low, _mm256_set1_epi64x(1)), 32)),
          _mm256_castsi256_pd(_mm256_cmpgt_epi64(k, _mm256_set1_epi64x(3)))};
}

VYR_WIDE inline __m256d Pick(const double* table, const SectorPick& at) {
  const __m256 lower = _mm256_permutevar8x32_ps(_mm256_loadu_ps(reinterpret_cast<const float*>(table)), at.halves);
  const __m256 upper = _mm256_permutevar8x32_ps(_mm256_loadu_ps(reinterpret_cast<const float*>(table + 4)), at.halves);
  return _mm256_blendv_pd(_mm256_castps_pd(lower), _mm256_castps_pd(upper), at.upper);
}

// The red, green or blue lane of four pixels by the plane offsets in `at`.
VYR_WIDE inline __m256d PickChannel(const int32_t* at, __m256d red, __m256d green, __m256d blue) {
  const __m256i offset = _mm256_cvtepi32_epi64(Load4(at));
  const __m256d isGreen = _mm256_castsi256_pd(_mm256_cmpeq_epi64(offset, _mm256_set1_epi64x(kG * kPageColumns)));
  const __m256d isBlue = _mm256_castsi256_pd(_mm256_cmpeq_epi64(offset, _mm256_set1_epi64x(kB * kPageColumns)));
  return _mm256_blendv_pd(_mm256_blendv_pd(red, green, isGreen), blue, isBlue);
}

// The row's bytes into the planes of red, green and blue, sixteen pixels
// (48 bytes) at a time: each plane's bytes are shuffled out of the three
// 16-byte pieces and widened.
struct SplitMasks {
  int8_t byte[3][3][16];  // by channel in the pixel, piece, position
  constexpr SplitMasks() : byte{} {
    for (int ch = 0; ch < 3; ++ch)
      for (int piece = 0; piece < 3; ++piece)
        for (int j = 0; j < 16; ++j) {
          const int at = 3 * j + ch - 16 * piece;
          byte[ch][piece][j] = int8_t(at >= 0 && at < 16 ? at : -1);  // -1: a zero byte
        }
  }
};
alignas(16) constexpr SplitMasks kSplit;

VYR_WIDE void SplitChannelsWide(const uint8_t* p) {
  RowLanes& L = g_lanes;
  static_assert(kPageColumns % 16 == 0, "sixteen pixels at a time");
  const Channel planeOf[3] = {kB, kG, kR};  // the pixel's bytes are blue, green, red
  for (int c = 0; c < kPageColumns; c += 16, p += 48) {
    __m128i piece[3];
    for (int i = 0; i < 3; ++i) piece[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    for (int ch = 0; ch < 3; ++ch) {
      __m128i bytes = _mm_setzero_si128();
      for (int i = 0; i < 3; ++i)
        bytes = _mm_or_si128(bytes, _mm_shuffle_epi8(piece[i], _mm_load_si128(reinterpret_cast<const __m128i*>(
                                                                   kSplit.byte[ch][i]))));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(L.in[planeOf[ch]] + c), _mm256_cvtepu8_epi16(bytes));
    }
  }
}

VYR_WIDE void CorrectRowWide(uint8_t* p) {
  RowLanes& L = g_lanes;
  SplitChannelsWide(p);
  FindSectorLanes();

  const __m256d one = _mm256_set1_pd(1.0);
  // Sweep 2: weight of the primary anchor, the interpolated factors and s.
  for (int c = 0; c < kPageColumns; c += 4) {
    const SectorPick sector = PickSectors(Load4(L.sectorIndex + c));
    const __m128i pair = _mm_add_epi32(_mm_slli_epi32(Load4(L.dMax + c), 8), Load4(L.dMid + c));
    const __m256d w = _mm256_cvtps_pd(Gather(g_weight, pair));
    const __m256d top = ToFloat4(_mm256_add_pd(Pick(g_wide.xTop, sector), _mm256_mul_pd(w, Pick(g_wide.dTop, sector))));
    const __m256d bottom =
        ToFloat4(_mm256_add_pd(Pick(g_wide.xBottom, sector), _mm256_mul_pd(w, Pick(g_wide.dBottom, sector))));
    const __m256d fraction = Gather(g_valueFraction, Load4(L.value + c));
    _mm256_storeu_pd(L.s + c, ToFloat4(_mm256_add_pd(bottom, _mm256_mul_pd(_mm256_sub_pd(top, bottom), fraction))));
  }

  // Sweep 3: scale about the mean, ((2R - G - B) s + S) / 3 and likewise.
  const __m256d three = _mm256_set1_pd(3.0);
  for (int ch = 0; ch < 3; ++ch)
    for (int c = 0; c < kPageColumns; c += 4) {
      const __m256d scaled = _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(Load4(L.numerator[ch] + c)),
                                                         _mm256_loadu_pd(L.s + c)),
                                           _mm256_cvtepi32_pd(Load4(L.sum + c)));
      _mm256_storeu_pd(L.v1[ch] + c, ToFloat4(_mm256_div_pd(scaled, three)));
    }

  // Sweep 4: chroma after scaling, the shift weight and step.
  const __m256d zero = _mm256_setzero_pd();
  const __m256d infinity = _mm256_set1_pd(HUGE_VAL);
  const __m128 by255 = _mm_set1_ps(255.0f);
  const __m256d signless = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffffLL));
  for (int c = 0; c < kPageColumns; c += 4) {
    const __m256d red = _mm256_loadu_pd(L.v1[kR] + c), green = _mm256_loadu_pd(L.v1[kG] + c),
                  blue = _mm256_loadu_pd(L.v1[kB] + c);
    const __m256d m1 = _mm256_min_pd(_mm256_min_pd(blue, green), red);
    const __m256d largest = PickChannel(L.maxAt + c, red, green, blue);
    const __m256d middle = PickChannel(L.midAt + c, red, green, blue);
    const __m256d K = ToFloat4(_mm256_sub_pd(largest, m1));
    const __m256d chroma = _mm256_and_pd(_mm256_cmp_pd(K, zero, _CMP_GT_OQ), _mm256_cmp_pd(K, infinity, _CMP_LT_OQ));
    const __m256d k = _mm256_blendv_pd(one, K, chroma);
    const __m256d w1 = ToFloat4(_mm256_sub_pd(one, _mm256_div_pd(_mm256_sub_pd(middle, m1), k)));
    // K / 255 in double rounded to a float is the float quotient K / 255
    // (a double carries more than twice a float's digits), which is cheaper.
    const __m256d a = _mm256_cvtps_pd(_mm_div_ps(_mm256_cvtpd_ps(k), by255));
    const __m256d shift =
        _mm256_and_pd(chroma, _mm256_cmp_pd(_mm256_and_pd(w1, signless), infinity, _CMP_LT_OQ));
    _mm256_storeu_pd(L.w1 + c, _mm256_and_pd(shift, w1));
    _mm256_storeu_pd(L.a + c, _mm256_and_pd(shift, a));
  }

  // Sweep 5: the shift and the bytes, as in the two-pixel form.
  const __m256d byteMax = _mm256_set1_pd(255.0), half = _mm256_set1_pd(0.5);
  for (int c = 0; c < kPageColumns; c += 4, p += 12) {
    const SectorPick sector = PickSectors(Load4(L.sectorIndex + c));
    const __m256d w1 = _mm256_loadu_pd(L.w1 + c), a = _mm256_loadu_pd(L.a + c);
    int32_t out[3][4];
    for (int ch = 0; ch < 3; ++ch) {
      const __m256d amount = _mm256_mul_pd(
          _mm256_add_pd(Pick(g_wide.xShift[ch], sector), _mm256_mul_pd(w1, Pick(g_wide.dShift[ch], sector))), a);
      __m256d v = ToFloat4(_mm256_add_pd(_mm256_loadu_pd(L.v1[ch] + c), amount));
      v = _mm256_min_pd(_mm256_max_pd(v, zero), byteMax);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out[ch]), _mm256_cvttpd_epi32(_mm256_add_pd(v, half)));
    }
    StoreCorrected(c, 4, out, p);
  }
}

#endif  // VYR_AVX2_PASSES

#else  // one pixel at a time

void CorrectRow(uint8_t* p) {
  RowWork& rw = g_row;
  FindSectors(p);

  // Sweep 2: weight of the primary anchor (1 at the pure primary, 0 at the
  // secondary), the interpolated factors and the saturation factor s.
  for (int c = 0; c < kPageColumns; ++c)
    rw.w[c] = static_cast<float>(1.0 - double(rw.dMid[c]) / double(rw.dMax[c]));
  for (int c = 0; c < kPageColumns; ++c) {
    const SectorConstants& sc = g_sectorConst[rw.sector[c]];
    const double w = double(rw.w[c]);
    const float top = static_cast<float>(sc.xTop + w * sc.dTop);
    const float bottom = static_cast<float>(sc.xBottom + w * sc.dBottom);
    rw.s[c] = static_cast<float>(double(bottom) +
                                 (double(top) - double(bottom)) * g_valueFraction[rw.value[c]]);
  }

  // Sweep 3: scale about the mean, ((2R - G - B) s + S) / 3 and likewise.
  for (int c = 0; c < kPageColumns; ++c) {
    const double s = double(rw.s[c]), S = double(rw.sum[c]);
    for (int ch = 0; ch < 3; ++ch) rw.numerator[c * 3 + ch] = rw.numerator[c * 3 + ch] * s + S;
  }
  for (int i = 0; i < kPageColumns * 3; ++i)
    rw.v1[i] = static_cast<float>(rw.numerator[i] / 3.0);

  // Sweep 4: chroma after scaling, measured on the sector's own largest
  // channel, and the shift weight. A chroma of 0 (or one too small to carry
  // a weight) shifts nothing: its step a is 0.
  for (int c = 0; c < kPageColumns; ++c) {
    const SectorConstants& sc = g_sectorConst[rw.sector[c]];
    const float* v1 = rw.v1 + c * 3;
    const float m1 = std::min(v1[kR], std::min(v1[kG], v1[kB]));
    const float K = static_cast<float>(double(v1[sc.maxChannel]) - double(m1));
    const bool chroma = K > 0.0f && std::isfinite(K);
    const float k = chroma ? K : 1.0f;
    const float w1 = static_cast<float>(1.0 - (double(v1[sc.midChannel]) - double(m1)) / double(k));
    // K / 255 in double rounded to a float is the float quotient K / 255.
    const float a = k / 255.0f;
    const bool shift = chroma && std::isfinite(w1);
    rw.w1[c] = shift ? w1 : 0.0f;
    rw.a[c] = shift ? a : 0.0f;
  }

  // Sweep 5: the shift and the bytes. Grey pixels stay; a factor of zero or
  // below would flatten or reverse the chroma and leave the shift undefined,
  // so such pixels keep their colour too.
  for (int c = 0; c < kPageColumns; ++c, p += 3) {
    const int sector = rw.sector[c];
    const SectorConstants& sc = g_sectorConst[sector];
    const float s = rw.s[c];
    const bool keep = sector == kGrey || !(s > 0.0f) || !std::isfinite(s);
    const float* v1 = rw.v1 + c * 3;
    const double w1 = double(rw.w1[c]), a = double(rw.a[c]);
    auto shifted = [&](int ch) {
      return ToByte(static_cast<float>(double(v1[ch]) + (sc.xShift[ch] + w1 * sc.dShift[ch]) * a));
    };
    const uint8_t red = shifted(kR), green = shifted(kG), blue = shifted(kB);
    if (keep) continue;
    p[2] = red;
    p[1] = green;
    p[0] = blue;
  }
}

#endif

}  // namespace

void ApplyHueCorrection() {
  if (g_Color == 0) return;
  if (SettingsLeavePageAsItIs()) return;
  PrepareRun();
#if VYR_SSE2_PASSES
  PrepareWeights();
#endif
#if VYR_AVX2_PASSES
  if (WidePassesInUse()) {
    PrepareWideConstants();
    for (int r = 0; r < kPageRows; ++r) CorrectRowWide(g_pageImage + r * kPageStride);
    return;
  }
#endif
  for (int r = 0; r < kPageRows; ++r) CorrectRow(g_pageImage + r * kPageStride);
}
