#include "app/exit_status.h"

#include "framework/dialog.h"

namespace {
int g_nJobEnd = -1;  // none noted yet
}

void NoteJobEnd(ExitStatus status) {
  if (g_nJobEnd >= 0) return;
  if (status != kExitPrinted && AfxIsCloseRequested()) status = kExitCancelled;
  g_nJobEnd = status;
}

int JobExitStatus() { return g_nJobEnd >= 0 ? g_nJobEnd : kExitFailed; }

void ResetJobEnd() { g_nJobEnd = -1; }
