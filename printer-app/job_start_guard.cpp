#include "printer-app/job_start_guard.h"

#include <dlfcn.h>
#include <pappl/pappl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

#include "printer-app/job_queue.h"

extern "C" void _papplPrinterCheckJobs(pappl_printer_t* printer);

namespace {

using CheckJobsFn = void (*)(pappl_printer_t*);

CheckJobsFn RealCheckJobs() {
  static const CheckJobsFn real = reinterpret_cast<CheckJobsFn>(dlsym(RTLD_NEXT, "_papplPrinterCheckJobs"));
  return real;
}

std::mutex g_one_look;
std::atomic<uint64_t> g_jobs_ended{0};

// A started job's thread runs within microseconds; it may wait behind
// other threads' hold of the printer, but not for this long.
constexpr auto kStartWait = std::chrono::seconds(30);
// A look while a job was ending may or may not have started the next one;
// if it did not, the ending job's own look (waiting for this one) will.
constexpr auto kEndingWait = std::chrono::seconds(1);
constexpr auto kStartPoll = std::chrono::milliseconds(1);

struct JobStates {
  bool pending = false;
  bool processing = false;
  int streaming = 0;  // a pending job without a document file: its id
};

void CountState(pappl_job_t* job, void* data) {
  auto* states = static_cast<JobStates*>(data);
  switch (papplJobGetState(job)) {
    case IPP_JSTATE_PENDING:
      states->pending = true;
      if (!papplJobGetFilename(job)) states->streaming = papplJobGetID(job);
      break;
    case IPP_JSTATE_PROCESSING:
    case IPP_JSTATE_STOPPED: states->processing = true; break;
    default: break;
  }
}

JobStates StatesOf(pappl_printer_t* printer) {
  JobStates states;
  papplPrinterIterateActiveJobs(printer, CountState, &states, 1, 0);
  return states;
}

// PAPPL starts a job only when none is processing; after a look that found
// none processing, a job left pending with none processing on a printer that
// may print is a job whose thread has not run yet.
bool StartPending(pappl_printer_t* printer) {
  if (papplPrinterIsDeleted(printer) || papplPrinterGetState(printer) == IPP_PSTATE_STOPPED) return false;
  const JobStates states = StatesOf(printer);
  return states.pending && !states.processing;
}

// A PWG or Apple raster job is made pending and started on its client's
// thread, with no look and no document file; a look in between would start
// it a second time. So while such a job is pending, a look does nothing: the
// stream's own end looks again. A pending job without a file that is not
// started within the bound (one an owner released before its document came)
// no longer stops the looks.
constexpr auto kStreamStartBound = std::chrono::seconds(2);
int g_stream_job = 0;  // under g_one_look
std::chrono::steady_clock::time_point g_stream_seen;

bool StreamStarting(const JobStates& states) {
  if (!states.streaming) return false;
  const auto now = std::chrono::steady_clock::now();
  if (states.streaming != g_stream_job) {
    g_stream_job = states.streaming;
    g_stream_seen = now;
  }
  return now - g_stream_seen < kStreamStartBound;
}

}  // namespace

void NoteJobEnded() { g_jobs_ended.fetch_add(1); }

bool JobStartGuarded(std::string* why) {
  if (!RealCheckJobs()) {
    *why = "PAPPL has no _papplPrinterCheckJobs";
    return false;
  }
  if (reinterpret_cast<void*>(dlsym(RTLD_DEFAULT, "_papplPrinterCheckJobs")) !=
      reinterpret_cast<void*>(&_papplPrinterCheckJobs)) {
    *why = "the program does not export its _papplPrinterCheckJobs";
    return false;
  }
  return true;
}

extern "C" void _papplPrinterCheckJobs(pappl_printer_t* printer) {
  const CheckJobsFn real = RealCheckJobs();
  if (!real || !printer) return;
  std::lock_guard<std::mutex> one_look(g_one_look);
  LineUpForPappl(printer);  // holds no raster stream and stops none processing
  // A job processing before and after the look, with no job ended between
  // (a job ends and stops processing at one moment): the look found the
  // printer busy and started nothing.
  const uint64_t ended = g_jobs_ended.load();
  const JobStates before = StatesOf(printer);
  if (StreamStarting(before)) return;
  const bool was_processing = before.processing;
  real(printer);
  if (was_processing && g_jobs_ended.load() == ended) return;
  const auto start = std::chrono::steady_clock::now();
  while (StartPending(printer)) {
    if (std::chrono::steady_clock::now() - start >= (was_processing ? kEndingWait : kStartWait)) {
      if (!was_processing) papplLogPrinter(printer, PAPPL_LOGLEVEL_WARN, "a started job is still pending after %d s",
                                   static_cast<int>(kStartWait.count()));
      break;
    }
    std::this_thread::sleep_for(kStartPoll);
  }
}
