// The terminal back end's handling of Ctrl-C and of questions without a
// terminal. (The drawn line itself needs a terminal and is not checked here.)
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include "framework/ui_terminal.h"
#include "support/record_ui.h"

namespace {

void MarkerHandler(int) {}

}  // namespace

TEST(TerminalBackend, CtrlCIsTheCloseBoxAndTheHandlerIsPutBack) {
  struct sigaction marker {}, before {};
  marker.sa_handler = MarkerHandler;
  sigemptyset(&marker.sa_mask);
  sigaction(SIGINT, &marker, &before);

  const UiBackend* t = UiTerminalBackend();
  ASSERT_NE(t->close_requested, nullptr);
  t->caption(t->ctx, "Printing");
  EXPECT_FALSE(t->close_requested(t->ctx));
  raise(SIGINT);  // handled: the process goes on
  EXPECT_TRUE(t->close_requested(t->ctx));
  EXPECT_FALSE(t->close_requested(t->ctx));  // reported once
  raise(SIGINT);
  t->dialog_end(t->ctx, false);

  struct sigaction after {};
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, &MarkerHandler);
  EXPECT_FALSE(t->close_requested(t->ctx));  // nothing left over for the next dialog
  sigaction(SIGINT, &before, nullptr);
}

TEST(TerminalBackendDeathTest, SecondCtrlCBeforeTheFirstIsTakenEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const UiBackend* t = UiTerminalBackend();
        t->caption(t->ctx, "Printing");
        raise(SIGINT);
        raise(SIGINT);
        _exit(0);
      },
      ::testing::KilledBySignal(SIGINT), "");
}

TEST(TerminalBackend, QuestionsWithoutATerminalTakeTheAnswers) {
  if (isatty(STDIN_FILENO)) GTEST_SKIP() << "standard input is a terminal: it would be asked";
  RecordUi ui("2026=yes");  // only for the answers; the terminal back end is called directly
  const UiBackend* t = UiTerminalBackend();
  EXPECT_TRUE(t->message(t->ctx, 2026, "Fault. Try again?", true));
  ui.SetAnswers("2026=no");
  EXPECT_FALSE(t->message(t->ctx, 2026, "Fault. Try again?", true));
  EXPECT_TRUE(t->message(t->ctx, 2004, "No answer.", false));
  t->dialog_end(t->ctx, true);
}
