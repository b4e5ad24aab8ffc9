// The exclusive claim on a printer's device: one lock file per device in
// STATE/locks/, locked with flock(2) for as long as an engine drives the
// device. The engine inherits the lock, so it stays held until the engine
// has ended even when the server that started it is gone.
#pragma once

#include <functional>
#include <string>

class DeviceLock {
 public:
  DeviceLock() = default;
  ~DeviceLock();
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

  // Takes the lock of the device the engine reaches as `port` (VYR_PORT),
  // waiting up to `wait_ms` for another holder to let go; `give_up` is
  // asked between tries (a cancelled job stops waiting). False when the lock
  // was not taken, with the reason in `error`.
  bool Take(const std::string& port, int wait_ms, const std::function<bool()>& give_up,
            std::string* error);

  // The locked file's descriptor (close-on-exec; a child that is to keep the
  // lock gets a copy without it), or -1.
  int fd() const { return fd_; }
  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};
