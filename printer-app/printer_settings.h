// Each printer's own state folder and settings.
//
//   STATE/printers/ID/            the printer's engine disk: windows/system holds
//                                 the settings files and tables the engine reads
//                                 (`vyrtool settings --root STATE/printers/ID`)
//   STATE/printers/ID/printer-app.conf
//                                 this application's settings for the printer
//   STATE/printers/ID/last-page.bmp
//                                 the page of the printer's last job, as spooled
//   STATE/jobs/ID-JOB/            one job's disk while it prints: c/abx.1 and
//                                 the printer's windows folder (hard links)
#pragma once

#include <pappl/pappl.h>

#include <string>

struct PrinterSettings {
  // How long a fault the operator may clear (paper or ribbon out, cover open)
  // is retried before the job stops, in minutes; 0 stops at once.
  int fault_retry_minutes = 5;
  // Dots per inch the 640 x 480 frame is printed at: it fixes the media size
  // clients see (160 dpi gives 4 x 3 inches).
  int dpi = 160;
  // The largest document a job may send, in megabytes (10^6 bytes).
  int max_document_mb = 100;
  // How many jobs may wait while one prints; more are refused as busy.
  int max_waiting_jobs = 100;
};

inline constexpr int kMinDpi = 100;
inline constexpr int kMaxDpi = 600;
inline constexpr int kMaxRetryMinutes = 24 * 60;
inline constexpr int kMaxDocumentMb = 100000;
inline constexpr int kMaxWaitingJobs = 100000;

// The application's state folder (set once at server start).
void SetStateFolder(const std::string& folder);
const std::string& StateFolder();

std::string PrinterFolder(int printer_id);
std::string JobFolder(int printer_id, int job_id);

// Settings of a printer, from its printer-app.conf (defaults when missing).
PrinterSettings LoadPrinterSettings(int printer_id);
bool SavePrinterSettings(int printer_id, const PrinterSettings& settings);

// What the engine last said about the printer (its message text), for the
// printer's page; "" when all is well.
void SetPrinterMessage(int printer_id, const std::string& text);
std::string PrinterMessage(int printer_id);
