#include "tools/tool_options.h"

#include <getopt.h>

#include <cstdio>
#include <cstring>

namespace {

// Flags hold no letter of their own: their getopt value is 256 + index.
constexpr int kLongOnly = 256;
constexpr int kHelp = kLongOnly - 1;

void PrintHelp(const ToolSyntax& syntax) {
  std::printf("%s\n%s\n", ToolUsageLine(syntax).c_str(), syntax.summary);
  if (syntax.details) std::printf("%s", syntax.details);
  std::printf("\noptions:\n");
  for (size_t i = 0; i < syntax.optionCount; ++i) {
    const ToolOption& o = syntax.options[i];
    std::string left = o.letter ? std::string("-") + o.letter + ", " : "    ";
    left += std::string("--") + o.name + (o.arg ? std::string(" ") + o.arg : "");
    std::printf("  %-22s %s\n", left.c_str(), o.help);
  }
  std::printf("  %-22s %s\n", "-h, --help", "this text");
}

int UsageError(const ToolSyntax& syntax, const std::string& what) {
  std::fprintf(stderr, "vyrtool %s: %s\n%s\n", syntax.command, what.c_str(), ToolUsageLine(syntax).c_str());
  return kExitUsage;
}

}  // namespace

const char* ToolArgs::Get(const char* name) const {
  for (auto it = options.rbegin(); it != options.rend(); ++it)
    if (it->first == name) return it->second.c_str();
  return nullptr;
}

int ToolArgs::Last(const char* a, const char* b) const {
  for (auto it = options.rbegin(); it != options.rend(); ++it) {
    if (it->first == a) return 1;
    if (it->first == b) return 2;
  }
  return 0;
}

std::string ToolUsageLine(const ToolSyntax& syntax) {
  std::string line = std::string("usage: vyrtool ") + syntax.command;
  for (size_t i = 0; i < syntax.optionCount; ++i) {
    const ToolOption& o = syntax.options[i];
    line += std::string(" [--") + o.name + (o.arg ? std::string(" ") + o.arg : "") + "]";
  }
  if (*syntax.operands) line += std::string(" ") + syntax.operands;
  return line;
}

int ParseToolArgs(const ToolSyntax& syntax, int argc, char** argv, ToolArgs* args) {
  std::vector<struct option> longs;
  std::string shorts = ":h";  // ':' first: a missing argument is reported as ':'
  for (size_t i = 0; i < syntax.optionCount; ++i) {
    const ToolOption& o = syntax.options[i];
    int value = o.letter ? o.letter : kLongOnly + static_cast<int>(i);
    longs.push_back({o.name, o.arg ? required_argument : no_argument, nullptr, value});
    if (o.letter) shorts += std::string(1, o.letter) + (o.arg ? ":" : "");
  }
  longs.push_back({"help", no_argument, nullptr, kHelp});
  longs.push_back({nullptr, 0, nullptr, 0});

  opterr = 0;
  optind = 0;  // start afresh (GNU): every command parses once per process
  for (;;) {
    int index = -1;
    int c = getopt_long(argc, argv, shorts.c_str(), longs.data(), &index);
    if (c == -1) break;
    if (c == 'h' || c == kHelp) {
      PrintHelp(syntax);
      return 0;
    }
    if (c == '?' || c == ':') {
      // optind has moved past the word in question.
      const char* word = argv[optind - 1];
      std::string option = optopt ? std::string("-") + static_cast<char>(optopt) : word;
      if (std::strncmp(word, "--", 2) == 0) option = std::string(word).substr(0, std::string(word).find('='));
      return UsageError(syntax, c == ':' ? "option " + option + " needs an argument"
                                       : "unknown option " + option);
    }
    const ToolOption* found = nullptr;
    for (size_t i = 0; i < syntax.optionCount; ++i) {
      const ToolOption& o = syntax.options[i];
      if ((o.letter && c == o.letter) || c == kLongOnly + static_cast<int>(i)) found = &o;
    }
    if (!found) return UsageError(syntax, "unexpected option");
    args->options.emplace_back(found->name, found->arg ? optarg : "");
  }
  for (int i = optind; i < argc; ++i) args->operands.push_back(argv[i]);
  int count = static_cast<int>(args->operands.size());
  if (count < syntax.minOperands)
    return UsageError(syntax, std::string("missing ") + syntax.operands);
  if (count > syntax.maxOperands)
    return UsageError(syntax, "unexpected argument \"" + args->operands[syntax.maxOperands] + "\"");
  return -1;
}
