// The virtual printer's command vocabulary, written once: for each command
// what its block is (direction and length, which are not on the wire), the
// reply a read gives, and what a complete write does to the printer. The
// device recognises a block after its third command byte and performs it when
// it has ended complete; anything not in the table is taken as a write of any
// length that does nothing.

#include <cstring>

#include "platform/clock.h"
#include "vprinter/printer_model.h"

namespace vprinter {

namespace {

int StateAnswer(const VirtualPrinter* vp) {
  if (vp->stateOverride >= 0) return vp->stateOverride;
  if (vp->neverReady) return kPrinterStateWarming;
  if (vp->readyAfterMs && ClockPeek() - vp->readySince < vp->readyAfterMs) return kPrinterStateWarming;
  return kPrinterStateReady;
}

using Reply = std::vector<uint8_t>;

void ReplyIdentity(VirtualPrinter* vp, uint8_t, Reply* r) { r->assign(vp->id, vp->id + kPrinterIdBytes); }
void ReplyState(VirtualPrinter* vp, uint8_t, Reply* r) { r->push_back(uint8_t(StateAnswer(vp))); }
void ReplyParam14(VirtualPrinter* vp, uint8_t, Reply* r) { r->push_back(vp->param14); }
void ReplyParam15(VirtualPrinter* vp, uint8_t, Reply* r) { r->push_back(vp->param15); }
void ReplyParam0C(VirtualPrinter* vp, uint8_t, Reply* r) { r->assign(vp->param0C, vp->param0C + 2); }
void ReplyHead(VirtualPrinter* vp, uint8_t operand, Reply* r) {
  r->push_back(vp->head[operand - kHeadParameterBase]);
}

void WriteParam14(VirtualPrinter* vp, const VpBlock& b) { vp->param14 = b.data[0]; }
void WriteParam15(VirtualPrinter* vp, const VpBlock& b) { vp->param15 = b.data[0]; }
void WriteParam0C(VirtualPrinter* vp, const VpBlock& b) { std::memcpy(vp->param0C, b.data.data(), 2); }
void WriteTemperatureTable(VirtualPrinter* vp, const VpBlock& b) { vp->temperatureTable = b.data; }

void StartPage(VirtualPrinter* vp, const VpBlock&) {
  ++vp->pageStarts;
  TranscribeEvent(vp, "page_start");
  FinishCopy(vp);
}

void ImageLine(VirtualPrinter* vp, const VpBlock& b) {
  const uint32_t index = RecordImageLine(vp, b.data);
  Trigger(vp, VpWhen::ImageLine, index);
}

void End(VirtualPrinter* vp, const VpBlock& b) {
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

struct Command {
  uint8_t op;                         // second command byte
  uint8_t firstOperand, lastOperand;  // the third bytes it takes
  // A read's answer (its length is the reply's); null for a write.
  void (*reply)(VirtualPrinter* vp, uint8_t operand, Reply* out);
  int length;  // a write's data bytes, or kImageLineLength
  // What a complete write does; null: nothing.
  void (*perform)(VirtualPrinter* vp, const VpBlock& b);
};

constexpr uint8_t kHeadCyan = kHeadParameterBase + kCyan;
constexpr uint8_t kHeadYellow = kHeadParameterBase + kYellow;

constexpr Command kCommands[] = {
    {kOpReadParameter, kParamIdentity, kParamIdentity, ReplyIdentity, 0, nullptr},
    {kOpReadParameter, kParamState, kParamState, ReplyState, 0, nullptr},
    {kOpReadParameter, kParam14, kParam14, ReplyParam14, 0, nullptr},
    {kOpReadParameter, kParam15, kParam15, ReplyParam15, 0, nullptr},
    {kOpReadParameter, kParam0C, kParam0C, ReplyParam0C, 0, nullptr},
    {kOpReadHeadParameter, kHeadCyan, kHeadYellow, ReplyHead, 0, nullptr},
    {kOpWriteParameter, kParam14, kParam14, nullptr, 1, WriteParam14},
    {kOpWriteParameter, kParam15, kParam15, nullptr, 1, WriteParam15},
    {kOpWriteParameter, kParam0C, kParam0C, nullptr, 2, WriteParam0C},
    {kOpWriteParameter, kParamTemperatureTable, kParamTemperatureTable, nullptr,
     kTemperatureTableBytes, WriteTemperatureTable},
    {kOpStartPage, kStartPageOperand, kStartPageOperand, nullptr, 0, StartPage},
    {kOpImageLine, kImageLineOperand, kImageLineOperand, nullptr, kImageLineLength, ImageLine},
    {kOpEnd, kEndOperand, kEndOperand, nullptr, 1, End},
};

const Command* Find(const uint8_t* c) {
  if (c[0] != kCommandLead) return nullptr;
  for (const Command& command : kCommands)
    if (c[1] == command.op && c[2] >= command.firstOperand && c[2] <= command.lastOperand)
      return &command;
  return nullptr;
}

}  // namespace

void Recognise(VirtualPrinter* vp) {
  DeviceState& d = vp->dev;
  d.dir = kBlockWrite;
  d.expectedLength = kUnknownLength;
  d.reply.clear();
  const Command* command = Find(d.cmd);
  if (command == nullptr) return;
  if (command->reply == nullptr) {
    d.expectedLength = command->length;
    return;
  }
  command->reply(vp, d.cmd[2], &d.reply);
  d.dir = kBlockRead;
  d.expectedLength = int(d.reply.size());
}

void Perform(VirtualPrinter* vp, const VpBlock& b) {
  if (b.dir != kBlockWrite) return;
  const Command* command = Find(b.cmd);
  if (command != nullptr && command->perform != nullptr) command->perform(vp, b);
}

}  // namespace vprinter
