// vyrtool spool [--root DIR] [--fit|--no-fit] PHOTO: writes a photo as the
// spooled page c:\abx.1 (DIR/c/abx.1), the 24-bit bitmap the engine prints,
// top row first: the engine takes the first stored row as the top of the
// page, so a bottom-up file would print mirrored top to bottom. libvips reads the photo (JPEG, PNG, TIFF, WebP, BMP and
// whatever else it knows), turns it upright by its EXIF orientation and
// converts an embedded colour profile to sRGB. --fit (the default) fills the
// engine's frame: landscape photos become exactly 640 x 480, portrait ones
// 480 x 640, scaled to cover the frame and cut to its middle, so the engine
// takes its exact path; --no-fit keeps the photo's own pixels and leaves the
// fitting to the engine. The page is written under a temporary name and
// renamed into place, so a failure leaves no page behind, whole or half.
#include <vips/vips.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "base/bitmap_file.h"
#include "base/frame.h"
#include "tools/tool_commands.h"
#include "tools/whole_file.h"

namespace fs = std::filesystem;

namespace {

// The largest photo taken (a bomb of a picture would otherwise take
// gigabytes before anything could be said).
constexpr double kMaxPixels = 100e6;

// Owns one VipsImage reference.
class Image {
 public:
  Image() = default;
  explicit Image(VipsImage* image) : image_(image) {}
  ~Image() {
    if (image_) g_object_unref(image_);
  }
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  VipsImage* get() const { return image_; }
  void Reset(VipsImage* image) {
    if (image_) g_object_unref(image_);
    image_ = image;
  }
  // The output slot of a vips operation; what it held is let go on success.
  VipsImage** out() { return &next_; }
  void Take() {
    Reset(next_);
    next_ = nullptr;
  }

 private:
  VipsImage* image_ = nullptr;
  VipsImage* next_ = nullptr;
};

// The first line of libvips's error text, which may hold several.
std::string VipsReason() {
  std::string text = vips_error_buffer();
  vips_error_clear();
  size_t end = text.find('\n');
  if (end != std::string::npos) text.resize(end);
  return text.empty() ? "libvips failed" : text;
}

int Fail(const std::string& photo, const std::string& why) {
  std::fprintf(stderr, "vyrtool spool: %s: %s; nothing spooled\n", photo.c_str(), why.c_str());
  return 1;
}

// The photo upright, as 8-bit sRGB with three bands; false with `why` set.
bool LoadUpright(const std::string& photo, Image& image, std::string& why) {
  // A file that is missing or may not be read is said so plainly.
  if (FILE* f = std::fopen(photo.c_str(), "rb")) {
    std::fclose(f);
  } else {
    why = std::strerror(errno);
    return false;
  }
  // Only the header is read here; pixels are decoded when they are needed,
  // and a file cut short fails then instead of giving grey rows.
  image.Reset(vips_image_new_from_file(photo.c_str(), "fail_on", VIPS_FAIL_ON_TRUNCATED, nullptr));
  if (!image.get()) {
    why = vips_foreign_find_load(photo.c_str()) ? VipsReason() : "not a picture this tool can read";
    vips_error_clear();
    return false;
  }
  const double pixels = static_cast<double>(image.get()->Xsize) * image.get()->Ysize;
  if (pixels > kMaxPixels) {
    char text[96];
    std::snprintf(text, sizeof text, "%d x %d is larger than 100 megapixels", image.get()->Xsize,
                  image.get()->Ysize);
    why = text;
    return false;
  }
  if (vips_autorot(image.get(), image.out(), nullptr) != 0) return why = VipsReason(), false;
  image.Take();
  if (vips_image_get_typeof(image.get(), VIPS_META_ICC_NAME) != 0) {
    // The embedded profile to sRGB; a profile that cannot be used is ignored
    // as most viewers do, and the numbers are taken as sRGB.
    if (vips_icc_transform(image.get(), image.out(), "srgb", "embedded", TRUE, nullptr) == 0)
      image.Take();
    else
      vips_error_clear();
  }
  if (vips_colourspace(image.get(), image.out(), VIPS_INTERPRETATION_sRGB, nullptr) != 0)
    return why = VipsReason(), false;
  image.Take();
  if (vips_image_hasalpha(image.get())) {
    // Transparent parts print as the paper they are on.
    VipsArrayDouble* white = vips_array_double_newv(1, 255.0);
    const int flattened = vips_flatten(image.get(), image.out(), "background", white, nullptr);
    vips_area_unref(VIPS_AREA(white));
    if (flattened != 0) return why = VipsReason(), false;
    image.Take();
  }
  if (image.get()->Bands > 3) {
    if (vips_extract_band(image.get(), image.out(), 0, "n", 3, nullptr) != 0) return why = VipsReason(), false;
    image.Take();
  }
  if (vips_cast_uchar(image.get(), image.out(), nullptr) != 0) return why = VipsReason(), false;
  image.Take();
  return true;
}

}  // namespace

const ToolOption kSpoolOptions[] = {
    {"root", 'r', "DIR", "the engine disk to spool to (default: VYR_ROOT, else /var/lib/vyr)"},
    {"fit", 'f', nullptr, "fill the frame: exactly 640 x 480, or 480 x 640 for portrait (default)"},
    {"no-fit", 'n', nullptr, "keep the photo's own pixels; the engine fits the page"},
};

const ToolSyntax kSpoolTool = {
    .command = "spool",
    .operands = "PHOTO",
    .minOperands = 1,
    .maxOperands = 1,
    .summary = "a photo (JPEG, PNG, TIFF, WebP, BMP ...) as the spooled page c:\\abx.1",
    .details = "The photo is turned upright by its EXIF orientation and its colour profile\n"
               "converted to sRGB. With --fit it is scaled to cover the frame and cut to its\n"
               "middle. The page is written whole or not at all.\n",
    .options = kSpoolOptions,
    .optionCount = std::size(kSpoolOptions),
};

int RunSpoolTool(const ToolArgs& args) {
  const std::string photo = args.operands[0];
  const bool fit = args.Last("fit", "no-fit") != 2;
  const char* rootEnv = std::getenv("VYR_ROOT");
  const fs::path root = args.Has("root") ? args.Get("root") : rootEnv && *rootEnv ? rootEnv : "/var/lib/vyr";
  const fs::path drive = root / "c";
  std::error_code ec;
  if (!fs::is_directory(drive, ec)) {
    std::fprintf(stderr, "vyrtool spool: %s is not an engine disk (no folder c); 'vyrtool init-root %s' makes one\n",
                 root.c_str(), root.c_str());
    return 1;
  }

  if (VIPS_INIT("vyrtool") != 0) return Fail(photo, VipsReason());
  // libvips warns about each damaged tile of a broken file; the one line
  // that Fail writes says it all.
  g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING, [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {},
                    nullptr);
  Image image;
  std::string why;
  if (!LoadUpright(photo, image, why)) return Fail(photo, why);
  if (fit) {
    const bool portrait = image.get()->Ysize > image.get()->Xsize;
    const int width = portrait ? kFrameRows : kFrameColumns;
    const int height = portrait ? kFrameColumns : kFrameRows;
    if (vips_thumbnail_image(image.get(), image.out(), width, "height", height, "crop", VIPS_INTERESTING_CENTRE,
                             nullptr) != 0)
      return Fail(photo, VipsReason());
    image.Take();
  }

  const int width = image.get()->Xsize;
  const int height = image.get()->Ysize;
  size_t size = 0;
  // Decoding happens here: a photo cut short fails now.
  auto* rgb = static_cast<uint8_t*>(vips_image_write_to_memory(image.get(), &size));
  if (!rgb) return Fail(photo, VipsReason());
  std::vector<BitmapPixel> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (size_t i = 0; i < pixels.size() && 3 * i + 2 < size; ++i)
    pixels[i] = BitmapPixel{rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i]};
  g_free(rgb);

  const std::vector<uint8_t> page = BitmapFileBytes(width, height, /*topRowFirst*/ true, pixels);
  const fs::path target = drive / "abx.1";
  std::string error;
  if (!ReplaceFileBytes(target.string(), page.data(), page.size(), error)) return Fail(photo, error);
  std::printf("%s spooled as c:\\abx.1 (%s), %d x %d\n", photo.c_str(), target.c_str(), width, height);
  return 0;
}
