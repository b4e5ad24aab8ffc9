// vyrtool cct: colour-match tables made from ICC profiles and 3D LUTs, turned
// back into 3D LUTs, shown, and the identity table.
//
//   vyrtool cct from-icc [--input PROFILE|srgb] --output PRINTER.icc
//                        [--intent perceptual|relative|saturation|absolute]
//                        [--black-point-compensation] OUT.cct
//   vyrtool cct from-cube LUT.cube OUT.cct
//   vyrtool cct to-cube IN.cct OUT.cube
//   vyrtool cct show IN.cct [--png OUT.png]
//   vyrtool cct identity OUT.cct
//
// Every file is written under a temporary name beside its target and renamed
// when complete. Exit status: 0 done, 1 a file could not be read or written
// (one line on standard error naming it), 2 bad arguments.
#include <getopt.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/cct_cube.h"
#include "tools/cct_icc.h"
#include "tools/cct_show.h"
#include "tools/cct_table.h"
#include "tools/whole_file.h"
#include "tools/tool_commands.h"
#include "vprinter/print_picture.h"

namespace {

const char kUsage[] =
    "usage: vyrtool cct from-icc [--input PROFILE|srgb] --output PRINTER.icc\n"
    "                            [--intent perceptual|relative|saturation|absolute]\n"
    "                            [--black-point-compensation] OUT.cct\n"
    "       vyrtool cct from-cube LUT.cube OUT.cct\n"
    "       vyrtool cct to-cube IN.cct OUT.cube\n"
    "       vyrtool cct show IN.cct [--png OUT.png]\n"
    "       vyrtool cct identity OUT.cct\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "vyrtool cct: %s\n", problem);
  std::fputs(kUsage, stderr);
  return 2;
}

int Failed(const std::string& error) {
  std::fprintf(stderr, "vyrtool cct: %s\n", error.c_str());
  return 1;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Options of one subcommand, then exactly `operands` operands. argv[0] is the
// subcommand's name.
struct Parsed {
  bool ok = true;
  int first = 0;  // index of the first operand
};

Parsed ParseOptions(int argc, char** argv, const option* options, int operands,
                    bool (*take)(int code, const char* value, void* into), void* into) {
  optind = 0;  // a fresh scan
  opterr = 1;
  int code;
  while ((code = getopt_long(argc, argv, "", options, nullptr)) != -1)
    if (code == '?' || !take(code, optarg, into)) return {false, 0};
  if (argc - optind != operands) {
    std::fprintf(stderr, "vyrtool cct %s: %d file name%s expected\n", argv[0], operands, operands == 1 ? "" : "s");
    return {false, 0};
  }
  return {true, optind};
}

const char* const kIntents[] = {"perceptual", "relative", "saturation", "absolute"};

int FromIcc(int argc, char** argv) {
  static const option options[] = {{"input", required_argument, nullptr, 'i'},
                                   {"output", required_argument, nullptr, 'o'},
                                   {"intent", required_argument, nullptr, 't'},
                                   {"black-point-compensation", no_argument, nullptr, 'b'},
                                   {nullptr, 0, nullptr, 0}};
  IccTableRequest request;
  const Parsed parsed = ParseOptions(argc, argv, options, 1, [](int code, const char* value, void* into) {
    auto& r = *static_cast<IccTableRequest*>(into);
    switch (code) {
      case 'i': r.input = value; return true;
      case 'o': r.output = value; return true;
      case 'b': r.blackPointCompensation = true; return true;
      case 't':
        for (int i = 0; i < 4; ++i)
          if (std::strcmp(value, kIntents[i]) == 0) {
            r.intent = i;
            return true;
          }
        std::fprintf(stderr, "vyrtool cct from-icc: --intent %s: perceptual, relative, saturation or absolute\n",
                     value);
        return false;
    }
    return false;
  }, &request);
  if (!parsed.ok) return Usage(nullptr);
  if (request.output.empty()) return Usage("from-icc needs --output PRINTER.icc, the printer's profile");
  const std::string out = argv[parsed.first];
  CctTable table;
  int clipped = 0;
  std::string error;
  if (!MakeTableFromProfiles(request, table, clipped, error) || !WriteCctFile(out, table, error)) return Failed(error);
  std::printf("%s: from %s to %s, %s%s; %d of %d nodes clipped to the printer's range\n", out.c_str(),
              request.input.c_str(), request.output.c_str(), kIntents[request.intent],
              request.blackPointCompensation ? " with black-point compensation" : "", clipped, kLatticeNodes);
  return 0;
}

bool NoOptions(int, const char*, void*) { return false; }

int FromCube(int argc, char** argv) {
  static const option none[] = {{nullptr, 0, nullptr, 0}};
  const Parsed parsed = ParseOptions(argc, argv, none, 2, NoOptions, nullptr);
  if (!parsed.ok) return Usage(nullptr);
  CubeLut lut;
  CctTable table;
  std::string error;
  if (!ReadCubeFile(argv[parsed.first], lut, error)) return Failed(error);
  const int clipped = SampleLattice(table, [&](const double in[3], double out[3]) { CubeLookup(lut, in, out); });
  if (!WriteCctFile(argv[parsed.first + 1], table, error)) return Failed(error);
  std::printf("%s: from %s%s%s; %d of %d nodes clipped to 0..1\n", argv[parsed.first + 1], argv[parsed.first],
              lut.title.empty() ? "" : ", ", lut.title.c_str(), clipped, kLatticeNodes);
  return 0;
}

int ToCube(int argc, char** argv) {
  static const option none[] = {{nullptr, 0, nullptr, 0}};
  const Parsed parsed = ParseOptions(argc, argv, none, 2, NoOptions, nullptr);
  if (!parsed.ok) return Usage(nullptr);
  CctTable table;
  std::string error;
  if (!ReadCctFile(argv[parsed.first], table, error) ||
      !WriteCubeFile(argv[parsed.first + 1], table, BaseName(argv[parsed.first]), error))
    return Failed(error);
  return 0;
}

int Show(int argc, char** argv) {
  static const option options[] = {{"png", required_argument, nullptr, 'p'}, {nullptr, 0, nullptr, 0}};
  std::string png;
  const Parsed parsed = ParseOptions(argc, argv, options, 1, [](int code, const char* value, void* into) {
    if (code != 'p') return false;
    *static_cast<std::string*>(into) = value;
    return true;
  }, &png);
  if (!parsed.ok) return Usage(nullptr);
  CctTable table;
  std::string error;
  if (!ReadCctFile(argv[parsed.first], table, error)) return Failed(error);
  std::fputs(SummaryText(SummariseTable(table)).c_str(), stdout);
  if (!png.empty()) {
    int width = 0, height = 0;
    const std::vector<uint8_t> rgb = SlicesPicture(table, width, height);
    if (!ReplaceFile(png, [&](const std::string& temp) { return WritePngRgb(temp.c_str(), width, height, rgb.data()); },
                     error))
      return Failed(error);
  }
  return std::ferror(stdout) ? 1 : 0;
}

int Identity(int argc, char** argv) {
  static const option none[] = {{nullptr, 0, nullptr, 0}};
  const Parsed parsed = ParseOptions(argc, argv, none, 1, NoOptions, nullptr);
  if (!parsed.ok) return Usage(nullptr);
  std::string error;
  if (!WriteCctFile(argv[parsed.first], IdentityTable(), error)) return Failed(error);
  return 0;
}

}  // namespace

int RunCctTool(int argc, char** argv) {
  if (argc < 2) return Usage(nullptr);
  const std::string sub = argv[1];
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 || sub == "help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  static const struct {
    const char* name;
    int (*run)(int, char**);
  } subcommands[] = {{"from-icc", FromIcc}, {"from-cube", FromCube}, {"to-cube", ToCube},
                     {"show", Show},        {"identity", Identity}};
  for (const auto& s : subcommands)
    if (sub == s.name) return s.run(argc - 1, argv + 1);
  return Usage(("unknown subcommand \"" + sub + "\"").c_str());
}
