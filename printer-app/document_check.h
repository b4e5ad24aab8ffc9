// What a job's document is found to be before it prints: a format nothing
// here prints, or a problem noted for it (too large), ends the job at its
// start with a message that says so; raster whose stream cannot be read (a
// damaged or missing page header, pixels PAPPL refuses) before the driver
// sees a page gets its reason in place of PAPPL's bare "Job aborted.".
#pragma once

#include <pappl/pappl.h>

#include <string>

// Looks at `job`'s format as PAPPL announces the job's state.
void CheckJobDocument(pappl_job_t* job, pappl_printer_t* printer);

// Notes `problem` for `job` as CheckJobDocument would (the job stops at its
// start with it as the message); the document is not looked at afterwards.
void NoteDocumentProblem(pappl_job_t* job, pappl_printer_t* printer, const std::string& problem);

// The problem noted for `job`, taken out of the notes; "" when none.
std::string TakeDocumentProblem(pappl_job_t* job);

// A raster job reached the driver: its own callbacks say what happens.
void RasterStarted(pappl_job_t* job);

// A timer callback: jobs PAPPL aborted without a word get the noted reason
// as their message.
bool ExplainAbortedJobs(pappl_system_t* system, void* data);
