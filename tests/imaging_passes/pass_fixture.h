// Shared set-up of the page-pass tests: default settings, the default media
// table and its tone tables, pixel access and random pages.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "imaging/line_data.h"
#include "imaging/media_tables.h"
#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "platform/clock.h"
#include "support/vector_targets.h"
#include "settings/settings.h"

namespace passtest {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline void PrintTo(const Rgb& c, std::ostream* os) { *os << "(" << c.r << "," << c.g << "," << c.b << ")"; }

inline void SetPx(int row, int col, Rgb c) {
  uint8_t* p = g_pageImage + row * kPageStride + col * 3;
  p[0] = uint8_t(c.b);
  p[1] = uint8_t(c.g);
  p[2] = uint8_t(c.r);
}

inline Rgb GetPx(int row, int col) {
  const uint8_t* p = g_pageImage + row * kPageStride + col * 3;
  return {p[2], p[1], p[0]};
}

// Head-plane levels of one element by dye.
inline int16_t& Cyan(int row, int col) { return g_headPlanes[row * kPlaneStride + col * 3 + 2]; }
inline int16_t& Magenta(int row, int col) { return g_headPlanes[row * kPlaneStride + col * 3 + 1]; }
inline int16_t& Yellow(int row, int col) { return g_headPlanes[row * kPlaneStride + col * 3 + 0]; }

inline void FillPage(Rgb c) {
  for (int r = 0; r < kPageImageRows; ++r)
    for (int col = 0; col < kPageImageSlots; ++col) SetPx(r, col, c);
}

inline void RandomPage(uint32_t seed) {
  std::mt19937 gen(seed);
  for (size_t i = 0; i < sizeof g_pageImage; ++i) g_pageImage[i] = uint8_t(gen());
}

inline void RandomPlanes(uint32_t seed, int maxLevel = 1020) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> level(0, maxLevel);
  for (size_t i = 0; i < sizeof g_headPlanes / sizeof g_headPlanes[0]; ++i)
    g_headPlanes[i] = int16_t(level(gen));
}

inline std::vector<uint8_t> PageCopy() { return std::vector<uint8_t>(g_pageImage, g_pageImage + sizeof g_pageImage); }
inline std::vector<int16_t> PlanesCopy() {
  return std::vector<int16_t>(g_headPlanes, g_headPlanes + sizeof g_headPlanes / sizeof g_headPlanes[0]);
}

// Every setting at its default, the media table at its defaults and the
// tone tables of the worked example built from them.
inline void DefaultEngineState() {
  ClockSelect(ClockKind::Virtual);
  ResetSettings();
  for (int row = 0; row < kMediaRows; ++row) {
    for (int c = 0; c < 3; ++c) g_mediaTable.sensitivity[c][row] = 1.0f;
    for (int c = 0; c < 6; c += 2) {
      g_mediaTable.level[c][row] = 320;
      g_mediaTable.level[c + 1][row] = 720;
    }
  }
  BuildMediaToneTables();
}

inline void PutPage(const std::vector<uint8_t>& page) { std::memcpy(g_pageImage, page.data(), page.size()); }

class PassTest : public ::testing::Test {
 protected:
  void SetUp() override { DefaultEngineState(); }
  void TearDown() override {
    ResetSettings();
    SelectVectorTarget(0);
  }
};

}  // namespace passtest
