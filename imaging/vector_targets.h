// The instruction sets the vector paths of the page passes and the speckle
// filter are compiled for, and which of them runs. Each of those passes is
// one source compiled once per set (scalar or its 128-bit emulation, SSSE3,
// SSE4, AVX2, AVX-512); when a pass runs it takes the best set this processor
// has, unless a test or benchmark has picked another. Every set gives the
// same bytes.
#pragma once

#include <cstdint>
#include <vector>

// The sets compiled in that this processor can run, best last. Asking
// also goes back to the best set.
std::vector<int64_t> VectorTargetsAvailable();
// From now on the passes take `target` (one of the above); 0 goes back to
// the best one.
void SelectVectorTarget(int64_t target);
// A set's short name ("AVX2", "SSE4", "EMU128", ...).
const char* VectorTargetName(int64_t target);
