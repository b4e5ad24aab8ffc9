// A stand-in for the link library that lacks one of its five exports (the one
// named by the VYR_WITHOUT_... definition it is built with). It touches no
// port: the binding only has to find, or miss, its exports by name.

#include <cstdint>

#define VYR_PARTIAL_EXPORT extern "C" __attribute__((visibility("default")))

#ifndef VYR_WITHOUT_GetDLLversion
// Not the real library's version, so a test can tell which module it reached.
VYR_PARTIAL_EXPORT float GetDLLversion(void) { return 99.5f; }
#endif

#ifndef VYR_WITHOUT_Command_set
VYR_PARTIAL_EXPORT int32_t Command_set(uint8_t*) { return 1; }
#endif

#ifndef VYR_WITHOUT_Is_Ready
VYR_PARTIAL_EXPORT uint16_t Is_Ready(void) { return 3; }
#endif

#ifndef VYR_WITHOUT_LPT_Reset
VYR_PARTIAL_EXPORT uint16_t LPT_Reset(void) { return 0; }
#endif

#ifndef VYR_WITHOUT_InitPort
VYR_PARTIAL_EXPORT int32_t InitPort(int32_t) { return -1; }
#endif
