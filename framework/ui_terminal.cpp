// The terminal back end: the dialog as one line of the terminal, redrawn in
// place with '\r':
//
//   Printing  Copy 1 of 2 [########------------]  40%  00: 01: 12
//
// caption, progress bar, then the item texts in the order they were first set
// (the dialog sets the percentage before the elapsed time). The bar assumes the
// 0..100 range the dialog gives its progress bar. Message boxes print
// "vyr: TEXT" on a line of their own; a Yes/No question is asked on the
// terminal when standard input is one ("[y/N]"), otherwise VYR_ANSWERS answers
// it. Without a terminal (run by a spooler) no line is drawn and messages go to
// standard error. Ctrl-C is the dialog's close box, as with every back end
// (the dialog catches SIGINT and SIGTERM while it runs).
#include "framework/ui_terminal.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/console.h"

namespace {

constexpr int kBarCells = 20;

struct TerminalState {
  bool started = false;   // the dialog is on screen
  bool lineShown = false; // something is on the current line that needs ending
  FILE* out = nullptr;    // where the line is drawn, or null without a terminal
  std::string caption;
  int percent = -1;       // no progress yet
  std::vector<std::pair<int, std::string>> texts;
};

TerminalState g_state;

FILE* TerminalOut() {
  if (ConsoleIsTerminal(stdout)) return stdout;
  if (ConsoleIsTerminal(stderr)) return stderr;
  return nullptr;
}

// The first `columns` characters of a UTF-8 text (continuation bytes take no
// column), so the line never wraps and '\r' returns to its start.
std::string FitColumns(const std::string& text, int columns) {
  int used = 0;
  size_t i = 0;
  for (; i < text.size(); ++i) {
    bool lead = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (lead) {
      if (used == columns) break;
      ++used;
    }
  }
  return text.substr(0, i);
}

void Start() {
  if (g_state.started) return;
  g_state.started = true;
  g_state.out = TerminalOut();
}

void Redraw() {
  Start();
  FILE* out = g_state.out;
  if (!out) return;
  std::string line = g_state.caption;
  if (g_state.percent >= 0) {
    int filled = g_state.percent * kBarCells / 100;
    line += " [" + std::string(filled, '#') + std::string(kBarCells - filled, '-') + "]";
  }
  for (const auto& [item, text] : g_state.texts) line += "  " + text;
  line = FitColumns(line, ConsoleColumns(out) - 1);
  std::fprintf(out, "\r%s\x1b[K", line.c_str());
  std::fflush(out);
  g_state.lineShown = true;
}

// Ends the progress line so the next output starts on a line of its own.
void EndLine() {
  if (g_state.lineShown && g_state.out) {
    std::fputc('\n', g_state.out);
    std::fflush(g_state.out);
  }
  g_state.lineShown = false;
}

void TerminalCaption(void*, const char* text) {
  g_state.caption = text ? text : "";
  Redraw();
}

void TerminalProgress(void*, int, int pos) {
  g_state.percent = pos < 0 ? 0 : pos > 100 ? 100 : pos;
  Redraw();
}

void TerminalItemText(void*, int item, const char* text) {
  std::string value = text ? text : "";
  for (auto& entry : g_state.texts) {
    if (entry.first == item) {
      entry.second = value;
      Redraw();
      return;
    }
  }
  g_state.texts.emplace_back(item, value);
  Redraw();
}

void TerminalItemEnable(void*, int, bool) {}

bool ReadYes(FILE* prompt, const char* text) {
  std::fprintf(prompt, "vyr: %s [y/N] ", text);
  std::fflush(prompt);
  char answer[64];
  if (!ConsoleReadLine(answer, sizeof answer)) {
    // End of input or Ctrl-C: No. Keep the prompt's line apart from what follows.
    std::fputc('\n', prompt);
    return false;
  }
  const char* p = answer;
  while (*p == ' ' || *p == '\t') ++p;
  // The first letter of Yes in the six languages of the messages.
  return std::strchr("yYjJsSoO", *p) != nullptr && *p != '\0';
}

bool TerminalMessage(void*, unsigned number, const char* text, bool yesno) {
  Start();
  if (!text) text = "";
  EndLine();
  bool yes = true;
  if (yesno && ConsoleIsTerminal(stdin)) {
    FILE* prompt = g_state.out ? g_state.out : stderr;
    yes = ReadYes(prompt, text);
  } else if (yesno) {
    yes = UiAnswerFor(number);
    std::fprintf(stderr, "vyr: %s [y/N] %s\n", text, yes ? "y" : "n");
  } else {
    std::fprintf(g_state.out ? g_state.out : stderr, "vyr: %s\n", text);
  }
  std::fflush(g_state.out ? g_state.out : stderr);
  if (!g_state.caption.empty() || g_state.percent >= 0 || !g_state.texts.empty()) Redraw();
  return yes;
}

void TerminalDialogEnd(void*, bool) {
  if (!g_state.started) return;
  EndLine();
  g_state = TerminalState{};
}

// Someone sits at the terminal only when it is one.
bool TerminalPersonCanClose(void*) { return ConsoleIsInteractive(); }

const UiBackend kTerminalBackend = {
    .name = "terminal",
    .caption = TerminalCaption,
    .progress = TerminalProgress,
    .item_text = TerminalItemText,
    .item_enable = TerminalItemEnable,
    .message = TerminalMessage,
    .dialog_end = TerminalDialogEnd,
    .job_event = nullptr,
    .close_requested = nullptr,
    .person_can_close = TerminalPersonCanClose,
    .ctx = nullptr,
};

}  // namespace

const UiBackend* UiTerminalBackend() { return &kTerminalBackend; }
