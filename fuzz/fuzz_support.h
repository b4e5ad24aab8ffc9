// Shared set-up of the fuzz targets: a disk of their own in a fresh folder
// (removed at exit), the virtual clock, messages recorded to nowhere and
// answered No. Each target writes the input where the engine will look for
// it and runs the engine's own reader on it.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "framework/ui_backend.h"
#include "platform/clock.h"
#include "platform/paths.h"

namespace fuzz {

class Disk {
 public:
  Disk() {
    // Memory-backed where there is such a folder: every input is written to a
    // file, and a disk file system may flush each rewrite.
    std::error_code ec;
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0
            ? std::filesystem::path("/dev/shm")
            : std::filesystem::temp_directory_path();
    std::string pattern = (base / "vyr-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
    std::filesystem::create_directories(root_ / "c");
    std::filesystem::create_directories(root_ / "windows" / "system");
    PathsSetRoot(root_.string());
    ClockSelect(ClockKind::Virtual);
    UiInstall(UiMakeRecordBackend("/dev/null"));
    UiSetAnswers("");
  }
  ~Disk() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  const std::filesystem::path& Root() const { return root_; }

  // Writes the bytes to `relative` under the disk (the whole file, made
  // afresh rather than truncated).
  void Write(const char* relative, const uint8_t* data, size_t size) const {
    Remove(relative);
    FILE* f = std::fopen((root_ / relative).c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
  }
  void Remove(const char* relative) const {
    std::error_code ignored;
    std::filesystem::remove(root_ / relative, ignored);
  }

 private:
  std::filesystem::path root_;
};

// The one disk of this fuzzing process.
inline const Disk& TheDisk() {
  static Disk disk;
  return disk;
}

// A finding that no sanitizer would report: the target's own check failed.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

}  // namespace fuzz
