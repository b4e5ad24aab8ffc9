// Saturation pass: moves every pixel's channels away from (k > 1) or towards
// (k < 1) the pixel's mean, then derives the luminance plane that the edge
// enhancement sharpens with.
#include <algorithm>
#include <cstdint>

#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "settings/settings.h"

int16_t g_lumaPlane[kPageRows * kPageColumns];

namespace {

// Each channel's distance from the mean, 2R - G - B for red and likewise,
// lies in -510..510; its product with k, held as a single float, is tabled
// once per run.
constexpr int kDiffMax = 510;
float g_scaledDiff[2 * kDiffMax + 1];

void SaturatePage(float k) {
  for (int d = -kDiffMax; d <= kDiffMax; ++d)
    g_scaledDiff[d + kDiffMax] = static_cast<float>(double(d) * double(k));

  // Per row: first S + d for every byte, then (S + d) / 3 rounded half up and
  // put on the byte scale in one straight sweep. Truncation toward zero of a
  // value below 1 gives 0, so clamping in double first keeps huge or negative
  // values (a large SatValue) out of the integer conversion.
  double sum[kPageColumns * 3];
  for (int r = 0; r < kPageRows; ++r) {
    uint8_t* p = g_pageImage + r * kPageStride;
    for (int c = 0; c < kPageColumns; ++c) {
      const int B = p[c * 3], G = p[c * 3 + 1], R = p[c * 3 + 2];
      const double S = double(R + G + B);
      sum[c * 3] = S + double(g_scaledDiff[2 * B - R - G + kDiffMax]);
      sum[c * 3 + 1] = S + double(g_scaledDiff[2 * G - R - B + kDiffMax]);
      sum[c * 3 + 2] = S + double(g_scaledDiff[2 * R - G - B + kDiffMax]);
    }
    for (int i = 0; i < kPageColumns * 3; ++i) {
      const double x = std::min(std::max(sum[i] / 3.0 + 0.5, 0.0), 255.0);
      p[i] = static_cast<uint8_t>(static_cast<int>(x));
    }
  }
}

// Luminance of a channel sum 0..765 on the 0..1020 scale of the head levels:
// (R + G + B) x 1.333 rounded, with 1.333 the single float nearest to it.
void FillLumaPlane() {
  int16_t lumaOfSum[766];
  for (int s = 0; s < 766; ++s)
    lumaOfSum[s] = static_cast<int16_t>(static_cast<int>(double(s) * double(1.333f) + 0.5));
  for (int r = 0; r < kPageRows; ++r) {
    const uint8_t* p = g_pageImage + r * kPageStride;
    int16_t* y = g_lumaPlane + r * kPageColumns;
    for (int c = 0; c < kPageColumns; ++c, p += 3) y[c] = lumaOfSum[p[0] + p[1] + p[2]];
  }
}

}  // namespace

void ApplySaturation() {
  if (g_Saturation != 0) SaturatePage(g_SatValue);
  FillLumaPlane();
}
