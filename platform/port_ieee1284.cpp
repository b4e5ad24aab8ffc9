// Real parallel ports through libieee1284.
//
// libieee1284 speaks in line levels: its status has the BUSY bit the right way
// up (S1284_INVERTED) and its control takes nStrobe, nAutoFd and nSelectIn as
// levels (C1284_INVERTED), where the PC registers hold those bits inverted.
// Every access method it has on Linux (ppdev, direct I/O, /dev/port) inverts
// the same way and hands back only the four output lines of the control
// register, so both directions are converted here with an exclusive or, and a
// control read is completed as a PC port reads: bits 6 and 7 high, bits 4 and
// 5 (interrupt, direction) at 0, the values the engine always keeps there.
//
// Claims block in the kernel while another program holds the port. A claim
// here is made interruptible by a periodic timer signal (SIGALRM, no
// restart), so no wait is longer than one slice without a look at the time
// and at a close request. The timer runs only around a claim and around
// libieee1284's port search.

#include "platform/port_ieee1284.h"

#include <fcntl.h>
#include <ieee1284.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/clock.h"
#include "platform/console.h"

namespace {

constexpr int kMaxPorts = 8;

// A claim that has to wait is retried in slices: on the real clock each slice
// is a quarter of a second of waiting; on the virtual clock it waits 20 ms of
// real time for the holder to let go and then jumps the quarter second.
constexpr uint32_t kClaimSliceMs = 250;
constexpr uint32_t kVirtualSliceRealMs = 20;
// libieee1284's own search opens the first /dev/parportN and claims it for a
// moment to have the port driver loaded; a port held elsewhere would keep it
// there for good, so the search gets this long.
constexpr uint32_t kSearchProbeMs = 100;

constexpr const char* kBusyReason =
    "busy (another program or the lp driver holds it: sudo rmmod lp, or stop the spooler's "
    "parallel back end)";

enum class PortState { Unopened, Open, Failed };

struct RealPort {
  struct parport* port;
  uint16_t base;
  PortState state;
  bool claimed;
  bool opened;  // by ieee1284_open, so closed at the end even when it failed later
};

struct Ieee1284Bus {
  bool searched = false;
  bool placed = false;
  bool saidWhyNone = false;
  struct parport_list list = {};
  RealPort ports[kMaxPorts] = {};
  int count = 0;
};

Ieee1284Bus g_bus;
Ieee1284Choice g_choice;

// ---- The interrupting timer ----------------------------------------------

void OnAlarm(int) {}

timer_t g_timer;
bool g_timerMade = false;

void ArmInterrupt(uint32_t ms) {
  if (!g_timerMade) {
    struct sigaction sa {};
    sa.sa_handler = OnAlarm;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a blocked claim gives up with EINTR
    sigaction(SIGALRM, &sa, nullptr);
    struct sigevent ev {};
    ev.sigev_notify = SIGEV_SIGNAL;
    ev.sigev_signo = SIGALRM;
    g_timerMade = timer_create(CLOCK_MONOTONIC, &ev, &g_timer) == 0;
    if (!g_timerMade) return;
  }
  // Periodic: a signal that comes before the claim has reached the kernel is
  // followed by another one.
  struct itimerspec when {};
  when.it_value.tv_sec = ms / 1000;
  when.it_value.tv_nsec = long(ms % 1000) * 1000000L;
  when.it_interval = when.it_value;
  timer_settime(g_timer, 0, &when, nullptr);
}

void DisarmInterrupt() {
  if (!g_timerMade) return;
  struct itimerspec off {};
  timer_settime(g_timer, 0, &off, nullptr);
}

// ---- What the kernel reports -----------------------------------------------

bool IsFolder(const char* path) {
  struct stat st {};
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether the kernel lists its parallel ports. Without the list libieee1284
// guesses the legacy addresses, which the engine must never write to.
bool KernelListsPorts() { return IsFolder("/proc/sys/dev/parport") || IsFolder("/proc/parport"); }

// The first ppdev device node, or "" when there is none.
std::string FirstPpdevNode() {
  std::error_code ec;
  std::string first;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("parport", 0) == 0 && (first.empty() || name < first)) first = name;
  }
  return first.empty() ? "" : "/dev/" + first;
}

void SayOnce(const std::string& line) {
  if (g_bus.saidWhyNone) return;
  g_bus.saidWhyNone = true;
  std::fprintf(stderr, "vyr: %s\n", line.c_str());
}

void SayNoPort() {
  const std::string node = FirstPpdevNode();
  if (!node.empty() && !KernelListsPorts()) {
    SayOnce(node + " is there, but the kernel lists no parallel port (no /proc/sys/dev/parport): "
                   "the port drivers are not loaded (sudo modprobe parport_pc ppdev)");
  } else {
    SayOnce("no parallel port found");
  }
}

// libieee1284's list, with its search bounded (see kSearchProbeMs). A list
// that is only a guess counts as empty.
void ListPorts() {
  if (g_bus.searched) return;
  g_bus.searched = true;
  ArmInterrupt(ClockCurrentKind() == ClockKind::Virtual ? kVirtualSliceRealMs : kSearchProbeMs);
  const int err = ieee1284_find_ports(&g_bus.list, 0);
  DisarmInterrupt();
  if (err != E1284_OK) g_bus.list = {};
  if (!KernelListsPorts() && g_bus.list.portv) ieee1284_free_ports(&g_bus.list);
}

// Whether the port sits at one of the bases the engine searches.
bool AtSearchedBase(const struct parport* p) {
  return p->base_addr <= 0xFFFF && IsParallelPortBase(uint32_t(p->base_addr));
}

bool BaseTaken(uint16_t base) {
  for (int i = 0; i < g_bus.count; ++i)
    if (g_bus.ports[i].base == base) return true;
  return false;
}

void FindPorts() {
  if (g_bus.placed) return;
  g_bus.placed = true;
  ListPorts();
  const std::string& wanted = g_choice.name;
  std::string names;
  for (int i = 0; i < g_bus.list.portc; ++i) {
    struct parport* p = g_bus.list.portv[i];
    names += std::string(names.empty() ? "" : ", ") + p->name;
    if (!wanted.empty()) {
      // The one port asked for, at the base it was given, whatever its own
      // address (a card or an adapter elsewhere).
      if (wanted == p->name && g_bus.count == 0)
        g_bus.ports[g_bus.count++] = {p, g_choice.base, PortState::Unopened, false, false};
      continue;
    }
    if (AtSearchedBase(p) && g_bus.count < kMaxPorts)
      g_bus.ports[g_bus.count++] = {p, uint16_t(p->base_addr), PortState::Unopened, false, false};
  }
  if (wanted.empty()) {
    // Ports elsewhere take the bases no port holds, in the order a PC numbers
    // its ports (LPT1 at 0x378 first), so the engine's search finds them too.
    constexpr uint16_t kFreeBaseOrder[] = {kParallelPortBases[2], kParallelPortBases[3],
                                           kParallelPortBases[0], kParallelPortBases[1]};
    for (int i = 0; i < g_bus.list.portc; ++i) {
      struct parport* p = g_bus.list.portv[i];
      if (AtSearchedBase(p)) continue;
      uint16_t base = 0;
      for (uint16_t b : kFreeBaseOrder)
        if (base == 0 && !BaseTaken(b)) base = b;
      if (base != 0 && g_bus.count < kMaxPorts) {
        g_bus.ports[g_bus.count++] = {p, base, PortState::Unopened, false, false};
      } else {
        std::fprintf(stderr,
                     "vyr: parallel port %s (at 0x%lX) is not used: the four port bases are taken "
                     "(choose it with VYR_PORT=ieee1284:%s)\n",
                     p->name, p->base_addr, p->name);
      }
    }
  }
  if (g_bus.count > 0) return;
  if (!wanted.empty() && g_bus.list.portc > 0) {
    SayOnce("VYR_PORT=ieee1284:" + wanted + ": no parallel port of that name (there are: " + names + ")");
    return;
  }
  SayNoPort();
}

// Why a port could not be opened, and what to do about it. libieee1284 tells
// only that no access method worked (its search already passed over a device
// node it could not open), so the node is tried here for the reason.
std::string OpenFailure(const struct parport* p, int err) {
  std::string node = p->filename && *p->filename ? p->filename : "";
  if (node.empty() || node == "/dev/port") node = std::string("/dev/") + p->name;
  errno = 0;
  const int fd = open(node.c_str(), O_RDWR | O_NOCTTY);
  const int sysError = errno;
  if (fd >= 0) close(fd);
  if (sysError == EACCES || sysError == EPERM)
    return "permission denied: join the group lp (sudo usermod -aG lp $USER, then log in again)";
  if (sysError == EBUSY) return kBusyReason;
  if (sysError == ENOENT || sysError == ENODEV || sysError == ENXIO)
    return "the ppdev driver is not loaded (sudo modprobe ppdev)";
  std::string reason = std::string("cannot be opened (libieee1284 error ") + std::to_string(err);
  if (sysError != 0) reason += std::string(", ") + node + ": " + std::strerror(sysError);
  return reason + ")";
}

void SayUnusable(const RealPort& rp, const std::string& reason) {
  std::fprintf(stderr, "vyr: parallel port %s (at 0x%03X): %s; treated as absent\n", rp.port->name, rp.base,
               reason.c_str());
}

// Opens the port (without claiming it). False when it cannot be used.
bool OpenPort(RealPort& rp) {
  if (rp.state == PortState::Unopened) {
    // No capabilities asked for: finding them out would claim the port.
    const int err = ieee1284_open(rp.port, 0, nullptr);
    if (err == E1284_OK) {
      rp.state = PortState::Open;
      rp.opened = true;
    } else {
      rp.state = PortState::Failed;
      SayUnusable(rp, OpenFailure(rp.port, err));
    }
  }
  return rp.state == PortState::Open;
}

// Claims an open port, waiting at most kPortClaimWaitMs for another program to
// let go, and no longer once a close request has come. False when the port
// could not be had; it is then absent for the rest of the run.
bool ClaimPort(RealPort& rp) {
  if (rp.claimed) return true;
  const bool isVirtual = ClockCurrentKind() == ClockKind::Virtual;
  const uint32_t start = GetTickCount();
  for (;;) {
    const uint32_t sliceStart = GetTickCount();
    ArmInterrupt(isVirtual ? kVirtualSliceRealMs : kClaimSliceMs);
    errno = 0;
    const int err = ieee1284_claim(rp.port);
    const int sysError = errno;
    DisarmInterrupt();
    if (err == E1284_OK) {
      rp.claimed = true;
      return true;
    }
    if (sysError != EINTR) {
      rp.state = PortState::Failed;
      SayUnusable(rp, std::string("cannot be claimed (") + std::strerror(sysError) + ")");
      return false;
    }
    if (isVirtual) ClockWaitUntil(sliceStart + kClaimSliceMs);
    if (ConsoleInterruptPending() || uint32_t(GetTickCount() - start) >= kPortClaimWaitMs) {
      rp.state = PortState::Failed;
      SayUnusable(rp, kBusyReason);
      return false;
    }
  }
}

// The port that `addr` belongs to (base .. base + 2), opened, or null.
RealPort* PortAt(uint16_t addr, int* reg) {
  FindPorts();
  for (int i = 0; i < g_bus.count; ++i) {
    RealPort& rp = g_bus.ports[i];
    if (addr < rp.base || addr > rp.base + 2) continue;
    *reg = addr - rp.base;
    return OpenPort(rp) ? &rp : nullptr;
  }
  return nullptr;
}

// The port of `addr`, claimed for the session under way, or null.
RealPort* ClaimedPortAt(uint16_t addr, int* reg) {
  RealPort* rp = PortAt(addr, reg);
  return rp && ClaimPort(*rp) ? rp : nullptr;
}

uint8_t RealRead(void*, uint16_t addr) {
  int reg = 0;
  RealPort* rp = ClaimedPortAt(addr, &reg);
  if (!rp) return 0xFF;
  int v = -1;
  if (reg == 0) {
    v = ieee1284_read_data(rp->port);
  } else if (reg == 1) {
    v = ieee1284_read_status(rp->port);
    if (v >= 0) v ^= S1284_INVERTED;
  } else {
    v = ieee1284_read_control(rp->port);
    if (v >= 0) v = 0xC0 | ((v ^ C1284_INVERTED) & 0x0F);
  }
  return v < 0 ? 0xFF : static_cast<uint8_t>(v);
}

void RealWrite(void*, uint16_t addr, uint8_t value) {
  int reg = 0;
  RealPort* rp = PortAt(addr, &reg);
  // The status register is read-only: nothing to claim the port for.
  if (!rp || reg == 1 || !ClaimPort(*rp)) return;
  if (reg == 0) {
    ieee1284_write_data(rp->port, value);
  } else if (reg == 2) {
    // The four output lines only; the engine keeps bits 4 and 5 (interrupt,
    // direction) at 0 and libieee1284 sets direction by its own call.
    ieee1284_write_control(rp->port, static_cast<unsigned char>((value ^ C1284_INVERTED) & 0x0F));
  }
}

// Only a port that could be opened counts: one this process may not use is
// absent to the engine. Asking does not claim it.
bool RealIsPortBase(void*, uint16_t base) {
  int reg = 0;
  return PortAt(base, &reg) != nullptr && reg == 0;
}

void RealEndSession(void*) {
  for (int i = 0; i < g_bus.count; ++i) {
    RealPort& rp = g_bus.ports[i];
    if (rp.claimed) {
      ieee1284_release(rp.port);
      rp.claimed = false;
    }
  }
}

void RealClose(void*) {
  RealEndSession(nullptr);
  for (int i = 0; i < g_bus.count; ++i)
    if (g_bus.ports[i].opened) ieee1284_close(g_bus.ports[i].port);
  if (g_bus.list.portv) ieee1284_free_ports(&g_bus.list);
  g_bus = Ieee1284Bus{};
}

// The bus is one per process, so the back end needs no context.
constexpr PortOps kIeee1284Ops = {
    .name = "ieee1284",
    .read = RealRead,
    .write = RealWrite,
    .is_port_base = RealIsPortBase,
    .close = RealClose,
    .end_session = RealEndSession,
};

}  // namespace

PortBackend PortIeee1284Backend(const Ieee1284Choice& choice) {
  if (g_bus.searched && (choice.name != g_choice.name || choice.base != g_choice.base)) RealClose(nullptr);
  g_choice = choice;
  return PortBackend{&kIeee1284Ops, nullptr};
}

std::vector<std::string> Ieee1284PortNames() {
  ListPorts();
  std::vector<std::string> names;
  for (int i = 0; i < g_bus.list.portc; ++i) names.push_back(g_bus.list.portv[i]->name);
  if (names.empty()) SayNoPort();
  return names;
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
