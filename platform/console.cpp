#include "platform/console.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t g_interrupted = 0;

// The signals that close the dialog: Ctrl-C, and what a spooler or service
// manager sends to stop a job.
constexpr int kCloseSignals[] = {SIGINT, SIGTERM};
struct sigaction g_previous[2] {};
bool g_catching = false;

void OnInterrupt(int sig) {
  if (g_interrupted) {
    // Not taken yet: the engine is stuck somewhere. Leave the default way.
    signal(sig, SIG_DFL);
    raise(sig);
    return;
  }
  g_interrupted = 1;
}

}  // namespace

bool ConsoleIsInteractive() {
  return isatty(STDIN_FILENO) == 1 || isatty(STDOUT_FILENO) == 1 || isatty(STDERR_FILENO) == 1;
}

bool ConsoleIsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

int ConsoleColumns(std::FILE* stream) {
  struct winsize ws {};
  if (ioctl(fileno(stream), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  return 80;
}

void ConsoleCatchInterrupt() {
  g_interrupted = 0;
  if (g_catching) return;  // keep the handling found the first time
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  for (int sig : kCloseSignals) sigaddset(&sa.sa_mask, sig);
  sa.sa_flags = 0;  // no SA_RESTART: a question being read gives up on the signal
  for (int i = 0; i < 2; ++i) sigaction(kCloseSignals[i], &sa, &g_previous[i]);
  g_catching = true;
}

void ConsoleReleaseInterrupt() {
  if (g_catching)
    for (int i = 0; i < 2; ++i) sigaction(kCloseSignals[i], &g_previous[i], nullptr);
  g_catching = false;
  g_interrupted = 0;
}

bool ConsoleInterruptPending() { return g_interrupted != 0; }

bool ConsoleTakeInterrupt() {
  if (!g_interrupted) return false;
  // Taken: a later Ctrl-C is a fresh request again, not a forced end.
  g_interrupted = 0;
  return true;
}

bool ConsoleReadLine(char* line, int size) {
  if (std::fgets(line, size, stdin)) return true;
  clearerr(stdin);
  return false;
}

void ConsoleIgnoreBrokenPipe() { signal(SIGPIPE, SIG_IGN); }
