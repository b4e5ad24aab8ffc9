// A look at a job's picture before it is decoded, so a file that is not a
// picture, is cut short or is too large ends the job with a message that
// says so (the decoder alone would print a cut-short JPEG with a grey foot).
#pragma once

#include <pappl/pappl.h>

#include <string>

// What is wrong with the JPEG or PNG document at `path`; "" when nothing is
// found (and for every other format).
std::string DocumentProblem(const std::string& path, const std::string& format, int max_width,
                            int max_height);

// Looks at `job`'s document as PAPPL announces the job's state (before it is
// decoded). A bad picture is noted and replaced by a one-pixel picture of its
// format: PAPPL 1.3's PNG decoder never returns from a read error, so a bad
// picture must not reach it. A format nothing here decodes is noted too.
void CheckJobDocument(pappl_job_t* job, pappl_printer_t* printer);

// Notes `problem` for `job` as CheckJobDocument would (the job stops at its
// start with it as the message); the document is not looked at afterwards.
void NoteDocumentProblem(pappl_job_t* job, pappl_printer_t* printer, const std::string& problem);

// A timer callback: jobs PAPPL aborted without a word (a format it cannot
// decode) get the noted reason as their message.
bool ExplainAbortedJobs(pappl_system_t* system, void* data);

// The problem noted for `job`, taken out of the notes; "" when none.
std::string TakeDocumentProblem(pappl_job_t* job);

// The largest picture PAPPL decodes (from the system, at start).
void SetPictureLimit(int max_width, int max_height);
