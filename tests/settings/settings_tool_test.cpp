// vyrtool settings: what it prints for a disk with settings files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/build_paths.h"

namespace fs = std::filesystem;
using ::testing::Contains;

namespace {

struct ToolRun {
  int status = -1;
  std::vector<std::string> lines;
};

ToolRun RunTool(const std::string& args) {
  ToolRun run;
  std::string command = std::string(VYR_BINARY_DIR) + "/bin/vyrtool " + args + " 2>/dev/null";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return run;
  std::string line;
  for (int c; (c = std::fgetc(p)) != EOF;) {
    if (c == '\n') {
      run.lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  run.status = pclose(p);
  return run;
}

}  // namespace

TEST(SettingsTool, PrintsEverySettingAsTheEngineReadsIt) {
  std::string pattern = fs::temp_directory_path().string() + "/vyr-tool-XXXXXX";
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  fs::path root = pattern;
  fs::create_directories(root / "windows" / "system");
  std::ofstream(root / "windows" / "system" / "tyq00.ini")
      << "[MediaRank]\nsensC=b\nsensY=\n[Image]\nSatValue=0.1\nContrastTop=70000\n"
         "MatchFile=vivid.cct\n";
  std::ofstream(root / "windows" / "system" / "basmedia.ini") << "[BaseMedia]\nGLimit=1000\n";

  ToolRun run = RunTool("settings --root '" + root.string() + "'");
  EXPECT_EQ(run.status, 0);
  ASSERT_EQ(run.lines.size(), 94u);
  EXPECT_EQ(run.lines.front(), "MediaRank sensC B");
  EXPECT_EQ(run.lines.back(), "BaseMedia BLimit 1019");
  EXPECT_THAT(run.lines, Contains("MediaRank sensM G"));
  EXPECT_THAT(run.lines, Contains("MediaRank sensY"));  // code 0: nothing after the key
  EXPECT_THAT(run.lines, Contains("Image SatValue 0.1"));
  EXPECT_THAT(run.lines, Contains("Image EdgeEnhanceR 0.4"));
  EXPECT_THAT(run.lines, Contains("Image ContrastTop 4464"));
  EXPECT_THAT(run.lines, Contains("Image MatchFile vivid.cct"));
  EXPECT_THAT(run.lines, Contains("ColCorPalam Srt 1"));
  EXPECT_THAT(run.lines, Contains("BaseMedia GLimit 1000"));
  EXPECT_THAT(run.lines, Contains("BaseMedia R240Ratio 1.2"));

  EXPECT_NE(RunTool("settings --bogus").status, 0);
  EXPECT_NE(RunTool("no-such-command").status, 0);
  std::error_code ec;
  fs::remove_all(root, ec);
}
