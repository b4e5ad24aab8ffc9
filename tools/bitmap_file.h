// 24-bit bitmap files as the engine reads them: a 14-byte file header, a
// 40-byte information header and pixel rows from byte 54, each row blue,
// green, red per pixel, padded to a multiple of 4 bytes.
#pragma once

#include <cstdint>
#include <vector>

struct BitmapPixel {
  uint8_t b, g, r;
};

// `pixels` is the picture row by row from its top. `topRowFirst` stores the
// top row first (the order the page loader reads); otherwise the bottom row
// comes first, as bitmap files usually are.
std::vector<uint8_t> BitmapFileBytes(int width, int height, bool topRowFirst, const std::vector<BitmapPixel>& pixels);
