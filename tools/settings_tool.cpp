// vyrtool settings [--root DIR]: every setting as the engine will see it, one
// "section key value" line per key in the order the engine reads them. The
// files are read from DIR/windows/system/ (or under VYR_ROOT).
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

#include "platform/paths.h"
#include "settings/settings.h"
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

const ToolOption kSettingsOptions[] = {
    {"root", 'r', "DIR", "the engine disk to read (default: VYR_ROOT)"},
};

const ToolSyntax kSettingsTool = {
    .command = "settings",
    .operands = "",
    .minOperands = 0,
    .maxOperands = 0,
    .summary = "every setting the engine will use, as \"section key value\" lines",
    .details = "The settings are read from DIR/windows/system/tyq00.ini and basmedia.ini; a\n"
               "missing file or key gives the engine's default.\n",
    .options = kSettingsOptions,
    .optionCount = std::size(kSettingsOptions),
};

int RunSettingsTool(const ToolArgs& args) {
  if (const char* root = args.Get("root")) {
    // A folder that is no engine disk gives every default, which looks like
    // a listing of the folder: say so.
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::path(root) / "windows" / "system", ec))
      std::fprintf(stderr, "vyrtool settings: %s has no windows/system folder; every setting is its default\n",
                   root);
    PathsSetRoot(root);
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
