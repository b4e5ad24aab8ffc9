#include "framework/winapp.h"

#include "framework/resources.h"

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp(const char* appName) : m_lpCmdLine(""), m_pMainWnd(nullptr), m_pszAppName(appName) {
  g_pApp = this;
}

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

HICON CWinApp::LoadIcon(UINT id) const { return AfxFindIcon(id); }

CWinApp* AfxGetApp() { return g_pApp; }

int RunApplication(int argc, char** argv, CWinApp& app) {
  app.m_cmdLine.clear();
  for (int i = 1; i < argc; ++i) {
    if (i > 1) app.m_cmdLine += ' ';
    app.m_cmdLine += argv[i];
  }
  app.m_lpCmdLine = app.m_cmdLine.c_str();
  // A dialog-based program does its work inside InitInstance and leaves no
  // message loop behind, whatever it returns.
  app.InitInstance();
  app.m_pMainWnd = nullptr;
  return app.ExitInstance();
}
