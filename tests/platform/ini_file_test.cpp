// The initialisation-file reader: layout, case, blanks, quotes, comments,
// which key and section count, integers, real numbers under any locale, and
// files that are not settings files at all.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "platform/ini_file.h"
#include "temp_root.h"

namespace {

const char* const kIni = "C:\\WINDOWS\\system\\tyq00.ini";

std::string Text(const char* section, const char* key, const char* def = "<default>",
                 const char* path = kIni) {
  char buf[64];
  unsigned n = GetPrivateProfileStringA(section, key, def, buf, sizeof buf, path);
  EXPECT_EQ(n, std::strlen(buf));
  return buf;
}

TEST(IniFile, SectionsKeysBlanksQuotesAndComments) {
  TempRoot root;
  root.Write("windows/system/tyq00.ini",
             "; settings of the printer\n"
             "  [ Image ]  \n"
             "contrast = 2\n"
             "  Edge\t=\t\"1\" \n"
             "MatchFile = 'my.cct'\n"
             "Unbalanced = \"abc\n"
             "Mixed = \"abc'\n"
             "Inner = a \"b\" c\n"
             "Empty =\n"
             "EmptyQuotes = \"\"\n"
             "Spaced = two words  \n"
             "Trailing = 5 ; a note\n"
             "NoEquals\n"
             "  ; Hidden = 1\n"
             "Eq = a=b\n");
  EXPECT_EQ(Text("IMAGE", "CONTRAST"), "2");
  EXPECT_EQ(Text("image", "edge"), "1");
  EXPECT_EQ(Text("Image", "MatchFile"), "my.cct");
  EXPECT_EQ(Text("Image", "Unbalanced"), "\"abc");
  EXPECT_EQ(Text("Image", "Mixed"), "\"abc'");
  EXPECT_EQ(Text("Image", "Inner"), "a \"b\" c");
  EXPECT_EQ(Text("Image", "Empty"), "");  // present and empty: not the default
  EXPECT_EQ(Text("Image", "EmptyQuotes"), "");
  EXPECT_EQ(Text("Image", "Spaced"), "two words");
  EXPECT_EQ(Text("Image", "Trailing"), "5 ; a note");
  EXPECT_EQ(Text("Image", "NoEquals"), "<default>");
  EXPECT_EQ(Text("Image", "Hidden"), "<default>");
  EXPECT_EQ(Text("Image", "; Hidden"), "<default>");
  EXPECT_EQ(Text("Image", "Eq"), "a=b");
  EXPECT_EQ(Text("Image", "Missing"), "<default>");
  EXPECT_EQ(Text("Missing", "Contrast"), "<default>");
  EXPECT_EQ(Text("Image", "Contrast", "x", "C:\\WINDOWS\\system\\absent.ini"), "x");
  EXPECT_EQ(Text("Image", "Contrast", nullptr, "C:\\WINDOWS\\system\\absent.ini"), "");
}

TEST(IniFile, FirstKeyWinsAndOnlyTheFirstSectionOfANameIsSearched) {
  TempRoot root;
  root.Write("windows/system/tyq00.ini",
             "k=0\n"  // before any section: belongs to none
             "[A]\n"
             "k=1\n"
             "K=2\n"
             "[B]\n"
             "x=b\n"
             "[a]\n"
             "k=3\n"
             "j=9\n");
  EXPECT_EQ(Text("A", "k"), "1");
  EXPECT_EQ(Text("A", "j"), "<default>");
  EXPECT_EQ(Text("B", "x"), "b");
  EXPECT_EQ(Text("B", "k"), "<default>");
  EXPECT_EQ(GetPrivateProfileIntA("a", "K", -5, kIni), 1);
  EXPECT_EQ(GetPrivateProfileIntA("A", "j", -5, kIni), -5);
}

TEST(IniFile, LineEndsByteOrderMarkAndTheWindowsDirectory) {
  TempRoot root;
  root.Write("windows/system/crlf.ini", "\xEF\xBB\xBF[S]\r\na=1\r\nb=2\r\n");
  root.Write("windows/system/cr.ini", "[S]\ra=3\rb=4");
  root.Write("windows/system/nonl.ini", "[S]\nb=5");
  root.Write("windows/bare.ini", "[S]\nb=6\n");
  EXPECT_EQ(Text("S", "a", "-", "C:\\WINDOWS\\system\\crlf.ini"), "1");
  EXPECT_EQ(Text("S", "b", "-", "C:\\WINDOWS\\system\\crlf.ini"), "2");
  EXPECT_EQ(Text("S", "a", "-", "C:\\WINDOWS\\system\\cr.ini"), "3");
  EXPECT_EQ(Text("S", "b", "-", "C:\\WINDOWS\\system\\cr.ini"), "4");
  EXPECT_EQ(Text("S", "b", "-", "C:\\WINDOWS\\system\\nonl.ini"), "5");
  EXPECT_EQ(Text("S", "b", "-", "bare.ini"), "6");  // a bare name lives in the Windows directory
  EXPECT_EQ(Text("S", "b", "-", "C:\\WINDOWS\\system\\..\\bare.ini"), "-");  // never outside the root
}

TEST(IniFile, BufferIsCutAndAlwaysTerminated) {
  TempRoot root;
  root.Write("windows/system/tyq00.ini", "[Image]\nMatchFile=abcdefghijklmnopqrstuvwxyz.cct\n");
  char buf[15];
  std::memset(buf, 'X', sizeof buf);
  EXPECT_EQ(GetPrivateProfileStringA("Image", "MatchFile", "normal.cct", buf, sizeof buf, kIni), 14u);
  EXPECT_STREQ(buf, "abcdefghijklmn");
  char two[2];
  EXPECT_EQ(GetPrivateProfileStringA("Image", "Missing", "GH", two, sizeof two, kIni), 1u);
  EXPECT_STREQ(two, "G");
  char one[1] = {'X'};
  EXPECT_EQ(GetPrivateProfileStringA("Image", "MatchFile", "", one, 1, kIni), 0u);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(GetPrivateProfileStringA("Image", "MatchFile", "", nullptr, 0, kIni), 0u);
}

TEST(IniFile, IntegersTakeSignAndDigitsUpToTheFirstOtherCharacter) {
  TempRoot root;
  root.Write("windows/system/tyq00.ini",
             "[N]\n"
             "plus=+12\nminus=-7\njunk=12abc\nletters=abc\nempty=\nsignonly=-\n"
             "spaced=- 5\nbig=70000\nwrap=4294967297\nmin=-2147483648\n"
             "past=2147483648\nquoted=\"42\"\nfraction=3.9\nhex=0x10\nlong=" +
                 std::string(400, '9') + "\n");
  auto Int = [](const char* key) { return GetPrivateProfileIntA("N", key, 777, kIni); };
  EXPECT_EQ(Int("plus"), 12);
  EXPECT_EQ(Int("minus"), -7);
  EXPECT_EQ(Int("junk"), 12);
  EXPECT_EQ(Int("letters"), 0);
  EXPECT_EQ(Int("empty"), 0);
  EXPECT_EQ(Int("signonly"), 0);
  EXPECT_EQ(Int("spaced"), 0);
  EXPECT_EQ(Int("big"), 70000);
  EXPECT_EQ(static_cast<int16_t>(Int("big")), 4464);  // what a Short setting keeps
  EXPECT_EQ(Int("wrap"), 1);
  EXPECT_EQ(Int("min"), INT32_MIN);
  EXPECT_EQ(Int("past"), INT32_MIN);
  EXPECT_EQ(Int("quoted"), 42);
  EXPECT_EQ(Int("fraction"), 3);
  EXPECT_EQ(Int("hex"), 0);
  // 10^400 - 1 modulo 2^32, computed independently of the reader's loop.
  uint32_t expected = 0;
  for (int i = 0; i < 400; ++i) expected = expected * 10u + 9u;
  EXPECT_EQ(static_cast<uint32_t>(Int("long")), expected);
  EXPECT_EQ(Int("absent"), 777);
  EXPECT_EQ(GetPrivateProfileIntA("N", "plus", 777, "C:\\WINDOWS\\system\\absent.ini"), 777);
}

TEST(IniFile, JunkFilesNeverCrashTheReader) {
  TempRoot root;
  // NUL bytes end a value; a megabyte-long line is just a long line.
  std::string withNul("[S]\nk=ab\0cd\nl", 14);
  withNul += std::string(1 << 20, 'x') + "=1\nm=2";
  root.Write("windows/system/nul.ini", withNul);
  EXPECT_EQ(Text("S", "k", "-", "C:\\WINDOWS\\system\\nul.ini"), "ab");
  EXPECT_EQ(Text("S", "m", "-", "C:\\WINDOWS\\system\\nul.ini"), "2");
  EXPECT_EQ(Text("S", "l", "-", "C:\\WINDOWS\\system\\nul.ini"), "-");

  // Unterminated section headers and lone brackets.
  root.Write("windows/system/brackets.ini", "[\n]\n[S\nk=1\n[]\n[ ]\nk=2\n[");
  EXPECT_EQ(Text("S", "k", "-", "C:\\WINDOWS\\system\\brackets.ini"), "1");
  // The first section named "" is the bare "[" line, which holds no key.
  EXPECT_EQ(Text("", "k", "-", "C:\\WINDOWS\\system\\brackets.ini"), "-");

  // Random bytes with the characters the reader cares about mixed in.
  std::mt19937 random(1225);
  const char special[] = "[]=;\"'\r\n \t\0";
  for (int file = 0; file < 200; ++file) {
    std::string bytes;
    size_t length = random() % 3000;
    for (size_t i = 0; i < length; ++i)
      bytes += random() % 3 ? special[random() % (sizeof special)] : static_cast<char>(random());
    root.Write("windows/system/junk.ini", bytes);
    char buf[20];
    GetPrivateProfileStringA("S", "k", "d", buf, sizeof buf, "C:\\WINDOWS\\system\\junk.ini");
    EXPECT_LT(std::strlen(buf), sizeof buf);
    GetPrivateProfileIntA("", "", 0, "C:\\WINDOWS\\system\\junk.ini");
  }
  EXPECT_EQ(Text(nullptr, "k", "-", "C:\\WINDOWS\\system\\junk.ini"), "-");
  EXPECT_EQ(Text("S", nullptr, "-", "C:\\WINDOWS\\system\\junk.ini"), "-");
  EXPECT_EQ(Text("S", "k", "-", nullptr), "-");
}

TEST(ParseReal, LongestLeadingDecimalNumber) {
  struct Case {
    const char* text;
    float value;
  };
  for (Case c : {Case{"1.5", 1.5f}, Case{"1.5x", 1.5f}, Case{"  -0.40", -0.40f}, Case{"+2", 2.0f},
                 Case{".5", 0.5f}, Case{"5.", 5.0f}, Case{"1e3", 1000.0f}, Case{"1E-2", 0.01f},
                 Case{"2e", 2.0f}, Case{"2e+", 2.0f}, Case{"2e+x", 2.0f}, Case{"1.5.3", 1.5f},
                 Case{"1,5", 1.0f}, Case{"0x10", 0.0f}, Case{"0.7", 0.7f}, Case{"1.2", 1.2f},
                 Case{"1e-50", 0.0f}, Case{"3.4028234e38", 3.4028234e38f},
                 Case{"000000000000000000000000000001.25", 1.25f}}) {
    float value = -99.0f;
    EXPECT_TRUE(ParseRealText(c.text, &value)) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  // A denormal is kept, not refused.
  float tiny = 0.0f;
  EXPECT_TRUE(ParseRealText("1e-40", &tiny));
  EXPECT_GT(tiny, 0.0f);
  // Rounded once to single precision: 0.1 is the float nearest to 0.1.
  float tenth = 0.0f;
  ASSERT_TRUE(ParseRealText("0.1", &tenth));
  EXPECT_EQ(tenth, 0.1f);

  for (const char* text : {"", "abc", ".", "-", "+.", "e5", "nan", "NAN", "inf", "-infinity",
                           "1e39", "-1e39", "3.5e38", " x1", "\x80"}) {
    float value = 7.0f;
    EXPECT_FALSE(ParseRealText(text, &value)) << text;
    EXPECT_EQ(value, 7.0f) << text;  // left alone
  }
  float value = 7.0f;
  EXPECT_FALSE(ParseRealText(nullptr, &value));
  EXPECT_FALSE(ParseRealText("1", nullptr));
}

// A locale that writes decimals with a comma: the system's de_DE.UTF-8, or
// one built into a temporary folder when the machine has none installed.
bool SelectCommaLocale(std::string* generatedDir) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr) return true;
  if (!std::filesystem::exists("/usr/share/i18n/locales/de_DE")) return false;
  std::string dir = (std::filesystem::temp_directory_path() / "vyr-locale-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) return false;
  *generatedDir = dir;
  std::string command = "localedef -i de_DE -f UTF-8 '" + dir + "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(command.c_str()) == -1) return false;
  setenv("LOCPATH", dir.c_str(), 1);
  return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

TEST(ParseReal, FullStopWhateverTheLocale) {
  std::string generatedDir;
  bool selected = SelectCommaLocale(&generatedDir);
  if (selected) {
    // Make sure the locale really writes a comma, or the check proves nothing.
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 1.5);
    EXPECT_STREQ(printed, "1,5");
    float value = 0.0f;
    EXPECT_TRUE(ParseRealText("1.5", &value));
    EXPECT_EQ(value, 1.5f);
    EXPECT_TRUE(ParseRealText("1,5", &value));
    EXPECT_EQ(value, 1.0f);
    EXPECT_TRUE(ParseRealText("0.40", &value));
    EXPECT_EQ(value, 0.40f);
  }
  std::setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
  if (!generatedDir.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(generatedDir, ignored);
  }
  if (!selected) GTEST_SKIP() << "no de_DE.UTF-8 locale installed and none could be built with localedef";
}

}  // namespace
