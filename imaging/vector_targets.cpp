// The choice of instruction set, through Highway's list of the sets this
// processor supports. Built with the same set list as the passes (the
// imaging library's compile definitions), so the sets named here are the
// ones the passes were compiled for.
#include "imaging/vector_targets.h"

#include <hwy/targets.h>

#include <algorithm>

std::vector<int64_t> VectorTargetsAvailable() {
  hwy::SetSupportedTargetsForTest(0);
  std::vector<int64_t> targets = hwy::SupportedAndGeneratedTargets();
  // Highway lists the best first (better sets have lower bits).
  std::reverse(targets.begin(), targets.end());
  return targets;
}

void SelectVectorTarget(int64_t target) { hwy::SetSupportedTargetsForTest(target); }

const char* VectorTargetName(int64_t target) { return hwy::TargetName(target); }
