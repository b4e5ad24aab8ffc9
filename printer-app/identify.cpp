#include "printer-app/identify.h"

#include <chrono>
#include <ctime>
#include <map>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

struct Request {
  Clock::time_point at;
  std::string text;  // what the page shows
};

std::mutex g_lock;
std::map<int, Request> g_requests;  // printer id -> the standing request

}  // namespace

void IdentifyPrinter(pappl_printer_t* printer, pappl_identify_actions_t /*actions*/,
                     const char* message) {
  // Every action a client asks for is shown the one way the printer can.
  char when[32] = "";
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local)) std::strftime(when, sizeof when, "%H:%M:%S", &local);
  std::string text = std::string("Identify-Printer at ") + when + ": this is printer \"" +
                     papplPrinterGetName(printer) + "\"";
  if (message && *message) text += ". Message: " + std::string(message);
  {
    std::lock_guard<std::mutex> hold(g_lock);
    g_requests[papplPrinterGetID(printer)] = {Clock::now(), text};
  }
  papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "%s", text.c_str());
}

std::string IdentifyNotice(int printer_id) {
  std::lock_guard<std::mutex> hold(g_lock);
  auto it = g_requests.find(printer_id);
  return it == g_requests.end() ? std::string() : it->second.text;
}

bool ExpireIdentify(pappl_system_t* /*system*/, void* /*data*/) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::erase_if(g_requests, [](const auto& r) {
    return Clock::now() - r.second.at >= std::chrono::seconds(kIdentifyShowSeconds);
  });
  return true;
}
