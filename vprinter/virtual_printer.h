// The virtual printer: a register-level model of the photo printer on a
// parallel port. It watches data and control writes, answers status reads,
// times its busy periods in status reads, speaks the block protocol with the
// one-bit reverse channel, and records everything it saw.
//
// The program reaches it through VYR_PORT=virtual[:options] (it registers
// itself with the port layer under that name); tests create one in-process,
// install its back end and inspect it afterwards. Options are
// documented in the README (same syntax as after "virtual:").
//
// The printer never advances the clock: its own timing is counted in status
// reads, and ready_after_ms looks at ClockPeek().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/port_io.h"

struct VirtualPrinter;

// One block as the printer saw it: its three command bytes, the direction the
// printer took from its command vocabulary, and the data bytes received
// (write) or delivered (read). `complete` is false when the host released
// AutoFeed (or pulsed nInit) before a read reply was fully delivered.
struct VpBlock {
  uint8_t cmd[3];
  int dir;  // 0 read (printer answers), 1 write (host sends)
  std::vector<uint8_t> data;
  bool complete;
};

// Faults that tests (and the fault= option) can raise.
enum class VpFault {
  None,
  Busy,          // BUSY for a while (VirtualPrinterSetFault's `reads`), then free
  Stuck,         // BUSY for good
  Paper,         // nError and PaperEnd high (line state 1), BUSY held while raised
  Error,         // nError and PaperEnd low (line state 2), BUSY held while raised
  AckNeverLow,   // in a read reply, nAck never goes low for the bit
  AckNeverHigh,  // in a read reply, nAck never returns high after the host's acknowledge
};

// When an armed fault takes effect.
enum class VpWhen {
  Now,
  CommandByte,  // when the n-th command byte (1..3) of a block has been latched
  DataPhase,    // when the host asserts AutoFeed for the n-th time from now (n >= 1)
  DataByte,     // when the n-th data byte (1..) of a write block has been latched
  ReadBit,      // when bit n (0..) of a read reply is about to be presented
  ImageLine,    // when the n-th image line of a copy (0 = first) has been received
};

// Creates a printer from an option string ("" for all defaults, otherwise e.g.
// "base=0x278,busy_reads=3,out=/tmp/vp"). Returns nullptr when an option is
// not understood; *error (if given) then says which.
VirtualPrinter* VirtualPrinterCreate(const char* options, std::string* error = nullptr);
// Finishes an unfinished copy's files, closes the transcript and frees the
// printer. Uninstall its back end first.
void VirtualPrinterDestroy(VirtualPrinter* vp);
// The port back end of this printer. Its close only flushes the files; the
// printer stays alive until VirtualPrinterDestroy.
PortBackend VirtualPrinterBackend(VirtualPrinter* vp);

// ---- Inspection -----------------------------------------------------------
const std::vector<VpBlock>& VirtualPrinterBlocks(const VirtualPrinter* vp);
int VirtualPrinterResetCount(const VirtualPrinter* vp);
// Every run of data-register writes that no strobe followed, in order. A run
// ends at the next control write or status read, so two patterns written
// back to back without either form one run. A run still under way is
// included as it stands.
std::vector<std::vector<uint8_t>> VirtualPrinterSignalRuns(const VirtualPrinter* vp);
// Current parameter values: 0x14 and 0x15 one byte each, 0x0C two bytes.
uint8_t VirtualPrinterParam14(const VirtualPrinter* vp);
uint8_t VirtualPrinterParam15(const VirtualPrinter* vp);
void VirtualPrinterParam0C(const VirtualPrinter* vp, uint8_t out[2]);
// The last temperature table downloaded (213 bytes), empty if none.
const std::vector<uint8_t>& VirtualPrinterTemperatureTable(const VirtualPrinter* vp);
int VirtualPrinterPageStarts(const VirtualPrinter* vp);
int VirtualPrinterPageEnds(const VirtualPrinter* vp);
int VirtualPrinterRunEnds(const VirtualPrinter* vp);
// Copies opened so far (a copy opens with the first image line after a page
// start) and the image-line data of copy `index` (0-based), lines concatenated
// in the order received; LineLengths gives each line's byte count.
int VirtualPrinterCopyCount(const VirtualPrinter* vp);
const std::vector<uint8_t>& VirtualPrinterCopyLines(const VirtualPrinter* vp, int index);
const std::vector<uint32_t>& VirtualPrinterCopyLineLengths(const VirtualPrinter* vp, int index);
// Reads of the status register, all of them (including the host's polls).
uint64_t VirtualPrinterStatusReads(const VirtualPrinter* vp);
// Writes to the data and control registers at the printer's base.
uint64_t VirtualPrinterDataWrites(const VirtualPrinter* vp);
uint64_t VirtualPrinterControlWrites(const VirtualPrinter* vp);
// The control register as last written.
uint8_t VirtualPrinterControl(const VirtualPrinter* vp);
// The status register the host would read now, without counting as a read.
uint8_t VirtualPrinterPeekStatus(const VirtualPrinter* vp);

// ---- Changes at run time --------------------------------------------------
// Power-on: the registers, the lines the printer drives, the block protocol,
// busy time and every raised or armed fault back to their power-on values, and
// the ready_after_ms wait starting again now. A block under way is recorded as
// incomplete. Parameters, identity, options and the records stay.
void VirtualPrinterReset(VirtualPrinter* vp);
// BUSY for the next `reads` status reads (0: free now). Clears a Busy or
// Stuck fault.
void VirtualPrinterSetBusyReads(VirtualPrinter* vp, uint32_t reads);
// Arms (or, with VpWhen::Now, raises) a fault. `n` is the count of the
// trigger (see VpWhen); `reads` is the length of a Busy fault in status reads.
// One fault is armed at a time; arming replaces the previous one.
void VirtualPrinterSetFault(VirtualPrinter* vp, VpFault fault, VpWhen when = VpWhen::Now,
                            uint32_t n = 0, uint32_t reads = 10000);
// Clears every raised or armed fault and any busy time: ready now.
void VirtualPrinterClearFault(VirtualPrinter* vp);
// The answer of the state read (parameter kParamState) from now on
// (kPrinterStateReady = ready);
// a negative value returns to the printer's own answer.
void VirtualPrinterSetState(VirtualPrinter* vp, int state);
// The identification reply (six characters).
void VirtualPrinterSetId(VirtualPrinter* vp, const char* id6);
