#include "tools/cct_table.h"

#include <cmath>

#include "base/bitmap_file.h"
#include "tools/whole_file.h"

namespace {

// A value is clipped when limiting it changes its byte: beyond half a level
// outside 0..1.
constexpr double kClipSlack = 0.5 / 255.0;

}  // namespace

CctTable IdentityTable() {
  CctTable table;
  for (int iR = 0; iR < kLatticeSize; ++iR)
    for (int iG = 0; iG < kLatticeSize; ++iG)
      for (int iB = 0; iB < kLatticeSize; ++iB) {
        uint8_t* e = table.At(iR, iG, iB);
        e[0] = static_cast<uint8_t>(LatticeNode(iR));
        e[1] = static_cast<uint8_t>(LatticeNode(iG));
        e[2] = static_cast<uint8_t>(LatticeNode(iB));
      }
  return table;
}

uint8_t UnitToByte(double value, bool* clipped) {
  if (clipped && (value < -kClipSlack || value > 1.0 + kClipSlack || std::isnan(value))) *clipped = true;
  if (!(value > 0.0)) return 0;  // NaN too
  if (value >= 1.0) return 255;
  return static_cast<uint8_t>(value * 255.0 + 0.5);
}

int SampleLattice(CctTable& table, const LatticeTransform& transform) {
  int clippedNodes = 0;
  for (int iR = 0; iR < kLatticeSize; ++iR)
    for (int iG = 0; iG < kLatticeSize; ++iG)
      for (int iB = 0; iB < kLatticeSize; ++iB) {
        const double in[3] = {LatticeNode(iR) / 255.0, LatticeNode(iG) / 255.0, LatticeNode(iB) / 255.0};
        double out[3] = {0, 0, 0};
        transform(in, out);
        bool clipped = false;
        uint8_t* e = table.At(iR, iG, iB);
        for (int c = 0; c < 3; ++c) e[c] = UnitToByte(out[c], &clipped);
        clippedNodes += clipped;
      }
  return clippedNodes;
}

std::vector<uint8_t> CctFileBytes(const CctTable& table) {
  // Picture row iR * 33 + iG, column iB.
  std::vector<BitmapPixel> pixels(kLatticeNodes);
  for (int iR = 0; iR < kLatticeSize; ++iR)
    for (int iG = 0; iG < kLatticeSize; ++iG)
      for (int iB = 0; iB < kLatticeSize; ++iB) {
        const uint8_t* e = table.At(iR, iG, iB);
        pixels[static_cast<size_t>((iR * kLatticeSize + iG) * kLatticeSize + iB)] = BitmapPixel{e[2], e[1], e[0]};
      }
  return BitmapFileBytes(kLatticeSize, kTableRows, false, pixels);
}

bool ReadCctFile(const std::string& path, CctTable& table, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  if (bytes.size() < kBitmapHeaderBytes) {
    error = path + ": " + std::to_string(bytes.size()) + " bytes, shorter than the " +
            std::to_string(kBitmapHeaderBytes) + "-byte bitmap headers";
    return false;
  }
  const BitmapHeader fields = DecodeBitmapHeader(bytes.data());
  const uint32_t fileSize = fields.fileSize;
  const uint32_t dataOffset = fields.dataOffset;
  if (fileSize > bytes.size()) {
    error = path + ": field 'file size' (byte 2) says " + std::to_string(fileSize) + " bytes, the file holds " +
            std::to_string(bytes.size());
    return false;
  }
  if (fileSize < dataOffset || fileSize - dataOffset < kTableBytes) {
    error = path + ": field 'data offset' (byte 10) is " + std::to_string(dataOffset) + " and 'file size' (byte 2) " +
            std::to_string(fileSize) + ": room for less than the " + std::to_string(kTableBytes) +
            " bytes of a table";
    return false;
  }
  // The rows as the engine takes them, then each entry where the engine finds it.
  std::vector<uint8_t> rows(bytes.begin() + dataOffset, bytes.begin() + dataOffset + kTableBytes);
  FlipTableRows(rows.data());
  for (int iR = 0; iR < kLatticeSize; ++iR)
    for (int iG = 0; iG < kLatticeSize; ++iG)
      for (int iB = 0; iB < kLatticeSize; ++iB) {
        const uint8_t* px = &rows[TableEntryOffset(iR, iG, iB)];
        uint8_t* e = table.At(iR, iG, iB);
        e[0] = px[2];
        e[1] = px[1];
        e[2] = px[0];
      }
  return true;
}

bool WriteCctFile(const std::string& path, const CctTable& table, std::string& error) {
  const std::vector<uint8_t> bytes = CctFileBytes(table);
  return ReplaceFileBytes(path, bytes.data(), bytes.size(), error);
}
