// The check of the three printer parameters the print depends on: each is
// read back and written only when the printer holds something else. The
// printer's status lines are not consulted here.

#include "base/resource_ids.h"
#include "framework/afx.h"
#include "printer/command_block.h"
#include "printer/printer_commands.h"

int32_t SyncPrinterParameters() {
  bool first = true;
  for (const PrinterParameter& wanted : kWantedParameters) {
    if (!first) {
      DelayMs(10);
    }
    first = false;

    BuildCommandBlock(kBlockRead, wanted.length, kOpReadParameter, wanted.number);
    if (g_pfnCommand_set(g_commandBlock) != 0) {
      AfxMessageBox(IDS_TRANSFER_FAILED);
      return 1;
    }
    bool holds = true;
    for (int i = 0; i < wanted.length; ++i) {
      if (CommandData(i) != wanted.value[i]) {
        holds = false;
      }
    }
    if (holds) {
      continue;
    }

    DelayMs(10);
    BuildCommandBlock(kBlockWrite, wanted.length, kOpWriteParameter, wanted.number);
    for (int i = 0; i < wanted.length; ++i) {
      CommandData(i) = wanted.value[i];
    }
    if (g_pfnCommand_set(g_commandBlock) != 0) {
      AfxMessageBox(IDS_TRANSFER_FAILED);
      return 1;
    }
  }
  return 0;
}
