#include "framework/dialog.h"

#include <chrono>
#include <thread>

#include "framework/resources.h"
#include "framework/ui_backend.h"
#include "platform/clock.h"
#include "platform/console.h"

namespace {

// An item of a running dialog. It starts with its template text without
// telling the back end: the back end learns the items' texts as the program
// sets them.
class CDialogItem : public CWnd {
 public:
  CDialogItem(int id, const char* text) : CWnd(id) { m_text = text ? text : ""; }
};

// The longest the loop sleeps at once while it waits for a timer, so that the
// close box is noticed promptly on the real clock.
constexpr uint32_t kCloseBoxPollMs = 50;

// A big icon, in pixels.
constexpr int kIconSize = 32;

// Dialog units to pixels for the standard dialog font: 6 x 13 pixels per
// average character, 4 horizontal and 8 vertical units per character.
int DialogUnitsToPixelsX(int units) { return units * 6 / 4; }
int DialogUnitsToPixelsY(int units) { return units * 13 / 8; }

bool DueBy(uint32_t due, uint32_t now) { return static_cast<int32_t>(due - now) <= 0; }

// Whether anyone is there to close a dialog that has nothing left to do: a
// back end with a close box of its own, or one that says a person is there.
// SIGINT and SIGTERM always close a dialog, but a program run by a spooler or
// another program should not hang until someone thinks of sending one.
bool UserCanClose(const UiBackend* ui) {
  if (ui->close_requested != nullptr) return true;
  return ui->person_can_close != nullptr && ui->person_can_close(ui->ctx);
}

// A close request: SIGINT or SIGTERM (whatever the back end), or the back
// end's own close box.
bool TakeCloseRequest(const UiBackend* ui) {
  if (ConsoleTakeInterrupt()) return true;
  return ui->close_requested != nullptr && ui->close_requested(ui->ctx);
}

}  // namespace

bool AfxIsCloseRequested() { return ConsoleInterruptPending(); }

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXICON:
    case SM_CYICON:
      return kIconSize;
    default:
      return 0;
  }
}

CDialog::CDialog(UINT idTemplate, CWnd* parent) : CWnd(0), m_nIDTemplate(idTemplate), m_pParentWnd(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
  const VyrDialogTemplate* dialogTemplate = AfxFindDialog(m_nIDTemplate);
  if (dialogTemplate == nullptr) return -1;

  m_items.clear();
  for (uint32_t i = 0; i < dialogTemplate->itemCount; ++i) {
    const VyrDialogItem& item = dialogTemplate->items[i];
    m_items.push_back(std::make_unique<CDialogItem>(static_cast<int>(item.id), item.text));
  }
  m_nClientWidth = DialogUnitsToPixelsX(dialogTemplate->cx);
  m_nClientHeight = DialogUnitsToPixelsY(dialogTemplate->cy);
  m_timers.clear();
  m_nResult = IDCANCEL;
  m_bEnded = false;
  m_bRunning = true;
  // While the dialog runs, SIGINT and SIGTERM are its close box.
  ConsoleCatchInterrupt();

  // A back end with a window lays it out from the template first.
  const UiBackend* ui = UiCurrent();
  if (ui->dialog_begin) ui->dialog_begin(ui->ctx, dialogTemplate);
  // The dialog appears with the caption of its template.
  SetWindowText(dialogTemplate->caption ? dialogTemplate->caption : "");
  OnInitDialog();
  if (!m_bEnded) OnPaint();
  RunModalLoop();

  // The window goes away: its timers stop, then the program cleans up while
  // the items still exist.
  m_timers.clear();
  OnDestroy();
  m_items.clear();
  m_bRunning = false;
  ConsoleReleaseInterrupt();
  return m_nResult;
}

void CDialog::RunModalLoop() {
  const UiBackend* ui = UiCurrent();
  while (!m_bEnded) {
    if (TakeCloseRequest(ui)) {
      OnClose();
      continue;
    }
    // A button of the window.
    if (int command = ui->take_command ? ui->take_command(ui->ctx) : 0) {
      OnCommand(static_cast<WPARAM>(command), 0);
      continue;
    }
    if (m_timers.empty()) {
      if (!UserCanClose(ui)) {
        // Nothing can ever happen again: no timer, and the back end has no
        // close box to report. End as if closed rather than wait for ever.
        OnClose();
        if (!m_bEnded) EndDialog(IDCANCEL);
        continue;
      }
      // Only the user can end the dialog now: wait for the close box.
      if (ui->wait) {
        ui->wait(ui->ctx, kCloseBoxPollMs);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(kCloseBoxPollMs));
      }
      continue;
    }
    FireDueTimer(ui);
  }
}

// Waits for the earliest timer and fires it; on the real clock a long wait is
// cut into slices so that the loop can look at the close box in between.
bool CDialog::FireDueTimer(const UiBackend* ui) {
  size_t next = 0;
  uint32_t now = ClockPeek();
  for (size_t i = 1; i < m_timers.size(); ++i) {
    if (static_cast<int32_t>(m_timers[i].due - m_timers[next].due) < 0) next = i;
  }
  uint32_t due = m_timers[next].due;
  const bool real = ClockCurrentKind() == ClockKind::Real;
  if (ui->wait) {
    // A window's own loop runs until the timer is due: on the real clock the
    // time left, on the virtual clock the timer's period in real time, so
    // that a person sees the job go by (the virtual clock then jumps to the
    // tick as with every back end, and the job's events stay the same).
    uint32_t ms = real ? (DueBy(due, now) ? 0 : due - now) : m_timers[next].period;
    if (ui->wait(ui->ctx, ms)) return false;
    if (real && !DueBy(due, ClockPeek())) return false;
    if (!real) ClockWaitUntil(due);
    now = ClockPeek();
  } else if (!DueBy(due, now)) {
    uint32_t slice = now + kCloseBoxPollMs;
    if (real && !DueBy(due, slice)) {
      ClockWaitUntil(slice);
      return false;
    }
    ClockWaitUntil(due);
    now = ClockPeek();
  }
  // The next tick counts from now, as a timer that fell behind does not
  // deliver the ticks it missed.
  UINT_PTR id = m_timers[next].id;
  m_timers[next].due = now + m_timers[next].period;
  OnTimer(id);
  return true;
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnClose() { OnCancel(); }

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
  switch (static_cast<int>(wParam & 0xFFFFu)) {
    case IDOK:
      OnOK();
      return TRUE;
    case IDCANCEL:
      OnCancel();
      return TRUE;
    default:
      return FALSE;
  }
}

void CDialog::OnDestroy() {}

void CDialog::OnTimer(UINT_PTR) {}

void CDialog::OnPaint() {}

HICON CDialog::OnQueryDragIcon() { return m_hBigIcon; }

void CDialog::EndDialog(int result) {
  if (m_bEnded || !m_bRunning) return;
  m_bEnded = true;
  m_nResult = result;
  const UiBackend* ui = UiCurrent();
  ui->dialog_end(ui->ctx, result == IDOK);
}

CWnd* CDialog::GetDlgItem(int id) {
  for (auto& item : m_items) {
    if (item->GetDlgCtrlID() == id) return item.get();
  }
  return nullptr;
}

UINT_PTR CDialog::SetTimer(UINT_PTR idEvent, UINT elapse, void*) {
  if (elapse == 0) return 0;
  uint32_t due = ClockPeek() + elapse;
  for (auto& timer : m_timers) {
    if (timer.id == idEvent) {
      timer.period = elapse;
      timer.due = due;
      return idEvent;
    }
  }
  m_timers.push_back(Timer{idEvent, elapse, due});
  return idEvent;
}

BOOL CDialog::KillTimer(UINT_PTR idEvent) {
  for (size_t i = 0; i < m_timers.size(); ++i) {
    if (m_timers[i].id == idEvent) {
      m_timers.erase(m_timers.begin() + static_cast<std::ptrdiff_t>(i));
      return TRUE;
    }
  }
  return FALSE;
}

bool CDialog::IsTimerRunning(UINT_PTR idEvent) const {
  for (const auto& timer : m_timers) {
    if (timer.id == idEvent) return true;
  }
  return false;
}

void CDialog::GetClientRect(RECT* rect) const {
  rect->left = 0;
  rect->top = 0;
  rect->right = m_nClientWidth;
  rect->bottom = m_nClientHeight;
}

void CDialog::DrawIcon(int x, int y, HICON) {
  m_nIconX = x;
  m_nIconY = y;
}

LRESULT CDialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETICON) {
    HICON icon = reinterpret_cast<HICON>(lParam);
    if (wParam == ICON_BIG) {
      m_hBigIcon = icon;
    } else {
      m_hSmallIcon = icon;
    }
    // An icon handle is the resource module's icon (see CWinApp::LoadIcon).
    const UiBackend* ui = UiCurrent();
    if (ui->window_icon && m_bRunning)
      ui->window_icon(ui->ctx, static_cast<const VyrIconResource*>(icon), wParam == ICON_BIG);
  }
  return CWnd::SendMessage(message, wParam, lParam);
}
