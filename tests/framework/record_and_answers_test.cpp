// The record back end's line format and the answers to Yes/No questions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "framework/afx.h"
#include "framework/ui_backend.h"
#include "support/record_ui.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(RecordBackend, WritesOneLinePerEventInTheFixedFormat) {
  RecordUi ui("2026=yes");
  const UiBackend* b = UiCurrent();
  ASSERT_STREQ(b->name, "record");
  b->caption(b->ctx, "Printer  Copy 1 of 2");
  b->progress(b->ctx, 1001, 37);
  b->item_text(b->ctx, 1003, "37%");
  b->item_enable(b->ctx, 1, false);
  b->item_enable(b->ctx, 1, true);
  EXPECT_TRUE(b->message(b->ctx, 2004, "The printer does not answer.", false));
  EXPECT_TRUE(b->message(b->ctx, 2026, "Fault. Try again?", true));
  EXPECT_FALSE(b->message(b->ctx, 2027, "Fault.", true));
  b->dialog_end(b->ctx, true);
  b->dialog_end(b->ctx, false);
  DialogEvent printed;
  printed.kind = DialogEventKind::kPrinted;
  printed.value = 1;
  printed.count = 2;
  b->job_event(b->ctx, printed);
  // Every line is complete on disk as soon as the call returns.
  EXPECT_EQ(ReadFile(ui.Path()),
            "caption Printer  Copy 1 of 2\n"
            "progress 37\n"
            "text 1003 37%\n"
            "enable 1 0\n"
            "enable 1 1\n"
            "say 2004 \"The printer does not answer.\"\n"
            "message 2004 ok\n"
            "say 2026 \"Fault. Try again?\"\n"
            "message 2026 yesno yes\n"
            "say 2027 \"Fault.\"\n"
            "message 2027 yesno no\n"
            "end ok\n"
            "end cancel\n"
            "printed 1 2\n");
}

TEST(RecordBackend, KeepsEveryEventOnOneLineAndStartsFilesAfresh) {
  RecordUi ui;
  const UiBackend* b = UiCurrent();
  b->caption(b->ctx, "two\nlines\r");
  b->item_text(b->ctx, 1002, "");
  EXPECT_THAT(ui.Events(), ElementsAre("caption two lines ", "text 1002 "));

  ui.Clear();
  EXPECT_THAT(ui.Events(), IsEmpty());
  b->progress(b->ctx, 1001, 5);
  EXPECT_THAT(ui.Events(), ElementsAre("progress 5"));

  // Asking again for the same file empties it and gives the same back end.
  const UiBackend* again = UiMakeRecordBackend(ui.Path().c_str());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->ctx, b->ctx);
  EXPECT_THAT(ui.Events(), IsEmpty());

  EXPECT_EQ(UiMakeRecordBackend("/nonexistent-folder/for/sure/record.txt"), nullptr);
  EXPECT_EQ(UiMakeRecordBackend(""), nullptr);
}

TEST(Answers, ParseNumbersAndWordsAndDefaultToNo) {
  UiSetAnswers("2026=yes,2027=no");
  EXPECT_TRUE(UiAnswerFor(2026));
  EXPECT_FALSE(UiAnswerFor(2027));
  EXPECT_FALSE(UiAnswerFor(2004));  // unlisted

  // Blanks, case and short forms; malformed entries never turn into Yes.
  UiSetAnswers(" 2026 = YES , 2004=y,2005=maybe,abc=yes,=yes,2006,2007=yes=no, 2008=Y ");
  EXPECT_TRUE(UiAnswerFor(2026));
  EXPECT_TRUE(UiAnswerFor(2004));
  EXPECT_FALSE(UiAnswerFor(2005));
  EXPECT_FALSE(UiAnswerFor(2006));
  EXPECT_FALSE(UiAnswerFor(2007));
  EXPECT_TRUE(UiAnswerFor(2008));

  // A later entry for the same number wins; new answers replace old ones.
  UiSetAnswers("2026=yes,2026=no");
  EXPECT_FALSE(UiAnswerFor(2026));
  UiSetAnswers("2027=yes");
  EXPECT_FALSE(UiAnswerFor(2004));
  EXPECT_TRUE(UiAnswerFor(2027));
  UiSetAnswers("");
  EXPECT_FALSE(UiAnswerFor(2027));

  // nullptr goes back to VYR_ANSWERS.
  const char* saved = std::getenv("VYR_ANSWERS");
  std::string savedText = saved ? saved : "";
  setenv("VYR_ANSWERS", "2026=yes", 1);
  UiSetAnswers(nullptr);
  EXPECT_TRUE(UiAnswerFor(2026));
  if (saved)
    setenv("VYR_ANSWERS", savedText.c_str(), 1);
  else
    unsetenv("VYR_ANSWERS");
  UiSetAnswers(nullptr);
}

TEST(RecordUiHelper, RestoresTheBackEndInUseBefore) {
  const UiBackend* before = UiCurrent();
  {
    RecordUi ui;
    EXPECT_NE(UiCurrent(), before);
    // A close request is reported once.
    const UiBackend* b = UiCurrent();
    ASSERT_NE(b->close_requested, nullptr);
    EXPECT_FALSE(b->close_requested(b->ctx));
    ui.RequestClose();
    EXPECT_TRUE(b->close_requested(b->ctx));
    EXPECT_FALSE(b->close_requested(b->ctx));
  }
  EXPECT_EQ(UiCurrent(), before);
}
