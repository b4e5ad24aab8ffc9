// The picture of a print, rebuilt from the head data alone: the inverse of
// the line head-data preparation. Each of the eleven head rows of a line
// carries one dye from the page column a fixed number of lines behind it,
// placed at a fixed cell offset (mirrored on odd lines); adding a dye's rows
// back together gives what the head put on the paper at each page position.
// Used by the virtual printer for its copyN.png and by the page preview tool
// for its simulated print.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/printer_protocol.h"

constexpr int kPrintRows = kHeadPositions;  // page rows: across the head (picture height)
constexpr int kPrintColumns = kHeadColumns;  // page columns: along the feed (picture width)
constexpr int kPrintPlane = kPrintRows * kPrintColumns;

// Levels: three planes of kPrintPlane int16 values, cyan, magenta, yellow, each
// row-major (row i, column c at i * kPrintColumns + c). Cyan and magenta are the
// sum of their four head rows (0..1020, the head level); yellow is the sum of
// its three rows (0..765: the floor row of the level is not printed).
constexpr int kPrintCyan = kCyan;
constexpr int kPrintMagenta = kMagenta;
constexpr int kPrintYellow = kYellow;
constexpr int kPrintFullCyan = 1020;
constexpr int kPrintFullMagenta = 1020;
constexpr int kPrintFullYellow = 765;

// Sets all three planes to 0, ready for AddPrintLine to add head rows into.
void ClearPrintLevels(int16_t* cmyLevels);
// Adds the head rows that line `lineIndex` of a page carries. `bytes` may be
// shorter than a full line; cells beyond it are taken as not printed.
void AddPrintLine(int lineIndex, const uint8_t* line, size_t bytes, int16_t* cmyLevels);
// Rebuilds a whole page from its image lines concatenated in order, laid out
// as the line sender sends them: kLeadInLines lines of kLeadInLineBytes, then
// lines of kLineBytes.
// False (levels cleared) when `bytes` does not fit that layout.
bool RebuildPrintLevels(const uint8_t* lines, size_t bytes, int16_t* cmyLevels);
// The print as the page it shows. A head level follows the page value that
// drives it (red drives cyan, green magenta, blue yellow): the tone tables
// turn page white into the top levels and black into 0, and blank lines are
// sent as all 0xFF. So a full level leaves the paper white and level 0 lays
// full dye: red = cyan * 255 / 1020, green from magenta likewise,
// blue = yellow * 255 / 765; limited to 0..255.
// rgb: kPrintRows rows of kPrintColumns pixels, 3 bytes R, G, B.
void PrintLevelsToRgb(const int16_t* cmyLevels, uint8_t* rgb);
// Writes an 8-bit RGB picture as PNG. False when the file cannot be written.
bool WritePngRgb(const char* path, int width, int height, const uint8_t* rgb);
