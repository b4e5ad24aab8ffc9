// The record format (framework/dialog_events.h), one UTF-8 line per event,
// in two back ends:
//   record:FILE  every event appended to FILE. The file is opened for each
//                line and closed again, so a line is on disk before the engine
//                goes on (a crash loses nothing) and a reader may empty the
//                file between events. Answers come from VYR_ANSWERS.
//   stdio        every event written to standard output at once, for a
//                program that runs the engine; each Yes/No question reads one
//                line from standard input. Nothing else goes to standard
//                output.
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/dialog_events.h"
#include "framework/ui_backend.h"
#include "platform/console.h"

namespace {

struct RecordContext {
  std::string path;   // record: the file; empty for stdio
  bool stdio = false;
  UiBackend backend;
};

// Record back ends live for the whole process; asking twice for one file
// starts it afresh and gives the same back end.
std::vector<RecordContext*>* g_records = nullptr;

// All of `text` to standard output. A signal that interrupts the write (the
// close request) does not lose the event; a reader that has gone away
// (EPIPE, SIGPIPE being ignored) loses the rest of them and nothing else.
void WriteAll(const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(STDOUT_FILENO, text.data() + done, text.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return;
    }
  }
}

// `text` as it stands; a line ends it when `end` says so.
void Write(void* ctx, const std::string& text, bool end = true) {
  auto* record = static_cast<RecordContext*>(ctx);
  if (record->stdio) {
    WriteAll(end ? text + "\n" : text);
    return;
  }
  FILE* f = std::fopen(record->path.c_str(), "a");
  if (!f) return;
  std::fwrite(text.data(), 1, text.size(), f);
  if (end) std::fputc('\n', f);
  std::fclose(f);
}

// One line of standard input (at most 63 bytes kept): yes or no. End of
// input, a read cut short by a close signal, or anything that is not a yes
// word count as No.
bool ReadAnswerLine() {
  std::string line;
  for (;;) {
    char c = 0;
    ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n <= 0 || c == '\n') break;
    if (line.size() < 63) line += c;
  }
  bool yes = false;
  return UiParseAnswer(line.c_str(), &yes) && yes;
}

void Put(void* ctx, const DialogEvent& event) { Write(ctx, EncodeDialogEvent(event)); }

// An event of `kind` with a number (message number or item) and a text.
DialogEvent Event(DialogEventKind kind, uint32_t number = 0, const char* text = nullptr) {
  DialogEvent event;
  event.kind = kind;
  event.number = number;
  event.item = static_cast<int32_t>(number);
  event.text = text ? text : "";
  return event;
}

void RecordCaption(void* ctx, const char* text) { Put(ctx, Event(DialogEventKind::kCaption, 0, text)); }

void RecordProgress(void* ctx, int /*item*/, int pos) {
  DialogEvent event = Event(DialogEventKind::kProgress);
  event.value = pos;
  Put(ctx, event);
}

void RecordItemText(void* ctx, int item, const char* text) {
  Put(ctx, Event(DialogEventKind::kItemText, static_cast<uint32_t>(item), text));
}

void RecordItemEnable(void* ctx, int item, bool enabled) {
  DialogEvent event = Event(DialogEventKind::kItemEnable, static_cast<uint32_t>(item));
  event.flag = enabled;
  Put(ctx, event);
}

// The message's text as the user reads it comes first, so a program that
// reads the stream has it when the question stands open. A question on
// standard output shows as the unfinished line "message NUMBER yesno " until
// the answer read from standard input ends it, so a program watching it can
// tell that an answer is awaited.
bool RecordMessage(void* ctx, unsigned number, const char* text, bool yesno) {
  Put(ctx, Event(DialogEventKind::kSay, number, text));
  if (!yesno) {
    Put(ctx, Event(DialogEventKind::kMessage, number));
    return true;
  }
  DialogEvent answered = Event(DialogEventKind::kQuestion, number);
  if (static_cast<RecordContext*>(ctx)->stdio) {
    const std::string open = EncodeOpenQuestion(number);
    Write(ctx, open, false);
    answered.flag = ReadAnswerLine();
    // The answered line is the open one with its answer word after it.
    Write(ctx, EncodeDialogEvent(answered).substr(open.size()));
  } else {
    answered.flag = UiAnswerFor(number);
    Put(ctx, answered);
  }
  return answered.flag;
}

void RecordDialogEnd(void* ctx, bool ok) {
  DialogEvent event = Event(DialogEventKind::kEnd);
  event.flag = ok;
  Put(ctx, event);
}

void RecordJobEvent(void* ctx, const DialogEvent& event) { Put(ctx, event); }

RecordContext* MakeContext(const std::string& path, bool stdio) {
  auto* record = new RecordContext;
  record->path = path;
  record->stdio = stdio;
  record->backend = UiBackend{
      .name = stdio ? "stdio" : "record",
      .caption = RecordCaption,
      .progress = RecordProgress,
      .item_text = RecordItemText,
      .item_enable = RecordItemEnable,
      .message = RecordMessage,
      .dialog_end = RecordDialogEnd,
      .job_event = RecordJobEvent,
      .close_requested = nullptr,
      .person_can_close = nullptr,
      .ctx = record,
  };
  return record;
}

}  // namespace

const UiBackend* UiMakeRecordBackend(const char* path) {
  if (!path || !*path) return nullptr;
  FILE* f = std::fopen(path, "w");
  if (!f) return nullptr;
  std::fclose(f);
  if (!g_records) g_records = new std::vector<RecordContext*>;
  for (RecordContext* record : *g_records)
    if (record->path == path) return &record->backend;
  RecordContext* record = MakeContext(path, false);
  g_records->push_back(record);
  return &record->backend;
}

const UiBackend* UiStdioBackend() {
  static RecordContext* stdio = [] {
    // A caller that stops reading must not kill the job before it has ended
    // the run and put the printer back.
    ConsoleIgnoreBrokenPipe();
    return MakeContext("", true);
  }();
  return &stdio->backend;
}
