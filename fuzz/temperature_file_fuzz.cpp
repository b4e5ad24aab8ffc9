// The head temperature file tempera.tur, read, turned into the three
// temperature tables and sent to the virtual printer.
#include <cstring>

#include "fuzz_support.h"
#include "lptgate/lptgate.h"
#include "platform/port_io.h"
#include "printer/printer_commands.h"
#include "vprinter/virtual_printer.h"

namespace {

// The link library compiled in, bound as the program binds it, in front of
// a printer that answers every block.
VirtualPrinter* Printer() {
  static VirtualPrinter* printer = [] {
    fuzz::TheDisk();
    VirtualPrinter* vp = VirtualPrinterCreate("busy_reads=0");
    PortInstallBackend(VirtualPrinterBackend(vp));
    g_pfnCommand_set = Command_set;
    g_pfnIs_Ready = Is_Ready;
    g_pfnLPT_Reset = LPT_Reset;
    g_pfnInitPort = InitPort;
    g_pfnGetDLLversion = GetDLLversion;
    if (InitPort(3) != 3) fuzz::Fail("virtual printer not found");
    return vp;
  }();
  return printer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VirtualPrinter* vp = Printer();
  fuzz::TheDisk().Write("windows/system/tempera.tur", data, size);
  DownloadTemperatureTable();
  // What reached the printer is what was built.
  const std::vector<uint8_t>& sent = VirtualPrinterTemperatureTable(vp);
  if (sent.size() != sizeof g_temperatureTables ||
      std::memcmp(sent.data(), g_temperatureTables, sent.size()) != 0)
    fuzz::Fail("temperature table on the wire");
  return 0;
}
