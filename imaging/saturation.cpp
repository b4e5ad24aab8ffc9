// Saturation pass: moves every pixel's channels away from (k > 1) or towards
// (k < 1) the pixel's mean, then derives the luminance plane that the edge
// enhancement sharpens with. Where the processor gathers table entries in
// one step, as many pixels at a time as its registers hold 32-bit values;
// one source for every instruction set (see imaging/vector_targets.h).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "imaging/saturation.cpp"
#include <hwy/foreach_target.h>  // must come before highway.h
#include <hwy/highway.h>

#ifndef VYR_SATURATION_ONCE
#define VYR_SATURATION_ONCE

#include <algorithm>
#include <cstdint>

#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "settings/settings.h"

int16_t g_lumaPlane[kPageRows * kPageColumns];

namespace saturation {

// Each channel's distance from the mean, 2R - G - B for red and likewise,
// lies in -510..510; its product with k, held as a single float, is tabled
// once per run.
constexpr int kDiffMax = 510;
float g_scaledDiff[2 * kDiffMax + 1];

// A channel's new value depends only on the channel sum S and the channel X
// itself (its distance from the mean is 3X - S), so the page is mapped through
// a table of every pair that occurs: X <= S <= X + 510. That is about a
// hundred thousand entries against close to a million bytes on a page. The
// three bytes after the table let an entry be read as the low byte of a
// 32-bit word.
constexpr int kSumMax = 3 * 255;
alignas(4) uint8_t g_saturated[(kSumMax + 1) * 256 + 3];

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
int32_t g_lumaOfSumWide[kSumMax + 1];  // the same as 32-bit entries, for gathers

void BuildLumaTable() {
  for (int s = 0; s <= kSumMax; ++s) {
    g_lumaOfSum[s] = static_cast<int16_t>(static_cast<int>(double(s) * double(1.333f) + 0.5));
    g_lumaOfSumWide[s] = g_lumaOfSum[s];
  }
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

}  // namespace saturation

#endif  // VYR_SATURATION_ONCE

HWY_BEFORE_NAMESPACE();
namespace saturation {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// The whole page. Sets that gather in one instruction take a row's pixels
// Lanes(32-bit) at a time; on the others a gather is one load per lane
// through memory, slower than the plain walk, which they take instead.
void SaturatePage(bool saturate) {
#if HWY_ARCH_X86 && HWY_TARGET <= HWY_AVX2
  using D = hn::ScalableTag<int32_t>;
  const D d;
  const hn::Rebind<uint8_t, D> d8;
  const hn::Rebind<int16_t, D> d16;
  const size_t n = hn::Lanes(d);
  static_assert(kPageColumns % HWY_LANES(int32_t) == 0, "a row is a whole number of vectors");
  const int32_t* saturated = reinterpret_cast<const int32_t*>(g_saturated);
  const auto lowByte = hn::Set(d, 0xFF);
  for (int r = 0; r < kPageRows; ++r) {
    uint8_t* p = g_pageImage + r * kPageStride;
    int16_t* y = g_lumaPlane + r * kPageColumns;
    for (size_t c = 0; c < size_t(kPageColumns); c += n, p += 3 * n) {
      hn::Vec<decltype(d8)> blue8, green8, red8;
      hn::LoadInterleaved3(d8, p, blue8, green8, red8);
      auto B = hn::PromoteTo(d, blue8), G = hn::PromoteTo(d, green8), R = hn::PromoteTo(d, red8);
      if (saturate) {
        // entry (S, X) is the byte at S x 256 + X
        const auto row = hn::ShiftLeft<8>(hn::Add(hn::Add(B, G), R));
        B = hn::And(hn::GatherOffset(d, saturated, hn::Add(row, B)), lowByte);
        G = hn::And(hn::GatherOffset(d, saturated, hn::Add(row, G)), lowByte);
        R = hn::And(hn::GatherOffset(d, saturated, hn::Add(row, R)), lowByte);
        hn::StoreInterleaved3(hn::DemoteTo(d8, B), hn::DemoteTo(d8, G), hn::DemoteTo(d8, R), d8, p);
      }
      hn::StoreU(hn::DemoteTo(d16, hn::GatherIndex(d, g_lumaOfSumWide, hn::Add(hn::Add(B, G), R))), d16, y + c);
    }
  }
#else
  if (saturate)
    SaturateAndFillLuma<true>();
  else
    SaturateAndFillLuma<false>();
#endif
}

}  // namespace HWY_NAMESPACE
}  // namespace saturation
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace saturation {
HWY_EXPORT(SaturatePage);
}  // namespace saturation

void ApplySaturation() {
  using namespace saturation;
  BuildLumaTable();
  const bool saturate = g_Saturation != 0;
  if (saturate) BuildSaturationTable(g_SatValue);
  HWY_DYNAMIC_DISPATCH(SaturatePage)(saturate);
}
#endif  // HWY_ONCE
