// The engine's paths through the passes and the speckle filter that this
// processor can take: the SSE2 one always, the AVX2 one where it has AVX2.
// The comparisons with the plain forms run on each.
#pragma once

#include <vector>

#include "imaging/vector_paths.h"

inline std::vector<bool> WidePathChoices() {
  AllowWidePasses(true);
  std::vector<bool> choices{false};
  if (WidePassesInUse()) choices.push_back(true);
  return choices;
}
