// Port I/O: write a byte to an I/O address, read a byte from one. Addresses are
// the PC's (parallel-port bases 0x3BC, 0x2BC, 0x378, 0x278; data = base,
// status = base + 1, control = base + 2). Everything the engine does to a port
// goes through PortRead and PortWrite, so it never knows which back end runs.
//
// VYR_PORT picks the back end at first use:
//   ieee1284 (default)      the machine's parallel ports through libieee1284;
//   NAME[:options]          a back end registered under NAME (the virtual
//                           printer registers itself as "virtual").
// An address that belongs to no parallel port reads 0xFF and ignores writes.
#pragma once

#include <cstdint>
#include <string>

// The four port bases, in the order the link library searches them for the
// printer (selectors 1..4).
inline constexpr uint16_t kParallelPortBases[4] = {0x3BC, 0x2BC, 0x378, 0x278};
// The base used until something else is chosen: the link library's before
// InitPort selects one, the virtual printer's, a named real port's.
inline constexpr uint16_t kDefaultPortBase = kParallelPortBases[2];  // 0x378

constexpr bool IsParallelPortBase(uint32_t address) {
  for (uint16_t base : kParallelPortBases)
    if (address == base) return true;
  return false;
}

// A back end's operations: one constant table per kind of back end, filled
// once and never changed. Every operation gets the instance's context.
struct PortOps {
  // For messages and tests ("empty", "ieee1284", "virtual").
  const char* name;
  // Reads one register. Must not block; an address the back end does not
  // serve reads 0xFF.
  uint8_t (*read)(void* ctx, uint16_t addr);
  // Writes one register. Must not block; an address the back end does not
  // serve ignores the write.
  void (*write)(void* ctx, uint16_t addr, uint8_t value);
  // True when `base` is the base address of a parallel port this back end
  // serves. Writes that go around the link library ask this first.
  bool (*is_port_base)(void* ctx, uint16_t base);
  // Releases what the back end holds (ports claimed, files, the instance
  // itself for one the port layer made). Called once, when the back end is
  // replaced or at exit; may be null.
  void (*close)(void* ctx);
  // The outermost port session has ended (see PortBeginSession): a back end
  // that shares its ports with other programs gives back what it claimed.
  // May be null.
  void (*end_session)(void* ctx);
};

// A back end: its operations and the state of this instance. Default
// constructed (no operations) it is the empty bus.
struct PortBackend {
  const PortOps* ops = nullptr;
  void* ctx = nullptr;
};

uint8_t PortRead(uint16_t addr);
void PortWrite(uint16_t addr, uint8_t value);
bool PortIsParallelBase(uint16_t base);

// A run of register accesses that belong together: one block, one reset
// pulse, one signal pattern. The real ports are shared with other programs,
// so their back end claims a port at the first access inside a session and
// releases it when the outermost session ends: a port is held only while the
// engine uses it. Sessions nest. An access outside any session is a session
// of its own.
void PortBeginSession();
void PortEndSession();
class PortSession {
 public:
  PortSession() { PortBeginSession(); }
  ~PortSession() { PortEndSession(); }
  PortSession(const PortSession&) = delete;
  PortSession& operator=(const PortSession&) = delete;
};

// Whether VYR_PORT could not be understood: a setting the user must mend, so
// that a job without a printer is a failure, not a printer to try again later.
bool PortChoiceIsMalformed();

// Installs a back end in place of the current one (closing that). PortBackend{}
// installs the empty bus. The operations and context must outlive their use.
void PortInstallBackend(PortBackend backend);
// The back end in use (chosen from VYR_PORT if none was installed yet).
PortBackend PortCurrentBackend();

// The empty bus: every read 0xFF, writes ignored, no port anywhere.
extern const PortOps kEmptyPortOps;

// Back ends built elsewhere register their VYR_PORT name here, so the port
// layer can make one without knowing about it. `make` gets the text after
// "NAME:" (empty for plain "NAME") and fills *made with a back end the port
// layer then owns (its close releases it); on options it does not understand
// it returns false and says why in *error.
using PortBackendMaker = bool (*)(const char* options, PortBackend* made, std::string* error);
// Up to four names; call before the first port access (a static initialiser
// of the registering library does).
void PortRegisterBackend(const char* name, PortBackendMaker make);
