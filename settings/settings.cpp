// The engine's tuning, read once at start-up from "\system\tyq00.ini" and
// "\system\basmedia.ini" under the Windows directory.
#include "settings/settings.h"

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ini_file.h"
#include "platform/paths.h"
#include "settings/settings_table.h"

// ---- The globals ----------------------------------------------------------------
// Defined without a value of their own: they are set from the table's defaults
// before main (see kAtDefaults below), so each default is written only there.
char g_sensC, g_sensM, g_sensY;
char g_TDTC, g_TDBC, g_TDTM, g_TDBM, g_TDTY, g_TDBY;

int16_t g_ColCorShift[18];
float g_ColCorSat[12];

int16_t g_Contrast;
int16_t g_ContrastBottom;
int16_t g_ContrastTop;
int16_t g_ContrastLeft;
int16_t g_ContrastRight;
int16_t g_Saturation;
float g_SatValue;
int16_t g_Color;
int16_t g_Setup;
int16_t g_Edge;
float g_EdgeEnhanceR;
char g_MatchFile[kSettingNameSize];
int32_t g_DigitalCamera;

int16_t g_RBase32, g_GBase32, g_BBase32;
int16_t g_RBase128, g_GBase128, g_BBase128;
int16_t g_RBase224, g_GBase224, g_BBase224;
float g_DensityCoef[18];
float g_OVbg, g_OVgb, g_OVrg;
float g_R4Ratio, g_G4Ratio, g_B4Ratio;
float g_R240Ratio, g_G240Ratio, g_B240Ratio;
float g_R256Ratio, g_G256Ratio, g_B256Ratio;
int32_t g_RLimit, g_GLimit, g_BLimit;

// ---- Reading -----------------------------------------------------------------------
namespace {

// Letters come through a two-byte buffer (one character and the zero), so a
// longer value keeps its first character and an empty one gives code 0.
void ReadLetter(const SettingDescriptor& s, const char* path) {
  char buf[2];
  GetPrivateProfileStringA(s.section, s.key, s.defaultText, buf, sizeof buf, path);
  *static_cast<char*>(s.address) =
      static_cast<char>(std::toupper(static_cast<unsigned char>(buf[0])));
}

// Shorts keep the low 16 bits of what the reader gives, read as signed.
void ReadShort(const SettingDescriptor& s, const char* path) {
  int32_t value = GetPrivateProfileIntA(s.section, s.key, std::atoi(s.defaultText), path);
  *static_cast<int16_t*>(s.address) = static_cast<int16_t>(static_cast<uint16_t>(value));
}

void ReadLong(const SettingDescriptor& s, const char* path) {
  *static_cast<int32_t*>(s.address) =
      GetPrivateProfileIntA(s.section, s.key, std::atoi(s.defaultText), path);
}

// Reals come through a 20-byte buffer (at most 19 characters). The default
// text goes in as the reader's default, so an absent key and a key holding the
// default text give the same float. Text that is not a number (or is "nan",
// "inf" or beyond the range of a float) leaves the setting at its default.
void ReadReal(const SettingDescriptor& s, const char* path) {
  char buf[20];
  GetPrivateProfileStringA(s.section, s.key, s.defaultText, buf, sizeof buf, path);
  float value = 0.0f;
  if (!ParseRealText(buf, &value) && !ParseRealText(s.defaultText, &value)) return;
  *static_cast<float*>(s.address) = value;
}

// Names come through their 15-byte buffer: longer values are cut to 14.
void ReadName(const SettingDescriptor& s, const char* path) {
  GetPrivateProfileStringA(s.section, s.key, s.defaultText, static_cast<char*>(s.address),
                           kSettingNameSize, path);
}

void SetDefault(const SettingDescriptor& s) {
  switch (s.kind) {
    case SettingKind::Letter:
      *static_cast<char*>(s.address) = s.defaultText[0];
      break;
    case SettingKind::Short:
      *static_cast<int16_t*>(s.address) = static_cast<int16_t>(std::atoi(s.defaultText));
      break;
    case SettingKind::Long:
      *static_cast<int32_t*>(s.address) = std::atoi(s.defaultText);
      break;
    case SettingKind::Real: {
      float value = 0.0f;
      ParseRealText(s.defaultText, &value);
      *static_cast<float*>(s.address) = value;
      break;
    }
    case SettingKind::Name: {
      char* name = static_cast<char*>(s.address);
      std::strncpy(name, s.defaultText, kSettingNameSize - 1);
      name[kSettingNameSize - 1] = '\0';
      break;
    }
  }
}

}  // namespace

void LoadSettings() {
  // Reals are read with a full stop whatever the user's locale says; the
  // user's locale is put back afterwards, whatever it was.
  const char* current = std::setlocale(LC_ALL, nullptr);
  std::string userLocale = current ? current : "";
  std::setlocale(LC_ALL, "C");

  char windowsDir[256];
  GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
  const std::string mainPath = std::string(windowsDir) + "\\system\\" + kMainSettingsFile;
  const std::string mediaPath = std::string(windowsDir) + "\\system\\" + kMediaSettingsFile;

  for (size_t i = 0; i < g_settingCount; ++i) {
    const SettingDescriptor& s = g_settingTable[i];
    const char* path = std::strcmp(s.file, kMediaSettingsFile) == 0 ? mediaPath.c_str() : mainPath.c_str();
    switch (s.kind) {
      case SettingKind::Letter: ReadLetter(s, path); break;
      case SettingKind::Short: ReadShort(s, path); break;
      case SettingKind::Long: ReadLong(s, path); break;
      case SettingKind::Real: ReadReal(s, path); break;
      case SettingKind::Name: ReadName(s, path); break;
    }
  }

  if (!userLocale.empty()) std::setlocale(LC_ALL, userLocale.c_str());
}

void ResetSettings() {
  for (size_t i = 0; i < g_settingCount; ++i) SetDefault(g_settingTable[i]);
}

namespace {

// The globals take the table's defaults when the program starts; the table is
// constant data, ready before any code runs.
[[maybe_unused]] const bool kAtDefaults = (ResetSettings(), true);

}  // namespace
