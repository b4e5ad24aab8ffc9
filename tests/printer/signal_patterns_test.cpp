// The signal patterns on the data lines of the four port bases, on a bus that
// records every register write, and on the virtual printer.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "platform/port_io.h"
#include "printer_test_support.h"
#include "support/virtual_printer.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using namespace printer_test;

namespace {

const std::vector<uint8_t> kStartA = {0xFF, 0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x6A, 0x2A,
                                      0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x7A, 0x3A, 0xFF};
const std::vector<uint8_t> kStartB = {0xFF, 0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x6A, 0x2A,
                                      0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x4A, 0x0A, 0xFF};
const std::vector<uint8_t> kExit = {0xFF, 0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x6A, 0x2A,
                                    0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x5A, 0x1A, 0xFF};

// A bus with parallel ports at chosen bases that records every write and
// counts every read.
struct RecordingBus {
  std::set<uint16_t> ports;
  std::vector<std::pair<uint16_t, uint8_t>> writes;
  int reads = 0;
  int portQuestions = 0;
};

uint8_t BusRead(void* ctx, uint16_t) {
  ++static_cast<RecordingBus*>(ctx)->reads;
  return 0xFF;
}
void BusWrite(void* ctx, uint16_t addr, uint8_t value) {
  static_cast<RecordingBus*>(ctx)->writes.emplace_back(addr, value);
}
bool BusIsPort(void* ctx, uint16_t base) {
  auto* bus = static_cast<RecordingBus*>(ctx);
  ++bus->portQuestions;
  return bus->ports.count(base) != 0;
}

class SignalPatternsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockSelect(ClockKind::Virtual);
  }
  void TearDown() override { PortInstallBackend({}); }
  void Install(std::set<uint16_t> ports) {
    bus_.ports = std::move(ports);
    PortInstallBackend({&kRecordingOps, &bus_});
  }
  // Writes that went to one address, in order.
  std::vector<uint8_t> WritesTo(uint16_t addr) const {
    std::vector<uint8_t> bytes;
    for (const auto& [a, v] : bus_.writes)
      if (a == addr) bytes.push_back(v);
    return bytes;
  }
  static std::vector<uint8_t> Join(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    std::vector<uint8_t> joined = a;
    joined.insert(joined.end(), b.begin(), b.end());
    return joined;
  }

  static constexpr PortOps kRecordingOps = {.name = "recording",
                                            .read = BusRead,
                                            .write = BusWrite,
                                            .is_port_base = BusIsPort,
                                            .close = nullptr,
                                            .end_session = nullptr};
  RecordingBus bus_;
};

TEST_F(SignalPatternsTest, StartAndExitPatternsGoToEveryPortBaseInOrder) {
  Install({0x378, 0x3BC, 0x278, 0x2BC});
  uint32_t start = ClockPeek();
  SendStartSignals();
  ASSERT_EQ(bus_.writes.size(), 144u);
  // Base by base: 0x378, 0x3BC, 0x278, 0x2BC, each start A then start B on
  // its data register.
  const uint16_t order[4] = {0x378, 0x3BC, 0x278, 0x2BC};
  const std::vector<uint8_t> startAB = Join(kStartA, kStartB);
  for (int b = 0; b < 4; ++b) {
    for (int i = 0; i < 36; ++i) {
      ASSERT_EQ(bus_.writes[b * 36 + i].first, order[b]) << "write " << b * 36 + i;
      ASSERT_EQ(bus_.writes[b * 36 + i].second, startAB[i]) << "write " << b * 36 + i;
    }
  }
  // 1 ms before each byte.
  EXPECT_GE(ClockPeek() - start, 144u);
  EXPECT_EQ(bus_.reads, 0);

  bus_.writes.clear();
  start = ClockPeek();
  SendExitSignals();
  ASSERT_EQ(bus_.writes.size(), 72u);
  for (int b = 0; b < 4; ++b) EXPECT_EQ(WritesTo(order[b]), kExit) << std::hex << order[b];
  EXPECT_EQ(bus_.writes.front().first, 0x378);
  EXPECT_EQ(bus_.writes.back().first, 0x2BC);
  EXPECT_GE(ClockPeek() - start, 72u);
  EXPECT_EQ(bus_.reads, 0);
}

TEST_F(SignalPatternsTest, BasesWithoutAPortAreNotWrittenButKeepTheirTiming) {
  Install({0x278});
  const uint32_t start = ClockPeek();
  SendStartSignals();
  EXPECT_EQ(WritesTo(0x278), Join(kStartA, kStartB));
  EXPECT_EQ(bus_.writes.size(), 36u) << "written to an address that is no port";
  EXPECT_GE(ClockPeek() - start, 144u);

  bus_.writes.clear();
  const uint32_t exitStart = ClockPeek();
  SendExitSignals();
  EXPECT_EQ(WritesTo(0x278), kExit);
  EXPECT_EQ(bus_.writes.size(), 18u);
  EXPECT_GE(ClockPeek() - exitStart, 72u);

  // A machine without any port: nothing written at all.
  Install({});
  bus_.writes.clear();
  SendStartSignals();
  SendExitSignals();
  EXPECT_TRUE(bus_.writes.empty());
}

TEST_F(SignalPatternsTest, TheVirtualPrinterSeesThePatternsOnItsDataLines) {
  ScopedVirtualPrinter printer;
  ASSERT_TRUE(printer.ok()) << printer.error();
  SendStartSignals();
  SendExitSignals();
  // Back-to-back patterns with no strobe between them form one run.
  EXPECT_THAT(VirtualPrinterSignalRuns(printer.get()),
              ElementsAre(ElementsAreArray(Join(Join(kStartA, kStartB), kExit))));
  EXPECT_TRUE(VirtualPrinterBlocks(printer.get()).empty());
}

}  // namespace
