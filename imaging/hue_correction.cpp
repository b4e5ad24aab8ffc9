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
inline uint8_t ToByte(float v) {
  if (!(v >= 0.0f)) return 0;
  if (v > 255.0f) return 255;
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

// Sweep 1: sectors, tested in the order of the sector table.
void FindSectors(const uint8_t* p) {
  RowWork& w = g_row;
  for (int c = 0; c < kPageColumns; ++c, p += 3) {
    const int in[3] = {p[2], p[1], p[0]};  // red, green, blue
    const int m = std::min(in[kR], std::min(in[kG], in[kB]));
    const int dR = in[kR] - m, dG = in[kG] - m, dB = in[kB] - m;
    int sector;
    if (dR == 0) {
      if (dG == 0 && dB == 0)
        sector = kGrey;
      else
        sector = (dG <= dB) ? 0 : 1;
    } else if (dB == 0) {
      sector = (dG > dR) ? 4 : 5;
    } else {
      sector = (dB >= dR) ? 2 : 3;
    }
    const int d[3] = {dR, dG, dB};
    const SectorConstants& sc = g_sectorConst[sector];
    w.sector[c] = uint8_t(sector);
    w.dMax[c] = sector == kGrey ? 1 : d[sc.maxChannel];
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

  // Sweep 4: chroma after scaling on the sector's largest channel, the
  // shift weight and the shift, and the bytes.
  for (int c = 0; c < kPageColumns; ++c, p += 3) {
    const int sector = rw.sector[c];
    const float s = rw.s[c];
    // Grey pixels stay; a factor of zero or below would flatten or reverse
    // the chroma and leave the shift undefined, so such pixels keep their
    // colour too.
    if (sector == kGrey || !(s > 0.0f) || !std::isfinite(s)) continue;
    const SectorConstants& sc = g_sectorConst[sector];
    const float* v1 = rw.v1 + c * 3;
    float v2[3] = {v1[kR], v1[kG], v1[kB]};
    const float m1 = std::min(v1[kR], std::min(v1[kG], v1[kB]));
    const float K = static_cast<float>(double(v1[sc.maxChannel]) - double(m1));
    if (K > 0.0f && std::isfinite(K)) {
      const float w1 =
          static_cast<float>(1.0 - (double(v1[sc.midChannel]) - double(m1)) / double(K));
      const float a = static_cast<float>(double(K) / 255.0);
      // A chroma too small to carry a weight shifts nothing.
      if (std::isfinite(w1)) {
        for (int ch = 0; ch < 3; ++ch)
          v2[ch] = static_cast<float>(double(v1[ch]) +
                                      (sc.xShift[ch] + double(w1) * sc.dShift[ch]) * double(a));
      }
    }
    p[2] = ToByte(v2[kR]);
    p[1] = ToByte(v2[kG]);
    p[0] = ToByte(v2[kB]);
  }
}

}  // namespace

void ApplyHueCorrection() {
  if (g_Color == 0) return;
  if (SettingsLeavePageAsItIs()) return;
  PrepareRun();
  for (int r = 0; r < kPageRows; ++r) CorrectRow(g_pageImage + r * kPageStride);
}
