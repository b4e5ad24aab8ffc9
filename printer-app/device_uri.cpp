#include "printer-app/device_uri.h"

#include <pappl/pappl.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "printer-app/device_options.h"
#include "printer-app/engine_programs.h"

namespace {

constexpr char kScheme[] = "vyr";
constexpr char kVirtualPrefix[] = "vyr://virtual";
constexpr char kPortPrefix[] = "vyr://ieee1284";

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
    return VirtualPortOptions(rest.empty() ? rest : rest.substr(1), port, error);
  }
  if (StartsWith(uri, kPortPrefix)) {
    rest = uri.substr(std::strlen(kPortPrefix));
    if (rest.empty() || rest == "/") {
      *port = "ieee1284";
      return true;
    }
    std::string name;
    if (rest[0] != '/' || !UnescapeUriText(rest.substr(1), &name) || name.empty() ||
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

bool CheckNewDeviceUri(const std::string& uri, std::string* error) {
  std::string port;
  if (!EnginePortForUri(uri, &port, error)) return false;
  constexpr char kPortKind[] = "ieee1284:";
  return port.rfind(kPortKind, 0) != 0 || MachineHasPort(port.substr(std::strlen(kPortKind)), error);
}

void ExplainDeviceUriRefusal(pappl_client_t* client) {
  ipp_t* request = papplClientGetRequest(client);
  const char* uri =
      request ? ippGetString(ippFindAttribute(request, "smi55357-device-uri", IPP_TAG_URI), 0, nullptr) : nullptr;
  std::string error;
  if (!uri || CheckNewDeviceUri(uri, &error)) return;
  // PAPPL answers a refused device with its own words about the driver; the
  // reason goes beside them.
  ippAddString(papplClientGetResponse(client), IPP_TAG_OPERATION, IPP_TAG_TEXT,
               "detailed-status-message", nullptr, error.c_str());
  papplLogClient(client, PAPPL_LOGLEVEL_ERROR, "Device URI %s refused: %s", uri, error.c_str());
}

void RegisterDeviceScheme() {
  papplDeviceAddScheme(kScheme, PAPPL_DEVTYPE_CUSTOM_LOCAL, ListDevices, OpenDevice, CloseDevice,
                       ReadDevice, WriteDevice, /*status_cb*/ nullptr, /*id_cb*/ nullptr);
}
