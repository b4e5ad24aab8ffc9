// The link library's exports against the virtual printer: finding it, moving
// blocks, and every result code provoked by a fault of the device.

#include <gtest/gtest.h>

#include <cstring>

#include "support/lptgate_module.h"
#include "support/virtual_printer.h"

namespace {

class Exports : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(lib.ok()) << dlerror(); }
  LptgateModule lib;
};

TEST_F(Exports, FindsThePrinterOnItsBaseAndQueriesIt) {
  struct Case {
    const char* options;
    int32_t selector;
  } cases[] = {{"base=0x3BC", 1}, {"base=0x2BC", 2}, {"", 3}, {"base=0x278", 4}};
  for (const Case& c : cases) {
    ScopedVirtualPrinter vp(c.options);
    ASSERT_TRUE(vp.ok()) << vp.error();
    const uint32_t start = ClockPeek();
    EXPECT_EQ(lib.InitPort(0), c.selector) << c.options;
    // Two pauses of 500 ms per base tried.
    EXPECT_GE(ClockPeek() - start, uint32_t(c.selector) * 1000u);
    EXPECT_EQ(VirtualPrinterResetCount(vp.get()), 2);
  }

  ScopedVirtualPrinter vp;
  // Selector 3 probes 0x378 at once: no reset, no pause.
  const uint32_t start = ClockPeek();
  EXPECT_EQ(lib.InitPort(3), 3);
  EXPECT_LT(ClockPeek() - start, 100u);
  EXPECT_EQ(VirtualPrinterResetCount(vp.get()), 0);
  // A selector beyond 4 keeps the base and is returned as it was given.
  EXPECT_EQ(lib.InitPort(7), 7);

  // The identification query fills offsets 8..13 and leaves the header.
  std::vector<uint8_t> b = MakeBlock(0, 6, 0x24, 0xFF, 0xFD, 12);
  std::memset(b.data() + 14, 0xA5, 6);
  const std::vector<uint8_t> header(b.begin(), b.begin() + 7);
  ASSERT_EQ(lib.Command_set(b.data()), 0);
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 14), "QMRV01");
  EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 7), header);
  EXPECT_EQ(b[7], 0);
  EXPECT_EQ(b[14], 0xA5);

  // Parameter, head and state reads and a parameter write.
  std::vector<uint8_t> r = MakeBlock(0, 2, 0x24, 0xFF, 0x0C);
  ASSERT_EQ(lib.Command_set(r.data()), 0);
  EXPECT_EQ(r[8], 0x08);
  EXPECT_EQ(r[9], 0x07);
  std::vector<uint8_t> h = MakeBlock(0, 1, 0x24, 0xFB, 0x13);
  ASSERT_EQ(lib.Command_set(h.data()), 0);
  EXPECT_EQ(h[8], 108);
  std::vector<uint8_t> w = MakeBlock(1, 1, 0x24, 0xFE, 0x15);
  w[8] = 0x99;
  ASSERT_EQ(lib.Command_set(w.data()), 0);
  EXPECT_EQ(VirtualPrinterParam15(vp.get()), 0x99);
  std::vector<uint8_t> s = MakeBlock(0, 1, 0x24, 0xFF, 0x06);
  ASSERT_EQ(lib.Command_set(s.data()), 0);
  EXPECT_EQ(s[8], 3);
  EXPECT_EQ(lib.Is_Ready(), 0);
}

TEST_F(Exports, NoPrinterOrAWrongIdentityIsNotFound) {
  for (const char* options : {"id=QMRV02", "absent", "id=qmrv01"}) {
    ScopedVirtualPrinter vp(options);
    ASSERT_TRUE(vp.ok()) << vp.error();
    const uint32_t start = ClockPeek();
    EXPECT_EQ(lib.InitPort(0), -1) << options;
    EXPECT_GE(ClockPeek() - start, 4000u);
    EXPECT_LT(ClockPeek() - start, 4100u);
  }
}

TEST_F(Exports, DirectionTwoLeavesAutoFeedAsserted) {
  ScopedVirtualPrinter vp;
  std::vector<uint8_t> b = MakeBlock(2, 5, 0x24, 0xFE, 0x14);
  EXPECT_EQ(lib.Command_set(b.data()), 0);
  EXPECT_EQ(b[7], 0);
  EXPECT_EQ(VirtualPrinterControl(vp.get()), 0x0E);
  EXPECT_EQ(VirtualPrinterDataWrites(vp.get()), 3u);
  // The next block's idle writes end it.
  std::vector<uint8_t> end = MakeBlock(1, 1, 0x24, 0x02, 0x01);
  EXPECT_EQ(lib.Command_set(end.data()), 0);
  EXPECT_EQ(VirtualPrinterControl(vp.get()), 0x0C);
  ASSERT_EQ(VirtualPrinterBlocks(vp.get()).size(), 2u);
  EXPECT_TRUE(VirtualPrinterBlocks(vp.get())[0].data.empty());
  EXPECT_EQ(VirtualPrinterPageEnds(vp.get()), 1);
}

TEST_F(Exports, EveryResultCodeFromADeviceFault) {
  struct Case {
    const char* what;
    VpFault fault;
    VpWhen when;
    uint32_t n;
    uint16_t direction;
    int32_t code;
    uint8_t result;
  } cases[] = {
      {"paper at entry", VpFault::Paper, VpWhen::Now, 0, 1, 1, 0x40},
      {"busy before the block", VpFault::Stuck, VpWhen::Now, 0, 1, 1, 3},
      {"error lines at entry", VpFault::Error, VpWhen::Now, 0, 1, 2, 0x40},
      {"busy after the first command byte", VpFault::Stuck, VpWhen::CommandByte, 1, 1, 2, 3},
      {"busy after the command bytes", VpFault::Stuck, VpWhen::CommandByte, 3, 1, 3, 3},
      {"no bit clocked", VpFault::AckNeverLow, VpWhen::ReadBit, 0, 0, 4, 3},
      {"bit never released", VpFault::AckNeverHigh, VpWhen::ReadBit, 5, 0, 5, 3},
      {"busy at the data phase", VpFault::Stuck, VpWhen::DataPhase, 1, 1, 6, 3},
      {"busy after a data byte", VpFault::Stuck, VpWhen::DataByte, 1, 1, 8, 3},
      {"busy after the last byte", VpFault::Stuck, VpWhen::DataByte, 2, 1, 9, 3},
  };
  for (const Case& c : cases) {
    ScopedVirtualPrinter vp;
    ASSERT_EQ(lib.InitPort(3), 3);
    VirtualPrinterSetFault(vp.get(), c.fault, c.when, c.n);
    std::vector<uint8_t> b = c.direction == 0 ? MakeBlock(0, 2, 0x24, 0xFF, 0x0C)
                                              : MakeBlock(1, 2, 0x24, 0xFE, 0x0C);
    const uint64_t writesBefore = VirtualPrinterDataWrites(vp.get()) + VirtualPrinterControlWrites(vp.get());
    EXPECT_EQ(lib.Command_set(b.data()), c.code) << c.what;
    EXPECT_EQ(b[7], c.result) << c.what;
    if (c.result == 0x40) {
      EXPECT_EQ(VirtualPrinterDataWrites(vp.get()) + VirtualPrinterControlWrites(vp.get()), writesBefore)
          << c.what;
    }
    // Once the fault is cleared and the printer reset (a failed block can
    // leave it mid-command), the next block goes through.
    VirtualPrinterClearFault(vp.get());
    EXPECT_EQ(lib.LPT_Reset(), 0);
    std::vector<uint8_t> ok = MakeBlock(0, 1, 0x24, 0xFF, 0x14);
    EXPECT_EQ(lib.Command_set(ok.data()), 0) << c.what;
    EXPECT_EQ(ok[8], 0x2D) << c.what;
  }
}

TEST_F(Exports, IsReadyWaitsOutABusyPrinter) {
  ScopedVirtualPrinter vp;
  VirtualPrinterSetBusyReads(vp.get(), 3 * 2047 + 10);
  int busyAnswers = 0;
  while (lib.Is_Ready() == 3) ++busyAnswers;
  EXPECT_EQ(busyAnswers, 3);
  VirtualPrinterSetFault(vp.get(), VpFault::Paper);
  VirtualPrinterSetBusyReads(vp.get(), 5000);
  EXPECT_EQ(lib.Is_Ready(), 1);
  VirtualPrinterSetFault(vp.get(), VpFault::Error);
  EXPECT_EQ(lib.Is_Ready(), 2);
}

}  // namespace
