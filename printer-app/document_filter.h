// Documents that are not raster (pictures and PDF): PAPPL hands each job of
// these formats to one filter, which spools every selected page through the
// document path and prints it. PAPPL's own picture decoders never see a job.
#pragma once

#include <pappl/pappl.h>

// The formats the filter takes (null-terminated), for the job check.
extern const char* const kDocumentFormats[];

// Registers the filter for every format in kDocumentFormats, before the
// system runs.
void AddDocumentFilters(pappl_system_t* system);
