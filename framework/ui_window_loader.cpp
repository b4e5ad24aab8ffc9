// Loading the window back end's module: a missing or broken module, or a
// display that cannot be opened, costs one line on standard error and the
// dialog goes to the terminal.
#include <cstdio>

#include "framework/ui_window.h"
#include "platform/module.h"

const UiBackend* UiLoadWindowBackend() {
  static const UiBackend* const backend = []() -> const UiBackend* {
    HMODULE module = LoadLibraryA(kWindowModuleName);
    if (module == nullptr) {
      std::fprintf(stderr, "vyr: no window: the module %s cannot be loaded (is GTK 4 installed?); using the terminal\n",
                   kWindowModuleName);
      return nullptr;
    }
    auto open = reinterpret_cast<VyrUiWindowBackendFn>(GetProcAddress(module, kWindowBackendExport));
    if (open == nullptr) {
      std::fprintf(stderr, "vyr: no window: %s has no %s; using the terminal\n", kWindowModuleName,
                   kWindowBackendExport);
      return nullptr;
    }
    char why[256] = "";
    const UiBackend* window = open(why, sizeof why);
    // The module stays loaded for the process's life, even when it could
    // not open a display: GTK, once started, cannot be unloaded safely.
    if (window == nullptr)
      std::fprintf(stderr, "vyr: no window: %s; using the terminal\n", why[0] ? why : "no display");
    return window;
  }();
  return backend;
}
