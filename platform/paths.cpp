// A disk in a folder: Windows paths of the engine mapped under VYR_ROOT.
//
//   C:\WINDOWS\SYSTEM\...  -> $VYR_ROOT/windows/system/...
//   C:\WINDOWS\...         -> $VYR_ROOT/windows/...
//   C:\...                 -> $VYR_ROOT/c/...
//
// The longest prefix wins, prefixes are matched whole component by whole
// component without regard to case, and the rest keeps its case. Both '\\'
// and '/' separate components (Windows takes either). Anything that could
// leave the root - a ".." component, another drive, a drive-relative or UNC
// path, a path with no drive - maps to "" and so counts as a missing file.
// Files are opened and deleted beneath the root (beneath_root.h), so a
// symbolic link cannot lead out of it either.
#include "platform/paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/beneath_root.h"

namespace {

constexpr const char* kDefaultRoot = "/var/lib/vyr";
constexpr const char* kWindowsDirName = "C:\\WINDOWS";
constexpr const char* kSystemDirName = "C:\\WINDOWS\\SYSTEM";

std::mutex g_rootMutex;
std::string g_rootOverride;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// Drops trailing slashes so "<root>/c" is always built with one slash; "/" stays.
std::string WithoutTrailingSlash(std::string root) {
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

unsigned CopyName(const char* name, char* buf, unsigned size) {
  size_t length = std::strlen(name);
  if (buf == nullptr || size <= length) {
    // Too small: like the Windows calls, report the size needed (with the
    // terminating zero); unlike them, leave an empty string rather than
    // whatever the buffer held, so a caller that appends to it stays safe.
    if (buf != nullptr && size > 0) buf[0] = '\0';
    return static_cast<unsigned>(length + 1);
  }
  std::memcpy(buf, name, length + 1);
  return static_cast<unsigned>(length);
}

// open(2) flags for an fopen mode ("r", "rb", "w+", "ab" ...); -1 when the
// mode is not one fopen knows.
int OpenFlagsFor(const char* mode) {
  if (mode == nullptr) return -1;
  bool plus = std::strchr(mode, '+') != nullptr;
  switch (mode[0]) {
    case 'r': return plus ? O_RDWR : O_RDONLY;
    case 'w': return (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    case 'a': return (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    default: return -1;
  }
}

// The path beneath the root for a Windows path ("c/abx.1"), false when it has
// none.
bool MapBeneathRoot(const char* windowsPath, std::string* relative) {
  if (windowsPath == nullptr) return false;
  std::string_view path(windowsPath);
  // Only drive C:, and only as an absolute path ("C:abx.1" is relative to the
  // drive's current directory, which this disk does not have).
  if (path.size() < 3 || AsciiUpper(path[0]) != 'C' || path[1] != ':' || !IsSeparator(path[2]))
    return false;

  std::vector<std::string_view> parts;
  size_t pos = 3;
  while (pos <= path.size()) {
    size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string_view part = path.substr(pos, end - pos);
    if (part == "..") return false;
    if (!part.empty() && part != ".") parts.push_back(part);
    pos = end + 1;
  }

  size_t first = 0;
  if (!parts.empty() && EqualsNoCase(parts[0], "WINDOWS")) {
    *relative = "windows";
    first = 1;
    if (parts.size() > 1 && EqualsNoCase(parts[1], "SYSTEM")) {
      *relative += "/system";
      first = 2;
    }
  } else {
    *relative = "c";
  }
  for (size_t i = first; i < parts.size(); ++i) {
    *relative += '/';
    *relative += parts[i];
  }
  return true;
}

}  // namespace

unsigned GetWindowsDirectoryA(char* buf, unsigned size) { return CopyName(kWindowsDirName, buf, size); }

unsigned GetSystemDirectoryA(char* buf, unsigned size) { return CopyName(kSystemDirName, buf, size); }

std::string PathsRoot() {
  {
    std::lock_guard<std::mutex> lock(g_rootMutex);
    if (!g_rootOverride.empty()) return g_rootOverride;
  }
  const char* env = std::getenv("VYR_ROOT");
  if (env != nullptr && *env != '\0') return WithoutTrailingSlash(env);
  return kDefaultRoot;
}

void PathsSetRoot(const std::string& root) {
  std::lock_guard<std::mutex> lock(g_rootMutex);
  g_rootOverride = root.empty() ? std::string() : WithoutTrailingSlash(root);
}

std::string MapWindowsPath(const char* windowsPath) {
  std::string relative;
  if (!MapBeneathRoot(windowsPath, &relative)) return "";
  std::string mapped = PathsRoot();
  if (mapped.back() != '/') mapped += '/';
  return mapped + relative;
}

bool IsPlainFileName(const char* name) {
  if (name == nullptr || *name == '\0') return false;
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
  return std::strpbrk(name, "/\\") == nullptr;
}

FILE* OpenWindowsFile(const char* windowsPath, const char* mode) {
  std::string relative;
  const bool mapped = MapBeneathRoot(windowsPath, &relative);
  int flags = OpenFlagsFor(mode);
  if (!mapped || flags < 0) {
    errno = mapped ? EINVAL : ENOENT;
    return nullptr;
  }
  // Non-blocking open, so that a FIFO or device planted under a data file's
  // name cannot hang the engine; only regular files are data files.
  int fd = OpenBeneath(PathsRoot(), relative, flags | O_NONBLOCK, 0644);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    int error = S_ISDIR(st.st_mode) ? EISDIR : ENOENT;
    close(fd);
    errno = error;
    return nullptr;
  }
  int statusFlags = fcntl(fd, F_GETFL);
  if (statusFlags != -1) fcntl(fd, F_SETFL, statusFlags & ~O_NONBLOCK);
  FILE* file = fdopen(fd, mode);
  if (file == nullptr) close(fd);
  return file;
}

int DeleteWindowsFile(const char* windowsPath) {
  std::string relative;
  if (!MapBeneathRoot(windowsPath, &relative)) {
    errno = ENOENT;
    return -1;
  }
  // Files only, as DeleteFile: never an (empty) folder of the disk.
  return UnlinkBeneath(PathsRoot(), relative);
}

void ReportMissingWindowsFile(const char* windowsPath) {
  const char* name = windowsPath ? windowsPath : "";
  std::string relative;
  if (!MapBeneathRoot(name, &relative)) {
    std::fprintf(stderr, "vyr: %s is outside VYR_ROOT (%s), so it counts as missing\n", name, PathsRoot().c_str());
    return;
  }
  // Looked at the way the engine opens it, so the reason is the real one.
  std::string reason = "cannot be read";
  const int fd = OpenBeneath(PathsRoot(), relative, O_RDONLY | O_NONBLOCK, 0);
  if (fd < 0) {
    const int error = errno;
    struct stat link {};
    const bool isLink = lstat(MapWindowsPath(name).c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    reason = error == EXDEV || error == ELOOP || isLink ? "a symbolic link that leads outside VYR_ROOT or nowhere"
                                                         : std::strerror(error);
  } else {
    struct stat st {};
    if (fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) reason = S_ISDIR(st.st_mode) ? "a folder, not a file" : "not a plain file";
    close(fd);
  }
  std::fprintf(stderr, "vyr: %s is %s: %s\n", name, MapWindowsPath(name).c_str(), reason.c_str());
}
