// The window back end (VYR_UI=window): the dialog as a GTK 4 window, laid out
// from the dialog's template. It lives in the loadable module vyr_ui_gtk.so
// (found like every module, see platform/module.h), so that the program runs
// where GTK is not installed. The module exports one C function that opens
// the display and returns the back end, or returns null with the reason.
#pragma once

#include <cstddef>

#include "framework/ui_backend.h"

extern "C" {
// Fills `why` (a line without its end) when it returns null.
typedef const UiBackend* (*VyrUiWindowBackendFn)(char* why, size_t size);
}

inline constexpr char kWindowModuleName[] = "vyr_ui_gtk.so";
inline constexpr char kWindowBackendExport[] = "VyrUiWindowBackend";

// The window back end, loaded at the first call. nullptr, after one line on
// standard error, when the module is missing or broken or no display can be
// opened: the caller then shows the dialog on the terminal.
const UiBackend* UiLoadWindowBackend();
