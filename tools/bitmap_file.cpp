#include "tools/bitmap_file.h"

#include <cstddef>

namespace {

void Put16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
  v[at] = static_cast<uint8_t>(x);
  v[at + 1] = static_cast<uint8_t>(x >> 8);
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + static_cast<size_t>(i)] = static_cast<uint8_t>(x >> (8 * i));
}

}  // namespace

std::vector<uint8_t> BitmapFileBytes(int width, int height, bool topRowFirst, const std::vector<BitmapPixel>& pixels) {
  size_t rowSize = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> out(54 + rowSize * static_cast<size_t>(height), 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(out.size()));
  Put32(out, 10, 54);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<uint32_t>(width));
  Put32(out, 22, static_cast<uint32_t>(height));
  Put16(out, 26, 1);
  Put16(out, 28, 24);
  Put32(out, 34, static_cast<uint32_t>(rowSize * static_cast<size_t>(height)));
  Put32(out, 38, 2835);  // 72 dots per inch
  Put32(out, 42, 2835);
  for (int stored = 0; stored < height; ++stored) {
    int row = topRowFirst ? stored : height - 1 - stored;
    uint8_t* dst = out.data() + 54 + rowSize * static_cast<size_t>(stored);
    for (int c = 0; c < width; ++c) {
      const BitmapPixel& p = pixels[static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(c)];
      dst[3 * c] = p.b;
      dst[3 * c + 1] = p.g;
      dst[3 * c + 2] = p.r;
    }
  }
  return out;
}
