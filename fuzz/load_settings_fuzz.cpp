// LoadSettings over both settings files at once: the input is the main file,
// a form feed, then the media file (no form feed: the media file is empty).
#include <cstring>
#include <string_view>

#include "fuzz_support.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::Disk& disk = fuzz::TheDisk();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = std::min(input.find('\f'), size);
  disk.Write("windows/system/tyq00.ini", data, split);
  disk.Write("windows/system/basmedia.ini", data + std::min(split + 1, size), size - std::min(split + 1, size));
  ResetSettings();
  LoadSettings();
  // A name setting always ends within its 14 characters.
  if (std::memchr(g_MatchFile, '\0', sizeof g_MatchFile) == nullptr) fuzz::Fail("MatchFile unterminated");
  return 0;
}
