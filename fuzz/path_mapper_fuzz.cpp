// Windows paths from anywhere (settings, the command line's page names) into
// the disk: the mapping never leaves the root, and neither does a file
// opened through it, links on the way included. The disk holds links that
// stay inside and links that lead out.
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "fuzz_support.h"

namespace {

std::string RealRoot() {
  static const std::string real = [] {
    const fuzz::Disk& disk = fuzz::TheDisk();
    namespace fs = std::filesystem;
    const uint8_t text[] = "inside";
    disk.Write("windows/system/tyq00.ini", text, sizeof text - 1);
    fs::create_symlink("../windows/system", disk.Root() / "c" / "sys");
    fs::create_symlink("/etc", disk.Root() / "c" / "etc");
    fs::create_symlink("../../../../../../../../etc/hostname", disk.Root() / "c" / "host");
    fs::create_symlink(disk.Root() / "windows", disk.Root() / "c" / "win");
    return fs::canonical(disk.Root()).string();
  }();
  return real;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string root = RealRoot();
  const std::string path(reinterpret_cast<const char*>(data), size);
  const std::string mapped = MapWindowsPath(path.c_str());
  if (!mapped.empty()) {
    const std::string prefix = PathsRoot() + "/";
    if (mapped.compare(0, prefix.size(), prefix) != 0) fuzz::Fail("mapped outside the root");
    if (("/" + mapped + "/").find("/../") != std::string::npos) fuzz::Fail("a .. component survived");
  }
  FILE* file = OpenWindowsFile(path.c_str(), "rb");
  if (file == nullptr) return 0;
  char link[64], real[PATH_MAX];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fileno(file));
  const ssize_t n = readlink(link, real, sizeof real - 1);
  std::fclose(file);
  if (n <= 0) fuzz::Fail("opened file has no name");
  real[n] = '\0';
  if (std::string(real).compare(0, root.size() + 1, root + "/") != 0) fuzz::Fail("opened a file outside the root");
  return 0;
}
