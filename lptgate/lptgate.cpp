// The printer link library's five exports: block transfer with its result
// codes, the search for the printer's port, readiness, reset and version.

#include "lptgate/lptgate.h"

#include <cstring>

#include "base/printer_protocol.h"
#include "lptgate/handshake.h"
#include "platform/clock.h"
#include "platform/port_io.h"

#define LPTGATE_EXPORT __attribute__((visibility("default")))

namespace {

constexpr uint8_t kResultEntry = 0x40;

// The wait for a free printer before a block is repeated; the block is
// refused after this many consecutive time-outs.
constexpr int kBlockFreeAttempts = 302;

constexpr uint32_t kSearchPauseMs = 500;

// InitPort's own block: the identification query with room for 12 bytes.
uint8_t g_identifyBlock[kCommandHeaderBytes + 12];

int32_t Fail(CommandBlock* block, int32_t code) {
  block[7] = uint8_t(ReadLineState());
  return code;
}

int32_t Finish(CommandBlock* block) {
  SetControlIdle();
  block[7] = 0;
  return 0;
}

// Busy-waits on the multimedia timer until it reads past start + 500. The
// comparison is by unsigned distance, so a pause that spans the wrap of the
// 32-bit count still lasts 500 ms (and one that would end at 0xFFFFFFFF
// still ends).
void PauseSearch() {
  const uint32_t until = timeGetTime() + kSearchPauseMs;
  while (int32_t(timeGetTime() - until) <= 0) {
  }
}

void BuildIdentifyQuery() {
  std::memset(g_identifyBlock, 0, sizeof g_identifyBlock);
  g_identifyBlock[0] = kBlockRead;  // direction, little-endian
  g_identifyBlock[1] = 0;
  g_identifyBlock[2] = kPrinterIdBytes;  // length, little-endian
  g_identifyBlock[3] = 0;
  g_identifyBlock[4] = kCommandLead;
  g_identifyBlock[5] = kOpReadParameter;
  g_identifyBlock[6] = kParamIdentity;
  g_identifyBlock[7] = 0;
}

bool PrinterAnswers() {
  return Command_set(g_identifyBlock) == 0 &&
         std::memcmp(g_identifyBlock + kCommandHeaderBytes, kPrinterId, kPrinterIdBytes) == 0;
}

}  // namespace

extern "C" {

// Each block, readiness look and reset pulse is one port session: the port is
// held for it and free for other programs between them.
LPTGATE_EXPORT int32_t Command_set(CommandBlock* block) {
  const PortSession session;
  block[7] = kResultEntry;
  const uint16_t direction = uint16_t(block[0] | (block[1] << 8));
  const uint16_t length = uint16_t(block[2] | (block[3] << 8));

  // Entry check: the block starts only with nError and PaperEnd apart and the
  // printer online. Nothing is written when it refuses.
  const uint8_t status = PortRead(g_portStatusAddr);
  const uint8_t lines = status & (kStatusNError | kStatusPaperEnd);
  if (lines == 0) return 2;
  if (lines == (kStatusNError | kStatusPaperEnd)) return 1;
  if (!(status & kStatusSelect)) return 2;

  int timeouts = 0;
  while (WaitStatusBits(kPollBlockFree, kStatusNotBusy) != 0)
    if (++timeouts == kBlockFreeAttempts) return Fail(block, 1);

  SetControlIdle();
  SetControlIdle();

  for (int i = 0; i < 3; ++i)
    if (SendCommandByte(block[4 + i]) != 0) return Fail(block, 2);
  if (PatientWaitNotBusy() != 0) return Fail(block, 3);

  SetAutoFeed();
  if (length == 0) return Finish(block);

  uint8_t* data = block + kCommandHeaderBytes;
  if (direction == kBlockRead) {
    // Bits arrive least significant first. The count is 32 bits wide so a
    // reply of more than 8191 bytes cannot wrap it.
    const uint32_t bits = uint32_t(length) * 8;
    uint8_t byte = 0;
    for (uint32_t i = 0; i < bits; ++i) {
      uint8_t bit = 0;
      const uint16_t failed = ReceiveDataBit(&bit);
      if (failed == 1) return Fail(block, 4);
      if (failed == 2) return Fail(block, 5);
      byte = uint8_t(byte | (bit << (i % 8)));
      if (i % 8 == 7) {
        data[i / 8] = byte;
        byte = 0;
      }
    }
    return Finish(block);
  }
  if (direction == kBlockWrite) {
    if (WaitStatusBits(kPollWriteLook, kStatusNotBusy) != 0) return Fail(block, 6);
    for (uint32_t i = 0; i < length; ++i) {
      const uint16_t failed = SendDataByte(data[i]);
      if (failed == 1) return Fail(block, 8);
      if (failed == 2) return Fail(block, 9);
    }
    if (PatientWaitNotBusy() != 0) return Fail(block, 9);
    return Finish(block);
  }
  // Any other direction: the command alone; AutoFeed stays asserted until the
  // next block or reset.
  block[7] = 0;
  return 0;
}

LPTGATE_EXPORT int32_t InitPort(int32_t selector) {
  BuildIdentifyQuery();
  if (selector > 0) {
    SelectPort(selector);
    if (PrinterAnswers()) return selector;
  }
  for (int32_t s = 1; s <= 4; ++s) {
    SelectPort(s);
    LPT_Reset();
    PauseSearch();
    LPT_Reset();
    PauseSearch();
    if (PrinterAnswers()) return s;
  }
  return -1;
}

LPTGATE_EXPORT uint16_t Is_Ready(void) {
  const PortSession session;
  if (WaitStatusBits(kPollReadyLook, kStatusNotBusy) == 0) return kReadyFree;
  return ReadLineState();
}

LPTGATE_EXPORT uint16_t LPT_Reset(void) {
  const PortSession session;
  return PulseInit();
}

LPTGATE_EXPORT float GetDLLversion(void) { return 0.12f; }

}  // extern "C"
