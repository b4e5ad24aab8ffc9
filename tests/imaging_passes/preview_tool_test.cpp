// vyrtool preview: run as a program on a page in a disk of its own, its dumps
// checked against the page and against the line data built here.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging_passes/pass_fixture.h"
#include "support/bmp.h"
#include "support/build_paths.h"

namespace passtest {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ToolRun {
  int status;
  std::string errors;
};

ToolRun RunPreview(const std::string& args, const fs::path& work) {
  const fs::path errors = work / "stderr.txt";
  const std::string command = std::string(VYR_BINARY_DIR) + "/bin/vyrtool preview " + args + " 2>" + errors.string();
  const int raw = std::system(command.c_str());
  const std::vector<uint8_t> text = ReadFile(errors);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(text.begin(), text.end())};
}

class PreviewTool : public PassTest {
 protected:
  void SetUp() override {
    PassTest::SetUp();
    work_ = fs::path(testing::TempDir()) / ("vyr_preview_" + std::to_string(::getpid()));
    fs::remove_all(work_);
    fs::create_directories(work_ / "root" / "windows" / "system");
  }
  void TearDown() override {
    fs::remove_all(work_);
    PassTest::TearDown();
  }
  fs::path work_;
};

vyrtest::Bgr PagePixel(int row, int col) {
  return {uint8_t((row * 3 + col) % 256), uint8_t((col * 7) % 256), uint8_t((row + col * col) % 256)};
}

TEST_F(PreviewTool, DumpsEveryStageOfAPage) {
  const fs::path page = work_ / "page.bmp";
  ASSERT_TRUE(vyrtest::WriteBmp(page.string(), {.width = 640, .height = 480}, PagePixel));
  const fs::path dump = work_ / "dump";
  const ToolRun run = RunPreview("--root " + (work_ / "root").string() + " --dump " + dump.string() + " --png " +
                                 (work_ / "png").string() + " " + page.string(),
                             work_);
  ASSERT_EQ(run.status, 0) << run.errors;
  // No media table and no colour-match table on this disk: both are said.
  EXPECT_NE(run.errors.find("vyr: message 2014: "), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("vyr: message 2015: "), std::string::npos) << run.errors;

  const auto loaded = ReadFile(dump / "loaded.bgr");
  const auto passed = ReadFile(dump / "passed.bgr");
  ASSERT_EQ(loaded.size(), 480u * 640 * 3);
  for (int r = 0; r < 480; r += 37)
    for (int c = 0; c < 640; c += 41) {
      const vyrtest::Bgr px = PagePixel(r, c);
      const uint8_t* p = &loaded[(r * 640 + c) * 3];
      ASSERT_EQ(p[0], px.b);
      ASSERT_EQ(p[1], px.g);
      ASSERT_EQ(p[2], px.r);
    }
  EXPECT_EQ(loaded, passed);  // default settings leave the colours alone
  EXPECT_EQ(ReadFile(dump / "luma.i16").size(), 480u * 640 * 2);

  // Tones and levels: default keys make every level its tone value.
  const auto tones = ReadFile(dump / "tones.i16");
  ASSERT_EQ(tones.size(), 3u * 257 * 2);
  auto tone = [&](int dye, int n) { return int16_t(tones[(dye * 257 + n) * 2] | tones[(dye * 257 + n) * 2 + 1] << 8); };
  EXPECT_EQ(tone(0, 255), 997);
  const auto levels = ReadFile(dump / "levels.i16");
  ASSERT_EQ(levels.size(), 480u * 640 * 6);
  auto level = [](const std::vector<uint8_t>& v, size_t i) { return int16_t(v[2 * i] | v[2 * i + 1] << 8); };
  for (size_t i = 0; i < 480u * 640; i += 997) {
    EXPECT_EQ(level(levels, i * 3), tone(2, passed[i * 3]));
    EXPECT_EQ(level(levels, i * 3 + 1), tone(1, passed[i * 3 + 1]));
    EXPECT_EQ(level(levels, i * 3 + 2), tone(0, passed[i * 3 + 2]));
  }

  // lines.bin: the line blocks built here from the final levels.
  const auto final16 = ReadFile(dump / "final.i16");
  ASSERT_EQ(final16.size(), 480u * 640 * 6);
  for (int r = 0; r < 480; ++r)
    for (int c = 0; c < 640 * 3; ++c) g_headPlanes[r * kPlaneStride + c] = level(final16, r * 640 * 3 + c);
  std::vector<uint8_t> expected(2 * 10112, 0xFF);
  for (int line = 2; line < 790; ++line) {
    if (line <= 692) {
      PrepareLineData(line);
      const uint8_t* slot = g_lineBuffer + (line % 2) * kLineSlotBytes;
      expected.insert(expected.end(), slot, slot + 9664);
    } else {
      expected.insert(expected.end(), 9664, 0xFF);
    }
  }
  EXPECT_EQ(ReadFile(dump / "lines.bin"), expected);

  for (const char* name : {"loaded.png", "passed.png", "plane_cyan.png", "plane_magenta.png", "plane_yellow.png", "print.png"})
    EXPECT_GT(fs::file_size(work_ / "png" / name), 100u) << name;
}

TEST_F(PreviewTool, APageThatDoesNotLoadEndsWithStatusOne) {
  ToolRun run = RunPreview("--root " + (work_ / "root").string() + " " + (work_ / "missing.bmp").string(), work_);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("vyr: message 2018: "), std::string::npos) << run.errors;

  const fs::path page = work_ / "page8.bmp";
  ASSERT_TRUE(vyrtest::WriteBmp(page.string(), {.width = 64, .height = 48, .bitsPerPixel = 8}, PagePixel));
  run = RunPreview("--root " + (work_ / "root").string() + " --dump " + (work_ / "d").string() + " " + page.string(), work_);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("vyr: message 2019: "), std::string::npos) << run.errors;
  EXPECT_FALSE(fs::exists(work_ / "d" / "loaded.bgr"));

  EXPECT_EQ(RunPreview("--bogus x.bmp", work_).status, 64);
  EXPECT_EQ(RunPreview("", work_).status, 64);
}

TEST_F(PreviewTool, AnOutputThatCannotBeWrittenFailsTheRun) {
  // A folder where the first raw stage should go: the write fails, and the
  // run must not report success.
  const fs::path page = work_ / "page.bmp";
  ASSERT_TRUE(vyrtest::WriteBmp(page.string(), {.width = 64, .height = 48}, PagePixel));
  fs::create_directories(work_ / "d" / "loaded.bgr");
  ToolRun run =
      RunPreview("--root " + (work_ / "root").string() + " --dump " + (work_ / "d").string() + " " + page.string(), work_);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("cannot write"), std::string::npos) << run.errors;
}

}  // namespace
}  // namespace passtest
