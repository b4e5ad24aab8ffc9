#include "printer-app/print_picture.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/frame.h"
#include "printer-app/engine_programs.h"
#include "printer-app/printer_settings.h"
#include "tools/document_pages.h"
#include "tools/whole_file.h"

namespace fs = std::filesystem;

namespace {

constexpr char kPrintPicture[] = "print.png";
constexpr char kPagePicture[] = "page.png";

std::string PictureFolder(int printer_id) { return PrinterFolder(printer_id) + "/picture"; }

std::string ResourcePath(pappl_printer_t* printer, const char* name) {
  char path[1024];
  papplPrinterGetPath(printer, (std::string("engine/") + name).c_str(), path, sizeof path);
  return path;
}

}  // namespace

void DrawPrintPicture(pappl_printer_t* printer) {
  const int id = papplPrinterGetID(printer);
  const std::string page = PrinterFolder(id) + "/last-page.bmp";
  const std::string folder = PictureFolder(id);
  const std::string fresh = folder + ".new";
  std::error_code ec;
  fs::remove_all(fresh, ec);
  fs::create_directories(fresh, ec);
  std::string said, why;
  if (RunTool({"preview", "--root", PrinterFolder(id), "--print-png", fresh + "/" + kPrintPicture, page},
              &said) != 0 ||
      !StartDocumentPages("vyr-printer-app") || !SpooledPagePicture(page, fresh + "/" + kPagePicture, &why)) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_WARN, "no picture of the last print: %s",
                    why.empty() ? "vyrtool preview failed" : why.c_str());
    fs::remove_all(fresh, ec);
    return;
  }
  fs::remove_all(folder, ec);
  fs::rename(fresh, folder, ec);
}

namespace {

// A picture of the printer's, read afresh at each request: `data` is the
// printer's id times two, plus one for the spooled page.
bool ServePicture(pappl_client_t* client, void* data) {
  const intptr_t key = reinterpret_cast<intptr_t>(data);
  const std::string file =
      PictureFolder(static_cast<int>(key / 2)) + "/" + (key % 2 ? kPagePicture : kPrintPicture);
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(file, bytes, error)) return papplClientRespond(client, HTTP_STATUS_NOT_FOUND, nullptr, nullptr, 0, 0);
  struct stat info {};
  stat(file.c_str(), &info);
  if (!papplClientRespond(client, HTTP_STATUS_OK, nullptr, "image/png", info.st_mtime, bytes.size())) return false;
  return httpWrite2(papplClientGetHTTP(client), reinterpret_cast<const char*>(bytes.data()), bytes.size()) ==
         static_cast<ssize_t>(bytes.size());
}

}  // namespace

void AddPrintPictureResources(pappl_printer_t* printer) {
  pappl_system_t* system = papplPrinterGetSystem(printer);
  const intptr_t id = papplPrinterGetID(printer);
  papplSystemAddResourceCallback(system, ResourcePath(printer, kPrintPicture).c_str(), "image/png",
                                 ServePicture, reinterpret_cast<void*>(id * 2));
  papplSystemAddResourceCallback(system, ResourcePath(printer, kPagePicture).c_str(), "image/png",
                                 ServePicture, reinterpret_cast<void*>(id * 2 + 1));
}

void WritePrintPictureSection(pappl_client_t* client, pappl_printer_t* printer) {
  const std::string folder = PictureFolder(papplPrinterGetID(printer));
  papplClientHTMLPuts(client, "<h2 class=\"title\">Last print</h2>\n");
  struct stat info {};
  if (stat((folder + "/" + kPrintPicture).c_str(), &info) != 0) {
    papplClientHTMLPuts(client, "<p>Nothing has been printed yet.</p>\n");
    return;
  }
  // The pictures' time in their address: a browser shows the newest.
  const long stamp = static_cast<long>(info.st_mtime);
  papplClientHTMLPrintf(
      client,
      "<table class=\"list\"><tbody><tr>"
      "<td><img id=\"last-print\" src=\"%s?%ld\" width=\"%d\" height=\"%d\" "
      "alt=\"The last print, as the engine lays it out\"><br>The print, as the engine lays it "
      "out and the printer puts it on paper</td>"
      "<td><img id=\"spooled-page\" src=\"%s?%ld\" height=\"%d\" alt=\"The page that was spooled\"><br>The "
      "page the printer was sent</td></tr></tbody></table>\n",
      ResourcePath(printer, kPrintPicture).c_str(), stamp, kFrameColumns, kFrameRows,
      ResourcePath(printer, kPagePicture).c_str(), stamp, kFrameRows);
}
