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
// per-axis weight is 0 or at least 1/8, so a corner weight is 0 or a float of
// at least 2^-9, whose last bit is worth at least 2^-32. Every weighted byte
// and every partial sum is then a multiple of 2^-32 below 2^9, 41 bits at most,
// and exact in a double: the sum does not depend on the order of the corners.
#include "imaging/color_match.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/bitmap_file.h"
#include "base/resource_ids.h"
#include "framework/afx.h"
#include "platform/paths.h"
#include "settings/settings.h"

namespace {

// A table is 108900 bytes of pixels; a size field far beyond that is refused as
// working memory that cannot be had rather than attempted.
constexpr uint64_t kMaxTableBlock = 64u << 20;

// Where a level lies within its lattice cell decides both of its axis
// weights: 0 (on a node), 1..6 sevenths in the first cell, 1..7 eighths in the
// others. So the eight corner weights of a pixel depend only on the three
// classes, and the 14 x 14 x 14 combinations are worked out once per page.
constexpr int kClasses = 14;

// Two doubles handled together (a GCC/Clang vector, two lanes of SSE2); lane
// arithmetic is ordinary double arithmetic.
typedef double Pair __attribute__((vector_size(16)));

struct Axis {
  uint8_t weightClass[256];
  int lower[256];  // entry index of the lower cell along this axis
  int step[256];   // entry index step to the upper cell (0 at the last node)
};

void BuildAxis(Axis& a, int entryStep, float wLower[kClasses], float wUpper[kClasses]) {
  for (int v = 0; v < 256; ++v) {
    const int k = LatticeCell(v);
    const int offset = v - LatticeNode(k);
    const int cls = offset == 0 ? 0 : k == 0 ? offset : 6 + offset;
    const double q = static_cast<double>(offset) / (k == 0 ? 7.0 : 8.0);
    a.weightClass[v] = static_cast<uint8_t>(cls);
    a.lower[v] = k * entryStep;
    a.step[v] = k == kLatticeSize - 1 ? 0 : entryStep;
    wUpper[cls] = static_cast<float>(q);
    wLower[cls] = static_cast<float>(1.0 - q);
  }
}

// Corner weights for every class triple: corner (i, j, k) with i, j, k = 0
// for the lower and 1 for the upper cell of red, green and blue is element
// i * 4 + j * 2 + k; each is the product of three single floats rounded to a
// single float. They are kept in float storage on purpose: GCC 12 at -O2
// vectorises a loop that stores (double)(float)x into doubles without the
// rounding to float.
void BuildCornerWeights(float (*corner)[8], const float wLower[kClasses], const float wUpper[kClasses]) {
  for (int cr = 0; cr < kClasses; ++cr)
    for (int cg = 0; cg < kClasses; ++cg)
      for (int cb = 0; cb < kClasses; ++cb) {
        float* w = corner[(cr * kClasses + cg) * kClasses + cb];
        const double r[2] = {wLower[cr], wUpper[cr]};
        const double g[2] = {wLower[cg], wUpper[cg]};
        const double b[2] = {wLower[cb], wUpper[cb]};
        for (int i = 0; i < 2; ++i)
          for (int j = 0; j < 2; ++j)
            for (int k = 0; k < 2; ++k) w[i * 4 + j * 2 + k] = static_cast<float>(r[i] * g[j] * b[k]);
      }
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
    if (IsPlainFileName(g_MatchFile)) {
      ReportMissingWindowsFile((std::string(path) + "\\system\\" + g_MatchFile).c_str());
    } else {
      std::fprintf(stderr, "vyr: MatchFile \"%s\" is not a plain file name, so it counts as missing\n", g_MatchFile);
    }
    AfxMessageBox(IDS_MATCH_TABLE_MISSING);
    return nullptr;
  }
  uint8_t header[kBitmapHeaderBytes];
  if (std::fread(header, 1, sizeof(header), file) != sizeof(header)) {
    std::fclose(file);
    AfxMessageBox(IDS_MATCH_TABLE_SHORT);
    return nullptr;
  }
  const BitmapHeader fields = DecodeBitmapHeader(header);
  const uint32_t fileSize = fields.fileSize;
  const uint32_t dataOffset = fields.dataOffset;
  // A size below the data offset promises no data at all, and fewer than
  // 1089 rows of 100 bytes would leave lattice points unread: a short table.
  if (fileSize < dataOffset || fileSize - dataOffset < kTableBytes) {
    std::fclose(file);
    AfxMessageBox(IDS_MATCH_TABLE_SHORT);
    return nullptr;
  }
  const uint64_t blockSize = static_cast<uint64_t>(fileSize) + 100;
  uint8_t* block = blockSize <= kMaxTableBlock
                       ? static_cast<uint8_t*>(std::calloc(static_cast<size_t>(blockSize), 1))
                       : nullptr;
  if (!block) {
    std::fclose(file);
    AfxMessageBox(IDS_OUT_OF_MEMORY);
    return nullptr;
  }
  const size_t dataBytes = fileSize - dataOffset;
  if (std::fseek(file, static_cast<long>(dataOffset), SEEK_SET) != 0 ||
      std::fread(block, 1, dataBytes, file) != dataBytes) {
    std::free(block);
    std::fclose(file);
    AfxMessageBox(IDS_MATCH_TABLE_SHORT);
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

  // The table's bytes as doubles, two pairs to an entry (blue, green) and
  // (red, 0), so that each corner costs two paired multiplications.
  static Pair entries[kLatticeSize * kLatticeSize * kLatticeSize][2];
  for (int e = 0; e < kLatticeSize * kLatticeSize * kLatticeSize; ++e) {
    const uint8_t* src = table + TableEntryOffset(e / kTableRows, e / kLatticeSize % kLatticeSize, e % kLatticeSize);
    entries[e][0] = Pair{static_cast<double>(src[0]), static_cast<double>(src[1])};
    entries[e][1] = Pair{static_cast<double>(src[2]), 0.0};
  }
  std::free(table);

  static Axis red, green, blue;
  static float corner[kClasses * kClasses * kClasses][8];
  float wLower[kClasses], wUpper[kClasses];
  BuildAxis(red, kLatticeSize * kLatticeSize, wLower, wUpper);
  BuildAxis(green, kLatticeSize, wLower, wUpper);
  BuildAxis(blue, 1, wLower, wUpper);
  BuildCornerWeights(corner, wLower, wUpper);
  // Each weight in both lanes, ready to multiply a pair of entry bytes.
  static Pair cornerPair[kClasses * kClasses * kClasses][8];
  for (int c = 0; c < kClasses * kClasses * kClasses; ++c)
    for (int i = 0; i < 8; ++i) {
      const double w = corner[c][i];
      cornerPair[c][i] = Pair{w, w};
    }

  const size_t stride = 3 * static_cast<size_t>(width) + 30;
  for (int y = 0; y < height; ++y) {
    if (progress && (y * 100 / height) % 10 == 0)
      progress->SendMessage(PBM_SETPOS, static_cast<WPARAM>(50 + y * 10 / height));
    uint8_t* px = page + y * stride;
    for (int x = 0; x < width; ++x, px += 3) {
      const int b = px[0], g = px[1], r = px[2];
      const Pair* w =
          cornerPair[(red.weightClass[r] * kClasses + green.weightClass[g]) * kClasses + blue.weightClass[b]];
      const int base = red.lower[r] + green.lower[g] + blue.lower[b];
      const int dr = red.step[r], dg = green.step[g], db = blue.step[b];
      const Pair(*e)[2] = entries + base;
      // Corner i: its weight times its entry; the sums are exact (see above),
      // so they are added pairwise rather than one after another.
      auto term = [&](int i, int at, int half) { return w[i] * e[at][half]; };
      auto sum = [&](int half) {
        return ((term(0, 0, half) + term(1, db, half)) + (term(2, dg, half) + term(3, dg + db, half))) +
               ((term(4, dr, half) + term(5, dr + db, half)) +
                (term(6, dr + dg, half) + term(7, dr + dg + db, half)));
      };
      const Pair blueGreen = sum(0);
      const Pair redZero = sum(1);
      const double sum0 = blueGreen[0], sum1 = blueGreen[1], sum2 = redZero[0];
      px[0] = static_cast<uint8_t>(sum0);
      px[1] = static_cast<uint8_t>(sum1);
      px[2] = static_cast<uint8_t>(sum2);
    }
  }
}
