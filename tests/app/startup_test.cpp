// Start-up: the command line, the user's language, the copy label.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <clocale>
#include <string>

#include "app/print_app.h"
#include "app/print_dlg.h"
#include "framework/resources.h"
#include "imaging/page_buffers.h"
#include "platform/module.h"

namespace {

struct Scan {
  int32_t pageFiles;
  int32_t copies;
  int32_t testPrint;
};

Scan ScanOf(const char* cmdLine) {
  g_bTestPrint = 0;
  Scan s{};
  ScanCommandLine(cmdLine, &s.pageFiles, &s.copies);
  s.testPrint = g_bTestPrint;
  g_bTestPrint = 0;
  return s;
}

#define EXPECT_SCAN(cmd, wantFiles, wantCopies, wantTest)     \
  do {                                                        \
    Scan s = ScanOf(cmd);                                     \
    EXPECT_EQ(s.pageFiles, wantFiles) << '"' << cmd << '"';   \
    EXPECT_EQ(s.copies, wantCopies) << '"' << cmd << '"';     \
    EXPECT_EQ(s.testPrint, wantTest) << '"' << cmd << '"';    \
  } while (0)

TEST(CommandLine, NumbersDefaultsAndTestPrint) {
  EXPECT_SCAN("", 1, 0, 0);  // copies 0 becomes 1 in the dialog
  EXPECT_SCAN("3 2", 3, 2, 0);
  EXPECT_SCAN("123 5", 12, 5, 0);  // a third digit is dropped
  EXPECT_SCAN("2 0", 2, 0, 0);
  EXPECT_SCAN("0", 0, 0, 0);
  EXPECT_SCAN("1 1 x", 1, 1, 1);
  EXPECT_SCAN("x", 1, 0, 1);
  EXPECT_SCAN("1 1   ", 1, 1, 0);
  EXPECT_SCAN("   7   99", 7, 99, 0);
  EXPECT_SCAN("99 999", 99, 99, 0);
  // Only the blank separates: a tab is something left over.
  EXPECT_SCAN("1\t1", 1, 0, 1);
  EXPECT_SCAN("1 1\t", 1, 1, 1);
  EXPECT_SCAN("05 07", 5, 7, 0);
}

class Locale : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(v);
  }
  void TearDown() override {
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(v);
    std::setlocale(LC_ALL, "C");
  }
  static std::string Name() { return SwitchToUserLocale(); }
  static std::string LanguageOf(HMODULE module) {
    if (module == nullptr) return "";
    auto fn = reinterpret_cast<VyrResourcesFn>(GetProcAddress(module, "VyrResources"));
    return fn ? fn()->language : "?";
  }
};

TEST_F(Locale, LinuxLocaleNamesMapToTheEngineLanguages) {
  setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_EQ(Name(), "German_DE.UTF-8");
  setenv("LANG", "nl_BE@euro", 1);
  EXPECT_EQ(Name(), "Dutch_BE@euro");
  setenv("LANG", "es", 1);
  EXPECT_EQ(Name(), "Spanish");
  setenv("LANG", "fr_CA.ISO-8859-1", 1);
  EXPECT_EQ(Name(), "French_CA.ISO-8859-1");
  setenv("LANG", "it_IT", 1);
  EXPECT_EQ(Name(), "Italian_IT");
  // Anything else stays as it is and so means English.
  setenv("LANG", "en_GB.UTF-8", 1);
  EXPECT_EQ(Name(), "en_GB.UTF-8");
  setenv("LANG", "deu_DE", 1);
  EXPECT_EQ(Name(), "deu_DE");
  unsetenv("LANG");
  EXPECT_EQ(Name(), "C");
  // LC_ALL before LC_MESSAGES before LANG; empty values do not count.
  setenv("LANG", "fr_FR", 1);
  setenv("LC_MESSAGES", "it_IT", 1);
  EXPECT_EQ(Name(), "Italian_IT");
  setenv("LC_ALL", "nl_NL", 1);
  EXPECT_EQ(Name(), "Dutch_NL");
  setenv("LC_ALL", "", 1);
  EXPECT_EQ(Name(), "Italian_IT");
}

TEST_F(Locale, LocaleNamePicksTheLanguageModule) {
  EXPECT_EQ(LanguageOf(LoadLanguageModule("Dutch_Belgium.1252")), LanguageOf(LoadLibraryA("vyr_dut.dll")));
  EXPECT_EQ(LanguageOf(LoadLanguageModule("German_Germany.1252")), LanguageOf(LoadLibraryA("vyr_ger.dll")));
  EXPECT_EQ(LanguageOf(LoadLanguageModule("Spanish_Spain.1252")), LanguageOf(LoadLibraryA("vyr_spa.dll")));
  EXPECT_EQ(LanguageOf(LoadLanguageModule("French_France.1252")), LanguageOf(LoadLibraryA("vyr_fre.dll")));
  EXPECT_EQ(LanguageOf(LoadLanguageModule("Italian_Italy.1252")), LanguageOf(LoadLibraryA("vyr_ita.dll")));
  std::string english = LanguageOf(LoadLibraryA("vyr_eng.dll"));
  EXPECT_EQ(LanguageOf(LoadLanguageModule("English_United Kingdom.1252")), english);
  EXPECT_EQ(LanguageOf(LoadLanguageModule("C")), english);
  EXPECT_EQ(LanguageOf(LoadLanguageModule("")), english);
  // The six modules are all different.
  EXPECT_NE(LanguageOf(LoadLibraryA("vyr_dut.dll")), english);
  EXPECT_NE(LanguageOf(LoadLibraryA("vyr_ger.dll")), english);
  // From the Linux locale, as start-up does it.
  setenv("LANG", "de_AT.UTF-8", 1);
  EXPECT_EQ(LanguageOf(LoadLanguageModule(SwitchToUserLocale())), LanguageOf(LoadLibraryA("vyr_ger.dll")));
}

TEST(CopyLabel, SixLanguages) {
  char label[20];
  FormatCopyLabelFor("C", 1, 3, label, sizeof label);
  EXPECT_STREQ(label, "  Copy 1 of 3");
  FormatCopyLabelFor("Dutch_NL", 2, 3, label, sizeof label);
  EXPECT_STREQ(label, "  Kopie 2 van 3");
  FormatCopyLabelFor("German_DE.UTF-8", 3, 3, label, sizeof label);
  EXPECT_STREQ(label, "  Kopie 3 von 3");
  FormatCopyLabelFor("Spanish", 1, 1, label, sizeof label);
  EXPECT_STREQ(label, "  Copia 1 de 1");
  FormatCopyLabelFor("French_FR", 10, 12, label, sizeof label);
  EXPECT_STREQ(label, "  Copier 10 de 12");
  FormatCopyLabelFor("Italian_IT", 99, 99, label, sizeof label);
  EXPECT_STREQ(label, "  Copia 99 di 99");
  // The longest label fits the 19 characters.
  FormatCopyLabelFor("French", 99, 99, label, sizeof label);
  EXPECT_STREQ(label, "  Copier 99 de 99");
}

}  // namespace
