// The vyr program as a spooler runs it: a disk laid out by vyrtool make-demo,
// the virtual printer writing its files, the record UI, the virtual clock.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "framework/dialog_events.h"
#include "job_fixture.h"

namespace apptest {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::Contains;

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
    std::string command = "env VYR_ANSWERS= " + env + " VYR_ROOT='" + root_.string() + "' VYR_PORT='" +
                          Port() + "' VYR_UI='" + (ui_.empty() ? "record:" + record_.string() : ui_) +
                          "' VYR_CLOCK=virtual '" + bin + "/vyr' " + args;
    return std::system(command.c_str());
  }
  std::string Port() const { return "virtual:out=" + out_.string() + printer_; }

  fs::path dir_, root_, out_, record_;
  std::string printer_;  // ",option=value..." for the virtual printer
  std::string ui_;       // VYR_UI when not the record file
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
  ASSERT_EQ(WEXITSTATUS(RunVyr("3", "LC_ALL=C", bin.string())), 1);
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

TEST_F(ProgramTest, WithoutLanguageModulesTheProgramShowsNothingAndFails) {
  fs::path bin = dir_ / "bin";
  fs::create_directories(bin);
  for (const char* file : {"vyr", "libvyrplatform.so", "lptgate.so"})
    fs::copy_file(fs::path(BinDir()) / file, bin / file);
  EXPECT_EQ(WEXITSTATUS(RunVyr("1 1", "LC_ALL=C", bin.string())), 1);
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

TEST_F(ProgramTest, ASpoolFolderLinkedOutsideTheRootIsNeitherPrintedNorEmptied) {
  fs::path outside = dir_ / "outside";
  fs::create_directories(outside);
  fs::copy_file(root_ / "c" / "abx.1", outside / "abx.1");
  fs::copy_file(root_ / "c" / "abx.1", outside / "abx.2");
  fs::remove_all(root_ / "c");
  fs::create_directory_symlink(outside, root_ / "c");
  EXPECT_EQ(WEXITSTATUS(RunVyr("2 1")), 1);
  EXPECT_EQ(WithPrefix(ReadLines(record_), "message "), (std::vector<std::string>{"2018 ok", "2003 ok"}));
  EXPECT_TRUE(fs::exists(outside / "abx.1"));
  EXPECT_TRUE(fs::exists(outside / "abx.2"));
}

TEST_F(ProgramTest, ASpooledPageThatCannotBeDeletedIsNamedOnStandardError) {
  // abx.2 is a folder (which no user can delete as a page, root included);
  // abx.3 is simply not there.
  fs::create_directory(root_ / "c" / "abx.2");
  const fs::path err = dir_ / "stderr.txt";
  EXPECT_EQ(RunVyr("3 1 2>'" + err.string() + "'"), 0);
  EXPECT_TRUE(WithPrefix(ReadLines(record_), "message ").empty());
  EXPECT_FALSE(fs::exists(root_ / "c" / "abx.1"));
  EXPECT_THAT(ReadLines(err), ElementsAre("vyr: cannot delete spooled page " + (root_ / "c" / "abx.2").string() +
                                          ": Is a directory"));
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
    int status;    // 0 printed, 4 the printer needs attention
  } const cases[] = {
      {"paper@line:300,fault_clears=reset", "2026=yes", {"2026 yesno yes"}, 790, 0},
      {"paper@line:300,fault_clears=reset", "2026=no", {"2026 yesno no"}, 301, 4},
      {"error@line:300,fault_clears=reset", "2026=yes", {"2027 ok"}, 301, 4},
      {"paper@line:0,fault_clears=100", "", {}, 790, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.printer + std::string(" ") + c.answers);
    out_ = dir_ / "print";
    fs::remove_all(out_);
    fs::remove_all(root_);
    fs::copy(DemoDisk(), root_, fs::copy_options::recursive);
    printer_ = std::string(",fault=") + c.printer;
    EXPECT_EQ(WEXITSTATUS(RunVyr("1 1", std::string("LC_ALL=C VYR_ANSWERS=") + c.answers)), c.status);
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

TEST_F(ProgramTest, ExitStatusTellsHowTheJobEnded) {
  struct Case {
    const char* what;
    const char* options;  // of the virtual printer
    bool page;            // c/abx.1 is there
    int status;
  };
  const Case cases[] = {
      {"printed", "", true, 0},
      {"no page", "", false, 1},
      {"no printer at any base", "absent", true, 6},
      {"another device answers", "id=ABCDEF", true, 6},
      {"never ready", "never_ready", true, 4},
      {"fault mid-page", "fault=paper@line:100", true, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    printer_ = *c.options ? std::string(",") + c.options : "";
    if (c.page) {
      fs::copy_file(DemoDisk() / "c" / "abx.1", root_ / "c" / "abx.1", fs::copy_options::overwrite_existing);
    } else {
      fs::remove(root_ / "c" / "abx.1");
    }
    int raw = RunVyr("1 1");
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), c.status);
    EXPECT_THAT(ReadLines(record_), Contains("end ok"));
  }
}

TEST_F(ProgramTest, OptionsComeBeforeTheClassicCommandLine) {
  struct Case {
    const char* args;
    int status;
    const char* out;  // beginning of standard output
    size_t errLines;
  };
  const Case cases[] = {
      {"--help", 0, "usage: vyr [PAGEFILES [COPIES [TEST]]]\n", 0},
      {"-h", 0, "usage: vyr [PAGEFILES [COPIES [TEST]]]\n", 0},
      {"--version", 0, "vyr 1.", 0},
      {"--bogus 1 1", 64, "", 1},
      {"-x", 64, "", 1},
      {"-1 2", 64, "", 1},
      {"--", 64, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    fs::path out = dir_ / "stdout", err = dir_ / "stderr";
    int raw = RunVyr(std::string(c.args) + " >'" + out.string() + "' 2>'" + err.string() + "'");
    EXPECT_EQ(WEXITSTATUS(raw), c.status);
    std::vector<uint8_t> bytes = ReadFile(out);
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.substr(0, std::string(c.out).size()), c.out);
    if (c.status != 0) {
      EXPECT_EQ(text, "");
    }
    // A usage error names the option on one line of its own.
    std::vector<std::string> errLines = ReadLines(err);
    ASSERT_EQ(errLines.size(), c.errLines);
    std::string option = std::string(c.args).substr(0, std::string(c.args).find(' '));
    if (!errLines.empty()) {
      EXPECT_THAT(errLines[0], HasSubstr("'" + option + "'"));
    }
    // Nothing printed, nothing shown, nothing deleted.
    EXPECT_FALSE(fs::exists(out_ / "transcript.jsonl"));
    EXPECT_TRUE(ReadLines(record_).empty());
    EXPECT_TRUE(fs::exists(root_ / "c" / "abx.1"));
  }
}

TEST_F(ProgramTest, StdioWritesTheRecordEventsAndSigtermMidPageCancels) {
  // The whole job's events on standard output are exactly its record.
  ASSERT_EQ(RunVyr("1 1"), 0);
  std::vector<uint8_t> record = ReadFile(record_);
  fs::copy_file(DemoDisk() / "c" / "abx.1", root_ / "c" / "abx.1");
  fs::path stdoutFile = dir_ / "stdout";
  ui_ = "stdio";
  ASSERT_EQ(RunVyr("1 1 >'" + stdoutFile.string() + "' </dev/null"), 0);
  EXPECT_TRUE(ReadFile(stdoutFile) == record);

  // A question waits for its answer line; Yes retries the line and the page
  // completes, No ends the job for the printer's attention.
  for (const char* answer : {"yes", "no"}) {
    SCOPED_TRACE(answer);
    fs::copy_file(DemoDisk() / "c" / "abx.1", root_ / "c" / "abx.1", fs::copy_options::overwrite_existing);
    printer_ = ",fault=paper@line:300,fault_clears=reset";
    fs::path input = dir_ / "answer";
    std::ofstream(input) << answer << "\n";
    int raw = RunVyr("1 1 >'" + stdoutFile.string() + "' <'" + input.string() + "'");
    std::vector<std::string> events = ReadLines(stdoutFile);
    EXPECT_THAT(WithPrefix(events, "message "), ElementsAre(std::string("2026 yesno ") + answer));
    EXPECT_EQ(WEXITSTATUS(raw), answer[0] == 'y' ? 0 : 4);
  }
  printer_.clear();

  // Mid-page: the engine writes into a pipe that has room for its events up
  // to the 40 % of line 320 and no more, so it is held there until the
  // SIGTERM has arrived; then the pipe is emptied.
  const std::string mark = "text 1003 40 %\n";
  std::string recorded(record.begin(), record.end());
  size_t upTo = recorded.find(mark);
  ASSERT_NE(upTo, std::string::npos);
  upTo += mark.size();
  fs::copy_file(DemoDisk() / "c" / "abx.1", root_ / "c" / "abx.1");
  fs::remove_all(out_);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  int room = fcntl(fds[1], F_SETPIPE_SZ, 4096);
  ASSERT_GT(room, static_cast<int>(upTo));
  std::string filler(static_cast<size_t>(room) - upTo, '#');
  ASSERT_EQ(write(fds[1], filler.data(), filler.size()), static_cast<ssize_t>(filler.size()));
  std::string vyr = BinDir() + "/vyr", root = root_.string(), port = Port();
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, STDIN_FILENO);
    setenv("LC_ALL", "C", 1);
    setenv("VYR_ROOT", root.c_str(), 1);
    setenv("VYR_PORT", port.c_str(), 1);
    setenv("VYR_UI", "stdio", 1);
    setenv("VYR_CLOCK", "virtual", 1);
    execl(vyr.c_str(), "vyr", "1", "1", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  int queued = 0;
  for (int i = 0; i < 20000 && queued < room && waitpid(pid, nullptr, WNOHANG) == 0; ++i) {
    usleep(500);
    ioctl(fds[0], FIONREAD, &queued);
  }
  ASSERT_EQ(queued, room) << "the engine did not reach the mark";
  kill(pid, SIGTERM);
  std::string got;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
  close(fds[0]);
  int raw = 0;
  ASSERT_EQ(waitpid(pid, &raw, 0), pid);
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 5);
  got.erase(0, filler.size());
  EXPECT_EQ(got.substr(0, upTo), recorded.substr(0, upTo));
  EXPECT_THAT(got, Not(HasSubstr("text 1003 100 %")));
  EXPECT_EQ(got.substr(got.size() - 11), "end cancel\n");
  // The printer saw no page end, then the run end and the exit signals.
  std::vector<std::string> transcript = ReadLines(out_ / "transcript.jsonl");
  ASSERT_GE(transcript.size(), 3u);
  EXPECT_THAT(transcript.back(), HasSubstr("\"event\":\"signals\""));
  EXPECT_THAT(transcript[transcript.size() - 2], HasSubstr("\"event\":\"run_end\""));
  for (const std::string& line : transcript) EXPECT_THAT(line, Not(HasSubstr("page_end")));
  EXPECT_FALSE(fs::exists(root_ / "c" / "abx.1"));
}

TEST_F(ProgramTest, ARecordedJobDecodesIntoItsCopiesLinesAndTheOperatorsText) {
  // Two copies in German, a paper fault at line 300 of copy 1 answered Yes.
  printer_ = ",fault=paper@line:300,fault_clears=reset";
  ASSERT_EQ(WEXITSTATUS(RunVyr("1 2", "LC_ALL=de_DE.UTF-8 VYR_ANSWERS=2026=yes")), 0);
  HMODULE german = LoadLibraryA("vyr_ger.dll");
  ASSERT_NE(german, nullptr);
  AfxSetResourceHandle(german);
  const std::string question = AfxFindString(2026);
  AfxSetResourceHandle(nullptr);
  FreeLibrary(german);

  // From the line sender's rules: 790 lines a copy, reported with the
  // progress every 20 lines and at the last; the fault shows before line 301.
  std::vector<std::string> expected;
  for (int copy = 1; copy <= 2; ++copy) {
    expected.push_back("copy " + std::to_string(copy) + " 2");
    for (int sent = 1; sent <= 781; sent += 20) {
      expected.push_back("line " + std::to_string(sent) + " 790");
      if (copy == 1 && sent == 301) {
        expected.push_back("say 2026 " + question);
        expected.push_back("message 2026 yesno yes");
      }
    }
    expected.push_back("line 790 790");
    expected.push_back("printed " + std::to_string(copy) + " 2");
  }
  expected.push_back("end ok");

  std::vector<std::string> job;
  for (const std::string& line : ReadLines(record_)) {
    DialogEvent e;
    ASSERT_TRUE(DecodeDialogEvent(line, &e)) << line;
    if (e.kind == DialogEventKind::kSay) {
      job.push_back("say " + std::to_string(e.number) + " " + e.text);
    } else if (e.kind != DialogEventKind::kCaption && e.kind != DialogEventKind::kProgress &&
               e.kind != DialogEventKind::kItemText && e.kind != DialogEventKind::kItemEnable) {
      job.push_back(EncodeDialogEvent(e));
    }
  }
  EXPECT_EQ(job, expected);
}

TEST_F(ProgramTest, StandardErrorNamesWhatIsMissingAndWhere) {
  // Numbered messages as ever; standard error adds the Linux path of a
  // missing data file, and says once that this machine has no parallel port.
  fs::remove(root_ / "windows" / "system" / "media.rtb");
  fs::remove(root_ / "c" / "abx.1");
  fs::path err = dir_ / "stderr";
  EXPECT_EQ(WEXITSTATUS(RunVyr("1 1 2>'" + err.string() + "'")), 1);
  EXPECT_THAT(WithPrefix(ReadLines(record_), "message "), ElementsAre("2014 ok", "2018 ok", "2003 ok"));
  EXPECT_THAT(ReadLines(err),
              ElementsAre("vyr: c:\\abx.1 is " + (root_ / "c" / "abx.1").string() + ": No such file or directory",
                          "vyr: C:\\WINDOWS\\system\\media.rtb is " +
                              (root_ / "windows" / "system" / "media.rtb").string() +
                              ": No such file or directory"));

  if (fs::exists("/proc/sys/dev/parport") || fs::exists("/dev/parport0"))
    GTEST_SKIP() << "this machine has a parallel port";
  fs::copy(DemoDisk(), root_, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  for (const char* port : {"ieee1284", "ieee1284:parport1@0x278"}) {
    SCOPED_TRACE(port);
    std::string command = std::string("env VYR_ROOT='") + root_.string() + "' VYR_PORT=" + port +
                          " VYR_UI='record:" + record_.string() + "' VYR_CLOCK=virtual '" + BinDir() + "/vyr' 0 1 2>'" +
                          err.string() + "'";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 6);
    EXPECT_THAT(ReadLines(err), ElementsAre("vyr: no parallel port found"));
  }
}

}  // namespace
}  // namespace apptest
