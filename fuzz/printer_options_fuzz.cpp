// The virtual printer's option text, as VYR_PORT=virtual:... gives it. An
// out= option would have the printer write files wherever the input says, so
// inputs that ask for one are passed over.
#include <string>

#include "fuzz_support.h"
#include "platform/port_io.h"
#include "vprinter/virtual_printer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::TheDisk();
  const std::string options(reinterpret_cast<const char*>(data), size);
  if (options.find("out") != std::string::npos) return -1;
  std::string error;
  VirtualPrinter* vp = VirtualPrinterCreate(options.c_str(), &error);
  if (vp == nullptr) {
    if (error.empty()) fuzz::Fail("refused without a reason");
    return 0;
  }
  // A printer that was made answers its status register.
  const PortBackend backend = VirtualPrinterBackend(vp);
  for (uint16_t base : kParallelPortBases)
    if (backend.ops->is_port_base(backend.ctx, base)) backend.ops->read(backend.ctx, uint16_t(base + 1));
  VirtualPrinterDestroy(vp);
  return 0;
}
