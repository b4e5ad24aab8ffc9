// Every setting of the two initialisation files, described once: where it is
// read from, its kind, its default text and the global it fills. The globals
// start at these defaults, LoadSettings reads in this order, and the tools list
// the settings and write settings files from it.
#pragma once

#include <cstddef>

// The two files, in the system directory under the Windows directory.
constexpr const char* kMainSettingsFile = "tyq00.ini";    // media rows, colour correction, image
constexpr const char* kMediaSettingsFile = "basmedia.ini";  // media base values

enum class SettingKind { Letter, Short, Long, Real, Name };

struct SettingDescriptor {
  const char* file;         // kMainSettingsFile or kMediaSettingsFile
  const char* section;      // e.g. "Image"
  const char* key;          // e.g. "SatValue"
  SettingKind kind;
  const char* defaultText;  // as passed to the reader ("G", "200", "0.40", "normal.cct")
  void* address;            // char, int16_t, int32_t, float or char[15]
};

extern const SettingDescriptor g_settingTable[];
extern const size_t g_settingCount;

// The entry of `key` in `section` (names as the table writes them), or nullptr.
const SettingDescriptor* FindSetting(const char* section, const char* key);

// Size of a Name setting's buffer: 14 characters and the terminating zero.
constexpr unsigned kSettingNameSize = 15;
