// vyr-printer-app: an IPP Everywhere printer application for the photo
// printer. PAPPL's main loop gives it the usual subcommands (server, add,
// devices, drivers, submit, jobs, cancel, status, shutdown, ...).
#include <pappl/pappl.h>

#include "printer-app/device_uri.h"
#include "printer-app/driver.h"
#include "printer-app/server_system.h"

int main(int argc, char* argv[]) {
  RegisterDeviceScheme();
  return papplMainloop(argc, argv, kAppVersion, /*footer_html*/ nullptr,
                       kDriverCount, g_drivers,
                       AutoAddCallback, DriverCallback, /*subcmd_name*/ nullptr,
                       /*subcmd_cb*/ nullptr, CreateServerSystem, /*usage_cb*/ nullptr,
                       /*data*/ nullptr);
}
