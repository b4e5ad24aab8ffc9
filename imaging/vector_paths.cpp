// The choice between the SSE2 and the AVX2 paths, made once from what the
// processor reports.
#include "imaging/vector_paths.h"

namespace {

bool g_wideAllowed = true;

#if VYR_AVX2_PASSES
bool WideRegistersPresent() {
  static const bool present = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return present;
}
#endif

}  // namespace

bool WidePassesInUse() {
#if VYR_AVX2_PASSES
  return g_wideAllowed && WideRegistersPresent();
#else
  return false;
#endif
}

void AllowWidePasses(bool allow) { g_wideAllowed = allow; }
