// Modules by their Windows names: the name mapping, the three places searched
// in order, exports by name, and names or files that must not load.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/module.h"
#include "support/build_paths.h"

namespace {

const std::string kBinDir = std::string(VYR_BINARY_DIR) + "/bin";
// The probe module that answers 2, kept out of every searched folder.
const std::string kInstalledModule =
    std::string(VYR_BINARY_DIR) + "/test_modules/platform/Vyr_Probe2.so";

int ProbeAnswer(HMODULE module) {
  FARPROC proc = GetProcAddress(module, "VyrProbeAnswer");
  if (proc == nullptr) return -1;
  return reinterpret_cast<int (*)()>(proc)();
}

std::filesystem::path FreshFolder(const char* stem) {
  std::string pattern = (std::filesystem::temp_directory_path() / stem).string() + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

class Module : public ::testing::Test {
 protected:
  void TearDown() override { ModuleSetSearchDirectory(""); }
};

TEST_F(Module, WindowsNameMapsToSharedObjectKeepingCase) {
  ModuleSetSearchDirectory(kBinDir.c_str());
  for (const char* name : {"Vyr_Probe.dll", "Vyr_Probe.DLL", "Vyr_Probe"}) {
    HMODULE module = LoadLibraryA(name);
    ASSERT_NE(module, nullptr) << name;
    EXPECT_EQ(ProbeAnswer(module), 1) << name;
    FreeLibrary(module);
  }
  // The file name keeps its case: there is no vyr_probe.so.
  EXPECT_EQ(LoadLibraryA("vyr_probe.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA("Vyr_Probe.dl"), nullptr);
}

TEST_F(Module, SearchesProgramFolderThenLibVyrThenSystemPath) {
  // Default: the test program's own folder holds Vyr_Probe.so (answer 1).
  ModuleSetSearchDirectory("");
  HMODULE own = LoadLibraryA("Vyr_Probe.dll");
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(ProbeAnswer(own), 1);
  FreeLibrary(own);

  // A program folder of our own, with copies of the module that answers 2 put
  // where the search must look first.
  std::filesystem::path program = FreshFolder("vyr-module-search");
  ASSERT_FALSE(program.empty());
  std::filesystem::create_directories(program / "bin");
  std::filesystem::create_directories(program / "lib" / "vyr");
  ModuleSetSearchDirectory((program / "bin").c_str());

  std::filesystem::copy_file(kInstalledModule, program / "bin" / "Vyr_Probe.so");
  HMODULE first = LoadLibraryA("Vyr_Probe.dll");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(ProbeAnswer(first), 2);
  FreeLibrary(first);

  std::filesystem::rename(program / "bin" / "Vyr_Probe.so", program / "lib" / "vyr" / "Vyr_Probe.so");
  HMODULE second = LoadLibraryA("Vyr_Probe.dll");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(ProbeAnswer(second), 2);
  FreeLibrary(second);

  // A search directory confines the search: what is only on the system's
  // library path (or beside the real program) stays missing.
  std::filesystem::remove_all(program);
  EXPECT_EQ(LoadLibraryA("Vyr_Probe.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA("libm.so.6"), nullptr);
  EXPECT_EQ(LoadLibraryA("Vyr_Probe2.dll"), nullptr);  // only in test_modules, never searched

  // The normal search ends on the system's library path; a name with its own
  // extension keeps it.
  ModuleSetSearchDirectory("");
  HMODULE libm = LoadLibraryA("libm.so.6");
  ASSERT_NE(libm, nullptr);
  FARPROC cosine = GetProcAddress(libm, "cos");
  ASSERT_NE(cosine, nullptr);
  EXPECT_EQ(reinterpret_cast<double (*)(double)>(cosine)(0.0), 1.0);
  FreeLibrary(libm);
}

TEST_F(Module, FailuresGiveNullNeverACrash) {
  ModuleSetSearchDirectory(kBinDir.c_str());
  for (const char* name : {"", ".", "..", "nosuchmodule.dll", "../bin/Vyr_Probe.dll",
                           "bin\\Vyr_Probe.dll", "/usr/lib/x86_64-linux-gnu/libm.so.6"})
    EXPECT_EQ(LoadLibraryA(name), nullptr) << name;
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);

  // A file of the right name that is no module.
  std::filesystem::path dir = FreshFolder("vyr-module-junk");
  ASSERT_FALSE(dir.empty());
  std::ofstream(dir / "Junk.so") << "not a shared object";
  ModuleSetSearchDirectory(dir.c_str());
  EXPECT_EQ(LoadLibraryA("Junk.dll"), nullptr);
  std::filesystem::remove_all(dir);

  ModuleSetSearchDirectory(kBinDir.c_str());
  HMODULE module = LoadLibraryA("Vyr_Probe.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);
  EXPECT_EQ(GetProcAddress(module, reinterpret_cast<const char*>(uintptr_t{2})), nullptr);  // an ordinal
  EXPECT_EQ(GetProcAddress(nullptr, "VyrProbeAnswer"), nullptr);
  FreeLibrary(module);
  FreeLibrary(nullptr);
}

}  // namespace
