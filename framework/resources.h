// What a resource module holds and exports: numbered strings, dialog
// templates and icons, all plain constant data. Every language module
// (vyr_eng.so ... vyr_ita.so) exports one table under the C name
// "VyrResources"; the program registers its own (which holds icon 128 only).
#pragma once

#include <cstdint>

extern "C" {

struct VyrStringResource {
  uint32_t id;
  const char* text;  // UTF-8
};

enum VyrItemKind : uint32_t { kVyrItemProgress = 1, kVyrItemStatic = 2, kVyrItemButton = 3 };

struct VyrDialogItem {
  uint32_t id;  // dialog item number (1001 progress bar, 1002/1003 texts, 1 OK)
  uint32_t kind;
  const char* text;  // initial text (button caption, static text)
  int16_t x, y, cx, cy;  // layout in dialog units
};

struct VyrDialogTemplate {
  uint32_t id;
  const char* caption;
  int16_t cx, cy;
  const VyrDialogItem* items;
  uint32_t itemCount;
};

// An icon as a small picture: `height` rows of `width` characters, each a
// palette letter (' ' transparent); `palette` maps letters to 0xRRGGBB.
struct VyrIconResource {
  uint32_t id;
  uint16_t width, height;
  const char* const* rows;
  const char* paletteLetters;
  const uint32_t* paletteColours;
};

struct VyrResourceTable {
  const char* language;  // "English", "Nederlands", ...
  const VyrStringResource* strings;
  uint32_t stringCount;
  const VyrDialogTemplate* dialogs;
  uint32_t dialogCount;
  const VyrIconResource* icons;
  uint32_t iconCount;
};

// The export of every resource module.
typedef const VyrResourceTable* (*VyrResourcesFn)(void);
}

// Lookups in the current resource module (see AfxSetResourceHandle); nullptr
// when it has no such resource.
const char* AfxFindString(uint32_t id);
const VyrDialogTemplate* AfxFindDialog(uint32_t id);
const VyrIconResource* AfxFindIcon(uint32_t id);
// The program's own module: registered once at start (icon 128).
void AfxSetProgramResources(const VyrResourceTable* table);
