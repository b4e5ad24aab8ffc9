// vyrtool settings [--root DIR]: every setting as the engine will see it, one
// "section key value" line per key in the order the engine reads them. The
// files are read from DIR/windows/system/ (or under VYR_ROOT).
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "settings/settings.h"
#include "platform/paths.h"
#include "settings/settings_table.h"
#include "tools/tool_commands.h"

namespace {

std::string SettingValueText(const SettingDescriptor& s) {
  switch (s.kind) {
    case SettingKind::Letter: {
      char c = *static_cast<const char*>(s.address);
      return c ? std::string(1, c) : std::string();
    }
    case SettingKind::Short:
      return std::to_string(*static_cast<const int16_t*>(s.address));
    case SettingKind::Long:
      return std::to_string(*static_cast<const int32_t*>(s.address));
    case SettingKind::Real: {
      // The shortest text that reads back as the same float.
      char buf[32];
      auto result = std::to_chars(buf, buf + sizeof buf, *static_cast<const float*>(s.address));
      return std::string(buf, result.ptr);
    }
    case SettingKind::Name:
      return static_cast<const char*>(s.address);
  }
  return {};
}

}  // namespace

int RunSettingsTool(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--root") == 0 && i + 1 < argc) {
      PathsSetRoot(argv[++i]);
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf("usage: vyrtool settings [--root DIR]\n"
                  "Prints every setting the print engine will use, as \"section key value\",\n"
                  "read from DIR/windows/system/tyq00.ini and basmedia.ini (default: VYR_ROOT).\n");
      return 0;
    } else {
      std::fprintf(stderr, "vyrtool settings: unexpected argument \"%s\"\n", argv[i]);
      std::fprintf(stderr, "usage: vyrtool settings [--root DIR]\n");
      return 2;
    }
  }
  LoadSettings();
  for (size_t i = 0; i < g_settingCount; ++i) {
    const SettingDescriptor& s = g_settingTable[i];
    std::string value = SettingValueText(s);
    if (value.empty())
      std::printf("%s %s\n", s.section, s.key);
    else
      std::printf("%s %s %s\n", s.section, s.key, value.c_str());
  }
  return std::ferror(stdout) ? 1 : 0;
}
