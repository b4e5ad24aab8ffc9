// Colour matching: every page pixel is replaced by the value of a 33 x 33 x 33
// table interpolated between its eight surrounding lattice points.
//
// The table file is a 24-bit bitmap 33 pixels wide and 1089 rows high, stored
// bottom row first; row iR * 33 + iG of the picture, column iB, holds the
// output blue, green and red for inputs (iR, iG, iB).
//
// Arithmetic is held to the engine's rules: per-axis weights are single floats,
// each corner weight is the product of three of them rounded to a single
// float, and the eight weighted bytes are summed in double and truncated. A
// per-axis weight is 0 or at least 1/8 (a float), so a corner weight is 0 or at
// least 2^-9 and a multiple of 2^-33; every weighted byte and every partial
// sum is then a multiple of 2^-33 below 2^11 and exact in a double. The sum
// does not depend on the order of the corners.
#include "imaging/color_match.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/settings.h"
#include "framework/afx.h"
#include "platform/paths.h"

namespace {

constexpr int kLatticeSize = 33;
constexpr int kTableRows = kLatticeSize * kLatticeSize;  // 1089
constexpr int kTableRowBytes = 100;                        // 33 pixels x 3 bytes, padded to 4
constexpr uint32_t kTableBytes = kTableRows * kTableRowBytes;  // 108900
// A table is 108900 bytes of pixels; a size field far beyond that is refused as
// working memory that cannot be had rather than attempted.
constexpr uint64_t kMaxTableBlock = 64u << 20;

// One axis of a pixel: the byte offsets of its lower and upper lattice cells
// within the table and their weights.
struct AxisWeights {
  int lower[256];
  int upper[256];
  float wLower[256];
  float wUpper[256];
};

void BuildAxis(AxisWeights& a, int cellBytes) {
  for (int v = 0; v < 256; ++v) {
    const int k = LatticeCell(v);
    const int n = LatticeNode(k);
    const int k1 = k == kLatticeSize - 1 ? k : k + 1;
    const double q = static_cast<double>(v - n) / (k == 0 ? 7.0 : 8.0);
    a.lower[v] = k * cellBytes;
    a.upper[v] = k1 * cellBytes;
    a.wUpper[v] = static_cast<float>(q);
    a.wLower[v] = static_cast<float>(1.0 - q);
  }
}

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Reads and flips the table named by MatchFile into a fresh block; nullptr
// (message shown) when it cannot.
uint8_t* LoadColorMatchTable() {
  char path[300];
  const unsigned len = GetWindowsDirectoryA(path, sizeof(path));
  FILE* file = nullptr;
  if (len > 0 && len < sizeof(path) && IsPlainFileName(g_MatchFile)) {
    std::string full(path);
    full += "\\system\\";
    full += g_MatchFile;
    file = OpenWindowsFile(full.c_str(), "rb");
  }
  if (!file) {
    AfxMessageBox(2015);
    return nullptr;
  }
  uint8_t header[54];
  if (std::fread(header, 1, sizeof(header), file) != sizeof(header)) {
    std::fclose(file);
    AfxMessageBox(2017);
    return nullptr;
  }
  const uint32_t fileSize = ReadU32(header + 2);
  const uint32_t dataOffset = ReadU32(header + 10);
  // A size below the data offset promises no data at all, and fewer than
  // 1089 rows of 100 bytes would leave lattice points unread: a short table.
  if (fileSize < dataOffset || fileSize - dataOffset < kTableBytes) {
    std::fclose(file);
    AfxMessageBox(2017);
    return nullptr;
  }
  const uint64_t blockSize = static_cast<uint64_t>(fileSize) + 100;
  uint8_t* block = blockSize <= kMaxTableBlock
                       ? static_cast<uint8_t*>(std::calloc(static_cast<size_t>(blockSize), 1))
                       : nullptr;
  if (!block) {
    std::fclose(file);
    AfxMessageBox(2016);
    return nullptr;
  }
  const size_t dataBytes = fileSize - dataOffset;
  if (std::fseek(file, static_cast<long>(dataOffset), SEEK_SET) != 0 ||
      std::fread(block, 1, dataBytes, file) != dataBytes) {
    std::free(block);
    std::fclose(file);
    AfxMessageBox(2017);
    return nullptr;
  }
  std::fclose(file);
  FlipTableRows(block);
  return block;
}

}  // namespace

int LatticeCell(int v) { return v <= 6 ? 0 : (v + 1) / 8; }

int LatticeNode(int k) { return k == 0 ? 0 : 8 * k - 1; }

void FlipTableRows(uint8_t* table) {
  uint8_t row[kTableRowBytes];
  for (int i = 0; i < kTableRows / 2; ++i) {
    uint8_t* a = table + i * kTableRowBytes;
    uint8_t* b = table + (kTableRows - 1 - i) * kTableRowBytes;
    std::memcpy(row, a, kTableRowBytes);
    std::memcpy(a, b, kTableRowBytes);
    std::memcpy(b, row, kTableRowBytes);
  }
}

void ApplyColorMatch(int width, int height, uint8_t* page, CWnd* progress) {
  if (width <= 0 || height <= 0) return;
  uint8_t* table = LoadColorMatchTable();
  if (!table) return;

  // Byte offsets of a lattice cell along each axis: red picks a block of 33
  // rows, green a row, blue a pixel within it.
  static AxisWeights red, green, blue;
  BuildAxis(red, kLatticeSize * kTableRowBytes);
  BuildAxis(green, kTableRowBytes);
  BuildAxis(blue, 3);

  const size_t stride = 3 * static_cast<size_t>(width) + 30;
  for (int y = 0; y < height; ++y) {
    if (progress && (y * 100 / height) % 10 == 0)
      progress->SendMessage(PBM_SETPOS, static_cast<WPARAM>(50 + y * 10 / height));
    uint8_t* px = page + y * stride;
    for (int x = 0; x < width; ++x, px += 3) {
      const int b = px[0], g = px[1], r = px[2];
      const int rOff[2] = {red.lower[r], red.upper[r]};
      const int gOff[2] = {green.lower[g], green.upper[g]};
      const int bOff[2] = {blue.lower[b], blue.upper[b]};
      const double rW[2] = {red.wLower[r], red.wUpper[r]};
      const double gW[2] = {green.wLower[g], green.wUpper[g]};
      const double bW[2] = {blue.wLower[b], blue.wUpper[b]};
      double sum0 = 0.0, sum1 = 0.0, sum2 = 0.0;
      for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
          const double rg = rW[i] * gW[j];  // exact: two single floats
          const uint8_t* row = table + rOff[i] + gOff[j];
          for (int k = 0; k < 2; ++k) {
            const double w = static_cast<float>(rg * bW[k]);
            const uint8_t* e = row + bOff[k];
            sum0 += w * e[0];
            sum1 += w * e[1];
            sum2 += w * e[2];
          }
        }
      }
      px[0] = static_cast<uint8_t>(sum0);
      px[1] = static_cast<uint8_t>(sum1);
      px[2] = static_cast<uint8_t>(sum2);
    }
  }
  std::free(table);
}
