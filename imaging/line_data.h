// Head data of one printed line, built just in time from the head planes.
#pragma once

#include <cstdint>

// Fills g_lineBuffer with 0xFF and writes line `a`'s head rows into slot a % 2.
void PrepareLineData(int32_t a);
// The data of image line `a` of a page (0 .. kPageLines - 1) as it is sent,
// laid out as base/printer_protocol.h says: blank lead-in lines of a whole slot, head data
// up to kLastDataLine, blank run-out lines after it. Writes the bytes to
// `out` (room for kLeadInLineBytes) and returns their number.
int FillPageLine(int32_t a, uint8_t* out);
