// What the program and the printer say to each other, written once: the
// command bytes of every block, the parameters and what they hold, the
// printer's identification, the status codes, and how a page is laid out as
// image lines on the head. The engine, the link library, the virtual printer,
// the tools and the tests all take these from here (it sits in the lowest
// layer because the link library and the virtual printer, below the rest of
// the printer layer, speak it too).
#pragma once

#include <cstdint>

#include "base/frame.h"

// ---- Blocks ------------------------------------------------------------------
// A block is three command bytes, then (in the data phase) the data the
// command takes or the reply it gives. Direction and length are not on the
// wire: both sides know them from the command.
constexpr uint16_t kBlockRead = 0;   // the printer answers
constexpr uint16_t kBlockWrite = 1;  // the program sends

// The first command byte of every block.
constexpr uint8_t kCommandLead = 0x24;

// Second command byte: the operation. The third is its operand.
constexpr uint8_t kOpReadParameter = 0xFF;      // operand: a parameter below
constexpr uint8_t kOpWriteParameter = 0xFE;     // operand: a parameter below
constexpr uint8_t kOpReadHeadParameter = 0xFB;  // operand: kHeadParameterBase + colour
constexpr uint8_t kOpStartPage = 0x08;          // operand kStartPageOperand, no data
constexpr uint8_t kOpImageLine = 0x00;          // operand kImageLineOperand, one line
constexpr uint8_t kOpEnd = 0x02;                // operand kEndOperand, 1 byte: what ends

constexpr uint8_t kStartPageOperand = 0x00;
constexpr uint8_t kImageLineOperand = 0x01;
constexpr uint8_t kEndOperand = 0x01;
constexpr uint8_t kEndOfPage = 0x00;  // data byte of the end command
constexpr uint8_t kEndOfRun = 0xFF;

// ---- Parameters (operands of the read and write operations) -----------------
constexpr uint8_t kParamIdentity = 0xFD;          // read only: kPrinterIdBytes characters
constexpr uint8_t kParamState = 0x06;             // read only: 1 byte, kPrinterState*
constexpr uint8_t kParam14 = 0x14;                // 1 byte
constexpr uint8_t kParam15 = 0x15;                // 1 byte
constexpr uint8_t kParam0C = 0x0C;                // 2 bytes
constexpr uint8_t kParamTemperatureTable = 0x20;  // write only: kTemperatureTableBytes

// The values the print needs in parameters 0x14, 0x15 and 0x0C, in the order
// the program checks them; a printer that holds them needs no correcting.
struct PrinterParameter {
  uint8_t number;
  uint16_t length;
  uint8_t value[2];
};
constexpr PrinterParameter kWantedParameters[] = {
    {kParam14, 1, {0x2D, 0x00}},
    {kParam15, 1, {0x2B, 0x00}},
    {kParam0C, 2, {0x08, 0x07}},
};

// The printer's state, as the state read answers it.
constexpr uint8_t kPrinterStateWarming = 1;
constexpr uint8_t kPrinterStateReady = 3;

// The six characters the identification read answers.
constexpr int kPrinterIdBytes = 6;
constexpr char kPrinterId[kPrinterIdBytes + 1] = "QMRV01";

// ---- Head parameters and the temperature table -------------------------------
enum PrinterColour { kCyan = 0, kMagenta = 1, kYellow = 2 };
constexpr uint8_t kHeadParameterBase = 0x11;  // + colour: 0x11 cyan, 0x12 magenta, 0x13 yellow
// What a head parameter holds until the printer has been asked (and what the
// virtual printer answers unless told otherwise).
constexpr uint8_t kHeadParameterDefaults[3] = {92, 63, 108};
// The temperature table: 71 entries for each colour, cyan first.
constexpr int kTemperaturePoints = 71;
constexpr int kTemperatureTableBytes = 3 * kTemperaturePoints;  // 213

// ---- Status --------------------------------------------------------------------
// The link library's readiness (Is_Ready): free, or still busy with the line
// state of nError and PaperEnd.
constexpr uint16_t kReadyFree = 0;
constexpr uint16_t kLineBothHigh = 1;  // nError and PaperEnd high: a fault the operator can clear
constexpr uint16_t kLineBothLow = 2;   // both low: a fault that ends the print
constexpr uint16_t kLineNormal = 3;    // apart: merely busy

// The printer's status as the program acts on it (QueryPrinterStatus).
constexpr int32_t kStatusReady = 0;
constexpr int32_t kStatusBusy = 1;
constexpr int32_t kStatusAbort = 2;
constexpr int32_t kStatusRetry = 3;

// ---- Page line layout ------------------------------------------------------------
// A line of head data is cells of 16 bytes, one byte per head row. A page is
// kPageLines image lines: kLeadInLines blank lines of a whole slot
// (kLeadInLineBytes), then lines of the first kSentCells cells (kLineBytes):
// head data up to line kLastDataLine, blank run-out lines after it. Blank
// bytes are 0xFF.
constexpr int kCellBytes = 16;
constexpr int kLineCells = 632;
constexpr int kLeadInLineBytes = kLineCells * kCellBytes;  // 10112
constexpr int kSentCells = 604;
constexpr int kLineBytes = kSentCells * kCellBytes;  // 9664
constexpr int kPageLines = 790;
constexpr int kLeadInLines = 2;
constexpr int kRunOutLines = 97;
constexpr int kLastDataLine = kPageLines - kRunOutLines - 1;  // 692
constexpr uint8_t kBlankByte = 0xFF;

// The head prints kHeadRows rows of elements across kHeadColumns page columns
// (one per line) and kHeadPositions page rows (one per cell): the frame.
constexpr int kHeadColumns = kFrameColumns;
constexpr int kHeadPositions = kFrameRows;

// The eleven head rows, grouped by delay as they sit on the head: the byte of
// a cell each one occupies, its dye, how many lines it trails the first row
// (line a carries page column a - delay), and the cell page row 0 lands in on
// an even line. Odd lines run the other way along the head: cell s becomes
// kMirrorCell - s. A dye's level is split over its rows, each carrying one
// quarter of it, rounded by its `part` of the level: 0 the ceiling, 1 half up,
// 2 the top, 3 the floor. Yellow has no floor row.
struct HeadRow {
  int byte;
  PrinterColour dye;
  int delay;
  int offset;
  int part;
};
constexpr int kHeadRows = 11;
constexpr HeadRow kHeadRowTable[kHeadRows] = {
    {8, kCyan, 0, 43, 0},     {1, kYellow, 10, 60, 0},  {15, kMagenta, 10, 28, 0},
    {14, kMagenta, 19, 77, 1}, {2, kYellow, 19, 45, 1},  {12, kCyan, 19, 13, 1},
    {13, kMagenta, 29, 30, 2}, {5, kCyan, 29, 62, 2},    {11, kMagenta, 38, 47, 3},
    {0, kCyan, 38, 79, 3},     {3, kYellow, 38, 15, 2},
};
constexpr int kMirrorCell = 571;
