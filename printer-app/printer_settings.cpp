#include "printer-app/printer_settings.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace {

std::string g_state_folder;
std::mutex g_lock;
std::map<int, std::string> g_messages;

constexpr char kSettingsFile[] = "/printer-app.conf";

int ClampedInt(const std::string& text, int lo, int hi, int fallback) {
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || v < lo || v > hi) return fallback;
  return static_cast<int>(v);
}

}  // namespace

void SetStateFolder(const std::string& folder) { g_state_folder = folder; }
const std::string& StateFolder() { return g_state_folder; }

std::string PrinterFolder(int printer_id) {
  return g_state_folder + "/printers/" + std::to_string(printer_id);
}

std::string JobFolder(int printer_id, int job_id) {
  return g_state_folder + "/jobs/" + std::to_string(printer_id) + "-" + std::to_string(job_id);
}

// key=value lines; unknown keys and values out of range keep the default.
PrinterSettings LoadPrinterSettings(int printer_id) {
  PrinterSettings settings;
  std::ifstream in(PrinterFolder(printer_id) + kSettingsFile);
  std::string line;
  while (std::getline(in, line)) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "fault-retry-minutes")
      settings.fault_retry_minutes =
          ClampedInt(value, 0, kMaxRetryMinutes, settings.fault_retry_minutes);
    else if (key == "dpi")
      settings.dpi = ClampedInt(value, kMinDpi, kMaxDpi, settings.dpi);
    else if (key == "max-document-mb")
      settings.max_document_mb = ClampedInt(value, 1, kMaxDocumentMb, settings.max_document_mb);
    else if (key == "max-waiting-jobs")
      settings.max_waiting_jobs = ClampedInt(value, 0, kMaxWaitingJobs, settings.max_waiting_jobs);
  }
  return settings;
}

bool SavePrinterSettings(int printer_id, const PrinterSettings& settings) {
  const std::string path = PrinterFolder(printer_id) + kSettingsFile;
  const std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << "fault-retry-minutes=" << settings.fault_retry_minutes << "\n"
        << "dpi=" << settings.dpi << "\n"
        << "max-document-mb=" << settings.max_document_mb << "\n"
        << "max-waiting-jobs=" << settings.max_waiting_jobs << "\n";
    if (!out.flush()) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

void SetPrinterMessage(int printer_id, const std::string& text) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_messages[printer_id] = text;
}

std::string PrinterMessage(int printer_id) {
  std::lock_guard<std::mutex> hold(g_lock);
  auto it = g_messages.find(printer_id);
  return it == g_messages.end() ? std::string() : it->second;
}
