// vyrtool: helpers for people who set up and check the print engine.
//   vyrtool COMMAND [OPTIONS] [ARGS]   (vyrtool COMMAND --help for each)
//   vyrtool --help | --version
#include <cstdio>
#include <cstring>

#include "tools/tool_commands.h"

namespace {

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: vyrtool COMMAND [OPTIONS] [ARGS]\n       vyrtool --help | --version\n\ncommands:\n");
  for (const ToolCommand& command : kToolCommands)
    std::fprintf(out, "  %-10s %s\n", command.syntax->command, command.syntax->summary);
  std::fprintf(out, "\n'vyrtool COMMAND --help' tells more. See vyrtool(1).\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "vyrtool: no command given\n");
    PrintUsage(stderr);
    return kExitUsage;
  }
  const char* first = argv[1];
  if (std::strcmp(first, "--help") == 0 || std::strcmp(first, "-h") == 0 || std::strcmp(first, "help") == 0) {
    PrintUsage(stdout);
    return 0;
  }
  if (std::strcmp(first, "--version") == 0) {
    std::printf("vyrtool %s\n", VYR_VERSION);
    return 0;
  }
  for (const ToolCommand& command : kToolCommands) {
    if (std::strcmp(first, command.syntax->command) != 0) continue;
    if (command.family) return command.family(argc - 1, argv + 1);
    ToolArgs args;
    int status = ParseToolArgs(*command.syntax, argc - 1, argv + 1, &args);
    return status >= 0 ? status : command.run(args);
  }
  std::fprintf(stderr, "vyrtool: unknown %s \"%s\" (try 'vyrtool --help')\n", first[0] == '-' ? "option" : "command",
               first);
  return kExitUsage;
}
