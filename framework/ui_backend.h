// The UI back end: where captions, item texts, progress, message boxes and the
// end of the dialog go, and where the user's answers come from. VYR_UI picks
// it at first use:
//   terminal       the caption, a progress bar, the percentage and the elapsed
//                  time on one line; questions asked on the terminal, or taken
//                  from VYR_ANSWERS when there is none (then messages go to
//                  standard error). Ctrl-C is the dialog's close box.
//   record:FILE    no screen; every event written to FILE as one UTF-8 line
//                  (framework/dialog_events.h); answers from VYR_ANSWERS.
//   stdio          for programs that run the engine: the record events on
//                  standard output, flushed at once, and nothing else there;
//                  a question is the unfinished line "message NUMBER yesno "
//                  until one line read from standard input (yes or no; end of
//                  input is no) finishes it.
//   window         a window on the desktop (the module vyr_ui_gtk.so, see
//                  ui_window.h); the default when VYR_UI is unset and a
//                  display is there (WAYLAND_DISPLAY or DISPLAY).
// With every back end, SIGINT and SIGTERM are the dialog's close box (see
// CDialog). VYR_ANSWERS is a comma-separated list of NUMBER=yes|no (default: no).
#pragma once

#include <cstdint>

#include "framework/dialog_events.h"

struct VyrDialogTemplate;
struct VyrIconResource;

struct UiBackend {
  const char* name;
  // The dialog's caption changed. Never blocks.
  void (*caption)(void* ctx, const char* text);
  // A progress bar moved to `pos` (within its range). Never blocks.
  void (*progress)(void* ctx, int item, int pos);
  // An item's text changed. Never blocks.
  void (*item_text)(void* ctx, int item, const char* text);
  // An item was enabled or disabled. Never blocks.
  void (*item_enable)(void* ctx, int item, bool enabled);
  // A message box: string `number` with its text; `yesno` asks a question.
  // Blocks until answered; returns true for Yes (always true for OK boxes).
  bool (*message)(void* ctx, unsigned number, const char* text, bool yesno);
  // The modal dialog ended with OK (true) or cancel (false). Never blocks.
  void (*dialog_end)(void* ctx, bool ok);
  // The job's own progress for programs that run the engine: copy N of M
  // begins, N lines taken, copy N printed (kCopy, kLine, kPrinted). A screen
  // shows these through the caption and items already. May be null. Never
  // blocks.
  void (*job_event)(void* ctx, const DialogEvent& event);
  // Polled by the dialog's message loop between timer ticks: true once when
  // the user asked to close the dialog with a close box of the back end's
  // own (a window's). May be null: SIGINT and SIGTERM need no back end.
  bool (*close_requested)(void* ctx);
  // Whether a person is there to close the dialog although the back end has
  // no close box of its own (someone at the terminal, who has Ctrl-C). May be
  // null: nobody is.
  bool (*person_can_close)(void* ctx);
  void* ctx;

  // ---- What only a back end with a window of its own needs; null elsewhere.
  // The modal dialog begins with the items of `dialogTemplate` (before its
  // first caption), so the window can be laid out from it.
  void (*dialog_begin)(void* ctx, const VyrDialogTemplate* dialogTemplate) = nullptr;
  // The dialog's icon was set (WM_SETICON); big or small.
  void (*window_icon)(void* ctx, const VyrIconResource* icon, bool big) = nullptr;
  // A progress bar's range changed (PBM_SETRANGE).
  void (*progress_range)(void* ctx, int item, int min, int max) = nullptr;
  // Serves the window for up to `ms` milliseconds of real time (0: what is
  // pending, without waiting), while the dialog waits for its next timer or
  // for the user. Returns true when it came back early because the user did
  // something the dialog must take (a close request or a command).
  bool (*wait)(void* ctx, uint32_t ms) = nullptr;
  // The command (a button's item id, IDOK for the OK button) the user gave
  // since the last call, or 0. Taking it clears it.
  int (*take_command)(void* ctx) = nullptr;
};

// The back end in use, chosen from VYR_UI on first use.
const UiBackend* UiCurrent();
// Installs a back end (tests); nullptr returns to the choice by VYR_UI.
void UiInstall(const UiBackend* backend);

// The answer VYR_ANSWERS (or what UiSetAnswers set) gives to question
// `number`: true for yes; no when unlisted.
bool UiAnswerFor(unsigned number);
// Reads a yes/no word (yes, y, 1, no, n, 0; any case, blanks around): false
// when it is neither.
bool UiParseAnswer(const char* word, bool* yes);

// Tests: replace the answers, in the VYR_ANSWERS syntax; nullptr goes back to
// VYR_ANSWERS.
void UiSetAnswers(const char* answers);

// Tests: a record back end writing to `path` (what VYR_UI=record:path makes).
const UiBackend* UiMakeRecordBackend(const char* path);
// The stdio back end (VYR_UI=stdio).
const UiBackend* UiStdioBackend();
