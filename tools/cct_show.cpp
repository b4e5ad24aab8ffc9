#include "tools/cct_show.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kCell = 4;                         // pixels per node
constexpr int kSlice = kLatticeSize * kCell;     // 132
constexpr int kPairGap = 2;                      // between a slice's two halves
constexpr int kGap = 8;                          // between slices
constexpr int kSlicesPerRow = 11;
constexpr uint8_t kBackground = 128;

}  // namespace

CctSummary SummariseTable(const CctTable& table) {
  CctSummary s;
  for (int iR = 0; iR < kLatticeSize; ++iR)
    for (int iG = 0; iG < kLatticeSize; ++iG)
      for (int iB = 0; iB < kLatticeSize; ++iB) {
        const int node[3] = {LatticeNode(iR), LatticeNode(iG), LatticeNode(iB)};
        const uint8_t* e = table.At(iR, iG, iB);
        double squares = 0;
        bool clipped = false;
        for (int c = 0; c < 3; ++c) {
          const int change = e[c] - node[c];
          squares += static_cast<double>(change) * change;
          s.meanChange[c] += change;
          s.meanSize[c] += std::abs(change);
          if (std::abs(change) > std::abs(s.largestChange[c])) {
            s.largestChange[c] = change;
            for (int k = 0; k < 3; ++k) s.largestChangeAt[c][k] = node[k];
          }
          if ((e[c] == 0 && node[c] != 0) || (e[c] == 255 && node[c] != 255)) clipped = true;
        }
        const double distance = std::sqrt(squares);
        s.identityMean += distance;
        if (distance > s.identityLargest) {
          s.identityLargest = distance;
          for (int k = 0; k < 3; ++k) s.identityLargestAt[k] = node[k];
        }
        s.clippedNodes += clipped;
      }
  s.identityMean /= kLatticeNodes;
  for (int c = 0; c < 3; ++c) {
    s.meanChange[c] /= kLatticeNodes;
    s.meanSize[c] /= kLatticeNodes;
  }
  return s;
}

std::string SummaryText(const CctSummary& s) {
  char line[256];
  std::string text;
  std::snprintf(line, sizeof line, "identity distance: mean %.2f levels, largest %.2f at (%d, %d, %d)\n",
                s.identityMean, s.identityLargest, s.identityLargestAt[0], s.identityLargestAt[1],
                s.identityLargestAt[2]);
  text += line;
  const char* names[3] = {"red", "green", "blue"};
  for (int c = 0; c < 3; ++c) {
    std::snprintf(line, sizeof line, "%-5s  mean change %+.2f (mean size %.2f), largest %+d at (%d, %d, %d)\n",
                  names[c], s.meanChange[c], s.meanSize[c], s.largestChange[c], s.largestChangeAt[c][0],
                  s.largestChangeAt[c][1], s.largestChangeAt[c][2]);
    text += line;
  }
  std::snprintf(line, sizeof line, "clipped: %d of %d nodes pinned at 0 or 255 away from the lattice's own ends\n",
                s.clippedNodes, kLatticeNodes);
  text += line;
  return text;
}

std::vector<uint8_t> SlicesPicture(const CctTable& table, int& width, int& height) {
  const int rows = (kLatticeSize + kSlicesPerRow - 1) / kSlicesPerRow;
  const int pairHeight = 2 * kSlice + kPairGap;
  width = kSlicesPerRow * kSlice + (kSlicesPerRow + 1) * kGap;
  height = rows * pairHeight + (rows + 1) * kGap;
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, kBackground);
  auto paint = [&](int x0, int y0, const uint8_t* colour) {
    for (int y = y0; y < y0 + kCell; ++y)
      for (int x = x0; x < x0 + kCell; ++x) {
        uint8_t* p = &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
        p[0] = colour[0];
        p[1] = colour[1];
        p[2] = colour[2];
      }
  };
  for (int iB = 0; iB < kLatticeSize; ++iB) {
    const int left = kGap + (iB % kSlicesPerRow) * (kSlice + kGap);
    const int top = kGap + (iB / kSlicesPerRow) * (pairHeight + kGap);
    for (int iG = 0; iG < kLatticeSize; ++iG)
      for (int iR = 0; iR < kLatticeSize; ++iR) {
        const uint8_t own[3] = {static_cast<uint8_t>(LatticeNode(iR)), static_cast<uint8_t>(LatticeNode(iG)),
                                static_cast<uint8_t>(LatticeNode(iB))};
        paint(left + iR * kCell, top + iG * kCell, own);
        paint(left + iR * kCell, top + kSlice + kPairGap + iG * kCell, table.At(iR, iG, iB));
      }
  }
  return rgb;
}
