// The check of the three printer parameters the print depends on: each is
// read back and written only when the printer holds something else. The
// printer's status lines are not consulted here.

#include "framework/afx.h"
#include "printer/command_block.h"
#include "printer/printer_commands.h"

namespace {

constexpr uint8_t kReadParameter = 0xFF;
constexpr uint8_t kWriteParameter = 0xFE;

struct WantedParameter {
  uint8_t number;
  uint16_t length;
  uint8_t value[2];
};

// In the order they are checked: parameter 20 = 45, parameter 21 = 43,
// parameter 12 = 8 then 7.
constexpr WantedParameter kWantedParameters[] = {
    {0x14, 1, {0x2D, 0x00}},
    {0x15, 1, {0x2B, 0x00}},
    {0x0C, 2, {0x08, 0x07}},
};

}  // namespace

int32_t SyncPrinterParameters() {
  bool first = true;
  for (const WantedParameter& wanted : kWantedParameters) {
    if (!first) {
      DelayMs(10);
    }
    first = false;

    BuildCommandBlock(kBlockRead, wanted.length, kReadParameter, wanted.number);
    if (g_pfnCommand_set(g_commandBlock) != 0) {
      AfxMessageBox(2006);
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
    BuildCommandBlock(kBlockWrite, wanted.length, kWriteParameter, wanted.number);
    for (int i = 0; i < wanted.length; ++i) {
      CommandData(i) = wanted.value[i];
    }
    if (g_pfnCommand_set(g_commandBlock) != 0) {
      AfxMessageBox(2006);
      return 1;
    }
  }
  return 0;
}
