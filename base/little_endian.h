// Little-endian fields of the files the engine reads and writes (bitmaps, the
// media table, the temperature file): integers least significant byte first,
// floats as the IEEE single whose bits such an integer holds.
#pragma once

#include <bit>
#include <cstdint>

inline uint16_t LoadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

inline uint32_t LoadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

inline float LoadLeFloat(const uint8_t* p) { return std::bit_cast<float>(LoadLe32(p)); }

inline void StoreLe16(uint8_t* p, uint16_t x) {
  p[0] = static_cast<uint8_t>(x);
  p[1] = static_cast<uint8_t>(x >> 8);
}

inline void StoreLe32(uint8_t* p, uint32_t x) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(x >> (8 * i));
}

inline void StoreLeFloat(uint8_t* p, float x) { StoreLe32(p, std::bit_cast<uint32_t>(x)); }
