// A job's prints: every page the job selects (page-ranges), in page order,
// each with its copies, collated (1..N, 1..N) or not (1,1,2,2) as
// multiple-document-handling asks. One print is one run of the engine on one
// spooled page. job-impressions-completed counts the prints that reached the
// printer, and the job's message says what was printed, or why it stopped
// and which pages were printed before.
//
// The job's disk STATE/jobs/ID-JOB holds the printer's windows/ folder (hard
// links), c/ for the engine's page and pages/ for the spooled pages while
// they are needed (collated copies print each page once per set).
#pragma once

#include <pappl/pappl.h>

#include <string>
#include <vector>

#include "printer-app/printer_settings.h"
#include "tools/document_pages.h"

// The engine prints 1 to 99 copies of a page.
inline constexpr int kMaxCopies = 99;

struct JobPrints {
  pappl_job_t* job = nullptr;
  int copies = 1;
  bool collate = true;
  unsigned first_page = 1;  // page-ranges, from 1
  unsigned last_page = 0;
  PageLayout layout;
  PrinterSettings settings;
  std::string folder;
  std::string port;

  struct Page {
    unsigned number;   // in the document, from 1
    int printed;       // copies that reached the printer
    std::string file;  // its spooled page, while later sets need it
  };
  std::vector<Page> pages;  // the pages taken, in order
  int page_count = 0;       // pages the document has, 0 while unknown (raster)
  bool stopped = false;     // a print failed or the job was cancelled
  std::string reason;       // why the last print failed, as the engine run said
};

// The job's copies, collation, page range and layout; its disk laid out.
// False with the job's message set (copies out of range, no device, no disk).
bool BeginPrints(pappl_job_t* job, const pappl_pr_options_t* options, JobPrints* prints);

bool PageSelected(const JobPrints& prints, unsigned number);

// Where page `number` is spooled before PrintPage.
std::string PageFile(const JobPrints& prints, unsigned number);

// Prints the page spooled at PageFile(number): all its copies, or when
// collated the first set's copy (the later sets come in FinishPrints). False
// once the job has stopped; the job's message then says why.
bool PrintPage(JobPrints* prints, unsigned number);

// Stops the job before page `number` for `reason` (the page could not be
// spooled), naming what was printed.
void StopPrints(JobPrints* prints, const std::string& reason);

// The later sets of collated copies, the job's final message and its disk
// removed. True when every selected page printed every copy.
bool FinishPrints(JobPrints* prints);
