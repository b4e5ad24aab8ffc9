// .cube tables to colour-match tables and back: tables whose right answer is
// worked from the function the LUT holds, the engine's own colour match on a
// table made from an identity LUT, and the round trip through to-cube.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <sstream>

#include "imaging/color_match.h"
#include "imaging_load/load_fixture.h"
#include "tools/cct_cube.h"

namespace {

using Rgb = std::array<double, 3>;

// Node k's level, from the rule: 0, then 8k - 1.
int NodeLevel(int k) { return k == 0 ? 0 : 8 * k - 1; }

// A .cube of size n holding f at its grid points, red fastest.
std::string CubeText(int n, const std::function<Rgb(double, double, double)>& f, const std::string& head = "") {
  std::ostringstream out;
  out << "# made by the test\nTITLE \"test\"\n" << head << "LUT_3D_SIZE " << n << "\n";
  out.precision(9);
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) {
        const Rgb v = f(r / (n - 1.0), g / (n - 1.0), b / (n - 1.0));
        out << v[0] << " " << v[1] << " " << v[2] << "\n";
      }
  return out.str();
}

CctTable TableFromCube(const std::string& text) {
  std::istringstream in(text);
  CubeLut lut;
  std::string error;
  EXPECT_TRUE(ParseCube(in, "test.cube", lut, error)) << error;
  CctTable table;
  SampleLattice(table, [&](const double i[3], double o[3]) { CubeLookup(lut, i, o); });
  return table;
}

// Every node of `table` against the levels `want` gives for the node's levels.
void ExpectTable(const CctTable& table, const std::function<std::array<int, 3>(int, int, int)>& want) {
  for (int iR = 0; iR < 33; ++iR)
    for (int iG = 0; iG < 33; ++iG)
      for (int iB = 0; iB < 33; ++iB) {
        const std::array<int, 3> w = want(NodeLevel(iR), NodeLevel(iG), NodeLevel(iB));
        const uint8_t* e = table.At(iR, iG, iB);
        ASSERT_TRUE(e[0] == w[0] && e[1] == w[1] && e[2] == w[2])
            << "node " << iR << "," << iG << "," << iB << ": " << int(e[0]) << "," << int(e[1]) << "," << int(e[2])
            << " want " << w[0] << "," << w[1] << "," << w[2];
      }
}

int Round(double x) { return static_cast<int>(x + 0.5); }

}  // namespace

TEST(CubeToTable, LutsOfKnownFunctions) {
  const auto identity = [](double r, double g, double b) { return Rgb{r, g, b}; };
  const auto same = [](int r, int g, int b) { return std::array<int, 3>{r, g, b}; };
  // Identity LUTs of any size, with the domain spelt out, with CRLF line ends
  // and comments everywhere, and behind an identity shaper, all give the
  // lattice's levels.
  ExpectTable(TableFromCube(CubeText(2, identity)), same);
  ExpectTable(TableFromCube(CubeText(33, identity)), same);
  ExpectTable(TableFromCube(CubeText(65, identity, "DOMAIN_MIN 0 0 0\nDOMAIN_MAX 1.0 1.0 1.0\n")), same);
  std::string crlf = "\xEF\xBB\xBF";  // a byte-order mark, as some editors write
  for (char c : CubeText(5, identity)) crlf += c == '\n' ? std::string(" # note\r\n\t# line\r\n") : std::string(1, c);
  ExpectTable(TableFromCube(crlf), same);
  ExpectTable(TableFromCube("LUT_1D_SIZE 2\nLUT_3D_SIZE 2\n0 0 0\n1 1 1\n" +
                            CubeText(2, identity).substr(CubeText(2, identity).find("LUT_3D_SIZE 2\n") + 14)),
              same);

  // Tetrahedral interpolation is exact for an affine map, whatever the grid,
  // and the rows go red fastest: swapping the order would swap the channels.
  // (Thirds, so that no exact value lies half-way between two bytes.)
  ExpectTable(TableFromCube(CubeText(4, [](double r, double g, double b) {
                return Rgb{(2 * r + 1) / 3, (g + b) / 3, 1.0 - b};
              })),
              [](int r, int g, int b) {
                return std::array<int, 3>{Round((2 * r + 255) / 3.0), Round((g + b) / 3.0), 255 - b};
              });
  // One lit corner of a 2-point cube: the tetrahedra give the smallest of the
  // three fractions (where trilinear interpolation would give their product).
  ExpectTable(TableFromCube(CubeText(2, [](double r, double g, double b) {
                const double lit = r * g * b;
                return Rgb{lit, lit, lit};
              })),
              [](int r, int g, int b) {
                const int m = std::min({r, g, b});
                return std::array<int, 3>{m, m, m};
              });
  // The domain places the inputs on the grid: over 0..3, a page value x lies
  // at x / 3 of the way along, where this LUT holds a third of it.
  ExpectTable(TableFromCube(CubeText(3, [](double r, double g, double b) { return Rgb{r, g, b}; },
                                     "DOMAIN_MIN 0 0 0\nDOMAIN_MAX 3 3 3\n")),
              [](int r, int g, int b) { return std::array<int, 3>{Round(r / 3.0), Round(g / 3.0), Round(b / 3.0)}; });
}

TEST(CubeToTable, ToCubeAndBackGivesTheTable) {
  // A table with nothing smooth about it: any loss between nodes would show.
  CctTable table;
  for (size_t i = 0; i < table.rgb.size(); ++i) table.rgb[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
  std::stringstream cube, identity;
  WriteCubeText(cube, table, "scrambled.cct");
  const std::string text = cube.str();
  // Point k of the 3D grid holds the entry of node k (level 8k - 1) as
  // byte / 255: the identity's first rows are levels 0, 7, 15 of red.
  WriteCubeText(identity, IdentityTable(), "identity.cct");
  EXPECT_NE(identity.str().find("LUT_3D_SIZE 33\n"), std::string::npos);
  EXPECT_NE(identity.str().find("\n0.000000 0.000000 0.000000\n0.027451 0.000000 0.000000\n0.058824 0.000000"),
            std::string::npos);
  const CctTable back = TableFromCube(text);
  int worst = 0;
  for (size_t i = 0; i < table.rgb.size(); ++i) worst = std::max(worst, std::abs(table.rgb[i] - back.rgb[i]));
  EXPECT_LE(worst, 2);
  EXPECT_EQ(worst, 0);  // the shaper puts every node on a grid point
}

class IdentityCubeThroughEngine : public LoadTest {};

TEST_F(IdentityCubeThroughEngine, PagesComeThroughAsTheIdentityTableLeavesThem) {
  const std::vector<uint8_t> file = CctFileBytes(TableFromCube(CubeText(17, [](double r, double g, double b) {
    return Rgb{r, g, b};
  })));
  ASSERT_TRUE(vyrtest::WriteFileBytes(SystemPath("normal.cct"), file));
  // Every level on every channel, and the corners of every lattice cell.
  std::memset(g_pageImage, 0, sizeof(g_pageImage));
  for (int y = 0; y < kPageRows; ++y)
    for (int x = 0; x < kPageColumns; ++x) {
      uint8_t* p = g_pageImage + y * kPageStride + x * 3;
      const int i = y * kPageColumns + x;
      if (y < 60) {
        p[0] = static_cast<uint8_t>(NodeLevel(i % 33));
        p[1] = static_cast<uint8_t>(NodeLevel(i / 33 % 33));
        p[2] = static_cast<uint8_t>(NodeLevel(i / 1089 % 33));
      } else {
        p[0] = static_cast<uint8_t>(i);
        p[1] = static_cast<uint8_t>(i / 256 + x);
        p[2] = static_cast<uint8_t>(i / 65536 * 37 + y);
      }
    }
  const std::vector<uint8_t> before(g_pageImage, g_pageImage + kPageRows * kPageStride);
  CWnd progress(1001);
  ApplyColorMatch(kPageColumns, kPageRows, g_pageImage, &progress);
  EXPECT_TRUE(Messages().empty());
  // Node levels come out exactly; between nodes the engine truncates a sum of
  // single-precision weights that may fall just short of one, so a level may
  // come out one lower, never anything else.
  for (int y = 0; y < kPageRows; ++y)
    for (int c = 0; c < kPageColumns * 3; ++c) {
      const int was = before[y * kPageStride + c], now = g_pageImage[y * kPageStride + c];
      if (y < 60)
        ASSERT_EQ(now, was) << y << "," << c;
      else
        ASSERT_TRUE(now == was || now == was - 1) << y << "," << c << ": " << was << " -> " << now;
    }
}
