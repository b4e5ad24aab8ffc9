// Choice of the UI back end (VYR_UI) and the answers to Yes/No questions
// (VYR_ANSWERS), shared by every back end that cannot ask anyone.
#include "framework/ui_backend.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "framework/ui_terminal.h"
#include "framework/ui_window.h"

namespace {

const UiBackend* g_installed = nullptr;  // set by UiInstall
const UiBackend* g_chosen = nullptr;     // what VYR_UI picked, once

std::map<unsigned, bool>* g_answers = nullptr;  // number -> yes, read at first use

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

bool ParseAnswerWord(std::string word, bool* yes) {
  word = Trim(word);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (word == "yes" || word == "y" || word == "1") {
    *yes = true;
    return true;
  }
  if (word == "no" || word == "n" || word == "0") {
    *yes = false;
    return true;
  }
  return false;
}

// "2026=yes,2027=no": entries that are not NUMBER=yes|no are ignored, so a
// typo never turns into a Yes; a later entry for the same number wins.
void ParseAnswers(const char* text, std::map<unsigned, bool>* out) {
  out->clear();
  if (!text) return;
  std::string all(text);
  size_t start = 0;
  while (start <= all.size()) {
    size_t comma = all.find(',', start);
    if (comma == std::string::npos) comma = all.size();
    std::string entry = all.substr(start, comma - start);
    start = comma + 1;
    size_t eq = entry.find('=');
    if (eq == std::string::npos) continue;
    std::string number = Trim(entry.substr(0, eq));
    bool yes = false;
    if (number.empty() || number.size() > 9 ||
        number.find_first_not_of("0123456789") != std::string::npos ||
        !ParseAnswerWord(entry.substr(eq + 1), &yes))
      continue;
    (*out)[static_cast<unsigned>(std::strtoul(number.c_str(), nullptr, 10))] = yes;
  }
}

std::map<unsigned, bool>& Answers() {
  if (!g_answers) {
    g_answers = new std::map<unsigned, bool>;
    ParseAnswers(std::getenv("VYR_ANSWERS"), g_answers);
  }
  return *g_answers;
}

bool DisplayIsThere() {
  for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return true;
  }
  return false;
}

// The window where one can be shown; otherwise the terminal, with one line
// on standard error that says why.
const UiBackend* WindowOrTerminal() {
  const UiBackend* window = UiLoadWindowBackend();
  return window ? window : UiTerminalBackend();
}

const UiBackend* ChooseFromEnvironment() {
  const char* choice = std::getenv("VYR_UI");
  if (!choice || !*choice) return DisplayIsThere() ? WindowOrTerminal() : UiTerminalBackend();
  if (std::strcmp(choice, "terminal") == 0) return UiTerminalBackend();
  if (std::strcmp(choice, "window") == 0) return WindowOrTerminal();
  if (std::strcmp(choice, "stdio") == 0) return UiStdioBackend();
  if (std::strncmp(choice, "record:", 7) == 0 && choice[7] != '\0') {
    const UiBackend* record = UiMakeRecordBackend(choice + 7);
    if (record) return record;
    std::fprintf(stderr, "vyr: cannot write the UI record %s; using the terminal\n", choice + 7);
    return UiTerminalBackend();
  }
  std::fprintf(stderr, "vyr: unknown VYR_UI \"%s\" (use terminal, window, stdio or record:FILE); using the terminal\n",
               choice);
  return UiTerminalBackend();
}

}  // namespace

const UiBackend* UiCurrent() {
  if (g_installed) return g_installed;
  if (!g_chosen) g_chosen = ChooseFromEnvironment();
  return g_chosen;
}

void UiInstall(const UiBackend* backend) { g_installed = backend; }

bool UiParseAnswer(const char* word, bool* yes) { return ParseAnswerWord(word ? word : "", yes); }

bool UiAnswerFor(unsigned number) {
  const auto& answers = Answers();
  auto it = answers.find(number);
  return it != answers.end() && it->second;
}

// nullptr goes back to the answers of VYR_ANSWERS.
void UiSetAnswers(const char* answers) {
  ParseAnswers(answers ? answers : std::getenv("VYR_ANSWERS"), &Answers());
}
