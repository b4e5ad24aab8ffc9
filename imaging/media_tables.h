// The media table ("\system\media.rtb") and the three tone tables built from it
// and the BaseMedia settings.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kMediaRows = 30;

// The 720-byte file image: nine columns of 30 rows, as they lie in the file.
struct MediaTable {
  float sensitivity[3][kMediaRows];  // cyan, magenta, yellow
  int16_t level[6][kMediaRows];      // cyan@32, cyan@224, magenta@32, magenta@224, yellow@32, yellow@224
};
constexpr size_t kMediaFileBytes = 720;
static_assert(sizeof(MediaTable) == kMediaFileBytes);
extern MediaTable g_mediaTable;

// The table from its kMediaFileBytes file bytes, and back: the one layout
// the engine reads and vyrtool make-demo writes.
void DecodeMediaTable(const uint8_t* bytes, MediaTable& table);
void EncodeMediaTable(const MediaTable& table, uint8_t* bytes);

// Picked sensitivities: cyan, magenta, yellow.
extern float g_mediaSensitivity[3];
// Tone tables: cyan, magenta, yellow; entry n = head level for page value n,
// entry 256 closes the last interval.
extern int16_t g_mediaToneTables[3][257];

// Reads the media table; defaults (and IDS_MEDIA_TABLE_MISSING or IDS_MEDIA_TABLE_SHORT) when it cannot.
void LoadMediaTable();
// Builds g_mediaSensitivity and g_mediaToneTables.
void BuildMediaToneTables();

// The row a media rank letter picks (letter - 'A'), or the row of `fallback`
// for a letter outside 'A'..'^'.
int MediaRankRow(char letter, char fallback);
