// How a run of vyr ended, told to whatever started it by the exit status. The
// codes are those of a spooler's printer back end, so a spooler, the printer
// application or a script can act on them, plus the usual code for misuse.
#pragma once

enum ExitStatus : int {
  kExitPrinted = 0,           // every copy printed: the last copy's page end was accepted
  kExitFailed = 1,            // retrying the same job will not help: the page is missing,
                              // unreadable or refused, or a module is broken
  kExitPrinterAttention = 4,  // the printer reported a fault, a transfer failed, or it
                              // did not become ready in time
  kExitCancelled = 5,         // the dialog was closed: close box, Ctrl-C, SIGTERM
  kExitPrinterNotFound = 6,   // no printer answered the identification: try again later
  kExitUsage = 64,            // a command line the program does not take; nothing done
};

// Notes how the job ended; the first note of a run counts. A failure noted
// while a close request is pending counts as a cancel: the request is what
// cut the wait for the printer short.
void NoteJobEnd(ExitStatus status);

// The status noted, or kExitFailed when the job never came to an end of its
// own (the dialog could not even be shown).
int JobExitStatus();

// Forgets the note (tests run several jobs in one process).
void ResetJobEnd();
