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
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "app/settings.h"
#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"

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

// Final rounding onto the byte scale; values outside 0..255 (also a value
// that is not a number) are clamped before they are converted.
// The clamps are done with the processor's min and max, not with branches:
// on a busy page whether a channel overflows is anybody's guess.
inline uint8_t ToByte(float v) {
#if defined(__SSE__)
  // max(v, 0) gives 0 for a value that is not a number
  v = _mm_cvtss_f32(_mm_min_ss(_mm_max_ss(_mm_set_ss(v), _mm_setzero_ps()), _mm_set_ss(255.0f)));
#else
  v = v > 0.0f ? v : 0.0f;  // also a value that is not a number
  v = v < 255.0f ? v : 255.0f;
#endif
  return static_cast<uint8_t>(static_cast<int>(double(v) + 0.5));
}

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

}  // namespace

void ApplyHueCorrection() {
  if (g_Color == 0) return;
  if (SettingsLeavePageAsItIs()) return;
  PrepareRun();
  for (int r = 0; r < kPageRows; ++r) CorrectRow(g_pageImage + r * kPageStride);
}
