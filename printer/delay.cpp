// The millisecond delay between printer operations: a busy wait on the tick
// count that neither sleeps nor lets the dialog run.

#include "platform/clock.h"
#include "printer/printer_commands.h"

void DelayMs(uint32_t ms) {
  if (ms == 0) {
    return;
  }
  const uint32_t start = GetTickCount();
  // Unsigned difference: the count wrapping through 0 during the wait does no
  // harm. A delay shorter than the count's step lasts until it next changes.
  while (static_cast<uint32_t>(GetTickCount() - start) < ms) {
  }
}
