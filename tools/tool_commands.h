// The commands of vyrtool, one line each: `vyrtool NAME [args]` runs the
// function with argv[0] being NAME. Each returns the program's exit status.
#pragma once

int RunSettingsTool(int argc, char** argv);
int RunMakeDemoTool(int argc, char** argv);
int RunPreviewTool(int argc, char** argv);
int RunCctTool(int argc, char** argv);

struct ToolCommand {
  const char* name;
  int (*run)(int argc, char** argv);
  const char* summary;
};

inline constexpr ToolCommand kToolCommands[] = {
    {"settings", RunSettingsTool, "[--root DIR]  every setting the engine will use"},
    {"make-demo", RunMakeDemoTool, "DIR  a demonstration disk (settings, tables, a test page)"},
    {"preview", RunPreviewTool, "[--root DIR] [--test-print] [--dump DIR] [--png DIR] PAGE.bmp  a job's work on a page, without a printer"},
    {"cct", RunCctTool, "from-icc|from-cube|to-cube|show|identity ...  colour-match tables"},
};
