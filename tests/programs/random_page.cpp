// random_page FILE WIDTH HEIGHT SEED: writes a 24-bit bitmap (bottom row
// first) of WIDTH x HEIGHT pixels whose bytes come from std::mt19937 seeded
// with SEED, the top byte of each draw. The generator's output is fixed by
// the C++ standard, so a seed gives the same page with every compiler and
// library: scripts/test names the seed when the stages of a page differ.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "base/bitmap_file.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: random_page FILE WIDTH HEIGHT SEED\n");
    return 64;
  }
  const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
    std::fprintf(stderr, "random_page: a size of %s x %s is not one to make\n", argv[2], argv[3]);
    return 64;
  }
  std::mt19937 gen(static_cast<std::mt19937::result_type>(std::strtoul(argv[4], nullptr, 10)));
  auto byte = [&gen] { return static_cast<uint8_t>(gen() >> 24); };
  std::vector<BitmapPixel> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (BitmapPixel& p : pixels) {
    p.b = byte();
    p.g = byte();
    p.r = byte();
  }
  const std::vector<uint8_t> bytes = BitmapFileBytes(width, height, false, pixels);
  FILE* file = std::fopen(argv[1], "wb");
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
