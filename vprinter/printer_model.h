// The virtual printer's state and the seams between its parts, private to
// vprinter/: the device (virtual_printer.cpp: registers, reset, the offset
// switch, the block protocol), its command table (commands.cpp: what each
// command is and does), its options (options.cpp) and its recorder
// (recorder.cpp: transcript, copies, pictures).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/printer_protocol.h"
#include "platform/port_io.h"
#include "vprinter/virtual_printer.h"

namespace vprinter {

enum class Lines { Normal, Paper, Error };
// When a raised paper or error fault clears by itself.
enum class Clears { Never, Reset, Reads };
enum class Phase { Idle, Command, Data };

// Data lengths the printer expects besides a count of bytes.
constexpr int kUnknownLength = -1;    // a command it does not know: any length
constexpr int kImageLineLength = -2;  // kLeadInLineBytes or kLineBytes

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

// What a reset sets back: the registers, the lines the printer drives, the
// block under way and any fault, each at its power-on value.
struct DeviceState {
  // ---- registers and lines ----
  uint8_t data = 0;
  uint8_t control = 0x0C;  // SelectIn asserted, nInit high: idle
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
  int dir = kBlockWrite;
  int expectedLength = kUnknownLength;
  std::vector<uint8_t> blockData;
  std::vector<uint8_t> reply;
  uint32_t bitIndex = 0;
  bool awaitingAck = false;

  // ---- data-register writes not yet followed by a strobe ----
  std::vector<uint8_t> pendingRun;

  ArmedFault armed;
};

// ---- device (virtual_printer.cpp) ----
void Raise(VirtualPrinter* vp, VpFault fault, uint32_t reads);
void Trigger(VirtualPrinter* vp, VpWhen when, uint32_t count);

// ---- command table (commands.cpp) ----
// After the third command byte: what the block is (direction, length, reply).
void Recognise(VirtualPrinter* vp);
// A complete block's effect on the printer.
void Perform(VirtualPrinter* vp, const VpBlock& b);

// ---- options (options.cpp) ----
bool ApplyOptions(VirtualPrinter* vp, const std::string& text, std::string* error);

// ---- recorder (recorder.cpp) ----
// Creates the out= folder and its transcript; false (and *error) when it cannot.
bool OpenRecorder(VirtualPrinter* vp, std::string* error);
// Finishes an unfinished copy's files and closes the transcript.
void CloseRecorder(VirtualPrinter* vp);
void TranscribeEvent(VirtualPrinter* vp, const char* event);
void TranscribeBlock(VirtualPrinter* vp, const VpBlock& b);
// Records the pending data-register writes as a signal run, but the last
// `keep` of them (a strobe is latching that one). Called at every status read
// and control write, nearly always with nothing pending.
void RecordSignalRun(VirtualPrinter* vp, size_t keep);
inline void FlushSignals(VirtualPrinter* vp, size_t keep);
// A page start after lines closes that copy; one with no lines between does
// not open another.
void FinishCopy(VirtualPrinter* vp);
// An image line: into the open copy (opened by the first line after a page
// start). Returns the line's index in its copy.
uint32_t RecordImageLine(VirtualPrinter* vp, const std::vector<uint8_t>& data);

}  // namespace vprinter

struct VirtualPrinter {
  // ---- options ----
  uint16_t base = kDefaultPortBase;
  std::string outDir;
  uint32_t busyReads = 2;
  uint32_t readyAfterMs = 0;
  char id[kPrinterIdBytes] = {kPrinterId[0], kPrinterId[1], kPrinterId[2],
                              kPrinterId[3], kPrinterId[4], kPrinterId[5]};
  // A printer that holds the parameters the print needs; writes are kept.
  uint8_t param14 = kWantedParameters[0].value[0];
  uint8_t param15 = kWantedParameters[1].value[0];
  uint8_t param0C[2] = {kWantedParameters[2].value[0], kWantedParameters[2].value[1]};
  uint8_t head[3] = {kHeadParameterDefaults[kCyan], kHeadParameterDefaults[kMagenta],
                     kHeadParameterDefaults[kYellow]};
  bool absent = false;
  bool neverReady = false;
  // runs: the out= folder keeps every run of the program (the transcript
  // appended to, each run between an open and a close event with its
  // process id; copies numbered on from those already there).
  bool keepRuns = false;
  size_t copiesBefore = 0;  // copies of earlier runs in the out= folder
  vprinter::Clears faultClears = vprinter::Clears::Never;
  uint32_t faultClearReads = 0;  // Clears::Reads: status reads the fault lasts

  vprinter::DeviceState dev;
  int stateOverride = -1;
  uint32_t readySince = 0;  // power-on or the last page end (ClockPeek)

  // ---- records ----
  bool copyOpen = false;
  int copyLineIndex = 0;
  std::vector<VpBlock> blocks;
  std::vector<std::vector<uint8_t>> signalRuns;
  std::vector<uint8_t> temperatureTable;
  std::vector<std::unique_ptr<vprinter::Copy>> copies;
  int resets = 0;
  int pageStarts = 0;
  int pageEnds = 0;
  int runEnds = 0;
  uint64_t statusReads = 0;
  uint64_t dataWrites = 0;
  uint64_t controlWrites = 0;
  std::FILE* transcript = nullptr;
};

namespace vprinter {
inline void FlushSignals(VirtualPrinter* vp, size_t keep) {
  if (!vp->dev.pendingRun.empty()) RecordSignalRun(vp, keep);
}
}  // namespace vprinter
