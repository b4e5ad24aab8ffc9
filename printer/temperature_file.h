// The head temperature file "\system\tempera.tur": three curves (cyan,
// magenta, yellow) of kTemperaturePoints little-endian floats each, one after
// the other, 852 bytes. The engine reads it and vyrtool make-demo writes it
// through these two functions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/little_endian.h"
#include "base/printer_protocol.h"

constexpr int kTemperatureFileBytes = 3 * kTemperaturePoints * 4;

inline size_t TemperatureFileOffset(int colour, int point) {
  return 4 * static_cast<size_t>(colour * kTemperaturePoints + point);
}

inline void DecodeTemperatureFile(const uint8_t* bytes, float (&curves)[3][kTemperaturePoints]) {
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < kTemperaturePoints; ++i) curves[c][i] = LoadLeFloat(bytes + TemperatureFileOffset(c, i));
}

inline void EncodeTemperatureFile(const float (&curves)[3][kTemperaturePoints], uint8_t* bytes) {
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < kTemperaturePoints; ++i) StoreLeFloat(bytes + TemperatureFileOffset(c, i), curves[c][i]);
}
