// Every printer fault the virtual printer can raise, at power-on and at a
// line of the first copy, for one and two copies, with the operator answering
// Yes and No: how the job ends, what it says, what reaches the printer and
// what is left of the spool. Paper and error faults clear on the reset that
// follows the operator's answer; a busy fault lasts its 10000 status reads; a
// printer stuck for good is closed with SIGTERM after half a minute.
#include <gmock/gmock.h>

#include <csignal>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "job_fixture.h"

namespace apptest {
namespace {

constexpr int kPageLines = 790;       // image lines of a copy on the wire
constexpr int kPowerOn = -1;          // the fault is there from the start
constexpr uint32_t kCloseAfterMs = 30000;

enum class Kind { Busy, Stuck, Paper, Error };

struct Expected {
  int status;                         // exit status
  std::vector<std::string> messages;  // "NUMBER ok" or "NUMBER yesno ANSWER"
  bool found;                         // the printer was found
  std::vector<int> lines;             // image lines of each copy on the wire
  int pageEnds;
  bool runEnd;                        // the run-end command reached the printer
  uint32_t boundMs;                   // longest the run may take, virtual time
};

// What the rules give, worked out by hand for each kind of fault.
//  - busy: the printer is slow for a while; the job waits it out and prints.
//  - paper, error at power-on: the job's first reset clears the fault before
//    anyone looks; the job prints.
//  - stuck at power-on: the identification is never answered: not found.
//  - stuck at a line: the line sender polls a busy printer for ever, until the
//    close box (SIGTERM) cancels the job; the run end cannot get through
//    either (message 2004).
//  - paper at a line: question 2026. Yes resets the printer and the line is
//    sent again; the job prints. No ends the copy where it was; a second copy
//    still prints. The printer reported a fault: status 4.
//  - error at a line: message 2027, then as paper answered No.
Expected Expect(Kind kind, int line, int copies, bool yes) {
  const int kFull = kPageLines;
  const int kOneCopyMs = 15000, kStartMs = 10000;  // a copy takes about 5 s, the start 4 s
  Expected e{0, {}, true, std::vector<int>(size_t(copies), kFull), copies, true,
             uint32_t(kStartMs + copies * kOneCopyMs)};
  if (kind == Kind::Busy || (line == kPowerOn && kind != Kind::Stuck)) return e;
  if (kind == Kind::Stuck && line == kPowerOn) return {6, {"2004 ok"}, false, {}, 0, false, kStartMs};
  if (kind == Kind::Stuck) return {5, {"2004 ok"}, true, {line + 1}, 0, false, kCloseAfterMs + kStartMs};
  if (kind == Kind::Paper && yes) {
    e.messages = {"2026 yesno yes"};
    return e;
  }
  e.status = 4;
  e.messages = {kind == Kind::Paper ? "2026 yesno no" : "2027 ok"};
  e.lines[0] = line + 1;
  e.pageEnds = copies - 1;
  return e;
}

std::vector<std::string> Transcript(const fs::path& dir) {
  std::vector<std::string> lines;
  std::ifstream in(dir / "transcript.jsonl");
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Under AddressSanitizer a copy costs many times what it costs in the
// release build: there the matrix keeps its one-copy rows, and the release
// run of the suite covers the two-copy rows. (GCC names the sanitizer with a
// macro, Clang as a feature.)
#if defined(__SANITIZE_ADDRESS__)
constexpr int kMostCopies = 1;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kMostCopies = 1;
#else
constexpr int kMostCopies = 2;
#endif
#else
constexpr int kMostCopies = 2;
#endif

struct Row {
  Kind kind;
  int line;
  int copies;
  bool yes;
};

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::Busy: return "busy";
    case Kind::Stuck: return "stuck";
    case Kind::Paper: return "paper";
    case Kind::Error: return "error";
  }
  return "?";
}

// Every fault at every place, for one and two copies, answered Yes and No:
// one test each, so that ctest runs them side by side.
std::vector<Row> Rows() {
  std::vector<Row> rows;
  for (Kind kind : {Kind::Busy, Kind::Stuck, Kind::Paper, Kind::Error})
    for (int line : {kPowerOn, 0, 1, 300, 789})
      for (int copies = 1; copies <= kMostCopies; ++copies)
        for (bool yes : {true, false}) rows.push_back({kind, line, copies, yes});
  return rows;
}

// "paper_at_line_300_2_copies_yes", "stuck_at_power_on_1_copy_no"
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  const Row& r = info.param;
  return std::string(KindName(r.kind)) + (r.line == kPowerOn ? "_at_power_on_" : "_at_line_" + std::to_string(r.line) + "_") +
         std::to_string(r.copies) + (r.copies == 1 ? "_copy_" : "_copies_") + (r.yes ? "yes" : "no");
}

class FaultMatrix : public JobTest, public ::testing::WithParamInterface<Row> {};

TEST_P(FaultMatrix, EndsAsTheRulesSay) {
  const Row& row = GetParam();
  const int copies = row.copies;
  const bool yes = row.yes;
  std::string fault = std::string("fault=") + KindName(row.kind);
  if (row.line != kPowerOn) fault += "@line:" + std::to_string(row.line);
  const Expected want = Expect(row.kind, row.line, copies, yes);

  fs::remove_all(root_);
  fs::copy(DemoDisk(), root_, fs::copy_options::recursive);
  fs::copy_file(root_ / "c" / "abx.1", root_ / "c" / "abx.2");
  const fs::path out = FreshDir("matrix-print");
  std::optional<ScopedVirtualPrinter> printer;
  printer.emplace((fault + ",fault_clears=reset,out=" + out.string()).c_str());
  ASSERT_TRUE(printer->ok()) << printer->error();
  HookedUi ui;
  UiSetAnswers(yes ? "2026=yes" : "2026=no");
  const uint32_t start = ClockPeek();
  HookedPrintDlg dlg;
  bool closed = false;
  dlg.beforeTick = [&](HookedPrintDlg&) {
    if (!closed && ClockPeek() - start > kCloseAfterMs) {
      closed = true;
      std::raise(SIGTERM);
    }
  };
  Run(dlg, copies, 2);
  const uint32_t took = ClockPeek() - start;
  VirtualPrinter* vp = printer->get();

  EXPECT_EQ(JobExitStatus(), want.status);
  EXPECT_EQ(ui.Events("message "), want.messages);
  EXPECT_EQ(g_bPrinterFound, want.found ? 1 : 0);
  std::vector<int> lines;
  for (int c = 0; c < VirtualPrinterCopyCount(vp); ++c)
    lines.push_back(int(VirtualPrinterCopyLineLengths(vp, c).size()));
  EXPECT_EQ(lines, want.lines);
  EXPECT_EQ(VirtualPrinterPageEnds(vp), want.pageEnds);
  EXPECT_EQ(VirtualPrinterRunEnds(vp), want.runEnd ? 1 : 0);
  // The exit signals are the last thing on the wire, whatever happened
  // (the transcript is complete once the printer is closed).
  printer.reset();
  const std::vector<std::string> transcript = Transcript(out);
  ASSERT_FALSE(transcript.empty());
  EXPECT_THAT(transcript.back(), ::testing::HasSubstr("\"signals\""));
  // The spooled pages go, as they always do when the dialog ends.
  EXPECT_FALSE(fs::exists(root_ / "c" / "abx.1"));
  EXPECT_FALSE(fs::exists(root_ / "c" / "abx.2"));
  EXPECT_LE(took, want.boundMs);
}

INSTANTIATE_TEST_SUITE_P(EveryFault, FaultMatrix, ::testing::ValuesIn(Rows()), RowName);

}  // namespace
}  // namespace apptest
