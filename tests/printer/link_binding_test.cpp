// Binding the link library: the real module from the build, a missing module,
// and modules that lack one export each.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "printer_test_support.h"
#include "support/build_paths.h"
#include "support/record_ui.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace printer_test;

namespace {

class LinkBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockSelect(ClockKind::Virtual);
    ResetPrinterGlobals();
  }
  void TearDown() override { ReleaseLinkLibrary(); }
};

// The five pointers in the order they are resolved.
void* BoundPointer(int index) {
  switch (index) {
    case 0: return reinterpret_cast<void*>(g_pfnGetDLLversion);
    case 1: return reinterpret_cast<void*>(g_pfnCommand_set);
    case 2: return reinterpret_cast<void*>(g_pfnIs_Ready);
    case 3: return reinterpret_cast<void*>(g_pfnLPT_Reset);
    default: return reinterpret_cast<void*>(g_pfnInitPort);
  }
}
const char* const kExportNames[5] = {"GetDLLversion", "Command_set", "Is_Ready", "LPT_Reset",
                                     "InitPort"};

TEST_F(LinkBindingTest, BindsTheBuiltLibraryAndResolvesEveryExport) {
  RecordUi ui;
  ASSERT_TRUE(BindBuiltLinkLibrary());
  ASSERT_NE(g_hLinkLibrary, nullptr);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(BoundPointer(i),
              reinterpret_cast<void*>(GetProcAddress(g_hLinkLibrary, kExportNames[i])))
        << kExportNames[i];
    EXPECT_NE(BoundPointer(i), nullptr) << kExportNames[i];
  }
  // The real library's version, so this is the module from the build.
  EXPECT_FLOAT_EQ(g_pfnGetDLLversion(), 0.12f);
  EXPECT_THAT(ui.Events(), IsEmpty());
}

TEST_F(LinkBindingTest, MissingLibraryShows2007AndResolvesNothing) {
  RecordUi ui;
  ScratchRoot empty;  // a folder without any module in it
  ModuleSetSearchDirectory(empty.path().c_str());
  HMODULE found = LoadLibraryA("lptgate.dll");
  if (found != nullptr) FreeLibrary(found);
  ASSERT_EQ(found, nullptr)
      << "the module search pointed at an empty folder still found a link library "
         "(through the system library path), so a missing library cannot be shown here";

  EXPECT_EQ(BindLinkLibrary(), -1);
  EXPECT_EQ(g_hLinkLibrary, nullptr);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(BoundPointer(i), nullptr) << kExportNames[i];
  EXPECT_THAT(ui.Events(), ElementsAre("message 2007 ok"));
}

TEST_F(LinkBindingTest, MissingExportShowsItsMessageAfterTheEarlierOnesResolved) {
  for (int missing = 0; missing < 5; ++missing) {
    SCOPED_TRACE(kExportNames[missing]);
    ResetPrinterGlobals();
    RecordUi ui;
    const std::string folder =
        std::string(VYR_BINARY_DIR) + "/test_modules/printer/without_" + kExportNames[missing];
    ASSERT_TRUE(std::filesystem::exists(folder + "/lptgate.so")) << folder;
    ModuleSetSearchDirectory(folder.c_str());

    EXPECT_EQ(BindLinkLibrary(), -1);
    ASSERT_NE(g_hLinkLibrary, nullptr) << "a library that loaded stays loaded";
    for (int i = 0; i < 5; ++i) {
      if (i < missing) {
        EXPECT_EQ(BoundPointer(i),
                  reinterpret_cast<void*>(GetProcAddress(g_hLinkLibrary, kExportNames[i])))
            << kExportNames[i] << " should have been resolved first";
        EXPECT_NE(BoundPointer(i), nullptr) << kExportNames[i];
      } else {
        EXPECT_EQ(BoundPointer(i), nullptr) << kExportNames[i] << " resolved past the missing one";
      }
    }
    if (missing > 0) {
      EXPECT_FLOAT_EQ(g_pfnGetDLLversion(), 99.5f);  // the stand-in module
    }
    EXPECT_THAT(ui.Events(), ElementsAre("message " + std::to_string(2008 + missing) + " ok"));
    UnbindLinkLibrary();
  }
}

}  // namespace
