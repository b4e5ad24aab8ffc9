// Writes bitmap files for tests: a 14-byte file header, a 40-byte information
// header and the pixel rows from byte 54. Rows are stored in the order the
// page loader reads them: the first stored row is the top row of the picture,
// unless `bottomRowFirst` asks for the usual on-disk order (the colour-match
// table, a test bitmap as a paint program saves it).
//
// Header-only; the result is a byte vector, so a test can patch a field or cut
// the file short before writing it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace vyrtest {

struct Bgr {
  uint8_t b = 0, g = 0, r = 0;
};

struct BmpLayout {
  int32_t width = 0;           // written as is; a width <= 0 stores no pixels
  int32_t height = 0;          // written as is; |height| rows are stored
  uint16_t bitsPerPixel = 24;  // 8, 24 or 32 (8-bit pixels store the green byte)
  uint32_t compression = 0;
  bool bottomRowFirst = false;
};

// Pixel at picture row `row` (0 = top) and column `col`.
using BmpPixelFn = std::function<Bgr(int row, int col)>;

inline void BmpPut16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
  v[at] = static_cast<uint8_t>(x);
  v[at + 1] = static_cast<uint8_t>(x >> 8);
}

inline void BmpPut32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

// Stored bytes per row: the pixel bytes rounded up to a multiple of 4.
inline size_t BmpRowSize(int32_t width, uint16_t bitsPerPixel) {
  if (width <= 0) return 0;
  const size_t bytes = (static_cast<size_t>(width) * bitsPerPixel + 7) / 8;
  return (bytes + 3) / 4 * 4;
}

inline std::vector<uint8_t> BmpBytes(const BmpLayout& layout, const BmpPixelFn& pixel) {
  const size_t rowSize = BmpRowSize(layout.width, layout.bitsPerPixel);
  const int rows = layout.height < 0 ? -layout.height : layout.height;
  const int cols = layout.width > 0 ? layout.width : 0;
  std::vector<uint8_t> out(54 + rowSize * static_cast<size_t>(rows), 0);
  out[0] = 'B';
  out[1] = 'M';
  BmpPut32(out, 2, static_cast<uint32_t>(out.size()));
  BmpPut32(out, 10, 54);
  BmpPut32(out, 14, 40);
  BmpPut32(out, 18, static_cast<uint32_t>(layout.width));
  BmpPut32(out, 22, static_cast<uint32_t>(layout.height));
  BmpPut16(out, 26, 1);
  BmpPut16(out, 28, layout.bitsPerPixel);
  BmpPut32(out, 30, layout.compression);
  BmpPut32(out, 34, static_cast<uint32_t>(rowSize * static_cast<size_t>(rows)));
  BmpPut32(out, 38, 2835);  // 72 dots per inch
  BmpPut32(out, 42, 2835);
  const size_t pixelBytes = layout.bitsPerPixel / 8;
  for (int s = 0; s < rows; ++s) {
    const int row = layout.bottomRowFirst ? rows - 1 - s : s;
    uint8_t* dst = out.data() + 54 + rowSize * static_cast<size_t>(s);
    for (int c = 0; c < cols; ++c) {
      const Bgr p = pixel(row, c);
      uint8_t* px = dst + pixelBytes * static_cast<size_t>(c);
      if (pixelBytes == 1) {
        px[0] = p.g;
      } else if (pixelBytes >= 3) {
        px[0] = p.b;
        px[1] = p.g;
        px[2] = p.r;
      }
    }
  }
  return out;
}

inline bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

inline bool WriteBmp(const std::string& path, const BmpLayout& layout, const BmpPixelFn& pixel) {
  return WriteFileBytes(path, BmpBytes(layout, pixel));
}

}  // namespace vyrtest
