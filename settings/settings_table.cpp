// Every setting of the two initialisation files with its name, kind and
// default, written here once: the globals start from these defaults,
// ResetSettings puts them back, LoadSettings hands them to the reader, and the
// tools list and write them from here.
#include "settings/settings_table.h"

#include <cstring>

#include "settings/settings.h"

namespace {

constexpr const char* kMainFile = kMainSettingsFile;
constexpr const char* kMediaFile = kMediaSettingsFile;

#define VYR_LETTER(section, key, def, var) {kMainFile, section, key, SettingKind::Letter, def, &(var)}
#define VYR_SHORT(file, section, key, def, var) {file, section, key, SettingKind::Short, def, &(var)}
#define VYR_LONG(file, section, key, def, var) {file, section, key, SettingKind::Long, def, &(var)}
#define VYR_REAL(file, section, key, def, var) {file, section, key, SettingKind::Real, def, &(var)}

}  // namespace

constinit const SettingDescriptor g_settingTable[] = {
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

const SettingDescriptor* FindSetting(const char* section, const char* key) {
  for (size_t i = 0; i < g_settingCount; ++i) {
    const SettingDescriptor& s = g_settingTable[i];
    if (std::strcmp(s.section, section) == 0 && std::strcmp(s.key, key) == 0) return &s;
  }
  return nullptr;
}
