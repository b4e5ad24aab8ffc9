// Documents as the engine's spooled pages: every picture, PDF page and raster
// page a user prints becomes a 24-bit bitmap (top row first, the order the
// engine reads) through this one module, shared by `vyrtool spool` and the
// printer application. It knows nothing of the engine but its frame.
//
// The frame stands on the media as 480 x 640 dots (upright, as media sizes
// do); the engine prints it as its 640 x 480 landscape page and turns a
// portrait page a quarter clockwise. A page is laid out on the media as IPP
// defines `orientation-requested` and `print-scaling`, always centred; a page
// whose content lies on its side on the media (landscape, reverse-landscape)
// is spooled as the 640 x 480 page the engine's own turn would make of it, so
// the engine takes its direct path for every landscape print.
//
// Pictures (JPEG, PNG, TIFF, WebP, GIF, HEIF and whatever else libvips reads)
// are turned upright by their EXIF orientation, their embedded colour profile
// converted to sRGB and transparency printed as white paper; JPEGs are decoded
// already reduced when they are much larger than the frame. PDF pages are
// drawn by poppler (through libvips) at the size they print, respecting each
// page's own rotation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// print-scaling (PWG 5100.13 names), plus the raw page for the engine to fit.
enum class PageScaling {
  kAuto,     // too large: fill (the media is borderless); else as it is
  kAutoFit,  // too large: fit; else as it is
  kFill,     // cover the frame, cut to its middle
  kFit,      // inside the frame, white around
  kNone,     // its own size, centred, cut where it overflows
  kKeep,     // the picture's own pixels, upright; the engine fits it (vyrtool only)
};

// orientation-requested, with the IPP enum values.
enum class PageOrientation : int {
  kAuto = 7,  // none: the picture's own shape chooses portrait or landscape
  kPortrait = 3,
  kLandscape = 4,         // content turned a quarter counter-clockwise on the media
  kReverseLandscape = 5,  // a quarter clockwise
  kReversePortrait = 6,   // a half turn
};

struct PageLayout {
  PageScaling scaling = PageScaling::kAuto;
  PageOrientation orientation = PageOrientation::kAuto;
  // Dots per inch of the frame: the size a PDF page or a raster page has
  // with no scaling. Pictures have no trustworthy size: one pixel is a dot.
  int dpi = 160;
};

// A raster page as a client sent it: 8-bit grey (1 band) or sRGB (3 bands),
// top row first, at its own resolution.
struct RasterPixels {
  int width = 0;
  int height = 0;
  int bands = 3;
  int x_dpi = 0;
  int y_dpi = 0;
  std::vector<uint8_t> pixels;  // width * height * bands
};

// A page written: its size in pixels.
struct SpooledPage {
  int width = 0;
  int height = 0;
};

// The IPP keywords ("auto", "auto-fit", "fill", "fit", "none"; "none",
// "portrait", "landscape", "reverse-landscape", "reverse-portrait"); false
// for any other word.
bool PageScalingNamed(const std::string& word, PageScaling* scaling);
bool PageOrientationNamed(const std::string& word, PageOrientation* orientation);

// Starts libvips once per process (any thread); false when it cannot start.
bool StartDocumentPages(const char* program);

// Number of pages of the document at `path` (PDF and TIFF may hold several,
// every other picture is one); 0 with `why` set when it cannot be read.
// `kind` is set to "PDF" or "picture".
int DocumentPageCount(const std::string& path, std::string* why, std::string* kind = nullptr);

// Page `index` (from 0) of the document at `path` as the spooled page at
// `out`, written whole under a temporary name or not at all. False with `why`
// (one line, naming the cause: missing, not a picture, cut short, too large).
bool SpoolDocumentPage(const std::string& path, int index, const PageLayout& layout,
                       const std::string& out, SpooledPage* page, std::string* why);

// A raster page as the spooled page at `out`: as sent when it is the frame's
// size, otherwise laid out by the same rules as a picture (its size from its
// resolution).
bool SpoolRasterPage(const RasterPixels& raster, const PageLayout& layout, const std::string& out,
                     SpooledPage* page, std::string* why);

// The spooled page at `page` as a PNG picture at `png`, as it is stored (top
// row first), for people to look at. False with `why` set.
bool SpooledPagePicture(const std::string& page, const std::string& png, std::string* why);
