// Loadable modules by their Windows names.
//
// "lptgate.dll" is looked for as lptgate.so: a ".dll" extension (any case)
// becomes ".so", a name without any extension gets ".so", and the rest of the
// name keeps its case. Only bare names are accepted, so a name taken from
// elsewhere can never point the loader at another folder. The search goes:
//   1. the program's own directory (from /proc/self/exe),
//   2. <that directory>/../lib/vyr (the installed layout),
//   3. the system's library path (plain dlopen of the name).
// The first candidate that loads wins. A directory set with
// ModuleSetSearchDirectory takes the place of the program's own directory and
// the system's library path is then left out, so a module that is not in that
// directory or its ../lib/vyr stays missing.
#include "platform/module.h"

#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <mutex>
#include <string>
#include <strings.h>
#include <unistd.h>

#include "platform/paths.h"

namespace {

std::mutex g_searchMutex;
std::string g_searchDirectory;

bool EndsWithNoCase(const std::string& text, const char* suffix) {
  size_t n = std::strlen(suffix);
  return text.size() >= n && strncasecmp(text.c_str() + text.size() - n, suffix, n) == 0;
}

std::string LinuxModuleName(const char* windowsName) {
  std::string name(windowsName);
  if (EndsWithNoCase(name, ".dll")) {
    name.resize(name.size() - 4);
    name += ".so";
  } else if (name.find('.') == std::string::npos) {
    name += ".so";
  }
  return name;
}

std::string ProgramDirectory() {
  char exe[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (length <= 0) return "";
  std::string path(exe, static_cast<size_t>(length));
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void* TryOpen(const std::string& file) {
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) dlerror();  // clear the message; the search goes on
  return handle;
}

}  // namespace

HMODULE LoadLibraryA(const char* windowsName) {
  if (!IsPlainFileName(windowsName)) return nullptr;
  std::string name = LinuxModuleName(windowsName);

  std::string base;
  {
    std::lock_guard<std::mutex> lock(g_searchMutex);
    base = g_searchDirectory;
  }
  // A search directory set by a test replaces the whole search, the system
  // path included, so a test can show a module that is not there.
  bool confined = !base.empty();
  if (base.empty()) base = ProgramDirectory();
  if (!base.empty()) {
    if (void* handle = TryOpen(base + "/" + name)) return handle;
    if (void* handle = TryOpen(base + "/../lib/vyr/" + name)) return handle;
  }
  return confined ? nullptr : TryOpen(name);
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  // Ordinals (values below 0x10000 passed as a name) are not supported.
  if (module == nullptr || reinterpret_cast<uintptr_t>(name) < 0x10000u) return nullptr;
  dlerror();
  void* symbol = dlsym(module, name);
  if (symbol == nullptr) {
    dlerror();
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

void FreeLibrary(HMODULE module) {
  if (module != nullptr) dlclose(module);
}

void ModuleSetSearchDirectory(const char* dir) {
  std::lock_guard<std::mutex> lock(g_searchMutex);
  g_searchDirectory = dir != nullptr ? dir : "";
}
