// vyrtool make-demo DIR: lays out a demonstration disk for the engine under
// DIR (use it as VYR_ROOT): the two settings files with every key at its
// default, a media table, a head temperature file, an identity colour-match
// table, and a test page as the spooled page "c:\abx.1" and as the test
// bitmap for test-print mode.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/bitmap_file.h"
#include "base/frame.h"
#include "imaging/media_tables.h"
#include "printer/temperature_file.h"
#include "settings/settings_table.h"
#include "tools/cct_table.h"
#include "tools/tool_commands.h"
#include "tools/whole_file.h"

namespace {

namespace fs = std::filesystem;

// The page fills the frame exactly, so the engine takes it as it is.
constexpr int kDemoWidth = kFrameColumns;
constexpr int kDemoHeight = kFrameRows;

using Pixel = BitmapPixel;

uint8_t Clamp8(double v) {
  if (v <= 0.0) return 0;
  if (v >= 255.0) return 255;
  return static_cast<uint8_t>(v + 0.5);
}

Pixel Rgb(double r, double g, double b) { return Pixel{Clamp8(b), Clamp8(g), Clamp8(r)}; }

// Fully saturated colour of hue h (0..1) at value 255.
Pixel Hue(double h) {
  double x = h * 6.0;
  int sector = static_cast<int>(x) % 6;
  double f = x - std::floor(x);
  double up = 255.0 * f;
  double down = 255.0 * (1.0 - f);
  switch (sector) {
    case 0: return Rgb(255, up, 0);
    case 1: return Rgb(down, 255, 0);
    case 2: return Rgb(0, 255, up);
    case 3: return Rgb(0, down, 255);
    case 4: return Rgb(up, 0, 255);
    default: return Rgb(255, 0, down);
  }
}

// The demonstration page, 640 x 480, top row first:
//   rows   0..119  eight colour patches: the primaries, the secondaries,
//                  white and black, each with a lighter and a darker half;
//   rows 120..239  skin tones from fair to deep, over a soft background;
//   rows 240..299  a smooth grey ramp, black to white;
//   rows 300..359  a grey scale of 16 steps;
//   rows 360..419  the hue circle, fading to white towards its foot;
//   rows 420..479  fine detail: line pairs of 1 to 4 pixels both ways,
//                  a checkerboard and a ring pattern.
std::vector<Pixel> DemoPage() {
  std::vector<Pixel> page(static_cast<size_t>(kDemoWidth) * kDemoHeight, Rgb(255, 255, 255));
  auto at = [&](int r, int c) -> Pixel& {
    return page[static_cast<size_t>(r) * kDemoWidth + static_cast<size_t>(c)];
  };

  const Pixel patches[8] = {Rgb(220, 30, 30),  Rgb(30, 180, 50), Rgb(30, 60, 200),
                            Rgb(20, 190, 220), Rgb(210, 40, 160), Rgb(245, 220, 30),
                            Rgb(250, 250, 250), Rgb(15, 15, 15)};
  for (int r = 0; r < 120; ++r) {
    for (int c = 0; c < kDemoWidth; ++c) {
      Pixel p = patches[c / 80];
      // Upper half as is, lower half darker: the same ink at two densities.
      double shade = r < 60 ? 1.0 : 0.7;
      at(r, c) = Rgb(p.r * shade, p.g * shade, p.b * shade);
    }
  }

  const Pixel skins[6] = {Rgb(255, 224, 196), Rgb(241, 194, 160), Rgb(224, 172, 125),
                          Rgb(198, 134, 92),  Rgb(141, 85, 54),   Rgb(90, 56, 37)};
  for (int r = 120; r < 240; ++r) {
    for (int c = 0; c < kDemoWidth; ++c) {
      int patch = c * 6 / kDemoWidth;
      int left = patch * kDemoWidth / 6;
      int width = (patch + 1) * kDemoWidth / 6 - left;
      // A face-like oval of each tone on a pale blue-grey background.
      double dx = (c - left - width / 2.0) / (width * 0.42);
      double dy = (r - 180) / 52.0;
      double d = dx * dx + dy * dy;
      Pixel s = skins[patch];
      if (d <= 1.0) {
        // Gentle shading: lighter towards the upper left, as under a lamp.
        double light = 1.06 - 0.12 * (dx + dy + 1.0) / 2.0;
        at(r, c) = Rgb(s.r * light, s.g * light, s.b * light);
      } else {
        at(r, c) = Rgb(200, 208, 216);
      }
    }
  }

  for (int r = 240; r < 300; ++r) {
    for (int c = 0; c < kDemoWidth; ++c) {
      double v = c * 255.0 / (kDemoWidth - 1);
      at(r, c) = Rgb(v, v, v);
    }
  }
  for (int r = 300; r < 360; ++r) {
    for (int c = 0; c < kDemoWidth; ++c) {
      double v = (c / 40) * 17.0;
      at(r, c) = Rgb(v, v, v);
    }
  }

  for (int r = 360; r < 420; ++r) {
    double fade = (r - 360) / 59.0;  // 0 full colour, 1 white
    for (int c = 0; c < kDemoWidth; ++c) {
      Pixel h = Hue(static_cast<double>(c) / kDemoWidth);
      at(r, c) = Rgb(h.r + (255 - h.r) * fade * 0.8, h.g + (255 - h.g) * fade * 0.8,
                     h.b + (255 - h.b) * fade * 0.8);
    }
  }

  for (int r = 420; r < kDemoHeight; ++r) {
    for (int c = 0; c < kDemoWidth; ++c) {
      bool dark;
      if (c < 320) {
        // Four blocks of 80 columns: line pairs 1, 2, 3 and 4 pixels wide,
        // vertical lines in the upper half, horizontal in the lower.
        int width = c / 80 + 1;
        dark = r < 450 ? (c / width) % 2 == 0 : (r / width) % 2 == 0;
      } else if (c < 400) {
        dark = ((r / 4) + (c / 4)) % 2 == 0;
      } else {
        double dx = c - 520.0;
        double dy = r - 450.0;
        dark = static_cast<int>(std::sqrt(dx * dx + dy * dy) / 3.0) % 2 == 0;
      }
      at(r, c) = dark ? Rgb(20, 20, 20) : Rgb(240, 240, 240);
    }
  }
  return page;
}

// Media table: 30 rows of cyan, magenta, yellow sensitivities, then the
// levels at page values 32 and 224 of the three colours. The rows the default
// rank letters pick are G for the sensitivities (1.0) and D for the levels:
// 110 at page value 32 and 720 at 224, so that with the default level of 200
// at page value 128 the tone tables rise steadily from black to white. The
// other rows step around them as other media would.
std::vector<uint8_t> MediaTableFile() {
  MediaTable table{};
  for (int colour = 0; colour < 3; ++colour) {
    for (int row = 0; row < kMediaRows; ++row) {
      table.sensitivity[colour][row] = static_cast<float>(1.0 + (row - 6) * 0.02);
    }
  }
  for (int column = 0; column < 6; ++column) {
    bool at224 = column % 2 == 1;
    for (int row = 0; row < kMediaRows; ++row) {
      int level = at224 ? 720 + (row - 3) * 12 : 110 + (row - 3) * 3;
      table.level[column][row] = static_cast<int16_t>(level);
    }
  }
  std::vector<uint8_t> out(kMediaFileBytes);
  EncodeMediaTable(table, out.data());
  return out;
}

// Head temperature curves: cyan, magenta, yellow, 71 points each, 1.0 at the
// reference point 36 and rising gently through it.
std::vector<uint8_t> TemperatureFile() {
  float curves[3][kTemperaturePoints];
  const double slope[3] = {0.0060, 0.0055, 0.0065};
  for (int colour = 0; colour < 3; ++colour) {
    for (int i = 0; i < kTemperaturePoints; ++i) {
      curves[colour][i] = static_cast<float>(1.0 + (i - 36) * slope[colour]);
    }
  }
  std::vector<uint8_t> out(kTemperatureFileBytes);
  EncodeTemperatureFile(curves, out.data());
  return out;
}

// A settings file with every key of `file` at its default, in the table's
// order, a blank line before each section after the first.
std::string SettingsFile(const char* file, const char* heading) {
  std::string s = heading;
  const char* section = nullptr;
  for (size_t i = 0; i < g_settingCount; ++i) {
    const SettingDescriptor& setting = g_settingTable[i];
    if (std::strcmp(setting.file, file) != 0) continue;
    if (section == nullptr || std::strcmp(section, setting.section) != 0) {
      if (section != nullptr) s += "\n";
      section = setting.section;
      s += std::string("[") + section + "]\n";
    }
    s += std::string(setting.key) + "=" + setting.defaultText + "\n";
  }
  return s;
}

}  // namespace

const ToolSyntax kMakeDemoTool = {
    .command = "make-demo",
    .operands = "DIR",
    .minOperands = 1,
    .maxOperands = 1,
    .summary = "a demonstration disk in DIR: settings, tables and a test page, also spooled",
    .details = "Lays out DIR for use as VYR_ROOT: both settings files with every key at its\n"
               "default, a media table, a temperature file, an identity colour-match table,\n"
               "the test page as windows/system/vyrtest.bmp and spooled as c/abx.1.\n",
    .options = nullptr,
    .optionCount = 0,
};

int RunMakeDemoTool(const ToolArgs& args) {
  fs::path root = args.operands[0];
  fs::path system = root / "windows" / "system";
  fs::path drive = root / "c";
  std::error_code ec;
  fs::create_directories(system, ec);
  if (!ec) fs::create_directories(drive, ec);
  if (ec) {
    std::fprintf(stderr, "vyrtool make-demo: cannot create %s: %s\n", root.c_str(), ec.message().c_str());
    return 1;
  }

  std::vector<Pixel> page = DemoPage();
  struct Output {
    fs::path path;
    std::vector<uint8_t> bytes;
  };
  std::string settings = SettingsFile(kMainSettingsFile,
                                      "; Engine settings: media rows, colour correction, image enhancement.\n"
                                      "; Every key holds its default.\n");
  std::string media = SettingsFile(kMediaSettingsFile, "; Media base values. Every key holds its default.\n");
  const Output outputs[] = {
      {system / kMainSettingsFile, std::vector<uint8_t>(settings.begin(), settings.end())},
      {system / kMediaSettingsFile, std::vector<uint8_t>(media.begin(), media.end())},
      {system / "media.rtb", MediaTableFile()},
      {system / "tempera.tur", TemperatureFile()},
      // The identity table under the name MatchFile has by default.
      {system / FindSetting("Image", "MatchFile")->defaultText, CctFileBytes(IdentityTable())},
      {system / "vyrtest.bmp", BitmapFileBytes(kDemoWidth, kDemoHeight, false, page)},
      {drive / "abx.1", BitmapFileBytes(kDemoWidth, kDemoHeight, true, page)},
  };
  for (const Output& output : outputs) {
    std::string error;
    if (!ReplaceFileBytes(output.path, output.bytes.data(), output.bytes.size(), error)) {
      std::fprintf(stderr, "vyrtool make-demo: %s\n", error.c_str());
      return 1;
    }
  }
  std::printf("demonstration disk laid out in %s\n", root.c_str());
  return 0;
}
