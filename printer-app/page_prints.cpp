#include "printer-app/page_prints.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "printer-app/device_uri.h"
#include "printer-app/engine_run.h"
#include "printer-app/print_picture.h"
#include "printer-app/printer_profiles.h"
#include "printer-app/supplies.h"

namespace fs = std::filesystem;

namespace {

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// What reached the printer, for the job's message: "Printed 3 pages, 2
// copies each." when all went well, else the pages and their copies.
std::string Summary(const JobPrints& p, bool complete) {
  const int pages = static_cast<int>(p.pages.size());
  if (complete) {
    if (pages == 1) return "Printed " + Plural(p.copies, "copy", "copies") + ".";
    return "Printed " + Plural(pages, "page", "pages") +
           (p.copies == 1 ? "" : ", " + Plural(p.copies, "copy", "copies") + " each") + ".";
  }
  std::string printed;
  for (const JobPrints::Page& page : p.pages) {
    if (page.printed == 0) continue;
    printed += (printed.empty() ? "" : ", ") + std::string("page ") + std::to_string(page.number);
    if (p.copies > 1) printed += " (" + std::to_string(page.printed) + " of " + std::to_string(p.copies) + ")";
  }
  return printed.empty() ? "Nothing was printed." : "Printed before it stopped: " + printed + ".";
}

// The job's disk: the printer's settings and tables as second names (hard
// links, copies where links cannot be made) in windows/, c/ for the engine's
// page, pages/ for the spooled pages. The engine follows no link out of its
// disk.
bool MakeJobFolder(pappl_job_t* job, int printer_id, const std::string& folder) {
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder + "/c", ec);
  if (!ec) fs::create_directories(folder + "/pages", ec);
  const fs::path from = PrinterFolder(printer_id) + "/windows";
  for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::end(it); it.increment(ec)) {
    const fs::path to = folder / fs::path("windows") / fs::relative(it->path(), from, ec);
    if (it->is_directory(ec)) {
      fs::create_directories(to, ec);
    } else if (it->is_regular_file(ec)) {
      fs::create_hard_link(it->path(), to, ec);
      if (ec) fs::copy_file(it->path(), to, fs::copy_options::overwrite_existing, ec);
    }
    if (ec) break;
  }
  if (ec) {
    papplJobSetMessage(job, "Cannot lay out the job's disk in %s: %s", folder.c_str(),
                       ec.message().c_str());
    return false;
  }
  return true;
}

// The printer's last page stays as STATE/printers/ID/last-page.bmp (a second
// name of the spooled page), for `vyrtool preview` and the Engine page.
void KeepLastPage(int printer_id, const std::string& page) {
  const std::string last = PrinterFolder(printer_id) + "/last-page.bmp";
  const std::string temp = last + ".new";
  std::remove(temp.c_str());
  if (link(page.c_str(), temp.c_str()) == 0) std::rename(temp.c_str(), last.c_str());
}

// One print: `copies` of the page spooled at `file`, one run of the engine.
// The copies that reached the printer are added to `page`.
bool RunPrint(JobPrints* p, JobPrints::Page* page, int copies) {
  pappl_job_t* job = p->job;
  if (papplJobIsCanceled(job)) return false;
  const std::string engine_page = p->folder + "/c/abx.1";
  std::remove(engine_page.c_str());
  // The engine deletes its page at the end: it gets a second name.
  if (link(page->file.c_str(), engine_page.c_str()) != 0) {
    papplJobSetMessage(job, "Cannot hand page %u to the engine: %s", page->number, std::strerror(errno));
    return false;
  }
  KeepLastPage(papplPrinterGetID(papplJobGetPrinter(job)), engine_page);
  // The job's message follows the run; a document of several pages names
  // the page.
  const int pages = p->page_count;
  const unsigned number = page->number;
  const EngineProgressFn progress = [job, pages, number](const EngineProgress& at) {
    if (at.lines <= 0) return;
    const int percent = at.line * 100 / at.lines;
    if (pages > 1)
      papplJobSetMessage(job, "Printing page %u of %d, copy %d of %d, %d %%", number, pages, at.copy,
                         at.copies, percent);
    else
      papplJobSetMessage(job, "Printing copy %d of %d, %d %%", at.copy, at.copies, percent);
  };
  const EngineResult result = RunEngine(job, p->folder, p->port, copies, p->settings, progress);
  // The ribbon and paper count down by the copies that reached the printer.
  CountPrints(papplJobGetPrinter(job), result.copies_printed);
  page->printed += result.copies_printed;
  papplJobSetImpressionsCompleted(job, result.copies_printed);
  if (!result.ok()) p->reason = result.message;
  return result.ok();
}

// The job's message after a print failed: the engine's reason, then what
// was printed before.
void Stopped(JobPrints* p) {
  p->stopped = true;
  if (papplJobIsCanceled(p->job)) {
    papplJobSetMessage(p->job, "Cancelled. %s", Summary(*p, false).c_str());
    return;
  }
  const std::string reason = p->reason.empty() ? "The print engine stopped." : p->reason;
  papplJobSetMessage(p->job, "%s %s", reason.c_str(), Summary(*p, false).c_str());
}

PageScaling ScalingOf(pappl_scaling_t scaling) {
  switch (scaling) {
    case PAPPL_SCALING_AUTO_FIT: return PageScaling::kAutoFit;
    case PAPPL_SCALING_FILL: return PageScaling::kFill;
    case PAPPL_SCALING_FIT: return PageScaling::kFit;
    case PAPPL_SCALING_NONE: return PageScaling::kNone;
    default: return PageScaling::kAuto;
  }
}

PageOrientation OrientationOf(ipp_orient_t orientation) {
  switch (orientation) {
    case IPP_ORIENT_PORTRAIT: return PageOrientation::kPortrait;
    case IPP_ORIENT_LANDSCAPE: return PageOrientation::kLandscape;
    case IPP_ORIENT_REVERSE_LANDSCAPE: return PageOrientation::kReverseLandscape;
    case IPP_ORIENT_REVERSE_PORTRAIT: return PageOrientation::kReversePortrait;
    default: return PageOrientation::kAuto;
  }
}

}  // namespace

bool BeginPrints(pappl_job_t* job, const pappl_pr_options_t* options, JobPrints* p) {
  p->job = job;
  if (options->copies < 1 || options->copies > kMaxCopies) {
    papplJobSetMessage(job, "Copies must be 1 to %d; %d were asked for.", kMaxCopies, options->copies);
    return false;
  }
  p->copies = options->copies;
  ipp_attribute_t* handling = papplJobGetAttribute(job, "multiple-document-handling");
  const char* keyword = handling ? ippGetString(handling, 0, nullptr) : nullptr;
  p->collate = !keyword || std::strcmp(keyword, "separate-documents-uncollated-copies") != 0;
  p->first_page = options->first_page ? options->first_page : 1;
  p->last_page = options->last_page ? options->last_page : UINT_MAX;
  p->layout.scaling = ScalingOf(options->print_scaling);
  // The printer's default orientation is portrait (IPP wants one of the
  // four); a job that names none has its page turned to fill the frame.
  p->layout.orientation = papplJobGetAttribute(job, "orientation-requested")
                              ? OrientationOf(options->orientation_requested)
                              : PageOrientation::kAuto;
  pappl_printer_t* printer = papplJobGetPrinter(job);
  const int printer_id = papplPrinterGetID(printer);
  p->settings = LoadPrinterSettings(printer_id);
  p->layout.dpi = p->settings.dpi;
  p->folder = JobFolder(printer_id, papplJobGetID(job));
  std::string error;
  const char* uri = papplPrinterGetDeviceURI(printer);
  if (!EnginePortForUri(uri ? uri : "", &p->port, &error)) {
    papplJobSetMessage(job, "%s", error.c_str());
    return false;
  }
  // The job's colour table (print-rendering-intent) goes into its disk.
  return MakeJobFolder(job, printer_id, p->folder) && UseJobColourTable(job, p->folder);
}

bool PageSelected(const JobPrints& p, unsigned number) {
  return number >= p.first_page && number <= p.last_page;
}

std::string PageFile(const JobPrints& p, unsigned number) {
  return p.folder + "/pages/" + std::to_string(number) + ".bmp";
}

bool PrintPage(JobPrints* p, unsigned number) {
  if (p->stopped) return false;
  p->pages.push_back({number, 0, PageFile(*p, number)});
  if (p->collate && p->copies > 1) {
    // Copies in sets: the first page waits for the second, since a document
    // of one page prints all its copies in one run.
    if (p->pages.size() == 1) return true;
    for (size_t i = p->pages.size() == 2 ? 0 : p->pages.size() - 1; i < p->pages.size(); ++i) {
      if (!RunPrint(p, &p->pages[i], 1)) {
        Stopped(p);
        return false;
      }
    }
    return true;
  }
  JobPrints::Page& page = p->pages.back();
  const bool ok = RunPrint(p, &page, p->copies);
  std::remove(page.file.c_str());
  page.file.clear();
  if (!ok) Stopped(p);
  return ok;
}

void StopPrints(JobPrints* p, const std::string& reason) {
  if (p->stopped) return;
  p->stopped = true;
  papplJobSetMessage(p->job, "%s %s", reason.c_str(), Summary(*p, false).c_str());
}

bool FinishPrints(JobPrints* p) {
  if (p->collate && p->copies > 1 && !p->stopped) {
    if (p->pages.size() == 1) {
      if (!RunPrint(p, &p->pages[0], p->copies)) Stopped(p);
    } else {
      for (int set = 2; set <= p->copies && !p->stopped; ++set) {
        for (JobPrints::Page& page : p->pages) {
          if (!RunPrint(p, &page, 1)) {
            Stopped(p);
            break;
          }
        }
      }
    }
  }
  const bool complete = !p->stopped && !p->pages.empty();
  if (complete) papplJobSetMessage(p->job, "%s", Summary(*p, true).c_str());
  if (!p->stopped && p->pages.empty()) {
    if (p->last_page == UINT_MAX)
      papplJobSetMessage(p->job, "The document has no page to print.");
    else
      papplJobSetMessage(p->job, "The document has no page in the range %u-%u to print.", p->first_page,
                         p->last_page);
  }
  pappl_printer_t* printer = papplJobGetPrinter(p->job);
  if (!p->pages.empty()) DrawPrintPicture(printer);
  std::error_code ec;
  if (!p->folder.empty()) fs::remove_all(p->folder, ec);
  return complete;
}
