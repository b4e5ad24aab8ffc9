// The end of a job as the exit status will tell it (base/exit_status.h): the
// first end noted in a run decides.
#pragma once

#include "base/exit_status.h"

// Notes how the job ended; the first note of a run counts. A failure noted
// while a close request is pending counts as a cancel: the request is what
// cut the wait for the printer short.
void NoteJobEnd(ExitStatus status);

// The status noted, or kExitFailed when the job never came to an end of its
// own (the dialog could not even be shown).
int JobExitStatus();

// Forgets the note (tests run several jobs in one process).
void ResetJobEnd();
