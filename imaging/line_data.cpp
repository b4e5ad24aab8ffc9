// Head data of one printed line. The head has eleven rows of elements, each
// one byte of every 16-byte cell of the line (the head-row table of
// base/printer_protocol.h). A head row prints one dye and lies a fixed number of lines
// behind the first row (its delay), so it takes its values from the page
// column a - delay, with page row i at cell i + offset. A dye's 10-bit level
// is split over that dye's rows as 8-bit values by complementary roundings:
// cyan's and magenta's four values add up to the level; yellow has three rows.
// Odd lines go into the second slot of the line buffer in reverse cell order,
// the head printing them backwards.
#include "imaging/line_data.h"

#include <cstdint>
#include <cstring>

#include "base/printer_protocol.h"
#include "imaging/page_buffers.h"

namespace {

// The rounding of each part of a level, in the order of HeadRow::part.
enum Rounding { kCeiling, kHalfUp, kTop, kFloor };

// Element slot of a dye's level in the head planes: yellow, magenta, cyan.
constexpr int DyeSlot(PrinterColour dye) { return kYellow - dye; }

constexpr int kMaxLevel = 1020;  // 255 x 4

// For each rounding, the byte of every level 0..1020. A level v = 4q + r
// gives q, plus one for r != 0 (ceiling), r >= 2 (half up), r = 3 (top).
struct RoundingTables {
  uint8_t byte[4][kMaxLevel + 1]{};
  constexpr RoundingTables() {
    for (int v = 0; v <= kMaxLevel; ++v) {
      const int q = v / 4, r = v % 4;
      byte[kCeiling][v] = static_cast<uint8_t>(q + (r != 0));
      byte[kHalfUp][v] = static_cast<uint8_t>(q + (r >= 2));
      byte[kTop][v] = static_cast<uint8_t>(q + (r == 3));
      byte[kFloor][v] = static_cast<uint8_t>(q);
    }
  }
};
constexpr RoundingTables kRounding;

// Levels are expected in 0..1020; one outside is held there, so a level above
// 1020 sends 255 in every rounding instead of a byte wrapped to 0.
inline int HeldLevel(int16_t v) { return v < 0 ? 0 : (v > kMaxLevel ? kMaxLevel : v); }

}  // namespace

void PrepareLineData(int32_t a) {
  std::memset(g_lineBuffer, kBlankByte, sizeof g_lineBuffer);
  const bool odd = (a & 1) != 0;
  uint8_t* slot = g_lineBuffer + (odd ? kLineSlotBytes : 0);

  for (const HeadRow& row : kHeadRowTable) {
    // Each row prints page columns 0..639 on lines delay .. delay + 639.
    if (a < row.delay || a >= kPageColumns + row.delay) continue;
    const int column = a - row.delay;
    const uint8_t* toByte = kRounding.byte[row.part];
    const int16_t* level = g_headPlanes + column * 3 + DyeSlot(row.dye);
    if (!odd) {
      uint8_t* out = slot + row.offset * kCellBytes + row.byte;
      for (int i = 0; i < kPageRows; ++i, level += kPlaneStride, out += kCellBytes)
        *out = toByte[HeldLevel(*level)];
    } else {
      uint8_t* out = slot + (kMirrorCell - row.offset) * kCellBytes + row.byte;
      for (int i = 0; i < kPageRows; ++i, level += kPlaneStride, out -= kCellBytes)
        *out = toByte[HeldLevel(*level)];
    }
  }
}

int FillPageLine(int32_t a, uint8_t* out) {
  if (a < kLeadInLines) {
    std::memset(out, kBlankByte, kLeadInLineBytes);
    return kLeadInLineBytes;
  }
  if (a <= kLastDataLine) {
    PrepareLineData(a);
    std::memcpy(out, g_lineBuffer + (a % 2) * kLineSlotBytes, kLineBytes);
  } else {
    std::memset(out, kBlankByte, kLineBytes);
  }
  return kLineBytes;
}
