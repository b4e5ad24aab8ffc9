// A tiny loadable module for the module-layer tests: one export that says
// which copy of the module was loaded.
#ifndef VYR_PROBE_ANSWER
#define VYR_PROBE_ANSWER 1
#endif

extern "C" __attribute__((visibility("default"))) int VyrProbeAnswer() { return VYR_PROBE_ANSWER; }
