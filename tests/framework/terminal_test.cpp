// The terminal back end's questions without a terminal. (The drawn line
// itself needs a terminal and is not checked here; Ctrl-C is the dialog's
// close box with every back end, see tests/app/dialog_test.cpp.)
#include <gtest/gtest.h>
#include <unistd.h>

#include "framework/ui_terminal.h"
#include "support/record_ui.h"

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
