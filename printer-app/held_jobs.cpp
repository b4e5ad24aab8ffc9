#include "printer-app/held_jobs.h"

#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace {

std::mutex g_lock;
std::map<int, int> g_held;  // job id -> printer id

// Whether thread `tid` of this process is asleep (it blocks on nothing but
// the job's lock).
bool Asleep(pid_t tid) {
  FILE* f = std::fopen(("/proc/self/task/" + std::to_string(tid) + "/stat").c_str(), "r");
  if (!f) return true;  // gone: it is done
  char state = 0;
  const bool read = std::fscanf(f, "%*d (%*[^)]) %c", &state) == 1;
  std::fclose(f);
  return !read || state == 'S' || state == 'D';
}

}  // namespace

void NoteHeldJob(pappl_job_t* job) {
  if (!(papplJobGetReasons(job) & PAPPL_JREASON_JOB_HOLD_UNTIL_SPECIFIED)) return;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    g_held[papplJobGetID(job)] = papplPrinterGetID(papplJobGetPrinter(job));
  }
  // PAPPL holds the job's lock for reading while it announces the job, and
  // answers the request only after the document is in. A helper waits for
  // the lock as a writer before the announcement ends, so the lock is its
  // next (the last reader hands it to a waiting writer) and the answer
  // already carries the reason.
  std::atomic<pid_t> tid{0};
  std::thread helper([job, &tid] {
    tid = gettid();
    papplJobSetReasons(job, PAPPL_JREASON_JOB_QUEUED, PAPPL_JREASON_NONE);
  });
  while (tid == 0) std::this_thread::yield();
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (!Asleep(tid) && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
  helper.detach();
}

void JobLeftHold(pappl_job_t* job) {
  {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_held.count(papplJobGetID(job)) == 0) return;
  }
  // PAPPL prints a streamed raster at once, held or not, and keeps
  // 'job-hold-until-specified' then: a job that prints is held no more.
  papplJobSetReasons(job, PAPPL_JREASON_NONE,
                     PAPPL_JREASON_JOB_QUEUED | PAPPL_JREASON_JOB_HOLD_UNTIL_SPECIFIED);
}

bool RefreshHeldJobs(pappl_system_t* system, void* /*data*/) {
  // PAPPL's locks are taken outside ours: NoteHeldJob runs under the job's.
  std::map<int, int> held;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    held = g_held;
  }
  for (const auto& [job_id, printer_id] : held) {
    pappl_printer_t* printer = papplSystemFindPrinter(system, nullptr, printer_id, nullptr);
    pappl_job_t* job = printer ? papplPrinterFindJob(printer, job_id) : nullptr;
    if (job && papplJobGetState(job) == IPP_JSTATE_HELD) continue;
    if (job) papplJobSetReasons(job, PAPPL_JREASON_NONE, PAPPL_JREASON_JOB_QUEUED);
    std::lock_guard<std::mutex> hold(g_lock);
    g_held.erase(job_id);
  }
  return true;
}
