// The colour match and the speckle filter written out plainly, step by step,
// with no tables and no blocking: the benchmark's baseline and the tests'
// oracle for the engine's faster forms, which must agree byte for byte.
#pragma once

#include <cstdint>
#include <vector>

namespace plain {

// Colour match of one page (width x height, row stride 3 * width + 30) through
// a table already in memory with its rows in picture order (row iR * 33 + iG,
// 100 bytes a row, pixel iB of three bytes blue, green, red).
inline void ColorMatch(int width, int height, uint8_t* page, const uint8_t* table) {
  const int stride = 3 * width + 30;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* px = page + y * stride + x * 3;
      const int level[3] = {px[2], px[1], px[0]};  // red, green, blue
      int cell[3][2];
      float weight[3][2];
      for (int a = 0; a < 3; ++a) {
        const int v = level[a];
        const int k = v <= 6 ? 0 : (v + 1) / 8;
        const int n = k == 0 ? 0 : 8 * k - 1;
        const int k1 = k == 32 ? k : k + 1;
        const double q = k == 0 ? static_cast<double>(v - n) / 7.0 : static_cast<double>(v - n) / 8.0;
        cell[a][0] = k;
        cell[a][1] = k1;
        weight[a][1] = static_cast<float>(q);
        weight[a][0] = static_cast<float>(1.0 - q);
      }
      double sum[3] = {0.0, 0.0, 0.0};
      for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
          for (int k = 0; k < 2; ++k) {
            const float w = static_cast<float>(static_cast<double>(weight[0][i]) *
                                               static_cast<double>(weight[1][j]) *
                                               static_cast<double>(weight[2][k]));
            const uint8_t* e = table + (cell[0][i] * 33 + cell[1][j]) * 100 + cell[2][k] * 3;
            for (int ch = 0; ch < 3; ++ch) sum[ch] += static_cast<double>(w) * static_cast<double>(e[ch]);
          }
        }
      }
      for (int ch = 0; ch < 3; ++ch) px[ch] = static_cast<uint8_t>(static_cast<int>(sum[ch]));
    }
  }
}

// One step of a speckle run over (width + 2) x (height + 2) grids whose border
// is 0: pass A img into tmp, pass B tmp into img, cell by cell.
inline void SpeckleStep(int dy, int dx, int sign, int width, int height, uint8_t* img, uint8_t* tmp) {
  const int gw = width + 2;
  for (int y = 1; y <= height; ++y) {
    for (int x = 1; x <= width; ++x) {
      const int p = y * gw + x;
      const int v = img[p];
      const int a = img[(y + dy) * gw + x + dx];
      int out = v;
      if (sign > 0 && a > v) out = v + 1;
      if (sign < 0 && a + 1 < v) out = v - 1;
      tmp[p] = static_cast<uint8_t>(out);
    }
  }
  for (int y = 1; y <= height; ++y) {
    for (int x = 1; x <= width; ++x) {
      const int p = y * gw + x;
      const int v = tmp[p];
      const int f = tmp[(y + dy) * gw + x + dx];
      const int b = tmp[(y - dy) * gw + x - dx];
      int out = v;
      if (sign > 0 && b + 1 > v && f > v) out = v + 1;
      if (sign < 0 && b + 1 < v && f < v) out = v - 1;
      img[p] = static_cast<uint8_t>(out);
    }
  }
}

// One speckle run over the blue bytes of a page (row stride 3 * width + 30).
inline void RemoveSpeckle(int width, int height, uint8_t* page) {
  const int gw = width + 2;
  const int stride = 3 * width + 30;
  std::vector<uint8_t> img(static_cast<size_t>(gw) * (height + 2), 0);
  std::vector<uint8_t> tmp(img.size(), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) img[(y + 1) * gw + x + 1] = page[y * stride + x * 3];
  const int dirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  for (const auto& d : dirs) {
    SpeckleStep(d[0], d[1], +1, width, height, img.data(), tmp.data());
    SpeckleStep(-d[0], -d[1], +1, width, height, img.data(), tmp.data());
    SpeckleStep(-d[0], -d[1], -1, width, height, img.data(), tmp.data());
    SpeckleStep(d[0], d[1], -1, width, height, img.data(), tmp.data());
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) page[y * stride + x * 3] = img[(y + 1) * gw + x + 1];
}

}  // namespace plain
