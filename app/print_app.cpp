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
#include "settings/settings.h"

namespace {

struct LanguageRow {
  const char* prefix;   // beginning of the locale name
  const char* library;  // language module
};

const LanguageRow kLanguages[] = {
    {"Dutch", "vyr_dut.dll"},   {"German", "vyr_ger.dll"},  {"Spanish", "vyr_spa.dll"},
    {"French", "vyr_fre.dll"},  {"Italian", "vyr_ita.dll"},
};

// Language codes of Linux locale names and the English language names the
// engine's locale tests are written in.
struct LocaleLanguage {
  const char* code;
  const char* name;
};

const LocaleLanguage kLocaleLanguages[] = {
    {"nl", "Dutch"}, {"de", "German"}, {"es", "Spanish"}, {"fr", "French"}, {"it", "Italian"},
};

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
  for (const LocaleLanguage& language : kLocaleLanguages) {
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
  for (const LanguageRow& row : kLanguages) {
    if (std::strncmp(localeName, row.prefix, std::strlen(row.prefix)) == 0) {
      module = LoadLibraryA(row.library);
    }
  }
  if (module == nullptr) module = LoadLibraryA("vyr_eng.dll");
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
