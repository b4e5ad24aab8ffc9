// The print job from the first tick to the dialog's end: captions, progress,
// copies, failures and the printer's point of view.
#include <gmock/gmock.h>
#include <signal.h>

#include "job_fixture.h"

namespace apptest {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr int kLines = kPageLength + 145;  // 790

// How often `run` appears as consecutive progress positions.
int CountRun(const std::vector<std::string>& progress, const std::vector<std::string>& run) {
  int n = 0;
  for (size_t i = 0; i + run.size() <= progress.size(); ++i)
    n += std::equal(run.begin(), run.end(), progress.begin() + static_cast<long>(i));
  return n;
}

const std::vector<std::string> kAfterLoad = {"60", "70"};
const std::vector<std::string> kPasses = {"75", "80", "85", "90", "95", "100"};

std::vector<std::string> LineProgress() {
  std::vector<std::string> out;
  for (int n = 0; n < kLines; n += 20) out.push_back(std::to_string(n * 100 / kLines));
  return out;
}

TEST_F(JobTest, OneCopyShowsEveryPhaseAndPrintsThePage) {
  ScopedVirtualPrinter printer;
  ASSERT_TRUE(printer.ok()) << printer.error();
  HookedUi ui;
  HookedPrintDlg dlg;
  EXPECT_EQ(Run(dlg, 1), IDOK);

  const std::string caption = AfxFindDialog(IDD_PRINT_DIALOG)->caption;
  const std::string label = "  Copy 1 of 1";
  EXPECT_THAT(ui.Events("caption "),
              ElementsAre(caption, S(2033), S(2034) + label, S(2033) + label, S(2032) + label,
                          caption + label));

  // Progress: the dialog opens at 0, the job resets it twice, the loader moves
  // it up to 60, then 60, 70, the six passes and the line progress.
  std::vector<std::string> progress = ui.Events("progress ");
  ASSERT_GT(progress.size(), 3u + 8u + 40u);
  EXPECT_THAT(std::vector<std::string>(progress.begin(), progress.begin() + 3), ElementsAre("0", "0", "0"));
  std::vector<std::string> tail(progress.end() - 48, progress.end());
  std::vector<std::string> want = {"60", "70", "75", "80", "85", "90", "95", "100"};
  for (const std::string& p : LineProgress()) want.push_back(p);
  EXPECT_THAT(tail, ElementsAreArray(want));
  for (size_t i = 3; i + 48 < progress.size(); ++i) {
    EXPECT_LE(std::stoi(progress[i]), 60) << i;
    EXPECT_LE(std::stoi(progress[i - 1]), std::stoi(progress[i])) << i;
  }

  // OK is disabled while the copy starts and enabled while lines go out.
  EXPECT_THAT(ui.Events("enable 1 "), ElementsAre("0", "1"));
  EXPECT_EQ(ui.Events().back(), "end ok");
  EXPECT_TRUE(ui.Events("message ").empty());

  VirtualPrinter* vp = printer.get();
  EXPECT_EQ(VirtualPrinterPageStarts(vp), 1);
  EXPECT_EQ(VirtualPrinterPageEnds(vp), 1);
  EXPECT_EQ(VirtualPrinterRunEnds(vp), 1);
  ASSERT_EQ(VirtualPrinterCopyCount(vp), 1);
  // 790 blocks: two lead-in lines, 691 head-data lines, 97 run-out lines.
  const std::vector<uint32_t>& lengths = VirtualPrinterCopyLineLengths(vp, 0);
  ASSERT_EQ(lengths.size(), 790u);
  EXPECT_EQ(lengths[0], 10112u);
  EXPECT_EQ(lengths[1], 10112u);
  for (size_t i = 2; i < lengths.size(); ++i) ASSERT_EQ(lengths[i], 9664u) << i;
  EXPECT_TRUE(VirtualPrinterCopyLines(vp, 0) == ExpectedPageLines());

  // The page end follows the last line directly, the run end comes last.
  const std::vector<VpBlock>& blocks = VirtualPrinterBlocks(vp);
  ASSERT_GE(blocks.size(), 2u);
  const VpBlock& pageEnd = blocks[blocks.size() - 2];
  const VpBlock& runEnd = blocks.back();
  EXPECT_THAT(std::vector<uint8_t>(pageEnd.cmd, pageEnd.cmd + 3), ElementsAre(0x24, 0x02, 0x01));
  EXPECT_THAT(pageEnd.data, ElementsAre(0x00));
  EXPECT_THAT(runEnd.data, ElementsAre(0xFF));
  EXPECT_EQ(blocks[blocks.size() - 3].cmd[1], 0x00);  // an image line
  // The spooled page is gone; the exit pattern was the last thing written.
  EXPECT_FALSE(fs::exists(root_ / "c" / "abx.1"));
  const auto& runs = VirtualPrinterSignalRuns(vp);
  ASSERT_FALSE(runs.empty());
  EXPECT_EQ(runs.back().size(), 18u);
  EXPECT_EQ(runs.back()[15], 0x5A);
}

TEST_F(JobTest, OneCopyKeepsEveryMandatedPause) {
  ScopedVirtualPrinter printer;
  HookedUi ui;
  HookedPrintDlg dlg;
  uint32_t start = ClockPeek();
  Run(dlg, 1);
  uint32_t took = ClockPeek() - start;
  // The pauses the job must make with a printer at 0x378 that is ready at
  // once: the first tick (5); the port search over 0x3BC, 0x2BC and 0x378,
  // two 500 ms pauses each (3000); the start signals, 1 ms before each of
  // 144 bytes; 100 after the search; 200 + 100 around the reset; 2 x 10
  // between the parameter reads; 3 x 400 + 10 for the temperature table;
  // 300 + 100 + 400 around the page start; 790 more ticks of 5 ms (789
  // lines and the page end); 10 before the page end and 10 before the run
  // end; 1 ms before each of the 72 exit signal bytes.
  const uint32_t mandated = 5 + 3000 + 144 + 100 + 300 + 20 + 1210 + 800 + 3950 + 10 + 10 + 72;
  EXPECT_GE(took, mandated);
  // Reading the clock costs a virtual millisecond, nothing else may wait.
  EXPECT_LT(took, mandated + mandated / 10);
  std::printf("one copy: %u ms of virtual time, %u ms of pauses mandated\n", took, mandated);
  // The elapsed time counts from the printer set-up: 6 s at the last update.
  EXPECT_EQ(ui.Events("text 1002 ").back(), "00 : 0 :6");
}

TEST_F(JobTest, PercentageAndElapsedTimeTexts) {
  ScopedVirtualPrinter printer;
  HookedUi ui;
  HookedPrintDlg dlg;
  dlg.beforeTick = [](HookedPrintDlg&) {
    // The job has been running 125 s when line 40 goes out.
    if (g_nLine == 40) g_dwJobStartTick = ClockPeek() - 125000;
  };
  Run(dlg, 1);

  std::vector<std::string> percent = ui.Events("text 1003 ");
  ASSERT_GE(percent.size(), 2u);
  EXPECT_EQ(percent.front(), "0%");  // the dialog opens with it
  std::vector<std::string> want = {"0%"};
  for (const std::string& p : LineProgress()) want.push_back(p + " %");
  want.push_back("100 %");
  EXPECT_THAT(percent, ElementsAreArray(want));
  // The bar stays at the last update, 98.
  EXPECT_EQ(ui.Events("progress ").back(), "98");

  std::vector<std::string> elapsed = ui.Events("text 1002 ");
  ASSERT_EQ(elapsed.size(), 1u + 40u);
  EXPECT_EQ(elapsed[0], "00: 00: 00");
  EXPECT_EQ(elapsed[3], "00 : 2 :5");  // line 40
  EXPECT_EQ(elapsed[1].rfind("00 : 0 :", 0), 0u) << elapsed[1];
}

TEST_F(JobTest, ThreeCopiesLoadAndEnhanceOnce) {
  ScopedVirtualPrinter printer;
  HookedUi ui;
  HookedPrintDlg dlg;
  EXPECT_EQ(Run(dlg, 3), IDOK);

  const std::string caption = AfxFindDialog(IDD_PRINT_DIALOG)->caption;
  EXPECT_THAT(ui.Events("caption "),
              ElementsAre(caption, S(2033), S(2034) + "  Copy 1 of 3", S(2033) + "  Copy 1 of 3",
                          S(2032) + "  Copy 1 of 3", caption + "  Copy 1 of 3",
                          caption + "  Copy 2 of 3", S(2032) + "  Copy 2 of 3",
                          caption + "  Copy 2 of 3", caption + "  Copy 3 of 3",
                          S(2032) + "  Copy 3 of 3", caption + "  Copy 3 of 3"));
  // One page load (it ends at 60) and one run of the passes.
  EXPECT_EQ(CountRun(ui.Events("progress "), kAfterLoad), 1);
  EXPECT_EQ(CountRun(ui.Events("progress "), kPasses), 1);
  // Each later copy starts from "0%" again.
  std::vector<std::string> percent = ui.Events("text 1003 ");
  int resets = 0;
  for (size_t i = 1; i < percent.size(); ++i)
    if (percent[i] == "0%") {
      EXPECT_EQ(percent[i - 1], "100 %");
      ++resets;
    }
  EXPECT_EQ(resets, 2);

  VirtualPrinter* vp = printer.get();
  EXPECT_EQ(VirtualPrinterPageStarts(vp), 3);
  EXPECT_EQ(VirtualPrinterPageEnds(vp), 3);
  EXPECT_EQ(VirtualPrinterRunEnds(vp), 1);
  ASSERT_EQ(VirtualPrinterCopyCount(vp), 3);
  std::vector<uint8_t> expected = ExpectedPageLines();
  for (int copy = 0; copy < 3; ++copy) EXPECT_TRUE(VirtualPrinterCopyLines(vp, copy) == expected) << copy;
  // The set-up ran once: one temperature table, one parameter check.
  int tables = 0;
  for (const VpBlock& b : VirtualPrinterBlocks(vp)) tables += b.cmd[1] == 0xFE && b.cmd[2] == 0x20;
  EXPECT_EQ(tables, 1);
}

TEST_F(JobTest, GermanLocaleLabelsTheCopiesInGerman) {
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  ScopedVirtualPrinter printer;
  HookedUi ui;
  HookedPrintDlg dlg;
  Run(dlg, 1);
  const std::string caption = AfxFindDialog(IDD_PRINT_DIALOG)->caption;
  EXPECT_THAT(ui.Events("caption "),
              ElementsAre(caption, S(2033), S(2034) + "  Kopie 1 von 1", S(2033) + "  Kopie 1 von 1",
                          S(2032) + "  Kopie 1 von 1", caption + "  Kopie 1 von 1"));
}

TEST_F(JobTest, MissingPageEndsWithMessagesAndNoRunEnd) {
  fs::remove(root_ / "c" / "abx.1");
  ScopedVirtualPrinter printer;
  HookedUi ui;
  HookedPrintDlg dlg;
  Run(dlg, 1);
  EXPECT_THAT(ui.Events("message "), ElementsAre("2018 ok", "2003 ok"));
  EXPECT_EQ(VirtualPrinterRunEnds(printer.get()), 0);
}

TEST_F(JobTest, AbsentPrinterEndsWithPrinterNotFound) {
  ScopedVirtualPrinter printer("absent");
  ASSERT_TRUE(printer.ok()) << printer.error();
  HookedUi ui;
  HookedPrintDlg dlg;
  Run(dlg, 1);
  EXPECT_THAT(ui.Events("message "), ElementsAre("2004 ok"));
  EXPECT_EQ(g_bSendRunEnd, 0);
  EXPECT_EQ(g_bPrinterFound, 0);
  EXPECT_EQ(ui.Events().back(), "end ok");
}

TEST_F(JobTest, RetryAnswerRepeatsThePageStartButNotThePasses) {
  ScopedVirtualPrinter printer;
  VirtualPrinter* vp = printer.get();
  HookedUi ui;
  UiSetAnswers("2026=yes");
  bool faulted = false;
  // While the passes run the printer runs out of paper; the operator puts
  // paper in and answers Yes.
  ui.onProgress = [&](int pos) {
    if (pos == 75 && !faulted) {
      faulted = true;
      VirtualPrinterSetFault(vp, VpFault::Paper);
      VirtualPrinterSetFault(vp, VpFault::Stuck);
    }
  };
  ui.onMessage = [&](unsigned number) {
    if (number == 2026) VirtualPrinterClearFault(vp);
  };
  HookedPrintDlg dlg;
  EXPECT_EQ(Run(dlg, 1), IDOK);

  EXPECT_THAT(ui.Events("message "), ElementsAre("2026 yesno yes"));
  EXPECT_EQ(VirtualPrinterPageStarts(vp), 2);
  EXPECT_EQ(CountRun(ui.Events("progress "), kPasses), 1);
  EXPECT_EQ(VirtualPrinterCopyCount(vp), 1);
  EXPECT_TRUE(VirtualPrinterCopyLines(vp, 0) == ExpectedPageLines());
}

TEST_F(JobTest, PrinterBusyThroughTheReadyWaitStillGetsItsLines) {
  ScopedVirtualPrinter printer;
  VirtualPrinter* vp = printer.get();
  HookedUi ui;
  const std::string caption = AfxFindDialog(IDD_PRINT_DIALOG)->caption;
  uint32_t waitStart = 0;
  uint32_t linesBegin = 0;
  ui.onCaption = [&](const std::string& text) {
    if (text == S(2032) + "  Copy 1 of 1") {
      // Busy from the page start's data phase on, for good.
      waitStart = ClockPeek();
      VirtualPrinterSetFault(vp, VpFault::Stuck, VpWhen::DataPhase, 1);
    } else if (text == caption + "  Copy 1 of 1") {
      linesBegin = ClockPeek();
      VirtualPrinterClearFault(vp);
    }
  };
  HookedPrintDlg dlg;
  EXPECT_EQ(Run(dlg, 1), IDOK);
  ASSERT_NE(linesBegin, 0u);
  EXPECT_GE(linesBegin - waitStart, 25000u);
  EXPECT_LT(linesBegin - waitStart, 30000u);
  EXPECT_TRUE(ui.Events("message ").empty());
  EXPECT_EQ(VirtualPrinterPageStarts(vp), 1);
  EXPECT_EQ(VirtualPrinterPageEnds(vp), 1);
  EXPECT_TRUE(VirtualPrinterCopyLines(vp, 0) == ExpectedPageLines());
}

TEST_F(JobTest, ParametersThatCannotBeSetStallTheJobUntilClosed) {
  ScopedVirtualPrinter printer;
  VirtualPrinter* vp = printer.get();
  HookedUi ui;
  ui.onCaption = [&](const std::string& text) {
    // The printer has been found; its replies break off from now on.
    if (text == S(2033) + "  Copy 1 of 1") VirtualPrinterSetFault(vp, VpFault::AckNeverLow);
  };
  int stalledTicks = 0;
  HookedPrintDlg dlg;
  dlg.afterTick = [&](HookedPrintDlg& d) {
    ++stalledTicks;
    EXPECT_FALSE(d.IsTimerRunning(kJobTimerId));
    EXPECT_TRUE(d.IsRunning());
    EXPECT_FALSE(d.GetDlgItem(IDOK)->IsWindowEnabled());
    VirtualPrinterClearFault(vp);
    ui.RequestClose();
  };
  EXPECT_EQ(Run(dlg, 1), IDCANCEL);
  EXPECT_EQ(stalledTicks, 1);
  EXPECT_THAT(ui.Events("message "), ElementsAre("2006 ok"));
  EXPECT_THAT(ui.Events("enable 1 "), ElementsAre("0"));
  EXPECT_EQ(ui.Events().back(), "end cancel");
  // No failure that forbids it: the run end goes out when the dialog closes.
  EXPECT_EQ(VirtualPrinterRunEnds(vp), 1);
  EXPECT_EQ(VirtualPrinterPageStarts(vp), 0);
}

TEST_F(JobTest, StalledJobWithoutCloseBoxEndsInsteadOfHanging) {
  ScopedVirtualPrinter printer;
  VirtualPrinter* vp = printer.get();
  HookedUi ui(/*withCloseBox=*/false);
  ui.onCaption = [&](const std::string& text) {
    if (text == S(2033) + "  Copy 1 of 1") VirtualPrinterSetFault(vp, VpFault::AckNeverLow);
  };
  HookedPrintDlg dlg;
  EXPECT_EQ(Run(dlg, 1), IDCANCEL);
  EXPECT_EQ(dlg.ticks, 1);
  EXPECT_EQ(ui.Events().back(), "end cancel");
}

TEST_F(JobTest, BusyPrinterAtLine300DelaysThatLineOnly) {
  ScopedVirtualPrinter printer;
  VirtualPrinter* vp = printer.get();
  HookedUi ui;
  HookedPrintDlg dlg;
  int ticksAt300 = 0;
  dlg.beforeTick = [&](HookedPrintDlg&) {
    // Two status queries' worth of busy reads.
    if (g_nLine == 300 && ticksAt300++ == 0) VirtualPrinterSetBusyReads(vp, 3000);
  };
  EXPECT_EQ(Run(dlg, 1), IDOK);
  EXPECT_EQ(ticksAt300, 2);
  ASSERT_EQ(VirtualPrinterCopyLineLengths(vp, 0).size(), 790u);
  EXPECT_TRUE(VirtualPrinterCopyLines(vp, 0) == ExpectedPageLines());
  EXPECT_EQ(VirtualPrinterPageEnds(vp), 1);
}

TEST_F(JobTest, BusyPrinterAtLineZeroRetriesTheLineNotTheCopyStart) {
  ScopedVirtualPrinter printer;
  VirtualPrinter* vp = printer.get();
  HookedUi ui;
  const std::string caption = AfxFindDialog(IDD_PRINT_DIALOG)->caption;
  ui.onCaption = [&](const std::string& text) {
    // Ready at the end of the wait, busy again for line 0's status query.
    if (text == caption + "  Copy 1 of 2") VirtualPrinterSetBusyReads(vp, 3000);
  };
  HookedPrintDlg dlg;
  EXPECT_EQ(Run(dlg, 2), IDOK);
  // One load, one set-up, one page start per copy.
  EXPECT_EQ(CountRun(ui.Events("progress "), kAfterLoad), 1);
  EXPECT_EQ(ui.Count("caption " + S(2034) + "  Copy 1 of 2"), 1);
  EXPECT_EQ(ui.Count("caption " + S(2032) + "  Copy 1 of 2"), 1);
  EXPECT_EQ(VirtualPrinterPageStarts(vp), 2);
  ASSERT_EQ(VirtualPrinterCopyCount(vp), 2);
  std::vector<uint8_t> expected = ExpectedPageLines();
  EXPECT_TRUE(VirtualPrinterCopyLines(vp, 0) == expected);
  EXPECT_TRUE(VirtualPrinterCopyLines(vp, 1) == expected);
}

TEST_F(JobTest, FailedTransferAtLine100EndsTheCopyWithoutPageEnd) {
  ScopedVirtualPrinter printer;
  VirtualPrinter* vp = printer.get();
  HookedUi ui;
  ui.onMessage = [&](unsigned number) {
    if (number == 2006) VirtualPrinterClearFault(vp);
  };
  HookedPrintDlg dlg;
  dlg.beforeTick = [&](HookedPrintDlg&) {
    // The printer stops taking data after line 100's first byte.
    if (g_nLine == 100) VirtualPrinterSetFault(vp, VpFault::Stuck, VpWhen::DataByte, 1);
  };
  EXPECT_EQ(Run(dlg, 1), IDOK);
  EXPECT_THAT(ui.Events("message "), ElementsAre("2006 ok"));
  EXPECT_EQ(g_nLine, 100);
  EXPECT_EQ(VirtualPrinterPageEnds(vp), 0);
  EXPECT_EQ(VirtualPrinterRunEnds(vp), 1);
  // Lines 0..99 arrived whole; line 100 was cut off.
  const std::vector<uint32_t>& lengths = VirtualPrinterCopyLineLengths(vp, 0);
  ASSERT_GE(lengths.size(), 100u);
  EXPECT_LE(lengths.size(), 101u);
  std::vector<uint8_t> expected = ExpectedPageLines();
  size_t first100 = 2 * 10112 + 98 * 9664;
  const std::vector<uint8_t>& got = VirtualPrinterCopyLines(vp, 0);
  ASSERT_GE(got.size(), first100);
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + static_cast<long>(first100), expected.begin()));
}

// Out of paper just as the first copy's page end is due, with every question
// answered `answer`. The line sender asks first; the third poll between the
// copies clears the fault. Returns the messages shown.
std::vector<std::string> FaultBetweenCopies(const char* answer, VirtualPrinter* vp) {
  HookedUi ui;
  UiSetAnswers(answer);
  int asked = 0;
  ui.onMessage = [&](unsigned number) {
    if (number == 2026 && ++asked == 4) VirtualPrinterClearFault(vp);
  };
  HookedPrintDlg dlg;
  dlg.beforeTick = [&](HookedPrintDlg&) {
    if (g_nLine == kLines && dlg.m_nCopiesDone == 0) {
      VirtualPrinterSetFault(vp, VpFault::Paper);
      VirtualPrinterSetFault(vp, VpFault::Stuck);
    }
  };
  dlg.m_nCopies = 2;
  dlg.m_nPageFiles = 1;
  EXPECT_EQ(dlg.DoModal(), IDOK);
  return ui.Events("message ");
}

// A No between the copies ends the job at once, as a printer that never gets
// ready does: 2004 and no run end.
TEST_F(JobTest, PrinterFaultBetweenCopiesEndsTheJobAtTheFirstNo) {
  ScopedVirtualPrinter printer;
  EXPECT_THAT(FaultBetweenCopies("2026=no", printer.get()),
              ElementsAre("2026 yesno no", "2026 yesno no", "2004 ok"));
  EXPECT_EQ(g_bSendRunEnd, 0);
  EXPECT_EQ(VirtualPrinterPageStarts(printer.get()), 1);
  EXPECT_EQ(VirtualPrinterRunEnds(printer.get()), 0);
}

// Yes keeps polling: once the fault clears, the second copy prints. (After the
// line sender's Yes the page end goes to the stuck printer and fails: 2004.)
TEST_F(JobTest, PrinterFaultBetweenCopiesKeepsPollingAfterYes) {
  ScopedVirtualPrinter printer;
  EXPECT_THAT(FaultBetweenCopies("2026=yes", printer.get()),
              ElementsAre("2026 yesno yes", "2004 ok", "2026 yesno yes", "2026 yesno yes", "2026 yesno yes"));
  EXPECT_EQ(g_bSendRunEnd, 1);
  EXPECT_EQ(VirtualPrinterPageStarts(printer.get()), 2);
  EXPECT_EQ(VirtualPrinterPageEnds(printer.get()), 1);
  EXPECT_EQ(VirtualPrinterRunEnds(printer.get()), 1);
}

TEST_F(JobTest, ClosingMidPageSendsRunEndAndExitSignalsButNoPageEnd) {
  // The close box of the back end, Ctrl-C and SIGTERM close the dialog alike.
  for (int how : {0, SIGINT, SIGTERM}) {
    SCOPED_TRACE(how);
    ResetJobEnd();
    g_nLine = 0;
    fs::copy_file(DemoDisk() / "c" / "abx.1", root_ / "c" / "abx.1", fs::copy_options::overwrite_existing);
    ScopedVirtualPrinter printer;
    VirtualPrinter* vp = printer.get();
    HookedUi ui(/*withCloseBox=*/how == 0);
    HookedPrintDlg dlg;
    dlg.beforeTick = [&](HookedPrintDlg&) {
      if (g_nLine != 400) return;
      if (how == 0) ui.RequestClose();
      else raise(how);
    };
    EXPECT_EQ(Run(dlg, 1, 1), IDCANCEL);
    EXPECT_EQ(g_nLine, 401);
    EXPECT_EQ(JobExitStatus(), kExitCancelled);
    EXPECT_EQ(VirtualPrinterPageEnds(vp), 0);
    EXPECT_EQ(VirtualPrinterRunEnds(vp), 1);
    EXPECT_EQ(VirtualPrinterBlocks(vp).back().data, std::vector<uint8_t>{0xFF});
    EXPECT_EQ(ui.Events().back(), "end cancel");
    const auto& runs = VirtualPrinterSignalRuns(vp);
    ASSERT_EQ(runs.size(), 2u);  // start patterns, exit pattern
    EXPECT_EQ(runs.back()[15], 0x5A);
    EXPECT_FALSE(fs::exists(root_ / "c" / "abx.1"));
  }
}

// Each wait for the printer would last its full time (four minutes, 25 s, 400
// polls of 50 ms); a SIGTERM ends it at its next poll as if the time had run
// out, and the run ends as cancelled.
struct SignalledWait {
  const char* wait;
  const char* options;
  int copies;
  INT_PTR result;
  std::vector<std::string> messages;
  int runEnds;
};

class SignalledWaitTest : public JobTest, public ::testing::WithParamInterface<SignalledWait> {};

TEST_P(SignalledWaitTest, EndsAtItsNextPoll) {
  const SignalledWait& c = GetParam();
  const std::string wait = c.wait;
  ScopedVirtualPrinter printer(c.options);
  VirtualPrinter* vp = printer.get();
  HookedUi ui(/*withCloseBox=*/false);
  uint32_t signalled = 0;
  auto signal = [&] {
    if (signalled != 0) return;
    signalled = ClockPeek();
    raise(SIGTERM);
  };
  const std::string caption = AfxFindDialog(IDD_PRINT_DIALOG)->caption;
  ui.onCaption = [&](const std::string& text) {
    if (wait == "ready state" && text == S(2033) + "  Copy 1 of 1") signal();
    if (wait == "after the page start") {
      // Busy for good from the page start on, until the lines begin.
      if (text == S(2032) + "  Copy 1 of 1") {
        VirtualPrinterSetFault(vp, VpFault::Stuck, VpWhen::DataPhase, 1);
        signal();
      } else if (text == caption + "  Copy 1 of 1") {
        VirtualPrinterClearFault(vp);
      }
    }
  };
  HookedPrintDlg dlg;
  dlg.beforeTick = [&](HookedPrintDlg& d) {
    if (wait == "between copies" && g_nLine == kLines && d.m_nCopiesDone == 0) signal();
  };
  EXPECT_EQ(Run(dlg, c.copies), c.result);
  ASSERT_NE(signalled, 0u);
  // From the signal to the end of the dialog: the set-up steps that remain
  // (about 2 s of pauses), not the wait.
  EXPECT_LT(ClockPeek() - signalled, 3000u);
  EXPECT_EQ(ui.Events("message "), c.messages);
  EXPECT_EQ(JobExitStatus(), kExitCancelled);
  EXPECT_EQ(VirtualPrinterRunEnds(vp), c.runEnds);
  EXPECT_EQ(VirtualPrinterPageEnds(vp), c.copies - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, SignalledWaitTest,
    ::testing::Values(SignalledWait{"ready state", "never_ready", 1, IDOK, {"2004 ok"}, 1},
                      SignalledWait{"after the page start", "", 1, IDCANCEL, {}, 1},
                      SignalledWait{"between copies", "", 2, IDOK, {"2004 ok"}, 0}));

TEST_F(JobTest, SpooledPagesAreDeletedAfterThePrint) {
  for (int i = 2; i <= 4; ++i) fs::copy_file(root_ / "c" / "abx.1", root_ / "c" / ("abx." + std::to_string(i)));
  {
    ScopedVirtualPrinter printer;
    HookedUi ui;
    HookedPrintDlg dlg;
    dlg.beforeTick = [&](HookedPrintDlg& d) {
      // While the dialog runs its page file stays open and in place.
      EXPECT_NE(d.m_pPageFile, nullptr);
      EXPECT_TRUE(fs::exists(root_ / "c" / "abx.1"));
    };
    Run(dlg, 1, 3);
  }
  EXPECT_FALSE(fs::exists(root_ / "c" / "abx.1"));
  EXPECT_FALSE(fs::exists(root_ / "c" / "abx.2"));
  EXPECT_FALSE(fs::exists(root_ / "c" / "abx.3"));
  EXPECT_TRUE(fs::exists(root_ / "c" / "abx.4"));
}

TEST_F(JobTest, NoPageFileCountDeletesNothing) {
  ScopedVirtualPrinter printer;
  HookedUi ui;
  HookedPrintDlg dlg;
  EXPECT_EQ(Run(dlg, 1, 0), IDOK);
  EXPECT_EQ(VirtualPrinterCopyCount(printer.get()), 1);
  EXPECT_TRUE(fs::exists(root_ / "c" / "abx.1"));
}

TEST_F(JobTest, TestPrintModePrintsTheTestBitmapAndKeepsIt) {
  g_bTestPrint = 1;
  ScopedVirtualPrinter printer;
  HookedUi ui;
  HookedPrintDlg dlg;
  EXPECT_EQ(Run(dlg, 1, 1), IDOK);
  g_bTestPrint = 0;
  EXPECT_TRUE(ui.Events("message ").empty());
  EXPECT_EQ(VirtualPrinterCopyCount(printer.get()), 1);
  EXPECT_TRUE(fs::exists(root_ / "windows" / "system" / "vyrtest.bmp"));
  EXPECT_FALSE(fs::exists(root_ / "c" / "abx.1"));
}

TEST_F(JobTest, ClosedBeforeTheFirstTickSendsNoRunEnd) {
  ScopedVirtualPrinter printer;
  HookedUi ui;
  ui.RequestClose();
  HookedPrintDlg dlg;
  EXPECT_EQ(Run(dlg, 1), IDCANCEL);
  EXPECT_EQ(dlg.ticks, 0);
  EXPECT_EQ(VirtualPrinterRunEnds(printer.get()), 0);
  EXPECT_EQ(VirtualPrinterSignalRuns(printer.get()).size(), 1u);  // the exit pattern only
}

}  // namespace
}  // namespace apptest
