// Saturation pass: moves every pixel's channels away from (k > 1) or towards
// (k < 1) the pixel's mean, then derives the luminance plane that the edge
// enhancement sharpens with.
#include <cstdint>

#include "app/settings.h"
#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"

int16_t g_lumaPlane[kPageRows * kPageColumns];

namespace {

// (S + d) / 3 rounded half up and put on the byte scale. Truncation toward
// zero of a value below 1 gives 0, so clamping in double first keeps huge
// or negative values (a large SatValue) out of the integer conversion.
inline uint8_t SaturatedChannel(double sum, float d) {
  const double x = (sum + double(d)) / 3.0 + 0.5;
  if (!(x >= 1.0)) return 0;
  if (x >= 255.0) return 255;
  return static_cast<uint8_t>(static_cast<int>(x));
}

void SaturatePage(float k) {
  const double kd = double(k);
  for (int r = 0; r < kPageRows; ++r) {
    uint8_t* p = g_pageImage + r * kPageStride;
    for (int c = 0; c < kPageColumns; ++c, p += 3) {
      const int B = p[0], G = p[1], R = p[2];
      const double S = double(R + G + B);
      // Each channel's distance from the mean, times k, held as a single float.
      const float dR = static_cast<float>(double(2 * R - G - B) * kd);
      const float dG = static_cast<float>(double(2 * G - R - B) * kd);
      const float dB = static_cast<float>(double(2 * B - R - G) * kd);
      p[2] = SaturatedChannel(S, dR);
      p[1] = SaturatedChannel(S, dG);
      p[0] = SaturatedChannel(S, dB);
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
