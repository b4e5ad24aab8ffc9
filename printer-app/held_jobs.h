// Jobs held by job-hold-until. PAPPL 1.3 keeps 'job-hold-until-specified'
// but leaves it out of job-state-reasons, so a job held for that reason alone
// would answer with no job-state-reasons at all; such a job also carries
// 'job-queued' (it waits in the printer's queue) until it leaves the held
// state.
#pragma once

#include <pappl/pappl.h>

// For PAPPL_EVENT_JOB_CREATED (PAPPL holds the job's lock for reading then).
void NoteHeldJob(pappl_job_t* job);

// A job that starts printing is no longer held (PAPPL prints a streamed
// raster at once even when it names job-hold-until).
void JobLeftHold(pappl_job_t* job);

// A timer callback: held jobs that were released, cancelled or started lose
// 'job-queued'.
bool RefreshHeldJobs(pappl_system_t* system, void* data);
