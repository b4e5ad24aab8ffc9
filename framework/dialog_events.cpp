// The dialog event lines: one encoder, one decoder (dialog_events.h).
// Self-contained (the standard library only), so a program that links none
// of the engine's libraries can build it in.
#include "framework/dialog_events.h"

#include <charconv>

namespace {

constexpr std::string_view kYesNo = " yesno ";

std::string Number(int64_t n) { return std::to_string(n); }

// A caption or item text on one line: a line break would end the event.
std::string OneLine(const std::string& text) {
  std::string s = text;
  for (char& c : s)
    if (c == '\n' || c == '\r') c = ' ';
  return s;
}

std::string Quote(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The whole of `s` as one quoted text.
bool Unquote(std::string_view s, std::string* out) {
  if (s.size() < 2 || s.front() != '"' || s.back() != '"') return false;
  out->clear();
  for (size_t i = 1; i + 1 < s.size(); ++i) {
    char c = s[i];
    if (c == '"') return false;  // a quote ends the text only at the end
    if (c != '\\') {
      *out += c;
      continue;
    }
    if (++i + 1 >= s.size()) return false;
    switch (s[i]) {
      case '\\': *out += '\\'; break;
      case '"': *out += '"'; break;
      case 'n': *out += '\n'; break;
      case 'r': *out += '\r'; break;
      case 't': *out += '\t'; break;
      case 'x': {
        if (i + 3 >= s.size()) return false;
        int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
        if (hi < 0 || lo < 0) return false;
        *out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

// A decimal number (optional '-') that is all of `s`.
template <typename T>
bool WholeNumber(std::string_view s, T* value) {
  if (s.empty()) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *value);
  return ec == std::errc() && end == s.data() + s.size();
}

// Splits off the first word (up to a blank) of `s`.
std::string_view Word(std::string_view* s) {
  size_t blank = s->find(' ');
  std::string_view word = s->substr(0, blank);
  *s = blank == std::string_view::npos ? std::string_view() : s->substr(blank + 1);
  return word;
}

bool TwoNumbers(std::string_view rest, DialogEvent* e) {
  std::string_view first = Word(&rest);
  return WholeNumber(first, &e->value) && WholeNumber(rest, &e->count);
}

}  // namespace

std::string EncodeDialogEvent(const DialogEvent& e) {
  switch (e.kind) {
    case DialogEventKind::kCaption: return "caption " + OneLine(e.text);
    case DialogEventKind::kProgress: return "progress " + Number(e.value);
    case DialogEventKind::kItemText: return "text " + Number(e.item) + " " + OneLine(e.text);
    case DialogEventKind::kItemEnable: return "enable " + Number(e.item) + (e.flag ? " 1" : " 0");
    case DialogEventKind::kSay: return "say " + Number(e.number) + " " + Quote(e.text);
    case DialogEventKind::kMessage: return "message " + Number(e.number) + " ok";
    case DialogEventKind::kQuestion: return EncodeOpenQuestion(e.number) + (e.flag ? "yes" : "no");
    case DialogEventKind::kCopy: return "copy " + Number(e.value) + " " + Number(e.count);
    case DialogEventKind::kLine: return "line " + Number(e.value) + " " + Number(e.count);
    case DialogEventKind::kPrinted: return "printed " + Number(e.value) + " " + Number(e.count);
    case DialogEventKind::kEnd: return e.flag ? "end ok" : "end cancel";
  }
  return "";
}

std::string EncodeOpenQuestion(uint32_t number) {
  return "message " + Number(number) + std::string(kYesNo);
}

bool DecodeDialogEvent(std::string_view line, DialogEvent* e) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string_view rest = line;
  const std::string_view word = Word(&rest);
  *e = DialogEvent{};
  if (word == "caption") {
    e->kind = DialogEventKind::kCaption;
    e->text = rest;
    return line.size() > word.size();
  }
  if (word == "progress") {
    e->kind = DialogEventKind::kProgress;
    return WholeNumber(rest, &e->value);
  }
  if (word == "text" || word == "enable") {
    std::string_view item = Word(&rest);
    if (!WholeNumber(item, &e->item)) return false;
    if (word == "text") {
      e->kind = DialogEventKind::kItemText;
      e->text = rest;
      return true;
    }
    e->kind = DialogEventKind::kItemEnable;
    e->flag = rest == "1";
    return rest == "0" || rest == "1";
  }
  if (word == "say") {
    e->kind = DialogEventKind::kSay;
    std::string_view number = Word(&rest);
    return WholeNumber(number, &e->number) && Unquote(rest, &e->text);
  }
  if (word == "message") {
    std::string_view number = Word(&rest);
    if (!WholeNumber(number, &e->number)) return false;
    if (rest == "ok") {
      e->kind = DialogEventKind::kMessage;
      return true;
    }
    e->kind = DialogEventKind::kQuestion;
    e->flag = rest == "yesno yes";
    return e->flag || rest == "yesno no";
  }
  if (word == "copy") {
    e->kind = DialogEventKind::kCopy;
    return TwoNumbers(rest, e);
  }
  if (word == "line") {
    e->kind = DialogEventKind::kLine;
    return TwoNumbers(rest, e);
  }
  if (word == "printed") {
    e->kind = DialogEventKind::kPrinted;
    return TwoNumbers(rest, e);
  }
  if (word == "end") {
    e->kind = DialogEventKind::kEnd;
    e->flag = rest == "ok";
    return rest == "ok" || rest == "cancel";
  }
  return false;
}

bool DecodeOpenQuestion(std::string_view partial, uint32_t* number) {
  constexpr std::string_view kMessage = "message ";
  if (partial.substr(0, kMessage.size()) != kMessage || partial.size() < kMessage.size() + kYesNo.size() ||
      partial.substr(partial.size() - kYesNo.size()) != kYesNo)
    return false;
  return WholeNumber(partial.substr(kMessage.size(), partial.size() - kMessage.size() - kYesNo.size()),
                     number);
}

void DialogEventReader::Take(const char* data, size_t size) {
  pending_.append(data, size);
  size_t start = 0;
  for (size_t nl; (nl = pending_.find('\n', start)) != std::string::npos; start = nl + 1) {
    const std::string_view line(pending_.data() + start, nl - start);
    question_open_ = false;
    DialogEvent event;
    if (DecodeDialogEvent(line, &event)) {
      if (on_event) on_event(event);
    } else if (on_other) {
      on_other(line);
    }
  }
  pending_.erase(0, start);
  uint32_t number = 0;
  if (!question_open_ && DecodeOpenQuestion(pending_, &number)) {
    question_open_ = true;
    if (on_question) on_question(number);
  }
}
