// Settings the page-pass benchmarks run under, shared by the benchmarks of
// the passes and of the whole page.
#pragma once

#include "imaging/media_tables.h"
#include "settings/settings.h"

enum SettingsKind { kDefaults, kAllOn };

// "defaults": what an untouched installation runs; "all_on": every pass doing
// real work, crosstalk correction included.
inline void UseSettings(SettingsKind kind) {
  ResetSettings();
  for (int row = 0; row < kMediaRows; ++row) {
    for (int c = 0; c < 3; ++c) g_mediaTable.sensitivity[c][row] = 1.0f;
    for (int c = 0; c < 6; c += 2) {
      g_mediaTable.level[c][row] = 320;
      g_mediaTable.level[c + 1][row] = 720;
    }
  }
  if (kind == kAllOn) {
    g_Contrast = 2;
    g_Saturation = 1;
    g_SatValue = 1.4f;
    for (int i = 0; i < 12; ++i) g_ColCorSat[i] = 0.8f + 0.05f * float(i);
    for (int i = 0; i < 18; ++i) g_ColCorShift[i] = int16_t((i * 37) % 61 - 30);
    for (int i = 0; i < 18; ++i) g_DensityCoef[i] = 0.02f + 0.01f * float(i % 6);
    g_OVrg = 0.9f;
    g_OVgb = 1.1f;
  }
  BuildMediaToneTables();
}
