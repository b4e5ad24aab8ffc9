// The page in memory and the loader that fills it. All page storage is static
// and lives for the whole process.
#pragma once

#include <cstdint>
#include <cstdio>

#include "base/printer_protocol.h"

class CWnd;

constexpr int kPageRows = kHeadPositions;  // rows of the landscape frame (positions along the head)
constexpr int kPageLength = 645;   // page-length constant: passes treat columns 0..kPageLength-6
constexpr int kPageColumns = kHeadColumns;  // columns used (printed lines)

// Page image: 490 rows x 650 pixel slots of blue, green, red; row stride 1950.
constexpr int kPageImageRows = 490;
constexpr int kPageImageSlots = 650;
constexpr int kPageStride = kPageImageSlots * 3;  // 1950 bytes
extern uint8_t g_pageImage[kPageImageRows * kPageStride];

// Load buffer: same pixel format and stride, 650 rows.
constexpr int kLoadBufferRows = 650;
extern uint8_t g_loadBuffer[kLoadBufferRows * kPageStride];

// Head planes: 490 rows x 660 elements of three int16 levels (yellow, magenta,
// cyan); row stride 3960 bytes (1980 int16).
constexpr int kPlaneRows = 490;
constexpr int kPlaneElements = 660;
constexpr int kPlaneStride = kPlaneElements * 3;  // in int16 values
extern int16_t g_headPlanes[kPlaneRows * kPlaneStride];

// Head line buffer: two slots (line parity), each a whole line of head data.
constexpr int kLineSlotBytes = kLeadInLineBytes;
extern uint8_t g_lineBuffer[2 * kLineSlotBytes];

// Loads the page from the open page file (nullptr: none) into g_pageImage:
// fit, turn, mirror in test-print mode, speckle filter when DigitalCamera is 1,
// colour match. Moves `progress` (may be nullptr) from 0 to 60.
// 1 on success, -1 on failure (message shown).
int LoadPageImage(FILE* pageFile, CWnd* progress);

// Set by the command line: the test bitmap is printed, mirrored vertically.
extern int32_t g_bTestPrint;
