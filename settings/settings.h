// The engine's tuning: one global per key of the two initialisation files
// under the Windows directory, "\system\tyq00.ini" (media selection, colour
// correction, image enhancement) and "\system\basmedia.ini" (media base
// values). Each holds its default until LoadSettings has read the files once at
// start-up; nothing changes them afterwards. Every key's default is written in
// settings_table.cpp and nowhere else (`vyrtool settings` lists them).
//
// Kinds: Letter (one upper-cased character, 0 when empty), Short (low 16 bits,
// signed), Long (32 bits), Real (single float, read with a full stop whatever
// the locale), Name (at most 14 characters).
#pragma once

#include <cstdint>

// ---- tyq00.ini, section MediaRank: rows of the media table (Letter) --------
extern char g_sensC, g_sensM, g_sensY;                       // sensitivity row per colour
extern char g_TDTC, g_TDBC, g_TDTM, g_TDBM, g_TDTY, g_TDBY;  // level rows, two per colour

// ---- tyq00.ini, section ColCorPalam ------------------------------------------
// Hue-anchor shifts (Short), in this order:
// Rr Rg Rb Gr Gg Gb Br Bg Bb Cr Cg Cb Mr Mg Mb Yr Yg Yb
extern int16_t g_ColCorShift[18];
// Hue-anchor saturation factors (Real), in this order:
// Srt Sgt Sbt Sct Smt Syt Srb Sgb Sbb Scb Smb Syb
extern float g_ColCorSat[12];

// ---- tyq00.ini, section Image ------------------------------------------------
extern int16_t g_Contrast;
extern int16_t g_ContrastBottom;
extern int16_t g_ContrastTop;
extern int16_t g_ContrastLeft;
extern int16_t g_ContrastRight;
extern int16_t g_Saturation;
extern float g_SatValue;
extern int16_t g_Color;
extern int16_t g_Setup;
extern int16_t g_Edge;
extern float g_EdgeEnhanceR;
extern char g_MatchFile[15];
extern int32_t g_DigitalCamera;

// ---- basmedia.ini, section BaseMedia -------------------------------------------
// R, G and B name the cyan, magenta and yellow planes.
extern int16_t g_RBase32, g_GBase32, g_BBase32;
extern int16_t g_RBase128, g_GBase128, g_BBase128;
extern int16_t g_RBase224, g_GBase224, g_BBase224;
// Media-density conversion coefficients (Real), in this order:
// Prg Prb Pgr Pgb Pbr Pbg Qrg Qrb Qgr Qgb Qbr Qbg Rrg Rrb Rgr Rgb Rbr Rbg
extern float g_DensityCoef[18];
extern float g_OVbg, g_OVgb, g_OVrg;
extern float g_R4Ratio, g_G4Ratio, g_B4Ratio;
extern float g_R240Ratio, g_G240Ratio, g_B240Ratio;
extern float g_R256Ratio, g_G256Ratio, g_B256Ratio;
extern int32_t g_RLimit, g_GLimit, g_BLimit;

// Reads both files once (missing files, sections and keys leave defaults).
void LoadSettings();
// Puts every setting back to its default (tests, tools).
void ResetSettings();
