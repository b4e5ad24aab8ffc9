// The server's system object: state folder, listeners, spool, log, the
// driver list and each printer's engine disk and settings page.
#pragma once

#include <pappl/pappl.h>

inline constexpr char kAppName[] = "vyr-printer-app";
// The project's version, as `vyr --version` gives it.
inline constexpr char kAppVersion[] = VYR_VERSION;

// papplMainloop's system callback. Options beyond PAPPL's usual server
// options: state-directory=DIR (default: $STATE_DIRECTORY as systemd sets it,
// /var/lib/vyr-printer-app for root, else ~/.local/state/vyr-printer-app),
// admin-group=GROUP (lpadmin) and auth-service=SERVICE (PAM; admin_access.h).
pappl_system_t* CreateServerSystem(int num_options, cups_option_t* options, void* data);

// Gives printer `printer` what it needs beyond PAPPL's own: its engine disk
// (laid out from the installed defaults the first time), its settings
// (print size) and its settings page. Safe to call more than once.
void AttachPrinter(pappl_printer_t* printer);
