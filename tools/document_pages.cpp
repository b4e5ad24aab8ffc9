#include "tools/document_pages.h"

#include <vips/vips.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

#include "base/bitmap_file.h"
#include "base/frame.h"
#include "tools/whole_file.h"

namespace {

// The frame upright on the media: the engine's page rows across, its
// columns down.
constexpr int kMediaWidth = kFrameRows;      // 480
constexpr int kMediaHeight = kFrameColumns;  // 640
// A bomb of a picture would take gigabytes before anything could be said.
constexpr double kMaxPixels = 100e6;
// PDF pages come at 72 points per inch.
constexpr double kPointsPerInch = 72.0;

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
  // The output slot of a vips operation; Take() makes it the image.
  VipsImage** out() { return &next_; }
  void Take() {
    Reset(next_);
    next_ = nullptr;
  }
  int width() const { return image_->Xsize; }
  int height() const { return image_->Ysize; }

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

bool Fail(std::string* why, const std::string& text) {
  *why = text;
  return false;
}

enum class Kind { kPdf, kTiff, kJpeg, kOther };

Kind KindOf(const char* loader) {
  const std::string name = loader ? loader : "";
  if (name.rfind("VipsForeignLoadPdf", 0) == 0) return Kind::kPdf;
  if (name.rfind("VipsForeignLoadTiff", 0) == 0) return Kind::kTiff;
  if (name.rfind("VipsForeignLoadJpeg", 0) == 0) return Kind::kJpeg;
  return Kind::kOther;
}

// Opens the document (header only: pixels are decoded when they are needed,
// and a file cut short fails then instead of giving grey rows).
bool OpenDocument(const std::string& path, int index, double scale, int shrink, Kind* kind,
                  Image& image, std::string* why) {
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
  } else {
    return Fail(why, std::strerror(errno));
  }
  const char* loader = vips_foreign_find_load(path.c_str());
  if (!loader) {
    vips_error_clear();
    return Fail(why, "not a picture or PDF document");
  }
  *kind = KindOf(loader);
  VipsImage* out = nullptr;
  int rc = -1;
  switch (*kind) {
    case Kind::kPdf:
      rc = vips_pdfload(path.c_str(), &out, "page", index, "scale", scale, "fail_on",
                        VIPS_FAIL_ON_TRUNCATED, nullptr);
      break;
    case Kind::kTiff:
      rc = vips_tiffload(path.c_str(), &out, "page", index, "fail_on", VIPS_FAIL_ON_TRUNCATED,
                         nullptr);
      break;
    case Kind::kJpeg:
      rc = vips_jpegload(path.c_str(), &out, "shrink", shrink, "fail_on", VIPS_FAIL_ON_TRUNCATED,
                         nullptr);
      break;
    case Kind::kOther:
      out = vips_image_new_from_file(path.c_str(), "fail_on", VIPS_FAIL_ON_TRUNCATED, nullptr);
      rc = out ? 0 : -1;
      break;
  }
  if (rc != 0) return Fail(why, VipsReason());
  image.Reset(out);
  return true;
}

bool TooLarge(const Image& image, std::string* why) {
  if (static_cast<double>(image.width()) * image.height() <= kMaxPixels) return false;
  char text[96];
  std::snprintf(text, sizeof text, "%d x %d is larger than 100 megapixels", image.width(),
                image.height());
  *why = text;
  return true;
}

// Upright, 8-bit sRGB, three bands, transparency on white.
bool ToUprightSrgb(Image& image, std::string* why) {
  if (vips_autorot(image.get(), image.out(), nullptr) != 0) return Fail(why, VipsReason());
  image.Take();
  if (vips_image_get_typeof(image.get(), VIPS_META_ICC_NAME) != 0) {
    // A profile that cannot be used is ignored, as most viewers do, and the
    // numbers are taken as sRGB.
    if (vips_icc_transform(image.get(), image.out(), "srgb", "embedded", TRUE, nullptr) == 0)
      image.Take();
    else
      vips_error_clear();
  }
  if (vips_colourspace(image.get(), image.out(), VIPS_INTERPRETATION_sRGB, nullptr) != 0)
    return Fail(why, VipsReason());
  image.Take();
  if (vips_image_hasalpha(image.get())) {
    VipsArrayDouble* white = vips_array_double_newv(1, 255.0);
    const int flattened = vips_flatten(image.get(), image.out(), "background", white, nullptr);
    vips_area_unref(VIPS_AREA(white));
    if (flattened != 0) return Fail(why, VipsReason());
    image.Take();
  }
  if (image.get()->Bands > 3) {
    if (vips_extract_band(image.get(), image.out(), 0, "n", 3, nullptr) != 0)
      return Fail(why, VipsReason());
    image.Take();
  }
  if (vips_cast_uchar(image.get(), image.out(), nullptr) != 0) return Fail(why, VipsReason());
  image.Take();
  return true;
}

// Where a page of `width` x `height` (upright) goes: the box it is laid out
// in, the scale from its pixels to frame dots, and the half turn at the end.
struct Placement {
  int box_width = kMediaWidth;
  int box_height = kMediaHeight;
  double scale = 1.0;
  bool half_turn = false;
};

// `natural` is frame dots per page pixel at the page's own size; 0 when the
// page has none (a picture).
Placement Place(int width, int height, double natural, const PageLayout& layout) {
  Placement p;
  PageOrientation orientation = layout.orientation;
  if (orientation == PageOrientation::kAuto)
    orientation = width > height ? PageOrientation::kLandscape : PageOrientation::kPortrait;
  const bool sideways = orientation == PageOrientation::kLandscape ||
                        orientation == PageOrientation::kReverseLandscape;
  if (sideways) std::swap(p.box_width, p.box_height);
  p.half_turn = orientation == PageOrientation::kReversePortrait ||
                orientation == PageOrientation::kReverseLandscape;

  PageScaling scaling = layout.scaling;
  if (scaling == PageScaling::kAuto || scaling == PageScaling::kAutoFit) {
    const bool larger = natural <= 0 || width * natural > p.box_width + 1e-9 ||
                        height * natural > p.box_height + 1e-9;
    // The frame is borderless, so auto fills.
    scaling = !larger ? PageScaling::kNone
              : scaling == PageScaling::kAuto ? PageScaling::kFill
                                              : PageScaling::kFit;
  }
  const double across = static_cast<double>(p.box_width) / width;
  const double down = static_cast<double>(p.box_height) / height;
  switch (scaling) {
    case PageScaling::kFill: p.scale = std::max(across, down); break;
    case PageScaling::kFit: p.scale = std::min(across, down); break;
    default: p.scale = natural > 0 ? natural : 1.0; break;
  }
  return p;
}

// The last steps every page takes: scaled by `factor`, centred on the box
// (cut where it overflows, white where it does not reach), turned, written.
bool Finish(Image& image, double factor, const Placement& p, const std::string& out,
            SpooledPage* page, std::string* why) {
  if (std::fabs(factor - 1.0) > 1e-9) {
    if (vips_resize(image.get(), image.out(), factor, nullptr) != 0) return Fail(why, VipsReason());
    image.Take();
  }
  if (image.width() != p.box_width || image.height() != p.box_height) {
    VipsArrayDouble* white = vips_array_double_newv(1, 255.0);
    const int placed = vips_embed(image.get(), image.out(), (p.box_width - image.width()) / 2,
                                  (p.box_height - image.height()) / 2, p.box_width, p.box_height,
                                  "extend", VIPS_EXTEND_BACKGROUND, "background", white, nullptr);
    vips_area_unref(VIPS_AREA(white));
    if (placed != 0) return Fail(why, VipsReason());
    image.Take();
  }
  if (p.half_turn) {
    if (vips_rot(image.get(), image.out(), VIPS_ANGLE_D180, nullptr) != 0)
      return Fail(why, VipsReason());
    image.Take();
  }
  const int width = image.width();
  const int height = image.height();
  size_t size = 0;
  // Decoding happens here: a file cut short fails now.
  auto* rgb = static_cast<uint8_t*>(vips_image_write_to_memory(image.get(), &size));
  if (!rgb) return Fail(why, VipsReason());
  std::vector<BitmapPixel> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (size_t i = 0; i < pixels.size() && 3 * i + 2 < size; ++i)
    pixels[i] = BitmapPixel{rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i]};
  g_free(rgb);
  const std::vector<uint8_t> file = BitmapFileBytes(width, height, /*topRowFirst*/ true, pixels);
  std::string error;
  if (!ReplaceFileBytes(out, file.data(), file.size(), error)) return Fail(why, error);
  if (page) *page = {width, height};
  return true;
}

bool OrientationSwaps(VipsImage* image) { return vips_image_get_orientation_swap(image) != 0; }

}  // namespace

bool PageScalingNamed(const std::string& word, PageScaling* scaling) {
  static const std::pair<const char*, PageScaling> kNames[] = {
      {"auto", PageScaling::kAuto}, {"auto-fit", PageScaling::kAutoFit},
      {"fill", PageScaling::kFill}, {"fit", PageScaling::kFit}, {"none", PageScaling::kNone}};
  for (const auto& [name, value] : kNames)
    if (word == name) return *scaling = value, true;
  return false;
}

bool PageOrientationNamed(const std::string& word, PageOrientation* orientation) {
  static const std::pair<const char*, PageOrientation> kNames[] = {
      {"none", PageOrientation::kAuto},
      {"portrait", PageOrientation::kPortrait},
      {"landscape", PageOrientation::kLandscape},
      {"reverse-landscape", PageOrientation::kReverseLandscape},
      {"reverse-portrait", PageOrientation::kReversePortrait}};
  for (const auto& [name, value] : kNames)
    if (word == name) return *orientation = value, true;
  return false;
}

bool StartDocumentPages(const char* program) {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [program] {
    started = VIPS_INIT(program) == 0;
    // libvips warns about each damaged tile of a broken file; the caller's
    // one line says it all.
    g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING,
                      [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
  });
  return started;
}

int DocumentPageCount(const std::string& path, std::string* why, std::string* kind_name) {
  Kind kind;
  Image image;
  if (!OpenDocument(path, 0, 1.0, 1, &kind, image, why)) return 0;
  if (kind_name) *kind_name = kind == Kind::kPdf ? "PDF" : "picture";
  if (kind != Kind::kPdf && kind != Kind::kTiff) return 1;
  const int pages = vips_image_get_n_pages(image.get());
  return pages > 0 ? pages : 1;
}

bool SpoolDocumentPage(const std::string& path, int index, const PageLayout& layout,
                       const std::string& out, SpooledPage* page, std::string* why) {
  Kind kind;
  Image image;
  // The header first: its size decides how the page is decoded.
  if (!OpenDocument(path, index, 1.0, 1, &kind, image, why)) return false;
  if (TooLarge(image, why)) return false;
  const bool swap = kind != Kind::kPdf && OrientationSwaps(image.get());
  const int width = swap ? image.height() : image.width();
  const int height = swap ? image.width() : image.height();

  if (layout.scaling == PageScaling::kKeep) {
    if (!ToUprightSrgb(image, why)) return false;
    Placement own;
    own.box_width = image.width();
    own.box_height = image.height();
    return Finish(image, 1.0, own, out, page, why);
  }
  const double natural = kind == Kind::kPdf ? layout.dpi / kPointsPerInch : 0.0;
  const Placement p = Place(width, height, natural, layout);
  double loaded = 1.0;  // the scale the decoder already applied
  if (kind == Kind::kPdf) {
    // Drawn at the size it prints: no resampling after.
    if (!OpenDocument(path, index, p.scale, 1, &kind, image, why)) return false;
    loaded = p.scale;
  } else if (kind == Kind::kJpeg && p.scale < 0.5) {
    // Decoded reduced by 2, 4 or 8, never below the size it prints at.
    int shrink = 1;
    while (shrink < 8 && p.scale * shrink * 2 <= 1.0) shrink *= 2;
    if (shrink > 1) {
      if (!OpenDocument(path, index, 1.0, shrink, &kind, image, why)) return false;
      loaded = static_cast<double>(swap ? image.height() : image.width()) / width;
    }
  }
  if (!ToUprightSrgb(image, why)) return false;
  return Finish(image, p.scale / loaded, p, out, page, why);
}

bool SpoolRasterPage(const RasterPixels& raster, const PageLayout& layout, const std::string& out,
                     SpooledPage* page, std::string* why) {
  if (raster.width <= 0 || raster.height <= 0 || (raster.bands != 1 && raster.bands != 3) ||
      raster.pixels.size() != static_cast<size_t>(raster.width) * raster.height * raster.bands)
    return Fail(why, "the raster page has no pixels");
  Image image(vips_image_new_from_memory(raster.pixels.data(), raster.pixels.size(), raster.width,
                                         raster.height, raster.bands, VIPS_FORMAT_UCHAR));
  if (!image.get()) return Fail(why, VipsReason());
  image.get()->Type = raster.bands == 1 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB;
  if (raster.bands == 1) {
    if (vips_colourspace(image.get(), image.out(), VIPS_INTERPRETATION_sRGB, nullptr) != 0)
      return Fail(why, VipsReason());
    image.Take();
  }
  // The client laid the page out on the media already: its shape decides
  // how it stands, and only a page of another size is scaled.
  PageLayout as_sent = layout;
  as_sent.orientation = PageOrientation::kAuto;
  const double natural =
      raster.x_dpi > 0 ? static_cast<double>(layout.dpi) / raster.x_dpi : 0.0;
  const Placement p = Place(raster.width, raster.height, natural, as_sent);
  return Finish(image, p.scale, p, out, page, why);
}

bool SpooledPagePicture(const std::string& page, const std::string& png, std::string* why) {
  std::vector<uint8_t> file;
  std::string error;
  if (!ReadWholeFile(page, file, error)) return Fail(why, error);
  auto le32 = [&file](size_t at) {
    return static_cast<int32_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                                static_cast<uint32_t>(file[at + 3]) << 24);
  };
  if (file.size() < 54) return Fail(why, page + " is not a spooled page");
  const int width = le32(18), height = le32(22);
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535 ||
      file.size() < 54 + stride * static_cast<size_t>(height))
    return Fail(why, page + " is not a spooled page");
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int k = 0; k < 3; ++k)
        rgb[(static_cast<size_t>(y) * width + x) * 3 + k] = file[54 + y * stride + x * 3 + 2 - k];
  Image image(vips_image_new_from_memory(rgb.data(), rgb.size(), width, height, 3, VIPS_FORMAT_UCHAR));
  if (!image.get()) return Fail(why, VipsReason());
  if (vips_pngsave(image.get(), png.c_str(), nullptr) != 0) return Fail(why, VipsReason());
  return true;
}
