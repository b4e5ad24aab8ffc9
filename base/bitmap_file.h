// 24-bit bitmap files as the engine reads them: a 14-byte file header, a
// 40-byte information header and pixel rows from byte 54, each row blue,
// green, red per pixel, padded to a multiple of 4 bytes. The engine's page
// loader and colour match read the headers with DecodeBitmapHeader; the
// tools and the printer application write pages and tables with
// BitmapFileBytes.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kBitmapHeaderBytes = 54;  // file header + information header

// The header fields the engine looks at, with the byte each starts at.
struct BitmapHeader {
  uint32_t fileSize;      // byte 2: the whole file, in bytes
  uint32_t dataOffset;    // byte 10: where the pixel rows begin
  int32_t width;          // byte 18
  int32_t height;         // byte 22: negative when the top row is stored first
  uint16_t bitsPerPixel;  // byte 28
  uint32_t compression;   // byte 30: 0 for plain rows
};
constexpr int kBitmapFileSizeAt = 2;
constexpr int kBitmapDataOffsetAt = 10;

// `bytes` holds the kBitmapHeaderBytes of the headers.
BitmapHeader DecodeBitmapHeader(const uint8_t* bytes);

// Bytes of one stored row of `width` pixels: three a pixel, padded to 4.
constexpr int64_t BitmapRowBytes(int64_t width) { return (3 * width + 3) / 4 * 4; }

struct BitmapPixel {
  uint8_t b, g, r;
};

// `pixels` is the picture row by row from its top. `topRowFirst` stores the
// top row first (the order the page loader reads); otherwise the bottom row
// comes first, as bitmap files usually are.
std::vector<uint8_t> BitmapFileBytes(int width, int height, bool topRowFirst, const std::vector<BitmapPixel>& pixels);
