// The instruction sets the engine's vector paths run on here: the
// comparisons with the plain forms run on each, and name the set that
// differs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/vector_targets.h"

// Every set the passes were compiled for that this processor has, the
// emulated (portable) one first; the best is selected again afterwards.
inline std::vector<int64_t> EveryVectorTarget() { return VectorTargetsAvailable(); }

inline std::string TargetLabel(int64_t target) { return std::string("on ") + VectorTargetName(target); }
