#include "printer-app/driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "printer-app/device_uri.h"
#include "printer-app/document_check.h"
#include "printer-app/held_jobs.h"
#include "printer-app/identify.h"
#include "printer-app/page_prints.h"
#include "printer-app/printer_profiles.h"
#include "printer-app/printer_settings.h"
#include "printer-app/raster_wait_limit.h"
#include "tools/document_pages.h"

namespace {

constexpr char kMediaSource[] = "main";
constexpr char kMediaType[] = "photographic";

// Hundredths of millimetres, rounded up: no dot lost.
int DotsToHundredthsMm(int dots, int dpi) { return (dots * 2540 + dpi - 1) / dpi; }

}  // namespace

// Media names must outlive the driver data that points at them: one per dpi.
const char* MediaName(int dpi) {
  static char names[kMaxDpi + 1][64];
  char* name = names[dpi];
  if (!*name) {
    const int width = DotsToHundredthsMm(kFrameColumns, dpi);
    const int length = DotsToHundredthsMm(kFrameRows, dpi);
    pwgFormatSizeName(name, sizeof names[0], "oe", "vyr-photo", width, length, nullptr);
  }
  return name;
}

namespace {

// A PWG or Apple raster job while PAPPL streams it: each selected page is
// collected line by line, spooled through the document path and printed
// once it is complete.
struct RasterJob {
  JobPrints prints;
  RasterPixels page;
  unsigned number = 0;  // the page being received, from 1
  unsigned lines = 0;   // its lines received
  bool taking = false;  // the page is selected and being collected
  bool invert = false;  // black-is-full raster (DeviceK)
};

RasterJob* DataOf(pappl_job_t* job) { return static_cast<RasterJob*>(papplJobGetData(job)); }

bool StartJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* /*device*/) {
  JobLeftHold(job);
  RasterStarted(job);
  if (std::string problem = TakeDocumentProblem(job); !problem.empty()) {
    papplJobSetMessage(job, "%s", problem.c_str());
    return false;
  }
  // PAPPL ends the job without the other callbacks when this one fails.
  auto* data = new RasterJob;
  if (!BeginPrints(job, options, &data->prints)) {
    delete data;
    return false;
  }
  papplJobSetData(job, data);
  LimitRasterWaits(true);
  return true;
}

bool StartPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* /*device*/,
               unsigned page) {
  RasterJob* data = DataOf(job);
  // PAPPL counts a raster page as it starts; here a print counts once it
  // has reached the printer.
  papplJobSetImpressionsCompleted(job, -1);
  if (!data || data->prints.stopped) return false;
  data->number = page;
  data->taking = PageSelected(data->prints, page);
  if (!data->taking) return true;
  const cups_page_header2_t& header = options->header;
  const cups_cspace_t space = header.cupsColorSpace;
  const bool rgb = header.cupsBitsPerPixel == 24 &&
                   (space == CUPS_CSPACE_RGB || space == CUPS_CSPACE_SRGB || space == CUPS_CSPACE_ADOBERGB);
  const bool grey = header.cupsBitsPerPixel == 8 &&
                    (space == CUPS_CSPACE_W || space == CUPS_CSPACE_SW || space == CUPS_CSPACE_K);
  if (!rgb && !grey) {
    StopPrints(&data->prints, "Page " + std::to_string(page) + " is raster the printer cannot take (" +
                                  std::to_string(header.cupsBitsPerPixel) + " bits per pixel, colour space " +
                                  std::to_string(static_cast<int>(space)) + "; it takes 8-bit grey or sRGB).");
    return false;
  }
  data->invert = space == CUPS_CSPACE_K;
  data->page.width = static_cast<int>(header.cupsWidth);
  data->page.height = static_cast<int>(header.cupsHeight);
  data->page.bands = rgb ? 3 : 1;
  data->page.x_dpi = static_cast<int>(header.HWResolution[0]);
  data->page.y_dpi = static_cast<int>(header.HWResolution[1]);
  data->page.pixels.assign(static_cast<size_t>(header.cupsWidth) * header.cupsHeight * data->page.bands, 0xFF);
  data->lines = 0;
  papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "collecting page %u: %ux%u, %u bits per pixel at %u dpi", page,
              header.cupsWidth, header.cupsHeight, header.cupsBitsPerPixel, header.HWResolution[0]);
  return true;
}

bool WriteLine(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/,
               unsigned y, const unsigned char* line) {
  RasterJob* data = DataOf(job);
  if (!data || !data->taking || y >= static_cast<unsigned>(data->page.height)) return true;
  const size_t width = static_cast<size_t>(data->page.width) * data->page.bands;
  uint8_t* dst = data->page.pixels.data() + y * width;
  std::memcpy(dst, line, width);
  if (data->invert)
    for (size_t x = 0; x < width; ++x) dst[x] = static_cast<uint8_t>(255 - dst[x]);
  data->lines = std::max(data->lines, y + 1);
  return true;
}

bool EndPage(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/,
             unsigned /*page*/) {
  RasterJob* data = DataOf(job);
  if (!data) return false;
  if (!data->taking) return !data->prints.stopped;
  data->taking = false;
  const unsigned height = static_cast<unsigned>(data->page.height);
  if (data->lines < height) {
    // A document cut short: nothing of this page is printed.
    StopPrints(&data->prints, "The document ends after " + std::to_string(data->lines) + " of " +
                                  std::to_string(height) + " lines of page " + std::to_string(data->number) + ".");
    return false;
  }
  std::string why;
  const bool spooled = (StartDocumentPages("vyr-printer-app") || (why = "libvips cannot start", false)) &&
                       SpoolRasterPage(data->page, data->prints.layout, PageFile(data->prints, data->number),
                                       nullptr, &why);
  data->page.pixels = {};
  if (!spooled) {
    StopPrints(&data->prints, "Page " + std::to_string(data->number) + " cannot be printed: " + why + ".");
    return false;
  }
  return PrintPage(&data->prints, data->number);
}

bool EndJob(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/) {
  LimitRasterWaits(false);
  RasterJob* data = DataOf(job);
  const bool ok = data && FinishPrints(&data->prints);
  delete data;
  papplJobSetData(job, nullptr);
  return ok;
}

bool RefuseFile(pappl_job_t* job, pappl_pr_options_t* /*options*/, pappl_device_t* /*device*/) {
  papplJobSetMessage(job, "Unsupported document format %s: send a JPEG, PNG or PDF picture.",
                     papplJobGetFormat(job));
  return false;
}

}  // namespace

void FillDriverData(pappl_pr_driver_data_t* data, int dpi) {
  if (dpi < kMinDpi || dpi > kMaxDpi) dpi = PrinterSettings{}.dpi;
  std::snprintf(data->make_and_model, sizeof data->make_and_model, "vyr dye-sublimation photo printer");
  data->identify_cb = IdentifyPrinter;
  data->identify_supported = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
  data->identify_default = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
  data->has_supplies = true;
  data->rstartjob_cb = StartJob;
  data->rstartpage_cb = StartPage;
  data->rwriteline_cb = WriteLine;
  data->rendpage_cb = EndPage;
  data->rendjob_cb = EndJob;
  // PAPPL needs a native format; nothing sends this one, and a job in a format
  // PAPPL cannot turn into raster ends here with a message.
  data->format = kDriverFormat;
  data->printfile_cb = RefuseFile;
  data->ppm = 1;
  data->ppm_color = 1;
  data->kind = PAPPL_KIND_PHOTO;
  // IPP asks for a default among the four orientations. A job that names
  // none still has its page turned to fill the frame (BeginPrints takes no
  // orientation-requested as the document path's automatic one).
  data->orient_default = IPP_ORIENT_PORTRAIT;
  data->quality_default = IPP_QUALITY_NORMAL;
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
  // Raster at the usual resolutions and the printer's own (dots per inch,
  // listed in rising order), each scaled to the frame by the document path.
  // Pictures and PDF pages are drawn at the printer's own whatever the job's
  // print-quality.
  int resolutions[] = {150, 300, 600, dpi};
  std::sort(std::begin(resolutions), std::end(resolutions));
  data->num_resolution = 0;
  for (int r : resolutions) {
    bool listed = false;
    for (int i = 0; i < data->num_resolution; ++i) listed = listed || data->x_resolution[i] == r;
    if (listed) continue;
    data->x_resolution[data->num_resolution] = data->y_resolution[data->num_resolution] = r;
    ++data->num_resolution;
  }
  data->x_default = data->y_default = dpi;
  // The job attribute whose -default and -supported DriverAttributes gives.
  data->num_vendor = 1;
  data->vendor[0] = kIntentAttribute;
  // Borderless, with a bordered twin of one dot's margin: a spooler's PPD
  // names a borderless size "NAME.Borderless" but its default "NAME", and
  // without the twin that default names nothing and the spooler lays pages
  // out on its own default paper (Letter). The margins asked for are not
  // kept: every print fills the frame.
  data->borderless = true;
  data->left_right = DotsToHundredthsMm(1, dpi);
  data->bottom_top = DotsToHundredthsMm(1, dpi);
  data->num_media = 1;
  data->media[0] = MediaName(dpi);
  data->num_source = 1;
  data->source[0] = kMediaSource;
  data->num_type = 1;
  data->type[0] = kMediaType;

  pappl_media_col_t media{};
  pwg_media_t* pwg = pwgMediaForPWG(data->media[0]);
  media.size_width = pwg ? pwg->width : DotsToHundredthsMm(kFrameColumns, dpi);
  media.size_length = pwg ? pwg->length : DotsToHundredthsMm(kFrameRows, dpi);
  std::snprintf(media.size_name, sizeof media.size_name, "%s", data->media[0]);
  std::snprintf(media.source, sizeof media.source, "%s", kMediaSource);
  std::snprintf(media.type, sizeof media.type, "%s", kMediaType);
  data->media_ready[0] = media;
  data->media_default = media;
}

ipp_t* DriverAttributes(pappl_printer_t* printer) {
  const std::vector<std::string> intents = OfferedIntents(papplPrinterGetID(printer));
  std::string chosen = intents.front();
  if (ipp_t* now = papplPrinterGetDriverAttributes(printer)) {
    const std::string name = std::string(kIntentAttribute) + "-default";
    if (const char* v = ippGetString(ippFindAttribute(now, name.c_str(), IPP_TAG_KEYWORD), 0, nullptr))
      for (const std::string& offered : intents)
        if (offered == v) chosen = offered;
    ippDelete(now);
  }
  return DriverAttributes(intents, chosen);
}

ipp_t* DriverAttributes(const std::vector<std::string>& intents, const std::string& intent) {
  ipp_t* attrs = ippNew();
  // The preferred-attributes request and per-page overrides are not taken:
  // every page prints with the job's own attributes.
  ippAddBoolean(attrs, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
  const char* const overrides[] = {"document-number", "pages"};
  ippAddStrings(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "overrides-supported", 2, nullptr, overrides);
  // One-sided: a raster page is printed as it comes.
  ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "pwg-raster-document-sheet-back", nullptr, "normal");
  std::vector<const char*> values;
  for (const std::string& i : intents) values.push_back(i.c_str());
  const std::string name = kIntentAttribute;
  ippAddStrings(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, (name + "-supported").c_str(),
                static_cast<int>(values.size()), nullptr, values.data());
  ippAddString(attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, (name + "-default").c_str(), nullptr, intent.c_str());
  return attrs;
}

bool DriverCallback(pappl_system_t* system, const char* driver_name, const char* device_uri,
                    const char* /*device_id*/, pappl_pr_driver_data_t* driver_data,
                    ipp_t** driver_attrs, void* /*data*/) {
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
  // The printer's profile, if any, is known once it is attached.
  *driver_attrs = DriverAttributes({"auto"}, "auto");
  return true;
}

const char* AutoAddCallback(const char* /*device_info*/, const char* device_uri,
                            const char* /*device_id*/, void* /*data*/) {
  // Every device of our scheme is one of our printers, and only those.
  return device_uri && std::strncmp(device_uri, "vyr://", 6) == 0 ? kDriverName : nullptr;
}
