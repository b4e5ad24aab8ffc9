// Real parallel ports through libieee1284.
//
// libieee1284 speaks in line levels: its status has the BUSY bit the right way
// up (S1284_INVERTED) and its control takes nStrobe, nAutoFd and nSelectIn as
// levels (C1284_INVERTED), where the PC registers hold those bits inverted.
// The engine works in raw register values, so both directions are converted
// here with an exclusive or.

#include "platform/port_ieee1284.h"

#include <ieee1284.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr int kMaxPorts = 8;

enum class PortState { Unclaimed, Claimed, Failed };

struct RealPort {
  struct parport* port;
  uint16_t base;
  PortState state;
};

struct Ieee1284Bus {
  bool searched = false;
  bool saidNoPort = false;
  struct parport_list list = {};
  RealPort ports[kMaxPorts] = {};
  int count = 0;
};

Ieee1284Bus g_bus;
Ieee1284Choice g_choice;

bool PpdevPresent();

// Whether the kernel reports a parallel port at all (a driver has claimed
// one). Without that, libieee1284 offers the legacy addresses as guesses,
// which cannot be opened on a machine that has no port there.
bool KernelReportsPorts() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/sys/dev/parport", ec))
    if (entry.path().filename().string().rfind("parport", 0) == 0) return true;
  return PpdevPresent();
}

// Whether the ppdev driver offers its devices (/dev/parport0 and so on).
bool PpdevPresent() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", ec))
    if (entry.path().filename().string().rfind("parport", 0) == 0) return true;
  return false;
}

void SayNoPort() {
  if (g_bus.saidNoPort) return;
  g_bus.saidNoPort = true;
  std::fprintf(stderr, "vyr: no parallel port found\n");
}

void FindPorts() {
  if (g_bus.searched) return;
  g_bus.searched = true;
  if (ieee1284_find_ports(&g_bus.list, 0) != E1284_OK) g_bus.list = {};
  const std::string& wanted = g_choice.name;
  std::string names;
  for (int i = 0; i < g_bus.list.portc && g_bus.count < kMaxPorts; ++i) {
    struct parport* p = g_bus.list.portv[i];
    names += std::string(names.empty() ? "" : ", ") + p->name;
    if (!wanted.empty()) {
      // The one port asked for, at the base it was given, whatever its own
      // address (a card or an adapter elsewhere).
      if (wanted == p->name) g_bus.ports[g_bus.count++] = {p, g_choice.base, PortState::Unclaimed};
      continue;
    }
    // Only ports at a PC I/O address can be reached by the engine's
    // addresses; anything else (USB adapters) has no base to sit at.
    if (p->base_addr == 0 || p->base_addr > 0xFFFC) continue;
    g_bus.ports[g_bus.count++] = {p, static_cast<uint16_t>(p->base_addr), PortState::Unclaimed};
  }
  if (g_bus.count > 0) return;
  if (!wanted.empty() && g_bus.list.portc > 0 && KernelReportsPorts()) {
    std::fprintf(stderr, "vyr: VYR_PORT=ieee1284:%s: no parallel port of that name (there are: %s)\n",
                 wanted.c_str(), names.c_str());
    g_bus.saidNoPort = true;
    return;
  }
  SayNoPort();
}

// Why a port could not be opened or claimed, and what to do about it.
std::string Reason(int err, int sysError) {
  if (sysError == EACCES || sysError == EPERM)
    return "permission denied: join the group lp (sudo usermod -aG lp $USER, then log in again)";
  if (sysError == EBUSY) return "busy: another program or driver is using it (the lp driver, a print spooler)";
  if (!PpdevPresent() || sysError == ENOENT || sysError == ENODEV || sysError == ENXIO)
    return "the ppdev driver is not loaded (sudo modprobe ppdev)";
  const char* what = err == E1284_NOMEM ? "out of memory" : err == E1284_NOTAVAIL ? "not available" : "cannot be opened";
  std::string reason = std::string(what) + " (libieee1284 error " + std::to_string(err);
  if (sysError != 0) reason += std::string(", ") + std::strerror(sysError);
  return reason + ")";
}

// The port that `addr` belongs to (base .. base + 2), claimed, or null.
RealPort* PortAt(uint16_t addr, int* reg) {
  FindPorts();
  for (int i = 0; i < g_bus.count; ++i) {
    RealPort& rp = g_bus.ports[i];
    if (addr < rp.base || addr > rp.base + 2) continue;
    *reg = addr - rp.base;
    if (rp.state == PortState::Unclaimed) {
      int caps = 0;
      errno = 0;
      int err = ieee1284_open(rp.port, 0, &caps);
      int sysError = errno;
      if (err == E1284_OK) {
        errno = 0;
        err = ieee1284_claim(rp.port);
        sysError = errno;
        if (err != E1284_OK) ieee1284_close(rp.port);
      }
      if (err != E1284_OK) {
        if (err == E1284_INIT && !KernelReportsPorts()) {
          // A guessed legacy address with nothing behind it.
          SayNoPort();
        } else {
          std::fprintf(stderr, "vyr: parallel port %s (at 0x%03X): %s; treated as absent\n", rp.port->name,
                       rp.base, Reason(err, sysError).c_str());
        }
        rp.state = PortState::Failed;
      } else {
        rp.state = PortState::Claimed;
      }
    }
    return rp.state == PortState::Claimed ? &rp : nullptr;
  }
  return nullptr;
}

uint8_t RealRead(void*, uint16_t addr) {
  int reg = 0;
  RealPort* rp = PortAt(addr, &reg);
  if (!rp) return 0xFF;
  int v = -1;
  if (reg == 0) {
    v = ieee1284_read_data(rp->port);
  } else if (reg == 1) {
    v = ieee1284_read_status(rp->port);
    if (v >= 0) v ^= S1284_INVERTED;
  } else {
    v = ieee1284_read_control(rp->port);
    if (v >= 0) v ^= C1284_INVERTED;
  }
  return v < 0 ? 0xFF : static_cast<uint8_t>(v);
}

void RealWrite(void*, uint16_t addr, uint8_t value) {
  int reg = 0;
  RealPort* rp = PortAt(addr, &reg);
  if (!rp) return;
  if (reg == 0) {
    ieee1284_write_data(rp->port, value);
  } else if (reg == 2) {
    // The four output lines only; the engine keeps bits 4 and 5 (interrupt,
    // direction) at 0 and libieee1284 sets direction by its own call.
    ieee1284_write_control(rp->port, static_cast<unsigned char>((value ^ C1284_INVERTED) & 0x0F));
  }
  // The status register is read-only.
}

// Only a port that could be opened and claimed counts: one this process may
// not use is absent to the engine.
bool RealIsPortBase(void*, uint16_t base) {
  int reg = 0;
  return PortAt(base, &reg) != nullptr && reg == 0;
}

void RealClose(void*) {
  for (int i = 0; i < g_bus.count; ++i) {
    RealPort& rp = g_bus.ports[i];
    if (rp.state == PortState::Claimed) {
      ieee1284_release(rp.port);
      ieee1284_close(rp.port);
    }
  }
  if (g_bus.searched && g_bus.list.portv) ieee1284_free_ports(&g_bus.list);
  g_bus = Ieee1284Bus{};
}

// The bus is one per process, so the back end needs no context.
constexpr PortOps kIeee1284Ops = {
    .name = "ieee1284",
    .read = RealRead,
    .write = RealWrite,
    .is_port_base = RealIsPortBase,
    .close = RealClose,
};

}  // namespace

PortBackend PortIeee1284Backend(const Ieee1284Choice& choice) {
  if (g_bus.searched && (choice.name != g_choice.name || choice.base != g_choice.base)) RealClose(nullptr);
  g_choice = choice;
  return PortBackend{&kIeee1284Ops, nullptr};
}

bool ParseIeee1284Choice(const std::string& rest, Ieee1284Choice* choice, std::string* error) {
  *choice = Ieee1284Choice{};
  if (rest.empty()) return true;
  if (rest[0] != ':' || rest.size() == 1) {
    *error = "expected ieee1284 or ieee1284:NAME[@BASE]";
    return false;
  }
  std::string name = rest.substr(1);
  const size_t at = name.find('@');
  if (at != std::string::npos) {
    const std::string base = name.substr(at + 1);
    name.resize(at);
    char* end = nullptr;
    const unsigned long value = std::strtoul(base.c_str(), &end, 0);
    if (base.empty() || *end != '\0' || value > 0xFFFF || !IsParallelPortBase(static_cast<uint32_t>(value))) {
      *error = "the base \"" + base + "\" is not one the printer is looked for at (";
      for (uint16_t b : kParallelPortBases) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%03X", b);
        *error += std::string(b == kParallelPortBases[0] ? "" : ", ") + hex;
      }
      *error += ")";
      return false;
    }
    choice->base = static_cast<uint16_t>(value);
  }
  if (name.empty()) {
    *error = "no port name before the '@' (for example parport0)";
    return false;
  }
  choice->name = name;
  return true;
}
