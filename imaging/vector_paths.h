// Which hand-vectorised paths of the page passes a build has. A build
// configured with VYR_PORTABLE_PASSES takes the portable one-value-at-a-time
// paths everywhere, so that they too are built and checked against the plain
// forms.
#pragma once

#if defined(__SSE2__) && !defined(VYR_PORTABLE_PASSES)
#define VYR_SSE2_PASSES 1
#else
#define VYR_SSE2_PASSES 0
#endif

// The four-lane paths, chosen at run time on processors with AVX2.
#if VYR_SSE2_PASSES && defined(__x86_64__)
#define VYR_AVX2_PASSES 1
#else
#define VYR_AVX2_PASSES 0
#endif

// Where the processor has AVX2 the hue pass and the speckle filter take the
// four-lane (32-byte) paths instead of the SSE2 ones. Both give the same
// bytes; the tests and the benchmark turn the wide ones off to check and time
// the others.
bool WidePassesInUse();
void AllowWidePasses(bool allow);

#if defined(__GNUC__)
#define VYR_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VYR_ALWAYS_INLINE inline
#endif
