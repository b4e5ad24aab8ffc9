// SHA-256 of a byte string, for the transcript's fingerprints of long blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Lower-case hexadecimal digest (64 characters).
std::string Sha256Hex(const uint8_t* data, size_t bytes);
