// The settings-file reader on any file, asked for names taken from the input
// itself, and the reader of real numbers on every value it returns.
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "platform/ini_file.h"

namespace {

// The first "[section]" and the first "key=" of the file, so that lookups
// reach the parser's deeper paths as well as its misses.
void NamesFrom(const std::string& text, std::string* section, std::string* key) {
  const size_t open = text.find('[');
  const size_t close = text.find(']', open == std::string::npos ? 0 : open);
  if (open != std::string::npos && close != std::string::npos) *section = text.substr(open + 1, close - open - 1);
  const size_t eq = text.find('=', close == std::string::npos ? 0 : close);
  if (eq != std::string::npos) {
    const size_t lineStart = text.find_last_of("\r\n", eq);
    *key = text.substr(lineStart == std::string::npos ? 0 : lineStart + 1,
                       eq - (lineStart == std::string::npos ? 0 : lineStart + 1));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::TheDisk().Write("windows/test.ini", data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string section = "Image", key = "Contrast";
  NamesFrom(text, &section, &key);

  char value[64];
  const unsigned n =
      GetPrivateProfileStringA(section.c_str(), key.c_str(), "dflt", value, sizeof value, "test.ini");
  if (n >= sizeof value || std::strlen(value) != n) fuzz::Fail("string length");
  // A buffer of two holds at most one character.
  char small[2];
  if (GetPrivateProfileStringA(section.c_str(), key.c_str(), "dflt", small, sizeof small, "test.ini") > 1)
    fuzz::Fail("small buffer");
  GetPrivateProfileIntA(section.c_str(), key.c_str(), -7, "test.ini");

  float real = 0;
  ParseRealText(value, &real);
  ParseRealText(text.c_str(), &real);
  return 0;
}
