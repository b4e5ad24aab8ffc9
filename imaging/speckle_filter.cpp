// The speckle filter: wears isolated values of the page's blue channel down by
// at most one level per step, toward their neighbours along four directions.
//
// The work grids carry a one-cell border of 0 around the page, so every inner
// cell has all eight neighbours and an edge pixel sees 0 beyond the page.
// Each pass below runs over the inner rows as one flat stretch of cells, which
// includes the left and right border cells between rows; those are put back
// to 0 after every pass so that the next pass again sees 0 there. The cells are
// handled in fixed blocks of 16 so that the compiler turns each block into a
// few byte-wise vector compares.
#include "imaging/speckle_filter.h"

#include <cstddef>
#include <cstdlib>

#include "framework/afx.h"

namespace {

constexpr ptrdiff_t kBlock = 16;

// v + 1 where the neighbour a is brighter, else v (never past 255: a > v).
inline uint8_t RaiseTowards(uint8_t v, uint8_t a) { return static_cast<uint8_t>(v + (a > v ? 1 : 0)); }

// v - 1 where a + 1 < v, that is where the neighbour is at least two darker.
// Written as a < v - 1 with the subtraction held at 0, so it stays in bytes:
// a neighbour of 255 never lowers anything.
inline uint8_t LowerTowards(uint8_t v, uint8_t a) {
  const uint8_t vm = static_cast<uint8_t>(v > 0 ? v - 1 : 0);
  return static_cast<uint8_t>(v - (a < vm ? 1 : 0));
}

// Pass A: dst[p] from src[p] and src[p + off] for p in [0, n).
void PassA(const uint8_t* src, uint8_t* dst, ptrdiff_t n, ptrdiff_t off, int sign) {
  ptrdiff_t p = 0;
  if (sign > 0) {
    for (; p + kBlock <= n; p += kBlock)
      for (ptrdiff_t j = 0; j < kBlock; ++j) dst[p + j] = RaiseTowards(src[p + j], src[p + j + off]);
    for (; p < n; ++p) dst[p] = RaiseTowards(src[p], src[p + off]);
  } else {
    for (; p + kBlock <= n; p += kBlock)
      for (ptrdiff_t j = 0; j < kBlock; ++j) dst[p + j] = LowerTowards(src[p + j], src[p + j + off]);
    for (; p < n; ++p) dst[p] = LowerTowards(src[p], src[p + off]);
  }
}

// Pass B, raising: v + 1 where the value behind (b) is not darker (b + 1 > v)
// and the value ahead (f) is brighter.
inline uint8_t RaiseBetween(uint8_t v, uint8_t f, uint8_t b) {
  return static_cast<uint8_t>(v + ((b >= v) & (f > v) ? 1 : 0));
}

// Pass B, lowering: v - 1 where b + 1 < v and f < v.
inline uint8_t LowerBetween(uint8_t v, uint8_t f, uint8_t b) {
  const uint8_t vm = static_cast<uint8_t>(v > 0 ? v - 1 : 0);
  return static_cast<uint8_t>(v - ((b < vm) & (f < v) ? 1 : 0));
}

void PassB(const uint8_t* src, uint8_t* dst, ptrdiff_t n, ptrdiff_t off, int sign) {
  ptrdiff_t p = 0;
  if (sign > 0) {
    for (; p + kBlock <= n; p += kBlock)
      for (ptrdiff_t j = 0; j < kBlock; ++j)
        dst[p + j] = RaiseBetween(src[p + j], src[p + j + off], src[p + j - off]);
    for (; p < n; ++p) dst[p] = RaiseBetween(src[p], src[p + off], src[p - off]);
  } else {
    for (; p + kBlock <= n; p += kBlock)
      for (ptrdiff_t j = 0; j < kBlock; ++j)
        dst[p + j] = LowerBetween(src[p + j], src[p + j + off], src[p + j - off]);
    for (; p < n; ++p) dst[p] = LowerBetween(src[p], src[p + off], src[p - off]);
  }
}

// Puts the side border cells that lie inside the flat stretch back to 0.
void ClearSideBorders(uint8_t* grid, int width, int height) {
  const ptrdiff_t gw = width + 2;
  for (int y = 1; y <= height; ++y) {
    grid[y * gw] = 0;
    grid[y * gw + width + 1] = 0;
  }
}

}  // namespace

void SpeckleStep(int rowStep, int colStep, int sign, int width, int height, uint8_t* img,
                 uint8_t* tmp) {
  if (width <= 0 || height <= 0) return;
  const ptrdiff_t gw = width + 2;
  const ptrdiff_t first = gw + 1;                              // inner cell (1, 1)
  const ptrdiff_t n = static_cast<ptrdiff_t>(height - 1) * gw + width;  // up to (height, width)
  const ptrdiff_t off = rowStep * gw + colStep;
  PassA(img + first, tmp + first, n, off, sign);
  ClearSideBorders(tmp, width, height);
  PassB(tmp + first, img + first, n, off, sign);
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
    AfxMessageBox(2016);
    return;
  }
  const size_t stride = 3 * static_cast<size_t>(width) + 30;
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = page + y * stride;
    uint8_t* dst = img + (y + 1) * gw + 1;
    for (int x = 0; x < width; ++x) dst[x] = src[3 * x];
  }

  static constexpr int kDirections[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  for (const auto& d : kDirections) {
    SpeckleStep(d[0], d[1], +1, width, height, img, tmp);
    SpeckleStep(-d[0], -d[1], +1, width, height, img, tmp);
    SpeckleStep(-d[0], -d[1], -1, width, height, img, tmp);
    SpeckleStep(d[0], d[1], -1, width, height, img, tmp);
  }

  for (int y = 0; y < height; ++y) {
    uint8_t* dst = page + y * stride;
    const uint8_t* src = img + (y + 1) * gw + 1;
    for (int x = 0; x < width; ++x) dst[3 * x] = src[x];
  }
  std::free(img);
  std::free(tmp);
}
