// The colour-match table named by MatchFile, applied to a small page so that
// the time goes into reading the table, not into the pixels.
#include <cstring>

#include "fuzz_support.h"
#include "imaging/color_match.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::TheDisk().Write("windows/system/normal.cct", data, size);
  // 8 x 4 pixels with the page's 30 spare bytes per row.
  constexpr int kWidth = 8, kHeight = 4, kStride = 3 * kWidth + 30;
  uint8_t page[kStride * kHeight];
  for (size_t i = 0; i < sizeof page; ++i) page[i] = static_cast<uint8_t>(i * 37);
  ApplyColorMatch(kWidth, kHeight, page, nullptr);
  return 0;
}
