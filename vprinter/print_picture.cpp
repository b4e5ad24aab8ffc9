// Rebuilding the print from the head data, and writing it as a PNG.

#include "vprinter/print_picture.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace {

// The head rows, their delays, cell offsets and the mirrored odd lines are
// the head-row table of base/printer_protocol.h.
constexpr size_t kWideBytes = kLeadInLineBytes;  // the blank lines that open a page
constexpr size_t kNarrowBytes = kLineBytes;      // every other line

// A head level as the brightness of its page channel: full is white paper.
uint8_t ToByte(int level, int full) {
  if (level <= 0) return 0;
  if (level >= full) return 255;
  return static_cast<uint8_t>(level * 255 / full);
}

}  // namespace

void ClearPrintLevels(int16_t* cmyLevels) {
  std::memset(cmyLevels, 0, sizeof(int16_t) * 3 * kPrintPlane);
}

void AddPrintLine(int lineIndex, const uint8_t* line, size_t bytes, int16_t* cmyLevels) {
  const bool odd = (lineIndex & 1) != 0;
  for (const HeadRow& row : kHeadRowTable) {
    const int column = lineIndex - row.delay;
    if (column < 0 || column >= kPrintColumns) continue;
    int16_t* plane = cmyLevels + row.dye * kPrintPlane;
    for (int i = 0; i < kPrintRows; ++i) {
      const int cell = odd ? kMirrorCell - (i + row.offset) : i + row.offset;
      const size_t at = size_t(cell) * kCellBytes + size_t(row.byte);
      if (at >= bytes) continue;
      plane[i * kPrintColumns + column] = static_cast<int16_t>(plane[i * kPrintColumns + column] + line[at]);
    }
  }
}

bool RebuildPrintLevels(const uint8_t* lines, size_t bytes, int16_t* cmyLevels) {
  ClearPrintLevels(cmyLevels);
  constexpr size_t kLeadIn = kLeadInLines * kWideBytes;
  if (bytes < kLeadIn || (bytes - kLeadIn) % kNarrowBytes != 0) return false;
  size_t at = 0;
  int index = 0;
  while (at < bytes) {
    const size_t len = index < kLeadInLines ? kWideBytes : kNarrowBytes;
    AddPrintLine(index, lines + at, len, cmyLevels);
    at += len;
    ++index;
  }
  return true;
}

void PrintLevelsToRgb(const int16_t* cmyLevels, uint8_t* rgb) {
  const int16_t* cyan = cmyLevels + kPrintCyan * kPrintPlane;
  const int16_t* magenta = cmyLevels + kPrintMagenta * kPrintPlane;
  const int16_t* yellow = cmyLevels + kPrintYellow * kPrintPlane;
  for (int p = 0; p < kPrintPlane; ++p) {
    rgb[3 * p] = ToByte(cyan[p], kPrintFullCyan);
    rgb[3 * p + 1] = ToByte(magenta[p], kPrintFullMagenta);
    rgb[3 * p + 2] = ToByte(yellow[p], kPrintFullYellow);
  }
}

bool WritePngRgb(const char* path, int width, int height, const uint8_t* rgb) {
  if (width <= 0 || height <= 0) return false;
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  // libpng reports write errors by longjmp; nothing with a destructor lives
  // in this frame between here and the end.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, const_cast<png_bytep>(rgb + size_t(y) * size_t(width) * 3));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}
