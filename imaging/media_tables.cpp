// The media table and the three tone tables built from it.
//
// A tone table maps a page value (0..255) to a head level. It is laid out on 65
// nodes, one every four page values, from seven anchors: 0 at node 0, the
// media's levels at page values 32 and 224 (nodes 8 and 56), the BaseMedia
// level at 128 (node 32) and three ratios of the media levels (nodes 1, 60,
// 64). Between anchors the nodes follow a geometric curve (straight in the
// logarithm of the level), are capped at the plane's limit, and are expanded
// to 257 entries by integer steps of a quarter of each node interval.
#include "imaging/media_tables.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "base/little_endian.h"
#include "base/resource_ids.h"
#include "framework/afx.h"
#include "platform/paths.h"
#include "settings/settings.h"

MediaTable g_mediaTable;
float g_mediaSensitivity[3];
int16_t g_mediaToneTables[3][257];

namespace {

constexpr int kNodes = 65;
// Entries are signed 16-bit; a node beyond that range (only from absurd
// ratios together with a limit beyond it) is held at its edge, not wrapped.
constexpr double kEntryMin = -32768.0;
constexpr double kEntryMax = 32767.0;

void SetMediaDefaults() {
  for (int row = 0; row < kMediaRows; ++row) {
    for (int c = 0; c < 3; ++c) g_mediaTable.sensitivity[c][row] = 1.0f;
    for (int c = 0; c < 6; c += 2) {
      g_mediaTable.level[c][row] = 320;      // level at page value 32
      g_mediaTable.level[c + 1][row] = 720;  // level at page value 224
    }
  }
}

// Nodes are whole numbers held in double until the limit has capped them, so
// that anchors of any size (absurd ratios) compare with the limit as they
// are, without overflowing an integer on the way.
double RoundNode(double x) { return std::trunc(x + 0.5); }

// Nodes strictly between anchors k0 and k1: geometric between two positive
// levels; a level of 0 or below has no logarithm, so that stretch is a
// straight line instead.
void FillSegment(double* node, int k0, int k1) {
  const double a = node[k0], b = node[k1];
  const int steps = k1 - k0;
  if (a > 0 && b > 0) {
    const double la = std::log10(a);
    const double lb = std::log10(b);
    for (int g = 1; g < steps; ++g) node[k0 + g] = RoundNode(std::pow(10.0, la + (lb - la) * g / steps));
  } else {
    for (int g = 1; g < steps; ++g) node[k0 + g] = RoundNode(a + (b - a) * g / steps);
  }
}

void BuildToneTable(int plane, char sensKey, char topKey, char bottomKey, int16_t base,
                    float ratio4, float ratio240, float ratio256, int32_t limit) {
  g_mediaSensitivity[plane] = g_mediaTable.sensitivity[plane][MediaRankRow(sensKey, 'G')];
  const int t32 = g_mediaTable.level[2 * plane][MediaRankRow(topKey, 'D')];
  const int t224 = g_mediaTable.level[2 * plane + 1][MediaRankRow(bottomKey, 'D')];

  double node[kNodes] = {};
  node[0] = 0;
  node[1] = RoundNode(t32 * static_cast<double>(ratio4));
  node[8] = t32;
  node[32] = base;
  node[56] = t224;
  node[60] = RoundNode(t224 * static_cast<double>(ratio240));
  node[64] = RoundNode(t224 * static_cast<double>(ratio256));
  static constexpr int kAnchors[] = {1, 8, 32, 56, 60, 64};
  for (int i = 0; i + 1 < 6; ++i) FillSegment(node, kAnchors[i], kAnchors[i + 1]);

  // The limit caps the top, taken as it is set: above 1023 it lets the
  // table rise further, below 0 it makes every node that value. There is no
  // lower limit; the conversion to head levels writes negative levels as 0.
  // A node that is not a number (only between infinite anchors) counts as
  // beyond the limit.
  int level[kNodes];
  for (int k = 0; k < kNodes; ++k) {
    const double n = node[k] <= limit ? node[k] : double(limit);
    level[k] = static_cast<int>(std::clamp(n, kEntryMin, kEntryMax));
  }

  int16_t* entry = g_mediaToneTables[plane];
  for (int k = 0; k < kNodes; ++k) entry[4 * k] = static_cast<int16_t>(level[k]);
  for (int k = 0; k < kNodes - 1; ++k) {
    const int s = (level[k + 1] - level[k]) / 4;
    for (int j = 1; j < 4; ++j) entry[4 * k + j] = static_cast<int16_t>(level[k] + j * s);
  }
}

}  // namespace

int MediaRankRow(char letter, char fallback) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter >= 'A' && letter <= '^') return letter - 'A';
  return fallback - 'A';
}

void LoadMediaTable() {
  char dir[300];
  const unsigned len = GetWindowsDirectoryA(dir, sizeof(dir));
  FILE* file = nullptr;
  std::string path = "\\system\\media.rtb";
  if (len > 0 && len < sizeof(dir)) {
    path = dir + path;
    file = OpenWindowsFile(path.c_str(), "rb");
  }
  if (!file) {
    ReportMissingWindowsFile(path.c_str());
    AfxMessageBox(IDS_MEDIA_TABLE_MISSING);
    SetMediaDefaults();
    return;
  }
  uint8_t bytes[kMediaFileBytes];
  const size_t got = std::fread(bytes, 1, sizeof(bytes), file);
  std::fclose(file);
  if (got != sizeof(bytes)) {
    AfxMessageBox(IDS_MEDIA_TABLE_SHORT);
    SetMediaDefaults();
    return;
  }
  DecodeMediaTable(bytes, g_mediaTable);
}

void BuildMediaToneTables() {
  BuildToneTable(0, g_sensC, g_TDTC, g_TDBC, g_RBase128, g_R4Ratio, g_R240Ratio, g_R256Ratio,
                 g_RLimit);
  BuildToneTable(1, g_sensM, g_TDTM, g_TDBM, g_GBase128, g_G4Ratio, g_G240Ratio, g_G256Ratio,
                 g_GLimit);
  BuildToneTable(2, g_sensY, g_TDTY, g_TDBY, g_BBase128, g_B4Ratio, g_B240Ratio, g_B256Ratio,
                 g_BLimit);
}

// The file image is little-endian, column after column: the three
// sensitivity columns, then the six level columns.
namespace {
size_t SensitivityAt(int c, int row) { return static_cast<size_t>(c * kMediaRows + row) * 4; }
size_t LevelAt(int c, int row) { return 3 * kMediaRows * 4 + static_cast<size_t>(c * kMediaRows + row) * 2; }
}  // namespace

void DecodeMediaTable(const uint8_t* bytes, MediaTable& table) {
  for (int c = 0; c < 3; ++c)
    for (int row = 0; row < kMediaRows; ++row) table.sensitivity[c][row] = LoadLeFloat(bytes + SensitivityAt(c, row));
  for (int c = 0; c < 6; ++c)
    for (int row = 0; row < kMediaRows; ++row)
      table.level[c][row] = static_cast<int16_t>(LoadLe16(bytes + LevelAt(c, row)));
}

void EncodeMediaTable(const MediaTable& table, uint8_t* bytes) {
  for (int c = 0; c < 3; ++c)
    for (int row = 0; row < kMediaRows; ++row) StoreLeFloat(bytes + SensitivityAt(c, row), table.sensitivity[c][row]);
  for (int c = 0; c < 6; ++c)
    for (int row = 0; row < kMediaRows; ++row)
      StoreLe16(bytes + LevelAt(c, row), static_cast<uint16_t>(table.level[c][row]));
}
