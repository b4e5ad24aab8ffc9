// The commands that frame a print: the wait until the printer reports itself
// ready, the start and end of each copy's page, and the end of the run.

#include "framework/afx.h"
#include "framework/dialog.h"
#include "platform/clock.h"
#include "printer/command_block.h"
#include "printer/printer_commands.h"

namespace {

constexpr uint8_t kReadParameter = 0xFF;
constexpr uint8_t kPrinterStateParameter = 0x06;
constexpr uint8_t kPrinterStateReady = 3;
// Four minutes: the longest a printer may take to become ready (head warm-up).
constexpr uint32_t kReadyTimeoutMs = 240000;

constexpr uint8_t kStartPage = 0x08;
constexpr uint8_t kEndCommand = 0x02;
constexpr uint8_t kEndOperand = 0x01;
constexpr uint8_t kEndOfPage = 0x00;
constexpr uint8_t kEndOfRun = 0xFF;

int32_t SendEnd(uint8_t which) {
  BuildCommandBlock(kBlockWrite, 1, kEndCommand, kEndOperand);
  CommandData(0) = which;
  DelayMs(10);
  if (g_pfnCommand_set(g_commandBlock) != 0) {
    AfxMessageBox(2004);
    return -1;
  }
  return 1;
}

}  // namespace

int32_t WaitPrinterReady() {
  const uint32_t start = GetTickCount();
  // The library leaves the header alone, so one build serves every poll.
  BuildCommandBlock(kBlockRead, 1, kReadParameter, kPrinterStateParameter);
  for (;;) {
    if (g_pfnCommand_set(g_commandBlock) != 0) {
      AfxMessageBox(2006);
      return 1;
    }
    // The state is tested before the time, so a reply of "ready" always wins.
    if (CommandData(0) == kPrinterStateReady) {
      return 0;
    }
    // A close request ends the wait as if the four minutes had run out.
    if (static_cast<uint32_t>(GetTickCount() - start) > kReadyTimeoutMs || AfxIsCloseRequested()) {
      AfxMessageBox(2004);
      return 1;
    }
    DelayMs(1);
  }
}

int32_t SendStartPage() {
  BuildCommandBlock(kBlockWrite, 0, kStartPage, 0x00);
  DelayMs(100);
  if (QueryPrinterStatus() != 0) {
    AfxMessageBox(2028);
    return -1;
  }
  if (g_pfnCommand_set(g_commandBlock) != 0) {
    AfxMessageBox(2004);
    return -1;
  }
  return 1;
}

// Neither end command asks for the status first: they must reach a printer
// that is still busy finishing the page.
int32_t SendPageEnd() { return SendEnd(kEndOfPage); }

int32_t SendRunEnd() { return SendEnd(kEndOfRun); }
