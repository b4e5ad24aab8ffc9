// The link library's handshakes on a scripted register double: exactly which
// registers are written in which order, how many status reads each wait takes,
// and how the reverse channel assembles bits.

#include <gtest/gtest.h>

#include "support/lptgate_module.h"
#include "platform/clock.h"

namespace {

constexpr uint8_t kFree = 0xD8;       // not busy, nAck high, Select, nError high
constexpr uint16_t kControl = 0x37A;  // base 0x378 until InitPort selects another
constexpr uint16_t kData = 0x378;

class Handshake : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockSelect(ClockKind::Virtual);
    ASSERT_TRUE(lib.ok()) << dlerror();
  }
  LptgateModule lib;
};

TEST_F(Handshake, WriteBlockStrobesEachByteOnceWithItsDataLatched) {
  ScriptedPort port;
  // With the printer free throughout the base is whatever InitPort left;
  // select 0x378 explicitly by a probe that fails fast on the absent status.
  std::vector<uint8_t> b = MakeBlock(1, 4, 0x24, 0xFE, 0x20);
  const uint8_t payload[4] = {0x11, 0x22, 0x33, 0x44};
  std::copy(payload, payload + 4, b.begin() + 8);

  ASSERT_EQ(lib.Command_set(b.data()), 0);
  EXPECT_EQ(b[7], 0);

  std::vector<uint8_t> controls;
  uint8_t dataLatch = 0;
  std::vector<uint8_t> strobed;
  for (const PortAccess& a : port.Writes()) {
    if (a.addr == kData) dataLatch = a.value;
    if (a.addr == kControl) {
      controls.push_back(a.value);
      if (a.value == 0x0D || a.value == 0x0F) strobed.push_back(dataLatch);
    }
  }
  const std::vector<uint8_t> expected = {0x0C, 0x0C, 0x0D, 0x0C, 0x0D, 0x0C, 0x0D, 0x0C, 0x0E,
                                         0x0F, 0x0E, 0x0F, 0x0E, 0x0F, 0x0E, 0x0F, 0x0E, 0x0C};
  EXPECT_EQ(controls, expected);
  EXPECT_EQ(strobed, (std::vector<uint8_t>{0x24, 0xFE, 0x20, 0x11, 0x22, 0x33, 0x44}));
  // Entry check, free wait, three command waits, the wait after them, the
  // single look, two waits per data byte, the wait after the last byte.
  EXPECT_EQ(port.statusReads, 1u + 1 + 3 + 1 + 1 + 2 * 4 + 1);

  // A write of length 0 is its three command bytes and back to idle.
  port.log.clear();
  std::vector<uint8_t> empty = MakeBlock(1, 0, 0x24, 0x08, 0x00);
  ASSERT_EQ(lib.Command_set(empty.data()), 0);
  controls.clear();
  int dataWrites = 0;
  for (const PortAccess& a : port.Writes()) {
    if (a.addr == kControl) controls.push_back(a.value);
    if (a.addr == kData) ++dataWrites;
  }
  EXPECT_EQ(dataWrites, 3);
  EXPECT_EQ(controls.back(), 0x0C);
  EXPECT_EQ(std::count(controls.begin(), controls.end(), 0x0F), 0);
}

// Status values during one reply bit: nAck low with the bit on Select, then
// nAck high again after the host's acknowledge.
void ScriptBits(ScriptedPort& port, const std::vector<int>& bits) {
  for (int i = 0; i < 6; ++i) port.script.push_back(kFree);  // entry, waits, command phase
  for (int bit : bits) {
    const uint8_t low = uint8_t(0x88 | (bit ? 0x10 : 0));  // nAck low, nError high
    port.script.push_back(low);   // WaitAckLow sees it
    port.script.push_back(low);   // the read that takes the bit
    port.script.push_back(kFree);  // WaitAckHigh
  }
}

TEST_F(Handshake, ReplyBitsArriveLeastSignificantFirst) {
  {
    ScriptedPort port;
    ScriptBits(port, {1, 0, 0, 0, 0, 0, 0, 0});
    std::vector<uint8_t> b = MakeBlock(0, 1, 0x24, 0xFF, 0x06, 4);
    b[9] = 0x5A;
    ASSERT_EQ(lib.Command_set(b.data()), 0);
    EXPECT_EQ(b[8], 0x01);
    EXPECT_EQ(b[9], 0x5A) << "a read touches nothing beyond its length";
    EXPECT_TRUE(port.script.empty());
  }
  {
    ScriptedPort port;
    ScriptBits(port, {0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 1, 0});
    std::vector<uint8_t> b = MakeBlock(0, 2, 0x24, 0xFF, 0x0C);
    ASSERT_EQ(lib.Command_set(b.data()), 0);
    EXPECT_EQ(b[8], 0x80);
    EXPECT_EQ(b[9], 0x43);
  }
}

TEST_F(Handshake, ReadLongerThan8191BytesFillsEveryByte) {
  // A printer that answers any read with an endless stream: byte k = k * 7.
  ScriptedPort port;
  uint32_t bit = 0;
  bool presenting = true;
  port.status = [&](uint16_t) -> uint8_t {
    if (!presenting) return kFree;
    const uint8_t byte = uint8_t((bit / 8) * 7);
    return uint8_t(0x88 | (((byte >> (bit % 8)) & 1) ? 0x10 : 0));
  };
  port.onWrite = [&](uint16_t addr, uint8_t v) {
    if (addr != kControl) return;
    if (v == 0x0F && presenting) {  // acknowledge: nAck back high
      presenting = false;
      ++bit;
    } else if (v == 0x0E) {
      presenting = true;
    }
  };
  constexpr uint16_t kLen = 8200;
  std::vector<uint8_t> b = MakeBlock(0, kLen, 0x24, 0xFF, 0x77, kLen + 1);
  b[8 + kLen] = 0xEE;
  // Five free reads for entry and command phase before the reply starts.
  for (int i = 0; i < 6; ++i) port.script.push_back(kFree);
  ASSERT_EQ(lib.Command_set(b.data()), 0);
  EXPECT_EQ(bit, uint32_t(kLen) * 8);
  for (uint32_t k = 0; k < kLen; ++k) ASSERT_EQ(b[8 + k], uint8_t(k * 7)) << "byte " << k;
  EXPECT_EQ(b[8 + kLen], 0xEE);
}

TEST_F(Handshake, IsReadyPollsAtMostNMinusOneTimesAndClassifiesTheLines) {
  struct Case {
    uint8_t status;
    uint16_t code;
  } cases[] = {{0x58, 3}, {0x38, 1}, {0x10, 2}, {0x00, 2}, {0x68, 1}};
  for (const Case& c : cases) {
    ScriptedPort port;
    port.after = c.status;
    EXPECT_EQ(lib.Is_Ready(), c.code) << std::hex << int(c.status);
    // 0x0800 - 1 looks, then one read for the line state.
    EXPECT_EQ(port.statusReads, 2047u + 1);
    EXPECT_TRUE(port.Writes().empty());
  }
  ScriptedPort port;
  EXPECT_EQ(lib.Is_Ready(), 0);
  EXPECT_EQ(port.statusReads, 1u) << "free at once: no line-state read";
}

TEST_F(Handshake, EntryCheckRefusesWithoutWritingAnyRegister) {
  struct Case {
    uint8_t status;
    int32_t code;
  } cases[] = {{0xC8, 2} /* Select low */, {0xB8, 1}, {0x90, 2}};
  for (const Case& c : cases) {
    ScriptedPort port;
    port.after = c.status;
    std::vector<uint8_t> b = MakeBlock(1, 1, 0x24, 0x02, 0x01);
    EXPECT_EQ(lib.Command_set(b.data()), c.code);
    EXPECT_EQ(b[7], 0x40);
    EXPECT_TRUE(port.Writes().empty());
    EXPECT_EQ(port.statusReads, 1u);
  }
}

TEST_F(Handshake, SecondWaitBeforeADataByteFailingGivesNine) {
  ScriptedPort port;
  // Free for the entry check, the block wait, three command bytes, the wait
  // after them, the single look and the first data byte's first wait; busy
  // for good from its second wait on.
  for (int i = 0; i < 8; ++i) port.script.push_back(kFree);
  port.after = 0x58;
  std::vector<uint8_t> b = MakeBlock(1, 2, 0x24, 0xFE, 0x14);
  EXPECT_EQ(lib.Command_set(b.data()), 9);
  EXPECT_EQ(b[7], 3);
  EXPECT_EQ(port.statusReads, 8u + 100u * 61439u + 1u);
  // The failure leaves the control register where it was: AutoFeed asserted.
  EXPECT_EQ(port.Writes().back().value, 0x0E);
}

TEST_F(Handshake, ResetPulseAndVersion) {
  ScriptedPort port;
  EXPECT_EQ(lib.LPT_Reset(), 0);
  const std::vector<PortAccess> w = port.Writes();
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0].value, 0x08);
  EXPECT_EQ(w[1].value, 0x0C);
  EXPECT_EQ(w[0].addr & 3, 2);
  EXPECT_EQ(port.statusReads, 0u);
  EXPECT_EQ(lib.GetDLLversion(), 0.12f);
  EXPECT_TRUE(port.log.size() == 2);
}

TEST_F(Handshake, SearchOrderPausesAndSelectors) {
  ScriptedPort port;
  port.after = 0xFF;  // no port anywhere
  const uint32_t start = ClockPeek();
  EXPECT_EQ(lib.InitPort(0), -1);
  const uint32_t elapsed = ClockPeek() - start;
  EXPECT_GE(elapsed, 8u * 500u);
  EXPECT_LT(elapsed, 8u * 500u + 100u);
  // Per base: reset, reset, one status read refused at entry.
  std::vector<uint16_t> order;
  std::vector<uint8_t> resets;
  for (const PortAccess& a : port.log) {
    if (!a.write) order.push_back(uint16_t(a.addr - 1));
    else resets.push_back(a.value);
  }
  EXPECT_EQ(order, (std::vector<uint16_t>{0x3BC, 0x2BC, 0x378, 0x278}));
  EXPECT_EQ(resets.size(), 16u);
  EXPECT_EQ(port.log[0].addr, 0x3BE);

  // The addresses stay at 0x278; selector 5 probes there first, -1 does not.
  port.log.clear();
  EXPECT_EQ(lib.InitPort(5), -1);
  ASSERT_FALSE(port.log.empty());
  EXPECT_FALSE(port.log[0].write);
  EXPECT_EQ(port.log[0].addr, 0x279);
  EXPECT_EQ(port.log[1].addr, 0x3BE) << "then the search from the first base";
  port.log.clear();
  EXPECT_EQ(lib.InitPort(-1), -1);
  EXPECT_TRUE(port.log[0].write);
  EXPECT_EQ(port.log[0].addr, 0x3BE);
  port.log.clear();
  EXPECT_EQ(lib.Is_Ready(), 0);
  EXPECT_EQ(port.log[0].addr, 0x279) << "a failed search leaves the last base selected";
}

TEST_F(Handshake, SearchPausesSurviveTheTimerWrap) {
  ScriptedPort port;
  port.after = 0xFF;
  // The first pause would end exactly at 0xFFFFFFFF, which a plain
  // "more than" comparison never sees.
  VirtualClockSet(0xFFFFFFFFu - 500u - 1u);
  const uint32_t start = ClockPeek();
  EXPECT_EQ(lib.InitPort(0), -1);
  const uint32_t elapsed = ClockPeek() - start;
  EXPECT_GE(elapsed, 4000u);
  EXPECT_LT(elapsed, 4100u);
}

}  // namespace
