// The record back end (VYR_UI=record:FILE): no screen, every event one UTF-8
// line of FILE. The file is opened for each line and closed again, so a line
// is on disk before the engine goes on (a crash loses nothing) and a reader
// may empty the file between events.
#include <cstdio>
#include <string>
#include <vector>

#include "framework/ui_backend.h"

namespace {

struct RecordContext {
  std::string path;
  UiBackend backend;
};

// Record back ends live for the whole process; asking twice for one file
// starts it afresh and gives the same back end.
std::vector<RecordContext*>* g_records = nullptr;

void WriteLine(void* ctx, const std::string& line) {
  auto* record = static_cast<RecordContext*>(ctx);
  FILE* f = std::fopen(record->path.c_str(), "a");
  if (!f) return;
  std::fwrite(line.data(), 1, line.size(), f);
  std::fputc('\n', f);
  std::fclose(f);
}

// One event per line: a line break inside a text would split it.
std::string OneLine(const char* text) {
  std::string s = text ? text : "";
  for (char& c : s)
    if (c == '\n' || c == '\r') c = ' ';
  return s;
}

void RecordCaption(void* ctx, const char* text) { WriteLine(ctx, "caption " + OneLine(text)); }

void RecordProgress(void* ctx, int /*item*/, int pos) {
  WriteLine(ctx, "progress " + std::to_string(pos));
}

void RecordItemText(void* ctx, int item, const char* text) {
  WriteLine(ctx, "text " + std::to_string(item) + " " + OneLine(text));
}

void RecordItemEnable(void* ctx, int item, bool enabled) {
  WriteLine(ctx, "enable " + std::to_string(item) + (enabled ? " 1" : " 0"));
}

bool RecordMessage(void* ctx, unsigned number, const char* /*text*/, bool yesno) {
  std::string line = "message " + std::to_string(number);
  if (!yesno) {
    WriteLine(ctx, line + " ok");
    return true;
  }
  bool yes = UiAnswerFor(number);
  WriteLine(ctx, line + (yes ? " yesno yes" : " yesno no"));
  return yes;
}

void RecordDialogEnd(void* ctx, bool ok) { WriteLine(ctx, ok ? "end ok" : "end cancel"); }

}  // namespace

const UiBackend* UiMakeRecordBackend(const char* path) {
  if (!path || !*path) return nullptr;
  FILE* f = std::fopen(path, "w");
  if (!f) return nullptr;
  std::fclose(f);
  if (!g_records) g_records = new std::vector<RecordContext*>;
  for (RecordContext* record : *g_records)
    if (record->path == path) return &record->backend;
  auto* record = new RecordContext;
  record->path = path;
  record->backend = UiBackend{
      .name = "record",
      .caption = RecordCaption,
      .progress = RecordProgress,
      .item_text = RecordItemText,
      .item_enable = RecordItemEnable,
      .message = RecordMessage,
      .dialog_end = RecordDialogEnd,
      .close_requested = nullptr,
      .ctx = record,
  };
  g_records->push_back(record);
  return &record->backend;
}
