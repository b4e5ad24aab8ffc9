// The virtual printer as the program and the link library meet it: options,
// the files it writes for a small job, copies, signals, readiness and faults.

#include <gtest/gtest.h>

#include <png.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/lptgate_module.h"
#include "support/virtual_printer.h"
#include "vprinter/sha256.h"

namespace {

namespace fs = std::filesystem;

const uint8_t kStartA[18] = {0xFF, 0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x6A, 0x2A,
                             0x4A, 0x0A, 0x5A, 0x1A, 0x7A, 0x3A, 0x7A, 0x3A, 0xFF};

class VirtualPrinterJob : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib.ok()) << dlerror();
    dir = testing::TempDir() + "vyr_vp_" + testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  int32_t Send(VirtualPrinter*, uint16_t dir_, const std::vector<uint8_t>& data, uint8_t c1, uint8_t c2) {
    std::vector<uint8_t> b = MakeBlock(dir_, uint16_t(data.size()), 0x24, c1, c2);
    std::copy(data.begin(), data.end(), b.begin() + 8);
    last = b;
    return lib.Command_set(last.data());
  }
  int32_t Line(size_t bytes, uint8_t fill) {
    return Send(nullptr, 1, std::vector<uint8_t>(bytes, fill), 0x00, 0x01);
  }

  LptgateModule lib;
  std::string dir;
  std::vector<uint8_t> last;
};

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> out;
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

TEST(VirtualPrinterOptions, ParsesEveryOptionAndRejectsNonsense) {
  ClockSelect(ClockKind::Virtual);
  std::string error;
  VirtualPrinter* vp = VirtualPrinterCreate(
      "base=0x278,busy_reads=0,ready_after_ms=50,id=ABCDEF,params=1,2,3,4,head=9,8,7,fault=stuck@line:5,"
      "fault_reads=77",
      &error);
  ASSERT_NE(vp, nullptr) << error;
  EXPECT_EQ(VirtualPrinterParam14(vp), 1);
  EXPECT_EQ(VirtualPrinterParam15(vp), 2);
  uint8_t p0c[2];
  VirtualPrinterParam0C(vp, p0c);
  EXPECT_EQ(p0c[0], 3);
  EXPECT_EQ(p0c[1], 4);
  PortBackend b = VirtualPrinterBackend(vp);
  EXPECT_TRUE(b.ops->is_port_base(b.ctx, 0x278));
  EXPECT_FALSE(b.ops->is_port_base(b.ctx, 0x378));
  EXPECT_EQ(b.ops->read(b.ctx, 0x379), 0xFF) << "nothing at 0x378";
  EXPECT_EQ(b.ops->read(b.ctx, 0x279) & 0xF8, 0xD8);
  VirtualPrinterDestroy(vp);

  for (const char* bad : {"base=0x300", "busy_reads=-1", "id=SHORT", "params=1,2,3", "head=1,2,300",
                          "fault=fire@line:1", "fault=busy@page:1", "speed=9", "out=", "fault_clears=0",
                          "fault_clears=soon"}) {
    error.clear();
    EXPECT_EQ(VirtualPrinterCreate(bad, &error), nullptr) << bad;
    EXPECT_NE(error.find("option"), std::string::npos) << bad << ": " << error;
  }

  vp = VirtualPrinterCreate("absent", &error);
  ASSERT_NE(vp, nullptr);
  b = VirtualPrinterBackend(vp);
  for (uint16_t a : {0x378, 0x379, 0x37A, 0x3BD, 0x279}) EXPECT_EQ(b.ops->read(b.ctx, a), 0xFF);
  EXPECT_FALSE(b.ops->is_port_base(b.ctx, 0x378));
  VirtualPrinterDestroy(vp);
}

TEST_F(VirtualPrinterJob, SmallJobLeavesTranscriptLinesAndPicture) {
  {
    ScopedVirtualPrinter vp(("out=" + dir).c_str());
    ASSERT_TRUE(vp.ok()) << vp.error();
    // Start pattern on the data lines, also to another base, then a reset.
    for (uint8_t v : kStartA) PortWrite(0x378, v);
    for (uint8_t v : kStartA) PortWrite(0x278, v);
    EXPECT_EQ(lib.LPT_Reset(), 0);
    ASSERT_EQ(lib.InitPort(3), 3);
    ASSERT_EQ(Send(vp.get(), 1, {}, 0x08, 0x00), 0);
    ASSERT_EQ(Line(10112, 0xFF), 0);
    ASSERT_EQ(Line(10112, 0xFF), 0);
    // Line 2: the delay-0 cyan row (byte 8) full on page rows 0..99.
    std::vector<uint8_t> line(9664, 0xFF);
    for (int i = 0; i < 480; ++i) line[size_t(43 + i) * 16 + 8] = i < 100 ? 255 : 0;
    ASSERT_EQ(Send(vp.get(), 1, line, 0x00, 0x01), 0);
    ASSERT_EQ(Send(vp.get(), 1, {0x00}, 0x02, 0x01), 0);
    ASSERT_EQ(Send(vp.get(), 1, {0xFF}, 0x02, 0x01), 0);

    EXPECT_EQ(VirtualPrinterCopyCount(vp.get()), 1);
    EXPECT_EQ(VirtualPrinterPageStarts(vp.get()), 1);
    EXPECT_EQ(VirtualPrinterPageEnds(vp.get()), 1);
    EXPECT_EQ(VirtualPrinterRunEnds(vp.get()), 1);
    EXPECT_EQ(VirtualPrinterResetCount(vp.get()), 1);
    ASSERT_EQ(VirtualPrinterSignalRuns(vp.get()).size(), 1u);
    EXPECT_EQ(VirtualPrinterSignalRuns(vp.get())[0], std::vector<uint8_t>(kStartA, kStartA + 18));
    EXPECT_EQ(VirtualPrinterCopyLineLengths(vp.get(), 0), (std::vector<uint32_t>{10112, 10112, 9664}));

    std::vector<uint8_t> expectLines(2 * 10112 + line.size(), 0xFF);
    std::copy(line.begin(), line.end(), expectLines.begin() + 2 * 10112);
    EXPECT_EQ(VirtualPrinterCopyLines(vp.get(), 0), expectLines);
    std::ifstream f(dir + "/copy1.lines", std::ios::binary);
    std::vector<uint8_t> onDisk((std::istreambuf_iterator<char>(f)), {});
    EXPECT_EQ(onDisk, expectLines);
  }

  const std::vector<std::string> t = ReadLines(dir + "/transcript.jsonl");
  const std::vector<std::string> expected = {
      R"({"event":"signals","bytes":"FF4A0A5A1A7A3A6A2A4A0A5A1A7A3A7A3AFF"})",
      R"({"event":"reset"})",
      R"({"event":"block","cmd":"24 FF FD","dir":0,"len":6,"data":"514D52563031"})",
      R"({"event":"page_start"})",
      R"({"event":"block","cmd":"24 08 00","dir":1,"len":0,"data":""})",
      R"({"event":"block","cmd":"24 00 01","dir":1,"len":10112,"sha256":")" +
          Sha256Hex(std::vector<uint8_t>(10112, 0xFF).data(), 10112) + R"("})",
  };
  ASSERT_EQ(t.size(), 12u);
  EXPECT_EQ(t[0], expected[0]);
  EXPECT_EQ(t[1], expected[1]);
  EXPECT_EQ(t[2], expected[2]);
  // The block line comes first, then what the block meant.
  EXPECT_EQ(t[3], expected[4]);
  EXPECT_EQ(t[4], expected[3]);
  EXPECT_EQ(t[5], expected[5]);
  EXPECT_EQ(t[8], R"({"event":"block","cmd":"24 02 01","dir":1,"len":1,"data":"00"})");
  EXPECT_EQ(t[9], R"({"event":"page_end"})");
  EXPECT_EQ(t[10], R"({"event":"block","cmd":"24 02 01","dir":1,"len":1,"data":"FF"})");
  EXPECT_EQ(t[11], R"({"event":"run_end"})");

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, (dir + "/copy1.png").c_str()));
  ASSERT_EQ(image.width, 640u);
  ASSERT_EQ(image.height, 480u);
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  auto px = [&](int row, int col, int ch) { return rgb[(size_t(row) * 640 + size_t(col)) * 3 + size_t(ch)]; };
  // A level shows as the brightness of its page channel: one head row of 255
  // is a quarter of the full cyan level; no data is level 0, full dye.
  const int cyan255 = 255 * 255 / 1020;
  EXPECT_EQ(px(0, 2, 0), cyan255);
  EXPECT_EQ(px(99, 2, 0), cyan255);
  EXPECT_EQ(px(100, 2, 0), 0);
  EXPECT_EQ(px(0, 2, 1), 0);
  EXPECT_EQ(px(300, 0, 0), cyan255) << "blank lines 0 and 1 print the delay-0 row";
  EXPECT_EQ(px(300, 3, 0), 0);
  EXPECT_EQ(px(300, 3, 2), 0);
}

TEST_F(VirtualPrinterJob, CopiesOpenWithTheFirstLineAfterAPageStart) {
  ScopedVirtualPrinter vp;
  ASSERT_EQ(lib.InitPort(3), 3);
  ASSERT_EQ(Send(vp.get(), 1, {}, 0x08, 0x00), 0);
  ASSERT_EQ(Send(vp.get(), 1, {}, 0x08, 0x00), 0);
  EXPECT_EQ(VirtualPrinterCopyCount(vp.get()), 0);
  ASSERT_EQ(Line(9664, 1), 0);
  ASSERT_EQ(Line(9664, 2), 0);
  // A failed copy: page start with no page end before it.
  ASSERT_EQ(Send(vp.get(), 1, {}, 0x08, 0x00), 0);
  ASSERT_EQ(Line(9664, 3), 0);
  ASSERT_EQ(Send(vp.get(), 1, {0x00}, 0x02, 0x01), 0);
  EXPECT_EQ(VirtualPrinterCopyCount(vp.get()), 2);
  EXPECT_EQ(VirtualPrinterCopyLineLengths(vp.get(), 0).size(), 2u);
  EXPECT_EQ(VirtualPrinterCopyLines(vp.get(), 1), std::vector<uint8_t>(9664, 3));
  // A line cut short is recorded but not printed.
  const auto blocksBefore = VirtualPrinterBlocks(vp.get()).size();
  VirtualPrinterSetFault(vp.get(), VpFault::Stuck, VpWhen::DataByte, 100);
  EXPECT_EQ(Line(9664, 4), 8);
  VirtualPrinterClearFault(vp.get());
  lib.LPT_Reset();
  ASSERT_EQ(VirtualPrinterBlocks(vp.get()).size(), blocksBefore + 1);
  EXPECT_FALSE(VirtualPrinterBlocks(vp.get()).back().complete);
  EXPECT_EQ(VirtualPrinterBlocks(vp.get()).back().data.size(), 100u);
  EXPECT_EQ(VirtualPrinterCopyCount(vp.get()), 2);
}

TEST_F(VirtualPrinterJob, ParametersStateAndReadiness) {
  ScopedVirtualPrinter vp("params=1,2,3,4,head=10,20,30,ready_after_ms=1000");
  ASSERT_TRUE(vp.ok()) << vp.error();
  ASSERT_EQ(lib.InitPort(3), 3);
  ASSERT_EQ(Send(vp.get(), 0, {0}, 0xFF, 0x14), 0);
  EXPECT_EQ(last[8], 1);
  ASSERT_EQ(Send(vp.get(), 0, {0, 0}, 0xFF, 0x0C), 0);
  EXPECT_EQ(last[8], 3);
  EXPECT_EQ(last[9], 4);
  ASSERT_EQ(Send(vp.get(), 1, {0x08, 0x07}, 0xFE, 0x0C), 0);
  ASSERT_EQ(Send(vp.get(), 0, {0, 0}, 0xFF, 0x0C), 0);
  EXPECT_EQ(last[8], 8);
  EXPECT_EQ(last[9], 7);
  ASSERT_EQ(Send(vp.get(), 0, {0}, 0xFB, 0x12), 0);
  EXPECT_EQ(last[8], 20);
  std::vector<uint8_t> table(213);
  for (size_t i = 0; i < table.size(); ++i) table[i] = uint8_t(i);
  ASSERT_EQ(Send(vp.get(), 1, table, 0xFE, 0x20), 0);
  EXPECT_EQ(VirtualPrinterTemperatureTable(vp.get()), table);

  // Ready only 1000 ms after power-on, and again after each page end.
  ASSERT_EQ(Send(vp.get(), 0, {0}, 0xFF, 0x06), 0);
  EXPECT_EQ(last[8], 1);
  VirtualClockAdvance(1000);
  ASSERT_EQ(Send(vp.get(), 0, {0}, 0xFF, 0x06), 0);
  EXPECT_EQ(last[8], 3);
  ASSERT_EQ(Send(vp.get(), 1, {0x00}, 0x02, 0x01), 0);
  ASSERT_EQ(Send(vp.get(), 0, {0}, 0xFF, 0x06), 0);
  EXPECT_EQ(last[8], 1);
  VirtualPrinterSetState(vp.get(), 3);
  ASSERT_EQ(Send(vp.get(), 0, {0}, 0xFF, 0x06), 0);
  EXPECT_EQ(last[8], 3);

  ScopedVirtualPrinter never("never_ready");
  VirtualClockAdvance(100000);
  ASSERT_EQ(Send(never.get(), 0, {0}, 0xFF, 0x06), 0);
  EXPECT_EQ(last[8], 1);

  // Unknown commands are taken as writes and recorded.
  ASSERT_EQ(Send(never.get(), 1, {1, 2, 3}, 0x77, 0x66), 0);
  const VpBlock& b = VirtualPrinterBlocks(never.get()).back();
  EXPECT_EQ(b.cmd[1], 0x77);
  EXPECT_EQ(b.data, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_TRUE(b.complete);
}

TEST_F(VirtualPrinterJob, FaultsAtAnImageLine) {
  {
    ScopedVirtualPrinter vp("fault=busy@line:1");
    ASSERT_EQ(lib.InitPort(3), 3);
    ASSERT_EQ(Send(vp.get(), 1, {}, 0x08, 0x00), 0);
    ASSERT_EQ(Line(9664, 0), 0);
    EXPECT_EQ(lib.Is_Ready(), 0);
    ASSERT_EQ(Line(9664, 0), 0);
    int busy = 0;
    while (lib.Is_Ready() != 0 && busy < 100) ++busy;
    EXPECT_GE(busy, 2);
    EXPECT_LE(busy, 10);
    // A patient sender gets through the same busy time.
    VirtualPrinterSetFault(vp.get(), VpFault::Busy, VpWhen::Now, 0, 10000);
    EXPECT_EQ(Line(9664, 0), 0);
  }
  {
    ScopedVirtualPrinter vp("fault=paper@line:0");
    ASSERT_EQ(lib.InitPort(3), 3);
    ASSERT_EQ(Line(9664, 0), 0);
    EXPECT_EQ(Line(9664, 0), 1);
    EXPECT_EQ(last[7], 0x40);
  }
  {
    ScopedVirtualPrinter vp("fault=error@line:2");
    ASSERT_EQ(lib.InitPort(3), 3);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(Line(9664, 0), 0);
    EXPECT_EQ(Line(9664, 0), 2);
  }
  {
    // A printer in a paper or error fault holds BUSY, so the ready look (2047
    // status reads) sees the fault lines. The fault clears on a reset, or
    // after its number of status reads.
    ScopedVirtualPrinter vp("fault=paper@line:0,fault_clears=reset");
    ASSERT_EQ(lib.InitPort(3), 3);
    ASSERT_EQ(Line(9664, 0), 0);
    EXPECT_EQ(lib.Is_Ready(), 1);
    EXPECT_EQ(lib.Is_Ready(), 1);
    lib.LPT_Reset();
    EXPECT_EQ(lib.Is_Ready(), 0);
    EXPECT_EQ(Line(9664, 0), 0);
  }
  {
    ScopedVirtualPrinter vp("fault=error,fault_clears=3000");
    EXPECT_EQ(lib.Is_Ready(), 2);
    EXPECT_EQ(lib.Is_Ready(), 0) << "cleared within the second look";
  }
  {
    ScopedVirtualPrinter vp("fault=error");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lib.Is_Ready(), 2);
    lib.LPT_Reset();
    EXPECT_EQ(lib.Is_Ready(), 2) << "by default only the operator clears it";
  }
  {
    ScopedVirtualPrinter vp("fault=stuck@line:0");
    ASSERT_EQ(lib.InitPort(3), 3);
    ASSERT_EQ(Line(9664, 0), 0);
    EXPECT_EQ(lib.Is_Ready(), 3);
    EXPECT_EQ(lib.Is_Ready(), 3);
  }
}

TEST_F(VirtualPrinterJob, BusyTimeIsCountedInStatusReads) {
  ScopedVirtualPrinter vp("busy_reads=5");
  ASSERT_EQ(lib.InitPort(3), 3);
  const uint64_t before = VirtualPrinterStatusReads(vp.get());
  ASSERT_EQ(Line(9664, 0x11), 0);
  const uint64_t reads = VirtualPrinterStatusReads(vp.get()) - before;
  // Each data byte: five busy reads, then one free read for each of the two waits.
  EXPECT_GE(reads, 9664u * 7u);
  EXPECT_LT(reads, 9664u * 7u + 100u);
}

}  // namespace

// A reset puts the device at power-on (status 0xDF: free, nAck and nError high,
// Select, the three undriven bits high) whatever was raised, armed or under
// way, and keeps what was written to the printer and the records.
TEST_F(VirtualPrinterJob, ResetReturnsToPowerOnAndKeepsParametersAndRecords) {
  ScopedVirtualPrinter vp("params=1,2,3,4,fault=paper,busy_reads=0");
  ASSERT_TRUE(vp.ok()) << vp.error();
  EXPECT_EQ(VirtualPrinterPeekStatus(vp.get()) & 0xA8, 0x28) << "paper fault: BUSY, PaperEnd and nError high";
  VirtualPrinterClearFault(vp.get());
  ASSERT_EQ(Send(vp.get(), 1, {0x33}, 0xFE, 0x14), 0);
  VirtualPrinterSetFault(vp.get(), VpFault::Error, VpWhen::ImageLine, 3);
  VirtualPrinterSetFault(vp.get(), VpFault::Stuck);
  PortWrite(0x37A, 0x0E);  // AutoFeed without a block: the device is mid-phase
  const size_t blocks = VirtualPrinterBlocks(vp.get()).size();

  VirtualPrinterReset(vp.get());
  EXPECT_EQ(VirtualPrinterPeekStatus(vp.get()), 0xDF);
  EXPECT_EQ(VirtualPrinterControl(vp.get()), 0x0C);
  EXPECT_EQ(VirtualPrinterParam14(vp.get()), 0x33);
  EXPECT_EQ(VirtualPrinterParam15(vp.get()), 2);
  EXPECT_EQ(VirtualPrinterBlocks(vp.get()).size(), blocks);
  // The armed fault is gone: the fourth image line goes through.
  for (int i = 0; i < 5; ++i) ASSERT_EQ(Line(9664, 0xFF), 0) << i;
  EXPECT_EQ(VirtualPrinterPeekStatus(vp.get()), 0xDF);
}
