// The engine's tuning, read once at start-up from "\system\tyq00.ini" and
// "\system\basmedia.ini" under the Windows directory.
#include "app/settings.h"

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/settings_table.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

// ---- The globals, each at its default ----------------------------------------
char g_sensC = 'G', g_sensM = 'G', g_sensY = 'G';
char g_TDTC = 'D', g_TDBC = 'D', g_TDTM = 'D', g_TDBM = 'D', g_TDTY = 'D', g_TDBY = 'D';

int16_t g_ColCorShift[18] = {};
float g_ColCorSat[12] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};

int16_t g_Contrast = 0;
int16_t g_ContrastBottom = 50;
int16_t g_ContrastTop = 200;
int16_t g_ContrastLeft = 30;
int16_t g_ContrastRight = 230;
int16_t g_Saturation = 0;
float g_SatValue = 2.0f;
int16_t g_Color = 1;
int16_t g_Setup = 1;
int16_t g_Edge = 2;
float g_EdgeEnhanceR = 0.40f;
char g_MatchFile[15] = "normal.cct";
int32_t g_DigitalCamera = 0;

int16_t g_RBase32 = 100, g_GBase32 = 100, g_BBase32 = 100;
int16_t g_RBase128 = 200, g_GBase128 = 200, g_BBase128 = 200;
int16_t g_RBase224 = 300, g_GBase224 = 300, g_BBase224 = 300;
float g_DensityCoef[18] = {};
float g_OVbg = 1.0f, g_OVgb = 1.0f, g_OVrg = 1.0f;
float g_R4Ratio = 0.7f, g_G4Ratio = 0.7f, g_B4Ratio = 0.7f;
float g_R240Ratio = 1.2f, g_G240Ratio = 1.2f, g_B240Ratio = 1.2f;
float g_R256Ratio = 1.4f, g_G256Ratio = 1.4f, g_B256Ratio = 1.4f;
int32_t g_RLimit = 1019, g_GLimit = 1019, g_BLimit = 1019;

// ---- The table -----------------------------------------------------------------
namespace {

constexpr const char* kMainFile = "tyq00.ini";
constexpr const char* kMediaFile = "basmedia.ini";

#define VYR_LETTER(section, key, def, var) {kMainFile, section, key, SettingKind::Letter, def, &(var)}
#define VYR_SHORT(file, section, key, def, var) {file, section, key, SettingKind::Short, def, &(var)}
#define VYR_LONG(file, section, key, def, var) {file, section, key, SettingKind::Long, def, &(var)}
#define VYR_REAL(file, section, key, def, var) {file, section, key, SettingKind::Real, def, &(var)}

}  // namespace

const SettingDescriptor g_settingTable[] = {
    VYR_LETTER("MediaRank", "sensC", "G", g_sensC),
    VYR_LETTER("MediaRank", "sensM", "G", g_sensM),
    VYR_LETTER("MediaRank", "sensY", "G", g_sensY),
    VYR_LETTER("MediaRank", "TDTC", "D", g_TDTC),
    VYR_LETTER("MediaRank", "TDBC", "D", g_TDBC),
    VYR_LETTER("MediaRank", "TDTM", "D", g_TDTM),
    VYR_LETTER("MediaRank", "TDBM", "D", g_TDBM),
    VYR_LETTER("MediaRank", "TDTY", "D", g_TDTY),
    VYR_LETTER("MediaRank", "TDBY", "D", g_TDBY),

    VYR_SHORT(kMainFile, "ColCorPalam", "Rr", "0", g_ColCorShift[0]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Rg", "0", g_ColCorShift[1]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Rb", "0", g_ColCorShift[2]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Gr", "0", g_ColCorShift[3]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Gg", "0", g_ColCorShift[4]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Gb", "0", g_ColCorShift[5]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Br", "0", g_ColCorShift[6]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Bg", "0", g_ColCorShift[7]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Bb", "0", g_ColCorShift[8]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Cr", "0", g_ColCorShift[9]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Cg", "0", g_ColCorShift[10]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Cb", "0", g_ColCorShift[11]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Mr", "0", g_ColCorShift[12]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Mg", "0", g_ColCorShift[13]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Mb", "0", g_ColCorShift[14]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Yr", "0", g_ColCorShift[15]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Yg", "0", g_ColCorShift[16]),
    VYR_SHORT(kMainFile, "ColCorPalam", "Yb", "0", g_ColCorShift[17]),

    VYR_REAL(kMainFile, "ColCorPalam", "Srt", "1.0", g_ColCorSat[0]),
    VYR_REAL(kMainFile, "ColCorPalam", "Sgt", "1.0", g_ColCorSat[1]),
    VYR_REAL(kMainFile, "ColCorPalam", "Sbt", "1.0", g_ColCorSat[2]),
    VYR_REAL(kMainFile, "ColCorPalam", "Sct", "1.0", g_ColCorSat[3]),
    VYR_REAL(kMainFile, "ColCorPalam", "Smt", "1.0", g_ColCorSat[4]),
    VYR_REAL(kMainFile, "ColCorPalam", "Syt", "1.0", g_ColCorSat[5]),
    VYR_REAL(kMainFile, "ColCorPalam", "Srb", "1.0", g_ColCorSat[6]),
    VYR_REAL(kMainFile, "ColCorPalam", "Sgb", "1.0", g_ColCorSat[7]),
    VYR_REAL(kMainFile, "ColCorPalam", "Sbb", "1.0", g_ColCorSat[8]),
    VYR_REAL(kMainFile, "ColCorPalam", "Scb", "1.0", g_ColCorSat[9]),
    VYR_REAL(kMainFile, "ColCorPalam", "Smb", "1.0", g_ColCorSat[10]),
    VYR_REAL(kMainFile, "ColCorPalam", "Syb", "1.0", g_ColCorSat[11]),

    VYR_SHORT(kMainFile, "Image", "Contrast", "0", g_Contrast),
    VYR_SHORT(kMainFile, "Image", "ContrastBottom", "50", g_ContrastBottom),
    VYR_SHORT(kMainFile, "Image", "ContrastTop", "200", g_ContrastTop),
    VYR_SHORT(kMainFile, "Image", "ContrastLeft", "30", g_ContrastLeft),
    VYR_SHORT(kMainFile, "Image", "ContrastRight", "230", g_ContrastRight),
    VYR_SHORT(kMainFile, "Image", "Saturation", "0", g_Saturation),
    VYR_REAL(kMainFile, "Image", "SatValue", "2.0", g_SatValue),
    VYR_SHORT(kMainFile, "Image", "Color", "1", g_Color),
    VYR_SHORT(kMainFile, "Image", "Setup", "1", g_Setup),
    VYR_SHORT(kMainFile, "Image", "Edge", "2", g_Edge),
    VYR_REAL(kMainFile, "Image", "EdgeEnhanceR", "0.40", g_EdgeEnhanceR),
    {kMainFile, "Image", "MatchFile", SettingKind::Name, "normal.cct", g_MatchFile},
    VYR_LONG(kMainFile, "Image", "DigitalCamera", "0", g_DigitalCamera),

    VYR_SHORT(kMediaFile, "BaseMedia", "RBase32", "100", g_RBase32),
    VYR_SHORT(kMediaFile, "BaseMedia", "GBase32", "100", g_GBase32),
    VYR_SHORT(kMediaFile, "BaseMedia", "BBase32", "100", g_BBase32),
    VYR_SHORT(kMediaFile, "BaseMedia", "RBase128", "200", g_RBase128),
    VYR_SHORT(kMediaFile, "BaseMedia", "GBase128", "200", g_GBase128),
    VYR_SHORT(kMediaFile, "BaseMedia", "BBase128", "200", g_BBase128),
    VYR_SHORT(kMediaFile, "BaseMedia", "RBase224", "300", g_RBase224),
    VYR_SHORT(kMediaFile, "BaseMedia", "GBase224", "300", g_GBase224),
    VYR_SHORT(kMediaFile, "BaseMedia", "BBase224", "300", g_BBase224),
    VYR_REAL(kMediaFile, "BaseMedia", "Prg", "0", g_DensityCoef[0]),
    VYR_REAL(kMediaFile, "BaseMedia", "Prb", "0", g_DensityCoef[1]),
    VYR_REAL(kMediaFile, "BaseMedia", "Pgr", "0", g_DensityCoef[2]),
    VYR_REAL(kMediaFile, "BaseMedia", "Pgb", "0", g_DensityCoef[3]),
    VYR_REAL(kMediaFile, "BaseMedia", "Pbr", "0", g_DensityCoef[4]),
    VYR_REAL(kMediaFile, "BaseMedia", "Pbg", "0", g_DensityCoef[5]),
    VYR_REAL(kMediaFile, "BaseMedia", "Qrg", "0", g_DensityCoef[6]),
    VYR_REAL(kMediaFile, "BaseMedia", "Qrb", "0", g_DensityCoef[7]),
    VYR_REAL(kMediaFile, "BaseMedia", "Qgr", "0", g_DensityCoef[8]),
    VYR_REAL(kMediaFile, "BaseMedia", "Qgb", "0", g_DensityCoef[9]),
    VYR_REAL(kMediaFile, "BaseMedia", "Qbr", "0", g_DensityCoef[10]),
    VYR_REAL(kMediaFile, "BaseMedia", "Qbg", "0", g_DensityCoef[11]),
    VYR_REAL(kMediaFile, "BaseMedia", "Rrg", "0", g_DensityCoef[12]),
    VYR_REAL(kMediaFile, "BaseMedia", "Rrb", "0", g_DensityCoef[13]),
    VYR_REAL(kMediaFile, "BaseMedia", "Rgr", "0", g_DensityCoef[14]),
    VYR_REAL(kMediaFile, "BaseMedia", "Rgb", "0", g_DensityCoef[15]),
    VYR_REAL(kMediaFile, "BaseMedia", "Rbr", "0", g_DensityCoef[16]),
    VYR_REAL(kMediaFile, "BaseMedia", "Rbg", "0", g_DensityCoef[17]),
    VYR_REAL(kMediaFile, "BaseMedia", "OVbg", "1.0", g_OVbg),
    VYR_REAL(kMediaFile, "BaseMedia", "OVgb", "1.0", g_OVgb),
    VYR_REAL(kMediaFile, "BaseMedia", "OVrg", "1.0", g_OVrg),
    VYR_REAL(kMediaFile, "BaseMedia", "R4Ratio", "0.7", g_R4Ratio),
    VYR_REAL(kMediaFile, "BaseMedia", "G4Ratio", "0.7", g_G4Ratio),
    VYR_REAL(kMediaFile, "BaseMedia", "B4Ratio", "0.7", g_B4Ratio),
    VYR_REAL(kMediaFile, "BaseMedia", "R240Ratio", "1.2", g_R240Ratio),
    VYR_REAL(kMediaFile, "BaseMedia", "G240Ratio", "1.2", g_G240Ratio),
    VYR_REAL(kMediaFile, "BaseMedia", "B240Ratio", "1.2", g_B240Ratio),
    VYR_REAL(kMediaFile, "BaseMedia", "R256Ratio", "1.4", g_R256Ratio),
    VYR_REAL(kMediaFile, "BaseMedia", "G256Ratio", "1.4", g_G256Ratio),
    VYR_REAL(kMediaFile, "BaseMedia", "B256Ratio", "1.4", g_B256Ratio),
    VYR_LONG(kMediaFile, "BaseMedia", "RLimit", "1019", g_RLimit),
    VYR_LONG(kMediaFile, "BaseMedia", "GLimit", "1019", g_GLimit),
    VYR_LONG(kMediaFile, "BaseMedia", "BLimit", "1019", g_BLimit),
};

#undef VYR_LETTER
#undef VYR_SHORT
#undef VYR_LONG
#undef VYR_REAL

const size_t g_settingCount = sizeof g_settingTable / sizeof g_settingTable[0];

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
  const std::string mainPath = std::string(windowsDir) + "\\system\\tyq00.ini";
  const std::string mediaPath = std::string(windowsDir) + "\\system\\basmedia.ini";

  for (size_t i = 0; i < g_settingCount; ++i) {
    const SettingDescriptor& s = g_settingTable[i];
    const char* path = std::strcmp(s.file, kMediaFile) == 0 ? mediaPath.c_str() : mainPath.c_str();
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
