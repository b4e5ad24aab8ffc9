// Where the tests find the source tree (their data) and the build tree (the
// programs and modules they run). The build writes both into one generated
// file (build_paths.cpp.in), so that no test file depends on where the tree
// was checked out and each compiles once for every checkout through ccache.
#pragma once

namespace vyrtest {
extern const char kSourceDir[];
extern const char kBinaryDir[];
}  // namespace vyrtest

#define VYR_SOURCE_DIR (::vyrtest::kSourceDir)
#define VYR_BINARY_DIR (::vyrtest::kBinaryDir)
