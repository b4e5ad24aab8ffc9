// The media table media.rtb and the tone tables built from it.
#include "fuzz_support.h"
#include "imaging/media_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::TheDisk().Write("windows/system/media.rtb", data, size);
  LoadMediaTable();
  BuildMediaToneTables();
  return 0;
}
