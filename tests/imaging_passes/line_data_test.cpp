// Head data of the printed lines.
#include <array>
#include <vector>

#include "imaging_passes/pass_fixture.h"

namespace passtest {
namespace {

using LineData = PassTest;

struct Row {
  int byte, slot, delay, offset;  // slot: 0 yellow, 1 magenta, 2 cyan
};
// The eleven head rows: cyan ceiling/half/top/floor, magenta likewise, yellow
// ceiling/half/top.
const Row kCyanRows[4] = {{8, 2, 0, 43}, {12, 2, 19, 13}, {5, 2, 29, 62}, {0, 2, 38, 79}};
const Row kMagentaRows[4] = {{15, 1, 10, 28}, {14, 1, 19, 77}, {13, 1, 29, 30}, {11, 1, 38, 47}};
const Row kYellowRows[3] = {{1, 0, 10, 60}, {2, 0, 19, 45}, {3, 0, 38, 15}};

uint8_t ByteAt(int line, int cell, int byte) {
  return g_lineBuffer[(line % 2) * kLineSlotBytes + cell * 16 + byte];
}
int CellOf(int line, int pageRow, const Row& row) {
  const int s = pageRow + row.offset;
  return line % 2 == 0 ? s : 571 - s;
}
void FillPlanes(int16_t level) {
  for (size_t i = 0; i < sizeof g_headPlanes / 2; ++i) g_headPlanes[i] = level;
}

TEST_F(LineData, RoundingsOfOneLevel) {
  struct Case {
    int level;
    std::array<int, 4> bytes;  // ceiling, half up, top, floor
  };
  const Case cases[] = {{1019, {255, 255, 255, 254}}, {1020, {255, 255, 255, 255}}, {0, {0, 0, 0, 0}},
                        {5, {2, 1, 1, 1}},              {6, {2, 2, 1, 1}},              {7, {2, 2, 2, 1}},
                        {8, {2, 2, 2, 2}}};
  for (const Case& c : cases) {
    FillPlanes(int16_t(c.level));
    for (int line : {100, 101}) {
      PrepareLineData(line);
      for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(ByteAt(line, CellOf(line, 7, kCyanRows[k]), kCyanRows[k].byte), c.bytes[k])
            << "cyan level " << c.level << " rounding " << k;
        EXPECT_EQ(ByteAt(line, CellOf(line, 7, kMagentaRows[k]), kMagentaRows[k].byte), c.bytes[k])
            << "magenta level " << c.level << " rounding " << k;
      }
      // yellow: ceiling, half up, top
      for (int k = 0; k < 3; ++k)
        EXPECT_EQ(ByteAt(line, CellOf(line, 7, kYellowRows[k]), kYellowRows[k].byte), c.bytes[k])
            << "yellow level " << c.level;
    }
  }
}

// Levels outside 0..1020 send the nearest byte of the scale, never a wrapped one.
TEST_F(LineData, LevelsOutsideTheScaleAreHeld) {
  for (int level : {1021, 1022, 1023, 2000, 32767}) {
    FillPlanes(int16_t(level));
    PrepareLineData(200);
    for (const Row& r : kCyanRows) EXPECT_EQ(ByteAt(200, CellOf(200, 0, r), r.byte), 255) << level;
    for (const Row& r : kYellowRows) EXPECT_EQ(ByteAt(200, CellOf(200, 479, r), r.byte), 255) << level;
  }
  FillPlanes(-4);
  PrepareLineData(200);
  for (const Row& r : kMagentaRows) EXPECT_EQ(ByteAt(200, CellOf(200, 3, r), r.byte), 0);
}

// Distinct levels per page row and column, so a byte tells where it came from.
int16_t Level(int row, int col, int slot) { return int16_t((row * 7 + col * 13 + slot * 101) % 1021); }
void DistinctPlanes() {
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns; ++c)
      for (int k = 0; k < 3; ++k) g_headPlanes[r * kPlaneStride + c * 3 + k] = Level(r, c, k);
}
int Floor4(int v) { return v / 4; }
int Ceil4(int v) { return (v + 3) / 4; }

TEST_F(LineData, FirstLinesCarryOnlyTheRowsAlreadyOverThePage) {
  DistinctPlanes();
  PrepareLineData(2);
  // Only the delay-0 cyan row, from page column 2; everything else is 0xFF.
  int dataBytes = 0;
  for (int i = 0; i < 2 * kLineSlotBytes; ++i) {
    const int cell = (i % kLineSlotBytes) / 16, byte = i % 16;
    if (i < kLineSlotBytes && byte == 8 && cell >= 43 && cell < 43 + 480) {
      ASSERT_EQ(g_lineBuffer[i], Ceil4(Level(cell - 43, 2, 2))) << cell;
      ++dataBytes;
    } else {
      ASSERT_EQ(g_lineBuffer[i], 0xFF) << i;
    }
  }
  EXPECT_EQ(dataBytes, 480);

  PrepareLineData(10);
  for (int i = 0; i < kPageRows; i += 53) {
    EXPECT_EQ(ByteAt(10, i + 43, 8), Ceil4(Level(i, 10, 2)));
    EXPECT_EQ(ByteAt(10, i + 60, 1), Ceil4(Level(i, 0, 0)));
    EXPECT_EQ(ByteAt(10, i + 28, 15), Ceil4(Level(i, 0, 1)));
    EXPECT_EQ(ByteAt(10, i + 77, 14), 0xFF);  // delay 19: not yet
  }
}

TEST_F(LineData, LastLinesAreBlank) {
  DistinctPlanes();
  for (int line = 678; line <= 692; ++line) {
    PrepareLineData(line);
    for (int i = 0; i < 2 * kLineSlotBytes; ++i) ASSERT_EQ(g_lineBuffer[i], 0xFF) << line << " " << i;
  }
  // Line 677 still carries the last column under the delay-38 rows.
  PrepareLineData(677);
  EXPECT_EQ(ByteAt(677, CellOf(677, 0, kCyanRows[3]), 0), Floor4(Level(0, 639, 2)));
}

TEST_F(LineData, OddLinesRunBackwards) {
  DistinctPlanes();
  PrepareLineData(11);
  EXPECT_EQ(ByteAt(11, 528, 8), Ceil4(Level(0, 11, 2)));
  EXPECT_EQ(ByteAt(11, 49, 8), Ceil4(Level(479, 11, 2)));
  // Slot 0 is untouched by an odd line.
  for (int i = 0; i < kLineSlotBytes; ++i) ASSERT_EQ(g_lineBuffer[i], 0xFF);
  PrepareLineData(12);
  EXPECT_EQ(ByteAt(12, 43, 8), Ceil4(Level(0, 12, 2)));
  EXPECT_EQ(ByteAt(12, 522, 8), Ceil4(Level(479, 12, 2)));
  for (int i = kLineSlotBytes; i < 2 * kLineSlotBytes; ++i) ASSERT_EQ(g_lineBuffer[i], 0xFF);
}

// Over a whole page every pixel's level reaches the paper in full: its four
// cyan bytes and its four magenta bytes add up to the level, and its three
// yellow bytes to the level less the floor quarter that yellow has no row for.
// Bytes 4, 6, 7, 9 and 10 of a cell and the cells past 603 are never written.
TEST_F(LineData, EveryLevelIsSplitOverItsRows) {
  RandomPlanes(40);
  std::vector<int> sum(3 * kPageRows * kPageColumns, 0);
  const Row* rows[3] = {kYellowRows, kMagentaRows, kCyanRows};
  const int rowCount[3] = {3, 4, 4};
  for (int line = 0; line <= 692; ++line) {
    PrepareLineData(line);
    for (int slot = 0; slot < 3; ++slot)
      for (int k = 0; k < rowCount[slot]; ++k) {
        const Row& r = rows[slot][k];
        const int col = line - r.delay;
        if (col < 0 || col >= kPageColumns) continue;
        for (int i = 0; i < kPageRows; ++i) sum[(i * kPageColumns + col) * 3 + slot] += ByteAt(line, CellOf(line, i, r), r.byte);
      }
    for (int cell = 0; cell < kLineCells; ++cell)
      for (int b : {4, 6, 7, 9, 10}) ASSERT_EQ(ByteAt(line, cell, b), 0xFF);
    for (int cell = 604; cell < kLineCells; ++cell)
      for (int b = 0; b < 16; ++b) ASSERT_EQ(ByteAt(line, cell, b), 0xFF);
  }
  for (int i = 0; i < kPageRows; ++i)
    for (int c = 0; c < kPageColumns; ++c) {
      const int16_t* e = g_headPlanes + i * kPlaneStride + c * 3;
      const int* s = &sum[(i * kPageColumns + c) * 3];
      ASSERT_EQ(s[2], e[2]) << "cyan " << i << "," << c;
      ASSERT_EQ(s[1], e[1]) << "magenta " << i << "," << c;
      ASSERT_EQ(s[0], e[0] - e[0] / 4) << "yellow " << i << "," << c;
    }
}

}  // namespace
}  // namespace passtest
