#include "printer-app/supplies.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>

#include "printer-app/printer_settings.h"

namespace {

constexpr char kSuppliesFile[] = "/supplies.conf";

// One lock for every printer's file: counts are changed from job threads
// and the web page alike.
std::mutex g_lock;

std::string SuppliesPath(int printer_id) { return PrinterFolder(printer_id) + kSuppliesFile; }

SupplyCount ReadCount(int printer_id) {
  SupplyCount count;
  std::ifstream in(SuppliesPath(printer_id));
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    char* end = nullptr;
    const long long v = std::strtoll(line.c_str() + eq + 1, &end, 10);
    if (*end != '\0' || v < 0) continue;
    if (key == "pack-prints" && v <= kMaxPackPrints) count.pack_prints = static_cast<int>(v);
    else if (key == "printed" && v <= 1'000'000) count.printed = static_cast<int>(v);
    else if (key == "empty") count.empty = v != 0;
    else if (key == "lifetime") count.lifetime = v;
  }
  return count;
}

// Written under a temporary name, flushed to the disk and renamed: a crash
// leaves the old count or the new one, never half a file.
bool WriteCount(int printer_id, const SupplyCount& count) {
  const std::string path = SuppliesPath(printer_id);
  const std::string temp = path + ".new";
  char text[256];
  const int n = std::snprintf(text, sizeof text, "pack-prints=%d\nprinted=%d\nempty=%d\nlifetime=%lld\n",
                              count.pack_prints, count.printed, count.empty ? 1 : 0,
                              static_cast<long long>(count.lifetime));
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = write(fd, text, static_cast<size_t>(n)) == n && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

void Report(pappl_printer_t* printer, const SupplyCount& count) {
  const int level = count.Level();
  const std::string left = SuppliesText(count);
  pappl_supply_t supplies[2] = {};
  supplies[0].color = PAPPL_SUPPLY_COLOR_MULTIPLE;
  supplies[0].type = PAPPL_SUPPLY_TYPE_INK_RIBBON;
  supplies[1].color = PAPPL_SUPPLY_COLOR_NO_COLOR;
  supplies[1].type = PAPPL_SUPPLY_TYPE_OTHER;
  const char* names[2] = {"Ribbon", "Paper"};
  for (int i = 0; i < 2; ++i) {
    supplies[i].is_consumed = true;
    supplies[i].level = level;
    std::snprintf(supplies[i].description, sizeof supplies[i].description, "%s (%s)", names[i],
                  left.c_str());
  }
  papplPrinterSetSupplies(printer, 2, supplies);
  constexpr pappl_preason_t kLow = PAPPL_PREASON_MARKER_SUPPLY_LOW | PAPPL_PREASON_MEDIA_LOW;
  pappl_preason_t add = PAPPL_PREASON_NONE;
  if (count.empty) add = PAPPL_PREASON_MARKER_SUPPLY_EMPTY;
  else if (count.Low()) add = kLow;
  papplPrinterSetReasons(printer, add, (kLow | PAPPL_PREASON_MARKER_SUPPLY_EMPTY) & ~add);
}

// Changes the printer's count under the lock, stores and reports it.
template <typename Change>
bool Update(pappl_printer_t* printer, Change change) {
  const int id = papplPrinterGetID(printer);
  SupplyCount count;
  bool saved;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    count = ReadCount(id);
    change(count);
    saved = WriteCount(id, count);
  }
  if (!saved)
    papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "cannot store the supplies count in %s",
                    SuppliesPath(id).c_str());
  Report(printer, count);
  return saved;
}

}  // namespace

int SupplyCount::Left() const { return empty ? 0 : std::max(0, pack_prints - printed); }

int SupplyCount::Level() const {
  if (pack_prints <= 0) return -2;
  return (Left() * 100 + pack_prints / 2) / pack_prints;
}

bool SupplyCount::Low() const { return pack_prints > 0 && Left() * 10 <= pack_prints; }

SupplyCount LoadSupplies(int printer_id) {
  std::lock_guard<std::mutex> hold(g_lock);
  return ReadCount(printer_id);
}

void ApplySupplies(pappl_printer_t* printer) { Report(printer, LoadSupplies(papplPrinterGetID(printer))); }

bool LoadPack(pappl_printer_t* printer, int prints) {
  if (prints < kMinPackPrints || prints > kMaxPackPrints) return false;
  return Update(printer, [prints](SupplyCount& c) {
    c.pack_prints = prints;
    c.printed = 0;
    c.empty = false;
  });
}

void CountPrints(pappl_printer_t* printer, int prints) {
  if (prints <= 0) return;
  Update(printer, [prints](SupplyCount& c) {
    c.printed = std::min(c.printed + prints, 1'000'000);
    c.lifetime += prints;
  });
}

void MarkSuppliesEmpty(pappl_printer_t* printer) {
  Update(printer, [](SupplyCount& c) { c.empty = true; });
}

std::string SuppliesText(const SupplyCount& count) {
  if (count.pack_prints <= 0) return "no pack loaded: say on the Engine page which pack is in";
  if (count.empty) return "empty: the printer reported paper or ribbon out; load a new pack";
  const int left = count.Left();
  return "estimate: about " + std::to_string(left) + " print" + (left == 1 ? "" : "s") +
         " left of " + std::to_string(count.pack_prints);
}
