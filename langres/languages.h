// The engine's languages, written once: the module that carries each one's
// resources (as the program asks for it), the language code of a Linux locale
// name that picks it, the English name the program's locale names then begin
// with ("German_DE.UTF-8"), and the copy label, which the program words
// itself. English is what any other locale gets. langres/CMakeLists.txt builds
// one module for each "vyr_....dll" named here.
#pragma once

struct Language {
  const char* module;     // "vyr_dut.dll"
  const char* code;       // "nl"
  const char* name;       // "Dutch"
  const char* copyLabel;  // format of "Copy 1 of 2": the copy, then the copies
};

inline constexpr Language kEnglish = {"vyr_eng.dll", "en", "English", "  Copy %d of %d"};
inline constexpr Language kLanguages[] = {
    {"vyr_dut.dll", "nl", "Dutch", "  Kopie %d van %d"},
    {"vyr_ger.dll", "de", "German", "  Kopie %d von %d"},
    {"vyr_spa.dll", "es", "Spanish", "  Copia %d de %d"},
    {"vyr_fre.dll", "fr", "French", "  Copier %d de %d"},
    {"vyr_ita.dll", "it", "Italian", "  Copia %d di %d"},
};
