// The machine's parallel ports through libieee1284, as a port back end. Each
// port the library finds sits at its base address; registers read and take
// raw PC register values. A port is claimed at its first access and released
// when the back end is closed. A port that cannot be opened or claimed is
// reported once on standard error and then behaves as absent (reads 0xFF).
#pragma once

#include "platform/port_io.h"

PortBackend PortIeee1284Backend();
