// Speed of the six page passes and of one line's head data, against the same
// work written out plainly (tests/support/plain_passes.h), which is also the
// tests' oracle. Figures: milliseconds per page for the passes, microseconds
// per line for the line data.
//
// Two pages: "photo" (smooth gradients with a little grain, as a picture has)
// and "noise" (every pixel random: no two neighbours alike). Two sets of
// settings: "defaults" (what an untouched installation runs: no contrast
// curve, no saturation, hue correction with neutral anchors, corrected
// conversion without crosstalk, edge enhancement 0.40) and "all_on" (every
// pass doing real work, crosstalk correction included). The "colours"
// counter is the number of distinct colours the timed passes start from.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "imaging/line_data.h"
#include "imaging/media_tables.h"
#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "imaging/vector_targets.h"
#include "pass_settings.h"
#include "settings/settings.h"
#include "support/plain_passes.h"

namespace {

enum PageKind { kPhoto, kNoise };

std::vector<uint8_t> MakePage(PageKind kind) {
  std::vector<uint8_t> page(sizeof g_pageImage, 255);
  std::mt19937 gen(7);
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns; ++c) {
      uint8_t* p = page.data() + r * kPageStride + c * 3;
      if (kind == kNoise) {
        for (int k = 0; k < 3; ++k) p[k] = uint8_t(gen());
      } else {
        const int grain = int(gen() % 5) - 2;
        auto clampByte = [](int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
        p[2] = clampByte(r * 255 / 479 + grain);
        p[1] = clampByte(c * 255 / 639 + grain);
        p[0] = clampByte(((r + 2 * c) / 4) % 256 + grain);
      }
    }
  return page;
}

// Whether the head planes are what the plain forms make of `source`.
bool SameAsPlainForms(const std::vector<uint8_t>& source) {
  std::vector<uint8_t> page = source;
  std::vector<int16_t> luma(kPageRows * kPageColumns);
  std::vector<int16_t> planes(g_headPlanes, g_headPlanes + kPlaneRows * kPlaneStride);
  plainpass::AllSix(page.data(), luma.data(), planes.data());
  return std::equal(planes.begin(), planes.end(), g_headPlanes);
}

// Runs the engine's passes from `first` to `last` (0 contrast .. 5 limit).
// The passes before `first` run once, untimed; each iteration then starts
// from that state again (page, luminance and planes put back, untimed).
void RunPasses(benchmark::State& state, int first, int last, int64_t target = 0) {
  const auto kind = PageKind(state.range(0));
  UseSettings(SettingsKind(state.range(1)));
  SelectVectorTarget(target);
  const std::vector<uint8_t> source = MakePage(kind);
  void (*const passes[6])() = {ApplyContrastCurve, ApplySaturation,  ApplyHueCorrection,
                               ConvertToHeadLevels, EnhanceEdges, LimitHeadPlanes};
  std::memcpy(g_pageImage, source.data(), source.size());
  for (int i = 0; i < first; ++i) passes[i]();
  const std::vector<uint8_t> page(g_pageImage, g_pageImage + sizeof g_pageImage);
  const std::vector<int16_t> luma(g_lumaPlane, g_lumaPlane + kPageRows * kPageColumns);
  const std::vector<int16_t> planes(g_headPlanes, g_headPlanes + kPlaneRows * kPlaneStride);
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(g_pageImage, page.data(), page.size());
    std::memcpy(g_lumaPlane, luma.data(), luma.size() * 2);
    std::memcpy(g_headPlanes, planes.data(), planes.size() * 2);
    state.ResumeTiming();
    for (int i = first; i <= last; ++i) passes[i]();
    benchmark::DoNotOptimize(g_headPlanes[0]);
  }
  SelectVectorTarget(0);
  if (first == 0 && last == 5 && !SameAsPlainForms(source)) state.SkipWithError("differs from the plain forms");
  // how many distinct colours the timed passes start from
  std::unordered_set<uint32_t> colours;
  for (int r = 0; r < kPageRows; ++r)
    for (int c = 0; c < kPageColumns; ++c) {
      const uint8_t* q = page.data() + r * kPageStride + c * 3;
      colours.insert(uint32_t(q[0]) | uint32_t(q[1]) << 8 | uint32_t(q[2]) << 16);
    }
  state.counters["colours"] = double(colours.size());
}

void BM_Contrast(benchmark::State& s) { RunPasses(s, 0, 0); }
void BM_Saturation(benchmark::State& s) { RunPasses(s, 1, 1); }
void BM_HueCorrection(benchmark::State& s) { RunPasses(s, 2, 2); }
void BM_HeadLevels(benchmark::State& s) { RunPasses(s, 3, 3); }
void BM_EdgeEnhance(benchmark::State& s) { RunPasses(s, 4, 4); }
void BM_LevelLimit(benchmark::State& s) { RunPasses(s, 5, 5); }
void BM_AllSixPasses(benchmark::State& s) { RunPasses(s, 0, 5); }

// The same six passes in their plain form, on copies of the buffers.
void BM_AllSixPassesPlain(benchmark::State& state) {
  UseSettings(SettingsKind(state.range(1)));
  const std::vector<uint8_t> source = MakePage(PageKind(state.range(0)));
  std::vector<uint8_t> page(source.size());
  std::vector<int16_t> luma(kPageRows * kPageColumns);
  std::vector<int16_t> planes(kPlaneRows * kPlaneStride);
  for (auto _ : state) {
    state.PauseTiming();
    page = source;
    state.ResumeTiming();
    plainpass::AllSix(page.data(), luma.data(), planes.data());
    benchmark::DoNotOptimize(planes[0]);
  }
}

void PageArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"noise", "all_on"});
  for (int page : {kPhoto, kNoise})
    for (int settings : {kDefaults, kAllOn}) b->Args({page, settings});
  b->Unit(benchmark::kMillisecond);
  // A fixed count: every iteration puts the page back untimed, which would
  // otherwise dominate for the passes that have nothing to do.
  b->Iterations(100);
}

BENCHMARK(BM_Contrast)->Apply(PageArgs);
BENCHMARK(BM_Saturation)->Apply(PageArgs);
BENCHMARK(BM_HueCorrection)->Apply(PageArgs);
BENCHMARK(BM_HeadLevels)->Apply(PageArgs);
BENCHMARK(BM_EdgeEnhance)->Apply(PageArgs);
BENCHMARK(BM_LevelLimit)->Apply(PageArgs);
BENCHMARK(BM_AllSixPasses)->Apply(PageArgs);
// The same on each instruction set the passes were compiled for that this
// processor has (the plain benchmarks above take the best one).
[[maybe_unused]] const bool g_perTarget = [] {
  for (int64_t target : VectorTargetsAvailable()) {
    const std::string on = std::string("/") + VectorTargetName(target);
    benchmark::RegisterBenchmark(("BM_HueCorrection" + on).c_str(),
                                 [target](benchmark::State& s) { RunPasses(s, 2, 2, target); })
        ->Apply(PageArgs);
    benchmark::RegisterBenchmark(("BM_AllSixPasses" + on).c_str(),
                                 [target](benchmark::State& s) { RunPasses(s, 0, 5, target); })
        ->Apply(PageArgs);
  }
  return true;
}();
BENCHMARK(BM_AllSixPassesPlain)->Apply(PageArgs)->Iterations(10);

// One line's head data, walking the lines of a page in order as the line
// sender does (lines 2..692), over random levels.
void FillRandomPlanes() {
  std::mt19937 gen(9);
  for (size_t i = 0; i < sizeof g_headPlanes / 2; ++i) g_headPlanes[i] = int16_t(gen() % 1021);
}

void BM_PrepareLineData(benchmark::State& state) {
  FillRandomPlanes();
  int line = 2;
  for (auto _ : state) {
    PrepareLineData(line);
    benchmark::DoNotOptimize(g_lineBuffer[0]);
    line = line == 692 ? 2 : line + 1;
  }
}
BENCHMARK(BM_PrepareLineData)->Unit(benchmark::kMicrosecond);

void BM_PrepareLineDataPlain(benchmark::State& state) {
  FillRandomPlanes();
  std::vector<uint8_t> buffer(2 * kLineSlotBytes);
  int line = 2;
  for (auto _ : state) {
    plainpass::LineData(line, g_headPlanes, buffer.data());
    benchmark::DoNotOptimize(buffer[0]);
    line = line == 692 ? 2 : line + 1;
  }
}
BENCHMARK(BM_PrepareLineDataPlain)->Unit(benchmark::kMicrosecond);

}  // namespace
