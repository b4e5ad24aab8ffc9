// The link library's lowest layer: the selected port's three registers, the
// register primitives, the line-state code, the reset pulse and the byte and
// bit handshakes. Private to lptgate.so.
//
// Every wait is a busy poll of the status register counted in reads, never
// in clock time: a 16-bit counter starts at n and is decremented before each
// read, and the wait gives up when it reaches 0 without reading again, so one
// attempt is at most n - 1 reads.
#pragma once

#include <cstdint>

#include "base/printer_protocol.h"

// Status register bits as read. BUSY reads inverted: 1 = the printer is free.
constexpr uint8_t kStatusNotBusy = 0x80;
constexpr uint8_t kStatusNAck = 0x40;      // 0 while the printer holds Acknowledge
constexpr uint8_t kStatusPaperEnd = 0x20;
constexpr uint8_t kStatusSelect = 0x10;    // online; the reply bit during a read
constexpr uint8_t kStatusNError = 0x08;

// Control register values (whole values, never read back). SelectIn is
// asserted in all of them; bits 4 and 5 stay 0 (no interrupt, forward).
constexpr uint8_t kControlIdle = 0x0C;
constexpr uint8_t kControlCommandStrobe = 0x0D;
constexpr uint8_t kControlAutoFeed = 0x0E;   // data phase
constexpr uint8_t kControlDataStrobe = 0x0F;
constexpr uint8_t kControlInit = 0x08;       // nInit low: printer reset

// Poll counts (n of the polling rule).
constexpr uint16_t kPollReadyLook = 0x0800;  // Is_Ready's single look
constexpr uint16_t kPollAckLow = 0x7000;     // one attempt at nAck low
constexpr uint16_t kPollBlockFree = 0x8000;  // one attempt at not-busy before a block
constexpr uint16_t kPollByteFree = 0xF000;   // not-busy per byte; nAck high
constexpr uint16_t kPollWriteLook = 0xFFFF;  // single look before a write's first byte
// A patient wait repeats its attempt this many times before it fails.
constexpr int kPatientAttempts = 100;

// Line-state codes from nError and PaperEnd: kLineBothHigh, kLineBothLow and
// kLineNormal of the printer's vocabulary.

extern uint16_t g_portDataAddr;
extern uint16_t g_portStatusAddr;
extern uint16_t g_portControlAddr;

// Selectors 1..4 pick bases 0x3BC, 0x2BC, 0x378, 0x278; any other leaves the
// addresses as they are.
void SelectPort(int32_t selector);

void SetControlIdle();
void SetAutoFeed();
void SetCommandStrobe(uint16_t s);
void SetDataStrobe(uint16_t s);
uint16_t WaitStatusBits(uint16_t n, uint8_t mask);
uint16_t WaitAckLow(uint16_t n);
uint16_t WaitAckHigh(uint16_t n);
uint16_t PulseInit();
uint16_t ReadLineState();

// Byte handshakes. Each returns 0 when done, else which patient wait failed.
// Command byte out: 1 = the wait for not-busy failed.
uint16_t SendCommandByte(uint8_t byte);
// Data byte out: 1 = the first wait failed, 2 = the second.
uint16_t SendDataByte(uint8_t byte);
// Data bit in: 0 or 1 in *bit; 1 = nAck never went low, 2 = never returned high.
uint16_t ReceiveDataBit(uint8_t* bit);
// A patient wait for not-busy (100 attempts of kPollByteFree): 0 or 1.
uint16_t PatientWaitNotBusy();
