#include "printer-app/spooled_page.h"

#include <cstdio>

#include "base/bitmap_file.h"

bool WriteSpooledPage(const RasterPage& page, const std::string& path) {
  if (page.width <= 0 || page.height <= 0 ||
      page.rgb.size() != static_cast<size_t>(page.width) * static_cast<size_t>(page.height) * 3)
    return false;
  std::vector<BitmapPixel> pixels(page.rgb.size() / 3);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = {page.rgb[3 * i + 2], page.rgb[3 * i + 1], page.rgb[3 * i]};
  const std::vector<uint8_t> file =
      BitmapFileBytes(page.width, page.height, /*topRowFirst*/ true, pixels);
  const std::string temp = path + ".part";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}
