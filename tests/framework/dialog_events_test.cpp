// The dialog event lines: every text comes back as it was said, the oldest
// lines keep their exact form, and a stream read in pieces of any size gives
// the same events.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/dialog_events.h"

namespace {

DialogEvent Say(uint32_t number, const std::string& text) {
  DialogEvent e;
  e.kind = DialogEventKind::kSay;
  e.number = number;
  e.text = text;
  return e;
}

TEST(DialogEvents, SayRoundTripsAnyText) {
  // 28 characters with the nul inside (a length given by hand read past it).
  static constexpr char kControls[] = "control \x01\x1f\x7f and a nul \0 byte";
  const std::string texts[] = {
      "",
      "Paper or ribbon out. | message 2026 ok",
      "two\nlines\r\nand a tab\t",
      "\"quoted\" and a back\\slash\\",
      std::string(kControls, sizeof kControls - 1),
      "Prüfen Sie den Drucker · 紙がありません",
      "\\x41 is not an escape here",
  };
  for (const std::string& text : texts) {
    const std::string line = EncodeDialogEvent(Say(2026, text));
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    DialogEvent back;
    ASSERT_TRUE(DecodeDialogEvent(line, &back)) << line;
    EXPECT_EQ(back.kind, DialogEventKind::kSay);
    EXPECT_EQ(back.number, 2026u);
    EXPECT_EQ(back.text, text) << line;
  }
  // Worked by hand from the quoting rule.
  EXPECT_EQ(EncodeDialogEvent(Say(7, "a\"b\\c\nd\x02|é")), "say 7 \"a\\\"b\\\\c\\nd\\x02|é\"");
  DialogEvent e;
  for (const char* bad : {"say 1 \"open", "say 1 \"a\"b\"", "say 1 \"\\q\"", "say 1 \"\\x4\"",
                          "say 1 \"ends in \\\"", "say x \"a\"", "say 1 a"})
    EXPECT_FALSE(DecodeDialogEvent(bad, &e)) << bad;
}

TEST(DialogEvents, TheOldLinesKeepTheirForm) {
  // The record format as programs and files have it: each line decodes and
  // encodes back to itself, byte for byte.
  const char* lines[] = {
      "caption Printing  Copy 1 of 2", "progress 37",       "text 1003 37 %",
      "text 1002 00 : 0 :4",           "enable 1 0",        "enable 1 1",
      "message 2004 ok",               "message 2026 yesno yes", "message 2026 yesno no",
      "end ok",                        "end cancel",        "copy 2 3",
      "line 790 790",                  "printed 1 3",
  };
  for (const char* line : lines) {
    DialogEvent e;
    ASSERT_TRUE(DecodeDialogEvent(line, &e)) << line;
    EXPECT_EQ(EncodeDialogEvent(e), line);
  }
  DialogEvent e;
  e.kind = DialogEventKind::kCaption;
  e.text = "two\nlines";
  EXPECT_EQ(EncodeDialogEvent(e), "caption two lines");
  for (const char* bad : {"progress", "progress 1x", "enable 1 2", "message 2026 yesno maybe",
                          "copy 1", "line 1 2 3", "unknown 1", "end"})
    EXPECT_FALSE(DecodeDialogEvent(bad, &e)) << bad;
}

TEST(DialogEvents, TheReaderTakesAStreamInPiecesAndSeesAnOpenQuestion) {
  const std::string stream =
      "caption Printer\r\nsay 2026 \"Paper out.\\nRetry?\"\nline 21 790\n"
      "say 2026 \"Paper out.\"\nmessage 2026 yesno ";
  for (size_t piece : {size_t{1}, size_t{5}, stream.size()}) {
    DialogEventReader reader;
    std::vector<std::string> seen;
    reader.on_event = [&](const DialogEvent& e) { seen.push_back(EncodeDialogEvent(e)); };
    reader.on_question = [&](uint32_t number) { seen.push_back("open " + std::to_string(number)); };
    for (size_t i = 0; i < stream.size(); i += piece)
      reader.Take(stream.data() + i, std::min(piece, stream.size() - i));
    // The open question is seen once, however the bytes came.
    reader.Take("", 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"caption Printer", "say 2026 \"Paper out.\\nRetry?\"",
                                              "line 21 790", "say 2026 \"Paper out.\"",
                                              "open 2026"}))
        << "pieces of " << piece;
    reader.Take("no\n", 3);
    EXPECT_EQ(seen.back(), "message 2026 yesno no");
  }
}

}  // namespace
