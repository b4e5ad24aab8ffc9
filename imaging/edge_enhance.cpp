// Edge enhancement: sharpens the three head planes with one correction per
// pixel, the Laplacian of the luminance plane (taken before the colour
// corrections) times EdgeEnhanceR.
#include <algorithm>
#include <cstdint>

#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "imaging/vector_paths.h"
#include "settings/settings.h"

#if VYR_SSE2_PASSES
#include <emmintrin.h>
#endif

namespace {

// Luminance values lie in 0..1020, so the Laplacian lies in -4080..4080;
// its corrections are tabled once per run.
constexpr int kLaplacianMax = 4 * 1020;
int16_t g_correction[2 * kLaplacianMax + 1];

// L x k rounded half up (truncation toward zero of L x k + 0.5), held at the
// limits of a signed 16-bit value instead of wrapping.
inline int16_t Correction(int L, double k) {
  const double x = double(L) * k + 0.5;
  if (x >= 32767.0) return 32767;
  if (x <= -32768.0) return -32768;
  return static_cast<int16_t>(static_cast<int>(x));
}

inline int16_t AddCorrection(int16_t level, int d) {
  return static_cast<int16_t>(std::clamp(level + d, 0, 32767));
}

}  // namespace

void EnhanceEdges() {
  if (g_Edge == 0) return;
  const double k = double(g_EdgeEnhanceR);
  for (int L = -kLaplacianMax; L <= kLaplacianMax; ++L) g_correction[L + kLaplacianMax] = Correction(L, k);

  // Border pixels of the treated area keep their levels. Each row's
  // corrections are found first, then added to the row's three levels per
  // pixel in one straight sweep.
  int16_t rowCorrection[kPageColumns * 3];
  for (int i = 1; i < kPageRows - 1; ++i) {
    const int16_t* y = g_lumaPlane + i * kPageColumns;
    const int16_t* up = y - kPageColumns;
    const int16_t* down = y + kPageColumns;
    for (int j = 1; j < kPageColumns - 1; ++j) {
      const int L = 4 * y[j] - up[j] - down[j] - y[j - 1] - y[j + 1];
      const int16_t d = (L >= -kLaplacianMax && L <= kLaplacianMax) ? g_correction[L + kLaplacianMax]
                                                                    : Correction(L, k);
      rowCorrection[j * 3] = rowCorrection[j * 3 + 1] = rowCorrection[j * 3 + 2] = d;
    }
    int16_t* e = g_headPlanes + i * kPlaneStride;
    int x = 3;
#if VYR_SSE2_PASSES
    // Eight levels at a time: a saturating 16-bit add, then nothing below 0,
    // the same as AddCorrection.
    const __m128i zero = _mm_setzero_si128();
    for (; x + 8 <= (kPageColumns - 1) * 3; x += 8) {
      const __m128i level = _mm_loadu_si128(reinterpret_cast<const __m128i*>(e + x));
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rowCorrection + x));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(e + x), _mm_max_epi16(_mm_adds_epi16(level, d), zero));
    }
#endif
    for (; x < (kPageColumns - 1) * 3; ++x) e[x] = AddCorrection(e[x], rowCorrection[x]);
  }
}
