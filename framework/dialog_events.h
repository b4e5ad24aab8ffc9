// The engine's dialog events as text, one line each: what the record back end
// writes to its file (VYR_UI=record:FILE) and the stdio back end to standard
// output (VYR_UI=stdio), encoded here and nowhere else, and decoded here for
// the programs that run the engine. Lines, each ended by "\n":
//
//   caption TEXT                  the dialog's caption (TEXT to the end of the line)
//   progress N                    the progress bar at N (0..100)
//   text ITEM TEXT                item ITEM shows TEXT (1003 percentage, 1002 time)
//   enable ITEM 0|1               item ITEM disabled or enabled (1: the OK button)
//   say NUMBER "TEXT"             the text of message NUMBER as the user reads it,
//                                 in the user's language, right before its message line
//   message NUMBER ok             message box NUMBER shown with an OK button
//   message NUMBER yesno yes|no   question NUMBER and its answer
//   copy N M                      copy N of M begins
//   line N M                      the printer has taken N of the copy's M lines
//   printed N M                   copy N of M reached the printer (its page end was taken)
//   end ok|cancel                 the dialog ended
//
// Caption and item texts are written as they are, a line break in them turned
// into a blank (the oldest lines keep their form). The text of a say line is
// quoted: between double quotes, a backslash escapes \\ \" \n \r \t, and
// \xHH (two hex digits) stands for any other byte below 0x20 and for 0x7F;
// every other byte, UTF-8 and '|' included, stands for itself. So any text
// comes back exactly as it was said.
//
// On standard output a question is first the unfinished line
// "message NUMBER yesno ": the program that reads it answers on the engine's
// standard input, and the engine finishes the line with the answer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

enum class DialogEventKind {
  kCaption,   // text
  kProgress,  // value
  kItemText,  // item, text
  kItemEnable,  // item, flag (enabled)
  kSay,       // number, text
  kMessage,   // number
  kQuestion,  // number, flag (the answer: yes)
  kCopy,      // value (copy), count (copies)
  kLine,      // value (lines taken), count (lines of a copy)
  kPrinted,   // value (copy), count (copies)
  kEnd,       // flag (ok)
};

struct DialogEvent {
  DialogEventKind kind = DialogEventKind::kCaption;
  int32_t item = 0;
  int32_t value = 0;
  int32_t count = 0;
  uint32_t number = 0;
  bool flag = false;
  std::string text;
};

// The event's line, without the line end.
std::string EncodeDialogEvent(const DialogEvent& event);
// The unfinished line of an open question: "message NUMBER yesno ". The
// line of the answered question (EncodeDialogEvent) begins with it.
std::string EncodeOpenQuestion(uint32_t number);

// One complete line (without its line end; a trailing "\r" is allowed).
// False for a line that is none of the above.
bool DecodeDialogEvent(std::string_view line, DialogEvent* event);
// The unfinished line of a question that awaits its answer.
bool DecodeOpenQuestion(std::string_view partial, uint32_t* number);

// Reads a stream of events as it comes, in pieces of any size: each
// complete line decoded goes to `on_event`; the unfinished line of a
// question, once it stands complete, goes to `on_question` (once per
// question). Lines that decode to nothing go to `on_other`, if set.
class DialogEventReader {
 public:
  std::function<void(const DialogEvent&)> on_event;
  std::function<void(uint32_t number)> on_question;
  std::function<void(std::string_view line)> on_other;

  void Take(const char* data, size_t size);

 private:
  std::string pending_;  // bytes of the line not yet ended
  bool question_open_ = false;
};
