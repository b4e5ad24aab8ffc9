// Reading the engine's settings from the two initialisation files.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

#include "settings/settings.h"
#include "platform/paths.h"
#include "settings/settings_table.h"

namespace fs = std::filesystem;

namespace {

// A disk of its own for each test: files go to ROOT/windows/system/.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path().string() + "/vyr-settings-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "windows" / "system");
    PathsSetRoot(root_.string());
    ResetSettings();
  }
  void TearDown() override {
    PathsSetRoot("");
    ResetSettings();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  void Write(const char* name, const std::string& text) {
    std::ofstream(root_ / "windows" / "system" / name, std::ios::binary) << text;
  }
  fs::path root_;
};

void ExpectEveryDefault() {
  for (char c : {g_sensC, g_sensM, g_sensY}) EXPECT_EQ(c, 'G');
  for (char c : {g_TDTC, g_TDBC, g_TDTM, g_TDBM, g_TDTY, g_TDBY}) EXPECT_EQ(c, 'D');
  for (int16_t v : g_ColCorShift) EXPECT_EQ(v, 0);
  for (float v : g_ColCorSat) EXPECT_EQ(v, 1.0f);
  EXPECT_EQ(g_Contrast, 0);
  EXPECT_EQ(g_ContrastBottom, 50);
  EXPECT_EQ(g_ContrastTop, 200);
  EXPECT_EQ(g_ContrastLeft, 30);
  EXPECT_EQ(g_ContrastRight, 230);
  EXPECT_EQ(g_Saturation, 0);
  EXPECT_EQ(g_SatValue, 2.0f);
  EXPECT_EQ(g_Color, 1);
  EXPECT_EQ(g_Setup, 1);
  EXPECT_EQ(g_Edge, 2);
  EXPECT_EQ(g_EdgeEnhanceR, 0.4f);
  EXPECT_STREQ(g_MatchFile, "normal.cct");
  EXPECT_EQ(g_DigitalCamera, 0);
  for (int16_t v : {g_RBase32, g_GBase32, g_BBase32}) EXPECT_EQ(v, 100);
  for (int16_t v : {g_RBase128, g_GBase128, g_BBase128}) EXPECT_EQ(v, 200);
  for (int16_t v : {g_RBase224, g_GBase224, g_BBase224}) EXPECT_EQ(v, 300);
  for (float v : g_DensityCoef) EXPECT_EQ(v, 0.0f);
  for (float v : {g_OVbg, g_OVgb, g_OVrg}) EXPECT_EQ(v, 1.0f);
  for (float v : {g_R4Ratio, g_G4Ratio, g_B4Ratio}) EXPECT_EQ(v, 0.7f);
  for (float v : {g_R240Ratio, g_G240Ratio, g_B240Ratio}) EXPECT_EQ(v, 1.2f);
  for (float v : {g_R256Ratio, g_G256Ratio, g_B256Ratio}) EXPECT_EQ(v, 1.4f);
  for (int32_t v : {g_RLimit, g_GLimit, g_BLimit}) EXPECT_EQ(v, 1019);
}

}  // namespace

TEST_F(SettingsTest, WithoutFilesEverySettingHasItsDefault) {
  {
    SCOPED_TRACE("at program load");
    ExpectEveryDefault();
  }
  LoadSettings();
  {
    SCOPED_TRACE("after reading no files");
    ExpectEveryDefault();
  }
  // Reset puts back what a reading changed.
  g_sensC = 'Q';
  g_ColCorShift[17] = 9;
  g_SatValue = 0.5f;
  std::strcpy(g_MatchFile, "other.cct");
  g_BLimit = 3;
  ResetSettings();
  SCOPED_TRACE("after ResetSettings");
  ExpectEveryDefault();
}

TEST_F(SettingsTest, EveryKindIsReadFromItsFile) {
  Write("tyq00.ini",
        "[MediaRank]\nsensC=b\nsensM=GH\nsensY=\nTDBY=e\n"
        "[ColCorPalam]\nRr=-3\nYb=12\nSrt=0.5\nSyb=1.25\n"
        "[Image]\nContrast=2\nContrastTop=70000\nContrastBottom=-70000\nSatValue=1.5\n"
        "EdgeEnhanceR=abc\nMatchFile=abcdefghijklmnopqrstuvwxyz.cct\nDigitalCamera=1\n"
        "[BaseMedia]\nRLimit=5\n");  // a media key in the wrong file is not read
  Write("basmedia.ini",
        "[BaseMedia]\nGBase128=250\nQbg=-0.125\nOVrg=2\nB256Ratio=1.5x\nRLimit=900\n"
        "GLimit=-2\nBLimit=4294967295\n"
        "[Image]\nEdge=0\n");  // an image key in the media file is not read
  LoadSettings();

  EXPECT_EQ(g_sensC, 'B');
  EXPECT_EQ(g_sensM, 'G');
  EXPECT_EQ(g_sensY, 0);
  EXPECT_EQ(g_TDBY, 'E');
  EXPECT_EQ(g_TDTC, 'D');
  EXPECT_EQ(g_ColCorShift[0], -3);
  EXPECT_EQ(g_ColCorShift[17], 12);
  EXPECT_EQ(g_ColCorShift[1], 0);
  EXPECT_EQ(g_ColCorSat[0], 0.5f);
  EXPECT_EQ(g_ColCorSat[11], 1.25f);
  EXPECT_EQ(g_ColCorSat[5], 1.0f);
  EXPECT_EQ(g_Contrast, 2);
  EXPECT_EQ(g_ContrastTop, 4464);        // low 16 bits of 70000
  EXPECT_EQ(g_ContrastBottom, -4464);    // low 16 bits of -70000, signed
  EXPECT_EQ(g_SatValue, 1.5f);
  EXPECT_EQ(g_EdgeEnhanceR, 0.4f);       // not a number: the default
  EXPECT_STREQ(g_MatchFile, "abcdefghijklmn");
  EXPECT_EQ(g_DigitalCamera, 1);
  EXPECT_EQ(g_Edge, 2);
  EXPECT_EQ(g_GBase128, 250);
  EXPECT_EQ(g_RBase128, 200);
  EXPECT_EQ(g_DensityCoef[11], -0.125f);
  EXPECT_EQ(g_OVrg, 2.0f);
  EXPECT_EQ(g_B256Ratio, 1.5f);
  EXPECT_EQ(g_RLimit, 900);
  EXPECT_EQ(g_GLimit, -2);
  EXPECT_EQ(g_BLimit, -1);               // 32 bits, wrapped like the original reader
}

TEST_F(SettingsTest, RealsThatAreNoNumberKeepTheirDefault) {
  Write("tyq00.ini",
        "[Image]\nSatValue=abc\nEdgeEnhanceR=nan\n"
        "[ColCorPalam]\nSrt=inf\nSgt=-inf\nSbt=1e50\nSct=0x10\nSmt=\nSyt=1e-3\n"
        "Srb=12345678901234567890123\n");
  Write("basmedia.ini", "[BaseMedia]\nOVbg=  0.25  \nOVgb=\"3.5\"\nR4Ratio=.\n");
  LoadSettings();
  EXPECT_EQ(g_SatValue, 2.0f);
  EXPECT_EQ(g_EdgeEnhanceR, 0.4f);
  EXPECT_EQ(g_ColCorSat[0], 1.0f);
  EXPECT_EQ(g_ColCorSat[1], 1.0f);
  EXPECT_EQ(g_ColCorSat[2], 1.0f);  // beyond the range of a float
  EXPECT_EQ(g_ColCorSat[3], 0.0f);  // "0x10" is 0 followed by other text
  EXPECT_EQ(g_ColCorSat[4], 1.0f);  // empty
  EXPECT_EQ(g_ColCorSat[5], 0.001f);
  // 19 characters of the 23 arrive through the 20-byte buffer.
  EXPECT_EQ(g_ColCorSat[6], 1234567890123456789.0f);
  EXPECT_EQ(g_OVbg, 0.25f);
  EXPECT_EQ(g_OVgb, 3.5f);
  EXPECT_EQ(g_R4Ratio, 0.7f);

  // A second reading with the key now unreadable comes back to the default,
  // not to the value the first reading left.
  Write("tyq00.ini", "[Image]\nSatValue=1.75\n");
  LoadSettings();
  EXPECT_EQ(g_SatValue, 1.75f);
  Write("tyq00.ini", "[Image]\nSatValue=abc\n");
  LoadSettings();
  EXPECT_EQ(g_SatValue, 2.0f);
}

TEST_F(SettingsTest, BinaryJunkFilesLeaveTheDefaults) {
  std::mt19937 random(1225);
  for (const char* name : {"tyq00.ini", "basmedia.ini"}) {
    std::string junk(64 * 1024, '\0');
    for (char& c : junk) c = static_cast<char>(random() & 0xFF);
    Write(name, junk);
  }
  LoadSettings();
  ExpectEveryDefault();

  // Junk with no line break at all, and a file of zero bytes.
  Write("tyq00.ini", std::string(100000, 'x'));
  Write("basmedia.ini", "");
  LoadSettings();
  ExpectEveryDefault();
}

TEST_F(SettingsTest, TheUsersLocaleIsBackAfterReading) {
  std::string before = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  std::string chosen = std::setlocale(LC_ALL, nullptr);
  LoadSettings();
  EXPECT_EQ(chosen, std::setlocale(LC_ALL, nullptr));
  std::setlocale(LC_ALL, before.c_str());
}

// A locale that writes decimals with a comma, made for the test when the
// machine has none installed.
class CommaLocaleTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    before_ = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
      if (std::setlocale(LC_ALL, name) && std::strcmp(std::localeconv()->decimal_point, ",") == 0)
        return;
    }
    std::string dir = (root_ / "locales").string();
    std::string command = "localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
    fs::create_directories(dir);
    if (std::system(command.c_str()) == 0) {
      setenv("LOCPATH", dir.c_str(), 1);
      locpathSet_ = true;
      if (std::setlocale(LC_ALL, "de_DE.UTF-8") &&
          std::strcmp(std::localeconv()->decimal_point, ",") == 0)
        return;
    }
    std::setlocale(LC_ALL, before_.c_str());
    GTEST_SKIP() << "no locale with a decimal comma is installed and localedef could not make one";
  }
  void TearDown() override {
    std::setlocale(LC_ALL, before_.c_str());
    if (locpathSet_) unsetenv("LOCPATH");
    SettingsTest::TearDown();
  }
  std::string before_;
  bool locpathSet_ = false;
};

TEST_F(CommaLocaleTest, RealsAreReadWithAFullStopAndTheLocaleIsRestored) {
  std::string user = std::setlocale(LC_ALL, nullptr);
  // The comma locale really is in force: sscanf reads "1.5" as 1.
  float probe = 0.0f;
  ASSERT_EQ(std::sscanf("1.5", "%f", &probe), 1);
  ASSERT_EQ(probe, 1.0f);

  Write("tyq00.ini", "[Image]\nSatValue=1.5\nEdgeEnhanceR=0,25\n");
  LoadSettings();
  EXPECT_EQ(g_SatValue, 1.5f);
  EXPECT_EQ(g_EdgeEnhanceR, 0.0f);  // a comma ends the number
  EXPECT_EQ(user, std::setlocale(LC_ALL, nullptr));
  EXPECT_STREQ(std::localeconv()->decimal_point, ",");
}

TEST(SettingTable, ListsEveryKeyOnceInReadingOrder) {
  EXPECT_EQ(g_settingCount, 94u);  // 52 in tyq00.ini, 42 in basmedia.ini
  std::set<std::string> keys;
  std::set<const void*> addresses;
  size_t firstMedia = g_settingCount;
  for (size_t i = 0; i < g_settingCount; ++i) {
    const SettingDescriptor& s = g_settingTable[i];
    EXPECT_TRUE(keys.insert(std::string(s.section) + "/" + s.key).second) << s.key;
    EXPECT_TRUE(addresses.insert(s.address).second) << s.key;
    if (std::strcmp(s.file, "basmedia.ini") == 0 && firstMedia == g_settingCount) firstMedia = i;
    if (i >= firstMedia) {
      EXPECT_STREQ(s.file, "basmedia.ini") << s.key;
      EXPECT_STREQ(s.section, "BaseMedia") << s.key;
    } else {
      EXPECT_STREQ(s.file, "tyq00.ini") << s.key;
    }
  }
  EXPECT_EQ(firstMedia, 52u);
  EXPECT_STREQ(g_settingTable[0].key, "sensC");
  EXPECT_STREQ(g_settingTable[9].key, "Rr");
  EXPECT_EQ(g_settingTable[9].address, &g_ColCorShift[0]);
  EXPECT_STREQ(g_settingTable[27].key, "Srt");
  EXPECT_EQ(g_settingTable[38].address, &g_ColCorSat[11]);
  EXPECT_STREQ(g_settingTable[39].key, "Contrast");
  EXPECT_EQ(g_settingTable[50].kind, SettingKind::Name);
  EXPECT_STREQ(g_settingTable[61].key, "Prg");
  EXPECT_EQ(g_settingTable[78].address, &g_DensityCoef[17]);
  EXPECT_STREQ(g_settingTable[93].key, "BLimit");
}
