// How a run of vyr ended, told to whatever started it by the exit status. The
// codes are those of a spooler's printer back end, so a spooler, the printer
// application or a script can act on them, plus the usual code for misuse.
// vyrtool ends a usage error with kExitUsage too. Scripts read the codes from
// `vyr --help`, which prints kExitStatuses.
#pragma once

enum ExitStatus : int {
  kExitPrinted = 0,           // every copy printed: the last copy's page end was accepted
  kExitFailed = 1,            // retrying the same job will not help: the page is missing,
                              // unreadable or refused, or a module is broken
  kExitPrinterAttention = 4,  // the printer reported a fault, a transfer failed, or it
                              // did not become ready in time
  kExitCancelled = 5,         // the dialog was closed (close box, Ctrl-C, SIGTERM) or OK pressed mid-job
  kExitPrinterNotFound = 6,   // no printer answered the identification: try again later
  kExitUsage = 64,            // a command line the program does not take; nothing done
};

// Each status with the words `vyr --help` gives it.
struct ExitStatusMeaning {
  ExitStatus status;
  const char* meaning;
};
inline constexpr ExitStatusMeaning kExitStatuses[] = {
    {kExitPrinted, "printed"},
    {kExitFailed, "failed: the page or a module is missing or broken"},
    {kExitPrinterAttention, "the printer needs attention"},
    {kExitCancelled, "cancelled"},
    {kExitPrinterNotFound, "printer not found"},
    {kExitUsage, "usage error: nothing was printed or deleted"},
};
