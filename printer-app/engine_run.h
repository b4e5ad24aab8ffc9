// One print: a run of the engine, `vyr 1 COPIES` with VYR_UI=stdio, VYR_PORT
// from the device URI and VYR_ROOT the print's folder, for the page spooled
// there. The engine's events (read through the dialog event decoder) become
// the job's progress and the printer's state reasons and message; its
// questions are answered from the printer's settings; its exit status and
// the copies it reported as printed make the result.
//
// One engine per device at any moment: the run holds an exclusive lock on
// the device's lock file (STATE/locks/) from before the engine starts until
// it has ended, and the engine holds it too, so a server that dies leaves it
// held until its engine has closed. The engine ends with the thread that
// started it (SIGTERM, its close box: run end, exit signals, spooled page
// deleted). Every copy the engine reports as printed is added at once, on
// disk, to the job's print record (see job_record.h), which a server that
// starts after a crash reads.
#pragma once

#include <pappl/pappl.h>

#include <functional>
#include <string>

#include "printer-app/printer_settings.h"

// How a print ended.
struct EngineResult {
  // The engine's exit status (base/exit_status.h: kExitPrinted, kExitFailed,
  // kExitPrinterAttention, kExitCancelled, kExitPrinterNotFound), or -1 when
  // it could not be started, did not get the device, or was killed.
  int status = -1;
  // Copies whose page end the printer accepted, as the engine reported them.
  int copies_printed = 0;
  // The job was cancelled (IPP, web page) and the engine closed for it, or
  // the engine itself ended cancelled.
  bool cancelled = false;
  // For the job's message: on success "Printed N copies."; otherwise why the
  // print stopped, with the engine's own text in the user's language
  // ("Printer needs attention: ...", "Printer not found: ...", "Cancelled.").
  std::string message;

  bool ok() const { return status == 0 && !cancelled; }
};

// The progress of a run, given to the caller's callback on every change.
struct EngineProgress {
  int copy = 0;            // copy being worked on, from 1 (0 before the engine says)
  int copies = 0;          // copies the engine prints
  int line = 0;            // lines of that copy the printer has taken
  int lines = 0;           // lines of a copy (0 until its lines begin)
  int copies_printed = 0;  // copies that reached the printer so far
};
using EngineProgressFn = std::function<void(const EngineProgress&)>;

// Runs the engine for `job` on the page spooled in `job_folder`, `copies`
// copies (1 to 99). Without `progress` the job's message follows the run
// ("Printing copy 1 of 2, 45 %"); with it, the callback decides. The job's
// impressions are left to the caller (result.copies_printed, or
// progress.copies_printed as it grows). The printer's state reasons and
// message follow the engine's faults. Blocks until the engine has ended.
EngineResult RunEngine(pappl_job_t* job, const std::string& job_folder, const std::string& port,
                       int copies, const PrinterSettings& settings,
                       const EngineProgressFn& progress = nullptr);
