// Level limit: caps each head plane at the top entry of its dye's tone table.
#include <cstdint>

#include "imaging/media_tables.h"
#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"

void LimitHeadPlanes() {
  // The limit is the tone-table entry taken as an unsigned 16-bit value, so a
  // negative entry limits nothing. Element order: yellow, magenta, cyan.
  const int limit[3] = {uint16_t(g_mediaToneTables[2][255]), uint16_t(g_mediaToneTables[1][255]),
                        uint16_t(g_mediaToneTables[0][255])};
  for (int r = 0; r < kPageRows; ++r) {
    int16_t* e = g_headPlanes + r * kPlaneStride;
    for (int c = 0; c < kPageColumns; ++c, e += 3) {
      for (int k = 0; k < 3; ++k)
        if (e[k] > limit[k]) e[k] = static_cast<int16_t>(limit[k]);
    }
  }
}
