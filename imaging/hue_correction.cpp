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

// 1/255 of each input value, so that V / 255 costs no division per pixel.
double g_valueFraction[256];

void CorrectPixel(uint8_t* px) {
  const int in[3] = {px[2], px[1], px[0]};  // red, green, blue
  const int m = std::min(in[kR], std::min(in[kG], in[kB]));
  const int dR = in[kR] - m, dG = in[kG] - m, dB = in[kB] - m;

  int sector;
  if (dR == 0) {
    if (dG == 0 && dB == 0) return;  // grey: left as it is
    sector = (dG <= dB) ? 0 : 1;
  } else if (dB == 0) {
    sector = (dG > dR) ? 4 : 5;
  } else {
    sector = (dB >= dR) ? 2 : 3;
  }
  const Sector& sc = kSectors[sector];
  const int d[3] = {dR, dG, dB};
  const AnchorSettings& P = g_anchor[sc.primary];
  const AnchorSettings& X = g_anchor[sc.secondary];

  // Weight of the primary anchor: 1 at the pure primary, 0 at the secondary.
  const float w = static_cast<float>(1.0 - double(d[sc.midChannel]) / double(d[sc.maxChannel]));
  const float top = static_cast<float>(X.top + double(w) * (P.top - X.top));
  const float bottom = static_cast<float>(X.bottom + double(w) * (P.bottom - X.bottom));
  const float s = static_cast<float>(double(bottom) + (double(top) - double(bottom)) *
                                                        g_valueFraction[in[sc.maxChannel]]);
  // A factor of zero or below would flatten or reverse the chroma and leave
  // the shift undefined: such pixels keep their colour.
  if (!(s > 0.0f) || !std::isfinite(s)) return;

  const double S = double(in[kR] + in[kG] + in[kB]);
  const double sd = double(s);
  float v1[3];
  v1[kR] = static_cast<float>((double(2 * in[kR] - in[kG] - in[kB]) * sd + S) / 3.0);
  v1[kG] = static_cast<float>((double(2 * in[kG] - in[kR] - in[kB]) * sd + S) / 3.0);
  v1[kB] = static_cast<float>((double(2 * in[kB] - in[kR] - in[kG]) * sd + S) / 3.0);

  float v2[3] = {v1[kR], v1[kG], v1[kB]};
  const float m1 = std::min(v1[kR], std::min(v1[kG], v1[kB]));
  // Chroma after scaling, measured on the sector's own largest channel.
  const float K = static_cast<float>(double(v1[sc.maxChannel]) - double(m1));
  if (K > 0.0f && std::isfinite(K)) {
    const float w1 =
        static_cast<float>(1.0 - (double(v1[sc.midChannel]) - double(m1)) / double(K));
    const float a = static_cast<float>(double(K) / 255.0);
    // A chroma too small to carry a weight shifts nothing.
    if (std::isfinite(w1)) {
      for (int ch = 0; ch < 3; ++ch)
        v2[ch] = static_cast<float>(
            double(v1[ch]) + (X.shift[ch] + double(w1) * (P.shift[ch] - X.shift[ch])) * double(a));
    }
  }
  px[2] = ToByte(v2[kR]);
  px[1] = ToByte(v2[kG]);
  px[0] = ToByte(v2[kB]);
}

}  // namespace

void ApplyHueCorrection() {
  if (g_Color == 0) return;
  if (SettingsLeavePageAsItIs()) return;
  ReadAnchorSettings();
  for (int v = 0; v < 256; ++v) g_valueFraction[v] = double(v) / 255.0;

  for (int r = 0; r < kPageRows; ++r) {
    uint8_t* p = g_pageImage + r * kPageStride;
    // Neighbouring pixels of a page are often alike; a pixel equal to the one
    // before it takes the same result without being worked out again.
    uint8_t lastIn[3] = {0, 0, 0}, lastOut[3] = {0, 0, 0};
    bool haveLast = false;
    for (int c = 0; c < kPageColumns; ++c, p += 3) {
      if (haveLast && p[0] == lastIn[0] && p[1] == lastIn[1] && p[2] == lastIn[2]) {
        p[0] = lastOut[0];
        p[1] = lastOut[1];
        p[2] = lastOut[2];
        continue;
      }
      lastIn[0] = p[0];
      lastIn[1] = p[1];
      lastIn[2] = p[2];
      CorrectPixel(p);
      lastOut[0] = p[0];
      lastOut[1] = p[1];
      lastOut[2] = p[2];
      haveLast = true;
    }
  }
}
