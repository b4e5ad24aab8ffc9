// vyrtool find-printer [PORT]: the parallel ports where the printer answers
// the identification query, one libieee1284 port name per line. Each port is
// searched by the engine's own search (lptgate's InitPort over the four port
// bases) in a process of its own with VYR_PORT=ieee1284:NAME, since the port
// layer takes its port once per process. The exit status says whether the
// printer answered somewhere (0) or nowhere (1); a machine without parallel
// ports says so once. With --ports, every parallel port the machine has is
// listed without searching any (the printer application checks device URIs
// against that list).
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "lptgate/lptgate.h"
#include "platform/module.h"
#include "platform/port_ieee1284.h"
#include "tools/tool_commands.h"

extern char** environ;

namespace {

// In this process: the port layer has not been used yet, so it takes PORT.
int SearchOnePort(const std::string& name) {
  setenv("VYR_PORT", ("ieee1284:" + name).c_str(), 1);
  HMODULE link = LoadLibraryA("lptgate.dll");
  auto init = link ? reinterpret_cast<InitPortFn>(GetProcAddress(link, "InitPort")) : nullptr;
  if (!init) {
    std::fprintf(stderr, "vyrtool find-printer: the link library lptgate.so cannot be loaded\n");
    return 2;
  }
  return init(0) >= 1 ? 0 : 1;  // 0 or less: the search of all four bases
}

bool PrinterAnswersOn(const std::string& name) {
  std::string self = "/proc/self/exe";
  char* argv[] = {const_cast<char*>("vyrtool"), const_cast<char*>("find-printer"),
                  const_cast<char*>(name.c_str()), nullptr};
  pid_t pid;
  if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

const ToolOption kFindPrinterOptions[] = {
    {"ports", 'p', nullptr, "list every parallel port of the machine, searching none"},
};

const ToolSyntax kFindPrinterTool = {
    .command = "find-printer",
    .operands = "[PORT]",
    .minOperands = 0,
    .maxOperands = 1,
    .summary = "the parallel ports where the printer answers",
    .details = "Lists the libieee1284 port names (parport0, ...) where the engine's search finds\n"
               "the printer, one per line. With PORT only that port is searched. Exit status 0\n"
               "when the printer answers on a port, 1 when on none. With --ports every parallel\n"
               "port the machine has is listed, and none is searched (exit status 1 when there\n"
               "is none).\n",
    .options = kFindPrinterOptions,
    .optionCount = std::size(kFindPrinterOptions),
};

int RunFindPrinterTool(const ToolArgs& args) {
  if (args.Has("ports")) {
    const std::vector<std::string> names = Ieee1284PortNames();
    for (const std::string& name : names) std::printf("%s\n", name.c_str());
    return names.empty() ? 1 : 0;
  }
  if (!args.operands.empty()) return SearchOnePort(args.operands[0]);
  bool found = false;
  for (const std::string& name : Ieee1284PortNames()) {
    if (!PrinterAnswersOn(name)) continue;
    std::printf("%s\n", name.c_str());
    std::fflush(stdout);
    found = true;
  }
  return found ? 0 : 1;
}
