// The printer command sequences through the real link library against the
// virtual printer: parameter check, temperature table, ready wait, page start,
// page end and run end.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "printer_test_support.h"
#include "support/record_ui.h"
#include "support/virtual_printer.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using namespace printer_test;

namespace {

// A block as the printer saw it, for comparison: command bytes, direction, data.
struct SeenBlock {
  uint8_t op;
  uint8_t operand;
  int dir;
  std::vector<uint8_t> data;
  bool operator==(const SeenBlock&) const = default;
};
void PrintTo(const SeenBlock& b, std::ostream* os) {
  *os << "{24 " << std::hex << int(b.op) << " " << int(b.operand) << " dir " << b.dir << " data";
  for (uint8_t v : b.data) *os << " " << int(v);
  *os << "}";
}

class CommandSequencesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockSelect(ClockKind::Virtual);
    ResetPrinterGlobals();
    for (int c = 0; c < 3; ++c) savedSensitivity_[c] = g_mediaSensitivity[c];
    g_mediaSensitivity[kCyan] = 1.0f;
    g_mediaSensitivity[kMagenta] = 1.0f;
    g_mediaSensitivity[kYellow] = 1.0f;
  }
  void TearDown() override {
    for (int c = 0; c < 3; ++c) g_mediaSensitivity[c] = savedSensitivity_[c];
    ReleaseLinkLibrary();
  }

  // A printer on 0x378 with `options`, found by the library; the blocks seen
  // from here on are what the test looks at.
  void Connect(ScopedVirtualPrinter& printer) {
    ASSERT_TRUE(printer.ok()) << printer.error();
    ASSERT_TRUE(BindBuiltLinkLibrary());
    ASSERT_EQ(g_pfnInitPort(3), 3);
    printer_ = printer.get();
    firstBlock_ = VirtualPrinterBlocks(printer_).size();
  }
  std::vector<SeenBlock> Blocks() const {
    std::vector<SeenBlock> seen;
    const auto& all = VirtualPrinterBlocks(printer_);
    for (size_t i = firstBlock_; i < all.size(); ++i) {
      EXPECT_EQ(all[i].cmd[0], 0x24) << "block " << i;
      EXPECT_TRUE(all[i].complete) << "block " << i;
      seen.push_back({all[i].cmd[1], all[i].cmd[2], all[i].dir, all[i].data});
    }
    return seen;
  }

  VirtualPrinter* printer_ = nullptr;
  size_t firstBlock_ = 0;

 private:
  float savedSensitivity_[3];
};

// ---- Parameters ---------------------------------------------------------------

TEST_F(CommandSequencesTest, ParametersAlreadyRightAreOnlyRead) {
  ScopedVirtualPrinter printer;
  Connect(printer);
  RecordUi ui;
  const uint32_t start = ClockPeek();
  EXPECT_EQ(SyncPrinterParameters(), 0);
  EXPECT_THAT(Blocks(), ElementsAre(SeenBlock{0xFF, 0x14, 0, {0x2D}}, SeenBlock{0xFF, 0x15, 0, {0x2B}},
                                    SeenBlock{0xFF, 0x0C, 0, {0x08, 0x07}}));
  // Only the 10 ms pauses before the second and third reads.
  const uint32_t elapsed = ClockPeek() - start;
  EXPECT_GE(elapsed, 20u);
  EXPECT_LT(elapsed, 30u);
  EXPECT_THAT(ui.Events(), IsEmpty());
}

TEST_F(CommandSequencesTest, WrongParametersAreWrittenAfterTheirPause) {
  {
    ScopedVirtualPrinter printer("params=1,2,3,4");
    Connect(printer);
    RecordUi ui;
    const uint32_t start = ClockPeek();
    EXPECT_EQ(SyncPrinterParameters(), 0);
    EXPECT_THAT(Blocks(),
                ElementsAre(SeenBlock{0xFF, 0x14, 0, {1}}, SeenBlock{0xFE, 0x14, 1, {0x2D}},
                            SeenBlock{0xFF, 0x15, 0, {2}}, SeenBlock{0xFE, 0x15, 1, {0x2B}},
                            SeenBlock{0xFF, 0x0C, 0, {3, 4}},
                            SeenBlock{0xFE, 0x0C, 1, {0x08, 0x07}}));
    EXPECT_EQ(VirtualPrinterParam14(printer_), 0x2D);
    EXPECT_EQ(VirtualPrinterParam15(printer_), 0x2B);
    uint8_t p0C[2];
    VirtualPrinterParam0C(printer_, p0C);
    EXPECT_EQ(p0C[0], 0x08);
    EXPECT_EQ(p0C[1], 0x07);
    // Five 10 ms pauses: before each write and before the second and third read.
    const uint32_t elapsed = ClockPeek() - start;
    EXPECT_GE(elapsed, 50u);
    EXPECT_LT(elapsed, 60u);
    EXPECT_THAT(ui.Events(), IsEmpty());
    ReleaseLinkLibrary();
  }
  {
    // One byte of parameter 12 off: only that parameter is written, both bytes.
    ScopedVirtualPrinter printer("params=0x2D,0x2B,8,9");
    Connect(printer);
    EXPECT_EQ(SyncPrinterParameters(), 0);
    EXPECT_THAT(Blocks(), ElementsAre(SeenBlock{0xFF, 0x14, 0, {0x2D}},
                                      SeenBlock{0xFF, 0x15, 0, {0x2B}},
                                      SeenBlock{0xFF, 0x0C, 0, {8, 9}},
                                      SeenBlock{0xFE, 0x0C, 1, {0x08, 0x07}}));
  }
}

TEST_F(CommandSequencesTest, AFailedParameterTransferStopsTheCheck) {
  ScopedVirtualPrinter printer;
  Connect(printer);
  RecordUi ui;
  // Error lines: the library refuses every block at its entry check.
  VirtualPrinterSetFault(printer_, VpFault::Error);
  EXPECT_EQ(SyncPrinterParameters(), 1);
  EXPECT_THAT(Blocks(), IsEmpty());
  EXPECT_THAT(ui.Events(), ElementsAre("message 2006 ok"));
}

// ---- Temperature table -----------------------------------------------------------

std::vector<uint8_t> CurveFile(const float (&curves)[3][71], size_t bytes) {
  std::vector<uint8_t> file;
  for (const auto& curve : curves)
    for (float point : curve) {
      uint32_t bits;
      std::memcpy(&bits, &point, 4);
      for (int k = 0; k < 4; ++k) file.push_back(uint8_t(bits >> (8 * k)));  // little-endian
    }
  file.resize(bytes, 0x40);
  return file;
}

std::vector<uint8_t> FlatTable(int cyan, int magenta, int yellow) {
  std::vector<uint8_t> table(213);
  for (int i = 0; i < 71; ++i) {
    table[i] = uint8_t(cyan);
    table[71 + i] = uint8_t(magenta);
    table[142 + i] = uint8_t(yellow);
  }
  return table;
}

std::vector<SeenBlock> HeadReadsAndDownload(uint8_t c, uint8_t m, uint8_t y,
                                            const std::vector<uint8_t>& table) {
  return {SeenBlock{0xFB, 0x11, 0, {c}}, SeenBlock{0xFB, 0x12, 0, {m}},
          SeenBlock{0xFB, 0x13, 0, {y}}, SeenBlock{0xFE, 0x20, 1, table}};
}

TEST_F(CommandSequencesTest, MissingTemperatureFileStillSendsFlatTables) {
  ScratchRoot root;  // no tempera.tur
  ScopedVirtualPrinter printer("head=100,63,250");
  Connect(printer);
  RecordUi ui;
  g_mediaSensitivity[kMagenta] = 0.5f;   // 31.5 -> 32
  g_mediaSensitivity[kYellow] = 1.25f;   // 312.5 -> 255
  const uint32_t start = ClockPeek();
  DownloadTemperatureTable();
  EXPECT_THAT(ui.Events(), ElementsAre("message 2029 ok"));
  EXPECT_THAT(Blocks(), ElementsAreArray(HeadReadsAndDownload(100, 63, 250, FlatTable(100, 32, 255))));
  EXPECT_EQ(VirtualPrinterTemperatureTable(printer_), FlatTable(100, 32, 255));
  EXPECT_EQ(g_headParameters[kCyan], 100);
  EXPECT_EQ(g_headParameters[kMagenta], 63);
  EXPECT_EQ(g_headParameters[kYellow], 250);
  for (float point : g_temperatureCurves[kMagenta]) EXPECT_EQ(point, 1.0f);
  // Three 400 ms pauses before the head reads, 10 ms before the download.
  EXPECT_GE(ClockPeek() - start, 1210u);
}

TEST_F(CommandSequencesTest, ShortTemperatureFileIsDroppedForFlatCurves) {
  ScratchRoot root;
  float curves[3][71];
  for (auto& curve : curves)
    for (float& point : curve) point = 2.0f;
  curves[kCyan][0] = 7.0f;  // would show if the partial read were used
  root.WriteSystemFile("tempera.tur", CurveFile(curves, 851));
  ScopedVirtualPrinter printer;
  Connect(printer);
  RecordUi ui;
  DownloadTemperatureTable();
  EXPECT_THAT(ui.Events(), ElementsAre("message 2030 ok"));
  EXPECT_EQ(g_temperatureCurves[kCyan][0], 1.0f);
  EXPECT_EQ(VirtualPrinterTemperatureTable(printer_), FlatTable(92, 63, 108));
}

TEST_F(CommandSequencesTest, TemperatureFileCurvesAreScaledByTheHeadParameters) {
  ScratchRoot root;
  float curves[3][71];
  for (int i = 0; i <= 36; ++i) curves[kCyan][i] = float(0.5 + 0.5 * i / 36.0);
  for (int i = 37; i <= 70; ++i) curves[kCyan][i] = float(1.0 + 0.5 * (i - 36) / 34.0);
  for (int i = 0; i < 71; ++i) {
    curves[kMagenta][i] = 4.0f;   // flat at another level: still p x s
    curves[kYellow][i] = 1.0f;
  }
  curves[kYellow][70] = std::numeric_limits<float>::quiet_NaN();  // mended to flat
  // Bytes after the 852nd do not count.
  root.WriteSystemFile("tempera.tur", CurveFile(curves, 900));
  ScopedVirtualPrinter printer("head=100,60,30");
  Connect(printer);
  RecordUi ui;
  DownloadTemperatureTable();
  EXPECT_THAT(ui.Events(), IsEmpty());
  const std::vector<uint8_t>& sent = VirtualPrinterTemperatureTable(printer_);
  ASSERT_EQ(sent.size(), 213u);
  EXPECT_EQ(sent[0], 50);
  EXPECT_EQ(sent[36], 100);
  EXPECT_EQ(sent[70], 150);
  for (int i = 0; i < 71; ++i) {
    EXPECT_EQ(sent[71 + i], 60) << i;
    EXPECT_EQ(sent[142 + i], 30) << i;
  }
  EXPECT_EQ(std::memcmp(sent.data(), g_temperatureTables, 213), 0);
}

TEST_F(CommandSequencesTest, FailedHeadParameterReadsKeepTheStartValues) {
  ScratchRoot root;
  {
    // A printer that stays busy: every status check says "not ready", so no
    // head parameter is read and the table is not sent.
    ScopedVirtualPrinter printer("head=1,2,3");
    Connect(printer);
    RecordUi ui;
    VirtualPrinterSetFault(printer_, VpFault::Stuck);
    DownloadTemperatureTable();
    EXPECT_THAT(ui.Events(), ElementsAre("message 2029 ok", "message 2028 ok", "message 2028 ok",
                                         "message 2028 ok", "message 2028 ok"));
    EXPECT_THAT(Blocks(), IsEmpty());
    EXPECT_TRUE(VirtualPrinterTemperatureTable(printer_).empty());
    EXPECT_EQ(g_headParameters[kCyan], 92);
    EXPECT_EQ(g_headParameters[kMagenta], 63);
    EXPECT_EQ(g_headParameters[kYellow], 108);
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(g_temperatureTables[c][35], (c == 0 ? 92 : c == 1 ? 63 : 108));
    ReleaseLinkLibrary();
  }
  {
    // Reads that fail in transfer (the reply never comes back) keep the values
    // too, and the table built from them still goes out.
    ScopedVirtualPrinter printer("head=1,2,3");
    Connect(printer);
    RecordUi ui;
    VirtualPrinterSetFault(printer_, VpFault::AckNeverLow);
    DownloadTemperatureTable();
    EXPECT_THAT(ui.Events(), ElementsAre("message 2029 ok", "message 2006 ok", "message 2006 ok",
                                         "message 2006 ok"));
    EXPECT_EQ(VirtualPrinterTemperatureTable(printer_), FlatTable(92, 63, 108));
  }
}

// ---- Ready wait ----------------------------------------------------------------

TEST_F(CommandSequencesTest, PrinterReadyAtOnceTakesOneReadAndNoDelay) {
  ScopedVirtualPrinter printer;
  Connect(printer);
  RecordUi ui;
  const uint32_t start = ClockPeek();
  EXPECT_EQ(WaitPrinterReady(), 0);
  EXPECT_THAT(Blocks(), ElementsAre(SeenBlock{0xFF, 0x06, 0, {3}}));
  EXPECT_LE(ClockPeek() - start, 1u);  // the one read of the start tick
  EXPECT_THAT(ui.Events(), IsEmpty());
}

TEST_F(CommandSequencesTest, PrinterWarmingUpIsPolledUntilReady) {
  ScopedVirtualPrinter printer("ready_after_ms=3000");
  Connect(printer);
  RecordUi ui;
  EXPECT_EQ(WaitPrinterReady(), 0);
  const std::vector<SeenBlock> blocks = Blocks();
  ASSERT_GE(blocks.size(), 2u);
  EXPECT_EQ(blocks.back().data, std::vector<uint8_t>{3});
  for (const SeenBlock& b : blocks) EXPECT_EQ(b, (SeenBlock{0xFF, 0x06, 0, b.data}));
  EXPECT_THAT(ui.Events(), IsEmpty());
}

TEST_F(CommandSequencesTest, PrinterNeverReadyGivesUpAfterFourMinutes) {
  ScopedVirtualPrinter printer("never_ready");
  Connect(printer);
  RecordUi ui;
  const uint32_t start = ClockPeek();
  EXPECT_EQ(WaitPrinterReady(), 1);
  const uint32_t elapsed = ClockPeek() - start;
  EXPECT_GT(elapsed, 240000u);
  EXPECT_LT(elapsed, 240010u);
  EXPECT_THAT(ui.Events(), ElementsAre("message 2004 ok"));
  EXPECT_GT(Blocks().size(), 1000u);
}

TEST_F(CommandSequencesTest, AFailedStateReadEndsTheWait) {
  ScopedVirtualPrinter printer;
  Connect(printer);
  RecordUi ui;
  VirtualPrinterSetFault(printer_, VpFault::Paper);
  EXPECT_EQ(WaitPrinterReady(), 1);
  EXPECT_THAT(ui.Events(), ElementsAre("message 2006 ok"));
}

// ---- Page start, page end, run end ---------------------------------------------

TEST_F(CommandSequencesTest, PageStartGoesToAReadyPrinter) {
  ScopedVirtualPrinter printer;
  Connect(printer);
  RecordUi ui;
  const uint32_t start = ClockPeek();
  EXPECT_EQ(SendStartPage(), 1);
  EXPECT_GE(ClockPeek() - start, 100u);
  EXPECT_THAT(Blocks(), ElementsAre(SeenBlock{0x08, 0x00, 1, {}}));
  EXPECT_EQ(VirtualPrinterPageStarts(printer_), 1);
  EXPECT_THAT(ui.Events(), IsEmpty());
}

TEST_F(CommandSequencesTest, PageStartIsHeldBackByAPrinterFault) {
  struct Case {
    VpFault lines;
    const char* answers;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {VpFault::Paper, "2026=yes", {"message 2026 yesno yes", "message 2028 ok"}},
      {VpFault::Paper, "2026=no", {"message 2026 yesno no", "message 2028 ok"}},
      {VpFault::Error, "", {"message 2027 ok", "message 2028 ok"}},
      {VpFault::None, "", {"message 2028 ok"}},  // merely busy: no question, no reset
  };
  for (const Case& fault : cases) {
    SCOPED_TRACE(fault.answers);
    ScopedVirtualPrinter printer;
    Connect(printer);
    RecordUi ui(fault.answers);
    VirtualPrinterSetFault(printer_, VpFault::Stuck);
    if (fault.lines != VpFault::None) VirtualPrinterSetFault(printer_, fault.lines);
    const int resetsBefore = VirtualPrinterResetCount(printer_);
    EXPECT_EQ(SendStartPage(), -1);
    EXPECT_THAT(ui.Events(), ElementsAreArray(fault.events));
    EXPECT_THAT(Blocks(), IsEmpty());
    EXPECT_EQ(VirtualPrinterPageStarts(printer_), 0);
    EXPECT_EQ(VirtualPrinterResetCount(printer_) - resetsBefore, fault.lines == VpFault::None ? 0 : 1);
    ReleaseLinkLibrary();
  }
}

TEST_F(CommandSequencesTest, PageEndAndRunEndDifferOnlyInTheirDataByte) {
  ScopedVirtualPrinter printer;
  Connect(printer);
  RecordUi ui;
  uint32_t start = ClockPeek();
  EXPECT_EQ(SendPageEnd(), 1);
  EXPECT_GE(ClockPeek() - start, 10u);
  start = ClockPeek();
  EXPECT_EQ(SendRunEnd(), 1);
  EXPECT_GE(ClockPeek() - start, 10u);
  EXPECT_THAT(Blocks(), ElementsAre(SeenBlock{0x02, 0x01, 1, {0x00}}, SeenBlock{0x02, 0x01, 1, {0xFF}}));
  EXPECT_EQ(VirtualPrinterPageEnds(printer_), 1);
  EXPECT_EQ(VirtualPrinterRunEnds(printer_), 1);
  EXPECT_THAT(ui.Events(), IsEmpty());
}

TEST_F(CommandSequencesTest, EndCommandsDoNotAskForTheStatusAndReportFailure) {
  ScopedVirtualPrinter printer;
  Connect(printer);
  RecordUi ui("2026=yes");
  // Paper lines on a busy printer would make a status check ask 2026; the end
  // commands go straight to the library, which refuses them.
  VirtualPrinterSetFault(printer_, VpFault::Stuck);
  VirtualPrinterSetFault(printer_, VpFault::Paper);
  const int resets = VirtualPrinterResetCount(printer_);
  EXPECT_EQ(SendPageEnd(), -1);
  EXPECT_EQ(SendRunEnd(), -1);
  EXPECT_THAT(ui.Events(), ElementsAre("message 2004 ok", "message 2004 ok"));
  EXPECT_EQ(VirtualPrinterResetCount(printer_), resets);
  EXPECT_THAT(Blocks(), IsEmpty());
}

}  // namespace
