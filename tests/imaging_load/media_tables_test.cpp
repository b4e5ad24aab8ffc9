// The media table file, the rank letters and the tone tables built from them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "imaging/media_tables.h"
#include "load_fixture.h"

using ::testing::ElementsAre;

namespace {

// A media table file whose values tell their row: sensitivity 1 + row / 100
// per column c (+ c / 1000), levels 300 + row (level at 32) and 700 + 2 row
// (level at 224), plus 1000 x plane.
std::vector<uint8_t> MediaFile(size_t size) {
  std::vector<uint8_t> bytes(size < 720 ? 720 : size, 0xAB);
  for (int c = 0; c < 3; ++c)
    for (int row = 0; row < kMediaRows; ++row) {
      const float f = 1.0f + row / 100.0f + c / 1000.0f;
      uint32_t bits;
      std::memcpy(&bits, &f, 4);
      for (int i = 0; i < 4; ++i) bytes[(c * 30 + row) * 4 + i] = static_cast<uint8_t>(bits >> (8 * i));
    }
  for (int c = 0; c < 6; ++c)
    for (int row = 0; row < kMediaRows; ++row) {
      const int plane = c / 2;
      const uint16_t v = static_cast<uint16_t>((c % 2 == 0 ? 300 + row : 700 + 2 * row) + 1000 * plane);
      bytes[360 + (c * 30 + row) * 2] = static_cast<uint8_t>(v);
      bytes[360 + (c * 30 + row) * 2 + 1] = static_cast<uint8_t>(v >> 8);
    }
  bytes.resize(size);
  return bytes;
}

void ExpectWorkedExample(int plane) {
  const int16_t* t = g_mediaToneTables[plane];
  SCOPED_TRACE(plane);
  // Nodes 2, 9, 33, 57, 63 and the anchors.
  EXPECT_EQ(t[8], 236);
  EXPECT_EQ(t[36], 314);
  EXPECT_EQ(t[132], 211);
  EXPECT_EQ(t[228], 754);
  EXPECT_EQ(t[252], 970);
  EXPECT_EQ(t[4], 224);
  EXPECT_EQ(t[32], 320);
  EXPECT_EQ(t[128], 200);
  EXPECT_EQ(t[224], 720);
  EXPECT_EQ(t[240], 864);
  EXPECT_THAT(std::vector<int16_t>(t, t + 6), ElementsAre(0, 56, 112, 168, 224, 227));
  EXPECT_EQ(t[33], 319);
  EXPECT_EQ(t[255], 997);
  EXPECT_EQ(t[256], 1008);
}

}  // namespace

TEST_F(LoadTest, MissingOrShortMediaTableGivesTheDefaults) {
  LoadMediaTable();
  EXPECT_THAT(Messages(), ElementsAre(2014u));
  BuildMediaToneTables();
  for (int plane = 0; plane < 3; ++plane) {
    ExpectWorkedExample(plane);
    EXPECT_EQ(g_mediaSensitivity[plane], 1.0f);
  }

  // 719 bytes: message 2013 and the defaults, not the part that was read.
  ui_.Clear();
  ASSERT_TRUE(vyrtest::WriteFileBytes(SystemPath("media.rtb"), MediaFile(719)));
  LoadMediaTable();
  EXPECT_THAT(Messages(), ElementsAre(2013u));
  for (int row = 0; row < kMediaRows; ++row) {
    EXPECT_EQ(g_mediaTable.sensitivity[0][row], 1.0f);
    EXPECT_EQ(g_mediaTable.level[0][row], 320);
    EXPECT_EQ(g_mediaTable.level[5][row], 720);
  }
  BuildMediaToneTables();
  ExpectWorkedExample(0);
}

TEST_F(LoadTest, RankLettersPickRowsOfTheTable) {
  ASSERT_TRUE(vyrtest::WriteFileBytes(SystemPath("media.rtb"), MediaFile(1000)));
  LoadMediaTable();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(g_mediaTable.level[1][29], 758);
  EXPECT_EQ(g_mediaTable.sensitivity[2][0], 1.002f);

  // Defaults: rows G (6) and D (3).
  BuildMediaToneTables();
  EXPECT_EQ(g_mediaSensitivity[0], 1.0f + 6 / 100.0f + 0 / 1000.0f);
  EXPECT_EQ(g_mediaSensitivity[2], 1.0f + 6 / 100.0f + 2 / 1000.0f);
  EXPECT_EQ(g_mediaToneTables[0][32], 303);  // T32 at page value 32
  EXPECT_EQ(g_mediaToneTables[0][224], 706);

  // Lower case picks the capital's row; '^' is the last row.
  g_sensM = 'b';
  g_TDTC = 'k';
  g_TDBC = '^';
  BuildMediaToneTables();
  EXPECT_EQ(g_mediaSensitivity[1], 1.0f + 1 / 100.0f + 1 / 1000.0f);
  EXPECT_EQ(g_mediaToneTables[0][32], 310);
  EXPECT_EQ(g_mediaToneTables[0][224], 758);

  // Letters outside 'A'..'^' fall back to G and D instead of reading past the
  // table.
  g_sensM = '_';
  g_TDTC = '@';
  g_TDBC = 0;
  g_TDTM = static_cast<char>(0xC4);
  BuildMediaToneTables();
  EXPECT_EQ(g_mediaSensitivity[1], 1.0f + 6 / 100.0f + 1 / 1000.0f);
  EXPECT_EQ(g_mediaToneTables[0][32], 303);
  EXPECT_EQ(g_mediaToneTables[0][224], 706);
  EXPECT_EQ(g_mediaToneTables[1][32], 1019);  // 1303, above the limit
  EXPECT_EQ(MediaRankRow('a', 'G'), 0);
  EXPECT_EQ(MediaRankRow('^', 'G'), 29);
  EXPECT_EQ(MediaRankRow('`', 'G'), 6);
  EXPECT_EQ(MediaRankRow('z', 'D'), 25);
  EXPECT_EQ(MediaRankRow('{', 'D'), 3);
}

TEST_F(LoadTest, LimitFlattensTheTopOfTheTable) {
  LoadMediaTable();
  g_RLimit = 900;
  BuildMediaToneTables();
  const int16_t* cyan = g_mediaToneTables[0];
  EXPECT_THAT(std::vector<int16_t>(cyan + 240, cyan + 249),
              ElementsAre(864, 872, 880, 888, 898, 898, 898, 898, 900));
  for (int n = 248; n <= 256; ++n) EXPECT_EQ(cyan[n], 900) << n;
  // The other planes keep their own default limit.
  EXPECT_EQ(g_mediaToneTables[1][256], 1008);
  EXPECT_EQ(g_mediaToneTables[2][255], 997);
}

// The limit is used as set. Above 1023 it lets the top rise: with ratios 1.3
// and 1.6, nodes 60..64 are 936, 986, 1038, 1094, 1152, so entries 244..248
// step by (1038 - 986) / 4 = 13. Below 0 every node becomes the limit.
TEST_F(LoadTest, LimitIsTakenAsSet) {
  LoadMediaTable();
  g_R240Ratio = 1.3f;
  g_R256Ratio = 1.6f;
  g_RLimit = 2000;
  g_GLimit = -1;
  BuildMediaToneTables();
  const int16_t* cyan = g_mediaToneTables[0];
  EXPECT_THAT(std::vector<int16_t>(cyan + 244, cyan + 249), ElementsAre(986, 999, 1012, 1025, 1038));
  EXPECT_EQ(cyan[240], 936);
  EXPECT_EQ(cyan[256], 1152);
  for (int n = 0; n < 257; ++n) ASSERT_EQ(g_mediaToneTables[1][n], -1) << n;
}

TEST_F(LoadTest, LevelsWithoutALogarithmStayDefined) {
  LoadMediaTable();
  auto inRange = [](int plane, int limit) {
    for (int n = 0; n < 257; ++n) {
      const int v = g_mediaToneTables[plane][n];
      if (v < 0 || v > limit) return ::testing::AssertionFailure() << "entry " << n << " = " << v;
    }
    return ::testing::AssertionSuccess();
  };

  // Level at 32 of 0: no logarithm of the 1..8 and 8..32 stretches; they
  // become straight lines, from 0 up to the base at node 32.
  for (int row = 0; row < kMediaRows; ++row) g_mediaTable.level[0][row] = 0;
  BuildMediaToneTables();
  EXPECT_TRUE(inRange(0, 1019));
  EXPECT_EQ(g_mediaToneTables[0][4], 0);
  EXPECT_EQ(g_mediaToneTables[0][32], 0);
  EXPECT_EQ(g_mediaToneTables[0][80], 100);  // node 20: halfway from 0 to 200
  EXPECT_EQ(g_mediaToneTables[0][128], 200);
  EXPECT_EQ(g_mediaToneTables[0][132], 211);  // the geometric stretch beyond is kept

  // A negative base and negative levels: straight lines, and no lower limit.
  // Node 60 = -864.00003 + 0.5 truncated, node 64 = -1007.99998 + 0.5.
  g_GBase128 = -50;
  for (int row = 0; row < kMediaRows; ++row) g_mediaTable.level[3][row] = -720;
  BuildMediaToneTables();
  EXPECT_EQ(g_mediaToneTables[1][32], 320);
  EXPECT_EQ(g_mediaToneTables[1][128], -50);
  EXPECT_EQ(g_mediaToneTables[1][224], -720);
  EXPECT_EQ(g_mediaToneTables[1][240], -863);
  EXPECT_EQ(g_mediaToneTables[1][256], -1007);

  // Ratios of 0 and absurd ratios: every node past 224 is beyond the limit.
  g_B4Ratio = 0.0f;
  g_B240Ratio = 1.0e30f;
  g_B256Ratio = std::numeric_limits<float>::infinity();
  g_BLimit = 5000;
  BuildMediaToneTables();
  EXPECT_TRUE(inRange(2, 5000));
  EXPECT_EQ(g_mediaToneTables[2][4], 0);
  EXPECT_THAT(std::vector<int16_t>(g_mediaToneTables[2] + 224, g_mediaToneTables[2] + 229),
              ElementsAre(720, 1790, 2860, 3930, 5000));
  EXPECT_EQ(g_mediaToneTables[2][256], 5000);
  // A limit beyond a 16-bit entry: such nodes stop at its top, not wrapped.
  g_BLimit = 100000;
  BuildMediaToneTables();
  EXPECT_THAT(std::vector<int16_t>(g_mediaToneTables[2] + 224, g_mediaToneTables[2] + 229),
              ElementsAre(720, 8731, 16742, 24753, 32767));
}
