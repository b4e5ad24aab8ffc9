#include "printer-app/device_uri.h"

#include <pappl/pappl.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "printer-app/engine_programs.h"

namespace {

constexpr char kScheme[] = "vyr";
constexpr char kVirtualPrefix[] = "vyr://virtual";
constexpr char kPortPrefix[] = "vyr://ieee1284";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %XX escapes and '+' as in a form; false on a broken escape.
bool Unescape(const std::string& in, std::string* out) {
  out->clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '%') {
      if (i + 2 >= in.size()) return false;
      int hi = HexValue(in[i + 1]), lo = HexValue(in[i + 2]);
      if (hi < 0 || lo < 0) return false;
      out->push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    } else if (in[i] == '+') {
      out->push_back(' ');
    } else {
      out->push_back(in[i]);
    }
  }
  return true;
}

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

bool OpenDevice(pappl_device_t* device, const char* device_uri, const char* /*name*/) {
  std::string port, error;
  if (!EnginePortForUri(device_uri, &port, &error)) {
    papplDeviceError(device, "%s", error.c_str());
    return false;
  }
  return true;
}

void CloseDevice(pappl_device_t* /*device*/) {}

// The engine speaks to the printer; nothing goes through PAPPL's data path.
ssize_t ReadDevice(pappl_device_t* /*device*/, void* /*buffer*/, size_t /*bytes*/) { return 0; }

ssize_t WriteDevice(pappl_device_t* device, const void* /*buffer*/, size_t /*bytes*/) {
  papplDeviceError(device, "this printer takes pictures only, not printer-ready data");
  return -1;
}

// The virtual printer always, then every port where the engine's own search
// finds a printer that answers the identification query.
bool ListDevices(pappl_device_cb_t cb, void* data, pappl_deverror_cb_t err_cb, void* err_data) {
  if (cb("Virtual printer (prints nowhere)", "vyr://virtual/", "MFG:vyr;MDL:virtual printer;CMD:vyr;",
         data))
    return true;
  std::vector<std::string> ports;
  std::string error;
  if (!FindPrinterPorts(&ports, &error)) {
    if (err_cb) err_cb(error.c_str(), err_data);
    return false;
  }
  for (const std::string& name : ports) {
    std::string uri = std::string(kPortPrefix) + "/" + name;
    std::string info = "Photo printer on parallel port " + name;
    if (cb(info.c_str(), uri.c_str(), "MFG:vyr;MDL:photo printer;CMD:vyr;", data)) return true;
  }
  return false;
}

}  // namespace

bool EnginePortForUri(const std::string& uri, std::string* port, std::string* error) {
  std::string rest;
  if (StartsWith(uri, kVirtualPrefix)) {
    rest = uri.substr(std::strlen(kVirtualPrefix));
    if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    if (!rest.empty() && rest[0] != '?') {
      *error = "a virtual printer URI has no path: " + uri;
      return false;
    }
    std::string options;
    size_t at = rest.empty() ? std::string::npos : 1;
    while (at != std::string::npos && at < rest.size()) {
      size_t amp = rest.find('&', at);
      std::string pair = rest.substr(at, amp == std::string::npos ? std::string::npos : amp - at);
      at = amp == std::string::npos ? std::string::npos : amp + 1;
      if (pair.empty()) continue;
      std::string plain;
      if (!Unescape(pair, &plain) || plain.find(',') != std::string::npos) {
        *error = "virtual printer option cannot be passed on: " + pair;
        return false;
      }
      if (!options.empty()) options += ',';
      options += plain;
    }
    *port = options.empty() ? "virtual" : "virtual:" + options;
    return true;
  }
  if (StartsWith(uri, kPortPrefix)) {
    rest = uri.substr(std::strlen(kPortPrefix));
    if (rest.empty() || rest == "/") {
      *port = "ieee1284";
      return true;
    }
    std::string name;
    if (rest[0] != '/' || !Unescape(rest.substr(1), &name) || name.empty() ||
        name.find_first_of("/?,:") != std::string::npos) {
      *error = "not a port name: " + uri;
      return false;
    }
    *port = "ieee1284:" + name;
    return true;
  }
  *error = "not a vyr device URI: " + uri;
  return false;
}

void RegisterDeviceScheme() {
  papplDeviceAddScheme(kScheme, PAPPL_DEVTYPE_CUSTOM_LOCAL, ListDevices, OpenDevice, CloseDevice,
                       ReadDevice, WriteDevice, /*status_cb*/ nullptr, /*id_cb*/ nullptr);
}
