// Tables from ICC profiles against LittleCMS's own calculator, transicc, run
// as a separate program on the same profiles.
#include <gtest/gtest.h>
#include <lcms2.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/cct_icc.h"

namespace {

const std::string kColord = "/usr/share/color/icc/colord/";

int NodeLevel(int k) { return k == 0 ? 0 : 8 * k - 1; }

CctTable Make(const IccTableRequest& request) {
  CctTable table;
  int clipped = 0;
  std::string error;
  EXPECT_TRUE(MakeTableFromProfiles(request, table, clipped, error)) << error;
  return table;
}

// 100 nodes spread over the lattice, the eight corners among them.
std::vector<std::array<int, 3>> SampledNodes() {
  std::vector<std::array<int, 3>> nodes;
  for (int c = 0; c < 8; ++c) nodes.push_back({c & 1 ? 32 : 0, c & 2 ? 32 : 0, c & 4 ? 32 : 0});
  for (uint32_t i = 0; nodes.size() < 100; ++i) {
    const uint32_t n = (i * 2654435761u) % 35937u;
    nodes.push_back({static_cast<int>(n / 1089), static_cast<int>(n / 33 % 33), static_cast<int>(n % 33)});
  }
  return nodes;
}

// Largest difference in levels between the table and transicc at the nodes.
int WorstAgainstTransicc(const CctTable& table, const std::string& transiccFlags) {
  const std::string input = (std::filesystem::temp_directory_path() / ("vyr-transicc-" + std::to_string(getpid()))).string();
  const auto nodes = SampledNodes();
  {
    std::ofstream in(input);
    for (const auto& n : nodes) in << NodeLevel(n[0]) << " " << NodeLevel(n[1]) << " " << NodeLevel(n[2]) << "\n";
  }
  FILE* pipe = popen(("transicc -n " + transiccFlags + " < " + input + " 2>/dev/null").c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  if (!pipe) return 999;
  int worst = 0;
  size_t read = 0;
  double v[3];
  while (read < nodes.size() && std::fscanf(pipe, "%lf %lf %lf", &v[0], &v[1], &v[2]) == 3) {
    const uint8_t* e = table.At(nodes[read][0], nodes[read][1], nodes[read][2]);
    for (int c = 0; c < 3; ++c) {
      const int want = static_cast<int>(std::clamp(v[c], 0.0, 255.0) + 0.5);
      worst = std::max(worst, std::abs(e[c] - want));
    }
    ++read;
  }
  pclose(pipe);
  std::remove(input.c_str());
  EXPECT_EQ(read, nodes.size()) << "transicc answered " << read << " of " << nodes.size();
  return worst;
}

// A printer profile of tables rather than a matrix, as profiling tools make:
// 17-point grids sampled from `model` both ways through Lab.
bool SaveTableProfile(cmsHPROFILE model, const std::string& path) {
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHPROFILE p = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(p, 4.3);
  cmsSetDeviceClass(p, cmsSigOutputClass);
  cmsSetColorSpace(p, cmsSigRgbData);
  cmsSetPCS(p, cmsSigLabData);
  auto sample = [](const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) -> cmsInt32Number {
    cmsDoTransform(cargo, in, out, 1);
    return 1;
  };
  bool ok = cmsWriteTag(p, cmsSigMediaWhitePointTag, cmsD50_XYZ());
  const struct {
    cmsTagSignature tag;
    cmsHPROFILE from, to;
    cmsUInt32Number fromType, toType;
  } ways[] = {{cmsSigAToB0Tag, model, lab, TYPE_RGB_16, TYPE_Lab_16}, {cmsSigBToA0Tag, lab, model, TYPE_Lab_16, TYPE_RGB_16}};
  for (const auto& w : ways) {
    cmsHTRANSFORM t = cmsCreateTransform(w.from, w.fromType, w.to, w.toType, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsPipeline* pipe = cmsPipelineAlloc(nullptr, 3, 3);
    cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 17, 3, 3, nullptr);
    // Identity curves around the grid, which a version 4 table tag requires.
    ok = ok && t && cmsStageSampleCLut16bit(grid, sample, t, 0) &&
         cmsPipelineInsertStage(pipe, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr)) &&
         cmsPipelineInsertStage(pipe, cmsAT_END, grid) &&
         cmsPipelineInsertStage(pipe, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr)) &&
         cmsWriteTag(p, w.tag, pipe);
    cmsPipelineFree(pipe);
    if (t) cmsDeleteTransform(t);
  }
  ok = ok && cmsSaveProfileToFile(p, path.c_str());
  cmsCloseProfile(p);
  cmsCloseProfile(lab);
  return ok;
}

}  // namespace

TEST(TableFromProfiles, SrgbToAnSrgbProfileIsTheIdentity) {
  for (int intent : {0, 1}) {
    const CctTable table = Make({.input = "srgb", .output = kColord + "sRGB.icc", .intent = intent});
    int worst = 0;
    for (int iR = 0; iR < 33; ++iR)
      for (int iG = 0; iG < 33; ++iG)
        for (int iB = 0; iB < 33; ++iB) {
          const uint8_t* e = table.At(iR, iG, iB);
          worst = std::max({worst, std::abs(e[0] - NodeLevel(iR)), std::abs(e[1] - NodeLevel(iG)),
                            std::abs(e[2] - NodeLevel(iB))});
        }
    EXPECT_LE(worst, 1) << "intent " << intent;
  }
}

TEST(TableFromProfiles, AgreesWithTransicc) {
  // A printer profile of its own: other primaries, gamma 1.8, a warmer white.
  const std::string made = (std::filesystem::temp_directory_path() / ("vyr-made-" + std::to_string(getpid()) + ".icc")).string();
  const std::string tables = made + ".tables.icc";
  {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 5000);
    const cmsCIExyYTRIPLE primaries = {{0.68, 0.31, 1.0}, {0.22, 0.70, 1.0}, {0.14, 0.06, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 1.8);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    ASSERT_TRUE(cmsSaveProfileToFile(profile, made.c_str()));
    ASSERT_TRUE(SaveTableProfile(profile, tables));
    cmsCloseProfile(profile);
    cmsFreeToneCurve(gamma);
  }
  struct Case {
    IccTableRequest request;
    std::string flags;
  };
  const Case cases[] = {
      {{.input = "srgb", .output = kColord + "ProPhotoRGB.icc", .intent = 1}, "-i*sRGB -o" + kColord + "ProPhotoRGB.icc -t1"},
      {{.input = kColord + "AdobeRGB1998.icc", .output = made, .intent = 0}, "-i" + kColord + "AdobeRGB1998.icc -o" + made + " -t0"},
      {{.input = kColord + "WideGamutRGB.icc", .output = made, .intent = 3, .blackPointCompensation = false},
       "-i" + kColord + "WideGamutRGB.icc -o" + made + " -t3"},
      {{.input = "srgb", .output = made, .intent = 1, .blackPointCompensation = true}, "-i*sRGB -o" + made + " -t1 -b"},
      {{.input = "srgb", .output = tables, .intent = 0}, "-i*sRGB -o" + tables + " -t0"},
      {{.input = kColord + "ProPhotoRGB.icc", .output = tables, .intent = 2, .blackPointCompensation = true},
       "-i" + kColord + "ProPhotoRGB.icc -o" + tables + " -t2 -b"},
  };
  for (const Case& c : cases) EXPECT_LE(WorstAgainstTransicc(Make(c.request), c.flags), 1) << c.flags;
  std::remove(made.c_str());
  std::remove(tables.c_str());
}
