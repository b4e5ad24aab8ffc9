#include "printer-app/settings_page.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "base/frame.h"
#include "printer-app/admin_access.h"
#include "printer-app/driver.h"
#include "printer-app/engine_programs.h"
#include "printer-app/job_limits.h"
#include "printer-app/identify.h"
#include "printer-app/print_picture.h"
#include "printer-app/printer_profiles.h"
#include "printer-app/printer_settings.h"
#include "printer-app/supplies.h"

namespace {

constexpr char kSubpath[] = "engine";
constexpr char kLinkLabel[] = "Engine";

// The form's integer in [lo, hi], or false.
bool FormInt(int num_form, cups_option_t* form, const char* name, int lo, int hi, int* value) {
  const char* text = cupsGetOption(name, num_form, form);
  if (!text || !*text) return false;
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (*end != '\0' || v < lo || v > hi) return false;
  *value = static_cast<int>(v);
  return true;
}

void Escape(pappl_client_t* client, const std::string& s) {
  papplClientHTMLEscape(client, s.c_str(), s.size());
}

// One row of the jobs table: the job's progress in copies and its message.
void JobRow(pappl_job_t* job, void* data) {
  auto* client = static_cast<pappl_client_t*>(data);
  const char* name = papplJobGetName(job);
  const char* message = papplJobGetMessage(job);
  papplClientHTMLPrintf(client, "<tr><td>%d</td><td>", papplJobGetID(job));
  Escape(client, name ? name : "");
  papplClientHTMLPrintf(client, "</td><td>%s</td><td>%d of %d</td><td>",
                        ippEnumString("job-state", static_cast<int>(papplJobGetState(job))),
                        papplJobGetImpressionsCompleted(job), papplJobGetImpressions(job));
  Escape(client, message ? message : "");
  papplClientHTMLPuts(client, "</td></tr>\n");
}

// The reasons the engine sets, as IPP names them.
std::string EngineReasons(pappl_printer_t* printer) {
  const pappl_preason_t reasons = papplPrinterGetReasons(printer);
  std::string text;
  for (const auto& [bit, name] : {std::pair{PAPPL_PREASON_MEDIA_EMPTY, "media-empty"},
                                  std::pair{PAPPL_PREASON_OTHER, "other"},
                                  std::pair{PAPPL_PREASON_OFFLINE, "offline"}})
    if (reasons & bit) text += (text.empty() ? "" : ", ") + std::string(name);
  return text.empty() ? "none" : text;
}

// What is left of the ribbon and paper, and the form that says a new pack
// is in.
void SuppliesSection(pappl_client_t* client, pappl_printer_t* printer, int id,
                     const std::string& token) {
  const SupplyCount count = LoadSupplies(id);
  char path[1024];
  papplPrinterGetPath(printer, kSubpath, path, sizeof path);
  papplClientHTMLPuts(client, "<h2 class=\"title\">Ribbon and paper</h2>\n<p>");
  Escape(client, "Ribbon and paper: " + SuppliesText(count) + ".");
  papplClientHTMLPrintf(client, "<br>\nPrints since the pack was loaded: %d; prints in all: %lld.</p>\n",
                        count.printed, static_cast<long long>(count.lifetime));
  StartSessionForm(client, path, token);
  papplClientHTMLPrintf(client,
                        "<input type=\"hidden\" name=\"action\" value=\"load-pack\">"
                        "<p>A new ribbon and paper pack is in, for "
                        "<input type=\"number\" name=\"pack-prints\" min=\"%d\" max=\"%d\" "
                        "value=\"%d\" list=\"packs\"> prints "
                        "<datalist id=\"packs\"><option value=\"36\"><option value=\"54\">"
                        "<option value=\"108\"></datalist>"
                        "<input type=\"submit\" value=\"Pack Loaded\"></p></form>\n",
                        kMinPackPrints, kMaxPackPrints, count.pack_prints > 0 ? count.pack_prints : 54);
}

// The printer's ICC profile and the form that uploads a new one.
void ProfileSection(pappl_client_t* client, pappl_printer_t* printer, int id,
                    const std::string& token) {
  char path[1024];
  papplPrinterGetPath(printer, kSubpath, path, sizeof path);
  papplClientHTMLPuts(client, "<h2 class=\"title\">Colour profile</h2>\n<p>");
  const std::string description = ProfileDescription(id);
  Escape(client, description.empty()
                     ? std::string("No profile: the printer's own colour-match table is used.")
                     : "Profile \"" + description + "\": print-rendering-intent picks its table.");
  papplClientHTMLPuts(client, "</p>\n");
  StartSessionForm(client, path, token, /*multipart*/ true);
  papplClientHTMLPuts(client,
                      "<input type=\"hidden\" name=\"action\" value=\"profile\">"
                      "<p>ICC profile of this printer's ribbon and paper (RGB, output): "
                      "<input type=\"file\" name=\"profile\" accept=\".icc,.icm\"> "
                      "<input type=\"submit\" value=\"Upload Profile\"></p></form>\n");
}

bool ServePage(pappl_client_t* client, void* data) {
  const int id = static_cast<int>(reinterpret_cast<intptr_t>(data));
  pappl_printer_t* printer = papplSystemFindPrinter(papplClientGetSystem(client), nullptr, id, nullptr);
  if (!printer) return false;
  if (!papplClientHTMLAuthorize(client)) return true;
  // Before the header goes out: it may set the session's cookie.
  const std::string token = SessionFormToken(client);

  PrinterSettings settings = LoadPrinterSettings(id);
  std::string status;
  if (papplClientGetMethod(client) == HTTP_STATE_POST) {
    cups_option_t* form = nullptr;
    int num_form = papplClientGetForm(client, &form);
    PrinterSettings changed = settings;
    const char* action = cupsGetOption("action", num_form, form);
    if (!IsValidSessionForm(client, num_form, form)) {
      status = "Invalid form submission.";
    } else if (action && std::strcmp(action, "load-pack") == 0) {
      int prints = 0;
      if (!FormInt(num_form, form, "pack-prints", kMinPackPrints, kMaxPackPrints, &prints))
        status = "A pack holds " + std::to_string(kMinPackPrints) + " to " +
                 std::to_string(kMaxPackPrints) + " prints.";
      else if (!LoadPack(printer, prints))
        status = "Cannot store the supplies count in " + PrinterFolder(id) + ".";
      else
        status = "New pack of " + std::to_string(prints) + " prints loaded.";
    } else if (action && std::strcmp(action, "profile") == 0) {
      const char* file = cupsGetOption("profile", num_form, form);
      if (!file || !*file) {
        status = "Choose an ICC profile file to upload.";
      } else {
        InstallProfile(id, file, &status);
        ApplyPrintSize(printer, settings.dpi);  // the intents offered follow the tables
      }
    } else if (!FormInt(num_form, form, "fault-retry-minutes", 0, kMaxRetryMinutes,
                        &changed.fault_retry_minutes)) {
      status = "Fault retry time must be 0 to " + std::to_string(kMaxRetryMinutes) + " minutes.";
    } else if (!FormInt(num_form, form, "dpi", kMinDpi, kMaxDpi, &changed.dpi)) {
      status = "Resolution must be " + std::to_string(kMinDpi) + " to " + std::to_string(kMaxDpi) +
               " dpi.";
    } else if (!FormInt(num_form, form, "max-document-mb", 1, kMaxDocumentMb, &changed.max_document_mb)) {
      status = "The largest document must be 1 to " + std::to_string(kMaxDocumentMb) + " MB.";
    } else if (!FormInt(num_form, form, "max-waiting-jobs", 0, kMaxWaitingJobs, &changed.max_waiting_jobs)) {
      status = "Waiting jobs must be 0 to " + std::to_string(kMaxWaitingJobs) + ".";
    } else if (!SavePrinterSettings(id, changed)) {
      status = "Cannot save the settings in " + PrinterFolder(id) + ".";
    } else {
      settings = changed;
      ApplyPrintSize(printer, settings.dpi);
      ApplyJobLimits(printer, settings);
      status = "Changes saved.";
    }
    cupsFreeOptions(num_form, form);
  }

  // While a job prints the page follows it.
  const int refresh = papplPrinterGetState(printer) == IPP_PSTATE_PROCESSING ? 5 : 0;
  papplClientHTMLPrinterHeader(client, printer, "Engine", refresh, nullptr, nullptr);
  if (!status.empty()) {
    papplClientHTMLPuts(client, "<div class=\"banner\">");
    Escape(client, status);
    papplClientHTMLPuts(client, "</div>\n");
  }
  papplClientHTMLPuts(client, "<div class=\"row\"><div class=\"col-12\">\n<h2 class=\"title\">Printer</h2>\n<p>");
  papplClientHTMLPrintf(client, "State: %s; reasons: %s.<br>\n",
                        ippEnumString("printer-state", static_cast<int>(papplPrinterGetState(printer))),
                        EngineReasons(printer).c_str());
  const std::string said = PrinterMessage(id);
  Escape(client, said.empty() ? "No fault reported." : said);
  if (const std::string identify = IdentifyNotice(id); !identify.empty()) {
    papplClientHTMLPuts(client, "</p>\n<p class=\"identify\"><b>");
    Escape(client, identify);
    papplClientHTMLPuts(client, "</b>");
  }
  papplClientHTMLPuts(client, "</p>\n");
  SuppliesSection(client, printer, id, token);
  papplClientHTMLPuts(client, "<h2 class=\"title\">Jobs</h2>\n"
                              "<table class=\"list\"><thead><tr><th>Job #</th><th>Name</th>"
                              "<th>State</th><th>Copies printed</th><th>Message</th></tr></thead>"
                              "<tbody>\n");
  papplPrinterIterateAllJobs(printer, JobRow, client, 1, 10);
  papplClientHTMLPuts(client, "</tbody></table>\n");
  WritePrintPictureSection(client, printer);
  papplClientHTMLPuts(client, "<h2 class=\"title\">Settings</h2>\n");
  char path[1024];
  papplPrinterGetPath(printer, kSubpath, path, sizeof path);
  StartSessionForm(client, path, token);
  papplClientHTMLPrintf(client,
                        "<table class=\"form\"><tbody>\n"
                        "<tr><th><label for=\"fault-retry-minutes\">Retry a fault for:</label></th>"
                        "<td><input type=\"number\" name=\"fault-retry-minutes\" min=\"0\" max=\"%d\" "
                        "value=\"%d\"> minutes (paper or ribbon out, cover open; 0 stops the job at "
                        "once)</td></tr>\n"
                        "<tr><th><label for=\"dpi\">Print resolution:</label></th>"
                        "<td><input type=\"number\" name=\"dpi\" min=\"%d\" max=\"%d\" value=\"%d\"> "
                        "dpi (the %d &times; %d picture prints %.2f &times; %.2f in)</td></tr>\n"
                        "<tr><th><label for=\"max-document-mb\">Largest document:</label></th>"
                        "<td><input type=\"number\" name=\"max-document-mb\" min=\"1\" max=\"%d\" "
                        "value=\"%d\"> MB (a larger one is refused)</td></tr>\n"
                        "<tr><th><label for=\"max-waiting-jobs\">Waiting jobs:</label></th>"
                        "<td><input type=\"number\" name=\"max-waiting-jobs\" min=\"0\" max=\"%d\" "
                        "value=\"%d\"> at most, besides the one printing (more are refused as "
                        "busy)</td></tr>\n"
                        "<tr><th></th><td><input type=\"submit\" value=\"Save Changes\"></td></tr>\n"
                        "</tbody></table></form>\n",
                        kMaxRetryMinutes, settings.fault_retry_minutes, kMinDpi, kMaxDpi,
                        settings.dpi, kFrameColumns, kFrameRows, double(kFrameColumns) / settings.dpi,
                        double(kFrameRows) / settings.dpi, kMaxDocumentMb,
                        settings.max_document_mb, kMaxWaitingJobs, settings.max_waiting_jobs);
  ProfileSection(client, printer, id, token);
  papplClientHTMLPuts(client, "<h2 class=\"title\">Engine settings</h2>\n<p>Read from ");
  Escape(client, PrinterFolder(id) + "/windows/system");
  papplClientHTMLPuts(client, " (edit the files there; each job reads them afresh):</p>\n<pre>");
  std::string listing;
  if (RunTool({"settings", "--root", PrinterFolder(id)}, &listing) != 0 && listing.empty())
    listing = "(vyrtool settings failed)";
  Escape(client, listing);
  papplClientHTMLPuts(client, "</pre>\n</div></div>\n");
  papplClientHTMLPrinterFooter(client);
  return true;
}

}  // namespace

void ApplyPrintSize(pappl_printer_t* printer, int dpi) {
  pappl_pr_driver_data_t data;
  papplPrinterGetDriverData(printer, &data);
  // The defaults the owner chose stay unless the print size or what the
  // printer offers changed (a printer saved before its media had a bordered
  // twin, or before it took raster at the usual resolutions, gets them now).
  pappl_pr_driver_data_t fresh = data;
  FillDriverData(&fresh, dpi);
  bool same = data.num_media == 1 && std::strcmp(data.media[0], fresh.media[0]) == 0 &&
              data.x_default == dpi && data.y_default == dpi && data.left_right == fresh.left_right &&
              data.num_resolution == fresh.num_resolution && data.identify_supported == fresh.identify_supported &&
              data.has_supplies == fresh.has_supplies && data.num_vendor == fresh.num_vendor;
  for (int i = 0; same && i < fresh.num_resolution; ++i)
    same = data.x_resolution[i] == fresh.x_resolution[i] && data.y_resolution[i] == fresh.y_resolution[i];
  if (!same) data = fresh;
  ipp_t* attrs = DriverAttributes(printer);
  papplPrinterSetDriverData(printer, &data, attrs);
  ippDelete(attrs);
}

void AddSettingsPage(pappl_printer_t* printer) {
  char path[1024];
  papplPrinterGetPath(printer, kSubpath, path, sizeof path);
  const intptr_t id = papplPrinterGetID(printer);
  papplSystemAddResourceCallback(papplPrinterGetSystem(printer), path, "text/html", ServePage,
                                 reinterpret_cast<void*>(id));
  papplPrinterAddLink(printer, kLinkLabel, path,
                      static_cast<pappl_loptions_t>(PAPPL_LOPTIONS_NAVIGATION | PAPPL_LOPTIONS_STATUS));
}
