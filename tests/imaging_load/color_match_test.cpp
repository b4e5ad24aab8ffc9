// The colour-match table: lattice cells, the file checks, exactness at the
// lattice points, interpolation between them, and the plain step-by-step form
// as an oracle.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "imaging/color_match.h"
#include "load_fixture.h"
#include "support/plain_imaging.h"

using ::testing::ElementsAre;

namespace {

using Entry = std::function<vyrtest::Bgr(int iR, int iG, int iB)>;

// The table as a bitmap file: 33 pixels wide, 1089 rows, bottom row first;
// picture row iR * 33 + iG, column iB.
std::vector<uint8_t> TableFile(const Entry& entry) {
  vyrtest::BmpLayout layout{33, 1089};
  layout.bottomRowFirst = true;
  return vyrtest::BmpBytes(layout, [&](int row, int col) { return entry(row / 33, row % 33, col); });
}

// The table as it lies in memory after loading: rows in picture order.
std::vector<uint8_t> TableInMemory(const Entry& entry) {
  std::vector<uint8_t> t(108900, 0);
  for (int iR = 0; iR < 33; ++iR)
    for (int iG = 0; iG < 33; ++iG)
      for (int iB = 0; iB < 33; ++iB) {
        const vyrtest::Bgr e = entry(iR, iG, iB);
        uint8_t* p = t.data() + (iR * 33 + iG) * 100 + iB * 3;
        p[0] = e.b;
        p[1] = e.g;
        p[2] = e.r;
      }
  return t;
}

int Node(int k) { return k == 0 ? 0 : 8 * k - 1; }

vyrtest::Bgr Identity(int iR, int iG, int iB) {
  return {static_cast<uint8_t>(Node(iB)), static_cast<uint8_t>(Node(iG)), static_cast<uint8_t>(Node(iR))};
}

// A table with nothing regular about it.
vyrtest::Bgr Scrambled(int iR, int iG, int iB) {
  const uint32_t x = static_cast<uint32_t>(iR * 1089 + iG * 33 + iB) * 2654435761u;
  return {static_cast<uint8_t>(x >> 24), static_cast<uint8_t>(x >> 16), static_cast<uint8_t>(x >> 8)};
}

void FillPage(const std::function<vyrtest::Bgr(int, int)>& pixel) {
  std::memset(g_pageImage, 0, sizeof(g_pageImage));
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns; ++c) {
      const vyrtest::Bgr p = pixel(r, c);
      uint8_t* px = g_pageImage + r * kPageStride + c * 3;
      px[0] = p.b;
      px[1] = p.g;
      px[2] = p.r;
    }
}

class ColorMatchTest : public LoadTest {
 protected:
  void Apply() {
    CWnd progress(1001);
    ApplyColorMatch(kPageColumns, kPageRows, g_pageImage, &progress);
  }
  void WriteTable(const std::vector<uint8_t>& bytes, const char* name = "normal.cct") {
    ASSERT_TRUE(vyrtest::WriteFileBytes(SystemPath(name), bytes));
  }
};

}  // namespace

TEST(LatticeTest, CellsAndNodes) {
  const int levels[] = {0, 6, 7, 14, 15, 22, 23, 246, 247, 254, 255};
  const int cells[] = {0, 0, 1, 1, 2, 2, 3, 30, 31, 31, 32};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(LatticeCell(levels[i]), cells[i]) << levels[i];
  EXPECT_EQ(LatticeNode(0), 0);
  EXPECT_EQ(LatticeNode(1), 7);
  EXPECT_EQ(LatticeNode(2), 15);
  EXPECT_EQ(LatticeNode(32), 255);
  for (int v = 0; v < 256; ++v) {
    const int k = LatticeCell(v);
    EXPECT_LE(LatticeNode(k), v);
    if (k < 32) {
      EXPECT_GT(LatticeNode(k + 1), v);
    }
  }

  std::vector<uint8_t> t(108900);
  for (size_t i = 0; i < t.size(); ++i) t[i] = static_cast<uint8_t>(i / 100 * 7 + i % 100);
  const std::vector<uint8_t> before = t;
  FlipTableRows(t.data());
  for (int row = 0; row < 1089; ++row)
    ASSERT_EQ(0, std::memcmp(t.data() + row * 100, before.data() + (1088 - row) * 100, 100)) << row;
}

TEST_F(ColorMatchTest, LatticePointsComeOutExactly) {
  WriteTable(TableFile(Scrambled));
  FillPage([](int r, int c) {
    const int i = r * 640 + c;
    return vyrtest::Bgr{static_cast<uint8_t>(Node(i % 33)), static_cast<uint8_t>(Node(i / 33 % 33)),
                        static_cast<uint8_t>(Node(i / 1089 % 33))};
  });
  Apply();
  EXPECT_TRUE(Messages().empty());
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns; ++c) {
      const int i = r * 640 + c;
      ASSERT_TRUE(PixelIs(r, c, Scrambled(i / 1089 % 33, i / 33 % 33, i % 33))) << i;
    }
}

TEST_F(ColorMatchTest, IdentityTableGivesTheLevelOrOneLower) {
  WriteTable(TableFile(Identity));
  FillPage([](int r, int c) {
    const int i = r * 640 + c;
    return vyrtest::Bgr{static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(r / 2 + c % 7)};
  });
  std::vector<uint8_t> before(g_pageImage, g_pageImage + kPageRows * kPageStride);
  g_pageImage[0] = 10;  // red 0, green 1, blue 10: the first pixel known to lose a level
  g_pageImage[1] = 1;
  g_pageImage[2] = 0;
  g_pageImage[3] = 255;  // red 7, green 15, blue 255: node levels
  g_pageImage[4] = 15;
  g_pageImage[5] = 7;
  before.assign(g_pageImage, g_pageImage + kPageRows * kPageStride);
  Apply();
  int lower = 0;
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns * 3; ++c) {
      const int was = before[r * kPageStride + c], now = g_pageImage[r * kPageStride + c];
      ASSERT_TRUE(now == was || now == was - 1) << r << "," << c << ": " << was << " -> " << now;
      lower += now != was;
    }
  EXPECT_GT(lower, 0);
  EXPECT_LT(g_pageImage[0] + g_pageImage[1] + g_pageImage[2], 11);
  EXPECT_TRUE(PixelIs(0, 1, {255, 15, 7}));
}

TEST_F(ColorMatchTest, LevelsBetweenNodesInterpolate) {
  // Each output depends on its own axis only: red on iR, green on iG, blue on
  // iB, with values only at the cells around the levels probed.
  WriteTable(TableFile([](int iR, int iG, int iB) {
    const uint8_t red = iR == 0 ? 14 : iR == 1 ? 154 : 0;
    const uint8_t green = iG == 1 ? 8 : iG == 2 ? 200 : 0;
    const uint8_t blue = iB == 31 ? 200 : iB == 32 ? 77 : 0;
    return vyrtest::Bgr{blue, green, red};
  }));
  // Red 6: six sevenths from 14 to 154, about 134. Green 14: seven eighths
  // from 8 to 200, 176. Blue 255: node 32 alone, 77 (node 31's 200 unused).
  FillPage([](int, int) { return vyrtest::Bgr{255, 14, 6}; });
  Apply();
  EXPECT_TRUE(PixelIs(0, 0, {77, 176, 134}));
  EXPECT_TRUE(PixelIs(479, 639, {77, 176, 134}));
}

TEST_F(ColorMatchTest, MatchesThePlainFormOnRandomPages) {
  std::mt19937 rng(11);
  for (int round = 0; round < 3; ++round) {
    std::vector<uint8_t> entries(33 * 33 * 33 * 3);
    for (auto& e : entries) e = static_cast<uint8_t>(rng());
    const Entry entry = [&](int iR, int iG, int iB) {
      const uint8_t* e = entries.data() + ((iR * 33 + iG) * 33 + iB) * 3;
      return vyrtest::Bgr{e[0], e[1], e[2]};
    };
    WriteTable(TableFile(entry));
    for (size_t i = 0; i < sizeof(g_pageImage); ++i) g_pageImage[i] = static_cast<uint8_t>(rng());
    std::vector<uint8_t> want(g_pageImage, g_pageImage + sizeof(g_pageImage));
    const std::vector<uint8_t> before = want;
    plain::ColorMatch(kPageColumns, kPageRows, want.data(), TableInMemory(entry).data());
    ui_.Clear();
    Apply();
    for (size_t i = 0; i < want.size(); ++i) {
      ASSERT_EQ(want[i], g_pageImage[i]) << "round " << round << " row " << i / kPageStride << " byte "
                                         << i % kPageStride << " of pixel " << int(before[i - i % 3])
                                         << "," << int(before[i - i % 3 + 1]) << "," << int(before[i - i % 3 + 2]);
    }
  }
  // Progress 50 to 59, ten rows at each step.
  std::vector<int> want;
  for (int y = 0; y < 480; ++y)
    if (y % 48 < 5) want.push_back(50 + y / 48);
  EXPECT_EQ(ProgressPositions(), want);
}

TEST_F(ColorMatchTest, UnusableTablesLeaveThePageUnchanged) {
  FillPage(Pattern);
  const std::vector<uint8_t> page(g_pageImage, g_pageImage + sizeof(g_pageImage));
  auto shows = [&](unsigned message) {
    ui_.Clear();
    Apply();
    if (Messages() != std::vector<unsigned>{message})
      return ::testing::AssertionFailure() << "messages " << ::testing::PrintToString(Messages());
    if (std::memcmp(page.data(), g_pageImage, page.size()) != 0)
      return ::testing::AssertionFailure() << "page changed";
    return ::testing::AssertionSuccess();
  };
  auto setU32 = [](std::vector<uint8_t>& b, int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };

  EXPECT_TRUE(shows(2015));  // no table file
  WriteTable(TableFile(Scrambled), "other.cct");
  std::strcpy(g_MatchFile, "../other.cct");
  EXPECT_TRUE(shows(2015));  // not a plain file name
  std::strcpy(g_MatchFile, "missing.cct");
  EXPECT_TRUE(shows(2015));
  std::strcpy(g_MatchFile, "normal.cct");

  auto file = TableFile(Scrambled);
  auto big = file;
  setU32(big, 2, static_cast<uint32_t>(file.size() + 1));  // promises one byte more
  WriteTable(big);
  EXPECT_TRUE(shows(2017));

  auto shortData = file;
  shortData.resize(54 + 108899);
  setU32(shortData, 2, static_cast<uint32_t>(shortData.size()));  // honest but too short
  WriteTable(shortData);
  EXPECT_TRUE(shows(2017));

  auto below = file;
  setU32(below, 2, 20);  // size below the data offset
  WriteTable(below);
  EXPECT_TRUE(shows(2017));

  WriteTable(std::vector<uint8_t>(file.begin(), file.begin() + 40));  // header cut short
  EXPECT_TRUE(shows(2017));

  auto huge = file;
  setU32(huge, 2, 0xFFFFFFF0u);  // far beyond any table: no block for it
  WriteTable(huge);
  EXPECT_TRUE(shows(2016));

  // A table with more data after its 1089 rows: only the first 108900 bytes
  // are the table, so the page matches as with the exact file.
  WriteTable(file);
  Apply();
  const std::vector<uint8_t> matched(g_pageImage, g_pageImage + sizeof(g_pageImage));
  std::memcpy(g_pageImage, page.data(), page.size());
  auto longer = file;
  longer.resize(file.size() + 500, 0x77);
  setU32(longer, 2, static_cast<uint32_t>(longer.size()));
  WriteTable(longer);
  ui_.Clear();
  Apply();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(0, std::memcmp(matched.data(), g_pageImage, matched.size()));
}
