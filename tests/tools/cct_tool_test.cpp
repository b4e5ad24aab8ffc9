// vyrtool cct run as a program: what a user sees for a table and for every
// kind of bad input (one line naming the file and the line or field, a
// failing exit, and no output file, not even a temporary one).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/build_paths.h"
#include "tools/tool_test.h"

namespace {

namespace fs = std::filesystem;
using tooltest::Slurp;
using tooltest::ToolRun;

class CctTool : public tooltest::ToolTest {
 protected:
  ToolRun Cct(const std::string& args) { return Run("cct " + args); }
  std::string Put(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return (dir_ / name).string();
  }
  // The files in the work folder other than the ones the test made.
  std::vector<std::string> Made() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) {
      const std::string n = e.path().filename().string();
      if (n != "out.txt" && n != "err.txt" && n.rfind("in", 0) != 0) names.push_back(n);
    }
    return names;
  }
};

std::string Rows(int count, const char* row = "0.5 0.5 0.5\n") {
  std::string s;
  for (int i = 0; i < count; ++i) s += row;
  return s;
}

}  // namespace

TEST_F(CctTool, BadInputIsOneLineNamingWhereAndWritesNothing) {
  const std::string good = Slurp("/usr/share/color/icc/colord/sRGB.icc");
  ASSERT_GT(good.size(), 1000u);
  struct Case {
    std::string name, contents, command, where;
  };
  const Case cases[] = {
      // .cube tables
      {"in.cube", "TITLE \"no size\"\n# only a comment\n", "from-cube IN OUT", "in.cube: no LUT_3D_SIZE"},
      {"in.cube", "0 0 0\nLUT_3D_SIZE 2\n", "from-cube IN OUT", "in.cube:1: "},
      {"in.cube", "LUT_3D_SIZE 2\n" + Rows(7), "from-cube IN OUT", "in.cube:1: LUT_3D_SIZE 2 needs 8 rows"},
      {"in.cube", "LUT_3D_SIZE 2\n" + Rows(9), "from-cube IN OUT", "in.cube:10: "},
      {"in.cube", "LUT_3D_SIZE 2\n" + Rows(3) + "0.5 1.25 0.5\n" + Rows(4), "from-cube IN OUT", "in.cube:5: green"},
      {"in.cube", "DOMAIN_MIN 0 0 0\nDOMAIN_MAX 1 1 2\nLUT_3D_SIZE 2\n" + Rows(7) + "0 0 -0.1\n", "from-cube IN OUT",
       "in.cube:11: blue"},
      {"in.cube", "LUT_3D_SIZE 2\n" + Rows(2) + "nan 0 0\n" + Rows(5), "from-cube IN OUT", "in.cube:4: 'nan'"},
      {"in.cube", "LUT_3D_SIZE 2\n" + Rows(2) + "0.5 half 0\n" + Rows(5), "from-cube IN OUT", "in.cube:4: 'half'"},
      {"in.cube", "LUT_3D_SIZE 2\n" + Rows(2) + "0.5 0.5\n" + Rows(5), "from-cube IN OUT", "in.cube:4: 2 values"},
      {"in.cube", "# big\nLUT_3D_SIZE 257\n", "from-cube IN OUT", "in.cube:2: LUT_3D_SIZE 257"},
      // ICC profiles
      {"in.icc", "", "from-icc --output IN OUT", "in.icc: empty"},
      {"in.icc", good.substr(0, good.size() / 2), "from-icc --output IN OUT", "in.icc: field 'profile size'"},
      {"in.icc", good.substr(0, 100), "from-icc --output IN OUT", "in.icc: 100 bytes"},
      {"in.icc", std::string(2000, 'x'), "from-icc --input IN --output /usr/share/color/icc/colord/sRGB.icc OUT",
       "in.icc: field 'profile file signature'"},
      {"in.icc", Slurp("/usr/share/color/icc/Gray.icc"), "from-icc --output IN OUT", "in.icc: field 'colour space'"},
      // tables
      {"in.cct", std::string(54, '\0') + std::string(1000, 'x'), "to-cube IN OUT", "in.cct: field"},
      {"in.cct", "", "show IN", "in.cct: 0 bytes"},
  };
  for (const Case& c : cases) {
    const std::string in = Put(c.name, c.contents);
    std::string command = c.command;
    command.replace(command.find("IN"), 2, in);
    const size_t at = command.find("OUT");
    if (at != std::string::npos) command.replace(at, 3, (dir_ / "made").string());
    const ToolRun run = Cct(command);
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_EQ(run.err.find("vyrtool cct: " + (dir_ / c.where).string()), 0u) << command << "\n" << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(Made().empty()) << command << ": left " << Made().front();
  }

  // An output in a missing folder: the file named, nothing made anywhere.
  const ToolRun run = Cct("identity " + (dir_ / "missing" / "t.cct").string());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "vyrtool cct: cannot write " + (dir_ / "missing" / "t.cct").string() +
                         ": No such file or directory\n");
  EXPECT_TRUE(Made().empty());
}

TEST_F(CctTool, ShowSaysWhatATableDoes) {
  // A LUT that turns every colour into its negative: each channel changes by
  // 255 - 2 x level, on average 255 - 2 x 4192 / 33 = 0.94 (the node levels
  // 0, 7, ..., 255 sum to 4192) and by 4351 / 33 = 131.85 in size (the sum of
  // |255 - 2 x level|); most at black, +255; every node with a
  // channel at the ends of the lattice (33^3 - 31^3 of them) is pinned there
  // by the other end.
  Put("in.cube", "LUT_3D_SIZE 2\n1 1 1\n0 1 1\n1 0 1\n0 0 1\n1 1 0\n0 1 0\n1 0 0\n0 0 0\n");
  ASSERT_EQ(Cct("from-cube " + (dir_ / "in.cube").string() + " " + (dir_ / "neg.cct").string()).status, 0);
  const ToolRun run = Cct("show " + (dir_ / "neg.cct").string() + " --png " + (dir_ / "neg.png").string());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("largest 441.67 at (0, 0, 0)"), std::string::npos) << run.out;  // 255 x sqrt(3)
  EXPECT_NE(run.out.find("red    mean change +0.94 (mean size 131.85), largest +255 at (0, 0, 0)"),
            std::string::npos) << run.out;
  EXPECT_NE(run.out.find("clipped: 6146 of 35937"), std::string::npos) << run.out;
  EXPECT_EQ(Slurp(dir_ / "neg.png").substr(1, 3), "PNG");

  // The identity table changes nothing, and it is the demonstration disk's.
  ASSERT_EQ(Cct("identity " + (dir_ / "id.cct").string()).status, 0);
  EXPECT_NE(Cct("show " + (dir_ / "id.cct").string()).out.find("identity distance: mean 0.00 levels, largest 0.00"),
            std::string::npos);
  const std::string demo = std::string(VYR_BINARY_DIR) + "/bin/vyrtool make-demo " + (dir_ / "demo").string() + " >/dev/null";
  ASSERT_EQ(std::system(demo.c_str()), 0);
  EXPECT_EQ(Slurp(dir_ / "demo/windows/system/normal.cct"), Slurp(dir_ / "id.cct"));
}
