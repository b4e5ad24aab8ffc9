// The printer status as the program acts on it, from the link library's
// readiness code. The two fault codes of the line state are the only ones
// that reach the operator; a printer that is merely busy is left to the
// caller to poll again.

#include "base/resource_ids.h"
#include "framework/afx.h"
#include "printer/printer_commands.h"

namespace {

// After a fault the printer is reset and given 100 ms to come back before the
// caller sends anything.
void ResetAfterFault() {
  g_pfnLPT_Reset();
  DelayMs(100);
}

}  // namespace

int32_t QueryPrinterStatus() {
  const uint16_t ready = g_pfnIs_Ready();
  switch (ready) {
    case kReadyFree:
      return kStatusReady;
    case kLineBothHigh: {
      const bool retry = AfxMessageBox(IDS_FAULT_RETRY, MB_YESNO) == IDYES;
      ResetAfterFault();
      return retry ? kStatusRetry : kStatusAbort;
    }
    case kLineBothLow:
      AfxMessageBox(IDS_FAULT_FATAL, MB_OK);
      ResetAfterFault();
      return kStatusAbort;
    default:
      return kStatusBusy;
  }
}
