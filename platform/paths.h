// A disk in a folder. VYR_ROOT (default /var/lib/vyr) stands in for the PC's
// disk; the engine keeps writing Windows paths and this layer maps them:
//
//   c:\...                       -> $VYR_ROOT/c/...
//   the Windows directory        -> $VYR_ROOT/windows
//   the system directory         -> $VYR_ROOT/windows/system
//
// Prefixes are matched without regard to case; the rest of the path keeps its
// case as written and its backslashes become slashes. A path that would leave
// VYR_ROOT (a ".." component, an unknown drive) maps to nothing, and the file
// then counts as missing. Files are opened and deleted beneath VYR_ROOT: a
// symbolic link on the way that stays inside it works, one that leads out of
// it makes the file count as missing too.
#pragma once

#include <cstdio>
#include <string>

// Windows names of the two directories, as GetWindowsDirectoryA and
// GetSystemDirectoryA report them ("C:\WINDOWS", "C:\WINDOWS\SYSTEM").
// Copy into buf (size chars with the terminating zero); returns the length.
unsigned GetWindowsDirectoryA(char* buf, unsigned size);
unsigned GetSystemDirectoryA(char* buf, unsigned size);

// The folder standing in for the disk: VYR_ROOT, or what PathsSetRoot chose.
std::string PathsRoot();
// Tests and tools point the disk elsewhere (an empty string returns to VYR_ROOT).
void PathsSetRoot(const std::string& root);

// The Linux path for a Windows path, or "" when it has none.
std::string MapWindowsPath(const char* windowsPath);

// True when `name` is a bare file name that stays in its folder: not empty,
// no '/', no '\\', not "." or "..". Names taken from settings must pass this.
bool IsPlainFileName(const char* name);

// fopen / remove on a Windows path. A path that maps to nothing or leads out of
// the root behaves like a missing file (nullptr, -1). Deleting removes a link
// itself, never what it points to.
FILE* OpenWindowsFile(const char* windowsPath, const char* mode);
int DeleteWindowsFile(const char* windowsPath);

// One line on standard error naming the Linux file a Windows path was looked
// for at and why it cannot be read, e.g.
//   vyr: c:\abx.1 is /var/lib/vyr/c/abx.1: No such file or directory
// The engine's numbered messages name no path; this tells a Linux user where
// the file belongs.
void ReportMissingWindowsFile(const char* windowsPath);
