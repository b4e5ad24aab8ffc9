// The yardstick for the page passes: LittleCMS applying a 33 x 33 x 33
// device link (the size of the engine's colour-match table, random entries)
// to the same 640 x 480 page in the engine's layout, with its default
// optimisation of 8-bit transforms. BM_AllSixPasses in the same run, divided
// by this, is the passes' cost in device links.
#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <cstdint>
#include <random>
#include <vector>

#include "imaging/page_buffers.h"

namespace {

cmsHPROFILE RandomDeviceLink() {
  constexpr cmsUInt32Number kNodes = 33;
  std::vector<cmsUInt16Number> table(kNodes * kNodes * kNodes * 3);
  std::mt19937 gen(1);
  for (auto& v : table) v = cmsUInt16Number(gen() & 0xFFFF);
  cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 3, 3);
  cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, cmsStageAllocCLut16bit(nullptr, kNodes, 3, 3, table.data()));
  cmsHPROFILE link = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(link, 4.3);
  cmsSetDeviceClass(link, cmsSigLinkClass);
  cmsSetColorSpace(link, cmsSigRgbData);
  cmsSetPCS(link, cmsSigRgbData);
  cmsWriteTag(link, cmsSigAToB0Tag, pipeline);
  cmsPipelineFree(pipeline);
  return link;
}

void BM_LittleCmsDeviceLink(benchmark::State& state) {
  cmsHPROFILE link = RandomDeviceLink();
  cmsHTRANSFORM transform = cmsCreateTransform(link, TYPE_BGR_8, nullptr, TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
  if (!transform) {
    state.SkipWithError("LittleCMS made no transform of the device link");
    cmsCloseProfile(link);
    return;
  }
  std::vector<uint8_t> page(sizeof g_pageImage), out(sizeof g_pageImage);
  std::mt19937 gen(7);
  for (auto& b : page) b = uint8_t(gen());
  for (auto _ : state) {
    cmsDoTransformLineStride(transform, page.data(), out.data(), kPageColumns, kPageRows, kPageStride, kPageStride,
                             0, 0);
    benchmark::DoNotOptimize(out[0]);
  }
  cmsDeleteTransform(transform);
  cmsCloseProfile(link);
}
BENCHMARK(BM_LittleCmsDeviceLink)->Unit(benchmark::kMillisecond);

}  // namespace
