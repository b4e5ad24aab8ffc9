// The page file: header checks, direct and reduced placement, turning and
// the colour match, on whatever bytes the spool holds. A whole page passes
// through the loader for every input, so this target is the slow one.
#include <cstdio>

#include "fuzz_support.h"
#include "imaging/page_buffers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::TheDisk();
  // The loader reads from the file's current position; a memory file gives
  // the same reads without touching the disk.
  FILE* page = size ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : nullptr;
  const int result = LoadPageImage(page, nullptr);
  if (page) std::fclose(page);
  if (result != 1 && result != -1) fuzz::Fail("LoadPageImage result");
  return 0;
}
