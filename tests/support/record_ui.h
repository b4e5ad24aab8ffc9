// Tests: watch what the engine shows the user through the record UI back end.
//
//   RecordUi ui("2026=yes");          // record back end on a fresh file, answers set
//   ... run the code under test ...
//   EXPECT_THAT(ui.Events(), ElementsAre("caption Printing", "progress 0"));
//   ui.Clear();                       // forget what was recorded so far
//   ui.RequestClose();                // the next close_requested poll says yes (Ctrl-C)
//
// Each event is one line as the record back end writes it ("caption TEXT",
// "progress N", "text ITEM TEXT", "enable ITEM 0|1", "message NUMBER ok",
// "message NUMBER yesno yes|no", "end ok|cancel"; see dialog_events.h).
// Events() leaves out the "say NUMBER ..." line before each message: what a
// test follows is which message was shown; AllEvents() has every line. The
// destructor puts back the back end and the answers that were in use before,
// and removes the file.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "framework/ui_backend.h"

class RecordUi {
 public:
  explicit RecordUi(const char* answers = "") {
    previous_ = UiCurrent();
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/vyr-record-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd >= 0) close(fd);
    path_ = name.data();
    const UiBackend* record = UiMakeRecordBackend(path_.c_str());
    if (record) {
      backend_ = *record;
      backend_.close_requested = &RecordUi::TakeClose;
      backend_.ctx = record->ctx;
    }
    CloseFlag() = false;
    UiInstall(record ? &backend_ : nullptr);
    UiSetAnswers(answers);
  }
  ~RecordUi() {
    UiInstall(previous_);
    UiSetAnswers(nullptr);
    std::remove(path_.c_str());
  }
  RecordUi(const RecordUi&) = delete;
  RecordUi& operator=(const RecordUi&) = delete;

  // Every event recorded since the start or the last Clear, one per line,
  // but the texts of the messages.
  std::vector<std::string> Events() const {
    std::vector<std::string> lines;
    for (std::string& line : AllEvents())
      if (line.compare(0, 4, "say ") != 0) lines.push_back(std::move(line));
    return lines;
  }
  std::vector<std::string> AllEvents() const {
    std::vector<std::string> lines;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  void Clear() { std::ofstream(path_, std::ios::trunc); }
  // Answers in the VYR_ANSWERS syntax ("2026=yes,2027=no").
  void SetAnswers(const char* answers) { UiSetAnswers(answers); }
  // The user closes the dialog: the next close_requested poll reports it once.
  void RequestClose() { CloseFlag() = true; }
  const std::string& Path() const { return path_; }

 private:
  static bool& CloseFlag() {
    static bool flag = false;
    return flag;
  }
  static bool TakeClose(void*) {
    bool requested = CloseFlag();
    CloseFlag() = false;
    return requested;
  }

  const UiBackend* previous_ = nullptr;
  UiBackend backend_{};
  std::string path_;
};
