// Register primitives and byte handshakes of the printer link.

#include "lptgate/handshake.h"

#include "platform/port_io.h"

// Before InitPort selects a port everything works on the default base.
uint16_t g_portDataAddr = kDefaultPortBase;
uint16_t g_portStatusAddr = kDefaultPortBase + 1;
uint16_t g_portControlAddr = kDefaultPortBase + 2;

namespace {


// nInit is held low for this many turns of an empty loop; volatile so the
// compiler keeps the loop and the printer sees a pulse of some length.
constexpr uint32_t kInitSpin = 1000;

}  // namespace

void SelectPort(int32_t selector) {
  if (selector < 1 || selector > 4) return;
  const uint16_t base = kParallelPortBases[selector - 1];
  g_portDataAddr = base;
  g_portStatusAddr = uint16_t(base + 1);
  g_portControlAddr = uint16_t(base + 2);
}

void SetControlIdle() { PortWrite(g_portControlAddr, kControlIdle); }

void SetAutoFeed() { PortWrite(g_portControlAddr, kControlAutoFeed); }

void SetCommandStrobe(uint16_t s) {
  if (s == 1) PortWrite(g_portControlAddr, kControlCommandStrobe);
  else if (s == 0) PortWrite(g_portControlAddr, kControlIdle);
}

void SetDataStrobe(uint16_t s) {
  if (s == 1) PortWrite(g_portControlAddr, kControlDataStrobe);
  else if (s == 0) PortWrite(g_portControlAddr, kControlAutoFeed);
}

// The counter is decremented before each read and the wait gives up when it
// reaches 0, so an attempt of n reads at most n - 1 times.
uint16_t WaitStatusBits(uint16_t n, uint8_t mask) {
  for (uint16_t left = n; left > 1; --left) {
    if ((PortRead(g_portStatusAddr) & mask) == mask) return 0;
  }
  return 1;
}

uint16_t WaitAckLow(uint16_t n) {
  for (uint16_t left = n; left > 1; --left) {
    if (!(PortRead(g_portStatusAddr) & kStatusNAck)) return 0;
  }
  return 1;
}

uint16_t WaitAckHigh(uint16_t n) {
  for (uint16_t left = n; left > 1; --left) {
    if (PortRead(g_portStatusAddr) & kStatusNAck) return 0;
  }
  return 1;
}

uint16_t PulseInit() {
  PortWrite(g_portControlAddr, kControlInit);
  for (volatile uint32_t spin = 0; spin < kInitSpin;) {
    spin = spin + 1;
  }
  SetControlIdle();
  return 0;
}

uint16_t ReadLineState() {
  const uint8_t lines = PortRead(g_portStatusAddr) & (kStatusNError | kStatusPaperEnd);
  if (lines == (kStatusNError | kStatusPaperEnd)) return kLineBothHigh;
  if (lines == 0) return kLineBothLow;
  return kLineNormal;
}

uint16_t PatientWaitNotBusy() {
  for (int attempt = 0; attempt < kPatientAttempts; ++attempt)
    if (WaitStatusBits(kPollByteFree, kStatusNotBusy) == 0) return 0;
  return 1;
}

uint16_t SendCommandByte(uint8_t byte) {
  if (PatientWaitNotBusy()) return 1;
  PortWrite(g_portDataAddr, byte);
  // Strobe pulse with AutoFeed released: the printer takes a command byte.
  SetCommandStrobe(1);
  SetCommandStrobe(0);
  return 0;
}

uint16_t SendDataByte(uint8_t byte) {
  if (PatientWaitNotBusy()) return 1;
  if (PatientWaitNotBusy()) return 2;
  PortWrite(g_portDataAddr, byte);
  // Strobe pulse with AutoFeed held asserted: a data byte.
  SetDataStrobe(1);
  SetDataStrobe(0);
  return 0;
}

uint16_t ReceiveDataBit(uint8_t* bit) {
  int attempt = 0;
  while (WaitAckLow(kPollAckLow) != 0)
    if (++attempt == kPatientAttempts) return 1;
  // The printer holds the bit on Select while nAck is low.
  *bit = (PortRead(g_portStatusAddr) & kStatusSelect) ? 1 : 0;
  // Strobe is the host's acknowledge and stays asserted until nAck rises.
  SetDataStrobe(1);
  attempt = 0;
  while (WaitAckHigh(kPollByteFree) != 0)
    if (++attempt == kPatientAttempts) return 2;
  SetDataStrobe(0);
  return 0;
}
