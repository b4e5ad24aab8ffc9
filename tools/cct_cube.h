// 3D lookup tables in the .cube text format of grading tools, to and from
// colour-match tables.
//
// Read: comment lines (#), TITLE "...", DOMAIN_MIN / DOMAIN_MAX r g b, and
// LUT_3D_SIZE N (2..256) followed by N^3 rows of red, green, blue with red
// varying fastest. A LUT_1D_SIZE table (per-channel curves) may stand alone or
// come before the 3D rows as its shaper, with LUT_1D_INPUT_RANGE and
// LUT_3D_INPUT_RANGE giving the two stages' domains. DOMAIN_MIN / DOMAIN_MAX
// give the domain of the file's first stage. Inputs are page values 0..1
// (level / 255) clamped to the domain; every value must lie inside its domain.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "tools/cct_table.h"

constexpr int kCubeMaxSize3d = 256;
constexpr int kCubeMaxSize1d = 65536;

struct CubeStage {
  int size = 0;                 // 0: the stage is absent
  double min[3] = {0, 0, 0};    // domain
  double max[3] = {1, 1, 1};
  std::vector<float> values;    // size (1D) or size^3 (3D) rows of r, g, b
};

struct CubeLut {
  std::string title;
  CubeStage shaper;  // 1D
  CubeStage cube;    // 3D
};

// Parses .cube text. On failure `error` is "NAME:LINE: what" (or "NAME: what"
// when no one line is at fault).
bool ParseCube(std::istream& in, const std::string& name, CubeLut& lut, std::string& error);
bool ReadCubeFile(const std::string& path, CubeLut& lut, std::string& error);

// The LUT at page values in[0..2] (red, green, blue): the shaper by linear
// interpolation per channel, then the 3D table by tetrahedral interpolation.
void CubeLookup(const CubeLut& lut, const double in[3], double out[3]);

// The table as a .cube: a 256-entry shaper that takes each level to its
// lattice node's place on an even 33-point grid, then the 33^3 entries as
// byte / 255 at their nodes, red fastest.
void WriteCubeText(std::ostream& out, const CctTable& table, const std::string& title);
bool WriteCubeFile(const std::string& path, const CctTable& table, const std::string& title, std::string& error);
