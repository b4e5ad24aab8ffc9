#include "printer-app/document_check.h"

#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <set>

#include "printer-app/document_filter.h"

namespace {

struct Problem {
  int printer_id;
  std::string message;
};

std::mutex g_lock;
std::set<int> g_checked;            // job ids
std::map<int, Problem> g_problems;  // job id -> what is wrong with its document
std::map<int, Problem> g_unread;    // raster jobs the driver has not seen yet

constexpr char kRasterUnread[] =
    "The raster document cannot be read: its page header is damaged or missing, or its "
    "pixels are not 8-bit grey or sRGB.";

bool IsRaster(const char* format) {
  return std::strcmp(format, "image/pwg-raster") == 0 || std::strcmp(format, "image/urf") == 0;
}

// Formats a job may come in: the document filters', raster, and
// application/octet-stream for PAPPL to recognise.
bool FormatTaken(const char* format) {
  if (IsRaster(format) || std::strcmp(format, "application/octet-stream") == 0) return true;
  for (const char* const* f = kDocumentFormats; *f; ++f)
    if (std::strcmp(format, *f) == 0) return true;
  return false;
}

// Gives each aborted job of `notes` its message; forgets the jobs that ended.
void Explain(pappl_system_t* system, std::map<int, Problem>& notes) {
  for (auto it = notes.begin(); it != notes.end();) {
    pappl_printer_t* printer = papplSystemFindPrinter(system, nullptr, it->second.printer_id, nullptr);
    pappl_job_t* job = printer ? papplPrinterFindJob(printer, it->first) : nullptr;
    const ipp_jstate_t state = job ? papplJobGetState(job) : IPP_JSTATE_COMPLETED;
    if (state == IPP_JSTATE_ABORTED) papplJobSetMessage(job, "%s", it->second.message.c_str());
    it = state >= IPP_JSTATE_CANCELED ? notes.erase(it) : std::next(it);
  }
}

}  // namespace

// PAPPL holds the job's lock while it announces a state: only the job's
// fixed facts are read here.
void CheckJobDocument(pappl_job_t* job, pappl_printer_t* printer) {
  const char* format = papplJobGetFormat(job);
  if (!format) return;
  const int id = papplJobGetID(job);
  std::lock_guard<std::mutex> hold(g_lock);
  if (!g_checked.insert(id).second) return;
  if (IsRaster(format)) {
    g_unread[id] = {papplPrinterGetID(printer), kRasterUnread};
  } else if (!FormatTaken(format)) {
    g_problems[id] = {papplPrinterGetID(printer),
                      std::string("Unsupported document format ") + format +
                          ": send a picture (JPEG, PNG, TIFF, WebP, GIF, HEIF), a PDF or raster."};
  }
}

void NoteDocumentProblem(pappl_job_t* job, pappl_printer_t* printer, const std::string& problem) {
  const int id = papplJobGetID(job);
  std::lock_guard<std::mutex> hold(g_lock);
  if (!g_checked.insert(id).second) return;
  g_problems[id] = {papplPrinterGetID(printer), problem};
}

std::string TakeDocumentProblem(pappl_job_t* job) {
  std::lock_guard<std::mutex> hold(g_lock);
  auto it = g_problems.find(papplJobGetID(job));
  if (it == g_problems.end()) return "";
  std::string problem = it->second.message;
  g_problems.erase(it);
  return problem;
}

void RasterStarted(pappl_job_t* job) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_unread.erase(papplJobGetID(job));
}

bool ExplainAbortedJobs(pappl_system_t* system, void* /*data*/) {
  std::lock_guard<std::mutex> hold(g_lock);
  Explain(system, g_problems);
  Explain(system, g_unread);
  return true;
}
