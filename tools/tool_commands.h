// The commands of vyrtool. Each describes its options once (ToolSyntax, parsed
// for it by ParseToolArgs) and runs on what was parsed; each returns the
// program's exit status. A family of commands (cct) takes the rest of the
// command line and parses it with the syntax of the member named first. A new
// command adds its syntax and function here and one line to kToolCommands.
#pragma once

#include "tools/tool_options.h"

extern const ToolSyntax kSettingsTool;
int RunSettingsTool(const ToolArgs& args);
extern const ToolSyntax kInitRootTool;
int RunInitRootTool(const ToolArgs& args);
extern const ToolSyntax kMakeDemoTool;
int RunMakeDemoTool(const ToolArgs& args);
extern const ToolSyntax kSpoolTool;
int RunSpoolTool(const ToolArgs& args);
extern const ToolSyntax kPreviewTool;
int RunPreviewTool(const ToolArgs& args);
extern const ToolSyntax kFindPrinterTool;
int RunFindPrinterTool(const ToolArgs& args);
extern const ToolSyntax kCctTool;
int RunCctTool(int argc, char** argv);  // argv[0] is "cct"

struct ToolCommand {
  const ToolSyntax* syntax;
  int (*run)(const ToolArgs& args);   // a single command
  int (*family)(int argc, char** argv);  // or a family with members of its own
};

inline constexpr ToolCommand kToolCommands[] = {
    {&kSettingsTool, RunSettingsTool, nullptr}, {&kInitRootTool, RunInitRootTool, nullptr},
    {&kMakeDemoTool, RunMakeDemoTool, nullptr}, {&kSpoolTool, RunSpoolTool, nullptr},
    {&kPreviewTool, RunPreviewTool, nullptr},   {&kFindPrinterTool, RunFindPrinterTool, nullptr},
    {&kCctTool, nullptr, RunCctTool},
};
