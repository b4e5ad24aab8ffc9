// vyrtool init-root DIR: lays out an engine disk in DIR (for VYR_ROOT) from the
// installed defaults in <prefix>/share/vyr: the settings files, the media,
// temperature and colour-match tables and the test page go to
// DIR/windows/system, and an empty DIR/c waits for spooled pages. Files that
// are there already are kept, so a tuned disk is never overwritten.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/tool_commands.h"

namespace fs = std::filesystem;

namespace {

// <folder of this program>/../share/vyr, where the installation (and the
// build) puts the defaults.
fs::path DefaultsFolder() {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "/usr/share/vyr";
  return (self.parent_path().parent_path() / "share" / "vyr").lexically_normal();
}

}  // namespace

const ToolSyntax kInitRootTool = {
    .command = "init-root",
    .operands = "DIR",
    .minOperands = 1,
    .maxOperands = 1,
    .summary = "an engine disk in DIR from the installed default settings and tables",
    .details = "Copies the default settings files, tables and test page into DIR/windows/system\n"
               "and makes DIR/c for the spooled pages. Files already there are kept.\n",
    .options = nullptr,
    .optionCount = 0,
};

int RunInitRootTool(const ToolArgs& args) {
  const fs::path root = args.operands[0];
  const fs::path defaults = DefaultsFolder();
  std::error_code ec;
  if (!fs::is_directory(defaults, ec)) {
    std::fprintf(stderr, "vyrtool init-root: the default settings are missing (looked in %s)\n", defaults.c_str());
    return 1;
  }
  const fs::path system = root / "windows" / "system";
  fs::create_directories(system, ec);
  if (!ec) fs::create_directories(root / "c", ec);
  if (ec) {
    std::fprintf(stderr, "vyrtool init-root: cannot create %s: %s\n", root.c_str(), ec.message().c_str());
    return 1;
  }
  int copied = 0, kept = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(defaults, ec)) {
    if (!entry.is_regular_file()) continue;
    const fs::path target = system / entry.path().filename();
    if (fs::exists(fs::symlink_status(target))) {
      ++kept;
      continue;
    }
    if (!fs::copy_file(entry.path(), target, ec)) {
      std::fprintf(stderr, "vyrtool init-root: cannot write %s: %s\n", target.c_str(), ec.message().c_str());
      return 1;
    }
    ++copied;
  }
  if (ec) {
    std::fprintf(stderr, "vyrtool init-root: cannot read %s: %s\n", defaults.c_str(), ec.message().c_str());
    return 1;
  }
  std::printf("engine disk laid out in %s: %d default files copied", root.c_str(), copied);
  if (kept) std::printf(", %d already there kept", kept);
  std::printf("\n");
  return 0;
}
