// The tick count on the virtual clock: reads advance it, waits jump, the
// observer's peek leaves it alone, and everything survives the 32-bit wrap.
#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

class VirtualClock : public ::testing::Test {
 protected:
  void SetUp() override { ClockSelect(ClockKind::Virtual); }
};

TEST_F(VirtualClock, ReadsAdvanceByOneAndPeekDoesNot) {
  EXPECT_EQ(ClockCurrentKind(), ClockKind::Virtual);
  VirtualClockSet(1000);
  EXPECT_EQ(ClockPeek(), 1000u);
  EXPECT_EQ(ClockPeek(), 1000u);
  EXPECT_EQ(GetTickCount(), 1000u);
  EXPECT_EQ(timeGetTime(), 1001u);  // one counter behind both calls
  EXPECT_EQ(GetTickCount(), 1002u);
  EXPECT_EQ(ClockPeek(), 1003u);
  VirtualClockAdvance(500);
  EXPECT_EQ(GetTickCount(), 1503u);
}

TEST_F(VirtualClock, CountWrapsAt32Bits) {
  VirtualClockSet(0xFFFFFF00u);
  EXPECT_EQ(GetTickCount(), 0xFFFFFF00u);
  // A busy wait of 300 ms in the engine's style ends across the wrap, after
  // exactly the reads it needs.
  uint32_t start = GetTickCount();
  int reads = 0;
  while (GetTickCount() - start < 300u) ASSERT_LT(++reads, 1000);
  EXPECT_EQ(reads, 299);
  EXPECT_EQ(ClockPeek(), 0x2Eu);  // start 0xFFFFFF01, then 301 reads, modulo 2^32

  VirtualClockSet(0xFFFFFFFEu);
  VirtualClockAdvance(5);
  EXPECT_EQ(ClockPeek(), 3u);
}

TEST_F(VirtualClock, WaitJumpsForwardOnlyAcrossTheWrap) {
  VirtualClockSet(0xFFFFFFF0u);
  ClockWaitUntil(0x10u);  // 32 ms ahead, on the far side of the wrap
  EXPECT_EQ(ClockPeek(), 0x10u);
  ClockWaitUntil(0x10u);  // already there
  EXPECT_EQ(ClockPeek(), 0x10u);
  ClockWaitUntil(0x08u);  // in the past: time never goes back
  EXPECT_EQ(ClockPeek(), 0x10u);
  ClockWaitUntil(0xFFFFFFF8u);  // "behind" by 24 ms across the wrap, not 4 billion ahead
  EXPECT_EQ(ClockPeek(), 0x10u);
  ClockWaitUntil(0x10u + 0x7FFFFFFFu);  // the farthest tick that still counts as ahead
  EXPECT_EQ(ClockPeek(), 0x8000000Fu);
}

TEST(RealClock, RunsForwardAndPastWaitsReturn) {
  ClockSelect(ClockKind::Real);
  EXPECT_EQ(ClockCurrentKind(), ClockKind::Real);
  uint32_t first = GetTickCount();
  uint32_t second = timeGetTime();
  EXPECT_LT(second - first, 1000u);  // forward (or equal), never back
  uint32_t peek = ClockPeek();
  EXPECT_LT(peek - second, 1000u);
  // Deadlines already reached return at once (a wrong wrap would sleep for weeks).
  ClockWaitUntil(peek);
  ClockWaitUntil(peek - 1u);
  ClockWaitUntil(peek - 0x7FFFFFFFu);
  // Moving the virtual counter does not touch the real clock.
  VirtualClockSet(5);
  EXPECT_LT(ClockPeek() - peek, 1000u);
  ClockSelect(ClockKind::Virtual);
}

}  // namespace
