// Colour matching through the 33 x 33 x 33 table named by MatchFile.
#pragma once

#include <cstdint>

class CWnd;

// Replaces every pixel of the page (width x height, row stride 3*width + 30)
// by the interpolated table value. Moves `progress` (may be nullptr) 50..59.
void ApplyColorMatch(int width, int height, uint8_t* page, CWnd* progress);
// Reverses the order of the 1089 rows of 100 bytes of the loaded table.
void FlipTableRows(uint8_t* table);
int LatticeCell(int v);
int LatticeNode(int k);
