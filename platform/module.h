// Loadable modules by their Windows names. "lptgate.dll" becomes lptgate.so,
// "vyr_ger.dll" vyr_ger.so; the file is looked for in the program's own
// directory, then in <program directory>/../lib/vyr, then on the system's
// library path. Exports are looked up by name.
#pragma once

using HMODULE = void*;
using FARPROC = void (*)();

// nullptr when no file of that name can be loaded.
HMODULE LoadLibraryA(const char* windowsName);
// nullptr when the module has no export of that name.
FARPROC GetProcAddress(HMODULE module, const char* name);
void FreeLibrary(HMODULE module);

// Tests: search this directory and its ../lib/vyr only, in place of the
// program's own directory, its ../lib/vyr and the system's library path, so a
// module that is not there stays missing. An empty string (or nullptr)
// restores the normal search.
//
// Only bare names load: a name with '/' or '\\', "." or ".." gives nullptr. A
// ".dll" extension in any case becomes ".so" and a name without an extension
// gets ".so"; the rest keeps its case ("Lptgate.dll" is Lptgate.so).
void ModuleSetSearchDirectory(const char* dir);
