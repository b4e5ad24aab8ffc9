// Initialisation files, read the way the engine's settings always were:
// section and key names without regard to case, blanks (spaces and tabs)
// around section names, keys and values dropped, one pair of surrounding
// quotes removed, ';' comment lines, the first matching key wins, and only the
// first section of a name is searched. A missing file, section or key gives
// the default. `path` is a Windows path (see paths.h).
#pragma once

#include <cstdint>

// Copies the value (or `defaultText` when absent) into buf, cut to size - 1
// characters and zero-terminated; returns the number of characters copied.
unsigned GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                                  char* buf, unsigned size, const char* path);

// An optional sign and decimal digits up to the first other character (no
// digits gives 0; the value wraps modulo 2^32 like the original reader);
// `defaultValue` when the key is absent.
int32_t GetPrivateProfileIntA(const char* section, const char* key, int32_t defaultValue,
                              const char* path);

// The longest leading decimal number of `text` with a full stop as the
// decimal separator, whatever the locale ("1.5x" gives 1.5). Never reads
// "nan", "inf" or hexadecimal. Returns false, leaving *value alone, when the
// text does not begin with a number or the number does not fit a float.
bool ParseRealText(const char* text, float* value);
