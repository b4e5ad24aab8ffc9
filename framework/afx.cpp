// Strings and message boxes by number, and the windows of a dialog. What is
// set on a window is kept here (so the engine can read it back) and shown
// through the UI back end.
#include "framework/afx.h"

#include <string>

#include "framework/resources.h"
#include "framework/ui_backend.h"

BOOL CString::LoadString(UINT id) {
  const char* text = AfxFindString(id);
  m_text = text ? text : "";
  return text ? TRUE : FALSE;
}

int AfxMessageBox(UINT idPrompt, UINT type, UINT idHelp) {
  // The help context (the number itself by default) has no help system to go
  // to here; the number goes to the back end with the text.
  (void)idHelp;
  const char* text = AfxFindString(idPrompt);
  std::string fallback;
  if (!text) {
    // A module without this string still tells the user which message it was.
    fallback = "message " + std::to_string(idPrompt);
    text = fallback.c_str();
  }
  bool yesno = (type & 0x000F) == MB_YESNO;
  const UiBackend* ui = UiCurrent();
  bool yes = ui && ui->message ? ui->message(ui->ctx, idPrompt, text, yesno) : !yesno;
  if (!yesno) return IDOK;
  return yes ? IDYES : IDNO;
}

namespace {

void ReportJobEvent(DialogEventKind kind, int value, int count) {
  const UiBackend* ui = UiCurrent();
  if (!ui || !ui->job_event) return;
  DialogEvent event;
  event.kind = kind;
  event.value = value;
  event.count = count;
  ui->job_event(ui->ctx, event);
}

}  // namespace

void AfxReportCopy(int copy, int copies) { ReportJobEvent(DialogEventKind::kCopy, copy, copies); }
void AfxReportLines(int line, int lines) { ReportJobEvent(DialogEventKind::kLine, line, lines); }
void AfxReportPrinted(int copy, int copies) {
  ReportJobEvent(DialogEventKind::kPrinted, copy, copies);
}

void CWnd::SetWindowText(const char* text) {
  m_text = text ? text : "";
  const UiBackend* ui = UiCurrent();
  if (!ui) return;
  if (m_nID == 0) {
    if (ui->caption) ui->caption(ui->ctx, m_text.c_str());
  } else if (ui->item_text) {
    ui->item_text(ui->ctx, m_nID, m_text.c_str());
  }
}

int CWnd::GetWindowText(char* buf, int max) const {
  if (!buf || max <= 0) return 0;
  int n = static_cast<int>(m_text.size());
  if (n > max - 1) n = max - 1;
  m_text.copy(buf, static_cast<size_t>(n));
  buf[n] = '\0';
  return n;
}

BOOL CWnd::EnableWindow(BOOL enable) {
  // Like the original: non-zero when the window was disabled before.
  BOOL wasDisabled = m_bEnabled ? FALSE : TRUE;
  m_bEnabled = enable ? TRUE : FALSE;
  const UiBackend* ui = UiCurrent();
  if (ui && ui->item_enable) ui->item_enable(ui->ctx, m_nID, m_bEnabled != FALSE);
  return wasDisabled;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case PBM_SETRANGE: {
      // Low word the minimum, high word the maximum; the previous range comes
      // back in the same form.
      LRESULT previous = static_cast<LRESULT>((static_cast<uint32_t>(m_nRangeMin) & 0xFFFFu) |
                                              ((static_cast<uint32_t>(m_nRangeMax) & 0xFFFFu) << 16));
      auto bits = static_cast<uint32_t>(lParam);
      // Both ends are unsigned 16-bit values.
      m_nRangeMin = static_cast<int>(bits & 0xFFFFu);
      m_nRangeMax = static_cast<int>((bits >> 16) & 0xFFFFu);
      const UiBackend* ui = UiCurrent();
      if (ui && ui->progress_range) ui->progress_range(ui->ctx, m_nID, m_nRangeMin, m_nRangeMax);
      return previous;
    }
    case PBM_SETPOS: {
      int previous = m_nPos;
      int pos = static_cast<int>(static_cast<intptr_t>(wParam));
      // A progress bar never shows a position outside its range.
      if (m_nRangeMin <= m_nRangeMax) {
        if (pos < m_nRangeMin) pos = m_nRangeMin;
        if (pos > m_nRangeMax) pos = m_nRangeMax;
      }
      m_nPos = pos;
      const UiBackend* ui = UiCurrent();
      if (ui && ui->progress) ui->progress(ui->ctx, m_nID, m_nPos);
      return previous;
    }
    case WM_SETICON:
      // The icon is part of the window back end's picture; nothing to keep.
      return 0;
    default:
      return 0;
  }
}
