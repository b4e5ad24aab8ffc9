#include "base/bitmap_file.h"

#include <cstddef>

#include "base/little_endian.h"

BitmapHeader DecodeBitmapHeader(const uint8_t* bytes) {
  return BitmapHeader{
      .fileSize = LoadLe32(bytes + kBitmapFileSizeAt),
      .dataOffset = LoadLe32(bytes + kBitmapDataOffsetAt),
      .width = static_cast<int32_t>(LoadLe32(bytes + 18)),
      .height = static_cast<int32_t>(LoadLe32(bytes + 22)),
      .bitsPerPixel = LoadLe16(bytes + 28),
      .compression = LoadLe32(bytes + 30),
  };
}

std::vector<uint8_t> BitmapFileBytes(int width, int height, bool topRowFirst, const std::vector<BitmapPixel>& pixels) {
  const size_t rowSize = static_cast<size_t>(BitmapRowBytes(width));
  std::vector<uint8_t> out(kBitmapHeaderBytes + rowSize * static_cast<size_t>(height), 0);
  uint8_t* h = out.data();
  h[0] = 'B';
  h[1] = 'M';
  StoreLe32(h + kBitmapFileSizeAt, static_cast<uint32_t>(out.size()));
  StoreLe32(h + kBitmapDataOffsetAt, kBitmapHeaderBytes);
  StoreLe32(h + 14, 40);  // size of the information header
  StoreLe32(h + 18, static_cast<uint32_t>(width));
  StoreLe32(h + 22, static_cast<uint32_t>(height));
  StoreLe16(h + 26, 1);  // planes
  StoreLe16(h + 28, 24);
  StoreLe32(h + 34, static_cast<uint32_t>(rowSize * static_cast<size_t>(height)));
  StoreLe32(h + 38, 2835);  // 72 dots per inch
  StoreLe32(h + 42, 2835);
  for (int stored = 0; stored < height; ++stored) {
    int row = topRowFirst ? stored : height - 1 - stored;
    uint8_t* dst = out.data() + kBitmapHeaderBytes + rowSize * static_cast<size_t>(stored);
    for (int c = 0; c < width; ++c) {
      const BitmapPixel& p = pixels[static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(c)];
      dst[3 * c] = p.b;
      dst[3 * c + 1] = p.g;
      dst[3 * c + 2] = p.r;
    }
  }
  return out;
}
