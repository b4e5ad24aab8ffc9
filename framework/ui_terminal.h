// The terminal back end (VYR_UI=terminal, the default): one progress line on
// the terminal, messages and questions on their own lines.
#pragma once

#include "framework/ui_backend.h"

const UiBackend* UiTerminalBackend();
