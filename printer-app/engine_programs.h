// The engine's programs as the printer application runs them: `vyr` and
// `vyrtool` from the application's own folder (build tree and installed
// bin/ alike).
#pragma once

#include <string>
#include <vector>

// Full path of program `name` ("vyr", "vyrtool") beside this program.
std::string EngineProgram(const char* name);

// Runs `vyrtool ARGS...`, standard output into `out`; its exit status, or -1
// when it could not run. Standard error goes to the server's.
int RunTool(const std::vector<std::string>& args, std::string* out);

// Lays out an empty engine disk (settings, tables) in `dir` from the
// installed defaults. False with the tool's words in `error`.
bool InitEngineDisk(const std::string& dir, std::string* error);

// Names of the ports where the engine's search finds a printer.
bool FindPrinterPorts(std::vector<std::string>* names, std::string* error);
// Names of every parallel port the machine has (parport0, ...), searching none.
bool MachinePortNames(std::vector<std::string>* names, std::string* error);

