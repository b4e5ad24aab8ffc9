// The spooled page the engine prints: a 24-bit bitmap file (blue, green, red;
// rows padded to 4 bytes). Rows are stored top row first, the order the
// engine's page loader reads them in: a bitmap stored bottom row first, as
// paint programs save them, would print mirrored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RasterPage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // width * height * 3, top row first, red green blue
};

// Writes `page` to `path` through a temporary name in the same folder, so the
// engine never sees half a page. False when it cannot be written.
bool WriteSpooledPage(const RasterPage& page, const std::string& path);
