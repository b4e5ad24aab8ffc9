// Identify-Printer: the printer has no light or sound the application can
// reach, so it "displays": the printer's Engine page shows the request with
// its message for kIdentifyShowSeconds. (PAPPL 1.3 never reports the state
// reason identify-printer-requested, and a printer with only that reason
// would report none at all, so it is not set.)
#pragma once

#include <pappl/pappl.h>

#include <string>

inline constexpr int kIdentifyShowSeconds = 60;

// The driver's identify callback.
void IdentifyPrinter(pappl_printer_t* printer, pappl_identify_actions_t actions, const char* message);

// What the Engine page shows while the request stands; "" otherwise.
std::string IdentifyNotice(int printer_id);

// A timer callback (once a second): requests older than kIdentifyShowSeconds
// end.
bool ExpireIdentify(pappl_system_t* system, void* data);
