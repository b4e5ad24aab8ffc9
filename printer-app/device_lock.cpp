#include "printer-app/device_lock.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "printer-app/printer_settings.h"

namespace {

// Tries to take a held lock this often.
constexpr int kRetryMs = 50;

// A file name for the device: its port text with every character that is not
// a letter, digit, '.', '-' or '_' made '_' (at most 60 of them), and the
// 64-bit FNV-1a hash of the whole text, so two devices never share a file.
std::string LockName(const std::string& port) {
  std::string name;
  for (char c : port.substr(0, 60)) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    name += plain ? c : '_';
  }
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : port) hash = (hash ^ c) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return name + "-" + hex + ".lock";
}

}  // namespace

DeviceLock::~DeviceLock() {
  if (fd_ >= 0) close(fd_);  // closing the last descriptor lets go of the lock
}

bool DeviceLock::Take(const std::string& port, int wait_ms, const std::function<bool()>& give_up,
                      std::string* error) {
  const std::string folder = StateFolder() + "/locks";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  path_ = folder + "/" + LockName(port);
  fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) {
    *error = "cannot open the device lock " + path_ + ": " + std::strerror(errno);
    return false;
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  for (;;) {
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) {
      *error = "cannot lock " + path_ + ": " + std::strerror(errno);
      break;
    }
    if ((give_up && give_up()) || std::chrono::steady_clock::now() >= end) {
      *error = "another print engine still drives this printer (" + path_ + " is locked)";
      break;
    }
    poll(nullptr, 0, kRetryMs);
  }
  close(fd_);
  fd_ = -1;
  return false;
}
