#include "printer-app/document_filter.h"

#include <string>

#include "printer-app/document_check.h"
#include "printer-app/driver.h"
#include "printer-app/page_prints.h"
#include "tools/document_pages.h"

// The pictures libvips reads here and PDF.
const char* const kDocumentFormats[] = {"application/pdf", "image/jpeg", "image/png",  "image/tiff",
                                        "image/webp",      "image/gif",  "image/heic", "image/heif",
                                        nullptr};

namespace {

bool PrintDocument(pappl_job_t* job, pappl_device_t* /*device*/, void* /*data*/) {
  if (std::string problem = TakeDocumentProblem(job); !problem.empty()) {
    papplJobSetMessage(job, "%s", problem.c_str());
    return false;
  }
  if (!StartDocumentPages("vyr-printer-app")) {
    papplJobSetMessage(job, "The document cannot be printed: libvips cannot start.");
    return false;
  }
  const char* file = papplJobGetFilename(job);
  std::string why, kind;
  const int count = file ? DocumentPageCount(file, &why, &kind) : 0;
  if (count == 0) {
    papplJobSetMessage(job, "The document cannot be printed: %s.", why.c_str());
    return false;
  }
  pappl_pr_options_t* options = papplJobCreatePrintOptions(job, static_cast<unsigned>(count), true);
  JobPrints prints;
  const bool begun = BeginPrints(job, options, &prints);
  papplJobDeletePrintOptions(options);
  if (!begun) return false;
  prints.page_count = count;
  int selected = 0;
  for (unsigned n = 1; n <= static_cast<unsigned>(count); ++n) selected += PageSelected(prints, n);
  papplJobSetImpressions(job, selected * prints.copies);
  papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%s of %d page%s: printing %d, %d cop%s each, %s", kind.c_str(),
              count, count == 1 ? "" : "s", selected, prints.copies, prints.copies == 1 ? "y" : "ies",
              prints.collate ? "collated" : "uncollated");
  for (unsigned n = 1; n <= static_cast<unsigned>(count) && !prints.stopped; ++n) {
    if (!PageSelected(prints, n)) continue;
    if (papplJobIsCanceled(job)) {
      StopPrints(&prints, "Cancelled.");
      break;
    }
    if (!SpoolDocumentPage(file, static_cast<int>(n) - 1, prints.layout, PageFile(prints, n), nullptr, &why)) {
      StopPrints(&prints, "Page " + std::to_string(n) + " cannot be printed: " + why + ".");
      break;
    }
    PrintPage(&prints, n);
  }
  return FinishPrints(&prints);
}

}  // namespace

void AddDocumentFilters(pappl_system_t* system) {
  // libvips starts with the server, so the first job does not wait for it
  // (it costs the idle server some 14 MB).
  StartDocumentPages("vyr-printer-app");
  // To the driver's own format: PAPPL looks for that filter first, so these
  // come before its built-in picture filters.
  for (const char* const* format = kDocumentFormats; *format; ++format)
    papplSystemAddMIMEFilter(system, *format, kDriverFormat, PrintDocument, nullptr);
}
