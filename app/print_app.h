// The application object: start-up from the command line, the choice of the
// language module, the settings, and the progress dialog that runs the job.
#pragma once

#include <cstdint>

#include "framework/winapp.h"
#include "platform/module.h"

class CPrintApp : public CWinApp {
 public:
  CPrintApp();
  // The whole run: command line, language, settings, dialog. Always FALSE,
  // so the program ends when the dialog has ended.
  BOOL InitInstance() override;
  // How the job ended (exit_status.h).
  int ExitInstance() override;
};

// Reads the command line "<page files> <copies> [anything]": each number is
// kept as at most two digits (further digits are dropped), the first
// defaults to 1 and the second to 0, only blanks (0x20) separate, and
// anything after the two numbers turns on test-print mode (g_bTestPrint).
void ScanCommandLine(const char* cmdLine, int32_t* pageFiles, int32_t* copies);

// Switches the C runtime locale to the user's default and returns the user's
// locale name in the form language_country.codepage with an English language
// name ("German_DE.UTF-8"). The first of LC_ALL, LC_MESSAGES and LANG that is
// set decides: nl Dutch, de German, es Spanish, fr French, it Italian; any
// other name is returned as it stands and so means English.
const char* SwitchToUserLocale();

// Loads the language module for a locale name (the table of prefixes
// "Dutch", "German", "Spanish", "French", "Italian"), falling back to
// "vyr_eng.dll"; nullptr when even that cannot be loaded.
HMODULE LoadLanguageModule(const char* localeName);
