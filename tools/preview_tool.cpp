// vyrtool preview [--root DIR] [--test-print] [--dump DIR] [--png DIR]
//                 [--print-png FILE] PAGE.bmp
//
// Runs, without a printer, what a print job does to a page: the media and tone
// tables, the page loader (fit, turn, speckle filter, colour match), the six
// page passes in the job's order, and the head data of every line block of
// the page in the order the line sender sends them. Settings and tables come
// from DIR laid out as VYR_ROOT (default: VYR_ROOT itself). Messages go to
// standard error as "vyr: message NUMBER: TEXT".
//
// --dump DIR writes the stages as raw little-endian files, row-major, without
// headers or padding, page 480 rows x 640 columns:
//   loaded.bgr   the page after loading (blue, green, red per pixel)
//   passed.bgr   after the contrast, saturation and hue passes
//   luma.i16     the luminance plane (one int16 per pixel)
//   tones.i16    the tone tables (3 x 257 int16: cyan, magenta, yellow)
//   levels.i16   head levels after the conversion (yellow, magenta, cyan)
//   final.i16    head levels after edge enhancement and the level limit
//   lines.bin    the data bytes of every line block, as sent (the page line
//                layout of base/printer_protocol.h)
// --png DIR writes loaded.png, passed.png, plane_cyan.png, plane_magenta.png,
// plane_yellow.png (each head plane in grey, as the print shows it: level 1020
// white paper, level 0 full dye) and print.png (the print as the head data
// puts it on paper). --print-png FILE writes only the last of them, as FILE
// (each picture costs about as much as all the stages together).
//
// Exit status: 0 when the page loaded, 1 when it did not, 2 for bad arguments.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <iterator>
#include <vector>

#include "base/printer_protocol.h"
#include "framework/afx.h"
#include "framework/ui_backend.h"
#include "imaging/line_data.h"
#include "imaging/media_tables.h"
#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "platform/module.h"
#include "platform/paths.h"
#include "settings/settings.h"
#include "tools/tool_commands.h"
#include "vprinter/print_picture.h"

namespace {

// ---- Messages on standard error -------------------------------------------------

void Ignore(void*, const char*) {}
void IgnoreProgress(void*, int, int) {}
void IgnoreText(void*, int, const char*) {}
void IgnoreEnable(void*, int, bool) {}
void IgnoreEnd(void*, bool) {}
bool ShowMessage(void*, unsigned number, const char* text, bool /*yesno*/) {
  std::fprintf(stderr, "vyr: message %u: %s\n", number, text ? text : "");
  return false;  // nothing here asks, and no question is ever answered with yes
}

const UiBackend kStderrUi = {
    .name = "stderr",
    .caption = Ignore,
    .progress = IgnoreProgress,
    .item_text = IgnoreText,
    .item_enable = IgnoreEnable,
    .message = ShowMessage,
    .dialog_end = IgnoreEnd,
    .job_event = nullptr,
    .close_requested = nullptr,
    .person_can_close = nullptr,
    .ctx = nullptr,
};

// ---- The line blocks of a page ---------------------------------------------------

// Every line of the page as the line sender sends it.
std::vector<uint8_t> PageLineData() {
  std::vector<uint8_t> lines;
  lines.reserve(kLeadInLines * kLeadInLineBytes + (kPageLines - kLeadInLines) * kLineBytes);
  uint8_t line[kLeadInLineBytes];
  for (int n = 0; n < kPageLines; ++n) {
    const int length = FillPageLine(n, line);
    lines.insert(lines.end(), line, line + length);
  }
  return lines;
}

// ---- Files -------------------------------------------------------------------

bool WriteBytes(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// int16 values written little-endian whatever the machine.
bool WriteInt16(const std::string& path, const std::vector<int16_t>& values) {
  std::vector<uint8_t> bytes(values.size() * 2);
  for (size_t i = 0; i < values.size(); ++i) {
    const uint16_t v = static_cast<uint16_t>(values[i]);
    bytes[2 * i] = static_cast<uint8_t>(v & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(v >> 8);
  }
  return WriteBytes(path, bytes.data(), bytes.size());
}

// The used part of the page: 480 rows of 640 pixels, blue, green, red.
std::vector<uint8_t> PageBgr() {
  std::vector<uint8_t> bgr(kPageRows * kPageColumns * 3);
  for (int r = 0; r < kPageRows; ++r)
    std::memcpy(&bgr[r * kPageColumns * 3], g_pageImage + r * kPageStride, kPageColumns * 3);
  return bgr;
}

std::vector<uint8_t> BgrToRgb(const std::vector<uint8_t>& bgr) {
  std::vector<uint8_t> rgb(bgr.size());
  for (size_t i = 0; i < bgr.size(); i += 3) {
    rgb[i] = bgr[i + 2];
    rgb[i + 1] = bgr[i + 1];
    rgb[i + 2] = bgr[i];
  }
  return rgb;
}

// The used part of the head planes: yellow, magenta, cyan per pixel.
std::vector<int16_t> PlaneLevels() {
  std::vector<int16_t> levels(kPageRows * kPageColumns * 3);
  for (int r = 0; r < kPageRows; ++r)
    std::memcpy(&levels[r * kPageColumns * 3], g_headPlanes + r * kPlaneStride, kPageColumns * 3 * 2);
  return levels;
}

// One head plane in grey as it prints: a head level follows the page value
// that drives it, so level 1020 is white paper and level 0 full dye. `slot`
// 0 yellow, 1 magenta, 2 cyan.
std::vector<uint8_t> PlaneGrey(const std::vector<int16_t>& levels, int slot) {
  std::vector<uint8_t> rgb(kPageRows * kPageColumns * 3);
  for (int i = 0; i < kPageRows * kPageColumns; ++i) {
    int v = levels[i * 3 + slot];
    v = v < 0 ? 0 : (v > 1020 ? 1020 : v);
    const uint8_t grey = static_cast<uint8_t>(v * 255 / 1020);
    rgb[i * 3] = rgb[i * 3 + 1] = rgb[i * 3 + 2] = grey;
  }
  return rgb;
}

struct Outputs {
  std::string dumpDir, pngDir, printPng;
  bool ok = true;

  void Dump(const char* name, const void* data, size_t size) {
    if (dumpDir.empty()) return;
    Check(WriteBytes(dumpDir + "/" + name, data, size), dumpDir + "/" + name);
  }
  void Dump16(const char* name, const std::vector<int16_t>& values) {
    if (dumpDir.empty()) return;
    Check(WriteInt16(dumpDir + "/" + name, values), dumpDir + "/" + name);
  }
  void Png(const char* name, const std::vector<uint8_t>& rgb) {
    if (pngDir.empty()) return;
    const std::string path = pngDir + "/" + name;
    Check(WritePngRgb(path.c_str(), kPageColumns, kPageRows, rgb.data()), path);
  }
  void Check(bool written, const std::string& path) {
    if (written) return;
    std::fprintf(stderr, "vyrtool preview: cannot write %s\n", path.c_str());
    ok = false;
  }
};

bool MakeDirectory(const std::string& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (std::filesystem::is_directory(dir, error)) return true;
  std::fprintf(stderr, "vyrtool preview: cannot make the folder %s\n", dir.c_str());
  return false;
}

}  // namespace

const ToolOption kPreviewOptions[] = {
    {"root", 'r', "DIR", "the engine disk whose settings and tables to use (default: VYR_ROOT)"},
    {"test-print", 't', nullptr, "load the page as the test page (mirrored)"},
    {"dump", 'd', "DIR", "write every stage as raw little-endian files into DIR"},
    {"png", 'p', "DIR", "write pictures of the stages and of the print into DIR"},
    {"print-png", 'P', "FILE", "write only the picture of the print, as FILE"},
};

const ToolSyntax kPreviewTool = {
    .command = "preview",
    .operands = "PAGE.bmp",
    .minOperands = 1,
    .maxOperands = 1,
    .summary = "a print job's work on a page, without a printer",
    .details = "Runs the media and tone tables, the page loading, the six page passes and the\n"
               "head data of all 790 line blocks; the engine's messages go to standard error.\n",
    .options = kPreviewOptions,
    .optionCount = std::size(kPreviewOptions),
};

int RunPreviewTool(const ToolArgs& args) {
  Outputs out;
  const std::string pagePath = args.operands[0];
  const std::string root = args.Has("root") ? args.Get("root") : "";
  const bool testPrint = args.Has("test-print");
  if (args.Has("dump")) out.dumpDir = args.Get("dump");
  if (args.Has("png")) out.pngDir = args.Get("png");
  if (args.Has("print-png")) out.printPng = args.Get("print-png");
  if (!out.dumpDir.empty() && !MakeDirectory(out.dumpDir)) return 1;
  if (!out.pngDir.empty() && !MakeDirectory(out.pngDir)) return 1;

  UiInstall(&kStderrUi);
  if (HMODULE language = LoadLibraryA("vyr_eng.dll")) AfxSetResourceHandle(language);
  if (!root.empty()) PathsSetRoot(root);
  LoadSettings();
  g_bTestPrint = testPrint ? 1 : 0;

  LoadMediaTable();
  BuildMediaToneTables();
  FILE* page = std::fopen(pagePath.c_str(), "rb");
  const int loaded = LoadPageImage(page, nullptr);
  if (page != nullptr) std::fclose(page);
  if (loaded != 1) return 1;

  const std::vector<uint8_t> loadedBgr = PageBgr();
  out.Dump("loaded.bgr", loadedBgr.data(), loadedBgr.size());
  out.Png("loaded.png", BgrToRgb(loadedBgr));

  ApplyContrastCurve();
  ApplySaturation();
  ApplyHueCorrection();
  const std::vector<uint8_t> passedBgr = PageBgr();
  out.Dump("passed.bgr", passedBgr.data(), passedBgr.size());
  out.Png("passed.png", BgrToRgb(passedBgr));
  out.Dump16("luma.i16", std::vector<int16_t>(g_lumaPlane, g_lumaPlane + kPageRows * kPageColumns));
  out.Dump16("tones.i16", std::vector<int16_t>(&g_mediaToneTables[0][0], &g_mediaToneTables[0][0] + 3 * 257));

  ConvertToHeadLevels();
  out.Dump16("levels.i16", PlaneLevels());
  EnhanceEdges();
  LimitHeadPlanes();
  const std::vector<int16_t> finalLevels = PlaneLevels();
  out.Dump16("final.i16", finalLevels);
  out.Png("plane_cyan.png", PlaneGrey(finalLevels, 2));
  out.Png("plane_magenta.png", PlaneGrey(finalLevels, 1));
  out.Png("plane_yellow.png", PlaneGrey(finalLevels, 0));

  const std::vector<uint8_t> lines = PageLineData();
  out.Dump("lines.bin", lines.data(), lines.size());
  if (!out.pngDir.empty() || !out.printPng.empty()) {
    std::vector<int16_t> cmy(3 * kPrintPlane);
    std::vector<uint8_t> rgb(kPrintPlane * 3);
    const bool rebuilt = RebuildPrintLevels(lines.data(), lines.size(), cmy.data());
    if (rebuilt) PrintLevelsToRgb(cmy.data(), rgb.data());
    if (!out.pngDir.empty()) {
      if (rebuilt) out.Png("print.png", rgb);
      else out.Check(false, out.pngDir + "/print.png");
    }
    if (!out.printPng.empty())
      out.Check(rebuilt && WritePngRgb(out.printPng.c_str(), kPageColumns, kPageRows, rgb.data()), out.printPng);
  }
  // The page loaded; a file that could not be written was reported above and
  // fails the run.
  if (out.dumpDir.empty() && out.pngDir.empty() && out.printPng.empty()) {
    std::printf("%s: loaded, six page passes and 790 line blocks computed; nothing written "
                "(--png DIR for pictures, --dump DIR for raw stages)\n",
                pagePath.c_str());
  }
  return out.ok ? 0 : 1;
}
