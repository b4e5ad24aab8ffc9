// Head data of one printed line, built just in time from the head planes.
#pragma once

#include <cstdint>

// Fills g_lineBuffer with 0xFF and writes line `a`'s head rows into slot a % 2.
void PrepareLineData(int32_t a);
