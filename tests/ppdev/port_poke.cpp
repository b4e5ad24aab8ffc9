// Register accesses through the port layer, as VYR_PORT chooses it: each
// argument is rADDR (read, printed as ADDR=VALUE) or wADDR=VALUE (write), in
// hex, done in one port session. For comparing back ends register by register.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/port_io.h"

int main(int argc, char** argv) {
  const PortSession session;
  for (int i = 1; i < argc; ++i) {
    char* end = nullptr;
    const unsigned long addr = std::strtoul(argv[i] + 1, &end, 16);
    if (argv[i][0] == 'r' && *end == '\0') {
      std::printf("%03lX=%02X\n", addr, PortRead(uint16_t(addr)));
    } else if (argv[i][0] == 'w' && *end == '=') {
      PortWrite(uint16_t(addr), uint8_t(std::strtoul(end + 1, nullptr, 16)));
    } else {
      std::fprintf(stderr, "port_poke: %s: expected rADDR or wADDR=VALUE\n", argv[i]);
      return 2;
    }
  }
  return 0;
}
