// Contrast curve pass: remaps the red, green and blue bytes of the page through
// one 256-entry table, either the fixed stretch of 26..229 onto 1..255 or the
// three-segment curve through (0, 0), (x1, y1), (x2, y2), (255, 255) of the
// Contrast* settings.
#include <cstdint>

#include "imaging/page_buffers.h"
#include "imaging/page_passes.h"
#include "settings/settings.h"

uint8_t g_contrastTable[256];

namespace {

// The custom curve needs its four breakpoints on the byte scale and its two
// input breakpoints in rising order; anything else would index outside the
// table or store wrapped bytes, so such settings select no curve at all.
bool CustomCurveSettingsUsable() {
  const int x1 = g_ContrastBottom, x2 = g_ContrastTop;
  const int y1 = g_ContrastLeft, y2 = g_ContrastRight;
  auto onByteScale = [](int v) { return v >= 0 && v <= 255; };
  return onByteScale(x1) && onByteScale(x2) && onByteScale(y1) && onByteScale(y2) && x1 < x2;
}

void MapPageThroughContrastTable() {
  for (int r = 0; r < kPageRows; ++r) {
    uint8_t* p = g_pageImage + r * kPageStride;
    for (int i = 0; i < (kPageLength - 5) * 3; ++i) p[i] = g_contrastTable[p[i]];
  }
}

}  // namespace

void BuildStretchCurve() {
  for (int i = 0; i < 256; ++i) {
    if (i <= 25)
      g_contrastTable[i] = 0;
    else if (i <= 229)
      g_contrastTable[i] = static_cast<uint8_t>(static_cast<int>(double(i - 25) * 1.25 + 0.5));
    else
      g_contrastTable[i] = 255;
  }
}

void BuildCustomCurve() {
  if (!CustomCurveSettingsUsable()) return;
  const int x1 = g_ContrastBottom, x2 = g_ContrastTop;
  const int y1 = g_ContrastLeft, y2 = g_ContrastRight;

  // The anchors first; with x1 = 0 the first anchor replaces entry 0, and
  // entry 255 is always 255 even when x2 = 255.
  g_contrastTable[0] = 0;
  g_contrastTable[x1] = static_cast<uint8_t>(y1);
  g_contrastTable[x2] = static_cast<uint8_t>(y2);
  g_contrastTable[255] = 255;

  // Slopes are held as single floats; a segment with no inner entries has
  // no slope (its division would be by zero).
  float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f;
  if (x1 > 0) s0 = static_cast<float>(double(y1) / double(x1));
  s1 = static_cast<float>(double(y2 - y1) / double(x2 - x1));
  if (x2 < 255) s2 = static_cast<float>(double(255 - y2) / double(255 - x2));

  for (int i = 1; i < 256; ++i) {
    int v;
    if (i < x1)
      v = static_cast<int>(double(i) * double(s0) + 0.5) + g_contrastTable[0];
    else if (i > x1 && i < x2)
      v = static_cast<int>(double(i - x1) * double(s1) + 0.5) + g_contrastTable[x1];
    else if (i > x2)
      v = static_cast<int>(double(i - x2) * double(s2) + 0.5) + g_contrastTable[x2];
    else
      continue;  // x1 and x2 keep their anchors
    g_contrastTable[i] = static_cast<uint8_t>(v);
  }
}

void ApplyContrastCurve() {
  switch (g_Contrast) {
    case 1:
      BuildStretchCurve();
      break;
    case 2:
      if (!CustomCurveSettingsUsable()) return;
      BuildCustomCurve();
      break;
    default:
      // 0 is "no curve"; any other selector names no curve either, and the
      // page must not go through whatever the table last held.
      return;
  }
  MapPageThroughContrastTable();
}
