// Binding the link library at run time: the program never links lptgate; it
// loads it by name when a job starts and reaches it only through the five
// export pointers below.

#include "base/resource_ids.h"
#include "framework/afx.h"
#include "printer/printer_commands.h"

HMODULE g_hLinkLibrary = nullptr;
GetDLLversionFn g_pfnGetDLLversion = nullptr;
Command_setFn g_pfnCommand_set = nullptr;
Is_ReadyFn g_pfnIs_Ready = nullptr;
LPT_ResetFn g_pfnLPT_Reset = nullptr;
InitPortFn g_pfnInitPort = nullptr;

uint8_t g_commandBlock[kCommandHeaderBytes + kCommandDataBytes];

namespace {

// Resolves one export into its pointer; false (after the export's own
// message) when the library does not have it.
template <typename Fn>
bool ResolveExport(const char* name, Fn& pointer, UINT missingMessage) {
  FARPROC found = GetProcAddress(g_hLinkLibrary, name);
  if (found == nullptr) {
    AfxMessageBox(missingMessage);
    return false;
  }
  pointer = reinterpret_cast<Fn>(found);
  return true;
}

}  // namespace

int32_t BindLinkLibrary() {
  g_hLinkLibrary = LoadLibraryA("lptgate.dll");
  if (g_hLinkLibrary == nullptr) {
    AfxMessageBox(IDS_LINK_NOT_LOADED);
    return -1;
  }
  // In this order, stopping at the first one missing; a library that loaded
  // stays loaded until the dialog goes away.
  if (!ResolveExport("GetDLLversion", g_pfnGetDLLversion, IDS_NO_GETDLLVERSION) ||
      !ResolveExport("Command_set", g_pfnCommand_set, IDS_NO_COMMAND_SET) ||
      !ResolveExport("Is_Ready", g_pfnIs_Ready, IDS_NO_IS_READY) ||
      !ResolveExport("LPT_Reset", g_pfnLPT_Reset, IDS_NO_LPT_RESET) ||
      !ResolveExport("InitPort", g_pfnInitPort, IDS_NO_INITPORT)) {
    return -1;
  }
  return 1;
}

// Runs once, while the dialog is destroyed. The handle and the pointers keep
// their values: nothing calls through them afterwards.
void UnbindLinkLibrary() {
  if (g_hLinkLibrary != nullptr) {
    FreeLibrary(g_hLinkLibrary);
  }
}
