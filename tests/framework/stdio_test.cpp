// The stdio back end: the record format on standard output, answers read
// from standard input. Standard input and output are swapped for pipes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "framework/ui_backend.h"

namespace {

// Runs `body` with standard input reading `input` (then end of input) and
// returns what it wrote to standard output.
template <typename Body>
std::string WithPipes(const std::string& input, Body body) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return "pipe failed";
  EXPECT_EQ(write(in[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
  close(in[1]);
  int savedIn = dup(STDIN_FILENO), savedOut = dup(STDOUT_FILENO);
  dup2(in[0], STDIN_FILENO);
  dup2(out[1], STDOUT_FILENO);
  body();
  dup2(savedIn, STDIN_FILENO);
  dup2(savedOut, STDOUT_FILENO);
  close(savedIn);
  close(savedOut);
  close(in[0]);
  close(out[1]);
  std::string got;
  char buf[256];
  for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(n));
  close(out[0]);
  return got;
}

TEST(StdioBackend, EventsInTheRecordFormatAndOneAnswerLinePerQuestion) {
  const UiBackend* ui = UiStdioBackend();
  ASSERT_STREQ(ui->name, "stdio");
  // Each question takes exactly one line; what is not a yes is a no, and so
  // is the end of input.
  const std::string input = "yes\nno\n YES \r\nmaybe\ny\n";
  const bool expected[] = {true, false, true, false, true, false};
  bool answers[6] = {};
  std::string out = WithPipes(input, [&] {
    ui->caption(ui->ctx, "Printer\n  Copy 1 of 1");
    ui->progress(ui->ctx, 1001, 70);
    ui->item_text(ui->ctx, 1003, "45 %");
    ui->item_enable(ui->ctx, 1, false);
    EXPECT_TRUE(ui->message(ui->ctx, 2004, "text is shown", false));
    for (bool& answer : answers) answer = ui->message(ui->ctx, 2026, "retry?", true);
    ui->dialog_end(ui->ctx, false);
  });
  for (int i = 0; i < 6; ++i) EXPECT_EQ(answers[i], expected[i]) << "question " << i;
  std::string questions;
  for (bool answer : expected)
    questions += std::string("say 2026 \"retry?\"\nmessage 2026 yesno ") + (answer ? "yes\n" : "no\n");
  EXPECT_EQ(out,
            "caption Printer   Copy 1 of 1\nprogress 70\ntext 1003 45 %\nenable 1 0\n"
            "say 2004 \"text is shown\"\nmessage 2004 ok\n" +
                questions + "end cancel\n");
}

}  // namespace
