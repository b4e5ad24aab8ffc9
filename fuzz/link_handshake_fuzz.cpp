// The link library's handshakes against a port whose status register reads
// come from the input, one byte per read. The first four bytes choose what
// the library is asked to do; when the input runs out, the port alternates
// between a free printer with nAck high and one with nAck low, so every wait
// ends soon. Writes go nowhere.
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "lptgate/lptgate.h"
#include "platform/port_io.h"

namespace {

constexpr uint8_t kFreeAckHigh = 0xD8;  // not busy, nAck high, online, no fault
constexpr uint8_t kFreeAckLow = 0x98;   // the same with nAck low

struct StatusStream {
  const uint8_t* data;
  size_t size;
  size_t at;
  bool low;
};

uint8_t ReadStatus(void* ctx, uint16_t addr) {
  StatusStream* s = static_cast<StatusStream*>(ctx);
  if ((addr & 3) != 1) return 0xFF;  // data and control read back nothing useful
  if (s->at < s->size) return s->data[s->at++];
  s->low = !s->low;
  return s->low ? kFreeAckLow : kFreeAckHigh;
}
void Ignore(void*, uint16_t, uint8_t) {}
bool AnyBase(void*, uint16_t base) { return IsParallelPortBase(base); }

// One block with room for exactly its data, so a write past it is caught.
int32_t RunBlock(uint16_t direction, uint16_t length) {
  std::vector<uint8_t> block(kCommandHeaderBytes + length, 0x5A);
  const uint8_t header[7] = {uint8_t(direction), uint8_t(direction >> 8), uint8_t(length), uint8_t(length >> 8),
                             0x24, 0xFF, 0x0C};
  std::memcpy(block.data(), header, sizeof header);
  const int32_t code = Command_set(block.data());
  if (std::memcmp(block.data(), header, sizeof header) != 0) fuzz::Fail("block header changed");
  const bool known = (code >= 0 && code <= 6) || code == 8 || code == 9;
  if (!known) fuzz::Fail("unknown result code");
  const uint8_t result = block[7];
  if (code == 0 && result != 0) fuzz::Fail("done with a result byte");
  if (code != 0 && result != 0x40 && (result < 1 || result > 3)) fuzz::Fail("result byte");
  if (direction != 0 && length != 0)
    for (uint16_t i = 0; i < length; ++i)
      if (block[kCommandHeaderBytes + i] != 0x5A) fuzz::Fail("write block's data changed");
  return code;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::TheDisk();
  if (size < 4) return -1;
  StatusStream stream{data + 4, size - 4, 0, false};
  static const PortOps kOps{.name = "fuzz", .read = ReadStatus, .write = Ignore, .is_port_base = AnyBase,
                            .close = nullptr,
                            .end_session = nullptr};
  PortInstallBackend(PortBackend{&kOps, &stream});
  for (int op = 0; op < 4; ++op) {
    const uint8_t choice = data[op];
    switch (choice % 6) {
      case 0: {
        const int32_t selector = int32_t(choice / 6) % 9 - 2;  // -2 .. 6
        const int32_t found = InitPort(selector);
        if (found != -1 && !(found >= 1 && found <= 4) && found != selector) fuzz::Fail("InitPort result");
        break;
      }
      case 1: RunBlock(0, uint16_t(choice / 6 % 16)); break;     // read
      case 2: RunBlock(1, uint16_t(choice / 6 * 4)); break;      // write, up to 168 bytes
      case 3: RunBlock(2, uint16_t(choice / 6 % 4)); break;      // command only
      case 4:
        if (Is_Ready() > 3) fuzz::Fail("Is_Ready result");
        break;
      default: LPT_Reset(); break;
    }
  }
  PortInstallBackend(PortBackend{});
  return 0;
}
