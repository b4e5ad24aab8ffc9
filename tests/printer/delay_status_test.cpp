// The millisecond delay on the tick count and the status query with its
// operator questions. The readiness codes the library can give are fed in
// through the export pointers, so every code, including ones the library
// never returns, is seen.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "printer_test_support.h"
#include "support/record_ui.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace printer_test;

namespace {

uint16_t g_fakeReadyCode = 0;
int g_fakeResets = 0;
uint32_t g_fakeResetTick = 0;

uint16_t FakeIsReady() { return g_fakeReadyCode; }
uint16_t FakeReset() {
  ++g_fakeResets;
  g_fakeResetTick = ClockPeek();
  return 0;
}

class DelayStatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockSelect(ClockKind::Virtual);
    ResetPrinterGlobals();
    g_pfnIs_Ready = &FakeIsReady;
    g_pfnLPT_Reset = &FakeReset;
    g_fakeResets = 0;
  }
  void TearDown() override { ResetPrinterGlobals(); }
};

TEST_F(DelayStatusTest, DelayLastsItsTimeAcrossTheWrapAndZeroReturnsAtOnce) {
  // 400 ms started 200 ms before the count wraps through 0.
  VirtualClockSet(0xFFFFFFFFu - 199u);
  const uint32_t start = ClockPeek();
  DelayMs(400);
  const uint32_t elapsed = ClockPeek() - start;
  EXPECT_GE(elapsed, 400u);
  EXPECT_LE(elapsed, 402u);

  // Far from the wrap, the same length.
  VirtualClockSet(1000);
  DelayMs(10);
  EXPECT_GE(ClockPeek() - 1000u, 10u);
  EXPECT_LE(ClockPeek() - 1000u, 12u);

  // Zero does not even read the clock.
  VirtualClockSet(5000);
  DelayMs(0);
  EXPECT_EQ(ClockPeek(), 5000u);
}

TEST_F(DelayStatusTest, ReadyAndBusyCodesNeedNoOperator) {
  RecordUi ui;
  g_fakeReadyCode = 0;
  EXPECT_EQ(QueryPrinterStatus(), 0);
  g_fakeReadyCode = 3;
  EXPECT_EQ(QueryPrinterStatus(), 1);
  // A code the library does not define counts as busy too.
  g_fakeReadyCode = 7;
  EXPECT_EQ(QueryPrinterStatus(), 1);
  g_fakeReadyCode = 0xFFFF;
  EXPECT_EQ(QueryPrinterStatus(), 1);
  EXPECT_EQ(g_fakeResets, 0);
  EXPECT_THAT(ui.Events(), IsEmpty());
}

TEST_F(DelayStatusTest, ClearableFaultAsksTheOperatorThenResetsAndWaits) {
  g_fakeReadyCode = 1;
  {
    RecordUi ui("2026=yes");
    const uint32_t start = ClockPeek();
    EXPECT_EQ(QueryPrinterStatus(), 3);
    EXPECT_THAT(ui.Events(), ElementsAre("message 2026 yesno yes"));
    EXPECT_EQ(g_fakeResets, 1);
    // The reset came before the 100 ms pause, and the pause ran out before
    // the status was returned.
    EXPECT_GE(ClockPeek() - g_fakeResetTick, 100u);
    EXPECT_GE(ClockPeek() - start, 100u);
  }
  {
    RecordUi ui("2026=no");
    EXPECT_EQ(QueryPrinterStatus(), 2);
    EXPECT_THAT(ui.Events(), ElementsAre("message 2026 yesno no"));
    EXPECT_EQ(g_fakeResets, 2);
    EXPECT_GE(ClockPeek() - g_fakeResetTick, 100u);
  }
}

TEST_F(DelayStatusTest, FatalFaultIsShownThenResetsAndWaits) {
  RecordUi ui("2027=yes");  // an OK box: the answer list must not matter
  g_fakeReadyCode = 2;
  EXPECT_EQ(QueryPrinterStatus(), 2);
  EXPECT_THAT(ui.Events(), ElementsAre("message 2027 ok"));
  EXPECT_EQ(g_fakeResets, 1);
  EXPECT_GE(ClockPeek() - g_fakeResetTick, 100u);
}

}  // namespace
