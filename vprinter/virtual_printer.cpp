// The virtual printer as a device: latched data and control registers, the
// status lines it drives, and the block protocol it speaks on them.
//
// What the printer sees on the wire:
//   command phase  three bytes, each latched on a Strobe assertion while
//                  AutoFeed is released;
//   data phase     AutoFeed asserted; a write's bytes are latched on Strobe,
//                  a read's reply goes out one bit at a time on Select, clocked
//                  by nAck low, each bit acknowledged by the host's Strobe;
//   block end      AutoFeed released.
// The direction and length of a block are not on the wire: the printer knows
// them from its command vocabulary. Unknown commands are taken as writes.
//
// Busy periods are counted in status reads: after each latched byte and each
// finished block the printer shows BUSY for `busy_reads` reads.
//
// A printer in a paper or error fault takes no data: it holds BUSY for as long
// as the fault lines are raised, which is how the host's ready look comes to
// read the line state and ask the operator. The fault goes away when the
// operator has dealt with it: never by itself (the default), at the next reset
// pulse (the host resets the printer after the operator's answer), or after a
// number of status reads.
//
// The command vocabulary is commands.cpp, the options options.cpp and what
// the printer writes down recorder.cpp; this file is the device itself.

#include "vprinter/virtual_printer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "vprinter/printer_model.h"

namespace vprinter {

namespace {

// Status register bits as the host reads them.
constexpr uint8_t kStsNotBusy = 0x80;    // BUSY complement: 1 = may be sent to
constexpr uint8_t kStsNAck = 0x40;       // Acknowledge, active low
constexpr uint8_t kStsPaperEnd = 0x20;   // PaperEnd, active high
constexpr uint8_t kStsSelect = 0x10;     // Select: online; the reply bit during a read
constexpr uint8_t kStsNError = 0x08;     // Error, active low
constexpr uint8_t kStsUnused = 0x07;     // not driven; float high on a PC port

// Control register bits as the host writes them (raw register values).
constexpr uint8_t kCtlStrobe = 0x01;     // 1 = Strobe asserted
constexpr uint8_t kCtlAutoFeed = 0x02;   // 1 = AutoFeed asserted: data phase
constexpr uint8_t kCtlNInit = 0x04;      // 0 = nInit low: reset


void StartBusy(VirtualPrinter* vp) {
  if (vp->dev.busyLeft < vp->busyReads) vp->dev.busyLeft = vp->busyReads;
}

// AutoFeed released (or nInit pulled low) with a block under way.
void EndBlock(VirtualPrinter* vp) {
  if (vp->dev.phase == Phase::Idle) return;
  VpBlock b;
  std::memcpy(b.cmd, vp->dev.cmd, 3);
  for (int i = vp->dev.cmdCount; i < 3; ++i) b.cmd[i] = 0;
  b.dir = vp->dev.dir;
  if (vp->dev.dir == 0) {
    const size_t delivered = std::min<size_t>(vp->dev.bitIndex / 8, vp->dev.reply.size());
    b.data.assign(vp->dev.reply.begin(), vp->dev.reply.begin() + long(delivered));
    b.complete = vp->dev.cmdCount == 3 && delivered == vp->dev.reply.size();
  } else {
    b.data = std::move(vp->dev.blockData);
    const size_t n = b.data.size();
    if (vp->dev.cmdCount < 3) b.complete = false;
    else if (vp->dev.expectedLength == kUnknownLength) b.complete = true;
    else if (vp->dev.expectedLength == kImageLineLength) b.complete = n == size_t(kLeadInLineBytes) || n == size_t(kLineBytes);
    else b.complete = n == size_t(vp->dev.expectedLength);
  }
  vp->dev.blockData.clear();
  vp->dev.phase = Phase::Idle;
  vp->dev.cmdCount = 0;
  vp->dev.nAckLow = false;
  vp->dev.selectBit = true;
  vp->dev.awaitingAck = false;
  vp->dev.bitIndex = 0;

  TranscribeBlock(vp, b);

  vp->blocks.push_back(std::move(b));
  if (vp->blocks.back().complete) Perform(vp, vp->blocks.back());
  StartBusy(vp);
}

// ---- the reverse channel -----------------------------------------------------

void PresentBit(VirtualPrinter* vp) {
  if (vp->dev.bitIndex >= vp->dev.reply.size() * 8) {
    vp->dev.nAckLow = false;
    vp->dev.selectBit = true;
    return;
  }
  Trigger(vp, VpWhen::ReadBit, vp->dev.bitIndex);
  if (vp->dev.ackNeverLow) return;
  const uint8_t byte = vp->dev.reply[vp->dev.bitIndex / 8];
  vp->dev.selectBit = ((byte >> (vp->dev.bitIndex % 8)) & 1) != 0;  // least significant bit first
  vp->dev.nAckLow = true;
  vp->dev.awaitingAck = true;
}

// ---- register handlers -------------------------------------------------------

void LatchByte(VirtualPrinter* vp) {
  const bool autoFeed = (vp->dev.control & kCtlAutoFeed) != 0;
  if (!autoFeed) {
    // A command byte. A fourth one means the last block never saw its data
    // phase end: that block is over and a new one begins.
    if (vp->dev.phase == Phase::Data || vp->dev.cmdCount == 3) EndBlock(vp);
    vp->dev.phase = Phase::Command;
    vp->dev.cmd[vp->dev.cmdCount++] = vp->dev.data;
    if (vp->dev.cmdCount == 3) Recognise(vp);
    StartBusy(vp);
    Trigger(vp, VpWhen::CommandByte, uint32_t(vp->dev.cmdCount));
    return;
  }
  if (vp->dev.phase != Phase::Data) return;
  if (vp->dev.dir == 0) {
    // The host's acknowledge of the bit on the lines.
    if (vp->dev.awaitingAck) {
      vp->dev.awaitingAck = false;
      ++vp->dev.bitIndex;
      if (!vp->dev.ackNeverHigh) vp->dev.nAckLow = false;
    }
    return;
  }
  vp->dev.blockData.push_back(vp->dev.data);
  StartBusy(vp);
  Trigger(vp, VpWhen::DataByte, uint32_t(vp->dev.blockData.size()));
}

void WriteControl(VirtualPrinter* vp, uint8_t value) {
  ++vp->controlWrites;
  const uint8_t old = vp->dev.control;
  vp->dev.control = value;
  const bool strobeRises = !(old & kCtlStrobe) && (value & kCtlStrobe);
  FlushSignals(vp, strobeRises ? 1 : 0);

  if ((old & kCtlNInit) && !(value & kCtlNInit)) {
    // nInit pulled low: whatever was under way is abandoned.
    EndBlock(vp);
    vp->dev.phase = Phase::Idle;
    vp->dev.cmdCount = 0;
    return;
  }
  if (!(old & kCtlNInit) && (value & kCtlNInit)) {
    ++vp->resets;
    TranscribeEvent(vp, "reset");
    if (vp->faultClears == Clears::Reset) vp->dev.lines = Lines::Normal;
    StartBusy(vp);
  }
  if (!(value & kCtlNInit)) return;  // held in reset

  const bool autoFeedRises = !(old & kCtlAutoFeed) && (value & kCtlAutoFeed);
  const bool autoFeedFalls = (old & kCtlAutoFeed) && !(value & kCtlAutoFeed);
  if (autoFeedFalls) EndBlock(vp);
  if (autoFeedRises && vp->dev.phase != Phase::Idle) {
    vp->dev.phase = Phase::Data;
    vp->dev.bitIndex = 0;
    Trigger(vp, VpWhen::DataPhase, 0);
    if (vp->dev.dir == 0) PresentBit(vp);
  } else if (autoFeedRises) {
    Trigger(vp, VpWhen::DataPhase, 0);
  }
  if (strobeRises) LatchByte(vp);
  const bool strobeFalls = (old & kCtlStrobe) && !(value & kCtlStrobe);
  if (strobeFalls && vp->dev.phase == Phase::Data && vp->dev.dir == 0 && !vp->dev.awaitingAck && !vp->dev.nAckLow)
    PresentBit(vp);
}

uint8_t StatusNow(const VirtualPrinter* vp) {
  uint8_t s = kStsUnused;
  if (vp->dev.busyLeft == 0 && !vp->dev.stuck && vp->dev.lines == Lines::Normal) s |= kStsNotBusy;
  if (!vp->dev.nAckLow) s |= kStsNAck;
  if (vp->dev.nAckLow ? vp->dev.selectBit : true) s |= kStsSelect;
  switch (vp->dev.lines) {
    case Lines::Normal: s |= kStsNError; break;
    case Lines::Paper: s |= kStsNError | kStsPaperEnd; break;
    case Lines::Error: break;
  }
  return s;
}

bool Serves(const VirtualPrinter* vp, uint16_t addr) {
  return !vp->absent && addr >= vp->base && addr <= vp->base + 2;
}

uint8_t VpRead(void* ctx, uint16_t addr) {
  VirtualPrinter* vp = static_cast<VirtualPrinter*>(ctx);
  if (!Serves(vp, addr)) return 0xFF;
  switch (addr - vp->base) {
    case 0: return vp->dev.data;
    case 1: {
      ++vp->statusReads;
      FlushSignals(vp, 0);
      const uint8_t s = StatusNow(vp);
      if (vp->dev.busyLeft) --vp->dev.busyLeft;
      if (vp->dev.lines != Lines::Normal && vp->faultClears == Clears::Reads && --vp->dev.linesLeft == 0)
        vp->dev.lines = Lines::Normal;
      return s;
    }
    default: return uint8_t(0xC0 | vp->dev.control);  // bits 6, 7 unused, read high
  }
}

void VpWrite(void* ctx, uint16_t addr, uint8_t value) {
  VirtualPrinter* vp = static_cast<VirtualPrinter*>(ctx);
  if (!Serves(vp, addr)) return;
  switch (addr - vp->base) {
    case 0:
      ++vp->dataWrites;
      vp->dev.data = value;
      vp->dev.pendingRun.push_back(value);
      break;
    case 2: WriteControl(vp, value); break;
    default: break;  // the status register takes no writes
  }
}

bool VpIsPortBase(void* ctx, uint16_t base) {
  const VirtualPrinter* vp = static_cast<const VirtualPrinter*>(ctx);
  return !vp->absent && base == vp->base;
}

void VpClose(void* ctx) {
  VirtualPrinter* vp = static_cast<VirtualPrinter*>(ctx);
  FlushSignals(vp, 0);
  if (vp->transcript) std::fflush(vp->transcript);
}

// A printer the caller owns: closing its back end leaves it alive.
constexpr PortOps kVirtualPrinterOps = {
    .name = "virtual",
    .read = VpRead,
    .write = VpWrite,
    .is_port_base = VpIsPortBase,
    .close = VpClose,
    .end_session = nullptr,
};

// The printer VYR_PORT chose belongs to the port layer: closing its back end
// destroys it, which writes its pending files.
void VpCloseOwned(void* ctx) { VirtualPrinterDestroy(static_cast<VirtualPrinter*>(ctx)); }

constexpr PortOps kOwnedVirtualPrinterOps = {
    .name = "virtual",
    .read = VpRead,
    .write = VpWrite,
    .is_port_base = VpIsPortBase,
    .close = VpCloseOwned,
    .end_session = nullptr,
};

bool MakeOwnedPrinter(const char* options, PortBackend* made, std::string* error) {
  VirtualPrinter* vp = VirtualPrinterCreate(options, error);
  if (!vp) return false;
  *made = PortBackend{&kOwnedVirtualPrinterOps, vp};
  return true;
}

// VYR_PORT=virtual[:options] reaches the printer through this registration,
// made when the library holding the printer is loaded.
[[maybe_unused]] const bool kRegistered = (PortRegisterBackend("virtual", MakeOwnedPrinter), true);

}  // namespace

// ---- faults ----------------------------------------------------------------

void Raise(VirtualPrinter* vp, VpFault fault, uint32_t reads) {
  switch (fault) {
    case VpFault::None: break;
    case VpFault::Busy: vp->dev.busyLeft = reads; break;
    case VpFault::Stuck: vp->dev.stuck = true; break;
    case VpFault::Paper: vp->dev.lines = Lines::Paper; break;
    case VpFault::Error: vp->dev.lines = Lines::Error; break;
    case VpFault::AckNeverLow: vp->dev.ackNeverLow = true; break;
    case VpFault::AckNeverHigh: vp->dev.ackNeverHigh = true; break;
  }
  if (fault == VpFault::Paper || fault == VpFault::Error) vp->dev.linesLeft = vp->faultClearReads;
}

void Trigger(VirtualPrinter* vp, VpWhen when, uint32_t count) {
  if (vp->dev.armed.fault == VpFault::None || vp->dev.armed.when != when) return;
  if (when == VpWhen::DataPhase) {
    if (++vp->dev.armed.seen < (vp->dev.armed.n ? vp->dev.armed.n : 1)) return;
  } else if (count != vp->dev.armed.n) {
    return;
  }
  ArmedFault a = vp->dev.armed;
  vp->dev.armed = ArmedFault{};
  Raise(vp, a.fault, a.reads);
}

}  // namespace vprinter

using namespace vprinter;

VirtualPrinter* VirtualPrinterCreate(const char* options, std::string* error) {
  auto vp = std::make_unique<VirtualPrinter>();
  if (!ApplyOptions(vp.get(), options ? options : "", error)) return nullptr;
  vp->readySince = ClockPeek();
  if (!OpenRecorder(vp.get(), error)) return nullptr;
  return vp.release();
}

void VirtualPrinterDestroy(VirtualPrinter* vp) {
  if (!vp) return;
  CloseRecorder(vp);
  delete vp;
}

PortBackend VirtualPrinterBackend(VirtualPrinter* vp) { return PortBackend{&kVirtualPrinterOps, vp}; }

const std::vector<VpBlock>& VirtualPrinterBlocks(const VirtualPrinter* vp) { return vp->blocks; }
int VirtualPrinterResetCount(const VirtualPrinter* vp) { return vp->resets; }
std::vector<std::vector<uint8_t>> VirtualPrinterSignalRuns(const VirtualPrinter* vp) {
  std::vector<std::vector<uint8_t>> runs = vp->signalRuns;
  if (!vp->dev.pendingRun.empty()) runs.push_back(vp->dev.pendingRun);
  return runs;
}
uint8_t VirtualPrinterParam14(const VirtualPrinter* vp) { return vp->param14; }
uint8_t VirtualPrinterParam15(const VirtualPrinter* vp) { return vp->param15; }
void VirtualPrinterParam0C(const VirtualPrinter* vp, uint8_t out[2]) {
  out[0] = vp->param0C[0];
  out[1] = vp->param0C[1];
}
const std::vector<uint8_t>& VirtualPrinterTemperatureTable(const VirtualPrinter* vp) {
  return vp->temperatureTable;
}
int VirtualPrinterPageStarts(const VirtualPrinter* vp) { return vp->pageStarts; }
int VirtualPrinterPageEnds(const VirtualPrinter* vp) { return vp->pageEnds; }
int VirtualPrinterRunEnds(const VirtualPrinter* vp) { return vp->runEnds; }
int VirtualPrinterCopyCount(const VirtualPrinter* vp) { return int(vp->copies.size()); }
const std::vector<uint8_t>& VirtualPrinterCopyLines(const VirtualPrinter* vp, int index) {
  static const std::vector<uint8_t> kNone;
  if (index < 0 || size_t(index) >= vp->copies.size()) return kNone;
  return vp->copies[size_t(index)]->lines;
}
const std::vector<uint32_t>& VirtualPrinterCopyLineLengths(const VirtualPrinter* vp, int index) {
  static const std::vector<uint32_t> kNone;
  if (index < 0 || size_t(index) >= vp->copies.size()) return kNone;
  return vp->copies[size_t(index)]->lengths;
}
uint64_t VirtualPrinterStatusReads(const VirtualPrinter* vp) { return vp->statusReads; }
uint64_t VirtualPrinterDataWrites(const VirtualPrinter* vp) { return vp->dataWrites; }
uint64_t VirtualPrinterControlWrites(const VirtualPrinter* vp) { return vp->controlWrites; }
uint8_t VirtualPrinterControl(const VirtualPrinter* vp) { return vp->dev.control; }
uint8_t VirtualPrinterPeekStatus(const VirtualPrinter* vp) {
  return vp->absent ? 0xFF : StatusNow(vp);
}

void VirtualPrinterSetBusyReads(VirtualPrinter* vp, uint32_t reads) {
  vp->dev.stuck = false;
  vp->dev.busyLeft = reads;
}

void VirtualPrinterSetFault(VirtualPrinter* vp, VpFault fault, VpWhen when, uint32_t n,
                            uint32_t reads) {
  if (when == VpWhen::Now) {
    vp->dev.armed = ArmedFault{};
    Raise(vp, fault, reads);
    return;
  }
  vp->dev.armed = ArmedFault{fault, when, n, reads, 0};
}

void VirtualPrinterClearFault(VirtualPrinter* vp) {
  vp->dev.armed = ArmedFault{};
  vp->dev.busyLeft = 0;
  vp->dev.stuck = false;
  vp->dev.lines = Lines::Normal;
  vp->dev.ackNeverLow = false;
  vp->dev.ackNeverHigh = false;
}

void VirtualPrinterSetState(VirtualPrinter* vp, int state) { vp->stateOverride = state; }

void VirtualPrinterSetId(VirtualPrinter* vp, const char* id6) { std::memcpy(vp->id, id6, kPrinterIdBytes); }

void VirtualPrinterReset(VirtualPrinter* vp) {
  // A block under way is abandoned as at a reset pulse, and pending signal
  // writes are recorded first, so the records stay whole.
  EndBlock(vp);
  FlushSignals(vp, 0);
  vp->dev = DeviceState{};
  vp->readySince = ClockPeek();
}
