// The printer link library: the only code that speaks the printer's block
// protocol on the parallel-port registers. Loaded at run time as lptgate.so
// ("lptgate.dll" to the program); its five exports are looked up by name.
#pragma once

#include <cstdint>

// The transfer block Command_set interprets, caller-owned, at least
// 8 + length bytes:
//   0  uint16 LE  direction: 0 read, 1 write, other: command only
//   2  uint16 LE  length of the data
//   4  3 bytes    command bytes, sent in order
//   7  uint8      result: 0x40 on entry, 0 done, else the line state
//   8  length     data (sent, or received)
// The library never changes bytes 0 to 6.
constexpr int kCommandHeaderBytes = 8;
using CommandBlock = uint8_t;

extern "C" {
// The selector (1..4) of the port on which the printer answered, or -1.
// 0 or less searches all four bases; 1..4 tries that base first.
int32_t InitPort(int32_t selector);
// 0 = done; 1..6, 8, 9 = refused or failed (there is no 7).
int32_t Command_set(CommandBlock* block);
// 0 = not busy; 1, 2, 3 = still busy, with the line state.
uint16_t Is_Ready(void);
// One reset pulse on nInit; always 0.
uint16_t LPT_Reset(void);
// 0.12
float GetDLLversion(void);
}

using InitPortFn = int32_t (*)(int32_t);
using Command_setFn = int32_t (*)(CommandBlock*);
using Is_ReadyFn = uint16_t (*)(void);
using LPT_ResetFn = uint16_t (*)(void);
using GetDLLversionFn = float (*)(void);
