// The machine's parallel ports through libieee1284, as a port back end.
// VYR_PORT=ieee1284 puts each port the library finds at its own base address;
// VYR_PORT=ieee1284:NAME[@BASE] uses only the port NAME (parport1, a card or
// an adapter elsewhere) and places it at BASE (default 0x378), so that the
// engine's search finds it. Registers read and take raw PC register values. A
// port is claimed at its first access and released when the back end is
// closed. A machine without any parallel port says so once; a port that cannot
// be opened or claimed is named with the reason and what to do (group lp,
// busy, modprobe ppdev), once, and then behaves as absent (reads 0xFF).
#pragma once

#include <cstdint>
#include <string>

#include "platform/port_io.h"

struct Ieee1284Choice {
  std::string name;       // empty: every port at its own base
  uint16_t base = kDefaultPortBase;  // where the named port is placed
};

// Reads the text that follows "ieee1284" in VYR_PORT: "" or ":NAME[@BASE]",
// BASE one of kParallelPortBases (decimal or 0x hex). False with `error` set.
bool ParseIeee1284Choice(const std::string& rest, Ieee1284Choice* choice, std::string* error);

// The back end, serving `choice` (one bus per process: a different choice
// closes what the previous one had claimed).
PortBackend PortIeee1284Backend(const Ieee1284Choice& choice = {});
