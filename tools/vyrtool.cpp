// vyrtool: helpers for people who set up and check the print engine.
#include <cstdio>
#include <cstring>

#include "tools/tool_commands.h"

namespace {

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: vyrtool COMMAND [ARGS]\n\ncommands:\n");
  for (const ToolCommand& command : kToolCommands)
    std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    PrintUsage(stdout);
    return 0;
  }
  for (const ToolCommand& command : kToolCommands)
    if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 1, argv + 1);
  std::fprintf(stderr, "vyrtool: unknown command \"%s\"\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
