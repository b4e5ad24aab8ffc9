// The print job: every tick of the job timer either starts a copy (for the
// first copy the whole preparation: link library, media and page data,
// printer search and set-up, page passes; for every copy the ready wait and
// the page start) or sends one line. After the last line of a copy the next
// copy begins or the dialog ends. Every step that may block or ask the
// operator runs with the job timer stopped, so no tick re-enters the job.
#include <cstdio>
#include <cstring>

#include "app/exit_status.h"
#include "app/print_app.h"
#include "app/print_dlg.h"
#include "base/resource_ids.h"
#include "framework/afx.h"
#include "imaging/media_tables.h"
#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "langres/languages.h"
#include "platform/clock.h"
#include "platform/port_io.h"
#include "printer/printer_commands.h"

int32_t g_nLine = 0;
int32_t g_bSendRunEnd = 1;
int32_t g_bPrinterFound = 0;
uint32_t g_dwJobStartTick = 0;
char g_szCopyLabel[20];

namespace {

// Searching all four port bases: no setting says where the printer is.
constexpr int32_t kSearchAllPorts = 0;

// The printer may take up to 25 s to become ready after the page start; after
// that the lines are sent anyway and the line sender waits on busy.
constexpr uint32_t kReadyWaitMs = 25000;
// Between copies: up to 400 polls 50 ms apart (20 s).
constexpr int kCopyGapPolls = 400;
constexpr uint32_t kCopyGapPollMs = 50;

}  // namespace

void FormatCopyLabelFor(const char* localeName, int copy, int copies, char* label, size_t size) {
  const char* format = kEnglish.copyLabel;
  for (const Language& language : kLanguages) {
    if (std::strncmp(localeName, language.name, std::strlen(language.name)) == 0) format = language.copyLabel;
  }
  std::snprintf(label, size, format, copy, copies);
}

void CPrintDlg::FormatCopyLabel() {
  FormatCopyLabelFor(SwitchToUserLocale(), m_nCopiesDone + 1, m_nCopies, g_szCopyLabel,
                     sizeof g_szCopyLabel);
}

void CPrintDlg::RunEnhancementPasses() {
  ApplyContrastCurve();
  SetProgress(75);
  ApplySaturation();
  SetProgress(80);
  ApplyHueCorrection();
  SetProgress(85);
  ConvertToHeadLevels();
  SetProgress(90);
  EnhanceEdges();
  SetProgress(95);
  LimitHeadPlanes();
  SetProgress(100);
}

void CPrintDlg::SetProgress(int pos) {
  if (m_pProgress != nullptr) m_pProgress->SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos));
}

void CPrintDlg::SetCaptionText(const char* text) { SetWindowText(text); }

// Caption: string `id` of the language module, with the copy label after it
// when asked for.
void CPrintDlg::SetCaptionString(UINT id, bool withLabel) {
  CString caption;
  caption.LoadString(id);
  if (withLabel) caption += g_szCopyLabel;
  SetCaptionText(caption);
}

// The first copy's preparation, up to a printer that is ready for pages.
// False when the job ended or stalled.
bool CPrintDlg::StartCopy() {
  SetProgress(0);
  SetCaptionString(IDS_CAPTION_PRINTER, false);
  if (BindLinkLibrary() == -1) {
    AfxMessageBox(IDS_NO_LINK_LIBRARY);
    NoteJobEnd(kExitFailed);
    g_bSendRunEnd = 0;
    OnOK();
    return false;
  }

  SetProgress(0);
  SetCaptionString(IDS_CAPTION_LOADING, true);
  SendStartSignals();
  g_pfnLPT_Reset();
  LoadMediaTable();
  BuildMediaToneTables();
  if (LoadPageImage(m_pPageFile, m_pProgress) == -1) {
    AfxMessageBox(IDS_PAGE_NOT_LOADED);
    NoteJobEnd(kExitFailed);
    g_bSendRunEnd = 0;
    OnOK();
    return false;
  }

  SetProgress(60);
  g_bPrinterFound = g_pfnInitPort(kSearchAllPorts) >= 1 ? 1 : 0;
  SetCaptionString(IDS_CAPTION_PRINTER, true);
  DelayMs(100);
  SetProgress(70);
  if (g_bPrinterFound == 0) {
    AfxMessageBox(IDS_PRINTER_NOT_FOUND);
    // A VYR_PORT that was not understood is the user's to mend: trying the
    // job again later would not find the printer either.
    NoteJobEnd(PortChoiceIsMalformed() ? kExitFailed : kExitPrinterNotFound);
    g_bSendRunEnd = 0;
    OnOK();
    return false;
  }

  g_dwJobStartTick = GetTickCount();
  DelayMs(200);
  g_pfnLPT_Reset();
  DelayMs(100);
  // Parameters that cannot be set stall the job: the timer stays stopped and
  // the OK button disabled until the user closes the dialog.
  if (SyncPrinterParameters() != 0) {
    NoteJobEnd(kExitPrinterAttention);
    return false;
  }
  DownloadTemperatureTable();
  if (WaitPrinterReady() != 0) {
    NoteJobEnd(kExitPrinterAttention);
    OnOK();
    return false;
  }
  return true;
}

// Every copy: the page start and the wait until the printer takes lines; the
// page passes run here once, inside the wait. False when the job ended.
bool CPrintDlg::WaitReadyAndStartPage() {
  SetCaptionString(IDS_CAPTION_READY_WAIT, true);
  for (;;) {
    DelayMs(300);
    SendStartPage();
    DelayMs(400);
    if (QueryPrinterStatus() == kStatusAbort) {
      AfxMessageBox(IDS_PRINTER_ABORT);
      NoteJobEnd(kExitPrinterAttention);
      OnOK();
      return false;
    }

    // The passes count against the wait: the printer warms up meanwhile.
    uint32_t start = GetTickCount();
    if (m_bPassesDone == 0) {
      RunEnhancementPasses();
      m_bPassesDone = 1;
    }
    uint32_t now = GetTickCount();
    bool retry = false;
    // A close request ends the wait as if its time had run out.
    while (now - start < kReadyWaitMs && !AfxIsCloseRequested()) {
      now = GetTickCount();
      int32_t status = QueryPrinterStatus();
      if (status == kStatusReady) break;
      if (status == kStatusAbort) {
        NoteJobEnd(kExitPrinterAttention);
        OnOK();
        return false;
      }
      if (status == kStatusRetry) {
        DelayMs(500);
        retry = true;
        break;
      }
    }
    if (!retry) return true;
  }
}

// After a copy's last line (or its failure): the next copy, or the end.
void CPrintDlg::FinishCopy() {
  ++m_nCopiesDone;
  if (m_nCopiesDone >= m_nCopies) {
    NoteJobEnd(kExitPrinted);
    OnOK();
    return;
  }
  // An abort (the operator's No to a fault, or a fault that ends the job)
  // gives up at once, as a printer that never gets ready does: asking the
  // same question up to 400 times would ignore the answer. A Yes (retry) or
  // a busy printer keeps polling.
  bool ready = false;
  // A close request ends the wait as if the polls had run out.
  for (int poll = 0; poll < kCopyGapPolls && !AfxIsCloseRequested(); ++poll) {
    DelayMs(kCopyGapPollMs);
    const int32_t status = QueryPrinterStatus();
    if (status == kStatusReady) ready = true;
    if (status == kStatusReady || status == kStatusAbort) break;
  }
  if (!ready) {
    AfxMessageBox(IDS_PRINTER_NOT_FOUND);
    NoteJobEnd(kExitPrinterAttention);
    g_bSendRunEnd = 0;
    OnOK();
    return;
  }
  if (m_pPercentText != nullptr) m_pPercentText->SetWindowText("0%");
  SetProgress(0);
  FormatCopyLabel();
  char caption[sizeof m_szCaption + sizeof g_szCopyLabel];
  std::snprintf(caption, sizeof caption, "%s%s", m_szCaption, g_szCopyLabel);
  SetCaptionText(caption);
  g_nLine = 0;
  m_bCopyStarted = 0;
  SetTimer(kJobTimerId, kJobTimerPeriodMs);
}

void CPrintDlg::OnTimer(UINT_PTR) {
  FormatCopyLabel();
  CWnd* okButton = GetDlgItem(IDOK);

  if (m_bCopyStarted == 0) {
    KillTimer(kJobTimerId);
    AfxReportCopy(m_nCopiesDone + 1, m_nCopies);
    if (okButton != nullptr) okButton->EnableWindow(FALSE);
    if (m_nCopiesDone == 0 && !StartCopy()) return;
    if (!WaitReadyAndStartPage()) return;

    char caption[sizeof m_szCaption + sizeof g_szCopyLabel];
    std::snprintf(caption, sizeof caption, "%s%s", m_szCaption, g_szCopyLabel);
    SetCaptionText(caption);
    if (okButton != nullptr) okButton->EnableWindow(TRUE);
    m_bCopyStarted = 1;
  }

  KillTimer(kJobTimerId);
  const int32_t sent = SendNextLine();
  if (sent == 1) {
    SetTimer(kJobTimerId, kJobTimerPeriodMs);
    return;
  }
  // The copy ended short: a fault or a failed transfer.
  if (sent != 2) NoteJobEnd(kExitPrinterAttention);
  FinishCopy();
}
