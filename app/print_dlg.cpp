#include "app/print_dlg.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/exit_status.h"
#include "framework/winapp.h"
#include "imaging/page_buffers.h"
#include "platform/paths.h"
#include "printer/printer_commands.h"

CPrintDlg::CPrintDlg(CWnd* parent)
    : CDialog(IDD_PRINT_DIALOG, parent),
      m_pProgress(nullptr),
      m_pPercentText(nullptr),
      m_pElapsedText(nullptr),
      m_nCopies(0),
      m_nPageFiles(0),
      m_nCopiesDone(0),
      m_pPageFile(nullptr),
      m_szCaption{},
      m_hIcon(nullptr),
      m_bPassesDone(0),
      m_bCopyStarted(0) {
  CWinApp* app = AfxGetApp();
  if (app != nullptr) m_hIcon = app->LoadIcon(IDR_MAINFRAME);
}

BOOL CPrintDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  GetWindowText(m_szCaption, sizeof m_szCaption);

  char path[256 + 16] = "c:\\abx.1";
  if (g_bTestPrint) {
    GetSystemDirectoryA(path, 256);
    std::strcat(path, "\\vyrtest.bmp");
  }
  m_pPageFile = OpenWindowsFile(path, "rb");
  // The loader says 2018 when it comes to the page; where it was looked for
  // is said now.
  if (m_pPageFile == nullptr) ReportMissingWindowsFile(path);

  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

  m_pProgress = GetDlgItem(IDC_PROGRESS);
  if (m_pProgress != nullptr) {
    m_pProgress->SendMessage(PBM_SETRANGE, 0, static_cast<LPARAM>(100) << 16);
    m_pProgress->SendMessage(PBM_SETPOS, 0);
  }
  m_pPercentText = GetDlgItem(IDC_PERCENT_TEXT);
  if (m_pPercentText != nullptr) m_pPercentText->SetWindowText("0%");
  m_pElapsedText = GetDlgItem(IDC_ELAPSED_TEXT);
  if (m_pElapsedText != nullptr) m_pElapsedText->SetWindowText("00: 00: 00");

  m_nCopiesDone = 0;
  SetTimer(kJobTimerId, kJobTimerPeriodMs);
  return TRUE;
}

void CPrintDlg::OnOK() { CDialog::OnOK(); }

void CPrintDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  // Minimised: the icon centred in the client area.
  int iconWidth = GetSystemMetrics(SM_CXICON);
  int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT rect;
  GetClientRect(&rect);
  int x = (rect.right - rect.left - iconWidth + 1) / 2;
  int y = (rect.bottom - rect.top - iconHeight + 1) / 2;
  DrawIcon(x, y, m_hIcon);
}

HICON CPrintDlg::OnQueryDragIcon() { return m_hIcon; }

void CPrintDlg::OnClose() {
  NoteJobEnd(kExitCancelled);
  CDialog::OnClose();
}

// OnOK is also how the job ends the dialog itself, after noting how it ended;
// only the button pressed by the user is a cancel (a job already ended keeps
// its own note).
BOOL CPrintDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if ((wParam & 0xFFFFu) == IDOK) NoteJobEnd(kExitCancelled);
  return CDialog::OnCommand(wParam, lParam);
}

void CPrintDlg::OnDestroy() {
  CDialog::OnDestroy();
  // A dialog closed before the job bound the link library has nothing to end.
  if (g_bSendRunEnd == 1 && g_hLinkLibrary != nullptr) SendRunEnd();
  UnbindLinkLibrary();
  if (m_pPageFile != nullptr) {
    std::fclose(m_pPageFile);
    m_pPageFile = nullptr;
  }
  for (int32_t i = 1; i <= m_nPageFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "c:\\abx.%d", i);
    // A page that is not there is fine; one that stays behind shows no
    // message box, but whoever runs the program learns of it on stderr.
    if (DeleteWindowsFile(name) != 0 && errno != ENOENT) {
      const int error = errno;
      std::fprintf(stderr, "vyr: cannot delete spooled page %s: %s\n", MapWindowsPath(name).c_str(),
                   std::strerror(error));
    }
  }
  SendExitSignals();
}
