// Shared set-up for the printer command layer tests: a scratch disk folder,
// the link library bound from the build, and the engine's printer globals put
// back to their start values between tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/media_tables.h"
#include "platform/clock.h"
#include "platform/module.h"
#include "platform/paths.h"
#include "printer/printer_commands.h"
#include "support/build_paths.h"

namespace printer_test {

// The folder with the built program modules, where lptgate.so lies.
inline std::string BuiltModuleDirectory() { return std::string(VYR_BINARY_DIR) + "/bin"; }

// A fresh folder that stands in for the disk, removed at the end of the scope.
class ScratchRoot {
 public:
  ScratchRoot() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vyr-printer-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {
      ADD_FAILURE() << "no scratch folder under " << pattern;
      return;
    }
    path_ = name.data();
    std::filesystem::create_directories(path_ + "/windows/system");
    PathsSetRoot(path_);
  }
  ~ScratchRoot() {
    if (path_.empty()) return;
    PathsSetRoot("");
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchRoot(const ScratchRoot&) = delete;
  ScratchRoot& operator=(const ScratchRoot&) = delete;

  const std::string& path() const { return path_; }
  void WriteSystemFile(const char* name, const std::vector<uint8_t>& bytes) const {
    FILE* f = std::fopen((path_ + "/windows/system/" + name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

 private:
  std::string path_;
};

// The printer globals as a program starts with them.
inline void ResetPrinterGlobals() {
  g_hLinkLibrary = nullptr;
  g_pfnGetDLLversion = nullptr;
  g_pfnCommand_set = nullptr;
  g_pfnIs_Ready = nullptr;
  g_pfnLPT_Reset = nullptr;
  g_pfnInitPort = nullptr;
  g_headParameters[kCyan] = 92;
  g_headParameters[kMagenta] = 63;
  g_headParameters[kYellow] = 108;
  for (auto& curve : g_temperatureCurves)
    for (float& point : curve) point = 0.0f;
  for (auto& table : g_temperatureTables)
    for (uint8_t& entry : table) entry = 0;
  for (uint8_t& byte : g_commandBlock) byte = 0;
}

// Frees what a test bound and returns the module search to normal.
inline void ReleaseLinkLibrary() {
  UnbindLinkLibrary();
  ModuleSetSearchDirectory("");
  ResetPrinterGlobals();
}

// Binds the link library built beside the tests.
inline bool BindBuiltLinkLibrary() {
  ModuleSetSearchDirectory(BuiltModuleDirectory().c_str());
  return BindLinkLibrary() == 1;
}

// p x s to the nearest integer (halves upward), limited to 255: what every
// entry of a flat curve becomes for a non-negative product.
inline int NearestEntry(double product) {
  const double nearest = std::floor(product + 0.5);
  return nearest > 255.0 ? 255 : static_cast<int>(nearest);
}

}  // namespace printer_test
