// A colour-match table in memory, its file, and the filling of its lattice
// from a colour transform. The file layout and the node levels are the
// engine's own (imaging/color_match.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/color_match.h"

constexpr int kLatticeNodes = kLatticeSize * kLatticeSize * kLatticeSize;  // 35937

// Output red, green and blue at every lattice node.
struct CctTable {
  std::vector<uint8_t> rgb = std::vector<uint8_t>(kLatticeNodes * 3);

  uint8_t* At(int iR, int iG, int iB) { return &rgb[static_cast<size_t>((iR * kLatticeSize + iG) * kLatticeSize + iB) * 3]; }
  const uint8_t* At(int iR, int iG, int iB) const {
    return &rgb[static_cast<size_t>((iR * kLatticeSize + iG) * kLatticeSize + iB) * 3];
  }
};

// Every entry equal to its own node levels: the table that changes nothing.
CctTable IdentityTable();

// A page value 0..1 as a byte: value x 255 rounded, limited to 0..255. Sets
// *clipped when the value lay outside 0..1 by more than rounding noise.
uint8_t UnitToByte(double value, bool* clipped = nullptr);

// Fills every node from `transform`, which takes the node's red, green and
// blue as page values 0..1 (level / 255) and gives the output the same way.
// Returns how many nodes had an output channel outside 0..1 (clipped).
using LatticeTransform = std::function<void(const double in[3], double out[3])>;
int SampleLattice(CctTable& table, const LatticeTransform& transform);

// The table file's bytes: a 33 x 1089 24-bit bitmap, bottom row first.
std::vector<uint8_t> CctFileBytes(const CctTable& table);
// Reads a table file as the engine does (size field, data offset, 1089 rows of
// 100 bytes). On failure `error` names the file and the field.
bool ReadCctFile(const std::string& path, CctTable& table, std::string& error);
// Writes the table file under a temporary name beside `path` and renames it.
bool WriteCctFile(const std::string& path, const CctTable& table, std::string& error);
