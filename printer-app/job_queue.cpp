#include "printer-app/job_queue.h"

#include <cups/cups.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "printer-app/job_record.h"
#include "printer-app/printer_settings.h"

namespace {

namespace fs = std::filesystem;
using JobKey = std::pair<int, int>;  // printer id, job id

// The keeper looks at least this often: a job it holds may finish its
// upload (PAPPL tells nobody).
constexpr auto kSweepPeriod = std::chrono::milliseconds(250);

// ---- Jobs a crash cut short ------------------------------------------------------

struct CutShort {
  int printer_id;
  int job_id;
  int prints;
};
std::vector<CutShort> g_cut_short;

// A line of PAPPL's state file as PAPPL writes it: NAME, then name="value"
// pairs with '\' and '"' escaped by a backslash.
std::string StateLine(const char* name, int count, const cups_option_t* options) {
  std::string line = name;
  for (int i = 0; i < count; ++i) {
    line += std::string(" ") + options[i].name + "=\"";
    for (const char* p = options[i].value; *p; ++p) {
      if (*p == '\\' || *p == '"') line += '\\';
      line += *p;
    }
    line += '"';
  }
  return line;
}

int IntOption(const char* name, int count, cups_option_t* options) {
  const char* value = cupsGetOption(name, count, options);
  return value ? std::atoi(value) : 0;
}

// "P-J", "P-J.prints" or "P-J.prints.new" in STATE/jobs: the job's key.
bool KeyOfJobEntry(const std::string& name, JobKey* key) {
  int printer = 0, job = 0, used = 0;
  if (std::sscanf(name.c_str(), "%d-%d%n", &printer, &job, &used) != 2) return false;
  const std::string rest = name.substr(static_cast<size_t>(used));
  if (!rest.empty() && rest != ".prints" && rest != ".prints.new") return false;
  *key = {printer, job};
  return true;
}

// ---- The queue keeper -------------------------------------------------------------

std::mutex g_wake_lock;
std::condition_variable g_wake_cv;
bool g_woken = false;

pappl_system_t* g_system = nullptr;
bool (*g_save_state)(pappl_system_t*) = nullptr;
// The line: what is held and saved, under g_line_lock.
std::mutex g_line_lock;
std::set<JobKey> g_saved;          // jobs saved in the state with their documents
std::set<JobKey> g_held;           // jobs the keeper holds
std::atomic<bool> g_unsaved{false};  // PAPPL's look changed the line

std::string HeldFile() { return StateFolder() + "/queue-held"; }

void LoadHeld() {
  std::ifstream in(HeldFile());
  for (int printer, job; in >> printer >> job;) g_held.insert({printer, job});
}

void SaveHeld() {
  const std::string path = HeldFile(), temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::trunc);
    for (const JobKey& key : g_held) out << key.first << ' ' << key.second << '\n';
    if (!out) return;
  }
  std::rename(temp.c_str(), path.c_str());
}

struct Seen {
  pappl_job_t* job;
  int id;
  ipp_jstate_t state;
  pappl_jreason_t reasons;
  bool has_document;
};

void Collect(pappl_job_t* job, void* data) {
  static_cast<std::vector<Seen>*>(data)->push_back(
      {job, papplJobGetID(job), papplJobGetState(job), papplJobGetReasons(job),
       papplJobGetFilename(job) != nullptr});
}

// A hold in line: PAPPL 1.3 marks it 'job-hold-until-specified' and leaves
// that out of job-state-reasons, so the job would answer with no reason at
// all; it carries 'job-queued' (it waits in the printer's queue) from before
// the hold, so no answer falls between the two.
bool HoldInLine(pappl_job_t* job) {
  papplJobSetReasons(job, PAPPL_JREASON_JOB_QUEUED, PAPPL_JREASON_NONE);
  if (papplJobHold(job, nullptr, "indefinite", 0)) return true;
  papplJobSetReasons(job, PAPPL_JREASON_NONE, PAPPL_JREASON_JOB_QUEUED);
  return false;
}

// Released, started or cancelled: out of line.
void LeaveLine(pappl_job_t* job) { papplJobSetReasons(job, PAPPL_JREASON_NONE, PAPPL_JREASON_JOB_QUEUED); }

// Who looks at a printer's jobs.
enum class Looker {
  kStart,   // before the server runs: the jobs its state brought back
            // pending wait in line too, the oldest included
  kKeeper,  // the keeper: the oldest waiting job is let go once it has its document
  kPappl,   // PAPPL, about to look for work: it must find none but the oldest pending
};

// One look at a printer's jobs: every waiting job but the oldest held. Under
// g_line_lock; true if what is held or saved changed. For the keeper,
// `release` is the oldest job if it is held here and has its document.
//
// A job is never held and released again once PAPPL may have chosen it:
// PAPPL 1.3 starts a chosen job on a thread of its own and leaves it pending
// until that thread runs, so a release then would start it a second time.
bool LineUp(pappl_printer_t* printer, Looker looker, pappl_job_t** release) {
  bool changed = false;
  const int printer_id = papplPrinterGetID(printer);
  std::vector<Seen> jobs;
  papplPrinterIterateActiveJobs(printer, Collect, &jobs, 1, 0);
  std::sort(jobs.begin(), jobs.end(), [](const Seen& a, const Seen& b) { return a.id < b.id; });

  std::vector<Seen*> waiting;
  std::set<JobKey> still_held;
  for (Seen& j : jobs) {
    const JobKey key{printer_id, j.id};
    const bool ours = g_held.count(key) > 0;
    // PAPPL saves its state a while after a change; a job that has its
    // document is saved at once, so a crash right after loses no job.
    if (j.has_document && g_saved.insert(key).second) changed = true;
    if (j.state == IPP_JSTATE_HELD && ours) still_held.insert(key);
    // Held by its owner: not in line until released.
    const bool owners_hold = j.state == IPP_JSTATE_HELD && !ours &&
                             (j.reasons & PAPPL_JREASON_JOB_HOLD_UNTIL_SPECIFIED);
    if (j.state == IPP_JSTATE_PENDING || (j.state == IPP_JSTATE_HELD && !owners_hold))
      waiting.push_back(&j);
  }
  // Jobs held here that were cancelled or released meanwhile are no more ours.
  for (auto it = g_held.begin(); it != g_held.end();) {
    if (it->first == printer_id && !still_held.count(*it)) {
      if (pappl_job_t* gone = papplPrinterFindJob(printer, it->second)) LeaveLine(gone);
      it = g_held.erase(it);
      changed = true;
    } else {
      ++it;
    }
  }
  if (waiting.empty()) return changed;

  Seen& next = *waiting.front();
  for (size_t i = looker == Looker::kStart ? 0 : 1; i < waiting.size(); ++i) {
    Seen& w = *waiting[i];
    const JobKey key{printer_id, w.id};
    if (g_held.count(key) || (i == 0 && w.state != IPP_JSTATE_PENDING)) continue;
    // Pending without a document: a raster stream PAPPL starts on its
    // client's thread at once, whatever its state.
    if (w.state == IPP_JSTATE_PENDING && !w.has_document) continue;
    if (HoldInLine(w.job)) {
      g_held.insert(key);
      changed = true;
      papplJobSetMessage(w.job, "Waiting for the jobs before it.");
      if (i > 0) papplLogJob(w.job, PAPPL_LOGLEVEL_DEBUG, "held in line behind job %d", next.id);
    }
  }
  if (looker == Looker::kKeeper && g_held.count({printer_id, next.id}) && next.has_document)
    *release = next.job;
  return changed;
}

// Released while the job before it still prints, the oldest job is the one
// pending job PAPPL finds when that job ends. The release looks for work
// (LineUpForPappl), so it is made outside g_line_lock.
void KeeperLook(pappl_printer_t* printer, void* changed_flag) {
  bool& changed = *static_cast<bool*>(changed_flag);
  pappl_job_t* release = nullptr;
  {
    std::lock_guard<std::mutex> line(g_line_lock);
    changed = LineUp(printer, Looker::kKeeper, &release) || changed;
  }
  if (!release || !papplJobRelease(release, nullptr)) return;
  std::lock_guard<std::mutex> line(g_line_lock);
  LeaveLine(release);
  g_held.erase({papplPrinterGetID(printer), papplJobGetID(release)});
  changed = true;
  papplLogJob(release, PAPPL_LOGLEVEL_DEBUG, "released: next in line");
}

void KeepQueues() {
  for (;;) {
    {
      std::unique_lock<std::mutex> hold(g_wake_lock);
      g_wake_cv.wait_for(hold, kSweepPeriod, [] { return g_woken; });
      g_woken = false;
    }
    if (!papplSystemIsRunning(g_system)) continue;
    bool changed = g_unsaved.exchange(false);
    papplSystemIteratePrinters(g_system, KeeperLook, &changed);
    if (changed) {
      {
        std::lock_guard<std::mutex> line(g_line_lock);
        SaveHeld();
      }
      if (g_save_state) g_save_state(g_system);
    }
  }
}

void StartLook(pappl_printer_t* printer, void* /*data*/) { LineUp(printer, Looker::kStart, nullptr); }

}  // namespace

void EndJobsCutShort(const std::string& state_file) {
  std::ifstream in(state_file);
  if (!in) return;
  std::vector<std::string> lines;
  std::set<JobKey> active;
  bool changed = false;
  int printer_id = 0;
  const std::string now = std::to_string(static_cast<long>(std::time(nullptr)));
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, 9, "<Printer ") == 0) {
      std::string value = line.substr(9);
      if (!value.empty() && value.back() == '>') value.pop_back();
      cups_option_t* options = nullptr;
      const int count = cupsParseOptions(value.c_str(), 0, &options);
      printer_id = IntOption("id", count, options);
      cupsFreeOptions(count, options);
    } else if (line.compare(0, 4, "Job ") == 0 && printer_id > 0) {
      cups_option_t* options = nullptr;
      int count = cupsParseOptions(line.c_str() + 4, 0, &options);
      const int job_id = IntOption("id", count, options);
      const int state = IntOption("state", count, options);
      if (state >= IPP_JSTATE_PENDING && state <= IPP_JSTATE_STOPPED) {
        const int prints = ReadJobPrints(printer_id, job_id);
        if (prints < 0) {
          active.insert({printer_id, job_id});
        } else {
          // Its engine had started: aborted, its document gone.
          if (const char* document = cupsGetOption("filename", count, options))
            std::remove(document);
          count = cupsRemoveOption("filename", count, &options);
          count = cupsAddOption("state", std::to_string(IPP_JSTATE_ABORTED).c_str(), count, &options);
          if (!cupsGetOption("completed", count, options))
            count = cupsAddOption("completed", now.c_str(), count, &options);
          line = StateLine("Job", count, options);
          g_cut_short.push_back({printer_id, job_id, prints});
          changed = true;
        }
      }
      cupsFreeOptions(count, options);
    } else if (line.compare(0, 10, "</Printer>") == 0) {
      printer_id = 0;
    }
    lines.push_back(line);
  }
  in.close();
  if (changed) {
    const std::string temp = state_file + ".new";
    {
      std::ofstream out(temp, std::ios::trunc);
      for (const std::string& line : lines) out << line << '\n';
    }
    std::rename(temp.c_str(), state_file.c_str());
  }
  // Records and job folders of jobs that are over (the state file says so
  // now, on disk) are no longer needed.
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(StateFolder() + "/jobs", ec)) {
    JobKey key;
    if (KeyOfJobEntry(entry.path().filename().string(), &key) && !active.count(key))
      fs::remove_all(entry.path(), ec);
  }
}

void ExplainJobsCutShort(pappl_system_t* system) {
  for (const CutShort& c : g_cut_short) {
    pappl_printer_t* printer = papplSystemFindPrinter(system, nullptr, c.printer_id, nullptr);
    pappl_job_t* job = printer ? papplPrinterFindJob(printer, c.job_id) : nullptr;
    if (!job) continue;
    papplJobSetMessage(job,
                       "Stopped: the printer application ended while this job printed; %d print%s "
                       "had reached the printer.",
                       c.prints, c.prints == 1 ? "" : "s");
    papplJobSetReasons(job, PAPPL_JREASON_ABORTED_BY_SYSTEM,
                       PAPPL_JREASON_JOB_PRINTING | PAPPL_JREASON_JOB_HOLD_UNTIL_SPECIFIED);
    const int counted = papplJobGetImpressionsCompleted(job);
    if (c.prints > counted) papplJobSetImpressionsCompleted(job, c.prints - counted);
    papplLogJob(job, PAPPL_LOGLEVEL_WARN, "cut short by the end of the last server: aborted, %d prints had reached the printer",
                c.prints);
  }
  g_cut_short.clear();
}

void StartQueueKeeper(pappl_system_t* system, bool (*save_state)(pappl_system_t* system)) {
  if (g_system) return;
  g_system = system;
  g_save_state = save_state;
  {
    std::lock_guard<std::mutex> line(g_line_lock);
    LoadHeld();
    papplSystemIteratePrinters(system, StartLook, nullptr);
    SaveHeld();
  }
  std::thread(KeepQueues).detach();
}

void LineUpForPappl(pappl_printer_t* printer) {
  if (!g_system) return;
  bool changed;
  {
    std::lock_guard<std::mutex> line(g_line_lock);
    changed = LineUp(printer, Looker::kPappl, nullptr);
  }
  if (changed) {
    g_unsaved = true;
    WakeQueueKeeper();
  }
}

void WakeQueueKeeper() {
  {
    std::lock_guard<std::mutex> hold(g_wake_lock);
    g_woken = true;
  }
  g_wake_cv.notify_one();
}
