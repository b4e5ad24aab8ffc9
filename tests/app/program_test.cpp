// The vyr program as a spooler runs it: a disk laid out by vyrtool make-demo,
// the virtual printer writing its files, the record UI, the virtual clock.
#include <gmock/gmock.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "job_fixture.h"

namespace apptest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> ReadLines(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> WithPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& l : lines)
    if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l.substr(prefix.size()));
  return out;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    root_ = dir_ / "root";
    fs::copy(DemoDisk(), root_, fs::copy_options::recursive);
    out_ = dir_ / "print";
    record_ = dir_ / "ui.txt";
  }

  // Runs `bin`/vyr with `args` and the test's disk, printer and record file.
  // `env` may set VYR_ANSWERS; `printer_` adds virtual printer options.
  int RunVyr(const std::string& args, const std::string& env = "LC_ALL=C",
             const std::string& bin = BinDir()) {
    std::string command = "env VYR_ANSWERS= " + env + " VYR_ROOT='" + root_.string() +
                          "' VYR_PORT='virtual:out=" + out_.string() + printer_ + "' VYR_UI='record:" +
                          record_.string() + "' VYR_CLOCK=virtual '" + bin + "/vyr' " + args;
    return std::system(command.c_str());
  }

  fs::path dir_, root_, out_, record_;
  std::string printer_;
};

// The head data of the demonstration page's 790 lines, as the preview tool
// computes them.
const std::vector<uint8_t>& DemoLines() {
  static std::vector<uint8_t> lines = [] {
    fs::path preview = FreshDir("demo-preview");
    std::string command = "'" + BinDir() + "/vyrtool' preview --root '" + DemoDisk().string() +
                          "' --dump '" + preview.string() + "' '" + (DemoDisk() / "c" / "abx.1").string() +
                          "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadFile(preview / "lines.bin");
  }();
  return lines;
}

TEST_F(ProgramTest, TwoCopiesInGermanMatchThePreviewLines) {
  ASSERT_EQ(RunVyr("1 2", "LC_ALL= LANG=de_DE.UTF-8"), 0);
  std::vector<std::string> ui = ReadLines(record_);
  ASSERT_FALSE(ui.empty());
  EXPECT_EQ(ui.back(), "end ok");
  EXPECT_TRUE(WithPrefix(ui, "message ").empty());
  std::vector<std::string> captions = WithPrefix(ui, "caption ");
  ASSERT_FALSE(captions.empty());
  EXPECT_THAT(captions.back(), HasSubstr("  Kopie 2 von 2"));

  // Head data on the wire equals what the preview tool computes for the page.
  const std::vector<uint8_t>& expected = DemoLines();
  ASSERT_EQ(expected.size(), 2u * 10112u + 788u * 9664u);
  EXPECT_TRUE(ReadFile(out_ / "copy1.lines") == expected);
  EXPECT_TRUE(ReadFile(out_ / "copy2.lines") == expected);
  EXPECT_TRUE(fs::exists(out_ / "copy2.png"));
}

TEST_F(ProgramTest, WithoutTheLinkLibraryNothingReachesThePrinter) {
  // A program folder with everything but lptgate.so.
  fs::path bin = dir_ / "bin";
  fs::create_directories(bin);
  for (const char* file : {"vyr", "libvyrplatform.so", "vyr_eng.so"})
    fs::copy_file(fs::path(BinDir()) / file, bin / file);
  ASSERT_EQ(RunVyr("3", "LC_ALL=C", bin.string()), 0);
  std::vector<std::string> ui = ReadLines(record_);
  EXPECT_THAT(WithPrefix(ui, "message "), ElementsAre("2007 ok", "2001 ok"));
  ASSERT_FALSE(ui.empty());
  EXPECT_EQ(ui.back(), "end ok");
  // No block, no run end; only the exit pattern on the data lines.
  std::vector<std::string> transcript = ReadLines(out_ / "transcript.jsonl");
  ASSERT_EQ(transcript.size(), 1u);
  EXPECT_THAT(transcript[0], HasSubstr("\"signals\""));
  EXPECT_FALSE(fs::exists(root_ / "c" / "abx.1"));
}

TEST_F(ProgramTest, WithoutLanguageModulesTheProgramEndsSilently) {
  fs::path bin = dir_ / "bin";
  fs::create_directories(bin);
  for (const char* file : {"vyr", "libvyrplatform.so", "lptgate.so"})
    fs::copy_file(fs::path(BinDir()) / file, bin / file);
  EXPECT_EQ(RunVyr("1 1", "LC_ALL=C", bin.string()), 0);
  EXPECT_TRUE(ReadLines(record_).empty());
  EXPECT_FALSE(fs::exists(out_ / "transcript.jsonl") && !ReadLines(out_ / "transcript.jsonl").empty());
  EXPECT_TRUE(fs::exists(root_ / "c" / "abx.1"));
}

TEST_F(ProgramTest, TestPrintFromTheCommandLineKeepsTheSpooledPages) {
  // "0 1 x": no page file to delete, one copy, test-print mode.
  ASSERT_EQ(RunVyr("0 1 x"), 0);
  std::vector<std::string> ui = ReadLines(record_);
  EXPECT_TRUE(WithPrefix(ui, "message ").empty());
  EXPECT_EQ(ui.back(), "end ok");
  EXPECT_TRUE(fs::exists(out_ / "copy1.lines"));
  EXPECT_FALSE(fs::exists(out_ / "copy2.lines"));
  EXPECT_TRUE(fs::exists(root_ / "c" / "abx.1"));
  EXPECT_TRUE(fs::exists(root_ / "windows" / "system" / "vyrtest.bmp"));

  // The test bitmap holds the demonstration page bottom row first; mirrored
  // by the loader it prints exactly as the spooled page does.
  fs::path testPrint = out_;
  out_ = dir_ / "print-spooled";
  ASSERT_EQ(RunVyr("1 1"), 0);
  std::vector<uint8_t> spooled = ReadFile(out_ / "copy1.lines");
  EXPECT_EQ(spooled.size(), 2u * 10112u + 788u * 9664u);
  EXPECT_TRUE(ReadFile(testPrint / "copy1.lines") == spooled);
}

TEST_F(ProgramTest, PrinterFaultsMidPageReachTheOperator) {
  // Paper or error at line 300: the printer holds BUSY, so the line sender's
  // status query reads the fault lines and asks. The fault clears on the reset
  // that follows the answer (or after 100 status reads, before the host's
  // ready look of 2047 reads has given up: then nobody is asked).
  struct Case {
    const char* printer;
    const char* answers;
    std::vector<std::string> messages;
    size_t lines;  // image lines of copy 1 on the wire
  } const cases[] = {
      {"paper@line:300,fault_clears=reset", "2026=yes", {"2026 yesno yes"}, 790},
      {"paper@line:300,fault_clears=reset", "2026=no", {"2026 yesno no"}, 301},
      {"error@line:300,fault_clears=reset", "2026=yes", {"2027 ok"}, 301},
      {"paper@line:0,fault_clears=100", "", {}, 790},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.printer + std::string(" ") + c.answers);
    out_ = dir_ / "print";
    fs::remove_all(out_);
    fs::remove_all(root_);
    fs::copy(DemoDisk(), root_, fs::copy_options::recursive);
    printer_ = std::string(",fault=") + c.printer;
    RunVyr("1 1", std::string("LC_ALL=C VYR_ANSWERS=") + c.answers);
    std::vector<std::string> ui = ReadLines(record_);
    EXPECT_EQ(WithPrefix(ui, "message "), c.messages);
    std::vector<uint8_t> copy = ReadFile(out_ / "copy1.lines");
    // Two lead-in lines of 10112 bytes, the rest 9664.
    ASSERT_EQ(copy.size(), 2 * 10112 + (c.lines - 2) * 9664);
    // What was sent is the page's own head data, a retried line included.
    EXPECT_TRUE(std::equal(copy.begin(), copy.end(), DemoLines().begin()));
    std::vector<std::string> transcript = ReadLines(out_ / "transcript.jsonl");
    const auto count = [&](const char* event) {
      return std::count(transcript.begin(), transcript.end(), std::string("{\"event\":\"") + event + "\"}");
    };
    EXPECT_EQ(count("page_end"), c.lines == 790 ? 1 : 0);
    EXPECT_EQ(count("run_end"), 1);
    EXPECT_FALSE(fs::exists(root_ / "c" / "abx.1"));
  }
}

}  // namespace
}  // namespace apptest
