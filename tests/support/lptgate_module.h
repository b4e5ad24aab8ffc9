// Tests: the real lptgate.so, loaded from the build's bin directory, with its
// five exports; and a scripted register double to put on the bus in place of
// a printer.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "lptgate/lptgate.h"
#include "platform/port_io.h"
#include "support/build_paths.h"

struct LptgateModule {
  void* handle = nullptr;
  InitPortFn InitPort = nullptr;
  Command_setFn Command_set = nullptr;
  Is_ReadyFn Is_Ready = nullptr;
  LPT_ResetFn LPT_Reset = nullptr;
  GetDLLversionFn GetDLLversion = nullptr;

  LptgateModule() {
    handle = dlopen((std::string(VYR_BINARY_DIR) + "/bin/lptgate.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return;
    InitPort = reinterpret_cast<InitPortFn>(dlsym(handle, "InitPort"));
    Command_set = reinterpret_cast<Command_setFn>(dlsym(handle, "Command_set"));
    Is_Ready = reinterpret_cast<Is_ReadyFn>(dlsym(handle, "Is_Ready"));
    LPT_Reset = reinterpret_cast<LPT_ResetFn>(dlsym(handle, "LPT_Reset"));
    GetDLLversion = reinterpret_cast<GetDLLversionFn>(dlsym(handle, "GetDLLversion"));
  }
  ~LptgateModule() {
    if (handle) dlclose(handle);
  }
  bool ok() const { return InitPort && Command_set && Is_Ready && LPT_Reset && GetDLLversion; }
};

// One register access as the double saw it.
struct PortAccess {
  bool write;
  uint16_t addr;
  uint8_t value;
};

// A register double: status reads come from a script (then from `after`, or
// from `status` when set), and every access is recorded.
struct ScriptedPort {
  std::deque<uint8_t> script;
  uint8_t after = 0xD8;  // free, nAck high, Select high, nError high
  std::function<uint8_t(uint16_t addr)> status;
  std::function<void(uint16_t addr, uint8_t value)> onWrite;
  std::vector<PortAccess> log;
  uint64_t statusReads = 0;

  static uint8_t Read(void* ctx, uint16_t addr) {
    auto* self = static_cast<ScriptedPort*>(ctx);
    uint8_t v = 0xFF;
    if ((addr & 3) == 1) {
      ++self->statusReads;
      if (!self->script.empty()) {
        v = self->script.front();
        self->script.pop_front();
      } else {
        v = self->status ? self->status(addr) : self->after;
      }
    }
    // Long waits would fill memory: keep only the first accesses of a run of reads.
    if (self->log.size() < 200000) self->log.push_back({false, addr, v});
    return v;
  }
  static void Write(void* ctx, uint16_t addr, uint8_t value) {
    auto* self = static_cast<ScriptedPort*>(ctx);
    self->log.push_back({true, addr, value});
    if (self->onWrite) self->onWrite(addr, value);
  }
  static bool IsPortBase(void*, uint16_t) { return true; }
  static constexpr PortOps kOps = {
      .name = "scripted",
      .read = Read,
      .write = Write,
      .is_port_base = IsPortBase,
      .close = nullptr,
      .end_session = nullptr,
  };

  ScriptedPort() { PortInstallBackend({&kOps, this}); }
  ~ScriptedPort() { PortInstallBackend({}); }

  std::vector<PortAccess> Writes() const {
    std::vector<PortAccess> w;
    for (const PortAccess& a : log)
      if (a.write) w.push_back(a);
    return w;
  }
};

// A block in a buffer of its own: header, then `room` data bytes.
inline std::vector<uint8_t> MakeBlock(uint16_t direction, uint16_t length, uint8_t c0, uint8_t c1,
                                      uint8_t c2, size_t room = 0) {
  std::vector<uint8_t> b(kCommandHeaderBytes + (room ? room : length), 0);
  b[0] = uint8_t(direction);
  b[1] = uint8_t(direction >> 8);
  b[2] = uint8_t(length);
  b[3] = uint8_t(length >> 8);
  b[4] = c0;
  b[5] = c1;
  b[6] = c2;
  return b;
}
