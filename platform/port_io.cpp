// The port layer: one installed back end behind PortRead and PortWrite,
// chosen from VYR_PORT at first use and closed at process exit so that a back
// end's files (the virtual printer's transcript and pictures) are complete.

#include "platform/port_io.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/port_ieee1284.h"
#include "vprinter/virtual_printer.h"

namespace {

uint8_t EmptyRead(void*, uint16_t) { return 0xFF; }
void EmptyWrite(void*, uint16_t, uint8_t) {}
bool EmptyIsPortBase(void*, uint16_t) { return false; }

const PortBackend* g_backend = nullptr;
bool g_exitHookSet = false;

// The virtual printer chosen by VYR_PORT belongs to the port layer: closing
// its back end destroys it, which writes its pending files.
VirtualPrinter* g_ownedPrinter = nullptr;
PortBackend g_ownedPrinterBackend;

void CloseOwnedPrinter(void* ctx) {
  VirtualPrinter* vp = static_cast<VirtualPrinter*>(ctx);
  if (vp == g_ownedPrinter) g_ownedPrinter = nullptr;
  VirtualPrinterDestroy(vp);
}

void CloseAtExit() {
  const PortBackend* closing = g_backend;
  g_backend = &kEmptyPortBackend;
  if (closing && closing->close) closing->close(closing->ctx);
}

void SetExitHook() {
  if (!g_exitHookSet) {
    g_exitHookSet = true;
    std::atexit(CloseAtExit);
  }
}

const PortBackend* ChooseFromEnvironment() {
  const char* env = std::getenv("VYR_PORT");
  std::string choice = env ? env : "";
  if (choice.empty() || choice == "ieee1284") return PortIeee1284Backend();
  if (choice == "virtual" || choice.rfind("virtual:", 0) == 0) {
    const char* options = choice.size() > 7 ? choice.c_str() + 8 : "";
    std::string error;
    VirtualPrinter* vp = VirtualPrinterCreate(options, &error);
    if (!vp) {
      std::fprintf(stderr, "vyr: VYR_PORT=%s: %s; no printer port is available\n", choice.c_str(),
                   error.c_str());
      return &kEmptyPortBackend;
    }
    g_ownedPrinter = vp;
    g_ownedPrinterBackend = *VirtualPrinterBackend(vp);
    g_ownedPrinterBackend.close = CloseOwnedPrinter;
    g_ownedPrinterBackend.ctx = vp;
    return &g_ownedPrinterBackend;
  }
  std::fprintf(stderr,
               "vyr: VYR_PORT=%s is not understood (use ieee1284 or virtual[:options]); "
               "no printer port is available\n",
               choice.c_str());
  return &kEmptyPortBackend;
}

}  // namespace

const PortBackend kEmptyPortBackend = {
    .name = "empty",
    .read = EmptyRead,
    .write = EmptyWrite,
    .is_port_base = EmptyIsPortBase,
    .close = nullptr,
    .ctx = nullptr,
};

const PortBackend* PortCurrentBackend() {
  if (!g_backend) {
    g_backend = ChooseFromEnvironment();
    SetExitHook();
  }
  return g_backend;
}

void PortInstallBackend(const PortBackend* backend) {
  const PortBackend* old = g_backend;
  g_backend = backend ? backend : &kEmptyPortBackend;
  SetExitHook();
  if (old && old != g_backend && old->close) old->close(old->ctx);
}

uint8_t PortRead(uint16_t addr) {
  const PortBackend* b = PortCurrentBackend();
  return b->read(b->ctx, addr);
}

void PortWrite(uint16_t addr, uint8_t value) {
  const PortBackend* b = PortCurrentBackend();
  b->write(b->ctx, addr, value);
}

bool PortIsParallelBase(uint16_t base) {
  const PortBackend* b = PortCurrentBackend();
  return b->is_port_base(b->ctx, base);
}
