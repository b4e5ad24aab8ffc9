// The application framework, second part: the modal dialog. A dialog is made
// from a template of the current resource module (its caption and items), runs
// its own message loop that serves timers on the platform clock and the close
// box of the UI back end, and is destroyed when the loop ends.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/afx.h"

struct UiBackend;

using UINT_PTR = uintptr_t;
using INT_PTR = intptr_t;

// System metrics the engine asks for: the size of a big icon, in pixels.
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
int GetSystemMetrics(int index);

struct RECT {
  LONG left, top, right, bottom;
};

// True when SIGINT or SIGTERM has asked to close the running dialog and the
// dialog has not taken the request yet (it does between timer ticks). The
// engine's long waits for the printer look at this at every poll and end as
// if their time had run out, so a close takes effect in a moment, not after
// minutes. Looking does not take the request.
bool AfxIsCloseRequested();

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT idTemplate, CWnd* parent = nullptr);
  ~CDialog() override;

  // Creates the dialog from template `idTemplate` of the current resource
  // module and runs it until EndDialog. Returns the value given to EndDialog,
  // or -1 at once when the module has no such template.
  virtual INT_PTR DoModal();

  // Called once the items exist; TRUE lets the framework set the focus.
  virtual BOOL OnInitDialog();
  virtual void OnOK();      // ends the dialog with IDOK
  virtual void OnCancel();  // ends the dialog with IDCANCEL
  // The close box (SIGINT or SIGTERM with any back end): cancels the dialog.
  virtual void OnClose();
  // A button the user pressed (its item id in wParam): IDOK goes to OnOK,
  // IDCANCEL to OnCancel. TRUE when the command was handled.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  // The dialog is going away; its items still exist.
  virtual void OnDestroy();
  virtual void OnTimer(UINT_PTR idEvent);
  // Painting: the back end shows the dialog itself, so the default paints
  // nothing. Called once after OnInitDialog.
  virtual void OnPaint();
  // The picture to show while the minimised dialog is dragged.
  virtual HICON OnQueryDragIcon();

  // Ends the modal loop with `result` and tells the back end (end ok|cancel).
  // A second call is ignored.
  void EndDialog(int result);

  // Item `id` of the template (1001, 1002, 1003, 1 ...), or nullptr when the
  // template has none or the dialog is not running.
  CWnd* GetDlgItem(int id);

  // Starts (or restarts) timer `idEvent`, firing every `elapse` milliseconds
  // of the platform clock. Returns idEvent, or 0 when elapse is 0.
  UINT_PTR SetTimer(UINT_PTR idEvent, UINT elapse, void* unused = nullptr);
  BOOL KillTimer(UINT_PTR idEvent);
  // True while timer `idEvent` runs (tests and the loop's own checks).
  bool IsTimerRunning(UINT_PTR idEvent) const;

  // A minimised dialog paints its icon itself. The back ends never minimise,
  // so this stays FALSE unless a test says otherwise.
  BOOL IsIconic() const { return m_bIconic; }
  void SetIconic(BOOL iconic) { m_bIconic = iconic; }
  // The client area in pixels, from the template's size in dialog units.
  void GetClientRect(RECT* rect) const;
  // Records where an icon was drawn (there is no screen to draw on).
  void DrawIcon(int x, int y, HICON icon);
  int GetLastIconX() const { return m_nIconX; }
  int GetLastIconY() const { return m_nIconY; }
  HICON GetIcon(BOOL big) const { return big ? m_hBigIcon : m_hSmallIcon; }

  bool IsRunning() const { return m_bRunning; }
  UINT GetTemplateID() const { return m_nIDTemplate; }

 protected:
  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 private:
  struct Timer {
    UINT_PTR id;
    uint32_t period;
    uint32_t due;
  };
  void RunModalLoop();
  bool FireDueTimer(const UiBackend* ui);

  std::vector<std::unique_ptr<CWnd>> m_items;
  std::vector<Timer> m_timers;
  int m_nClientWidth = 0;
  int m_nClientHeight = 0;
  int m_nResult = IDCANCEL;
  bool m_bRunning = false;
  bool m_bEnded = false;
  BOOL m_bIconic = FALSE;
  HICON m_hBigIcon = nullptr;
  HICON m_hSmallIcon = nullptr;
  int m_nIconX = -1;
  int m_nIconY = -1;

 public:
  // WM_SETICON: the dialog keeps the icons so that tests and OnPaint can see
  // them; everything else as any window.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) override;
};
