#include "tools/whole_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  bool ok = f != nullptr;
  bytes.clear();
  if (ok) {
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    ok = std::ferror(f) == 0;
    std::fclose(f);
  }
  if (!ok) error = "cannot read " + path + ": " + std::strerror(errno);
  return ok;
}

bool ReplaceFile(const std::string& path, const std::function<bool(const std::string& tempPath)>& write,
                 std::string& error) {
  // A dot name in the same folder, so the rename never crosses file systems.
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temp = folder + "." + base + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  // mkstemp makes the file private; give it the mode a plain new file gets.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  close(fd);
  errno = 0;
  if (!write(temp)) {
    const int cause = errno;
    std::remove(temp.c_str());
    error = "cannot write " + path + (cause ? std::string(": ") + std::strerror(cause) : std::string());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

bool ReplaceFileBytes(const std::string& path, const void* data, size_t size, std::string& error) {
  return ReplaceFile(
      path,
      [&](const std::string& temp) {
        FILE* f = std::fopen(temp.c_str(), "wb");
        if (f == nullptr) return false;
        const bool ok = std::fwrite(data, 1, size, f) == size;
        return std::fclose(f) == 0 && ok;
      },
      error);
}
