// The application framework the engine is written against, first part: the
// resource module switch, strings by number, message boxes by number and the
// windows of a dialog (caption and items). Everything the user sees goes
// through the UI back end (ui_backend.h).
#pragma once

#include <string>

#include "platform/module.h"
#include "platform/win_types.h"

// ---- Resources -------------------------------------------------------------

// Message-box styles and answers (the values of the original framework).
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_YESNO = 0x0004;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Window messages the engine sends to its dialog items.
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_USER = 0x0400;
constexpr UINT PBM_SETRANGE = WM_USER + 1;  // lParam: low word min, high word max
constexpr UINT PBM_SETPOS = WM_USER + 2;    // wParam: the new position
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

// The module in which strings, dialog templates and icons are looked up.
// Null (the start) means the program's own module, whose resources the program
// registers with AfxSetProgramResources.
void AfxSetResourceHandle(HMODULE module);
HMODULE AfxGetResourceHandle();

// ---- Strings ---------------------------------------------------------------

class CString {
 public:
  CString() = default;
  CString(const char* text) : m_text(text ? text : "") {}
  // Loads string `id` of the current resource module; FALSE (and an empty
  // string) when the module has no such string.
  BOOL LoadString(UINT id);
  const char* GetString() const { return m_text.c_str(); }
  operator const char*() const { return m_text.c_str(); }
  int GetLength() const { return static_cast<int>(m_text.size()); }
  CString& operator+=(const char* text) {
    m_text += text;
    return *this;
  }

 private:
  std::string m_text;
};

// Shows string `idPrompt` of the current resource module in a message box with
// the buttons of `type` (MB_OK or MB_YESNO); the help context is `idHelp`
// (the number itself when left at its default). Returns IDOK, IDYES or IDNO.
int AfxMessageBox(UINT idPrompt, UINT type = MB_OK, UINT idHelp = static_cast<UINT>(-1));

// ---- The job's progress -----------------------------------------------------

// For programs that run the engine (the record and stdio streams): copy
// `copy` of `copies` begins; the printer has taken `line` of a copy's `lines`
// lines; copy `copy` of `copies` reached the printer.
void AfxReportCopy(int copy, int copies);
void AfxReportLines(int line, int lines);
void AfxReportPrinted(int copy, int copies);

// ---- Windows ---------------------------------------------------------------

using HICON = const void*;

// A window of the dialog: the dialog itself (id 0: its text is the caption) or
// one of its items (progress bar, static text, button). What is set on it goes
// to the UI back end.
class CWnd {
 public:
  explicit CWnd(int id = 0) : m_nID(id) {}
  virtual ~CWnd() = default;

  void SetWindowText(const char* text);
  // Copies at most max - 1 characters and a terminating zero; returns the length.
  int GetWindowText(char* buf, int max) const;
  BOOL EnableWindow(BOOL enable);
  BOOL IsWindowEnabled() const { return m_bEnabled; }
  // PBM_SETRANGE and PBM_SETPOS on a progress bar; other messages are
  // accepted and ignored. A window that handles more (the dialog: WM_SETICON)
  // overrides it, so a message sent through a CWnd pointer reaches it too.
  virtual LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  int GetDlgCtrlID() const { return m_nID; }
  int GetPos() const { return m_nPos; }

 protected:
  int m_nID;
  std::string m_text;
  BOOL m_bEnabled = TRUE;
  int m_nPos = 0;
  int m_nRangeMin = 0;
  int m_nRangeMax = 100;
};
