// The Add Printer page, in place of PAPPL's: the same form, but a device the
// server refuses is answered with the reason (PAPPL's page can only say that
// the driver cannot be used). Administrators only, with session form tokens.
#pragma once

#include <pappl/pappl.h>

// Registers the page; call before the system runs (PAPPL adds its own page
// only where none is registered).
void AddPrinterPage(pappl_system_t* system);
