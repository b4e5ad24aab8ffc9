// The speckle filter: wears isolated values of the page's blue channel down by
// at most one level per step, toward their neighbours along four directions.
//
// The work grids carry a one-cell border of 0 around the page, so every inner
// cell has all eight neighbours and an edge pixel sees 0 beyond the page.
// Each pass below runs over the inner rows as one flat stretch of cells, which
// includes the left and right border cells between rows; those are put back
// to 0 after every pass so that the next pass again sees 0 there. The cells are
// handled in fixed blocks of 16 so that the compiler turns each block into a
// few byte-wise vector compares; on processors with AVX2, 32 at a time in
// explicit byte-wise compares.
#include "imaging/dot_filter.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "base/resource_ids.h"
#include "framework/afx.h"
#include "imaging/vector_paths.h"

#if VYR_AVX2_PASSES
#include <immintrin.h>
#endif

namespace {

constexpr ptrdiff_t kBlock = 16;

// v + 1 where the neighbour a is brighter, else v (never past 255: a > v).
inline uint8_t RaiseTowards(uint8_t v, uint8_t a) { return static_cast<uint8_t>(v + (a > v)); }

// v - 1 where a + 1 < v, that is where the neighbour is at least two darker.
// Written as a < v - 1 with the subtraction held at 0, so it stays in bytes:
// a neighbour of 255 never lowers anything.
inline uint8_t LowerTowards(uint8_t v, uint8_t a) {
  const uint8_t vm = static_cast<uint8_t>(v - (v != 0));
  return static_cast<uint8_t>(v - (a < vm));
}

// Pass B, raising: v + 1 where the value behind (b) is not darker (b + 1 > v)
// and the value ahead (f) is brighter.
inline uint8_t RaiseBetween(uint8_t v, uint8_t f, uint8_t b) {
  return static_cast<uint8_t>(v + ((b >= v) & (f > v)));
}

// Pass B, lowering: v - 1 where b + 1 < v and f < v.
inline uint8_t LowerBetween(uint8_t v, uint8_t f, uint8_t b) {
  const uint8_t vm = static_cast<uint8_t>(v - (v != 0));
  return static_cast<uint8_t>(v - ((b < vm) & (f < v)));
}

// Pass A: dst[p] = step(src[p], src[p + off]) for p in [0, n). Each block is
// copied into locals first, so the compiler knows the grids do not overlap
// within it and can compare all 16 bytes at once.
template <uint8_t (*Step)(uint8_t, uint8_t)>
void PassA(const uint8_t* src, uint8_t* dst, ptrdiff_t n, ptrdiff_t off) {
  ptrdiff_t p = 0;
  for (; p + kBlock <= n; p += kBlock) {
    uint8_t v[kBlock], a[kBlock], out[kBlock];
    std::memcpy(v, src + p, kBlock);
    std::memcpy(a, src + p + off, kBlock);
    for (ptrdiff_t j = 0; j < kBlock; ++j) out[j] = Step(v[j], a[j]);
    std::memcpy(dst + p, out, kBlock);
  }
  for (; p < n; ++p) dst[p] = Step(src[p], src[p + off]);
}

// Pass B: dst[p] = step(src[p], src[p + off], src[p - off]).
template <uint8_t (*Step)(uint8_t, uint8_t, uint8_t)>
void PassB(const uint8_t* src, uint8_t* dst, ptrdiff_t n, ptrdiff_t off) {
  ptrdiff_t p = 0;
  for (; p + kBlock <= n; p += kBlock) {
    uint8_t v[kBlock], f[kBlock], b[kBlock], out[kBlock];
    std::memcpy(v, src + p, kBlock);
    std::memcpy(f, src + p + off, kBlock);
    std::memcpy(b, src + p - off, kBlock);
    for (ptrdiff_t j = 0; j < kBlock; ++j) out[j] = Step(v[j], f[j], b[j]);
    std::memcpy(dst + p, out, kBlock);
  }
  for (; p < n; ++p) dst[p] = Step(src[p], src[p + off], src[p - off]);
}

// Puts the side border cells that lie inside the flat stretch back to 0.
void ClearSideBorders(uint8_t* grid, int width, int height) {
  const ptrdiff_t gw = width + 2;
  for (int y = 1; y <= height; ++y) {
    grid[y * gw] = 0;
    grid[y * gw + width + 1] = 0;
  }
}

// The blue bytes of a row of pixels into a row of grid cells and back, eight
// at a time so that each eight become one wide store or load.
void CopyBlueIn(const uint8_t* pixels, uint8_t* cells, int width) {
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    uint8_t eight[8];
    for (int j = 0; j < 8; ++j) eight[j] = pixels[3 * (x + j)];
    std::memcpy(cells + x, eight, 8);
  }
  for (; x < width; ++x) cells[x] = pixels[3 * x];
}

void CopyBlueOut(const uint8_t* cells, uint8_t* pixels, int width) {
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    uint8_t eight[8];
    std::memcpy(eight, cells + x, 8);
    for (int j = 0; j < 8; ++j) pixels[3 * (x + j)] = eight[j];
  }
  for (; x < width; ++x) pixels[3 * x] = cells[x];
}

#if VYR_AVX2_PASSES
#define VYR_WIDE __attribute__((target("avx2")))

// The four steps on 32 cells at once. For bytes, x > y exactly when the
// saturating difference x - y is not 0; a true test is a byte of all ones,
// that is -1, so v - test adds one and v + test takes one away.
struct WideRaiseTowards {
  VYR_WIDE static __m256i Step(__m256i v, __m256i a) { return _mm256_sub_epi8(v, Above(a, v)); }
  VYR_WIDE static __m256i Above(__m256i x, __m256i y) {
    return _mm256_xor_si256(_mm256_cmpeq_epi8(_mm256_subs_epu8(x, y), _mm256_setzero_si256()), _mm256_set1_epi8(-1));
  }
};

struct WideLowerTowards {
  VYR_WIDE static __m256i Step(__m256i v, __m256i a) {
    const __m256i vm = _mm256_subs_epu8(v, _mm256_set1_epi8(1));
    return _mm256_add_epi8(v, WideRaiseTowards::Above(vm, a));
  }
};

struct WideRaiseBetween {
  VYR_WIDE static __m256i Step(__m256i v, __m256i f, __m256i b) {
    const __m256i behindNotDarker = _mm256_cmpeq_epi8(_mm256_subs_epu8(v, b), _mm256_setzero_si256());
    return _mm256_sub_epi8(v, _mm256_and_si256(behindNotDarker, WideRaiseTowards::Above(f, v)));
  }
};

struct WideLowerBetween {
  VYR_WIDE static __m256i Step(__m256i v, __m256i f, __m256i b) {
    const __m256i vm = _mm256_subs_epu8(v, _mm256_set1_epi8(1));
    return _mm256_add_epi8(v, _mm256_and_si256(WideRaiseTowards::Above(vm, b), WideRaiseTowards::Above(v, f)));
  }
};

VYR_WIDE inline __m256i Load32(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

template <class Wide, uint8_t (*Step)(uint8_t, uint8_t)>
VYR_WIDE void PassAWide(const uint8_t* src, uint8_t* dst, ptrdiff_t n, ptrdiff_t off) {
  ptrdiff_t p = 0;
  for (; p + 32 <= n; p += 32)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + p), Wide::Step(Load32(src + p), Load32(src + p + off)));
  for (; p < n; ++p) dst[p] = Step(src[p], src[p + off]);
}

template <class Wide, uint8_t (*Step)(uint8_t, uint8_t, uint8_t)>
VYR_WIDE void PassBWide(const uint8_t* src, uint8_t* dst, ptrdiff_t n, ptrdiff_t off) {
  ptrdiff_t p = 0;
  for (; p + 32 <= n; p += 32)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + p),
                        Wide::Step(Load32(src + p), Load32(src + p + off), Load32(src + p - off)));
  for (; p < n; ++p) dst[p] = Step(src[p], src[p + off], src[p - off]);
}
#endif

}  // namespace

void SpeckleStep(int rowStep, int colStep, int sign, int width, int height, uint8_t* img,
                 uint8_t* tmp) {
  if (width <= 0 || height <= 0) return;
  const ptrdiff_t gw = width + 2;
  const ptrdiff_t first = gw + 1;                              // inner cell (1, 1)
  const ptrdiff_t n = static_cast<ptrdiff_t>(height - 1) * gw + width;  // up to (height, width)
  const ptrdiff_t off = rowStep * gw + colStep;
#if VYR_AVX2_PASSES
  if (WidePassesInUse()) {
    if (sign > 0) {
      PassAWide<WideRaiseTowards, RaiseTowards>(img + first, tmp + first, n, off);
      ClearSideBorders(tmp, width, height);
      PassBWide<WideRaiseBetween, RaiseBetween>(tmp + first, img + first, n, off);
    } else {
      PassAWide<WideLowerTowards, LowerTowards>(img + first, tmp + first, n, off);
      ClearSideBorders(tmp, width, height);
      PassBWide<WideLowerBetween, LowerBetween>(tmp + first, img + first, n, off);
    }
    ClearSideBorders(img, width, height);
    return;
  }
#endif
  if (sign > 0) {
    PassA<RaiseTowards>(img + first, tmp + first, n, off);
    ClearSideBorders(tmp, width, height);
    PassB<RaiseBetween>(tmp + first, img + first, n, off);
  } else {
    PassA<LowerTowards>(img + first, tmp + first, n, off);
    ClearSideBorders(tmp, width, height);
    PassB<LowerBetween>(tmp + first, img + first, n, off);
  }
  ClearSideBorders(img, width, height);
}

void RemoveSpeckle(int width, int height, uint8_t* page) {
  if (width <= 0 || height <= 0) return;
  const size_t gw = static_cast<size_t>(width) + 2;
  const size_t cells = gw * (static_cast<size_t>(height) + 2);
  uint8_t* img = static_cast<uint8_t*>(std::calloc(cells, 1));
  uint8_t* tmp = static_cast<uint8_t*>(std::calloc(cells, 1));
  if (!img || !tmp) {
    std::free(img);
    std::free(tmp);
    AfxMessageBox(IDS_OUT_OF_MEMORY);
    return;
  }
  const size_t stride = 3 * static_cast<size_t>(width) + 30;
  for (int y = 0; y < height; ++y) CopyBlueIn(page + y * stride, img + (y + 1) * gw + 1, width);

  static constexpr int kDirections[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  for (const auto& d : kDirections) {
    SpeckleStep(d[0], d[1], +1, width, height, img, tmp);
    SpeckleStep(-d[0], -d[1], +1, width, height, img, tmp);
    SpeckleStep(-d[0], -d[1], -1, width, height, img, tmp);
    SpeckleStep(d[0], d[1], -1, width, height, img, tmp);
  }

  for (int y = 0; y < height; ++y) CopyBlueOut(img + (y + 1) * gw + 1, page + y * stride, width);
  std::free(img);
  std::free(tmp);
}
