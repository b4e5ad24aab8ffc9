#include "printer-app/job_start_guard.h"

#include <dlfcn.h>
#include <pappl/pappl.h>

#include <chrono>
#include <mutex>
#include <thread>

extern "C" void _papplPrinterCheckJobs(pappl_printer_t* printer);

namespace {

using CheckJobsFn = void (*)(pappl_printer_t*);

CheckJobsFn RealCheckJobs() {
  static const CheckJobsFn real = reinterpret_cast<CheckJobsFn>(dlsym(RTLD_NEXT, "_papplPrinterCheckJobs"));
  return real;
}

std::mutex g_one_look;

// A started job's thread runs within microseconds; it may wait behind
// other threads' hold of the printer, but not for this long.
constexpr auto kStartWait = std::chrono::seconds(30);
constexpr auto kStartPoll = std::chrono::milliseconds(1);

struct JobStates {
  bool pending = false;
  bool processing = false;
};

void CountState(pappl_job_t* job, void* data) {
  auto* states = static_cast<JobStates*>(data);
  switch (papplJobGetState(job)) {
    case IPP_JSTATE_PENDING: states->pending = true; break;
    case IPP_JSTATE_PROCESSING:
    case IPP_JSTATE_STOPPED: states->processing = true; break;
    default: break;
  }
}

// PAPPL starts a job only when none is processing; after its look, a job left
// pending with none processing on a printer that may print is a job whose
// thread has not run yet.
bool StartPending(pappl_printer_t* printer) {
  if (papplPrinterIsDeleted(printer) || papplPrinterGetState(printer) == IPP_PSTATE_STOPPED) return false;
  JobStates states;
  papplPrinterIterateActiveJobs(printer, CountState, &states, 1, 0);
  return states.pending && !states.processing;
}

}  // namespace

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
  real(printer);
  const auto until = std::chrono::steady_clock::now() + kStartWait;
  while (StartPending(printer)) {
    if (std::chrono::steady_clock::now() >= until) {
      papplLogPrinter(printer, PAPPL_LOGLEVEL_WARN, "a started job is still pending after %d s",
                      static_cast<int>(kStartWait.count()));
      break;
    }
    std::this_thread::sleep_for(kStartPoll);
  }
}
