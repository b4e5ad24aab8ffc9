#include "printer-app/engine_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "printer-app/engine_programs.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Messages of the engine the application acts on.
constexpr unsigned kMsgNotFound = 2004;        // not found / no answer / not ready
constexpr unsigned kMsgFaultClearable = 2026;  // paper or ribbon out, cover open: retry?
constexpr unsigned kMsgFaultFatal = 2027;      // any other printer fault

// Dialog items: the OK button is enabled while a copy's lines are sent; item
// 1003 shows the copy's percentage then.
constexpr char kLinesStart[] = "enable 1 1";
constexpr char kPercentItem[] = "text 1003 ";

// A fault is retried no faster than this, so the operator has time to act and
// the printer is not reset over and over.
constexpr auto kRetryPause = std::chrono::seconds(5);
// After SIGTERM the engine closes its dialog within a second or two; past
// this it is killed.
constexpr auto kTermGrace = std::chrono::seconds(10);
constexpr int kPollMs = 100;

constexpr pappl_preason_t kEngineReasons =
    PAPPL_PREASON_MEDIA_EMPTY | PAPPL_PREASON_OTHER | PAPPL_PREASON_OFFLINE;

// The last two numbers of a caption: "Printing  Copy 1 of 2" in any language.
bool CopyOfCaption(const std::string& caption, int* copy, int* copies) {
  std::vector<int> numbers;
  for (size_t i = 0; i < caption.size();) {
    if (caption[i] >= '0' && caption[i] <= '9') {
      int v = 0;
      while (i < caption.size() && caption[i] >= '0' && caption[i] <= '9' && v < 100000)
        v = v * 10 + (caption[i++] - '0');
      numbers.push_back(v);
    } else {
      ++i;
    }
  }
  if (numbers.size() < 2) return false;
  *copy = numbers[numbers.size() - 2];
  *copies = numbers.back();
  return true;
}

struct Run {
  pappl_job_t* job;
  pappl_printer_t* printer;
  int printer_id;
  int copies;
  PrinterSettings settings;

  pid_t pid = -1;
  int to_engine = -1;
  int from_engine = -1;
  std::string pending;  // bytes of a line not yet complete

  int copy = 1;             // copy being worked on
  int copies_done = 0;      // copies whose last line was sent
  bool sending_lines = false;
  std::string last_message;   // text of the engine's last message box
  std::string fault_message;  // text of the last printer fault it reported
  unsigned last_number = 0;

  bool fault_streak = false;  // a clearable fault is being retried
  Clock::time_point streak_start;
  bool question_open = false;  // the engine waits for our answer
  bool answer_due = false;
  Clock::time_point answer_at;
  bool answer_yes = false;

  bool terminated = false;
  Clock::time_point term_at;

  // PAPPL counts the page it rendered once the engine is done, so the
  // engine's copies count one less here.
  void CopiesDone(int done) {
    const int counted = std::min(copies_done, copies - 1);
    const int now = std::min(done, copies - 1);
    if (now > counted) papplJobSetImpressionsCompleted(job, now - counted);
    copies_done = done;
  }

  void SetReasons(pappl_preason_t add) {
    papplPrinterSetReasons(printer, add, kEngineReasons & ~add);
  }

  void Answer(bool yes) {
    const char* word = yes ? "yes\n" : "no\n";
    if (write(to_engine, word, std::strlen(word)) < 0)
      papplLogJob(job, PAPPL_LOGLEVEL_WARN, "cannot answer the engine: %s", std::strerror(errno));
    answer_due = false;
  }

  void Question(unsigned number) {
    if (number != kMsgFaultClearable) {
      // No other question is known; declining ends it the safe way.
      Answer(false);
      return;
    }
    const auto now = Clock::now();
    if (!fault_streak) {
      fault_streak = true;
      streak_start = now;
    }
    const auto window = std::chrono::minutes(settings.fault_retry_minutes);
    answer_yes = now - streak_start < window;
    answer_due = true;
    answer_at = answer_yes ? now + kRetryPause : now;
    if (answer_yes) {
      papplJobSetMessage(job, "Printer needs attention: %s Retrying for up to %d minute%s.",
                         last_message.c_str(), settings.fault_retry_minutes,
                         settings.fault_retry_minutes == 1 ? "" : "s");
    }
  }

  void Message(unsigned number, bool yesno) {
    last_number = number;
    last_message = EngineMessageText(number);
    if (last_message.empty()) last_message = "Message " + std::to_string(number) + ".";
    // The printer's own state: a fault, or no printer answering.
    if (number == kMsgFaultClearable || number == kMsgFaultFatal || number == kMsgNotFound)
      SetPrinterMessage(printer_id, last_message);
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "engine message %u: %s", number, last_message.c_str());
    if (number == kMsgFaultClearable) SetReasons(PAPPL_PREASON_MEDIA_EMPTY);
    if (number == kMsgFaultFatal) SetReasons(PAPPL_PREASON_OTHER);
    if (number == kMsgFaultClearable || number == kMsgFaultFatal) fault_message = last_message;
    if (number == kMsgFaultClearable || number == kMsgFaultFatal)
      papplSystemAddEvent(papplPrinterGetSystem(printer), printer, job,
                          PAPPL_EVENT_PRINTER_STATE_CHANGED, "%s", last_message.c_str());
    if (!yesno) papplJobSetMessage(job, "%s", last_message.c_str());
    if (yesno) Question(number);
  }

  // Lines sent again after a fault: the fault is gone.
  void FaultCleared() {
    if (!fault_streak) return;
    fault_streak = false;
    SetReasons(PAPPL_PREASON_NONE);
    SetPrinterMessage(printer_id, "");
  }

  void Line(const std::string& line) {
    if (line.compare(0, 8, "caption ") == 0) {
      const std::string caption = line.substr(8);
      int c = 0, n = 0;
      if (CopyOfCaption(caption, &c, &n) && c >= 1) copy = c;
      if (!sending_lines) papplJobSetMessage(job, "%s", caption.c_str());
    } else if (line == kLinesStart) {
      sending_lines = true;
      papplJobSetMessage(job, "Printing copy %d of %d, 0 %%", copy, copies);
    } else if (line == "enable 1 0") {
      sending_lines = false;
    } else if (line.compare(0, std::strlen(kPercentItem), kPercentItem) == 0 && sending_lines) {
      const int percent = std::atoi(line.c_str() + std::strlen(kPercentItem));
      FaultCleared();
      papplJobSetMessage(job, "Printing copy %d of %d, %d %%", copy, copies, percent);
      if (percent >= 100 && copies_done < copy) CopiesDone(copy);
    } else if (line.compare(0, 8, "message ") == 0) {
      // "message N ok"; a question's line, finished by our answer, was
      // taken while it stood open.
      unsigned number = 0;
      char kind[16] = "";
      if (std::sscanf(line.c_str() + 8, "%u %15s", &number, kind) == 2 &&
          std::strcmp(kind, "ok") == 0)
        Message(number, false);
    }
  }

  // A question is the unfinished line "message N yesno " until the answer.
  void OpenQuestion() {
    if (question_open || pending.compare(0, 8, "message ") != 0 || pending.size() < 16 ||
        pending.compare(pending.size() - 7, 7, " yesno ") != 0)
      return;
    unsigned number = 0;
    if (std::sscanf(pending.c_str() + 8, "%u", &number) != 1) return;
    question_open = true;
    Message(number, true);
  }

  void Take(const char* data, size_t n) {
    pending.append(data, n);
    size_t nl;
    while ((nl = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, nl);
      pending.erase(0, nl + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "engine: %s", line.c_str());
      question_open = false;
      Line(line);
    }
    OpenQuestion();
  }

  void CheckCancel() {
    if (terminated || !papplJobIsCanceled(job)) return;
    if (answer_due) Answer(false);
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "cancelling the engine");
    kill(pid, SIGTERM);
    terminated = true;
    term_at = Clock::now();
  }
};

std::vector<std::string> EngineEnvironment(const std::string& port, const std::string& root) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "VYR_UI=", 7) == 0 || std::strncmp(*e, "VYR_PORT=", 9) == 0 ||
        std::strncmp(*e, "VYR_ROOT=", 9) == 0)
      continue;
    env.emplace_back(*e);
  }
  env.push_back("VYR_UI=stdio");
  env.push_back("VYR_PORT=" + port);
  env.push_back("VYR_ROOT=" + root);
  return env;
}

bool Spawn(Run* run, const std::string& job_folder, const std::string& port) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return false;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  const std::string program = EngineProgram("vyr");
  const std::string copies = std::to_string(run->copies);
  const std::string log = job_folder + "/engine.log";
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("1"),
                  const_cast<char*>(copies.c_str()), nullptr};
  std::vector<std::string> env = EngineEnvironment(port, job_folder);
  std::vector<char*> envp;
  for (std::string& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  int rc = posix_spawn(&run->pid, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  if (rc != 0) {
    close(in[1]);
    close(out[0]);
    papplLogJob(run->job, PAPPL_LOGLEVEL_ERROR, "cannot start %s: %s", program.c_str(),
                std::strerror(rc));
    return false;
  }
  run->to_engine = in[1];
  run->from_engine = out[0];
  return true;
}

// The engine's standard error, into the job's log.
void LogEngineErrors(pappl_job_t* job, const std::string& job_folder) {
  FILE* f = std::fopen((job_folder + "/engine.log").c_str(), "r");
  if (!f) return;
  char line[1024];
  while (std::fgets(line, sizeof line, f)) {
    line[std::strcspn(line, "\n")] = '\0';
    if (*line) papplLogJob(job, PAPPL_LOGLEVEL_WARN, "engine: %s", line);
  }
  std::fclose(f);
}

}  // namespace

bool RunEngine(pappl_job_t* job, const std::string& job_folder, const std::string& port,
               int copies, const PrinterSettings& settings) {
  Run run{};
  run.job = job;
  run.printer = papplJobGetPrinter(job);
  run.printer_id = papplPrinterGetID(run.printer);
  run.copies = copies;
  run.settings = settings;
  run.SetReasons(PAPPL_PREASON_NONE);
  SetPrinterMessage(run.printer_id, "");
  papplJobSetImpressions(job, copies);

  if (!Spawn(&run, job_folder, port)) {
    papplJobSetMessage(job, "The print engine could not be started.");
    return false;
  }
  signal(SIGPIPE, SIG_IGN);

  char buffer[4096];
  for (;;) {
    run.CheckCancel();
    if (run.answer_due && Clock::now() >= run.answer_at) run.Answer(run.answer_yes);
    if (run.terminated && Clock::now() - run.term_at > kTermGrace) kill(run.pid, SIGKILL);
    pollfd pfd{run.from_engine, POLLIN, 0};
    int ready = poll(&pfd, 1, kPollMs);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    ssize_t n = read(run.from_engine, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the engine closed its output: it is ending
    run.Take(buffer, static_cast<size_t>(n));
  }
  close(run.from_engine);
  close(run.to_engine);

  int status = 0;
  for (;;) {
    pid_t done = waitpid(run.pid, &status, WNOHANG);
    if (done == run.pid || (done < 0 && errno != EINTR)) break;
    run.CheckCancel();
    if (run.terminated && Clock::now() - run.term_at > kTermGrace) kill(run.pid, SIGKILL);
    usleep(kPollMs * 1000);
  }
  LogEngineErrors(job, job_folder);

  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  papplLogJob(job, PAPPL_LOGLEVEL_INFO, "engine ended with status %d", code);
  const std::string& said = run.last_message;
  if (run.terminated) {
    papplJobSetMessage(job, "Cancelled.");
    return false;
  }
  switch (code) {
    case kExitPrinted:
      run.SetReasons(PAPPL_PREASON_NONE);
      SetPrinterMessage(run.printer_id, "");
      run.CopiesDone(copies);
      papplJobSetMessage(job, "Printed %d cop%s.", copies, copies == 1 ? "y" : "ies");
      return true;
    case kExitCancelled:
      papplJobSetMessage(job, "Cancelled.");
      if (!papplJobIsCanceled(job)) papplJobCancel(job);
      return false;
    case kExitPrinterNotFound:
      run.SetReasons(PAPPL_PREASON_OFFLINE);
      SetPrinterMessage(run.printer_id, said.empty() ? "The printer was not found." : said);
      papplJobSetMessage(job, "Printer not found: %s",
                         said.empty() ? "no printer answered on the port." : said.c_str());
      return false;
    case kExitPrinterAttention: {
      // The fault is the reason; what the engine said after it is its consequence.
      const std::string& why = run.fault_message.empty() ? said : run.fault_message;
      SetPrinterMessage(run.printer_id, why);
      papplJobSetMessage(job, "Printer needs attention: %s",
                         why.empty() ? "it did not take the job." : why.c_str());
      return false;
    }
    case kExitFailed:
      papplJobSetMessage(job, "The job failed: %s",
                         said.empty() ? "the engine could not print the page." : said.c_str());
      return false;
    default:
      papplJobSetMessage(job, "The print engine failed (status %d).", code);
      return false;
  }
}
