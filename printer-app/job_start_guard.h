// PAPPL 1.3 starts a job in two steps: its look for work
// (_papplPrinterCheckJobs) picks the newest pending job and starts a thread
// for it, and only that thread, once it runs, marks the job processing. A
// look in between picks the same job again: it prints twice, and PAPPL's
// end of the job (its state, counters and list of ended jobs) runs twice. The
// end of an upload, a release and the end of a job each look for work, on
// threads of their own, so uploads ending together are enough. This program
// puts its own look in front of PAPPL's (the link exports it, so the library's
// calls come here): one look at a time, the jobs lined up first
// (LineUpForPappl), and a look that started a job returns only once the job
// is processing. A raster stream, which PAPPL starts without a look, is let
// start before any look.
#pragma once

#include <string>

// From the system's event callback (under PAPPL's locks): a job ended.
void NoteJobEnded();

// True if PAPPL's looks for work come to this program's; false, with the
// reason, if they do not (then jobs start as PAPPL alone starts them).
bool JobStartGuarded(std::string* why);
