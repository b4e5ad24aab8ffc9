// One job's run of the engine: `vyr 1 COPIES` with VYR_UI=stdio, VYR_PORT
// from the device URI and VYR_ROOT the job's folder. Its dialog events become
// the job's progress and message and the printer's state reasons; its
// questions are answered from the printer's settings; its exit status gives
// the job's end.
#pragma once

#include <pappl/pappl.h>

#include <string>

#include "base/exit_status.h"
#include "printer-app/printer_settings.h"

// Runs the engine for `job` on the page already spooled in `job_folder`.
// True when every copy printed; otherwise the job's message says why (and
// the job is marked cancelled when the engine was cancelled).
bool RunEngine(pappl_job_t* job, const std::string& job_folder, const std::string& port,
               int copies, const PrinterSettings& settings);
