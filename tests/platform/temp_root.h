// Tests: a fresh folder standing in for the disk, removed afterwards.
//
//   TempRoot root;                          // PathsSetRoot(<new folder>)
//   root.Write("windows/system/tyq00.ini", "[Image]\nContrast=1\n");
//   ... code reading "C:\\WINDOWS\\system\\tyq00.ini" sees that file ...
//
// The destructor removes the folder and returns PathsRoot to VYR_ROOT.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/paths.h"

class TempRoot {
 public:
  TempRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vyr-root-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
    std::filesystem::create_directories(path_ + "/c");
    std::filesystem::create_directories(path_ + "/windows/system");
    PathsSetRoot(path_);
  }
  ~TempRoot() {
    PathsSetRoot("");
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;

  const std::string& Path() const { return path_; }

  // Writes `bytes` (binary, any content) to `relative` under the root.
  void Write(const std::string& relative, const std::string& bytes) const {
    std::filesystem::path file = std::filesystem::path(path_) / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  }

 private:
  std::string path_;
};
