// vyrtool run as a program: one option parser for every command, the defaults
// init-root lays out, and photos spooled as the engine's page (photos made by
// ImageMagick, expected colours and sizes from how they were made).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/build_paths.h"
#include "tools/tool_test.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

using tooltest::Slurp;
using tooltest::ToolRun;

// A 24-bit bitmap as written: size, and pixels by row from the top.
struct Bitmap {
  int width = 0, height = 0;
  std::string bytes;
  bool Read(const fs::path& path) {
    bytes = Slurp(path);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || bytes[28] != 24) return false;
    auto le32 = [&](size_t at) {
      return static_cast<int>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
                              static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint8_t>(bytes[at + 3]) << 24);
    };
    width = le32(18);
    height = le32(22);  // the spooled page holds its top row first
    return width > 0 && height > 0 && bytes.size() >= 54 + static_cast<size_t>(Stride() * height);
  }
  int Stride() const { return (width * 3 + 3) / 4 * 4; }
  // {r, g, b} at column x of row y counted from the top.
  std::vector<int> At(int x, int y) const {
    size_t at = 54 + static_cast<size_t>(y * Stride() + 3 * x);
    return {static_cast<uint8_t>(bytes[at + 2]), static_cast<uint8_t>(bytes[at + 1]), static_cast<uint8_t>(bytes[at])};
  }
};

// `jpeg` with an EXIF segment whose only entry is Orientation 6: the stored
// picture is to be turned a quarter clockwise to stand upright.
std::string WithOrientation6(const std::string& jpeg) {
  const std::string exif("\xFF\xE1\x00\x22"                  // APP1, 34 bytes
                         "Exif\x00\x00"                       // EXIF header
                         "MM\x00\x2A\x00\x00\x00\x08"          // big-endian TIFF, IFD at 8
                         "\x00\x01"                           // one entry
                         "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00"  // Orientation, SHORT, 1, 6
                         "\x00\x00\x00\x00",                   // no next IFD
                         36);
  return jpeg.substr(0, 2) + exif + jpeg.substr(2);
}

MATCHER_P2(NearColour, expected, tolerance, "") {
  for (int i = 0; i < 3; ++i)
    if (std::abs(arg[i] - expected[i]) > tolerance) return false;
  return true;
}

class VyrtoolTest : public tooltest::ToolTest {
 protected:
  // Makes a picture with ImageMagick's convert in the work folder.
  void Convert(const std::string& args) {
    const std::string command = "cd '" + dir_.string() + "' && convert " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
};

TEST_F(VyrtoolTest, OneParserForEveryCommand) {
  struct Case {
    const char* args;
    int status;
    const char* out;  // beginning of standard output
    const char* err;  // in the first line of standard error
  };
  const Case cases[] = {
      {"--version", 0, "vyrtool 1.", ""},
      {"--help", 0, "usage: vyrtool COMMAND", ""},
      {"", 64, "", "vyrtool: no command given"},
      {"frobnicate", 64, "", "vyrtool: unknown command \"frobnicate\""},
      {"settings --help", 0, "usage: vyrtool settings [--root DIR]", ""},
      {"settings --bogus", 64, "", "vyrtool settings: unknown option --bogus"},
      {"settings extra", 64, "", "vyrtool settings: unexpected argument \"extra\""},
      {"init-root", 64, "", "vyrtool init-root: missing DIR"},
      {"make-demo --help", 0, "usage: vyrtool make-demo DIR", ""},
      {"make-demo a b", 64, "", "vyrtool make-demo: unexpected argument \"b\""},
      {"preview --png", 64, "", "vyrtool preview: option --png needs an argument"},
      {"preview -x page.bmp", 64, "", "vyrtool preview: unknown option -x"},
      {"spool --help", 0, "usage: vyrtool spool [--root DIR] [--fit] [--no-fit] [--scaling S] [--orientation O] [--page N] [--dpi N] DOCUMENT", ""},
      {"spool", 64, "", "vyrtool spool: missing DOCUMENT"},
      {"cct", 64, "", "vyrtool cct: no subcommand given"},
      {"cct show --help", 0, "usage: vyrtool cct show", ""},
      {"cct show", 64, "", "vyrtool cct show: missing IN.cct"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    ToolRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_THAT(run.out, StartsWith(c.out));
    EXPECT_THAT(run.err.substr(0, run.err.find('\n')), HasSubstr(c.err));
  }
  // No command took an option or --help for a folder to make.
  EXPECT_FALSE(fs::exists(dir_ / "--help"));
  EXPECT_FALSE(fs::exists(dir_ / "a"));
}

TEST_F(VyrtoolTest, InitRootLaysOutTheDemoDefaultsWithoutThePageAndKeepsWhatIsThere) {
  ASSERT_EQ(Run("make-demo demo").status, 0);
  ASSERT_EQ(Run("init-root disk").status, 0);
  EXPECT_TRUE(fs::is_directory(dir_ / "disk" / "c"));
  EXPECT_TRUE(fs::is_empty(dir_ / "disk" / "c"));
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir_ / "demo" / "windows" / "system")) {
    ++files;
    EXPECT_EQ(Slurp(dir_ / "disk" / "windows" / "system" / entry.path().filename()), Slurp(entry.path()))
        << entry.path().filename();
  }
  EXPECT_EQ(files, 6);

  // A tuned settings file survives a second run; settings warn about a folder
  // that is no disk, and list the tuned value from one that is.
  std::ofstream(dir_ / "disk" / "windows" / "system" / "tyq00.ini") << "[Image]\nSatValue=0.25\n";
  ToolRun again = Run("init-root disk");
  EXPECT_EQ(again.status, 0);
  EXPECT_THAT(again.out, HasSubstr("6 already there kept"));
  ToolRun tuned = Run("settings --root disk");
  EXPECT_THAT(tuned.out, HasSubstr("Image SatValue 0.25\n"));
  EXPECT_EQ(tuned.err, "");
  ToolRun bare = Run("settings --root demo/c");
  EXPECT_EQ(bare.status, 0);
  EXPECT_THAT(bare.err, HasSubstr("demo/c has no windows/system folder"));
}

TEST_F(VyrtoolTest, PreviewWithoutOutputsSaysWhatItDid) {
  ASSERT_EQ(Run("make-demo demo").status, 0);
  ToolRun run = Run("preview --root demo demo/c/abx.1");
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.out, HasSubstr("nothing written"));
}

TEST_F(VyrtoolTest, SpoolWritesTheEnginePageFromPhotos) {
  ASSERT_EQ(Run("init-root disk").status, 0);
  const std::string srgb = "/usr/share/color/icc/sRGB.icc";
  const std::string adobe = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
  // Half red, half blue side by side, as stored.
  const std::string halves = "-size 450x600 xc:'rgb(220,30,30)' -size 450x600 xc:'rgb(30,30,220)' +append ";
  struct Case {
    const char* what;
    std::string make;    // convert arguments
    const char* photo;
    const char* flags;
    int width, height;
    std::vector<int> top, bottom;  // colours at the middle of the top and bottom rows
    int tolerance;
  };
  const std::vector<int> red = {220, 30, 30}, blue = {30, 30, 220}, teal = {20, 160, 140};
  const Case cases[] = {
      {"landscape JPEG", halves + "-quality 95", "wide.jpg", "", 640, 480, {}, {}, 0},
      {"portrait PNG", "-size 300x500 xc:'rgb(20,160,140)'", "tall.png", "", 480, 640, teal, teal, 0},
      {"exact TIFF", "-size 640x480 xc:'rgb(20,160,140)'", "exact.tif", "", 640, 480, teal, teal, 0},
      {"own pixels", halves + "-quality 95", "own.jpg", "--no-fit", 900, 600, {}, {}, 0},
      // Stored landscape, upright portrait: turned a quarter clockwise, the
      // left (red) half comes to the top.
      {"rotated JPEG", halves + "-quality 95", "turned.jpg", "", 480, 640, red, blue, 6},
      // Numbers in Adobe RGB with the profile embedded: back to sRGB.
      {"profiled JPEG", "-size 640x480 xc:'rgb(20,160,140)' -profile " + srgb + " -profile " + adobe + " -quality 98",
       "adobe.jpg", "", 640, 480, teal, teal, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Convert(c.make + " " + c.photo);
    if (std::string(c.photo) == "turned.jpg") {
      const std::string rotated = WithOrientation6(Slurp(dir_ / c.photo));
      std::ofstream(dir_ / c.photo, std::ios::binary) << rotated;
    }
    ToolRun run = Run("spool --root disk " + std::string(c.flags) + " " + c.photo);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("c:\\abx.1"));
    Bitmap page;
    ASSERT_TRUE(page.Read(dir_ / "disk" / "c" / "abx.1"));
    EXPECT_EQ(page.width, c.width);
    EXPECT_EQ(page.height, c.height);
    if (!c.top.empty()) {
      EXPECT_THAT(page.At(c.width / 2, 2), NearColour(c.top, c.tolerance));
      EXPECT_THAT(page.At(c.width / 2, c.height - 3), NearColour(c.bottom, c.tolerance));
    } else {
      // Side by side halves keep their sides.
      EXPECT_THAT(page.At(4, c.height / 2), NearColour(red, 6));
      EXPECT_THAT(page.At(c.width - 5, c.height / 2), NearColour(blue, 6));
    }
  }
}

// print-scaling and orientation-requested as IPP defines them, worked by hand
// for a 400 x 100 red picture (4:1) and a 3-page PDF of 3 x 4 in pages.
TEST_F(VyrtoolTest, SpoolLaysPagesOutAsIppSays) {
  ASSERT_EQ(Run("init-root disk").status, 0);
  Convert("-size 400x100 xc:'rgb(220,30,30)' band.png");
  const std::string pdf = std::string("python3 ") + VYR_SOURCE_DIR + "/tests/printer_app/make_pdf.py '" + (dir_ / "doc.pdf").string() +
                          "' 216x288:ff0000 216x288:00ff00 216x288:0000ff:180";
  ASSERT_EQ(std::system(pdf.c_str()), 0);
  const std::vector<int> red = {220, 30, 30}, white = {255, 255, 255}, black = {0, 0, 0};
  const std::vector<int> pure_red = {255, 0, 0}, green = {0, 255, 0}, blue = {0, 0, 255};
  struct Spot {
    int x, y;
    std::vector<int> colour;
  };
  struct Case {
    const char* args;
    int width, height;
    std::vector<Spot> spots;
  };
  const Case cases[] = {
      // fit: 640 x 160 in the middle of 640 x 480, white above and below.
      {"--scaling fit band.png", 640, 480, {{320, 239, red}, {320, 150, white}, {320, 330, white}, {2, 162, red}}},
      // none: its own 400 x 100 pixels, centred: columns 120..519, rows 190..289.
      {"--scaling none band.png", 640, 480, {{121, 240, red}, {118, 240, white}, {320, 191, red}, {320, 188, white}}},
      // portrait asked for: fit into 480 x 640 gives 480 x 120, rows 260..379.
      {"--scaling fit --orientation portrait band.png", 480, 640, {{240, 320, red}, {240, 250, white}, {2, 262, red}}},
      // A PDF page, filled: its black square (54 pt of 216) in the top left;
      // the third page's own half turn puts it bottom right.
      {"--scaling auto --page 2 doc.pdf", 480, 640, {{40, 40, black}, {240, 320, green}, {470, 630, green}}},
      {"--scaling auto --page 3 doc.pdf", 480, 640, {{40, 40, blue}, {440, 600, black}}},
      // reverse-portrait: a half turn of the first page.
      {"--orientation reverse-portrait --page 1 doc.pdf", 480, 640, {{40, 40, pure_red}, {440, 600, black}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    ToolRun run = Run(std::string("spool --root disk ") + c.args);
    ASSERT_EQ(run.status, 0) << run.err;
    Bitmap page;
    ASSERT_TRUE(page.Read(dir_ / "disk" / "c" / "abx.1"));
    EXPECT_EQ(page.width, c.width);
    EXPECT_EQ(page.height, c.height);
    for (const Spot& spot : c.spots) EXPECT_THAT(page.At(spot.x, spot.y), NearColour(spot.colour, 8)) << spot.x << "," << spot.y;
  }
  ToolRun beyond = Run("spool --root disk --page 4 doc.pdf");
  EXPECT_EQ(beyond.status, 1);
  EXPECT_THAT(beyond.err, HasSubstr("it has 3 pages"));
}

TEST_F(VyrtoolTest, SpoolRefusesBrokenPhotosAndLeavesThePageAlone) {
  ASSERT_EQ(Run("init-root disk").status, 0);
  Convert("-size 800x600 xc:'rgb(20,160,140)' -quality 95 photo.jpg");
  const std::string jpeg = Slurp(dir_ / "photo.jpg");
  std::ofstream(dir_ / "cut.jpg", std::ios::binary) << jpeg.substr(0, jpeg.size() / 3);
  std::ofstream(dir_ / "words.jpg") << "not a picture at all\n";
  // A header that promises 20000 x 20000 pixels.
  std::ofstream(dir_ / "huge.ppm", std::ios::binary) << "P6\n20000 20000\n255\n" << std::string(64, 'x');
  const std::string before = "an earlier page";
  std::ofstream(dir_ / "disk" / "c" / "abx.1", std::ios::binary) << before;
  struct Case {
    const char* photo;
    const char* reason;
  };
  const Case cases[] = {
      {"cut.jpg", "Premature end"},
      {"words.jpg", "not a picture"},
      {"huge.ppm", "larger than 100 megapixels"},
      {"missing.jpg", "No such file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.photo);
    ToolRun run = Run(std::string("spool --root disk ") + c.photo);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_THAT(run.err, HasSubstr(std::string("vyrtool spool: ") + c.photo + ": "));
    EXPECT_THAT(run.err, HasSubstr(c.reason));
    // The page that was there is untouched, and nothing else was left.
    EXPECT_EQ(Slurp(dir_ / "disk" / "c" / "abx.1"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "disk" / "c"), fs::directory_iterator()), 1);
  }
  ToolRun noDisk = Run("spool --root nowhere photo.jpg");
  EXPECT_EQ(noDisk.status, 1);
  EXPECT_THAT(noDisk.err, HasSubstr("init-root"));
}

}  // namespace
