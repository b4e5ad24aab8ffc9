// vyrtool spool [--root DIR] [--fit|--no-fit] [--scaling S] [--orientation O]
// [--page N] [--dpi N] DOCUMENT: writes a photo or a page of a PDF as the
// spooled page c:\abx.1 (DIR/c/abx.1), the 24-bit bitmap the engine prints,
// top row first: the engine takes the first stored row as the top of the
// page, so a bottom-up file would print mirrored top to bottom. The document
// path (tools/document_pages.h) does the work, the same code the printer
// application spools its jobs with: the same document and options give the
// same page. --fit (the default) is `--scaling fill`; --no-fit keeps the
// photo's own pixels and leaves the fitting to the engine. The page is
// written under a temporary name and renamed into place, so a failure leaves
// no page behind, whole or half.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#include "tools/document_pages.h"
#include "tools/tool_commands.h"

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& photo, const std::string& why) {
  std::fprintf(stderr, "vyrtool spool: %s: %s; nothing spooled\n", photo.c_str(), why.c_str());
  return 1;
}

// A whole number in [lo, hi] from an option, or false.
bool Number(const char* text, int lo, int hi, int* value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < lo || v > hi) return false;
  *value = static_cast<int>(v);
  return true;
}

}  // namespace

const ToolOption kSpoolOptions[] = {
    {"root", 'r', "DIR", "the engine disk to spool to (default: VYR_ROOT, else /var/lib/vyr)"},
    {"fit", 'f', nullptr, "fill the frame (--scaling fill; the default)"},
    {"no-fit", 'n', nullptr, "keep the photo's own pixels; the engine fits the page"},
    {"scaling", 's', "S", "print-scaling: auto, auto-fit, fill, fit or none"},
    {"orientation", 'o', "O",
     "orientation-requested: none (default), portrait, landscape, reverse-landscape, reverse-portrait"},
    {"page", 'p', "N", "the page of a PDF or TIFF to spool (default 1)"},
    {"dpi", 'd', "N", "dots per inch of the frame, the size of a PDF page unscaled (default 160)"},
};

const ToolSyntax kSpoolTool = {
    .command = "spool",
    .operands = "DOCUMENT",
    .minOperands = 1,
    .maxOperands = 1,
    .summary = "a photo (JPEG, PNG, TIFF, WebP, HEIF ...) or a PDF page as the spooled page c:\\abx.1",
    .details = "The photo is turned upright by its EXIF orientation and its colour profile\n"
               "converted to sRGB, then laid out on the frame as IPP's print-scaling and\n"
               "orientation-requested say, centred: the page the printer application spools\n"
               "for the same document and options. The page is written whole or not at all.\n",
    .options = kSpoolOptions,
    .optionCount = std::size(kSpoolOptions),
};

int RunSpoolTool(const ToolArgs& args) {
  const std::string photo = args.operands[0];
  PageLayout layout;
  layout.scaling = args.Last("fit", "no-fit") == 2 ? PageScaling::kKeep : PageScaling::kFill;
  int page = 1;
  if (const char* s = args.Get("scaling"); s && !PageScalingNamed(s, &layout.scaling))
    return Fail(photo, std::string("unknown print-scaling '") + s + "'");
  if (const char* o = args.Get("orientation"); o && !PageOrientationNamed(o, &layout.orientation))
    return Fail(photo, std::string("unknown orientation '") + o + "'");
  if (const char* p = args.Get("page"); p && !Number(p, 1, 1 << 20, &page))
    return Fail(photo, std::string("page '") + p + "' is not a page number");
  if (const char* d = args.Get("dpi"); d && !Number(d, 1, 10000, &layout.dpi))
    return Fail(photo, std::string("dpi '") + d + "' is not a resolution");
  const char* rootEnv = std::getenv("VYR_ROOT");
  const fs::path root = args.Has("root") ? args.Get("root") : rootEnv && *rootEnv ? rootEnv : "/var/lib/vyr";
  const fs::path drive = root / "c";
  std::error_code ec;
  if (!fs::is_directory(drive, ec)) {
    std::fprintf(stderr, "vyrtool spool: %s is not an engine disk (no folder c); 'vyrtool init-root %s' makes one\n",
                 root.c_str(), root.c_str());
    return 1;
  }
  if (!StartDocumentPages("vyrtool")) return Fail(photo, "libvips cannot start");
  std::string why;
  const int pages = DocumentPageCount(photo, &why);
  if (pages == 0) return Fail(photo, why);
  if (page > pages)
    return Fail(photo, "it has " + std::to_string(pages) + " page" + (pages == 1 ? "" : "s"));
  const fs::path target = drive / "abx.1";
  SpooledPage spooled;
  if (!SpoolDocumentPage(photo, page - 1, layout, target.string(), &spooled, &why))
    return Fail(photo, why);
  std::printf("%s spooled as c:\\abx.1 (%s), %d x %d\n", photo.c_str(), target.c_str(), spooled.width,
              spooled.height);
  return 0;
}
