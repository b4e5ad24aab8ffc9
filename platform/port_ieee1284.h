// The machine's parallel ports through libieee1284, as a port back end.
// VYR_PORT=ieee1284 puts each port the kernel reports at its own base address
// when that is one of the four the engine searches, and a port elsewhere (a
// card at 0xD010, an adapter) at the first of those bases no other port
// holds; VYR_PORT=ieee1284:NAME[@BASE] uses only the port NAME and places it
// at BASE (default 0x378). No other port is opened or claimed then.
//
// Registers read and take raw PC register values. A port is opened at its
// first use and claimed only inside a port session (see PortBeginSession), so
// other programs may use it between the engine's blocks. A claim that another
// program makes wait is bounded: after kPortClaimWaitMs, or at once when a
// close request (SIGINT, SIGTERM) arrives, the port counts as busy and absent
// for the rest of the run. Ports libieee1284 only guesses (no port listed by
// the kernel) are never touched. Every reason a port cannot be used is said
// once on standard error with what to do (group lp, busy, modprobe).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/port_io.h"

struct Ieee1284Choice {
  std::string name;                  // empty: every port the kernel reports
  uint16_t base = kDefaultPortBase;  // where the named port is placed
};

// How long a claim waits for a port another program holds, on the tick count.
inline constexpr uint32_t kPortClaimWaitMs = 10000;

// Reads the text that follows "ieee1284" in VYR_PORT: "" or ":NAME[@BASE]",
// BASE one of kParallelPortBases (decimal or 0x hex). False with `error` set.
bool ParseIeee1284Choice(const std::string& rest, Ieee1284Choice* choice, std::string* error);

// The back end, serving `choice` (one bus per process: a different choice
// closes what the previous one had opened).
PortBackend PortIeee1284Backend(const Ieee1284Choice& choice = {});

// The names of the parallel ports the kernel reports (parport0, ...), in
// libieee1284's order. Empty when there are none; then why has been said once
// on standard error ("no parallel port found", or what to load).
std::vector<std::string> Ieee1284PortNames();
