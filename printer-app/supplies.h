// The ribbon and paper the printer has left, counted by the application:
// the printer cannot be asked, so the owner says when a pack was loaded and
// how many prints it holds, and every print that reaches the printer counts
// down. What is left becomes the printer's IPP supplies (printer-supply,
// marker-levels, ...) and state reasons. An estimate never stops a job.
//
//   STATE/printers/ID/supplies.conf    pack-prints, printed, empty, lifetime
#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <string>

struct SupplyCount {
  int pack_prints = 0;   // prints the loaded pack holds; 0 before the first pack
  int printed = 0;       // prints made since it was loaded
  bool empty = false;    // the printer reported paper or ribbon out since
  int64_t lifetime = 0;  // every print the printer has made

  // Prints left by the estimate (0 when the printer reported the pack out).
  int Left() const;
  // Percent left, or -2 (unknown) before the first pack.
  int Level() const;
  // 10 % or less left.
  bool Low() const;
};

// Pack sizes the owner can pick (prints per pack).
inline constexpr int kMinPackPrints = 1;
inline constexpr int kMaxPackPrints = 1000;

SupplyCount LoadSupplies(int printer_id);

// Reports the printer's count to PAPPL (at start and after each change).
void ApplySupplies(pappl_printer_t* printer);

// A new pack of `prints` prints was loaded.
bool LoadPack(pappl_printer_t* printer, int prints);
// `prints` prints reached the printer.
void CountPrints(pappl_printer_t* printer, int prints);
// The printer reported its paper or ribbon out: empty until the next pack.
void MarkSuppliesEmpty(pappl_printer_t* printer);

// One line for the web page: "estimate: about N prints left of P", ...
std::string SuppliesText(const SupplyCount& count);
