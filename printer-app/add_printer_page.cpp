#include "printer-app/add_printer_page.h"

#include <cerrno>
#include <string>
#include <vector>

#include "printer-app/admin_access.h"
#include "printer-app/admin_page.h"
#include "printer-app/device_uri.h"
#include "printer-app/driver.h"

namespace {

constexpr char kPath[] = "/addprinter";

struct Device {
  std::string info, uri, id;
};

bool Listed(const char* info, const char* uri, const char* id, void* data) {
  static_cast<std::vector<Device>*>(data)->push_back({info ? info : "", uri ? uri : "", id ? id : ""});
  return false;  // the whole list
}

// The new printer, or nullptr with the reason in `status`.
pappl_printer_t* Create(pappl_system_t* system, const PostedForm& form, std::string* status) {
  const char* name = form.Get("printer_name");
  const char* typed = form.Get("device_uri_text");
  const char* chosen = form.Get("device_uri");
  const std::string uri = typed && *typed ? typed : chosen ? chosen : "";
  std::string error;
  if (!form.valid()) {
    *status = "Invalid form submission.";
  } else if (!name || !*name) {
    *status = "Please enter a printer name.";
  } else if (uri.empty()) {
    *status = "Please choose a device or enter a device URI.";
  } else if (!CheckNewDeviceUri(uri, &error)) {
    *status = "Device refused: " + error + ".";
  } else if (pappl_printer_t* printer = papplPrinterCreate(system, 0, name, kDriverName, "MFG:vyr;CMD:vyr;", uri.c_str())) {
    papplPrinterSetDNSSDName(printer, name);  // advertises it
    return printer;
  } else if (errno == EEXIST) {
    *status = "A printer with that name already exists.";
  } else if (errno == EINVAL) {
    *status = "Printer names must start with a letter or underscore and cannot contain special characters.";
  } else {
    *status = "The printer could not be added (the log says why).";
  }
  return nullptr;
}

bool ServePage(pappl_client_t* client, void* /*data*/) {
  if (!papplClientHTMLAuthorize(client)) return true;
  pappl_system_t* system = papplClientGetSystem(client);
  const std::string token = SessionFormToken(client);
  std::string status;
  if (const PostedForm form(client); form.posted()) {
    if (pappl_printer_t* printer = Create(system, form, &status)) {
      char path[1024];
      papplPrinterGetPath(printer, nullptr, path, sizeof path);
      return papplClientRespondRedirect(client, HTTP_STATUS_FOUND, path);
    }
  }
  std::vector<Device> devices;
  papplDeviceList(PAPPL_DEVTYPE_ALL, Listed, &devices, nullptr, nullptr);

  BeginSystemPage(client, "Add Printer", status);
  StartSessionForm(client, kPath, token);
  papplClientHTMLPuts(client,
                      "<table class=\"form\"><tbody>\n"
                      "<tr><th><label for=\"printer_name\">Name:</label></th><td><input type=\"text\" "
                      "name=\"printer_name\" id=\"printer_name\" required></td></tr>\n"
                      "<tr><th><label for=\"device_uri\">Device:</label></th><td><select "
                      "name=\"device_uri\" id=\"device_uri\"><option value=\"\">Select Device</option>");
  for (const Device& d : devices) {
    papplClientHTMLPuts(client, "<option value=\"");
    HtmlEscaped(client, d.uri);
    papplClientHTMLPuts(client, "\">");
    HtmlEscaped(client, d.info);
    papplClientHTMLPuts(client, "</option>");
  }
  papplClientHTMLPuts(client,
                      "</select></td></tr>\n"
                      "<tr><th><label for=\"device_uri_text\">Or device URI:</label></th><td><input "
                      "type=\"text\" name=\"device_uri_text\" id=\"device_uri_text\" "
                      "placeholder=\"vyr://virtual/?out=NAME\"></td></tr>\n"
                      "<tr><th></th><td><input type=\"submit\" value=\"Add Printer\"></td></tr>\n"
                      "</tbody></table></form>\n");
  EndSystemPage(client);
  return true;
}

}  // namespace

void AddPrinterPage(pappl_system_t* system) {
  papplSystemAddResourceCallback(system, kPath, "text/html", ServePage, nullptr);
}
