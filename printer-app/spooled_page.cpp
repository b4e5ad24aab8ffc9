#include "printer-app/spooled_page.h"

#include <cstdio>

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr size_t kPixelOffset = kFileHeaderBytes + kInfoHeaderBytes;
// 2835 pixels per metre is 72 dpi, the customary value when none is known.
constexpr uint32_t kPixelsPerMetre = 2835;

void Put16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
  v[at] = static_cast<uint8_t>(x);
  v[at + 1] = static_cast<uint8_t>(x >> 8);
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + static_cast<size_t>(i)] = static_cast<uint8_t>(x >> (8 * i));
}

}  // namespace

bool WriteSpooledPage(const RasterPage& page, const std::string& path) {
  if (page.width <= 0 || page.height <= 0 ||
      page.rgb.size() != static_cast<size_t>(page.width) * static_cast<size_t>(page.height) * 3)
    return false;
  const size_t row_size = (static_cast<size_t>(page.width) * 3 + 3) / 4 * 4;
  const size_t image_size = row_size * static_cast<size_t>(page.height);
  std::vector<uint8_t> file(kPixelOffset + image_size, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<uint32_t>(file.size()));
  Put32(file, 10, kPixelOffset);
  Put32(file, 14, kInfoHeaderBytes);
  Put32(file, 18, static_cast<uint32_t>(page.width));
  Put32(file, 22, static_cast<uint32_t>(page.height));
  Put16(file, 26, 1);
  Put16(file, 28, 24);
  Put32(file, 34, static_cast<uint32_t>(image_size));
  Put32(file, 38, kPixelsPerMetre);
  Put32(file, 42, kPixelsPerMetre);
  for (int row = 0; row < page.height; ++row) {
    const uint8_t* src = page.rgb.data() + static_cast<size_t>(row) * static_cast<size_t>(page.width) * 3;
    uint8_t* dst = file.data() + kPixelOffset + static_cast<size_t>(row) * row_size;
    for (int x = 0; x < page.width; ++x) {
      dst[x * 3] = src[x * 3 + 2];
      dst[x * 3 + 1] = src[x * 3 + 1];
      dst[x * 3 + 2] = src[x * 3];
    }
  }
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
