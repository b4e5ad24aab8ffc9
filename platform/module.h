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

// Tests: search this directory instead of the program's own (and its
// ../lib/vyr and the system path). An empty string restores the normal search.
void ModuleSetSearchDirectory(const char* dir);
