#include "printer-app/job_limits.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "printer-app/printer_settings.h"

namespace {

constexpr int64_t kMegabyte = 1000 * 1000;

bool CarriesDocument(ipp_op_t op) { return op == IPP_OP_PRINT_JOB || op == IPP_OP_SEND_DOCUMENT; }

}  // namespace

http_status_t CheckSubmission(pappl_client_t* client) {
  pappl_printer_t* printer = papplClientGetPrinter(client);
  if (!printer || !CarriesDocument(papplClientGetOperation(client))) return HTTP_STATUS_CONTINUE;
  const char* length = httpGetField(papplClientGetHTTP(client), HTTP_FIELD_CONTENT_LENGTH);
  if (!length || !*length) return HTTP_STATUS_CONTINUE;
  char* end = nullptr;
  const long long bytes = std::strtoll(length, &end, 10);
  const int64_t limit = LoadPrinterSettings(papplPrinterGetID(printer)).max_document_mb * kMegabyte;
  if (*end || bytes <= limit) return HTTP_STATUS_CONTINUE;
  papplLogClient(client, PAPPL_LOGLEVEL_INFO,
                 "Refused a document of %lld bytes: the printer takes at most %lld.", bytes,
                 static_cast<long long>(limit));
  return HTTP_STATUS_REQUEST_TOO_LARGE;
}

void ApplyJobLimits(pappl_printer_t* printer, const PrinterSettings& settings) {
  // PAPPL counts the job that prints among the active ones.
  papplPrinterSetMaxActiveJobs(printer, settings.max_waiting_jobs + 1);
}

std::string OversizeProblem(pappl_job_t* job, pappl_printer_t* printer) {
  const char* path = papplJobGetFilename(job);
  struct stat st{};
  const int max_mb = LoadPrinterSettings(papplPrinterGetID(printer)).max_document_mb;
  if (!path || stat(path, &st) != 0 || st.st_size <= max_mb * kMegabyte) return "";
  return "The document is larger than " + std::to_string(max_mb) + " MB, the most this printer takes.";
}
