// PDF documents: the first page, drawn by pdftoppm (poppler-utils), printed
// like a photo. Desktop applications and spoolers send PDF; a spooler also
// sends the copies with it only to printers that take PDF.
#pragma once

#include <pappl/pappl.h>

void AddPdfFilter(pappl_system_t* system);
