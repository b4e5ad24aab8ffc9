#include "printer-app/driver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "printer-app/device_uri.h"
#include "printer-app/document_check.h"
#include "printer-app/engine_run.h"
#include "printer-app/printer_settings.h"
#include "printer-app/spooled_page.h"

namespace {

// The engine prints 1 to 99 copies of a page.
constexpr int kMaxCopies = 99;

constexpr char kMediaSource[] = "main";
constexpr char kMediaType[] = "photographic";

// Media names must outlive the driver data that points at them: one per dpi.
const char* MediaName(int dpi) {
  static char names[kMaxDpi + 1][64];
  char* name = names[dpi];
  if (!*name) {
    const int width = (kFrameWidth * 2540 + dpi - 1) / dpi;    // hundredths of mm
    const int length = (kFrameHeight * 2540 + dpi - 1) / dpi;  // rounded up: no pixel lost
    pwgFormatSizeName(name, sizeof names[0], "oe", "vyr-photo", width, length, nullptr);
  }
  return name;
}

struct JobData {
  RasterPage page;  // the first page, while it is collected
  int copies = 1;   // the engine prints the copies, PAPPL renders the page once
  bool printed = false;  // the engine ran for the first page
  bool ok = true;
};

JobData* DataOf(pappl_job_t* job) { return static_cast<JobData*>(papplJobGetData(job)); }

bool StartJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* /*device*/) {
  if (options->copies < 1 || options->copies > kMaxCopies) {
    papplJobSetMessage(job, "Copies must be 1 to %d; %d were asked for.", kMaxCopies,
                       options->copies);
    return false;
  }
  if (std::string problem = TakeDocumentProblem(job); !problem.empty()) {
    papplJobSetMessage(job, "%s", problem.c_str());
    return false;
  }
  auto* data = new JobData;
  data->copies = options->copies;
  options->copies = 1;
  papplJobSetData(job, data);
  return true;
}

bool StartPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* /*device*/,
               unsigned page) {
  JobData* data = DataOf(job);
  // Only the first page prints: later pages (and the copies PAPPL renders
  // again) are let through unseen.
  if (!data || data->printed || !data->page.rgb.empty()) return true;
  const cups_page_header2_t& header = options->header;
  if (header.cupsBitsPerPixel != 24 && header.cupsBitsPerPixel != 8) {
    papplJobSetMessage(job, "Unsupported raster (%u bits per pixel).", header.cupsBitsPerPixel);
    return false;
  }
  data->page.width = static_cast<int>(header.cupsWidth);
  data->page.height = static_cast<int>(header.cupsHeight);
  papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "collecting page %u: %ux%u, %u bits per pixel", page,
              header.cupsWidth, header.cupsHeight, header.cupsBitsPerPixel);
  data->page.rgb.assign(static_cast<size_t>(header.cupsWidth) * header.cupsHeight * 3, 0xFF);
  return true;
}

bool WriteLine(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* /*device*/,
               unsigned y, const unsigned char* line) {
  JobData* data = DataOf(job);
  if (!data || data->printed || y >= static_cast<unsigned>(data->page.height)) return true;
  uint8_t* dst = data->page.rgb.data() + static_cast<size_t>(y) * data->page.width * 3;
  if (options->header.cupsBitsPerPixel == 24) {
    std::memcpy(dst, line, static_cast<size_t>(data->page.width) * 3);
  } else {
    for (int x = 0; x < data->page.width; ++x) dst[x * 3] = dst[x * 3 + 1] = dst[x * 3 + 2] = line[x];
  }
  return true;
}

// The job's disk: the spooled page in c/, the printer's settings and tables
// as second names (hard links, copies where links cannot be made) in
// windows/: the engine follows no link out of its disk.
bool MakeJobFolder(pappl_job_t* job, int printer_id, const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder + "/c", ec);
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
// name of the spooled page, which the engine deletes), so the settings can be
// tuned on it with `vyrtool preview`.
void KeepLastPage(int printer_id, const std::string& page) {
  const std::string last = PrinterFolder(printer_id) + "/last-page.bmp";
  const std::string temp = last + ".new";
  std::remove(temp.c_str());
  if (link(page.c_str(), temp.c_str()) == 0) std::rename(temp.c_str(), last.c_str());
}

bool EndPage(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/,
             unsigned /*page*/) {
  JobData* data = DataOf(job);
  if (!data || data->printed) return data ? data->ok : false;
  data->printed = true;
  pappl_printer_t* printer = papplJobGetPrinter(job);
  const int printer_id = papplPrinterGetID(printer);
  const std::string folder = JobFolder(printer_id, papplJobGetID(job));
  std::string port, error;
  const char* uri = papplPrinterGetDeviceURI(printer);
  if (!EnginePortForUri(uri ? uri : "", &port, &error)) {
    papplJobSetMessage(job, "%s", error.c_str());
    return data->ok = false;
  }
  if (!MakeJobFolder(job, printer_id, folder)) return data->ok = false;
  if (!WriteSpooledPage(data->page, folder + "/c/abx.1")) {
    papplJobSetMessage(job, "Cannot write the spooled page in %s.", folder.c_str());
    return data->ok = false;
  }
  data->page.rgb = {};
  KeepLastPage(printer_id, folder + "/c/abx.1");
  const EngineResult result = RunEngine(job, folder, port, data->copies, LoadPrinterSettings(printer_id));
  // PAPPL counted the page it rendered: the engine's further copies are added.
  if (result.copies_printed > 1) papplJobSetImpressionsCompleted(job, result.copies_printed - 1);
  papplJobSetMessage(job, "%s", result.message.c_str());
  data->ok = result.ok();
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return data->ok;
}

bool EndJob(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/) {
  JobData* data = DataOf(job);
  const bool ok = data && data->printed && data->ok;
  papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "end of job: %d impressions completed",
              papplJobGetImpressionsCompleted(job));
  if (data && !data->printed) papplJobSetMessage(job, "The document has no page to print.");
  delete data;
  papplJobSetData(job, nullptr);
  return ok;
}

bool RefuseFile(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/) {
  papplJobSetMessage(job, "Unsupported document format %s: send a JPEG, PNG or PDF picture.",
                     papplJobGetFormat(job));
  return false;
}

void Identify(pappl_printer_t* printer, pappl_identify_actions_t /*actions*/,
              const char* /*message*/) {
  // The printer has no light, display or sound the engine can reach.
  papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "identify: this printer cannot show itself");
}

}  // namespace

void FillDriverData(pappl_pr_driver_data_t* data, int dpi) {
  if (dpi < kMinDpi || dpi > kMaxDpi) dpi = PrinterSettings{}.dpi;
  std::snprintf(data->make_and_model, sizeof data->make_and_model, "vyr dye-sublimation photo printer");
  data->identify_cb = Identify;
  data->rstartjob_cb = StartJob;
  data->rstartpage_cb = StartPage;
  data->rwriteline_cb = WriteLine;
  data->rendpage_cb = EndPage;
  data->rendjob_cb = EndJob;
  // PAPPL needs a native format; nothing sends this one, and a job in a format
  // PAPPL cannot turn into raster ends here with a message.
  data->format = "application/vnd.vyr-page";
  data->printfile_cb = RefuseFile;
  data->ppm = 1;
  data->ppm_color = 1;
  data->kind = PAPPL_KIND_PHOTO;
  data->orient_default = IPP_ORIENT_NONE;
  data->quality_default = IPP_QUALITY_HIGH;
  // Spoolers may ask for monochrome or auto; the page still comes as sRGB.
  data->color_supported =
      PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_COLOR | PAPPL_COLOR_MODE_MONOCHROME;
  data->color_default = PAPPL_COLOR_MODE_COLOR;
  data->content_default = PAPPL_CONTENT_PHOTO;
  data->scaling_default = PAPPL_SCALING_AUTO;
  data->raster_types = PAPPL_PWG_RASTER_TYPE_SRGB_8;
  data->force_raster_type = PAPPL_PWG_RASTER_TYPE_SRGB_8;
  data->sides_supported = PAPPL_SIDES_ONE_SIDED;
  data->sides_default = PAPPL_SIDES_ONE_SIDED;
  data->num_resolution = 1;
  data->x_resolution[0] = data->y_resolution[0] = dpi;
  data->x_default = data->y_default = dpi;
  data->borderless = true;
  data->left_right = 0;
  data->bottom_top = 0;
  data->num_media = 1;
  data->media[0] = MediaName(dpi);
  data->num_source = 1;
  data->source[0] = kMediaSource;
  data->num_type = 1;
  data->type[0] = kMediaType;

  pappl_media_col_t media{};
  pwg_media_t* pwg = pwgMediaForPWG(data->media[0]);
  media.size_width = pwg ? pwg->width : (kFrameWidth * 2540 + dpi - 1) / dpi;
  media.size_length = pwg ? pwg->length : (kFrameHeight * 2540 + dpi - 1) / dpi;
  std::snprintf(media.size_name, sizeof media.size_name, "%s", data->media[0]);
  std::snprintf(media.source, sizeof media.source, "%s", kMediaSource);
  std::snprintf(media.type, sizeof media.type, "%s", kMediaType);
  data->media_ready[0] = media;
  data->media_default = media;
}

bool DriverCallback(pappl_system_t* system, const char* driver_name, const char* device_uri,
                    const char* /*device_id*/, pappl_pr_driver_data_t* driver_data,
                    ipp_t** /*driver_attrs*/, void* /*data*/) {
  if (!driver_name || std::strcmp(driver_name, kDriverName) != 0) return false;
  // A printer being added must name a port this machine has; one loaded
  // from the saved state keeps its port while that is unplugged.
  std::string port, error;
  if (!device_uri || !(papplSystemIsRunning(system) ? CheckNewDeviceUri(device_uri, &error)
                                                     : EnginePortForUri(device_uri, &port, &error))) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Device URI %s refused: %s", device_uri ? device_uri : "(none)",
             error.c_str());
    return false;
  }
  FillDriverData(driver_data, PrinterSettings{}.dpi);
  return true;
}

const char* AutoAddCallback(const char* /*device_info*/, const char* device_uri,
                            const char* /*device_id*/, void* /*data*/) {
  // Every device of our scheme is one of our printers, and only those.
  return device_uri && std::strncmp(device_uri, "vyr://", 6) == 0 ? kDriverName : nullptr;
}
