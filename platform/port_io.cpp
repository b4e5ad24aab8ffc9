// The port layer: one installed back end behind PortRead and PortWrite,
// chosen from VYR_PORT at first use and closed at process exit so that a back
// end's files (the virtual printer's transcript and pictures) are complete.
// Back ends other than the real ports register themselves by name from the
// layers above; this file knows none of them.

#include "platform/port_io.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/port_ieee1284.h"

namespace {

uint8_t EmptyRead(void*, uint16_t) { return 0xFF; }
void EmptyWrite(void*, uint16_t, uint8_t) {}
bool EmptyIsPortBase(void*, uint16_t) { return false; }

PortBackend g_backend;
bool g_chosen = false;
bool g_malformed = false;
int g_sessionDepth = 0;
bool g_exitHookSet = false;

struct RegisteredBackend {
  const char* name;
  PortBackendMaker make;
};
constexpr int kMaxRegistered = 4;
// Filled by static initialisers of other files, so it must be ready before any
// code runs: constant-initialised.
constinit RegisteredBackend g_registered[kMaxRegistered] = {};
constinit int g_registeredCount = 0;

PortBackend Empty() { return PortBackend{&kEmptyPortOps, nullptr}; }

void CloseAtExit() {
  const PortBackend closing = g_backend;
  g_backend = Empty();
  if (closing.ops && closing.ops->close) closing.ops->close(closing.ctx);
}

void SetExitHook() {
  if (!g_exitHookSet) {
    g_exitHookSet = true;
    std::atexit(CloseAtExit);
  }
}

PortBackend ChooseFromEnvironment() {
  const char* env = std::getenv("VYR_PORT");
  std::string choice = env ? env : "";
  if (choice.empty()) return PortIeee1284Backend();
  if (choice.rfind("ieee1284", 0) == 0) {
    Ieee1284Choice ports;
    std::string error;
    if (ParseIeee1284Choice(choice.substr(8), &ports, &error)) return PortIeee1284Backend(ports);
    std::fprintf(stderr, "vyr: VYR_PORT=%s: %s; no printer port is available\n", choice.c_str(), error.c_str());
    g_malformed = true;
    return Empty();
  }
  std::string names = "ieee1284[:NAME[@BASE]]";
  for (int i = 0; i < g_registeredCount; ++i) {
    const std::string name = g_registered[i].name;
    names += " or " + name + "[:options]";
    if (choice != name && choice.rfind(name + ":", 0) != 0) continue;
    const char* options = choice.size() > name.size() ? choice.c_str() + name.size() + 1 : "";
    std::string error;
    PortBackend made;
    if (!g_registered[i].make(options, &made, &error)) {
      std::fprintf(stderr, "vyr: VYR_PORT=%s: %s; no printer port is available\n", choice.c_str(),
                   error.c_str());
      g_malformed = true;
      return Empty();
    }
    return made;
  }
  std::fprintf(stderr,
               "vyr: VYR_PORT=%s is not understood (use %s); no printer port is available\n",
               choice.c_str(), names.c_str());
  g_malformed = true;
  return Empty();
}

}  // namespace

const PortOps kEmptyPortOps = {
    .name = "empty",
    .read = EmptyRead,
    .write = EmptyWrite,
    .is_port_base = EmptyIsPortBase,
    .close = nullptr,
    .end_session = nullptr,
};

void PortRegisterBackend(const char* name, PortBackendMaker make) {
  if (g_registeredCount < kMaxRegistered) g_registered[g_registeredCount++] = {name, make};
}

namespace {

// The back end in use, chosen at first use. PortRead and PortWrite run for
// every register access of a page (some fifty million), so they reach it and
// the session count here, without a call through the library's exported
// entry points.
inline const PortBackend& Current() {
  if (!g_chosen) {
    g_chosen = true;
    g_backend = ChooseFromEnvironment();
    SetExitHook();
  }
  return g_backend;
}

inline void EndSession() {
  if (g_sessionDepth > 0 && --g_sessionDepth == 0) {
    const PortBackend& b = Current();
    if (b.ops->end_session) b.ops->end_session(b.ctx);
  }
}

}  // namespace

PortBackend PortCurrentBackend() { return Current(); }

void PortInstallBackend(PortBackend backend) {
  const PortBackend old = g_backend;
  const bool hadOne = g_chosen;
  g_backend = backend.ops ? backend : Empty();
  g_chosen = true;
  SetExitHook();
  const bool same = old.ops == g_backend.ops && old.ctx == g_backend.ctx;
  if (hadOne && !same && old.ops && old.ops->close) old.ops->close(old.ctx);
}

bool PortChoiceIsMalformed() {
  Current();
  return g_malformed;
}

void PortBeginSession() { ++g_sessionDepth; }

void PortEndSession() { EndSession(); }

// Each access is a session of its own unless one is open already.
uint8_t PortRead(uint16_t addr) {
  ++g_sessionDepth;
  const PortBackend& b = Current();
  const uint8_t value = b.ops->read(b.ctx, addr);
  EndSession();
  return value;
}

void PortWrite(uint16_t addr, uint8_t value) {
  ++g_sessionDepth;
  const PortBackend& b = Current();
  b.ops->write(b.ctx, addr, value);
  EndSession();
}

bool PortIsParallelBase(uint16_t base) {
  const PortBackend& b = Current();
  return b.ops->is_port_base(b.ctx, base);
}
