// The page passes and the line data written out plainly, step by step, one
// pixel at a time, with a logarithm per pair and pixel and no tables or
// shortcuts. The engine's passes must give the same bits; the tests and the
// benchmark use these as the oracle and the baseline.
//
// They work on buffers laid out like the engine's (page stride 1950 bytes,
// plane stride 1980 levels, line buffer of two 10112-byte slots) and read the
// same settings and tables.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "imaging/media_tables.h"
#include "imaging/page_buffers.h"
#include "settings/settings.h"

namespace plainpass {

inline uint8_t* Px(uint8_t* page, int r, int c) { return page + r * kPageStride + c * 3; }
inline int16_t* El(int16_t* planes, int r, int c) { return planes + r * kPlaneStride + c * 3; }

// ---- Contrast curve -----------------------------------------------------------

inline bool BuildContrastTable(uint8_t table[256]) {
  if (g_Contrast == 1) {
    for (int i = 0; i < 256; ++i) {
      if (i < 26) table[i] = 0;
      else if (i > 229) table[i] = 255;
      else table[i] = uint8_t(int(double(i - 25) * 1.25 + 0.5));
    }
    return true;
  }
  if (g_Contrast != 2) return false;
  const int x1 = g_ContrastBottom, x2 = g_ContrastTop, y1 = g_ContrastLeft, y2 = g_ContrastRight;
  if (x1 < 0 || x1 > 255 || x2 < 0 || x2 > 255 || y1 < 0 || y1 > 255 || y2 < 0 || y2 > 255 ||
      !(x1 < x2))
    return false;
  table[0] = 0;
  table[x1] = uint8_t(y1);
  table[x2] = uint8_t(y2);
  table[255] = 255;
  for (int i = 1; i <= 255; ++i) {
    if (i < x1) {
      float s0 = float(double(y1) / double(x1));
      table[i] = uint8_t(int(double(i) * double(s0) + 0.5) + table[0]);
    } else if (x1 < i && i < x2) {
      float s1 = float(double(y2 - y1) / double(x2 - x1));
      table[i] = uint8_t(int(double(i - x1) * double(s1) + 0.5) + table[x1]);
    } else if (i > x2) {
      float s2 = float(double(255 - y2) / double(255 - x2));
      table[i] = uint8_t(int(double(i - x2) * double(s2) + 0.5) + table[x2]);
    }
  }
  return true;
}

inline void Contrast(uint8_t* page) {
  uint8_t table[256] = {};
  if (!BuildContrastTable(table)) return;
  for (int r = 0; r < 480; ++r)
    for (int c = 0; c < 640; ++c)
      for (int k = 0; k < 3; ++k) Px(page, r, c)[k] = table[Px(page, r, c)[k]];
}

// ---- Saturation and luminance --------------------------------------------------

inline void Saturation(uint8_t* page, int16_t* luma) {
  for (int r = 0; r < 480; ++r) {
    for (int c = 0; c < 640; ++c) {
      uint8_t* p = Px(page, r, c);
      if (g_Saturation != 0) {
        int R = p[2], G = p[1], B = p[0];
        int S = R + G + B;
        float k = g_SatValue;
        float dR = float(double(2 * R - G - B) * double(k));
        float dG = float(double(2 * G - R - B) * double(k));
        float dB = float(double(2 * B - R - G) * double(k));
        double out[3] = {(S + double(dR)) / 3 + 0.5, (S + double(dG)) / 3 + 0.5,
                         (S + double(dB)) / 3 + 0.5};
        int v[3];
        for (int i = 0; i < 3; ++i) {
          // integer part, then onto 0..255 (clamped first when it would not fit an int)
          double x = std::max(-1.0, std::min(out[i], 1000.0));
          v[i] = std::clamp(int(x), 0, 255);
        }
        p[2] = uint8_t(v[0]);
        p[1] = uint8_t(v[1]);
        p[0] = uint8_t(v[2]);
      }
      int sum = p[0] + p[1] + p[2];
      luma[r * 640 + c] = int16_t(int(double(sum) * double(1.333f) + 0.5));
    }
  }
}

// ---- Hue-sector correction -----------------------------------------------------

inline void Hue(uint8_t* page) {
  if (g_Color == 0) return;
  // anchors: 0 red, 1 green, 2 blue, 3 cyan, 4 magenta, 5 yellow
  auto top = [](int a) { return g_ColCorSat[a]; };
  auto bottom = [](int a) { return g_ColCorSat[6 + a]; };
  auto shift = [](int a, int ch) { return g_ColCorShift[a * 3 + ch]; };
  for (int r = 0; r < 480; ++r) {
    for (int c = 0; c < 640; ++c) {
      uint8_t* p = Px(page, r, c);
      float R = p[2], G = p[1], B = p[0];
      float S = R + G + B;
      float m = std::min({R, G, B});
      float dR = R - m, dG = G - m, dB = B - m;
      int P, X, maxCh, midCh;  // channels 0 R, 1 G, 2 B
      float w;
      if (dR == 0) {
        if (dG == 0 && dB == 0) continue;
        if (dG <= dB) { P = 2; X = 3; maxCh = 2; midCh = 1; w = float(1 - double(dG) / double(dB)); }
        else { P = 1; X = 3; maxCh = 1; midCh = 2; w = float(1 - double(dB) / double(dG)); }
      } else if (dB == 0) {
        if (dG > dR) { P = 1; X = 5; maxCh = 1; midCh = 0; w = float(1 - double(dR) / double(dG)); }
        else { P = 0; X = 5; maxCh = 0; midCh = 1; w = float(1 - double(dG) / double(dR)); }
      } else {
        if (dB >= dR) { P = 2; X = 4; maxCh = 2; midCh = 0; w = float(1 - double(dR) / double(dB)); }
        else { P = 0; X = 4; maxCh = 0; midCh = 2; w = float(1 - double(dB) / double(dR)); }
      }
      float in[3] = {R, G, B};
      float V = in[maxCh];
      float t = float(double(top(X)) + double(w) * (double(top(P)) - double(top(X))));
      float b = float(double(bottom(X)) + double(w) * (double(bottom(P)) - double(bottom(X))));
      float s = float(double(b) + (double(t) - double(b)) * (double(V) / 255));
      if (!(s > 0) || std::isinf(s)) continue;  // such pixels keep their colour
      float v1[3];
      v1[0] = float(((2.0 * R - G - B) * double(s) + S) / 3);
      v1[1] = float(((2.0 * G - R - B) * double(s) + S) / 3);
      v1[2] = float(((2.0 * B - R - G) * double(s) + S) / 3);
      float m1 = std::min({v1[0], v1[1], v1[2]});
      float K = float(double(v1[maxCh]) - double(m1));
      float v2[3] = {v1[0], v1[1], v1[2]};
      if (K > 0 && !std::isinf(K)) {
        float w1 = float(1 - (double(v1[midCh]) - double(m1)) / double(K));
        float a = float(double(K) / 255);
        if (std::isfinite(w1))
          for (int ch = 0; ch < 3; ++ch)
            v2[ch] = float(double(v1[ch]) + (double(shift(X, ch)) + double(w1) * (double(shift(P, ch)) -
                                                                                  double(shift(X, ch)))) *
                                                double(a));
      }
      uint8_t out[3];
      for (int ch = 0; ch < 3; ++ch) {
        float v = v2[ch];
        if (std::isnan(v) || v < 0) v = 0;
        if (v > 255) v = 255;
        out[ch] = uint8_t(int(double(v) + 0.5));
      }
      p[2] = out[0];
      p[1] = out[1];
      p[0] = out[2];
    }
  }
}

// ---- Conversion to head levels ----------------------------------------------------

inline int16_t LevelOf(double level) {
  double x = level + 0.5;
  if (std::isnan(x) || x < 0) return 0;
  if (x > 32767) return 32767;  // only the 16-bit bound; the level limit caps later
  return int16_t(int(x));
}

inline void Convert(const uint8_t* page, int16_t* planes) {
  if (g_Setup != 1) {
    for (int r = 0; r < 480; ++r)
      for (int c = 0; c < 640; ++c) {
        const uint8_t* p = page + r * kPageStride + c * 3;
        int16_t* e = El(planes, r, c);
        e[0] = int16_t(p[0] * 4);  // yellow from blue
        e[1] = int16_t(p[1] * 4);  // magenta from green
        e[2] = int16_t(p[2] * 4);  // cyan from red
      }
    return;
  }
  // dyes 0 cyan, 1 magenta, 2 yellow
  const char tdt[3] = {g_TDTC, g_TDTM, g_TDTY};
  const char tdb[3] = {g_TDBC, g_TDBM, g_TDBY};
  const double b32[3] = {double(g_RBase32), double(g_GBase32), double(g_BBase32)};
  const double b224[3] = {double(g_RBase224), double(g_GBase224), double(g_BBase224)};
  float gT[3], gB[3];
  bool gammaOk[3];
  for (int x = 0; x < 3; ++x) {
    double t32 = g_mediaTable.level[2 * x][MediaRankRow(tdt[x], 'D')];
    double t224 = g_mediaTable.level[2 * x + 1][MediaRankRow(tdb[x], 'D')];
    gT[x] = float(std::log10(t32) / std::log10(b32[x]));
    gB[x] = float(std::log10(t224) / std::log10(b224[x]));
    gammaOk[x] = t32 > 0 && t224 > 0 && b32[x] > 0 && b32[x] != 1 && b224[x] > 0 && b224[x] != 1;
  }
  // pairs per dye: {interferer, coefficient index, overlap}
  struct Pair { int y; int coef; double ov; };
  const Pair pairs[3][2] = {{{1, 0, double(g_OVrg)}, {2, 1, 1.0}},
                            {{2, 3, double(g_OVgb)}, {0, 2, 1.0}},
                            {{1, 5, double(g_OVbg)}, {0, 4, 1.0}}};
  float k1[3][2], k0[3][2];
  double h[3][2];
  for (int x = 0; x < 3; ++x)
    for (int j = 0; j < 2; ++j) {
      int y = pairs[x][j].y, ci = pairs[x][j].coef;
      double P = g_DensityCoef[ci], Q = g_DensityCoef[6 + ci], R = g_DensityCoef[12 + ci];
      double sen = g_mediaSensitivity[y];
      k1[x][j] = float(((double(gB[y]) / gB[x]) * Q - (double(gB[y]) / gT[x]) * sen * P) / 192);
      k0[x][j] = float(((double(gB[y]) / gB[x]) * Q * 32 - (double(gB[y]) / gT[x]) * sen * P * 224) / 192);
      h[x][j] = sen * R / (double(gT[y]) - double(gB[y]) + 1);
    }
  const int slot[3] = {2, 1, 0};  // element / pixel byte of each dye
  for (int r = 0; r < 480; ++r)
    for (int c = 0; c < 640; ++c) {
      const uint8_t* p = page + r * kPageStride + c * 3;
      int16_t* e = El(planes, r, c);
      for (int x = 0; x < 3; ++x) {
        int n = p[slot[x]];
        double sum = 0;
        for (int j = 0; j < 2; ++j) {
          int y = pairs[x][j].y;
          int m = p[slot[y]];
          const int16_t* T = g_mediaToneTables[y];
          double L32 = std::log10(double(T[32])), L224 = std::log10(double(T[224]));
          double v = T[m];
          bool pairOk = gammaOk[x] && gammaOk[y] && T[32] > 0 && T[224] > 0;
          bool logOk = m >= 32 ? v > 0 : v + 1 > 0;
          if (!pairOk || !logOk) continue;  // no logarithm: that pair drops out here
          double f = m >= 32 ? 1 - (1 - h[x][j]) * (L224 - std::log10(v)) / (L224 - L32)
                             : h[x][j] * std::log10(v + 1) / L32;
          double cc = n * double(k1[x][j]) - double(k0[x][j]);
          if (!std::isfinite(f) || !std::isfinite(cc)) continue;  // that pair drops out here
          sum += cc * f * pairs[x][j].ov;
        }
        e[slot[x]] = LevelOf(g_mediaToneTables[x][n] * (1 - sum));
      }
    }
}

// ---- Edge enhancement and level limit ---------------------------------------------

inline void Edges(const int16_t* luma, int16_t* planes) {
  if (g_Edge == 0) return;
  for (int i = 0; i < 480; ++i)
    for (int j = 0; j < 640; ++j) {
      if (i == 0 || i == 479 || j == 0 || j == 639) continue;
      auto Y = [&](int a, int b) { return int(luma[a * 640 + b]); };
      int L = 4 * Y(i, j) - Y(i - 1, j) - Y(i + 1, j) - Y(i, j - 1) - Y(i, j + 1);
      double x = std::clamp(L * double(g_EdgeEnhanceR) + 0.5, -32768.0, 32767.0);
      int d = int(x);
      for (int k = 0; k < 3; ++k) {
        int v = El(planes, i, j)[k] + d;
        El(planes, i, j)[k] = int16_t(std::clamp(v, 0, 32767));
      }
    }
}

inline void Limit(int16_t* planes) {
  for (int r = 0; r < 480; ++r)
    for (int c = 0; c < 640; ++c) {
      int16_t* e = El(planes, r, c);
      for (int k = 0; k < 3; ++k) {
        int dye = 2 - k;
        if (e[k] > int(uint16_t(g_mediaToneTables[dye][255]))) e[k] = g_mediaToneTables[dye][255];
      }
    }
}

// The six in the engine's order.
inline void AllSix(uint8_t* page, int16_t* luma, int16_t* planes) {
  Contrast(page);
  Saturation(page, luma);
  Hue(page);
  Convert(page, planes);
  Edges(luma, planes);
  Limit(planes);
}

// ---- Line data ---------------------------------------------------------------------

inline void LineData(int a, const int16_t* planes, uint8_t* lineBuffer) {
  std::memset(lineBuffer, 0xFF, 2 * kLineSlotBytes);
  // byte, element slot (0 yellow, 1 magenta, 2 cyan), delay, offset, rounding
  // (0 ceiling, 1 half up, 2 top, 3 floor)
  static const int rows[11][5] = {{8, 2, 0, 43, 0},  {1, 0, 10, 60, 0},  {15, 1, 10, 28, 0},
                                   {14, 1, 19, 77, 1}, {2, 0, 19, 45, 1},  {12, 2, 19, 13, 1},
                                   {13, 1, 29, 30, 2}, {5, 2, 29, 62, 2},  {11, 1, 38, 47, 3},
                                   {0, 2, 38, 79, 3},  {3, 0, 38, 15, 2}};
  int p = a % 2;
  for (const auto& row : rows) {
    int delay = row[2];
    if (!(delay <= a && a < 640 + delay)) continue;
    int c = a - delay;
    for (int i = 0; i < 480; ++i) {
      int v = planes[i * kPlaneStride + c * 3 + row[1]];
      v = std::clamp(v, 0, 1020);
      int q = v / 4, rem = v % 4;
      int out = q;
      if (row[4] == 0 && rem != 0) out = q + 1;
      if (row[4] == 1 && rem >= 2) out = q + 1;
      if (row[4] == 2 && rem == 3) out = q + 1;
      int s = p == 0 ? i + row[3] : 571 - (i + row[3]);
      lineBuffer[p * kLineSlotBytes + s * 16 + row[0]] = uint8_t(out);
    }
  }
}

}  // namespace plainpass
