// Shared set-up of the page-loading tests: a disk of its own in a temporary
// folder, settings at their defaults, the virtual clock and the record UI.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "framework/afx.h"
#include "imaging/page_buffers.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "settings/settings.h"
#include "support/bmp.h"
#include "support/record_ui.h"

class LoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockSelect(ClockKind::Virtual);
    char pattern[] = "/tmp/vyr-imgload-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    std::filesystem::create_directories(root_ + "/windows/system");
    std::filesystem::create_directories(root_ + "/c");
    PathsSetRoot(root_);
    ResetSettings();
    g_bTestPrint = 0;
  }
  void TearDown() override {
    ResetSettings();
    g_bTestPrint = 0;
    PathsSetRoot("");
    std::filesystem::remove_all(root_);
  }

  std::string SystemPath(const std::string& name) const { return root_ + "/windows/system/" + name; }
  std::string PagePath() const { return root_ + "/c/abx.1"; }

  // Messages shown since the recorder started, as their numbers.
  std::vector<unsigned> Messages() const {
    std::vector<unsigned> out;
    for (const std::string& e : ui_.Events())
      if (e.rfind("message ", 0) == 0) out.push_back(static_cast<unsigned>(std::stoul(e.substr(8))));
    return out;
  }
  std::vector<int> ProgressPositions() const {
    std::vector<int> out;
    for (const std::string& e : ui_.Events())
      if (e.rfind("progress ", 0) == 0) out.push_back(std::stoi(e.substr(9)));
    return out;
  }

  // Loads the page file at `path` as the dialog does.
  int LoadFrom(const std::string& path, long skip = 0) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -2;
    if (skip) std::fseek(f, skip, SEEK_SET);
    CWnd progress(1001);
    const int result = LoadPageImage(f, &progress);
    std::fclose(f);
    return result;
  }
  int LoadBmp(const vyrtest::BmpLayout& layout, const vyrtest::BmpPixelFn& pixel) {
    if (!vyrtest::WriteBmp(PagePath(), layout, pixel)) return -2;
    return LoadFrom(PagePath());
  }

  std::string root_;
  RecordUi ui_;
};

inline const uint8_t* PageAt(int row, int col) { return g_pageImage + row * kPageStride + col * 3; }

inline ::testing::AssertionResult PixelIs(int row, int col, vyrtest::Bgr want) {
  const uint8_t* p = PageAt(row, col);
  if (p[0] == want.b && p[1] == want.g && p[2] == want.r) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "page(" << row << ", " << col << ") = " << int(p[0]) << ","
                                       << int(p[1]) << "," << int(p[2]) << " want " << int(want.b)
                                       << "," << int(want.g) << "," << int(want.r);
}

// A picture in which nearly every pixel differs from its neighbours and
// from the pixels of other rows, so a misplaced pixel shows.
inline vyrtest::Bgr Pattern(int row, int col) {
  return {static_cast<uint8_t>(col), static_cast<uint8_t>(row),
          static_cast<uint8_t>((col >> 8) * 16 + (row >> 8) + (row * 7 + col * 3) % 13 * 17)};
}

inline constexpr vyrtest::Bgr kWhitePixel{255, 255, 255};
