// Limits that keep one client from filling the server: the largest document
// a printer takes and how many jobs may wait for it (both per printer, in its
// printer-app.conf and on its Engine page).
#pragma once

#include <pappl/pappl.h>

#include <string>

struct PrinterSettings;

// For a Print-Job or Send-Document whose length the client declared: HTTP
// 413 (the HTTP form of client-error-request-entity-too-large) when the
// request is larger than the printer takes, before any of it is read;
// HTTP_STATUS_CONTINUE otherwise.
http_status_t CheckSubmission(pappl_client_t* client);

// Gives the printer its queue limit: more waiting jobs are refused with
// server-error-busy.
void ApplyJobLimits(pappl_printer_t* printer, const PrinterSettings& settings);

// For a document that came without a declared length (chunked): the reason
// it is larger than its printer takes, "" when it is not. Reads only the
// job's fixed facts (PAPPL may hold the job's lock).
std::string OversizeProblem(pappl_job_t* job, pappl_printer_t* printer);
