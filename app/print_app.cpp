#include "app/print_app.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/exit_status.h"
#include "app/print_dlg.h"
#include "app/program_resources.h"
#include "framework/resources.h"
#include "imaging/page_buffers.h"
#include "langres/languages.h"
#include "settings/settings.h"

namespace {

// Scans one number of the command line into `digits` (at most two kept).
void ScanNumber(const char* cmdLine, size_t* pos, char digits[3]) {
  size_t stored = 0;
  while (cmdLine[*pos] >= '0' && cmdLine[*pos] <= '9') {
    if (stored < 2) {
      digits[stored++] = cmdLine[*pos];
      digits[stored] = '\0';
    }
    ++*pos;
  }
}

void SkipBlanks(const char* cmdLine, size_t* pos) {
  while (cmdLine[*pos] == ' ') ++*pos;
}

}  // namespace

void ScanCommandLine(const char* cmdLine, int32_t* pageFiles, int32_t* copies) {
  char first[3] = "1";
  char second[3] = "0";
  if (cmdLine != nullptr && cmdLine[0] != '\0') {
    size_t pos = 0;
    SkipBlanks(cmdLine, &pos);
    ScanNumber(cmdLine, &pos, first);
    SkipBlanks(cmdLine, &pos);
    ScanNumber(cmdLine, &pos, second);
    SkipBlanks(cmdLine, &pos);
    if (cmdLine[pos] != '\0') g_bTestPrint = 1;
  }
  *pageFiles = std::atoi(first);
  *copies = std::atoi(second);
}

const char* SwitchToUserLocale() {
  static char name[128];
  std::setlocale(LC_ALL, "");

  const char* value = nullptr;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(variable);
    if (v != nullptr && v[0] != '\0') {
      value = v;
      break;
    }
  }
  if (value == nullptr) value = "C";

  // "de_DE.UTF-8" -> code "de", rest "_DE.UTF-8".
  size_t codeLength = std::strcspn(value, "_.@");
  for (const Language& language : kLanguages) {
    if (codeLength == std::strlen(language.code) &&
        std::strncmp(value, language.code, codeLength) == 0) {
      std::snprintf(name, sizeof name, "%s%s", language.name, value + codeLength);
      return name;
    }
  }
  std::snprintf(name, sizeof name, "%s", value);
  return name;
}

HMODULE LoadLanguageModule(const char* localeName) {
  HMODULE module = nullptr;
  for (const Language& language : kLanguages) {
    if (std::strncmp(localeName, language.name, std::strlen(language.name)) == 0) {
      module = LoadLibraryA(language.module);
    }
  }
  if (module == nullptr) module = LoadLibraryA(kEnglish.module);
  return module;
}

CPrintApp::CPrintApp() : CWinApp(nullptr) {}

BOOL CPrintApp::InitInstance() {
  // The program's own module holds the icon, whatever language module loads.
  AfxSetProgramResources(ProgramResources());

  int32_t pageFiles = 1;
  int32_t copies = 0;
  ScanCommandLine(m_lpCmdLine, &pageFiles, &copies);

  // The language module stays loaded until the process ends.
  HMODULE language = LoadLanguageModule(SwitchToUserLocale());
  if (language != nullptr) AfxSetResourceHandle(language);

  LoadSettings();

  CPrintDlg dlg;
  dlg.m_nCopies = copies == 0 ? 1 : copies;
  dlg.m_nPageFiles = pageFiles;
  m_pMainWnd = &dlg;
  if (dlg.DoModal() == -1) {
    // The dialog cannot be shown without a language module. The dialog has
    // no way to say so; standard error does.
    std::fprintf(stderr, "vyr: no language module could be loaded (vyr_eng.so); nothing was printed\n");
  }
  m_pMainWnd = nullptr;
  return FALSE;
}

int CPrintApp::ExitInstance() { return JobExitStatus(); }
