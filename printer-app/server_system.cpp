#include "printer-app/server_system.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>

#include "printer-app/add_printer_page.h"
#include "printer-app/admin_access.h"
#include "printer-app/driver.h"
#include "printer-app/document_check.h"
#include "printer-app/document_filter.h"
#include "printer-app/engine_programs.h"
#include "printer-app/job_limits.h"
#include "printer-app/job_queue.h"
#include "printer-app/job_start_guard.h"
#include "printer-app/held_jobs.h"
#include "printer-app/identify.h"
#include "printer-app/private_state.h"
#include "printer-app/print_picture.h"
#include "printer-app/printer_settings.h"
#include "printer-app/security_page.h"
#include "printer-app/settings_page.h"
#include "printer-app/supplies.h"

namespace {

constexpr char kStateFile[] = "/vyr-printer-app.state";

std::string g_state_file;
std::mutex g_attach_lock;
std::set<int> g_attached;

std::string DefaultStateFolder() {
  if (const char* systemd = std::getenv("STATE_DIRECTORY"); systemd && *systemd) {
    std::string first(systemd);
    return first.substr(0, first.find(':'));  // systemd lists several with ':'
  }
  if (getuid() == 0) return "/var/lib/vyr-printer-app";
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg)
    return std::string(xdg) + "/vyr-printer-app";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.local/state/vyr-printer-app";
}

pappl_loglevel_t LogLevel(const char* name) {
  if (!name) return PAPPL_LOGLEVEL_WARN;
  static const struct {
    const char* name;
    pappl_loglevel_t level;
  } kLevels[] = {{"debug", PAPPL_LOGLEVEL_DEBUG}, {"info", PAPPL_LOGLEVEL_INFO},
                 {"warn", PAPPL_LOGLEVEL_WARN},   {"error", PAPPL_LOGLEVEL_ERROR},
                 {"fatal", PAPPL_LOGLEVEL_FATAL}};
  for (const auto& l : kLevels)
    if (std::strcmp(name, l.name) == 0) return l.level;
  return PAPPL_LOGLEVEL_WARN;
}

// Under a temporary name, then renamed into place: a server killed while it
// saves leaves the state as it was, never half a file.
// The queue keeper saves too: one save at a time, so the file renamed last
// is the newest.
bool SaveStateFile(pappl_system_t* system) {
  static std::mutex one_at_a_time;
  std::lock_guard<std::mutex> hold(one_at_a_time);
  const std::string temp = g_state_file + ".new";
  return papplSystemSaveState(system, temp.c_str()) &&
         std::rename(temp.c_str(), g_state_file.c_str()) == 0;
}

bool SaveState(pappl_system_t* system, void* /*data*/) { return SaveStateFile(system); }

void CreatePrinterCallback(pappl_printer_t* printer, void* /*data*/) { AttachPrinter(printer); }

void JobEvent(pappl_system_t* /*system*/, pappl_printer_t* printer, pappl_job_t* job,
              pappl_event_t event, void* /*data*/) {
  if (job && (event & PAPPL_EVENT_JOB_CREATED)) NoteHeldJob(job);
  if (event & PAPPL_EVENT_JOB_COMPLETED) NoteJobEnded();
  if (job && (event & (PAPPL_EVENT_JOB_CREATED | PAPPL_EVENT_JOB_STATE_CHANGED |
                       PAPPL_EVENT_JOB_COMPLETED)))
    WakeQueueKeeper();
  if (!job || !printer || !(event & PAPPL_EVENT_JOB_STATE_CHANGED)) return;
  if (const std::string too_large = OversizeProblem(job, printer); !too_large.empty())
    NoteDocumentProblem(job, printer, too_large);
  CheckJobDocument(job, printer);
}

void AttachEach(pappl_printer_t* printer, void* /*data*/) { AttachPrinter(printer); }

}  // namespace

void AttachPrinter(pappl_printer_t* printer) {
  const int id = papplPrinterGetID(printer);
  const std::string folder = PrinterFolder(id);
  {
    std::lock_guard<std::mutex> hold(g_attach_lock);
    if (!g_attached.insert(id).second) return;
  }
  std::error_code ec;
  if (!std::filesystem::exists(folder + "/windows/system", ec)) {
    std::filesystem::create_directories(folder, ec);
    std::string error;
    if (!InitEngineDisk(folder, &error))
      papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "%s", error.c_str());
    else
      papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "engine disk laid out in %s", folder.c_str());
    // The installed defaults are copied with their modes.
    MakeStatePrivate(folder, &ec);
  }
  PrinterSettings settings = LoadPrinterSettings(id);
  if (!std::filesystem::exists(folder + "/printer-app.conf", ec)) SavePrinterSettings(id, settings);
  ApplyPrintSize(printer, settings.dpi);
  ApplyJobLimits(printer, settings);
  ApplySupplies(printer);
  AddSettingsPage(printer);
  AddPrintPictureResources(printer);
}

pappl_system_t* CreateServerSystem(int num_options, cups_option_t* options, void* /*data*/) {
  const char* state = cupsGetOption("state-directory", num_options, options);
  SetStateFolder(state && *state ? state : DefaultStateFolder());
  std::error_code ec;
  KeepStatePrivate();
  std::filesystem::create_directories(StateFolder() + "/printers", ec);
  std::filesystem::create_directories(StateFolder() + "/jobs", ec);
  if (!ec) MakeStatePrivate(StateFolder(), &ec);
  if (ec) {
    std::fprintf(stderr, "%s: cannot create the state folder %s: %s\n", kAppName,
                 StateFolder().c_str(), ec.message().c_str());
    return nullptr;
  }
  g_state_file = StateFolder() + kStateFile;

  const char* spool = cupsGetOption("spool-directory", num_options, options);
  const std::string spool_dir = spool && *spool ? spool : StateFolder() + "/spool";
  const char* log_file = cupsGetOption("log-file", num_options, options);
  const char* port_text = cupsGetOption("server-port", num_options, options);
  const int port = port_text ? std::atoi(port_text) : 0;
  // PAM is ours (admin_access), not PAPPL's: PAPPL would then drop the
  // application's own password.
  const char* auth = cupsGetOption("auth-service", num_options, options);

  pappl_system_t* system = papplSystemCreate(
      PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE | PAPPL_SOPTIONS_WEB_LOG |
          PAPPL_SOPTIONS_WEB_SECURITY,
      kAppName, port, "_print,_universal", spool_dir.c_str(), log_file ? log_file : "-",
      LogLevel(cupsGetOption("log-level", num_options, options)), /*auth_service*/ nullptr,
      // Another machine reaches the printer over TLS only: with the access
      // callback PAPPL answers a plain request from the network with "upgrade
      // required", so the printer offers only ipps:// there (and ipp:// to this
      // machine), and says so with one security value per URI.
      /*tls_only*/ true);
  if (!system) return nullptr;

  InstallAdminAccess(system, auth);
  AddPrinterPage(system);
  AddSecurityPage(system);
  if (const char* host = cupsGetOption("server-hostname", num_options, options))
    papplSystemSetHostName(system, host);
  const char* listen = cupsGetOption("listen-hostname", num_options, options);
  papplSystemAddListeners(system, listen);

  papplSystemSetPrinterDrivers(system, kDriverCount,
                               g_drivers, AutoAddCallback, CreatePrinterCallback, DriverCallback,
                               nullptr);
  AddDocumentFilters(system);
  papplSystemSetEventCallback(system, JobEvent, nullptr);
  papplSystemAddTimerCallback(system, 0, 1, ExplainAbortedJobs, nullptr);
  papplSystemAddTimerCallback(system, 0, 1, ExpireIdentify, nullptr);
  papplSystemAddTimerCallback(system, 0, 1, RefreshHeldJobs, nullptr);
  papplSystemSetFooterHTML(system,
                           "vyr printer application: prints photos on the dye-sublimation "
                           "photo printer.");
  pappl_version_t version{};
  std::snprintf(version.name, sizeof version.name, "%s", kAppName);
  std::snprintf(version.sversion, sizeof version.sversion, "%s", kAppVersion);
  version.version[0] = 1;
  papplSystemSetVersions(system, 1, &version);

  EndJobsCutShort(g_state_file);
  papplSystemLoadState(system, g_state_file.c_str());
  // The command line's group wins over the saved one.
  if (const char* group = cupsGetOption("admin-group", num_options, options))
    papplSystemSetAdminGroup(system, group);
  ExplainJobsCutShort(system);
  papplSystemIteratePrinters(system, AttachEach, nullptr);
  if (std::string why; !JobStartGuarded(&why))
    papplLog(system, PAPPL_LOGLEVEL_WARN, "jobs uploaded at once may start twice: %s", why.c_str());
  StartQueueKeeper(system, SaveStateFile);
  papplSystemSetSaveCallback(system, SaveState, nullptr);
  return system;
}
