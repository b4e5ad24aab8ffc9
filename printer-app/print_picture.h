// The printer's last print as a picture on its Engine page: the print as the
// engine lays it out and the head data puts it on paper (`vyrtool preview
// --png`, the engine's own code run as a program), beside the page that was
// spooled, so a user sees what the printer was sent.
//
//   STATE/printers/ID/picture/print.png   the print (640 x 480)
//   STATE/printers/ID/picture/page.png    the spooled page, as stored
#pragma once

#include <pappl/pappl.h>

// Draws both pictures for the printer's last page (last-page.bmp); the
// previous pictures stay until the new ones are complete.
void DrawPrintPicture(pappl_printer_t* printer);

// Serves the pictures at PRINTER-PATH/engine/print.png and page.png.
void AddPrintPictureResources(pappl_printer_t* printer);

// The Engine page's section "Last print": both pictures, or a line saying
// that nothing has printed yet.
void WritePrintPictureSection(pappl_client_t* client, pappl_printer_t* printer);
