#include "printer-app/device_options.h"

#include <cstring>

#include "printer-app/engine_programs.h"
#include "printer-app/printer_settings.h"

namespace {

// Options that take no value, and those that do; params= and head= need
// commas, which a device URI cannot carry.
constexpr const char* kFlags[] = {"absent", "never_ready", "runs"};
constexpr const char* kValued[] = {"out",   "base",        "busy_reads", "ready_after_ms",
                                   "id",    "fault",       "fault_reads", "fault_clears"};
constexpr char kVirtualFolder[] = "/virtual/";

bool OneOf(const std::string& key, const char* const* names, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (key == names[i]) return true;
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool PlainChar(char c, const char* extra) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::strchr(extra, c) != nullptr;
}

// Why `value` of option `key` cannot be passed on; "" when it can.
std::string ValueProblem(const std::string& key, const std::string& value) {
  const std::string option = "device URI option '" + key + "'";
  if (value.find('/') != std::string::npos) return option + " names a path ('/' is not allowed)";
  if (value.find(',') != std::string::npos) return option + " contains a comma";
  if (value.find("..") != std::string::npos) return option + " contains '..'";
  if (key == "out") {
    if (value.empty() || value[0] == '.' || value.size() > 64)
      return option + " must be a plain folder name of 1 to 64 characters, not starting with '.'";
    for (char c : value)
      if (!PlainChar(c, "._-")) return option + " must be a plain folder name (letters, digits, '.', '_', '-')";
    return "";
  }
  if (value.empty()) return option + " needs a value";
  for (char c : value)
    if (!PlainChar(c, "._:@-")) return option + " may hold only letters, digits and . _ : @ -";
  return "";
}

}  // namespace

bool UnescapeUriText(const std::string& in, std::string* out) {
  out->clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '%') {
      if (i + 2 >= in.size()) return false;
      const int hi = HexValue(in[i + 1]), lo = HexValue(in[i + 2]);
      if (hi < 0 || lo < 0) return false;
      out->push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    } else {
      out->push_back(in[i] == '+' ? ' ' : in[i]);
    }
  }
  return true;
}

bool VirtualPortOptions(const std::string& query, std::string* port, std::string* error) {
  std::string options;
  size_t at = 0;
  while (at <= query.size() && !query.empty()) {
    const size_t amp = query.find('&', at);
    const std::string pair = query.substr(at, amp == std::string::npos ? std::string::npos : amp - at);
    at = amp == std::string::npos ? query.size() + 1 : amp + 1;
    if (pair.empty()) continue;
    const size_t eq = pair.find('=');
    std::string key, value;
    if (!UnescapeUriText(pair.substr(0, eq), &key) ||
        (eq != std::string::npos && !UnescapeUriText(pair.substr(eq + 1), &value))) {
      *error = "device URI option '" + pair + "' has a broken %-escape";
      return false;
    }
    if (eq == std::string::npos ? !OneOf(key, kFlags, std::size(kFlags))
                                : !OneOf(key, kValued, std::size(kValued))) {
      *error = "unknown device URI option '" + key + "'" +
               (eq == std::string::npos ? "" : " (or it takes no value)");
      return false;
    }
    if (eq != std::string::npos) {
      if (std::string problem = ValueProblem(key, value); !problem.empty()) {
        *error = problem;
        return false;
      }
      if (key == "out") value = StateFolder() + kVirtualFolder + value;
    }
    if (!options.empty()) options += ',';
    options += eq == std::string::npos ? key : key + "=" + value;
  }
  *port = options.empty() ? "virtual" : "virtual:" + options;
  return true;
}

bool MachineHasPort(const std::string& name, std::string* error) {
  std::vector<std::string> ports;
  if (!MachinePortNames(&ports, error)) return false;
  for (const std::string& port : ports)
    if (port == name) return true;
  *error = "this machine has no parallel port '" + name + "'";
  return false;
}
