// Each printer's "Engine" page in the web interface: what the engine last
// said, the printer's settings (fault retry time, print size) and every
// setting the engine reads from the printer's disk.
#pragma once

#include <pappl/pappl.h>

// Sets the printer's resolution and media size for printing the frame at
// `dpi`, when they differ.
void ApplyPrintSize(pappl_printer_t* printer, int dpi);

// Adds the page and its link to the printer's pages.
void AddSettingsPage(pappl_printer_t* printer);
