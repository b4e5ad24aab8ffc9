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
