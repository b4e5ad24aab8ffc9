// vyrtool run as a program by the tests: a work folder of its own, removed
// afterwards, and each run's exit status and output.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/build_paths.h"

namespace tooltest {

namespace fs = std::filesystem;

inline std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ToolRun {
  int status;
  std::string out, err;
};

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vyr-tool-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs vyrtool with `args` in the work folder; its output lands in out.txt
  // and err.txt there.
  ToolRun Run(const std::string& args) {
    const std::string command = "cd '" + dir_.string() + "' && '" + VYR_BINARY_DIR + "/bin/vyrtool' " + args +
                                " >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir_ / "out.txt"), Slurp(dir_ / "err.txt")};
  }

  fs::path dir_;
};

}  // namespace tooltest
