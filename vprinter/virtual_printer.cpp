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

#include "vprinter/virtual_printer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "printer/protocol.h"
#include "vprinter/print_picture.h"
#include "vprinter/sha256.h"

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


enum class Lines { Normal, Paper, Error };
// When a raised paper or error fault clears by itself.
enum class Clears { Never, Reset, Reads };
enum class Phase { Idle, Command, Data };

struct ArmedFault {
  VpFault fault = VpFault::None;
  VpWhen when = VpWhen::Now;
  uint32_t n = 0;
  uint32_t reads = 0;
  uint32_t seen = 0;  // DataPhase: AutoFeed assertions counted since arming
};

struct Copy {
  std::vector<uint8_t> lines;
  std::vector<uint32_t> lengths;
  std::FILE* linesFile = nullptr;
  bool finished = false;
};

}  // namespace

struct VirtualPrinter {
  // ---- options ----
  uint16_t base = 0x378;
  std::string outDir;
  uint32_t busyReads = 2;
  uint32_t readyAfterMs = 0;
  char id[kPrinterIdBytes] = {kPrinterId[0], kPrinterId[1], kPrinterId[2],
                             kPrinterId[3], kPrinterId[4], kPrinterId[5]};
  // A printer that holds the parameters the print needs.
  uint8_t param14 = kWantedParameters[0].value[0];
  uint8_t param15 = kWantedParameters[1].value[0];
  uint8_t param0C[2] = {kWantedParameters[2].value[0], kWantedParameters[2].value[1]};
  uint8_t head[3] = {kHeadParameterDefaults[kCyan], kHeadParameterDefaults[kMagenta],
                     kHeadParameterDefaults[kYellow]};
  bool absent = false;
  bool neverReady = false;
  Clears faultClears = Clears::Never;
  uint32_t faultClearReads = 0;  // Clears::Reads: status reads the fault lasts

  // ---- registers and lines ----
  uint8_t data = 0;
  uint8_t control = 0x0C;
  uint32_t busyLeft = 0;
  bool stuck = false;
  Lines lines = Lines::Normal;
  uint32_t linesLeft = 0;  // Clears::Reads: status reads until the fault lines drop
  bool ackNeverLow = false;
  bool ackNeverHigh = false;
  bool nAckLow = false;
  bool selectBit = true;

  // ---- block protocol ----
  Phase phase = Phase::Idle;
  uint8_t cmd[3] = {};
  int cmdCount = 0;
  int dir = 1;
  int expectedLength = -1;  // -1: not known (unknown commands)
  std::vector<uint8_t> blockData;
  std::vector<uint8_t> reply;
  uint32_t bitIndex = 0;
  bool awaitingAck = false;

  // ---- pending data-register writes not yet followed by a strobe ----
  std::vector<uint8_t> pendingRun;

  // ---- device state ----
  int stateOverride = -1;
  uint32_t readySince = 0;
  ArmedFault armed;
  bool copyOpen = false;
  int copyLineIndex = 0;

  // ---- records ----
  std::vector<VpBlock> blocks;
  std::vector<std::vector<uint8_t>> signalRuns;
  std::vector<uint8_t> temperatureTable;
  std::vector<std::unique_ptr<Copy>> copies;
  int resets = 0;
  int pageStarts = 0;
  int pageEnds = 0;
  int runEnds = 0;
  uint64_t statusReads = 0;
  uint64_t dataWrites = 0;
  uint64_t controlWrites = 0;
  std::FILE* transcript = nullptr;
};

namespace {

// ---- files -----------------------------------------------------------------

std::string Hex(const uint8_t* p, size_t n, bool spaced) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(n * 3);
  for (size_t i = 0; i < n; ++i) {
    if (spaced && i) s += ' ';
    s += kDigits[p[i] >> 4];
    s += kDigits[p[i] & 0xF];
  }
  return s;
}

void Transcribe(VirtualPrinter* vp, const std::string& line) {
  if (!vp->transcript) return;
  std::fputs(line.c_str(), vp->transcript);
  std::fputc('\n', vp->transcript);
  std::fflush(vp->transcript);
}

void TranscribeEvent(VirtualPrinter* vp, const char* event) {
  Transcribe(vp, std::string("{\"event\":\"") + event + "\"}");
}

std::string OutPath(const VirtualPrinter* vp, const std::string& name) {
  return vp->outDir + "/" + name;
}

void FinishCopy(VirtualPrinter* vp) {
  if (!vp->copyOpen) return;
  vp->copyOpen = false;
  Copy& copy = *vp->copies.back();
  copy.finished = true;
  if (copy.linesFile) {
    std::fclose(copy.linesFile);
    copy.linesFile = nullptr;
  }
  if (vp->outDir.empty()) return;
  std::vector<int16_t> levels(3 * kPrintPlane);
  ClearPrintLevels(levels.data());
  size_t at = 0;
  for (size_t i = 0; i < copy.lengths.size(); ++i) {
    AddPrintLine(int(i), copy.lines.data() + at, copy.lengths[i], levels.data());
    at += copy.lengths[i];
  }
  std::vector<uint8_t> rgb(3 * kPrintPlane);
  PrintLevelsToRgb(levels.data(), rgb.data());
  std::string path = OutPath(vp, "copy" + std::to_string(vp->copies.size()) + ".png");
  if (!WritePngRgb(path.c_str(), kPrintColumns, kPrintRows, rgb.data()))
    std::fprintf(stderr, "vyr: virtual printer: cannot write %s\n", path.c_str());
}

void OpenCopy(VirtualPrinter* vp) {
  vp->copies.push_back(std::make_unique<Copy>());
  vp->copyOpen = true;
  vp->copyLineIndex = 0;
  if (vp->outDir.empty()) return;
  std::string path = OutPath(vp, "copy" + std::to_string(vp->copies.size()) + ".lines");
  vp->copies.back()->linesFile = std::fopen(path.c_str(), "wb");
  if (!vp->copies.back()->linesFile)
    std::fprintf(stderr, "vyr: virtual printer: cannot write %s\n", path.c_str());
}

// ---- faults ----------------------------------------------------------------

void Raise(VirtualPrinter* vp, VpFault fault, uint32_t reads) {
  switch (fault) {
    case VpFault::None: break;
    case VpFault::Busy: vp->busyLeft = reads; break;
    case VpFault::Stuck: vp->stuck = true; break;
    case VpFault::Paper: vp->lines = Lines::Paper; break;
    case VpFault::Error: vp->lines = Lines::Error; break;
    case VpFault::AckNeverLow: vp->ackNeverLow = true; break;
    case VpFault::AckNeverHigh: vp->ackNeverHigh = true; break;
  }
  if (fault == VpFault::Paper || fault == VpFault::Error) vp->linesLeft = vp->faultClearReads;
}

void Trigger(VirtualPrinter* vp, VpWhen when, uint32_t count) {
  if (vp->armed.fault == VpFault::None || vp->armed.when != when) return;
  if (when == VpWhen::DataPhase) {
    if (++vp->armed.seen < (vp->armed.n ? vp->armed.n : 1)) return;
  } else if (count != vp->armed.n) {
    return;
  }
  ArmedFault a = vp->armed;
  vp->armed = ArmedFault{};
  Raise(vp, a.fault, a.reads);
}

void StartBusy(VirtualPrinter* vp) {
  if (vp->busyLeft < vp->busyReads) vp->busyLeft = vp->busyReads;
}

// ---- the command vocabulary ------------------------------------------------

int StateAnswer(const VirtualPrinter* vp) {
  if (vp->stateOverride >= 0) return vp->stateOverride;
  if (vp->neverReady) return kPrinterStateWarming;
  if (vp->readyAfterMs && ClockPeek() - vp->readySince < vp->readyAfterMs) return kPrinterStateWarming;
  return kPrinterStateReady;
}

// After the third command byte: the printer decides what the block is.
void Recognise(VirtualPrinter* vp) {
  vp->dir = 1;
  vp->expectedLength = -1;
  vp->reply.clear();
  const uint8_t* c = vp->cmd;
  if (c[0] != kCommandLead) return;
  if (c[1] == kOpReadParameter) {
    switch (c[2]) {
      case kParamIdentity: vp->reply.assign(vp->id, vp->id + kPrinterIdBytes); break;
      case kParamState: vp->reply.push_back(uint8_t(StateAnswer(vp))); break;
      case kParam14: vp->reply.push_back(vp->param14); break;
      case kParam15: vp->reply.push_back(vp->param15); break;
      case kParam0C: vp->reply.assign(vp->param0C, vp->param0C + 2); break;
      default: return;
    }
  } else if (c[1] == kOpReadHeadParameter && c[2] >= kHeadParameterBase + kCyan &&
             c[2] <= kHeadParameterBase + kYellow) {
    vp->reply.push_back(vp->head[c[2] - kHeadParameterBase]);
  } else if (c[1] == kOpWriteParameter) {
    if (c[2] == kParam14 || c[2] == kParam15) vp->expectedLength = 1;
    if (c[2] == kParam0C) vp->expectedLength = 2;
    if (c[2] == kParamTemperatureTable) vp->expectedLength = kTemperatureTableBytes;
    return;
  } else if (c[1] == kOpStartPage && c[2] == kStartPageOperand) {
    vp->expectedLength = 0;
    return;
  } else if (c[1] == kOpImageLine && c[2] == kImageLineOperand) {
    vp->expectedLength = -2;  // an image line: kLeadInLineBytes or kLineBytes
    return;
  } else if (c[1] == kOpEnd && c[2] == kEndOperand) {
    vp->expectedLength = 1;
    return;
  } else {
    return;
  }
  vp->dir = 0;
  vp->expectedLength = int(vp->reply.size());
}

bool IsImageLine(const uint8_t* c) {
  return c[0] == kCommandLead && c[1] == kOpImageLine && c[2] == kImageLineOperand;
}

// The block's effect on the printer, once it is complete.
void Perform(VirtualPrinter* vp, const VpBlock& b) {
  const uint8_t* c = b.cmd;
  if (c[0] != kCommandLead || b.dir != kBlockWrite) return;
  if (c[1] == kOpWriteParameter && c[2] == kParam14) vp->param14 = b.data[0];
  if (c[1] == kOpWriteParameter && c[2] == kParam15) vp->param15 = b.data[0];
  if (c[1] == kOpWriteParameter && c[2] == kParam0C) std::memcpy(vp->param0C, b.data.data(), 2);
  if (c[1] == kOpWriteParameter && c[2] == kParamTemperatureTable) vp->temperatureTable = b.data;
  if (c[1] == kOpStartPage && c[2] == kStartPageOperand) {
    ++vp->pageStarts;
    TranscribeEvent(vp, "page_start");
    // A page start after lines closes that copy; one with no lines between
    // does not open another.
    FinishCopy(vp);
  }
  if (IsImageLine(c)) {
    if (!vp->copyOpen) OpenCopy(vp);
    Copy& copy = *vp->copies.back();
    copy.lines.insert(copy.lines.end(), b.data.begin(), b.data.end());
    copy.lengths.push_back(uint32_t(b.data.size()));
    if (copy.linesFile) {
      std::fwrite(b.data.data(), 1, b.data.size(), copy.linesFile);
      std::fflush(copy.linesFile);
    }
    const uint32_t index = uint32_t(vp->copyLineIndex++);
    Trigger(vp, VpWhen::ImageLine, index);
  }
  if (c[1] == kOpEnd && c[2] == kEndOperand) {
    if (b.data[0] == kEndOfPage) {
      ++vp->pageEnds;
      TranscribeEvent(vp, "page_end");
      FinishCopy(vp);
      vp->readySince = ClockPeek();
    } else if (b.data[0] == kEndOfRun) {
      ++vp->runEnds;
      TranscribeEvent(vp, "run_end");
    }
  }
}

// AutoFeed released (or nInit pulled low) with a block under way.
void EndBlock(VirtualPrinter* vp) {
  if (vp->phase == Phase::Idle) return;
  VpBlock b;
  std::memcpy(b.cmd, vp->cmd, 3);
  for (int i = vp->cmdCount; i < 3; ++i) b.cmd[i] = 0;
  b.dir = vp->dir;
  if (vp->dir == 0) {
    const size_t delivered = std::min<size_t>(vp->bitIndex / 8, vp->reply.size());
    b.data.assign(vp->reply.begin(), vp->reply.begin() + long(delivered));
    b.complete = vp->cmdCount == 3 && delivered == vp->reply.size();
  } else {
    b.data = std::move(vp->blockData);
    const size_t n = b.data.size();
    if (vp->cmdCount < 3) b.complete = false;
    else if (vp->expectedLength == -1) b.complete = true;
    else if (vp->expectedLength == -2) b.complete = n == size_t(kLeadInLineBytes) || n == size_t(kLineBytes);
    else b.complete = n == size_t(vp->expectedLength);
  }
  vp->blockData.clear();
  vp->phase = Phase::Idle;
  vp->cmdCount = 0;
  vp->nAckLow = false;
  vp->selectBit = true;
  vp->awaitingAck = false;
  vp->bitIndex = 0;

  std::string line = "{\"event\":\"block\",\"cmd\":\"" + Hex(b.cmd, 3, true) +
                     "\",\"dir\":" + std::to_string(b.dir) +
                     ",\"len\":" + std::to_string(b.data.size());
  if (b.data.size() <= 256) line += ",\"data\":\"" + Hex(b.data.data(), b.data.size(), false) + "\"";
  else line += ",\"sha256\":\"" + Sha256Hex(b.data.data(), b.data.size()) + "\"";
  if (!b.complete) line += ",\"complete\":false";
  line += "}";
  Transcribe(vp, line);

  vp->blocks.push_back(std::move(b));
  if (vp->blocks.back().complete) Perform(vp, vp->blocks.back());
  StartBusy(vp);
}

// ---- the reverse channel -----------------------------------------------------

void PresentBit(VirtualPrinter* vp) {
  if (vp->bitIndex >= vp->reply.size() * 8) {
    vp->nAckLow = false;
    vp->selectBit = true;
    return;
  }
  Trigger(vp, VpWhen::ReadBit, vp->bitIndex);
  if (vp->ackNeverLow) return;
  const uint8_t byte = vp->reply[vp->bitIndex / 8];
  vp->selectBit = ((byte >> (vp->bitIndex % 8)) & 1) != 0;  // least significant bit first
  vp->nAckLow = true;
  vp->awaitingAck = true;
}

// ---- register handlers -------------------------------------------------------

void FlushSignals(VirtualPrinter* vp, size_t keep) {
  if (vp->pendingRun.size() > keep) {
    std::vector<uint8_t> run(vp->pendingRun.begin(), vp->pendingRun.end() - long(keep));
    Transcribe(vp, "{\"event\":\"signals\",\"bytes\":\"" + Hex(run.data(), run.size(), false) + "\"}");
    vp->signalRuns.push_back(std::move(run));
  }
  vp->pendingRun.clear();
}

void LatchByte(VirtualPrinter* vp) {
  const bool autoFeed = (vp->control & kCtlAutoFeed) != 0;
  if (!autoFeed) {
    // A command byte. A fourth one means the last block never saw its data
    // phase end: that block is over and a new one begins.
    if (vp->phase == Phase::Data || vp->cmdCount == 3) EndBlock(vp);
    vp->phase = Phase::Command;
    vp->cmd[vp->cmdCount++] = vp->data;
    if (vp->cmdCount == 3) Recognise(vp);
    StartBusy(vp);
    Trigger(vp, VpWhen::CommandByte, uint32_t(vp->cmdCount));
    return;
  }
  if (vp->phase != Phase::Data) return;
  if (vp->dir == 0) {
    // The host's acknowledge of the bit on the lines.
    if (vp->awaitingAck) {
      vp->awaitingAck = false;
      ++vp->bitIndex;
      if (!vp->ackNeverHigh) vp->nAckLow = false;
    }
    return;
  }
  vp->blockData.push_back(vp->data);
  StartBusy(vp);
  Trigger(vp, VpWhen::DataByte, uint32_t(vp->blockData.size()));
}

void WriteControl(VirtualPrinter* vp, uint8_t value) {
  ++vp->controlWrites;
  const uint8_t old = vp->control;
  vp->control = value;
  const bool strobeRises = !(old & kCtlStrobe) && (value & kCtlStrobe);
  FlushSignals(vp, strobeRises ? 1 : 0);

  if ((old & kCtlNInit) && !(value & kCtlNInit)) {
    // nInit pulled low: whatever was under way is abandoned.
    EndBlock(vp);
    vp->phase = Phase::Idle;
    vp->cmdCount = 0;
    return;
  }
  if (!(old & kCtlNInit) && (value & kCtlNInit)) {
    ++vp->resets;
    TranscribeEvent(vp, "reset");
    if (vp->faultClears == Clears::Reset) vp->lines = Lines::Normal;
    StartBusy(vp);
  }
  if (!(value & kCtlNInit)) return;  // held in reset

  const bool autoFeedRises = !(old & kCtlAutoFeed) && (value & kCtlAutoFeed);
  const bool autoFeedFalls = (old & kCtlAutoFeed) && !(value & kCtlAutoFeed);
  if (autoFeedFalls) EndBlock(vp);
  if (autoFeedRises && vp->phase != Phase::Idle) {
    vp->phase = Phase::Data;
    vp->bitIndex = 0;
    Trigger(vp, VpWhen::DataPhase, 0);
    if (vp->dir == 0) PresentBit(vp);
  } else if (autoFeedRises) {
    Trigger(vp, VpWhen::DataPhase, 0);
  }
  if (strobeRises) LatchByte(vp);
  const bool strobeFalls = (old & kCtlStrobe) && !(value & kCtlStrobe);
  if (strobeFalls && vp->phase == Phase::Data && vp->dir == 0 && !vp->awaitingAck && !vp->nAckLow)
    PresentBit(vp);
}

uint8_t StatusNow(const VirtualPrinter* vp) {
  uint8_t s = kStsUnused;
  if (vp->busyLeft == 0 && !vp->stuck && vp->lines == Lines::Normal) s |= kStsNotBusy;
  if (!vp->nAckLow) s |= kStsNAck;
  if (vp->nAckLow ? vp->selectBit : true) s |= kStsSelect;
  switch (vp->lines) {
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
    case 0: return vp->data;
    case 1: {
      ++vp->statusReads;
      FlushSignals(vp, 0);
      const uint8_t s = StatusNow(vp);
      if (vp->busyLeft) --vp->busyLeft;
      if (vp->lines != Lines::Normal && vp->faultClears == Clears::Reads && --vp->linesLeft == 0)
        vp->lines = Lines::Normal;
      return s;
    }
    default: return uint8_t(0xC0 | vp->control);  // bits 6, 7 unused, read high
  }
}

void VpWrite(void* ctx, uint16_t addr, uint8_t value) {
  VirtualPrinter* vp = static_cast<VirtualPrinter*>(ctx);
  if (!Serves(vp, addr)) return;
  switch (addr - vp->base) {
    case 0:
      ++vp->dataWrites;
      vp->data = value;
      vp->pendingRun.push_back(value);
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

// ---- options -------------------------------------------------------------------

bool ParseNumber(const std::string& s, uint32_t* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  unsigned long v = std::strtoul(s.c_str(), &end, 0);
  if (*end || errno || s[0] == '-' || v > 0xFFFFFFFFul) return false;
  *out = uint32_t(v);
  return true;
}

bool ParseBytes(const std::string& s, uint8_t* out, int count) {
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    size_t next = s.find(',', at);
    if ((next == std::string::npos) != (i == count - 1)) return false;
    uint32_t v = 0;
    if (!ParseNumber(s.substr(at, next == std::string::npos ? std::string::npos : next - at), &v) ||
        v > 255)
      return false;
    out[i] = uint8_t(v);
    at = next + 1;
  }
  return true;
}

bool ParseClears(const std::string& s, VirtualPrinter* vp) {
  if (s == "never") vp->faultClears = Clears::Never;
  else if (s == "reset") vp->faultClears = Clears::Reset;
  else if (ParseNumber(s, &vp->faultClearReads) && vp->faultClearReads > 0)
    vp->faultClears = Clears::Reads;
  else
    return false;
  return true;
}

bool ParseFault(const std::string& s, ArmedFault* f) {
  std::string kind = s, where;
  size_t at = s.find('@');
  if (at != std::string::npos) {
    kind = s.substr(0, at);
    where = s.substr(at + 1);
  }
  if (kind == "busy") f->fault = VpFault::Busy;
  else if (kind == "stuck") f->fault = VpFault::Stuck;
  else if (kind == "paper") f->fault = VpFault::Paper;
  else if (kind == "error") f->fault = VpFault::Error;
  else return false;
  if (where.empty()) {
    f->when = VpWhen::Now;
    return true;
  }
  if (where.rfind("line:", 0) != 0) return false;
  f->when = VpWhen::ImageLine;
  return ParseNumber(where.substr(5), &f->n);
}

// Options come as a list split on commas, but params= and head= take commas of
// their own: a piece without '=' continues the previous value.
std::vector<std::string> SplitOptions(const std::string& text) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at <= text.size()) {
    size_t next = text.find(',', at);
    std::string piece = text.substr(at, next == std::string::npos ? std::string::npos : next - at);
    const bool isFlag = piece == "absent" || piece == "never_ready";
    if (!out.empty() && piece.find('=') == std::string::npos && !isFlag)
      out.back() += "," + piece;
    else
      out.push_back(piece);
    if (next == std::string::npos) break;
    at = next + 1;
  }
  return out;
}

bool ApplyOptions(VirtualPrinter* vp, const std::string& text, std::string* error) {
  uint32_t faultReads = 10000;
  ArmedFault fault;
  for (const std::string& opt : SplitOptions(text)) {
    if (opt.empty()) continue;
    size_t eq = opt.find('=');
    std::string key = opt.substr(0, eq);
    std::string value = eq == std::string::npos ? "" : opt.substr(eq + 1);
    uint32_t n = 0;
    bool ok = true;
    if (key == "absent" && eq == std::string::npos) vp->absent = true;
    else if (key == "never_ready" && eq == std::string::npos) vp->neverReady = true;
    else if (key == "base") {
      ok = ParseNumber(value, &n) && (n == 0x378 || n == 0x278 || n == 0x3BC || n == 0x2BC);
      vp->base = uint16_t(n);
    } else if (key == "out") {
      ok = !value.empty();
      vp->outDir = value;
    } else if (key == "busy_reads") {
      ok = ParseNumber(value, &vp->busyReads);
    } else if (key == "ready_after_ms") {
      ok = ParseNumber(value, &vp->readyAfterMs);
    } else if (key == "id") {
      ok = value.size() == size_t(kPrinterIdBytes);
      if (ok) std::memcpy(vp->id, value.data(), kPrinterIdBytes);
    } else if (key == "params") {
      uint8_t p[4];
      ok = ParseBytes(value, p, 4);
      if (ok) {
        vp->param14 = p[0];
        vp->param15 = p[1];
        vp->param0C[0] = p[2];
        vp->param0C[1] = p[3];
      }
    } else if (key == "head") {
      ok = ParseBytes(value, vp->head, 3);
    } else if (key == "fault") {
      ok = ParseFault(value, &fault);
    } else if (key == "fault_reads") {
      ok = ParseNumber(value, &faultReads);
    } else if (key == "fault_clears") {
      ok = ParseClears(value, vp);
    } else {
      if (error) *error = "unknown virtual printer option '" + opt + "'";
      return false;
    }
    if (!ok) {
      if (error) *error = "bad value in virtual printer option '" + opt + "'";
      return false;
    }
  }
  fault.reads = faultReads;
  if (fault.fault != VpFault::None) {
    if (fault.when == VpWhen::Now) Raise(vp, fault.fault, fault.reads);
    else vp->armed = fault;
  }
  return true;
}

}  // namespace

VirtualPrinter* VirtualPrinterCreate(const char* options, std::string* error) {
  auto vp = std::make_unique<VirtualPrinter>();
  if (!ApplyOptions(vp.get(), options ? options : "", error)) return nullptr;
  vp->readySince = ClockPeek();
  if (!vp->outDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(vp->outDir, ec);
    std::string path = OutPath(vp.get(), "transcript.jsonl");
    vp->transcript = std::fopen(path.c_str(), "w");
    if (!vp->transcript) {
      if (error) *error = "cannot write " + path;
      return nullptr;
    }
  }
  return vp.release();
}

void VirtualPrinterDestroy(VirtualPrinter* vp) {
  if (!vp) return;
  FlushSignals(vp, 0);
  FinishCopy(vp);
  if (vp->transcript) std::fclose(vp->transcript);
  delete vp;
}

PortBackend VirtualPrinterBackend(VirtualPrinter* vp) { return PortBackend{&kVirtualPrinterOps, vp}; }

const std::vector<VpBlock>& VirtualPrinterBlocks(const VirtualPrinter* vp) { return vp->blocks; }
int VirtualPrinterResetCount(const VirtualPrinter* vp) { return vp->resets; }
std::vector<std::vector<uint8_t>> VirtualPrinterSignalRuns(const VirtualPrinter* vp) {
  std::vector<std::vector<uint8_t>> runs = vp->signalRuns;
  if (!vp->pendingRun.empty()) runs.push_back(vp->pendingRun);
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
uint8_t VirtualPrinterControl(const VirtualPrinter* vp) { return vp->control; }
uint8_t VirtualPrinterPeekStatus(const VirtualPrinter* vp) {
  return vp->absent ? 0xFF : StatusNow(vp);
}

void VirtualPrinterSetBusyReads(VirtualPrinter* vp, uint32_t reads) {
  vp->stuck = false;
  vp->busyLeft = reads;
}

void VirtualPrinterSetFault(VirtualPrinter* vp, VpFault fault, VpWhen when, uint32_t n,
                            uint32_t reads) {
  if (when == VpWhen::Now) {
    vp->armed = ArmedFault{};
    Raise(vp, fault, reads);
    return;
  }
  vp->armed = ArmedFault{fault, when, n, reads, 0};
}

void VirtualPrinterClearFault(VirtualPrinter* vp) {
  vp->armed = ArmedFault{};
  vp->busyLeft = 0;
  vp->stuck = false;
  vp->lines = Lines::Normal;
  vp->ackNeverLow = false;
  vp->ackNeverHigh = false;
}

void VirtualPrinterSetState(VirtualPrinter* vp, int state) { vp->stateOverride = state; }

void VirtualPrinterSetId(VirtualPrinter* vp, const char* id6) { std::memcpy(vp->id, id6, kPrinterIdBytes); }
