// One option parser for every vyrtool command. A command describes its
// options and operands once (ToolSyntax); the parser (getopt_long) gives it
// --help, the usage line, and error messages that name "vyrtool COMMAND".
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "base/exit_status.h"

struct ToolOption {
  const char* name;  // long name, without "--"
  char letter;       // short letter, or 0
  const char* arg;   // the argument's name ("DIR"), or nullptr for a flag
  const char* help;  // one line
};

struct ToolSyntax {
  const char* command;   // "preview"
  const char* operands;  // "PAGE.bmp", shown in the usage line; "" for none
  int minOperands;
  int maxOperands;
  const char* summary;  // what the command does, one line
  const char* details;  // more lines for --help, or nullptr
  const ToolOption* options;
  size_t optionCount;
};

// What a command line held, options in the order given.
struct ToolArgs {
  std::vector<std::pair<std::string, std::string>> options;  // name, argument ("" for flags)
  std::vector<std::string> operands;

  // The argument of the last `name` given, or nullptr when it was not given.
  const char* Get(const char* name) const;
  bool Has(const char* name) const { return Get(name) != nullptr; }
  // Which of two flags came last: 1 for `a`, 2 for `b`, 0 for neither.
  int Last(const char* a, const char* b) const;
};

// Parses argv[1..] (argv[0] is the command's name). Returns -1 when the
// command should run; otherwise the exit status to end with at once: 0 after
// --help (usage on standard output), kExitUsage after a message
// "vyrtool COMMAND: ..." and the usage line on standard error.
int ParseToolArgs(const ToolSyntax& syntax, int argc, char** argv, ToolArgs* args);

// "usage: vyrtool COMMAND [--opt ARG] ... OPERANDS"
std::string ToolUsageLine(const ToolSyntax& syntax);
