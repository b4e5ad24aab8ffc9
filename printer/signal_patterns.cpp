// The signal patterns written straight onto the data lines at the start and
// the end of a run, around the link library, to each of the four port bases.
//
// Only a base the port layer reports as a parallel port is written to: the
// program never writes to an I/O address that is not one. A base without a
// port still takes its 1 ms before every byte, so the patterns reach the
// printer at the same moments whichever ports the machine has.

#include "platform/port_io.h"
#include "printer/printer_commands.h"

namespace {

constexpr int kPatternBytes = 18;
using SignalPattern = uint8_t[kPatternBytes];

// Between the two 0xFF bytes, eight pairs: bits 3 and 1 set, bit 6 set in the
// first byte of a pair only, bits 5 and 4 the pair's two-bit symbol. The first
// seven symbols are the same in all three; the eighth tells them apart.
constexpr SignalPattern kStartA = {0xFF, 0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x6A, 0x2A,
                                   0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x7A, 0x3A, 0xFF};
constexpr SignalPattern kStartB = {0xFF, 0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x6A, 0x2A,
                                   0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x4A, 0x0A, 0xFF};
constexpr SignalPattern kExit = {0xFF, 0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x6A, 0x2A,
                                 0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x5A, 0x1A, 0xFF};

// The bases in the order the patterns go out: 0x378, 0x3BC, 0x278, 0x2BC.
constexpr uint16_t kSignalBases[] = {kParallelPortBases[2], kParallelPortBases[0], kParallelPortBases[3],
                                     kParallelPortBases[1]};

// One pattern is one port session: the port is held from its first byte to
// its last.
void WritePattern(uint16_t base, bool isPort, const SignalPattern& pattern) {
  const PortSession session;
  for (uint8_t byte : pattern) {
    DelayMs(1);
    if (isPort) {
      PortWrite(base, byte);  // the data register is the base itself
    }
  }
}

}  // namespace

void SendStartSignals() {
  for (uint16_t base : kSignalBases) {
    const bool isPort = PortIsParallelBase(base);
    WritePattern(base, isPort, kStartA);
    WritePattern(base, isPort, kStartB);
  }
}

void SendExitSignals() {
  for (uint16_t base : kSignalBases) {
    WritePattern(base, PortIsParallelBase(base), kExit);
  }
}
