#include "printer-app/engine_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/exit_status.h"
#include "framework/dialog_events.h"
#include "base/resource_ids.h"
#include "printer-app/device_lock.h"
#include "printer-app/engine_programs.h"
#include "printer-app/job_record.h"
#include "printer-app/supplies.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A fault is retried no faster than this, so the operator has time to act and
// the printer is not reset over and over.
constexpr auto kRetryPause = std::chrono::seconds(5);
// After SIGTERM the engine closes its dialog within a second or two; past
// this it is killed.
constexpr auto kTermGrace = std::chrono::seconds(10);
constexpr int kPollMs = 100;
// How long a print waits for the device while another engine still drives
// it (one that a server before this one left closing, or one started
// outside the application): long enough for any engine to close, short
// enough that a job never hangs on a printer that stays claimed.
constexpr int kDeviceWaitMs = 60 * 1000;
// How often a print that waits for an older job looks again.
constexpr int kTurnPollMs = 20;
// The descriptor under which the engine inherits the device lock.
constexpr int kEngineLockFd = 3;

constexpr pappl_preason_t kEngineReasons =
    PAPPL_PREASON_MEDIA_EMPTY | PAPPL_PREASON_OTHER | PAPPL_PREASON_OFFLINE;

struct Run {
  pappl_job_t* job;
  pappl_printer_t* printer;
  int printer_id;
  int job_id;
  PrinterSettings settings;
  const EngineProgressFn* progress_fn;

  pid_t pid = -1;
  int to_engine = -1;
  int from_engine = -1;
  DialogEventReader reader;

  EngineProgress progress;
  int job_prints = 0;          // the job's prints on record (earlier prints and this one's)
  std::map<uint32_t, std::string> said;  // message number -> its text as the engine said it
  std::string last_message;    // text of the engine's last message box
  std::string fault_message;   // text of the last printer fault it reported

  bool fault_streak = false;  // a clearable fault is being retried
  Clock::time_point streak_start;
  bool answer_due = false;
  Clock::time_point answer_at;
  bool answer_yes = false;

  bool terminated = false;
  Clock::time_point term_at;

  void SetReasons(pappl_preason_t add) {
    papplPrinterSetReasons(printer, add, kEngineReasons & ~add);
  }

  void Progressed() {
    if (*progress_fn) {
      (*progress_fn)(progress);
      return;
    }
    if (progress.lines > 0) {
      const int percent = progress.line * 100 / progress.lines;
      papplJobSetMessage(job, "Printing copy %d of %d, %d %%", progress.copy, progress.copies,
                         percent);
    }
  }

  void Answer(bool yes) {
    const char* word = yes ? "yes\n" : "no\n";
    if (write(to_engine, word, std::strlen(word)) < 0)
      papplLogJob(job, PAPPL_LOGLEVEL_WARN, "cannot answer the engine: %s", std::strerror(errno));
    answer_due = false;
  }

  void Question(uint32_t number) {
    if (number != IDS_FAULT_RETRY) {
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

  void Message(uint32_t number, bool yesno) {
    auto it = said.find(number);
    last_message = it != said.end() && !it->second.empty()
                       ? it->second
                       : "Message " + std::to_string(number) + ".";
    const bool fault = number == IDS_FAULT_RETRY || number == IDS_FAULT_FATAL;
    // The printer's own state: a fault, or no printer answering.
    if (fault || number == IDS_PRINTER_NOT_FOUND) SetPrinterMessage(printer_id, last_message);
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "engine message %u: %s", number, last_message.c_str());
    if (number == IDS_FAULT_RETRY) {
      SetReasons(PAPPL_PREASON_MEDIA_EMPTY);
      MarkSuppliesEmpty(printer);  // paper or ribbon out: the count is no longer true
    }
    if (number == IDS_FAULT_FATAL) SetReasons(PAPPL_PREASON_OTHER);
    if (fault) {
      fault_message = last_message;
      papplSystemAddEvent(papplPrinterGetSystem(printer), printer, job,
                          PAPPL_EVENT_PRINTER_STATE_CHANGED, "%s", last_message.c_str());
    }
    if (yesno)
      Question(number);
    else
      papplJobSetMessage(job, "%s", last_message.c_str());
  }

  // Lines taken again after a fault: the fault is gone.
  void FaultCleared() {
    if (!fault_streak) return;
    fault_streak = false;
    SetReasons(PAPPL_PREASON_NONE);
    SetPrinterMessage(printer_id, "");
  }

  void Event(const DialogEvent& e) {
    switch (e.kind) {
      case DialogEventKind::kCaption:
        // The phase before a copy's lines, in the user's language.
        if (progress.lines == 0) papplJobSetMessage(job, "%s", e.text.c_str());
        break;
      case DialogEventKind::kSay:
        said[e.number] = e.text;
        break;
      case DialogEventKind::kMessage:
        Message(e.number, false);
        break;
      case DialogEventKind::kCopy:
        progress.copy = e.value;
        progress.copies = e.count;
        progress.line = progress.lines = 0;
        Progressed();
        break;
      case DialogEventKind::kLine:
        FaultCleared();
        progress.line = e.value;
        progress.lines = e.count;
        Progressed();
        break;
      case DialogEventKind::kPrinted:
        ++progress.copies_printed;
        if (!WriteJobPrints(printer_id, job_id, ++job_prints))
          papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "cannot record the print in %s",
                      JobRecordPath(printer_id, job_id).c_str());
        Progressed();
        break;
      default:  // progress bar, items, answered questions, the end: nothing new
        break;
    }
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

// True while an older job of the printer is processing. PAPPL may run
// several jobs of a printer at once (two looks for work in the same moment
// each start one); the device goes to them in the order they arrived.
bool OlderJobProcessing(pappl_printer_t* printer, int job_id) {
  struct Look {
    int job_id;
    bool older;
  } look{job_id, false};
  papplPrinterIterateActiveJobs(
      printer,
      [](pappl_job_t* other, void* data) {
        auto* l = static_cast<Look*>(data);
        if (papplJobGetID(other) < l->job_id && papplJobGetState(other) == IPP_JSTATE_PROCESSING)
          l->older = true;
      },
      &look, 1, 0);
  return look.older;
}

// In the keeper process (see Spawn): the engine it started, and whether a
// close came before it had.
volatile sig_atomic_t g_engine_pid = 0;
volatile sig_atomic_t g_close_asked = 0;

void PassCloseToEngine(int) {
  if (g_close_asked) return;
  g_close_asked = 1;
  if (g_engine_pid > 0) kill(g_engine_pid, SIGTERM);
}

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

// Starts the engine, through a keeper process, with the device lock as its
// descriptor 3 and PR_SET_PDEATHSIG: it gets SIGTERM, its close box, once,
// when the thread that started it ends (the server's job thread, or the
// whole server). run->pid is the keeper's: SIGTERM to it reaches the engine,
// and its exit status is the engine's (127 when the engine could not run or
// did not exit by itself).
bool Spawn(Run* run, const std::string& job_folder, const std::string& port, int copies,
           int lock_fd) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return false;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  // Everything the child needs is made before fork: between fork and exec
  // a child of a threaded server may only make plain system calls.
  const std::string program = EngineProgram("vyr");
  const std::string copies_text = std::to_string(copies);
  const std::string log = job_folder + "/engine.log";
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("1"),
                  const_cast<char*>(copies_text.c_str()), nullptr};
  std::vector<std::string> env = EngineEnvironment(port, job_folder);
  std::vector<char*> envp;
  for (std::string& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  const pid_t server = getpid();

  const pid_t pid = fork();
  if (pid == 0) {
    // The keeper: a process of one thread between the server and the
    // engine. PR_SET_PDEATHSIG fires each time the child's parent thread
    // ends, and a server that is killed ends its threads one by one: the
    // engine itself, a child of the server, would get a burst of SIGTERMs,
    // and a second one before it has taken the first ends it on the spot,
    // without its run end. The keeper takes them all and hands the engine
    // one.
    struct sigaction pass {};
    pass.sa_handler = PassCloseToEngine;
    sigemptyset(&pass.sa_mask);
    sigaction(SIGTERM, &pass, nullptr);
    sigaction(SIGINT, &pass, nullptr);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // A server that died before the line above sent no signal: the engine
    // must not start for nobody.
    if (getppid() != server) _exit(kExitCancelled);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    const pid_t keeper = getpid();
    const pid_t engine = fork();
    if (engine == 0) {
      // The engine's own close box when its keeper ends (SIGKILL after the
      // grace): SIGTERM, once.
      signal(SIGTERM, SIG_DFL);
      signal(SIGINT, SIG_DFL);
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != keeper) _exit(kExitCancelled);
      const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      if (dup2(in[0], 0) < 0 || dup2(out[1], 1) < 0 || log_fd < 0 || dup2(log_fd, 2) < 0)
        _exit(127);
      // dup2 clears close-on-exec on the copy; on the descriptor itself it
      // is cleared by hand.
      if (lock_fd == kEngineLockFd ? fcntl(lock_fd, F_SETFD, 0) < 0
                                   : dup2(lock_fd, kEngineLockFd) < 0)
        _exit(127);
      execve(program.c_str(), argv, envp.data());
      _exit(127);
    }
    if (engine < 0) _exit(127);
    g_engine_pid = engine;
    if (g_close_asked) kill(engine, SIGTERM);
    int status = 0;
    while (waitpid(engine, &status, 0) < 0)
      if (errno != EINTR) _exit(127);
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 127);
  }
  close(in[0]);
  close(out[1]);
  if (pid < 0) {
    papplLogJob(run->job, PAPPL_LOGLEVEL_ERROR, "cannot start %s: %s", program.c_str(),
                std::strerror(errno));
    close(in[1]);
    close(out[0]);
    return false;
  }
  run->pid = pid;
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

EngineResult RunEngine(pappl_job_t* job, const std::string& job_folder, const std::string& port,
                       int copies, const PrinterSettings& settings,
                       const EngineProgressFn& progress) {
  EngineResult result;
  Run run{};
  run.job = job;
  run.printer = papplJobGetPrinter(job);
  run.printer_id = papplPrinterGetID(run.printer);
  run.job_id = papplJobGetID(job);
  run.settings = settings;
  run.progress_fn = &progress;
  run.progress.copies = copies;

  DeviceLock lock;
  std::string error;
  papplJobSetMessage(job, "Waiting for the printer.");
  // Older jobs first, for as long as the device itself would be waited for:
  // past that the lock alone decides (an older job that never gets to its
  // engine must not stop the queue).
  const auto turn_end = Clock::now() + std::chrono::milliseconds(kDeviceWaitMs);
  while (OlderJobProcessing(run.printer, run.job_id) && !papplJobIsCanceled(job) &&
         Clock::now() < turn_end)
    poll(nullptr, 0, kTurnPollMs);
  if (!lock.Take(port, kDeviceWaitMs, [job] { return papplJobIsCanceled(job); }, &error)) {
    result.cancelled = papplJobIsCanceled(job);
    result.message = result.cancelled ? "Cancelled." : "The printer is busy: " + error + ".";
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", error.c_str());
    return result;
  }
  run.SetReasons(PAPPL_PREASON_NONE);
  SetPrinterMessage(run.printer_id, "");

  // The record exists from the engine's start: a job that a crash cut short
  // is known to have reached the printer.
  run.job_prints = std::max(ReadJobPrints(run.printer_id, run.job_id), 0);
  if (!WriteJobPrints(run.printer_id, run.job_id, run.job_prints))
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "cannot write the job's print record %s",
                JobRecordPath(run.printer_id, run.job_id).c_str());

  if (!Spawn(&run, job_folder, port, copies, lock.fd())) {
    result.message = "The print engine could not be started.";
    return result;
  }
  papplLogJob(job, PAPPL_LOGLEVEL_INFO, "engine started under keeper pid %d: %d cop%s on %s",
              static_cast<int>(run.pid),
              copies, copies == 1 ? "y" : "ies", port.c_str());
  signal(SIGPIPE, SIG_IGN);
  run.reader.on_event = [&run](const DialogEvent& e) { run.Event(e); };
  run.reader.on_question = [&run](uint32_t number) { run.Message(number, true); };
  run.reader.on_other = [&run](std::string_view line) {
    papplLogJob(run.job, PAPPL_LOGLEVEL_WARN, "engine said something unknown: %.*s",
                static_cast<int>(line.size()), line.data());
  };

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
    run.reader.Take(buffer, static_cast<size_t>(n));
  }
  close(run.from_engine);
  close(run.to_engine);

  int status = 0;
  for (;;) {
    pid_t done = waitpid(run.pid, &status, WNOHANG);
    if (done == run.pid || (done < 0 && errno != EINTR)) break;
    run.CheckCancel();
    if (run.terminated && Clock::now() - run.term_at > kTermGrace) kill(run.pid, SIGKILL);
    poll(nullptr, 0, kPollMs);
  }
  LogEngineErrors(job, job_folder);

  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  papplLogJob(job, PAPPL_LOGLEVEL_INFO, "engine ended with status %d, %d of %d copies printed",
              code, run.progress.copies_printed, copies);
  result.status = code;
  result.copies_printed = run.progress.copies_printed;
  const std::string& said = run.last_message;
  if (run.terminated || code == kExitCancelled) {
    result.cancelled = true;
    result.message = "Cancelled.";
    if (!papplJobIsCanceled(job)) papplJobCancel(job);
    return result;
  }
  switch (code) {
    case kExitPrinted:
      run.SetReasons(PAPPL_PREASON_NONE);
      SetPrinterMessage(run.printer_id, "");
      result.message = "Printed " + std::to_string(copies) + (copies == 1 ? " copy." : " copies.");
      break;
    case kExitPrinterNotFound:
      run.SetReasons(PAPPL_PREASON_OFFLINE);
      SetPrinterMessage(run.printer_id, said.empty() ? "The printer was not found." : said);
      result.message = "Printer not found: " +
                       (said.empty() ? std::string("no printer answered on the port.") : said);
      break;
    case kExitPrinterAttention: {
      // The fault is the reason; what the engine said after it is its consequence.
      const std::string& why = run.fault_message.empty() ? said : run.fault_message;
      SetPrinterMessage(run.printer_id, why);
      result.message = "Printer needs attention: " +
                       (why.empty() ? std::string("it did not take the job.") : why);
      break;
    }
    case kExitFailed:
      result.message = "The job failed: " +
                       (said.empty() ? std::string("the engine could not print the page.") : said);
      break;
    default:
      result.message = "The print engine failed (status " + std::to_string(code) + ").";
      break;
  }
  return result;
}
