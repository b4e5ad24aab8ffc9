// Level limit: caps each head plane at the top entry of its dye's tone table.
#include <algorithm>
#include <cstdint>

#include "imaging/media_tables.h"
#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"

void LimitHeadPlanes() {
  // The limit is the tone-table entry taken as an unsigned 16-bit value, so a
  // negative entry limits nothing: it becomes 32767, above every level.
  // Element order: yellow, magenta, cyan; one row of limits in that pattern
  // lets a whole row of levels be capped in one straight sweep.
  int16_t limit[3];
  for (int dye = 0; dye < 3; ++dye) {
    const int16_t top = g_mediaToneTables[dye][255];
    limit[2 - dye] = top < 0 ? int16_t(32767) : top;
  }
  int16_t rowLimit[kPageColumns * 3];
  for (int i = 0; i < kPageColumns * 3; ++i) rowLimit[i] = limit[i % 3];

  for (int r = 0; r < kPageRows; ++r) {
    int16_t* e = g_headPlanes + r * kPlaneStride;
    for (int i = 0; i < kPageColumns * 3; ++i) e[i] = std::min(e[i], rowLimit[i]);
  }
}
