// Initialisation files, read the way the engine's settings files always were
// read. The whole file is read for every lookup (the engine reads each key
// once, at start-up) and scanned line by line:
//
//   - lines end at '\n' or '\r' (so CRLF, LF and lone CR files all work); a
//     UTF-8 byte-order mark at the start is skipped;
//   - blanks are spaces and tabs; a line whose first non-blank is ';' is a
//     comment;
//   - "[name]" opens a section: the name is what lies between '[' and the
//     first ']' (or the end of the line), blanks around it dropped;
//   - "key=value" defines a key of the current section: both sides lose their
//     blanks, and a value wrapped in one pair of matching quotes (" or ')
//     loses them. A line without '=' defines nothing. Text after the value
//     (a "; note") belongs to the value, as it always has;
//   - names compare without regard to ASCII case; only the first section of a
//     name is searched and in it the first matching key wins;
//   - "key=" is a key with an empty value: it gives "" (and 0 as a number),
//     not the default.
//
// Junk is harmless: every scan is bounded by the data read, NUL bytes end a
// value, and a file larger than kMaxFileBytes is read only that far.
#include "platform/ini_file.h"

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <optional>
#include <string>
#include <string_view>

#include "platform/paths.h"

namespace {

// Settings files are a few kilobytes; this only bounds what junk can cost.
constexpr size_t kMaxFileBytes = 16u * 1024u * 1024u;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// A bare file name is looked for in the Windows directory, as the classic
// reader does; any other path is mapped as it stands.
std::string IniFilePath(const char* path) {
  if (IsPlainFileName(path)) {
    char dir[64];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\" + path;
  }
  return path;
}

bool ReadWholeFile(const char* windowsPath, std::string* contents) {
  if (windowsPath == nullptr) return false;
  std::string path = IniFilePath(windowsPath);
  FILE* file = OpenWindowsFile(path.c_str(), "rb");
  if (file == nullptr) return false;
  contents->clear();
  char chunk[4096];
  size_t got;
  while (contents->size() < kMaxFileBytes && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    contents->append(chunk, std::min(got, kMaxFileBytes - contents->size()));
  std::fclose(file);
  return true;
}

// The value of `key` in the first section named `section`, or nothing.
std::optional<std::string> LookUp(const char* section, const char* key, const char* path) {
  if (section == nullptr || key == nullptr) return std::nullopt;
  std::string data;
  if (!ReadWholeFile(path, &data)) return std::nullopt;

  std::string_view text(data);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::string_view wantedSection = TrimBlanks(section);
  const std::string_view wantedKey = TrimBlanks(key);

  bool inWanted = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = TrimBlanks(text.substr(pos, end - pos));
    pos = end + 1;

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      // Leaving the first section of the wanted name ends the search: later
      // sections of the same name are never looked at.
      if (inWanted) return std::nullopt;
      size_t close = line.find(']');
      std::string_view name = TrimBlanks(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
      inWanted = EqualsNoCase(name, wantedSection);
      continue;
    }
    if (!inWanted) continue;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (!EqualsNoCase(TrimBlanks(line.substr(0, equals)), wantedKey)) continue;

    std::string_view value = TrimBlanks(line.substr(equals + 1));
    size_t nul = value.find('\0');
    if (nul != std::string_view::npos) value = value.substr(0, nul);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    return std::string(value);
  }
  return std::nullopt;
}

unsigned CopyOut(std::string_view text, char* buf, unsigned size) {
  if (buf == nullptr || size == 0) return 0;
  size_t count = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buf, text.data(), count);
  buf[count] = '\0';
  return static_cast<unsigned>(count);
}

bool IsScanfSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The "C" locale, made once, for strtof_l: the conversion then reads a full
// stop whatever setlocale says.
locale_t CLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

}  // namespace

unsigned GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText,
                                  char* buf, unsigned size, const char* path) {
  std::optional<std::string> value = LookUp(section, key, path);
  if (value) return CopyOut(*value, buf, size);
  return CopyOut(defaultText != nullptr ? defaultText : "", buf, size);
}

int32_t GetPrivateProfileIntA(const char* section, const char* key, int32_t defaultValue,
                              const char* path) {
  std::optional<std::string> value = LookUp(section, key, path);
  if (!value) return defaultValue;
  const char* p = value->c_str();
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // Unsigned arithmetic: the value wraps modulo 2^32 instead of overflowing.
  uint32_t number = 0;
  for (; IsDigit(*p); ++p) number = number * 10u + static_cast<uint32_t>(*p - '0');
  if (negative) number = 0u - number;
  return static_cast<int32_t>(number);
}

bool ParseRealText(const char* text, float* value) {
  if (text == nullptr || value == nullptr) return false;
  const char* p = text;
  while (IsScanfSpace(*p)) ++p;

  // The longest leading [sign] digits [. digits] [e [sign] digits] with at
  // least one mantissa digit; the exponent counts only when it has digits.
  std::string number;
  if (*p == '+' || *p == '-') number += *p++;
  size_t mantissaDigits = 0;
  for (; IsDigit(*p); ++p, ++mantissaDigits) number += *p;
  if (*p == '.') {
    number += *p++;
    for (; IsDigit(*p); ++p, ++mantissaDigits) number += *p;
  }
  if (mantissaDigits == 0) return false;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      while (p < q) number += *p++;
      for (; IsDigit(*p); ++p) number += *p;
    }
  }

  locale_t c = CLocale();
  if (c == static_cast<locale_t>(nullptr)) return false;
  // Rounded once, straight to single precision, as the "%f" conversion into
  // a float does. Only overflow is refused; a tiny value becomes the nearest
  // float (possibly zero).
  errno = 0;
  float result = strtof_l(number.c_str(), nullptr, c);
  if (std::isinf(result) || std::isnan(result)) return false;
  *value = result;
  return true;
}
