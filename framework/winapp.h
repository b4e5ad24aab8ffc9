// The application framework, second part: the application object. Exactly one
// exists; the program's main hands it the command line and runs its
// InitInstance, which does the program's whole work (a dialog-based program
// has no message loop of its own).
#pragma once

#include <string>

#include "framework/afx.h"

class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();

  // Start-up; FALSE ends the program at once (as a dialog-based program does
  // once its dialog has ended).
  virtual BOOL InitInstance();
  // Called once InitInstance has returned; its result is the process's exit
  // status. The default is 0.
  virtual int ExitInstance();

  // Icon `id` of the current resource module, or nullptr.
  HICON LoadIcon(UINT id) const;

  // The program's arguments joined by single blanks ("" without arguments).
  const char* m_lpCmdLine;
  // The window standing for the program while it runs (the dialog).
  CWnd* m_pMainWnd;
  const char* m_pszAppName;

 private:
  friend int RunApplication(int argc, char** argv, CWinApp& app);
  std::string m_cmdLine;
};

// The one application object, or nullptr before it exists.
CWinApp* AfxGetApp();

// Entry used by main: sets m_lpCmdLine from argv[1..], runs InitInstance and
// returns the process exit status that ExitInstance gives.
int RunApplication(int argc, char** argv, CWinApp& app);
