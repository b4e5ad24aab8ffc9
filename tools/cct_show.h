// What a colour-match table does, in figures and as a picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/cct_table.h"

struct CctSummary {
  // Distance in levels (over red, green and blue) of each entry from its own
  // node levels, which the identity table holds.
  double identityMean = 0;
  double identityLargest = 0;
  int identityLargestAt[3] = {0, 0, 0};  // node levels of the entry
  // Per channel, red, green, blue: entry minus node level.
  double meanChange[3] = {0, 0, 0};
  double meanSize[3] = {0, 0, 0};        // mean of the change's size
  int largestChange[3] = {0, 0, 0};      // the change of largest size, signed
  int largestChangeAt[3][3] = {};        // its node levels
  // Entries with a channel pinned at 0 or 255 where that channel's own node
  // level is not: colours the table clips to the ends of its range.
  int clippedNodes = 0;
};

CctSummary SummariseTable(const CctTable& table);
std::string SummaryText(const CctSummary& summary);

// The table's 33 slices, one per blue node, in rows of 11: each slice shows
// the lattice's own colours above and the table's below, red growing to the
// right and green downward. 8-bit RGB rows, `width` x `height`.
std::vector<uint8_t> SlicesPicture(const CctTable& table, int& width, int& height);
