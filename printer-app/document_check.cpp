#include "printer-app/document_check.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <filesystem>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace {

// One white pixel, in each format PAPPL decodes itself.
const uint8_t kWhiteJpeg[] = {
    0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01,
    0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43,
    0x00, 0x10, 0x0b, 0x0c, 0x0e, 0x0c, 0x0a, 0x10, 0x0e, 0x0d, 0x0e, 0x12,
    0x11, 0x10, 0x13, 0x18, 0x28, 0x1a, 0x18, 0x16, 0x16, 0x18, 0x31, 0x23,
    0x25, 0x1d, 0x28, 0x3a, 0x33, 0x3d, 0x3c, 0x39, 0x33, 0x38, 0x37, 0x40,
    0x48, 0x5c, 0x4e, 0x40, 0x44, 0x57, 0x45, 0x37, 0x38, 0x50, 0x6d, 0x51,
    0x57, 0x5f, 0x62, 0x67, 0x68, 0x67, 0x3e, 0x4d, 0x71, 0x79, 0x70, 0x64,
    0x78, 0x5c, 0x65, 0x67, 0x63, 0xff, 0xc0, 0x00, 0x0b, 0x08, 0x00, 0x01,
    0x00, 0x01, 0x01, 0x01, 0x11, 0x00, 0xff, 0xc4, 0x00, 0x14, 0x00, 0x01,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x07, 0xff, 0xc4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xff, 0xda, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3f, 0x00,
    0x40, 0x7f, 0xff, 0xd9
};
const uint8_t kWhitePng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d,
    0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01,
    0x01, 0x00, 0x00, 0x00, 0x00, 0x37, 0x6e, 0xf9, 0x24, 0x00, 0x00, 0x00,
    0x0a, 0x49, 0x44, 0x41, 0x54, 0x08, 0xd7, 0x63, 0x68, 0x00, 0x00, 0x00,
    0x82, 0x00, 0x81, 0xdd, 0x43, 0x6a, 0xf4, 0x00, 0x00, 0x00, 0x00, 0x49,
    0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82
};

struct Problem {
  int printer_id;
  std::string message;
};

std::mutex g_lock;
std::set<int> g_checked;             // job ids
std::map<int, Problem> g_problems;   // job id -> what is wrong

// Formats a job may come in: PAPPL's own raster and picture decoders, PDF,
// and application/octet-stream for PAPPL to recognise.
bool FormatDecoded(const std::string& format) {
  static const char* const kFormats[] = {"application/octet-stream", "application/pdf",
                                         "image/jpeg", "image/png", "image/pwg-raster",
                                         "image/urf"};
  for (const char* f : kFormats)
    if (format == f) return true;
  return false;
}
int g_max_width = 0, g_max_height = 0;

// Pictures larger than this are refused whatever the system allows: a
// photo of 100 megapixels takes 300 MB to decode.
constexpr uint64_t kMaxPixels = 100'000'000;

std::string SizeProblem(uint64_t width, uint64_t height, int max_width, int max_height) {
  if (width == 0 || height == 0) return "The picture has no pixels.";
  if ((max_width > 0 && width > static_cast<uint64_t>(max_width)) ||
      (max_height > 0 && height > static_cast<uint64_t>(max_height)) ||
      width * height > kMaxPixels) {
    return "The picture is too large to print (" + std::to_string(width) + " x " +
           std::to_string(height) + " pixels; at most " +
           (max_width > 0 ? std::to_string(max_width) + " x " + std::to_string(max_height) + ", "
                          : std::string()) +
           std::to_string(kMaxPixels / 1'000'000) + " megapixels).";
  }
  return "";
}

uint32_t Big32(const std::vector<uint8_t>& d, size_t at) {
  return static_cast<uint32_t>(d[at]) << 24 | static_cast<uint32_t>(d[at + 1]) << 16 |
         static_cast<uint32_t>(d[at + 2]) << 8 | d[at + 3];
}

// Markers in order; the frame header gives the size; the entropy-coded data
// after the last scan header must end with the end-of-image marker (inside
// it 0xFF is always followed by 0x00 or a restart marker).
std::string JpegProblem(const std::vector<uint8_t>& d, int max_width, int max_height) {
  if (d.size() < 4 || d[0] != 0xFF || d[1] != 0xD8 || d[2] != 0xFF)
    return "The document is not a JPEG picture.";
  size_t at = 2;
  uint64_t width = 0, height = 0;
  bool frame = false;
  while (at + 4 <= d.size()) {
    if (d[at] != 0xFF) return "The JPEG picture is damaged.";
    const uint8_t marker = d[at + 1];
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    const size_t length = static_cast<size_t>(d[at + 2]) << 8 | d[at + 3];
    if (length < 2 || at + 2 + length > d.size()) return "The JPEG picture is cut short.";
    const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                     marker != 0xCC;
    if (sof && length >= 7) {
      height = static_cast<uint64_t>(d[at + 5]) << 8 | d[at + 6];
      width = static_cast<uint64_t>(d[at + 7]) << 8 | d[at + 8];
      frame = true;
    }
    at += 2 + length;
    if (marker == 0xDA) break;  // the first scan: sizes are known
  }
  if (!frame) return "The JPEG picture is cut short.";
  if (std::string size = SizeProblem(width, height, max_width, max_height); !size.empty())
    return size;
  size_t last_scan = std::string::npos;
  for (size_t i = d.size() - 1; i > 0; --i) {
    if (d[i - 1] == 0xFF && d[i] == 0xDA) {
      last_scan = i;
      break;
    }
  }
  for (size_t i = last_scan; i + 1 < d.size(); ++i)
    if (d[i] == 0xFF && d[i + 1] == 0xD9) return "";
  return "The JPEG picture is cut short.";
}

std::string PngProblem(const std::vector<uint8_t>& d, int max_width, int max_height) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (d.size() < 8 || !std::equal(kSignature, kSignature + 8, d.begin()))
    return "The document is not a PNG picture.";
  size_t at = 8;
  bool header = false;
  while (at + 12 <= d.size()) {
    const uint32_t length = Big32(d, at);
    const std::string kind(d.begin() + static_cast<long>(at) + 4, d.begin() + static_cast<long>(at) + 8);
    if (length > d.size() - at - 12) return "The PNG picture is cut short.";
    if (kind == "IHDR" && length >= 8) {
      header = true;
      if (std::string size = SizeProblem(Big32(d, at + 8), Big32(d, at + 12), max_width, max_height);
          !size.empty())
        return size;
    }
    if (kind == "IEND") return header ? "" : "The PNG picture is damaged.";
    at += 12 + length;
  }
  return "The PNG picture is cut short.";
}

}  // namespace

std::string DocumentProblem(const std::string& path, const std::string& format, int max_width,
                            int max_height) {
  if (format != "image/jpeg" && format != "image/png") return "";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "The document cannot be read.";
  const std::vector<uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return format == "image/jpeg" ? JpegProblem(d, max_width, max_height)
                                : PngProblem(d, max_width, max_height);
}

void SetPictureLimit(int max_width, int max_height) {
  g_max_width = max_width;
  g_max_height = max_height;
}

// PAPPL holds the job's lock while it announces a state: only the job's
// fixed facts are read here.
void CheckJobDocument(pappl_job_t* job, pappl_printer_t* printer) {
  const char* path = papplJobGetFilename(job);
  const char* format = papplJobGetFormat(job);
  if (!path || !format) return;
  const int id = papplJobGetID(job);
  {
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_checked.insert(id).second) return;
  }
  if (!FormatDecoded(format)) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_problems[id] = {papplPrinterGetID(printer), std::string("Unsupported document format ") +
                                                      format + ": send a JPEG, PNG or PDF picture."};
    return;
  }
  std::string problem = DocumentProblem(path, format, g_max_width, g_max_height);
  if (problem.empty()) return;
  const bool jpeg = std::string(format) == "image/jpeg";
  FILE* f = std::fopen(path, "wb");
  if (f) {
    std::fwrite(jpeg ? kWhiteJpeg : kWhitePng, 1, jpeg ? sizeof kWhiteJpeg : sizeof kWhitePng, f);
    std::fclose(f);
  }
  std::lock_guard<std::mutex> hold(g_lock);
  g_problems[id] = {papplPrinterGetID(printer), problem};
}

void NoteDocumentProblem(pappl_job_t* job, pappl_printer_t* printer, const std::string& problem) {
  const int id = papplJobGetID(job);
  std::lock_guard<std::mutex> hold(g_lock);
  if (!g_checked.insert(id).second) return;
  g_problems[id] = {papplPrinterGetID(printer), problem};
}

bool ExplainAbortedJobs(pappl_system_t* system, void* /*data*/) {
  std::lock_guard<std::mutex> hold(g_lock);
  for (auto it = g_problems.begin(); it != g_problems.end();) {
    pappl_printer_t* printer = papplSystemFindPrinter(system, nullptr, it->second.printer_id, nullptr);
    pappl_job_t* job = printer ? papplPrinterFindJob(printer, it->first) : nullptr;
    const ipp_jstate_t state = job ? papplJobGetState(job) : IPP_JSTATE_COMPLETED;
    if (state == IPP_JSTATE_ABORTED) papplJobSetMessage(job, "%s", it->second.message.c_str());
    it = state >= IPP_JSTATE_CANCELED ? g_problems.erase(it) : std::next(it);
  }
  return true;
}

std::string TakeDocumentProblem(pappl_job_t* job) {
  std::lock_guard<std::mutex> hold(g_lock);
  auto it = g_problems.find(papplJobGetID(job));
  if (it == g_problems.end()) return "";
  std::string problem = it->second.message;
  g_problems.erase(it);
  return problem;
}
