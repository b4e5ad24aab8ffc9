// Tests of the program: the progress dialog runs in-process on the virtual
// clock, against the virtual printer, with the record UI wrapped so that a
// test can step in when the job shows something (a caption, a progress
// position, a message box) or before a tick of the job timer.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/exit_status.h"
#include "app/print_dlg.h"
#include "framework/resources.h"
#include "framework/ui_backend.h"
#include "imaging/line_data.h"
#include "imaging/page_buffers.h"
#include "platform/clock.h"
#include "platform/module.h"
#include "platform/paths.h"
#include "printer/printer_commands.h"
#include "settings/settings.h"
#include "support/build_paths.h"
#include "support/virtual_printer.h"

namespace apptest {

namespace fs = std::filesystem;

inline std::string BinDir() { return std::string(VYR_BINARY_DIR) + "/bin"; }

// This process's scratch folder, removed when the process ends.
inline const fs::path& ScratchDir() {
  static struct Scratch {
    fs::path dir = fs::temp_directory_path() / ("vyr-app-" + std::to_string(getpid()));
    ~Scratch() {
      std::error_code ec;
      fs::remove_all(dir, ec);
    }
  } scratch;
  return scratch.dir;
}

inline fs::path FreshDir(const char* name) {
  fs::path dir = ScratchDir() / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// A demonstration disk made once by the tool users run, copied for each test.
inline const fs::path& DemoDisk() {
  static fs::path disk = [] {
    fs::path dir = FreshDir("demo-disk");
    std::string command = BinDir() + "/vyrtool make-demo '" + dir.string() + "' >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return dir;
  }();
  return disk;
}

// The record back end with hooks. Answers come from UiSetAnswers.
class HookedUi {
 public:
  std::function<void(const std::string&)> onCaption;
  std::function<void(int)> onProgress;
  std::function<void(unsigned)> onMessage;

  explicit HookedUi(bool withCloseBox = true) {
    current() = this;
    path_ = (FreshDir("ui") / "events.txt").string();
    record_ = UiMakeRecordBackend(path_.c_str());
    backend_ = *record_;
    backend_.caption = &Caption;
    backend_.progress = &Progress;
    backend_.message = &Message;
    backend_.close_requested = withCloseBox ? &TakeClose : nullptr;
    UiInstall(&backend_);
    UiSetAnswers("");
  }
  ~HookedUi() {
    UiInstall(nullptr);
    UiSetAnswers(nullptr);
    current() = nullptr;
  }
  HookedUi(const HookedUi&) = delete;
  HookedUi& operator=(const HookedUi&) = delete;

  std::vector<std::string> Events() const {
    std::vector<std::string> lines;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // Events that begin with `prefix`, with the prefix taken off.
  std::vector<std::string> Events(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& e : Events())
      if (e.compare(0, prefix.size(), prefix) == 0) out.push_back(e.substr(prefix.size()));
    return out;
  }
  int Count(const std::string& event) const {
    int n = 0;
    for (const std::string& e : Events()) n += e == event;
    return n;
  }
  void RequestClose() { closeRequested_ = true; }

 private:
  static HookedUi*& current() {
    static HookedUi* ui = nullptr;
    return ui;
  }
  static void Caption(void*, const char* text) {
    HookedUi* ui = current();
    ui->record_->caption(ui->record_->ctx, text);
    if (ui->onCaption) ui->onCaption(text);
  }
  static void Progress(void*, int item, int pos) {
    HookedUi* ui = current();
    ui->record_->progress(ui->record_->ctx, item, pos);
    if (ui->onProgress) ui->onProgress(pos);
  }
  static bool Message(void*, unsigned number, const char* text, bool yesno) {
    HookedUi* ui = current();
    bool answer = ui->record_->message(ui->record_->ctx, number, text, yesno);
    if (ui->onMessage) ui->onMessage(number);
    return answer;
  }
  static bool TakeClose(void*) {
    HookedUi* ui = current();
    bool requested = ui->closeRequested_;
    ui->closeRequested_ = false;
    return requested;
  }

  const UiBackend* record_ = nullptr;
  UiBackend backend_{};
  std::string path_;
  bool closeRequested_ = false;
};

// The dialog with a hook before each tick of the job timer.
class HookedPrintDlg : public CPrintDlg {
 public:
  std::function<void(HookedPrintDlg&)> beforeTick;
  std::function<void(HookedPrintDlg&)> afterTick;
  int ticks = 0;
  void OnTimer(UINT_PTR id) override {
    ++ticks;
    if (beforeTick) beforeTick(*this);
    CPrintDlg::OnTimer(id);
    if (afterTick) afterTick(*this);
  }
};

class JobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockSelect(ClockKind::Virtual);
    VirtualClockSet(1000);
    setenv("LC_ALL", "C", 1);
    root_ = FreshDir("root");
    fs::copy(DemoDisk(), root_, fs::copy_options::recursive);
    PathsSetRoot(root_.string());
    ModuleSetSearchDirectory("");
    ResetSettings();
    // Job state as a freshly started program has it.
    g_nLine = 0;
    g_bSendRunEnd = 1;
    g_bPrinterFound = 0;
    g_bTestPrint = 0;
    g_hLinkLibrary = nullptr;
    ResetJobEnd();
    language_ = LoadLibraryA("vyr_eng.dll");
    ASSERT_NE(language_, nullptr);
    AfxSetResourceHandle(language_);
  }
  void TearDown() override {
    AfxSetResourceHandle(nullptr);
    PathsSetRoot("");
    unsetenv("LC_ALL");
    std::setlocale(LC_ALL, "C");
  }

  // Runs a dialog for `copies` copies and returns what DoModal returned.
  INT_PTR Run(HookedPrintDlg& dlg, int copies, int pageFiles = 1) {
    dlg.m_nCopies = copies;
    dlg.m_nPageFiles = pageFiles;
    return dlg.DoModal();
  }

  static std::string S(unsigned id) {
    const char* text = AfxFindString(id);
    return text ? text : "";
  }

  // The image lines a page must consist of, built from the head planes the
  // job left behind: two lead-in lines of 10112 bytes of 0xFF, the head data
  // of lines 2..692 (cells 0..603 of the line's slot), 97 run-out lines of
  // 9664 bytes of 0xFF.
  static std::vector<uint8_t> ExpectedPageLines() {
    std::vector<uint8_t> out(2 * 10112, 0xFF);
    for (int n = 2; n <= kPageLength + 47; ++n) {
      PrepareLineData(n);
      const uint8_t* slot = g_lineBuffer + (n % 2) * kLineSlotBytes;
      out.insert(out.end(), slot, slot + 9664);
    }
    out.insert(out.end(), static_cast<size_t>(97) * 9664, 0xFF);
    return out;
  }

  fs::path root_;
  HMODULE language_ = nullptr;
};

}  // namespace apptest
