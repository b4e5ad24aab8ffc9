// The order in which a printer's jobs print, and the jobs a crash left
// unfinished.
//
// PAPPL 1.3 keeps a printer's active jobs newest first (its array compares
// job ids in descending order) and, whenever it looks for work, starts the
// first pending job of that array: with several jobs waiting, the newest
// printed first. So only one job of a printer is ever left pending here: the
// queue keeper holds every other waiting job (papplJobHold, "indefinite")
// from the moment it is created, and releases the next one, oldest first, as
// soon as the job before it has started. When that job ends, the one PAPPL
// finds pending is the next in line. Jobs held by their owner are left alone.
// The jobs the keeper holds are listed in STATE/queue-held, so a restart
// releases them too; the jobs the state brings back pending wait in line as
// well.
//
// A job a crash left unfinished (the state says pending, held or processing,
// and the job's print record says its engine had started) would hang in
// "processing" or print again from the start: before PAPPL loads its state,
// such jobs are made aborted there, and after the load each gets a message
// saying how many of its prints reached the printer.
#pragma once

#include <pappl/pappl.h>

#include <string>

// Before papplSystemLoadState: ends, in the state file, the jobs a crash cut
// short; removes the print records and job folders of jobs that are over.
void EndJobsCutShort(const std::string& state_file);

// After papplSystemLoadState: the messages of the jobs ended above.
void ExplainJobsCutShort(pappl_system_t* system);

// Starts the queue keeper for `system` (once). It saves the state with
// `save_state` whenever it has held or released a job and as soon as a job
// has its document.
void StartQueueKeeper(pappl_system_t* system, bool (*save_state)(pappl_system_t* system));

// Just before PAPPL looks for work on `printer` (under none of its locks):
// every waiting job but the oldest is held, so that PAPPL, which would take
// the newest pending job, can only start the oldest; uploads that end
// together would otherwise start in either order.
void LineUpForPappl(pappl_printer_t* printer);

// From the system's event callback: a job was created or changed; the keeper
// looks again. Calls nothing of PAPPL (the callback runs under its locks).
void WakeQueueKeeper();
