// Filling the header of the shared transfer block. Every printer command the
// program sends begins with kCommandLead; the second byte is the operation and
// the third its operand (see base/printer_protocol.h). Each sequence fills all seven header bytes itself before
// it sends, so nothing a previous command left in the block can leak into the
// next one; the result byte (offset 7) belongs to the link library.
#pragma once

#include <cstdint>

#include "base/printer_protocol.h"
#include "printer/printer_commands.h"

inline void BuildCommandBlock(uint16_t direction, uint16_t length, uint8_t operation,
                              uint8_t operand) {
  g_commandBlock[0] = static_cast<uint8_t>(direction & 0xFF);
  g_commandBlock[1] = static_cast<uint8_t>(direction >> 8);
  g_commandBlock[2] = static_cast<uint8_t>(length & 0xFF);
  g_commandBlock[3] = static_cast<uint8_t>(length >> 8);
  g_commandBlock[4] = kCommandLead;
  g_commandBlock[5] = operation;
  g_commandBlock[6] = operand;
}

// Data byte n of the block: the first byte after the header is data byte 0.
inline uint8_t& CommandData(int n) { return g_commandBlock[kCommandHeaderBytes + n]; }
