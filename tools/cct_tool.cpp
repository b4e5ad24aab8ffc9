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
// (one line on standard error naming it), 64 bad arguments.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "tools/cct_cube.h"
#include "tools/cct_icc.h"
#include "tools/cct_show.h"
#include "tools/cct_table.h"
#include "tools/whole_file.h"
#include "tools/tool_commands.h"
#include "vprinter/print_picture.h"

namespace {

int Failed(const std::string& error) {
  std::fprintf(stderr, "vyrtool cct: %s\n", error.c_str());
  return 1;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* const kIntents[] = {"perceptual", "relative", "saturation", "absolute"};

const ToolOption kFromIccOptions[] = {
    {"input", 'i', "PROFILE", "the profile of the pictures' colours (default: srgb)"},
    {"output", 'o', "PRINTER.icc", "the printer's profile (needed)"},
    {"intent", 't', "INTENT", "perceptual (default), relative, saturation or absolute"},
    {"black-point-compensation", 'b', nullptr, "map black to the printer's black"},
};
const ToolSyntax kFromIccSyntax = {
    .command = "cct from-icc",
    .operands = "OUT.cct",
    .minOperands = 1,
    .maxOperands = 1,
    .summary = "a colour-match table from an input and a printer ICC profile",
    .details = nullptr,
    .options = kFromIccOptions,
    .optionCount = std::size(kFromIccOptions),
};

int FromIcc(const ToolArgs& args) {
  IccTableRequest request;
  if (const char* input = args.Get("input")) request.input = input;
  if (const char* output = args.Get("output")) request.output = output;
  request.blackPointCompensation = args.Has("black-point-compensation");
  if (const char* intent = args.Get("intent")) {
    request.intent = -1;
    for (int i = 0; i < 4; ++i)
      if (std::strcmp(intent, kIntents[i]) == 0) request.intent = i;
    if (request.intent < 0) {
      std::fprintf(stderr, "vyrtool cct from-icc: --intent %s: perceptual, relative, saturation or absolute\n",
                   intent);
      return kExitUsage;
    }
  }
  if (request.output.empty()) {
    std::fprintf(stderr, "vyrtool cct from-icc: --output PRINTER.icc, the printer's profile, is needed\n%s\n",
                 ToolUsageLine(kFromIccSyntax).c_str());
    return kExitUsage;
  }
  const std::string out = args.operands[0];
  CctTable table;
  int clipped = 0;
  std::string error;
  if (!MakeTableFromProfiles(request, table, clipped, error) || !WriteCctFile(out, table, error)) return Failed(error);
  std::printf("%s: from %s to %s, %s%s; %d of %d nodes clipped to the printer's range\n", out.c_str(),
              request.input.c_str(), request.output.c_str(), kIntents[request.intent],
              request.blackPointCompensation ? " with black-point compensation" : "", clipped, kLatticeNodes);
  return 0;
}

const ToolSyntax kFromCubeSyntax = {
    .command = "cct from-cube",
    .operands = "LUT.cube OUT.cct",
    .minOperands = 2,
    .maxOperands = 2,
    .summary = "a colour-match table from a 3D LUT (.cube)",
    .details = nullptr,
    .options = nullptr,
    .optionCount = 0,
};

int FromCube(const ToolArgs& args) {
  const std::string& in = args.operands[0];
  const std::string& out = args.operands[1];
  CubeLut lut;
  CctTable table;
  std::string error;
  if (!ReadCubeFile(in, lut, error)) return Failed(error);
  const int clipped = SampleLattice(table, [&](const double rgb[3], double result[3]) { CubeLookup(lut, rgb, result); });
  if (!WriteCctFile(out, table, error)) return Failed(error);
  std::printf("%s: from %s%s%s; %d of %d nodes clipped to 0..1\n", out.c_str(), in.c_str(),
              lut.title.empty() ? "" : ", ", lut.title.c_str(), clipped, kLatticeNodes);
  return 0;
}

const ToolSyntax kToCubeSyntax = {
    .command = "cct to-cube",
    .operands = "IN.cct OUT.cube",
    .minOperands = 2,
    .maxOperands = 2,
    .summary = "a colour-match table as a 3D LUT (.cube)",
    .details = nullptr,
    .options = nullptr,
    .optionCount = 0,
};

int ToCube(const ToolArgs& args) {
  CctTable table;
  std::string error;
  if (!ReadCctFile(args.operands[0], table, error) ||
      !WriteCubeFile(args.operands[1], table, BaseName(args.operands[0]), error))
    return Failed(error);
  return 0;
}

const ToolOption kShowOptions[] = {{"png", 'p', "OUT.png", "a picture of the table's slices"}};
const ToolSyntax kShowSyntax = {
    .command = "cct show",
    .operands = "IN.cct",
    .minOperands = 1,
    .maxOperands = 1,
    .summary = "what a colour-match table does, in a few lines",
    .details = nullptr,
    .options = kShowOptions,
    .optionCount = std::size(kShowOptions),
};

int Show(const ToolArgs& args) {
  CctTable table;
  std::string error;
  if (!ReadCctFile(args.operands[0], table, error)) return Failed(error);
  std::fputs(SummaryText(SummariseTable(table)).c_str(), stdout);
  if (const char* png = args.Get("png")) {
    int width = 0, height = 0;
    const std::vector<uint8_t> rgb = SlicesPicture(table, width, height);
    if (!ReplaceFile(png, [&](const std::string& temp) { return WritePngRgb(temp.c_str(), width, height, rgb.data()); },
                     error))
      return Failed(error);
  }
  return std::ferror(stdout) ? 1 : 0;
}

const ToolSyntax kIdentitySyntax = {
    .command = "cct identity",
    .operands = "OUT.cct",
    .minOperands = 1,
    .maxOperands = 1,
    .summary = "the colour-match table that changes nothing",
    .details = nullptr,
    .options = nullptr,
    .optionCount = 0,
};

int Identity(const ToolArgs& args) {
  std::string error;
  if (!WriteCctFile(args.operands[0], IdentityTable(), error)) return Failed(error);
  return 0;
}

const ToolCommand kMembers[] = {{&kFromIccSyntax, FromIcc, nullptr}, {&kFromCubeSyntax, FromCube, nullptr},
                                {&kToCubeSyntax, ToCube, nullptr},   {&kShowSyntax, Show, nullptr},
                                {&kIdentitySyntax, Identity, nullptr}};

void PrintFamilyUsage(FILE* out) {
  for (const ToolCommand& member : kMembers)
    std::fprintf(out, "%s\n", ToolUsageLine(*member.syntax).c_str());
  std::fprintf(out, "'vyrtool cct SUBCOMMAND --help' tells more.\n");
}

}  // namespace

const ToolSyntax kCctTool = {
    .command = "cct",
    .operands = "SUBCOMMAND ...",
    .minOperands = 1,
    .maxOperands = 1000,
    .summary = "colour-match tables: from-icc, from-cube, to-cube, show, identity",
    .details = nullptr,
    .options = nullptr,
    .optionCount = 0,
};

int RunCctTool(int argc, char** argv) {
  const char* sub = argc >= 2 ? argv[1] : nullptr;
  if (sub && (std::strcmp(sub, "--help") == 0 || std::strcmp(sub, "-h") == 0 || std::strcmp(sub, "help") == 0)) {
    PrintFamilyUsage(stdout);
    return 0;
  }
  for (const ToolCommand& member : kMembers) {
    if (!sub || std::strcmp(sub, member.syntax->command + 4) != 0) continue;
    ToolArgs args;
    const int status = ParseToolArgs(*member.syntax, argc - 1, argv + 1, &args);
    return status >= 0 ? status : member.run(args);
  }
  if (sub)
    std::fprintf(stderr, "vyrtool cct: unknown subcommand \"%s\"\n", sub);
  else
    std::fprintf(stderr, "vyrtool cct: no subcommand given\n");
  PrintFamilyUsage(stderr);
  return kExitUsage;
}
