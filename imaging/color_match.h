// Colour matching through the 33 x 33 x 33 table named by MatchFile.
#pragma once

#include <cstddef>
#include <cstdint>

class CWnd;

// The table file: a 24-bit bitmap 33 pixels wide and 1089 rows high, stored
// bottom row first. Once its rows are in picture order, entry (iR, iG, iB)
// is pixel iB of row iR * 33 + iG, three bytes: output blue, green, red.
constexpr int kLatticeSize = 33;
constexpr int kTableRows = kLatticeSize * kLatticeSize;        // 1089
constexpr int kTableRowBytes = 100;                            // 33 pixels x 3 bytes, padded to 4
constexpr uint32_t kTableBytes = kTableRows * kTableRowBytes;  // 108900

// Byte offset of entry (iR, iG, iB) in the table with its rows in picture order.
constexpr size_t TableEntryOffset(int iR, int iG, int iB) {
  return static_cast<size_t>(iR * kLatticeSize + iG) * kTableRowBytes + static_cast<size_t>(iB) * 3;
}

// Replaces every pixel of the page (width x height, row stride 3*width + 30)
// by the interpolated table value. Moves `progress` (may be nullptr) 50..59.
void ApplyColorMatch(int width, int height, uint8_t* page, CWnd* progress);
// Reverses the order of the 1089 rows of 100 bytes of the loaded table.
void FlipTableRows(uint8_t* table);
// The lattice cell k (0..32) an 8-bit level v lies in, and its lower node's
// level: node 0 is level 0, node k is level 8k - 1 (0, 7, 15, ..., 247, 255).
int LatticeCell(int v);
int LatticeNode(int k);
