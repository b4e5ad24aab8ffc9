// Real parallel ports through libieee1284.
//
// libieee1284 speaks in line levels: its status has the BUSY bit the right way
// up (S1284_INVERTED) and its control takes nStrobe, nAutoFd and nSelectIn as
// levels (C1284_INVERTED), where the PC registers hold those bits inverted.
// The engine works in raw register values, so both directions are converted
// here with an exclusive or.

#include "platform/port_ieee1284.h"

#include <ieee1284.h>

#include <cstdio>

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
  struct parport_list list = {};
  RealPort ports[kMaxPorts] = {};
  int count = 0;
};

Ieee1284Bus g_bus;

void FindPorts() {
  if (g_bus.searched) return;
  g_bus.searched = true;
  if (ieee1284_find_ports(&g_bus.list, 0) != E1284_OK) {
    g_bus.list = {};
    return;
  }
  for (int i = 0; i < g_bus.list.portc && g_bus.count < kMaxPorts; ++i) {
    struct parport* p = g_bus.list.portv[i];
    // Only ports at a PC I/O address can be reached by the engine's
    // addresses; anything else (USB adapters) has no base to sit at.
    if (p->base_addr == 0 || p->base_addr > 0xFFFC) continue;
    g_bus.ports[g_bus.count++] = {p, static_cast<uint16_t>(p->base_addr), PortState::Unclaimed};
  }
}

const char* Reason(int err) {
  switch (err) {
    case E1284_NOTAVAIL: return "not available on this system";
    case E1284_NOMEM: return "out of memory";
    case E1284_INIT: return "the port could not be initialised (permissions?)";
    case E1284_SYS: return "the system refused access (permissions?)";
    case E1284_INVALIDPORT: return "invalid port";
    default: return "error";
  }
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
      int err = ieee1284_open(rp.port, 0, &caps);
      if (err == E1284_OK) {
        err = ieee1284_claim(rp.port);
        if (err != E1284_OK) ieee1284_close(rp.port);
      }
      if (err != E1284_OK) {
        std::fprintf(stderr, "vyr: parallel port %s (0x%03X): %s (%d); treated as absent\n",
                     rp.port->name, rp.base, Reason(err), err);
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

PortBackend PortIeee1284Backend() { return PortBackend{&kIeee1284Ops, nullptr}; }
