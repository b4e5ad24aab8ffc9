// The speckle filter: wears isolated values of the page's blue channel down by
// at most one level per step, toward their neighbours along four directions.
//
// The work grids carry a one-cell border of 0 around the page, so every inner
// cell has all eight neighbours and an edge pixel sees 0 beyond the page.
// Each pass below runs over the inner rows as one flat stretch of cells, which
// includes the left and right border cells between rows; those are put back
// to 0 after every pass so that the next pass again sees 0 there. The cells
// are compared as many bytes at a time as the processor's registers hold: one
// source for every instruction set (see imaging/vector_targets.h).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "imaging/dot_filter.cpp"
#include <hwy/foreach_target.h>  // must come before highway.h
#include <hwy/highway.h>

#ifndef VYR_DOT_FILTER_ONCE
#define VYR_DOT_FILTER_ONCE

#include "imaging/dot_filter.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "base/resource_ids.h"
#include "framework/afx.h"

namespace dot_filter {

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

}  // namespace dot_filter

#endif  // VYR_DOT_FILTER_ONCE

HWY_BEFORE_NAMESPACE();
namespace dot_filter {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;
using D = hn::ScalableTag<uint8_t>;
using V = hn::Vec<D>;

// The four steps on a vector of cells; a true test adds or takes away one.
struct RaiseTowardsLanes {
  static V Step(V v, V a) { return hn::Add(v, hn::IfThenElseZero(hn::Gt(a, v), hn::Set(D(), 1))); }
};
struct LowerTowardsLanes {
  static V Step(V v, V a) {
    const V vm = hn::SaturatedSub(v, hn::Set(D(), 1));
    return hn::Sub(v, hn::IfThenElseZero(hn::Lt(a, vm), hn::Set(D(), 1)));
  }
};
struct RaiseBetweenLanes {
  static V Step(V v, V f, V b) {
    return hn::Add(v, hn::IfThenElseZero(hn::AndNot(hn::Lt(b, v), hn::Gt(f, v)), hn::Set(D(), 1)));
  }
};
struct LowerBetweenLanes {
  static V Step(V v, V f, V b) {
    const V vm = hn::SaturatedSub(v, hn::Set(D(), 1));
    return hn::Sub(v, hn::IfThenElseZero(hn::And(hn::Lt(b, vm), hn::Lt(f, v)), hn::Set(D(), 1)));
  }
};

// Pass A: dst[p] = step(src[p], src[p + off]) for p in [0, n); the cells
// past the last whole vector one at a time.
template <class Lanes, uint8_t (*Step)(uint8_t, uint8_t)>
void PassA(const uint8_t* src, uint8_t* dst, ptrdiff_t n, ptrdiff_t off) {
  const D d;
  const ptrdiff_t lanes = ptrdiff_t(hn::Lanes(d));
  ptrdiff_t p = 0;
  for (; p + lanes <= n; p += lanes) hn::StoreU(Lanes::Step(hn::LoadU(d, src + p), hn::LoadU(d, src + p + off)), d, dst + p);
  for (; p < n; ++p) dst[p] = Step(src[p], src[p + off]);
}

// Pass B: dst[p] = step(src[p], src[p + off], src[p - off]).
template <class Lanes, uint8_t (*Step)(uint8_t, uint8_t, uint8_t)>
void PassB(const uint8_t* src, uint8_t* dst, ptrdiff_t n, ptrdiff_t off) {
  const D d;
  const ptrdiff_t lanes = ptrdiff_t(hn::Lanes(d));
  ptrdiff_t p = 0;
  for (; p + lanes <= n; p += lanes)
    hn::StoreU(Lanes::Step(hn::LoadU(d, src + p), hn::LoadU(d, src + p + off), hn::LoadU(d, src + p - off)), d,
               dst + p);
  for (; p < n; ++p) dst[p] = Step(src[p], src[p + off], src[p - off]);
}

// Both passes of one step over the flat stretch from `first` on.
void StepGrids(int sign, int width, int height, uint8_t* img, uint8_t* tmp, ptrdiff_t first, ptrdiff_t n,
               ptrdiff_t off) {
  if (sign > 0) {
    PassA<RaiseTowardsLanes, RaiseTowards>(img + first, tmp + first, n, off);
    ClearSideBorders(tmp, width, height);
    PassB<RaiseBetweenLanes, RaiseBetween>(tmp + first, img + first, n, off);
  } else {
    PassA<LowerTowardsLanes, LowerTowards>(img + first, tmp + first, n, off);
    ClearSideBorders(tmp, width, height);
    PassB<LowerBetweenLanes, LowerBetween>(tmp + first, img + first, n, off);
  }
  ClearSideBorders(img, width, height);
}

}  // namespace HWY_NAMESPACE
}  // namespace dot_filter
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace dot_filter {
HWY_EXPORT(StepGrids);
}  // namespace dot_filter

void SpeckleStep(int rowStep, int colStep, int sign, int width, int height, uint8_t* img,
                 uint8_t* tmp) {
  if (width <= 0 || height <= 0) return;
  const ptrdiff_t gw = width + 2;
  const ptrdiff_t first = gw + 1;                              // inner cell (1, 1)
  const ptrdiff_t n = static_cast<ptrdiff_t>(height - 1) * gw + width;  // up to (height, width)
  const ptrdiff_t off = rowStep * gw + colStep;
  HWY_DYNAMIC_DISPATCH(dot_filter::StepGrids)(sign, width, height, img, tmp, first, n, off);
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
  using namespace dot_filter;
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
#endif  // HWY_ONCE
