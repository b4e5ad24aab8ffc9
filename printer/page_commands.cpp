// The commands that frame a print: the wait until the printer reports itself
// ready, the start and end of each copy's page, and the end of the run.

#include "base/resource_ids.h"
#include "framework/afx.h"
#include "framework/dialog.h"
#include "platform/clock.h"
#include "printer/command_block.h"
#include "printer/printer_commands.h"

namespace {

// Four minutes: the longest a printer may take to become ready (head warm-up).
constexpr uint32_t kReadyTimeoutMs = 240000;

int32_t SendEnd(uint8_t which) {
  BuildCommandBlock(kBlockWrite, 1, kOpEnd, kEndOperand);
  CommandData(0) = which;
  DelayMs(10);
  if (g_pfnCommand_set(g_commandBlock) != 0) {
    AfxMessageBox(IDS_PRINTER_NOT_FOUND);
    return -1;
  }
  return 1;
}

}  // namespace

int32_t WaitPrinterReady() {
  const uint32_t start = GetTickCount();
  // The library leaves the header alone, so one build serves every poll.
  BuildCommandBlock(kBlockRead, 1, kOpReadParameter, kParamState);
  for (;;) {
    if (g_pfnCommand_set(g_commandBlock) != 0) {
      AfxMessageBox(IDS_TRANSFER_FAILED);
      return 1;
    }
    // The state is tested before the time, so a reply of "ready" always wins.
    if (CommandData(0) == kPrinterStateReady) {
      return 0;
    }
    // A close request ends the wait as if the four minutes had run out.
    if (static_cast<uint32_t>(GetTickCount() - start) > kReadyTimeoutMs || AfxIsCloseRequested()) {
      AfxMessageBox(IDS_PRINTER_NOT_FOUND);
      return 1;
    }
    DelayMs(1);
  }
}

int32_t SendStartPage() {
  BuildCommandBlock(kBlockWrite, 0, kOpStartPage, kStartPageOperand);
  DelayMs(100);
  if (QueryPrinterStatus() != kStatusReady) {
    AfxMessageBox(IDS_PRINTER_NOT_READY);
    return -1;
  }
  if (g_pfnCommand_set(g_commandBlock) != 0) {
    AfxMessageBox(IDS_PRINTER_NOT_FOUND);
    return -1;
  }
  return 1;
}

// Neither end command asks for the status first: they must reach a printer
// that is still busy finishing the page.
int32_t SendPageEnd() { return SendEnd(kEndOfPage); }

int32_t SendRunEnd() { return SendEnd(kEndOfRun); }
