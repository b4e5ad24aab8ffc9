// Edge enhancement: sharpens the three head planes with one correction per
// pixel, the Laplacian of the luminance plane (taken before the colour
// corrections) times EdgeEnhanceR. Adding a row's corrections to its levels
// is one source for every instruction set (see imaging/vector_targets.h), and
// so is finding them where the processor gathers table entries in one step.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "imaging/edge_enhance.cpp"
#include <hwy/foreach_target.h>  // must come before highway.h
#include <hwy/highway.h>

#ifndef VYR_EDGE_ENHANCE_ONCE
#define VYR_EDGE_ENHANCE_ONCE

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "settings/settings.h"

namespace edge_enhance {

// Luminance values lie in 0..1020, so the Laplacian lies in -4080..4080;
// its corrections are tabled once per run.
constexpr int kLaplacianMax = 4 * 1020;
int16_t g_correction[2 * kLaplacianMax + 1];
int32_t g_correctionWide[2 * kLaplacianMax + 1];  // the same as 32-bit entries, for gathers

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

// The correction of every inner pixel of row i, three times over (one per
// level of the pixel's element), from column `from` to the last inner one.
void FindCorrections(int i, int from, double k, int16_t* rowCorrection) {
  const int16_t* y = g_lumaPlane + i * kPageColumns;
  const int16_t* up = y - kPageColumns;
  const int16_t* down = y + kPageColumns;
  for (int j = from; j < kPageColumns - 1; ++j) {
    const int L = 4 * y[j] - up[j] - down[j] - y[j - 1] - y[j + 1];
    const int16_t d = (L >= -kLaplacianMax && L <= kLaplacianMax) ? g_correction[L + kLaplacianMax] : Correction(L, k);
    rowCorrection[j * 3] = rowCorrection[j * 3 + 1] = rowCorrection[j * 3 + 2] = d;
  }
}

}  // namespace edge_enhance

#endif  // VYR_EDGE_ENHANCE_ONCE

HWY_BEFORE_NAMESPACE();
namespace edge_enhance {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// e[x] = AddCorrection(e[x], d[x]) for x in [0, count): as many levels at a
// time as the registers hold, a saturating 16-bit add and then nothing below
// 0, which is what AddCorrection does.
void AddCorrections(int16_t* HWY_RESTRICT e, const int16_t* HWY_RESTRICT d, size_t count) {
  const hn::ScalableTag<int16_t> di;
  const size_t n = hn::Lanes(di);
  size_t x = 0;
  for (; x + n <= count; x += n)
    hn::StoreU(hn::Max(hn::SaturatedAdd(hn::LoadU(di, e + x), hn::LoadU(di, d + x)), hn::Zero(di)), di, e + x);
  for (; x < count; ++x) e[x] = AddCorrection(e[x], d[x]);
}

// FindCorrections for the whole row: on sets that gather in one
// instruction, Lanes(32-bit) pixels at a time while every Laplacian of them
// lies in the table; the rest one at a time.
void FindRowCorrections(int i, double k, int16_t* HWY_RESTRICT rowCorrection) {
  int j = 1;
#if HWY_ARCH_X86 && HWY_TARGET <= HWY_AVX2
  const hn::ScalableTag<int32_t> d;
  const hn::Rebind<int16_t, decltype(d)> d16;
  const int n = int(hn::Lanes(d));
  const int16_t* y = g_lumaPlane + i * kPageColumns;
  const int16_t* up = y - kPageColumns;
  const int16_t* down = y + kPageColumns;
  auto at = [&](const int16_t* plane) { return hn::PromoteTo(d, hn::LoadU(d16, plane + j)); };
  const auto lowest = hn::Set(d, -kLaplacianMax), highest = hn::Set(d, kLaplacianMax);
  for (; j + n <= kPageColumns - 1; j += n) {
    const auto L = hn::Sub(hn::Sub(hn::Sub(hn::Sub(hn::ShiftLeft<2>(at(y)), at(up)), at(down)), at(y - 1)), at(y + 1));
    if (!hn::AllFalse(d, hn::Or(hn::Lt(L, lowest), hn::Gt(L, highest)))) break;
    const auto c = hn::DemoteTo(d16, hn::GatherIndex(d, g_correctionWide, hn::Sub(L, lowest)));
    hn::StoreInterleaved3(c, c, c, d16, rowCorrection + 3 * j);
  }
#endif
  FindCorrections(i, j, k, rowCorrection);
}

}  // namespace HWY_NAMESPACE
}  // namespace edge_enhance
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace edge_enhance {
HWY_EXPORT(AddCorrections);
HWY_EXPORT(FindRowCorrections);
}  // namespace edge_enhance

void EnhanceEdges() {
  using namespace edge_enhance;
  if (g_Edge == 0) return;
  const double k = double(g_EdgeEnhanceR);
  for (int L = -kLaplacianMax; L <= kLaplacianMax; ++L) {
    g_correction[L + kLaplacianMax] = Correction(L, k);
    g_correctionWide[L + kLaplacianMax] = g_correction[L + kLaplacianMax];
  }

  // Border pixels of the treated area keep their levels. Each row's
  // corrections are found first, then added to the row's three levels per
  // pixel in one straight sweep.
  int16_t rowCorrection[kPageColumns * 3];
  for (int i = 1; i < kPageRows - 1; ++i) {
    HWY_DYNAMIC_DISPATCH(FindRowCorrections)(i, k, rowCorrection);
    // from the second element's yellow level to the last but one's cyan
    HWY_DYNAMIC_DISPATCH(AddCorrections)(g_headPlanes + i * kPlaneStride + 3, rowCorrection + 3, (kPageColumns - 2) * 3);
  }
}
#endif  // HWY_ONCE
