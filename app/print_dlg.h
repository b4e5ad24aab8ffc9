// The progress dialog: the program's only window. It opens the page file,
// shows the phase and copy in its caption, a progress bar, the percentage and
// the elapsed time, runs the print job on its timer (print_job.cpp, one step
// or one line per tick, line_sender.cpp) and cleans up when it goes away.
#pragma once

#include <cstdint>
#include <cstdio>

#include "base/resource_ids.h"
#include "framework/dialog.h"

// The job timer: every tick advances the job by one step or one line.
constexpr UINT_PTR kJobTimerId = 1225;
constexpr UINT kJobTimerPeriodMs = 5;

// Job state shared by the job steps, the line sender and the dialog's end.
extern int32_t g_nLine;            // next line of the current copy, 0..kPageLines
extern int32_t g_bSendRunEnd;      // cleared by failures that forbid the run-end command
extern int32_t g_bPrinterFound;    // the link library found the printer
extern uint32_t g_dwJobStartTick;  // ms; base of the elapsed time, set once per run
// "  Copy 2 of 3" in the user's language, rebuilt at every tick.
extern char g_szCopyLabel[20];

class CPrintDlg : public CDialog {
 public:
  explicit CPrintDlg(CWnd* parent = nullptr);

  CWnd* m_pProgress;      // item 1001, range 0..100
  CWnd* m_pPercentText;   // item 1003
  CWnd* m_pElapsedText;   // item 1002
  int32_t m_nCopies;      // copies to print, 1..99
  int32_t m_nPageFiles;   // spooled pages "c:\abx.1".. to delete at the end
  int32_t m_nCopiesDone;  // copies finished; the running copy's 0-based index
  FILE* m_pPageFile;      // the page, open from OnInitDialog to OnDestroy
  char m_szCaption[40];   // the caption as the dialog opened
  HICON m_hIcon;          // icon 128
  int32_t m_bPassesDone;  // the page passes have run for this job
  // The current copy has been started (ready wait done, lines begun). A busy
  // printer at line 0 leaves g_nLine at 0, so that cannot tell a copy that
  // has begun from one that has not.
  int32_t m_bCopyStarted;

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnPaint() override;
  HICON OnQueryDragIcon() override;
  void OnTimer(UINT_PTR idEvent) override;
  void OnClose() override;
  // The user's OK ends the job where it stands, as a cancel does.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnDestroy() override;

  // Job steps (print_job.cpp) and the line sender (line_sender.cpp).
  void FormatCopyLabel();
  void RunEnhancementPasses();
  // 1: line sent or printer busy (call again); 2: page complete; -1: abort
  // or transfer failure (IDS_TRANSFER_FAILED shown for the latter).
  int32_t SendNextLine();

 private:
  void SetProgress(int pos);
  void SetCaptionString(UINT id, bool withLabel);
  void SetCaptionText(const char* text);
  bool StartCopy();
  bool WaitReadyAndStartPage();
  void FinishCopy();
};

// The copy label for copy `copy` of `copies` in the language of `localeName`
// (the same prefixes as the language module): "  Copy %d of %d" and its five
// translations. Writes at most size - 1 characters.
void FormatCopyLabelFor(const char* localeName, int copy, int copies, char* label, size_t size);
