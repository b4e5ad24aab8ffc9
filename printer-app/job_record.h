// What of a job reached the printer, kept on disk as it happens:
// STATE/jobs/ID-JOB.prints holds the number of prints (copies of pages)
// of job JOB on printer ID whose page end the printer accepted, one decimal
// number and a line end. It is written (under a temporary name, synced and
// renamed into place) when the job's engine first starts and after every
// print, so after a crash it says exactly how much of the job was printed.
// It stays until the next server start, which reads it for the jobs a crash
// left unfinished and removes it.
#pragma once

#include <string>

std::string JobRecordPath(int printer_id, int job_id);

// Prints recorded for the job; -1 when it has no record (its engine never
// started).
int ReadJobPrints(int printer_id, int job_id);

// Records `prints` for the job. False (the old record stays) when the file
// cannot be written.
bool WriteJobPrints(int printer_id, int job_id, int prints);
