// Colour-match tables from a pair of ICC profiles, through LittleCMS.
#pragma once

#include <string>

#include "tools/cct_table.h"

struct IccTableRequest {
  std::string input = "srgb";  // a profile file, or "srgb" for the built-in sRGB space
  std::string output;          // the printer's RGB profile
  int intent = 0;              // ICC rendering intent: 0 perceptual, 1 relative, 2 saturation, 3 absolute
  bool blackPointCompensation = false;
};

// The transform from the input space to the printer's RGB, sampled at every
// lattice node. `clippedNodes` counts nodes with an output channel outside the
// printer's range. On failure `error` names the profile and the field at fault.
bool MakeTableFromProfiles(const IccTableRequest& request, CctTable& table, int& clippedNodes, std::string& error);
