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

// A channel's new value depends only on the channel sum S and the channel X
// itself (its distance from the mean is 3X - S), so the page is mapped through
// a table of every pair that occurs: X <= S <= X + 510. That is about a
// hundred thousand entries against close to a million bytes on a page.
constexpr int kSumMax = 3 * 255;
uint8_t g_saturated[(kSumMax + 1) * 256];

void BuildSaturationTable(float k) {
  for (int d = -kDiffMax; d <= kDiffMax; ++d)
    g_scaledDiff[d + kDiffMax] = static_cast<float>(double(d) * double(k));

  // (S + d) / 3 rounded half up and put on the byte scale. Truncation toward
  // zero of a value below 1 gives 0, so clamping in double first keeps huge
  // or negative values (a large SatValue) out of the integer conversion.
  for (int X = 0; X < 256; ++X)
    for (int S = X; S <= std::min(X + 2 * 255, kSumMax); ++S) {
      const double sum = double(S) + double(g_scaledDiff[3 * X - S + kDiffMax]);
      const double x = std::min(std::max(sum / 3.0 + 0.5, 0.0), 255.0);
      g_saturated[S * 256 + X] = static_cast<uint8_t>(static_cast<int>(x));
    }
}

// Luminance of a channel sum 0..765 on the 0..1020 scale of the head levels:
// (R + G + B) x 1.333 rounded, with 1.333 the single float nearest to it.
int16_t g_lumaOfSum[kSumMax + 1];

void BuildLumaTable() {
  for (int s = 0; s <= kSumMax; ++s)
    g_lumaOfSum[s] = static_cast<int16_t>(static_cast<int>(double(s) * double(1.333f) + 0.5));
}

// One walk over the page: each pixel saturated (when asked), then its
// luminance taken from the result.
template <bool kSaturate>
void SaturateAndFillLuma() {
  for (int r = 0; r < kPageRows; ++r) {
    uint8_t* p = g_pageImage + r * kPageStride;
    int16_t* y = g_lumaPlane + r * kPageColumns;
    for (int c = 0; c < kPageColumns; ++c, p += 3) {
      if (kSaturate) {
        const uint8_t* row = g_saturated + (p[0] + p[1] + p[2]) * 256;
        p[0] = row[p[0]];
        p[1] = row[p[1]];
        p[2] = row[p[2]];
      }
      y[c] = g_lumaOfSum[p[0] + p[1] + p[2]];
    }
  }
}

}  // namespace

void ApplySaturation() {
  BuildLumaTable();
  if (g_Saturation != 0) {
    BuildSaturationTable(g_SatValue);
    SaturateAndFillLuma<true>();
  } else {
    SaturateAndFillLuma<false>();
  }
}
