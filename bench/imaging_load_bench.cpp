// Page loading per 640 x 480 page: the colour match, the six speckle runs and
// the whole load (camera picture with a colour-match table), each beside the
// plain step-by-step form it must agree with byte for byte; and the whole
// page from the spooled file to the head planes (load, then the six passes
// with every one doing work).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/frame.h"
#include "imaging/color_match.h"
#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "imaging/dot_filter.h"
#include "platform/paths.h"
#include "pass_settings.h"
#include "settings/settings.h"
#include "support/bmp.h"
#include "support/plain_passes.h"
#include "support/plain_imaging.h"

namespace {

// A disk in a temporary folder with a random colour-match table and a
// 640 x 480 page of photograph-like values (smooth with fine noise).
struct LoadBenchDisk {
  std::string root;
  std::string pagePath;
  std::vector<uint8_t> table;  // as in memory: rows in picture order
  std::vector<uint8_t> page;   // g_pageImage layout

  LoadBenchDisk() {
    char pattern[] = "/tmp/vyr-bench-XXXXXX";
    root = mkdtemp(pattern) ? pattern : "/tmp";
    std::filesystem::create_directories(root + "/windows/system");
    std::filesystem::create_directories(root + "/c");
    PathsSetRoot(root);
    ResetSettings();

    std::mt19937 rng(1);
    std::vector<vyrtest::Bgr> entries(33 * 33 * 33);
    for (auto& e : entries) e = {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())};
    vyrtest::BmpLayout tableLayout{33, 1089};
    tableLayout.bottomRowFirst = true;
    vyrtest::WriteBmp(root + "/windows/system/normal.cct", tableLayout,
                      [&](int row, int col) { return entries[row * 33 + col]; });
    table.assign(108900, 0);
    for (int row = 0; row < 1089; ++row)
      for (int col = 0; col < 33; ++col) {
        uint8_t* p = table.data() + row * 100 + col * 3;
        p[0] = entries[row * 33 + col].b;
        p[1] = entries[row * 33 + col].g;
        p[2] = entries[row * 33 + col].r;
      }

    auto pixel = [&](int r, int c) {
      const uint32_t n = rng();
      return vyrtest::Bgr{static_cast<uint8_t>((r + c) / 5 + (n & 3)), static_cast<uint8_t>(r / 2 + (n >> 2 & 7)),
                          static_cast<uint8_t>(c / 3 + (n >> 5 & 3) + ((n >> 8) % 97 == 0 ? 60 : 0))};
    };
    page.assign(sizeof(g_pageImage), 0);
    std::vector<vyrtest::Bgr> pixels(kFrameColumns * kFrameRows);
    for (int r = 0; r < kFrameRows; ++r)
      for (int c = 0; c < kFrameColumns; ++c) {
        const vyrtest::Bgr p = pixel(r, c);
        pixels[r * kFrameColumns + c] = p;
        uint8_t* d = page.data() + r * kPageStride + c * 3;
        d[0] = p.b;
        d[1] = p.g;
        d[2] = p.r;
      }
    pagePath = root + "/c/abx.1";
    vyrtest::WriteBmp(pagePath, {kFrameColumns, kFrameRows}, [&](int r, int c) { return pixels[r * kFrameColumns + c]; });
  }
  ~LoadBenchDisk() {
    PathsSetRoot("");
    std::filesystem::remove_all(root);
  }
};

LoadBenchDisk& Disk() {
  static LoadBenchDisk disk;
  return disk;
}

void BM_ColorMatch(benchmark::State& state) {
  LoadBenchDisk& disk = Disk();
  for (auto _ : state) {
    std::memcpy(g_pageImage, disk.page.data(), disk.page.size());
    ApplyColorMatch(kPageColumns, kPageRows, g_pageImage, nullptr);
    benchmark::DoNotOptimize(g_pageImage[0]);
  }
}

void BM_ColorMatchPlain(benchmark::State& state) {
  LoadBenchDisk& disk = Disk();
  std::vector<uint8_t> work(disk.page.size());
  for (auto _ : state) {
    std::memcpy(work.data(), disk.page.data(), disk.page.size());
    plain::ColorMatch(kPageColumns, kPageRows, work.data(), disk.table.data());
    benchmark::DoNotOptimize(work[0]);
  }
}

void BM_SpeckleSixRuns(benchmark::State& state) {
  LoadBenchDisk& disk = Disk();
  for (auto _ : state) {
    std::memcpy(g_pageImage, disk.page.data(), disk.page.size());
    for (int run = 0; run < 6; ++run) RemoveSpeckle(kPageColumns, kPageRows, g_pageImage);
    benchmark::DoNotOptimize(g_pageImage[0]);
  }
}

void BM_SpeckleSixRunsPlain(benchmark::State& state) {
  LoadBenchDisk& disk = Disk();
  std::vector<uint8_t> work(disk.page.size());
  for (auto _ : state) {
    std::memcpy(work.data(), disk.page.data(), disk.page.size());
    for (int run = 0; run < 6; ++run) plain::RemoveSpeckle(kPageColumns, kPageRows, work.data());
    benchmark::DoNotOptimize(work[0]);
  }
}

// The whole load of a camera picture: placement, six speckle runs, colour match.
void BM_LoadPageCamera(benchmark::State& state) {
  LoadBenchDisk& disk = Disk();
  g_DigitalCamera = 1;
  for (auto _ : state) {
    FILE* f = std::fopen(disk.pagePath.c_str(), "rb");
    const int result = LoadPageImage(f, nullptr);
    if (f) std::fclose(f);
    if (result != 1) state.SkipWithError("page not loaded");
    benchmark::DoNotOptimize(g_pageImage[0]);
  }
  g_DigitalCamera = 0;
}

void RunSixPasses() {
  ApplyContrastCurve();
  ApplySaturation();
  ApplyHueCorrection();
  ConvertToHeadLevels();
  EnhanceEdges();
  LimitHeadPlanes();
}

// The spooled page file to head planes, as a job prints a camera picture.
void BM_WholePage(benchmark::State& state) {
  LoadBenchDisk& disk = Disk();
  UseSettings(kAllOn);
  g_DigitalCamera = 1;
  for (auto _ : state) {
    FILE* f = std::fopen(disk.pagePath.c_str(), "rb");
    const int result = LoadPageImage(f, nullptr);
    if (f) std::fclose(f);
    if (result != 1) state.SkipWithError("page not loaded");
    RunSixPasses();
    benchmark::DoNotOptimize(g_headPlanes[0]);
  }
  // the same page through the plain forms, from the page the file holds
  std::vector<uint8_t> page = disk.page;
  std::vector<int16_t> luma(kPageRows * kPageColumns);
  std::vector<int16_t> planes(g_headPlanes, g_headPlanes + kPlaneRows * kPlaneStride);
  for (int run = 0; run < 6; ++run) plain::RemoveSpeckle(kPageColumns, kPageRows, page.data());
  plain::ColorMatch(kPageColumns, kPageRows, page.data(), disk.table.data());
  std::unordered_set<uint32_t> colours;
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns; ++c) {
      const uint8_t* q = page.data() + r * kPageStride + c * 3;
      colours.insert(uint32_t(q[0]) | uint32_t(q[1]) << 8 | uint32_t(q[2]) << 16);
    }
  state.counters["colours"] = double(colours.size());  // after the colour match
  plainpass::AllSix(page.data(), luma.data(), planes.data());
  if (!std::equal(planes.begin(), planes.end(), g_headPlanes)) state.SkipWithError("differs from the plain forms");
  g_DigitalCamera = 0;
}

}  // namespace

BENCHMARK(BM_WholePage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorMatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorMatchPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpeckleSixRuns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpeckleSixRunsPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPageCamera)->Unit(benchmark::kMillisecond);
