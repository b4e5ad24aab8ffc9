// The printer status as the program acts on it, from the link library's
// readiness code. The two fault codes of the line state are the only ones
// that reach the operator; a printer that is merely busy is left to the
// caller to poll again.

#include "framework/afx.h"
#include "printer/printer_commands.h"

namespace {

// Is_Ready codes: 0 not busy; 1 nError and PaperEnd high; 2 both low;
// 3 busy otherwise.
constexpr uint16_t kReadyFree = 0;
constexpr uint16_t kReadyFaultClearable = 1;
constexpr uint16_t kReadyFaultFatal = 2;

constexpr int32_t kStatusReady = 0;
constexpr int32_t kStatusBusy = 1;
constexpr int32_t kStatusAbort = 2;
constexpr int32_t kStatusRetry = 3;

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
    case kReadyFaultClearable: {
      const bool retry = AfxMessageBox(2026, MB_YESNO) == IDYES;
      ResetAfterFault();
      return retry ? kStatusRetry : kStatusAbort;
    }
    case kReadyFaultFatal:
      AfxMessageBox(2027, MB_OK);
      ResetAfterFault();
      return kStatusAbort;
    default:
      return kStatusBusy;
  }
}
