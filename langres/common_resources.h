// What every language module carries alike: the layout of the progress dialog
// (template 102) and the printer icon (128). Only the texts differ between
// the languages. The program's own resources reuse the icon.
#pragma once

#include <array>
#include <cstdint>

#include "base/resource_ids.h"
#include "framework/resources.h"

constexpr uint32_t kProgressDialogId = IDD_PRINT_DIALOG;
constexpr uint32_t kPrinterIconId = IDR_MAINFRAME;

// Dialog units; the window back end scales them.
constexpr int16_t kProgressDialogWidth = 200;
constexpr int16_t kProgressDialogHeight = 66;

// Items 1001 (progress bar), 1003 (percentage), 1002 (elapsed time) and the
// OK button (command id 1), whose caption is the language's.
constexpr std::array<VyrDialogItem, 4> ProgressDialogItems(const char* okText) {
  return {{
      {IDC_PROGRESS, kVyrItemProgress, "", 10, 10, 180, 12},
      {IDC_PERCENT_TEXT, kVyrItemStatic, "0%", 10, 28, 40, 10},
      {IDC_ELAPSED_TEXT, kVyrItemStatic, "00: 00: 00", 110, 28, 80, 10},
      {1, kVyrItemButton, okText, 145, 44, 45, 14},
  }};
}

// A 16 x 16 printer: grey body with a green lamp, a sheet in the paper slot
// on top and a printed sheet coming out below.
inline constexpr const char* kPrinterIconRows[16] = {
    "    kkkkkkkk    ",
    "    kwwwwwwk    ",
    "    kwccmmwk    ",
    "    kwyyccwk    ",
    "  kkkkkkkkkkkk  ",
    " kggggggggggggk ",
    " kggggggggggggk ",
    " kgggggggggglgk ",
    " kggggggggggggk ",
    " kddddddddddddk ",
    " kdkkkkkkkkkkdk ",
    " kdkwwwwwwwwkdk ",
    " kkkwccmmyywkkk ",
    "   kwwwwwwwwk   ",
    "   kkkkkkkkkk   ",
    "                ",
};
inline constexpr char kPrinterIconLetters[] = "kwgdlcmy";
inline constexpr uint32_t kPrinterIconColours[] = {
    0x202020,  // k outline
    0xFFFFFF,  // w paper
    0xB4B4B4,  // g body
    0x646464,  // d paper exit
    0x30C040,  // l power lamp
    0x00A0E0,  // c cyan
    0xE0007A,  // m magenta
    0xF0D000,  // y yellow
};
inline constexpr VyrIconResource kPrinterIcons[1] = {
    {kPrinterIconId, 16, 16, kPrinterIconRows, kPrinterIconLetters, kPrinterIconColours},
};

// Every module's table has the same shape.
#define VYR_RESOURCE_TABLE(language, strings, dialogs)                                         \
  VyrResourceTable {                                                                          \
    language, strings, static_cast<uint32_t>(sizeof strings / sizeof strings[0]), dialogs,     \
        static_cast<uint32_t>(sizeof dialogs / sizeof dialogs[0]), kPrinterIcons,              \
        static_cast<uint32_t>(sizeof kPrinterIcons / sizeof kPrinterIcons[0])                  \
  }

#define VYR_EXPORT __attribute__((visibility("default")))
