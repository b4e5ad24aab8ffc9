// Tests: a virtual printer on the bus for the length of a scope, on the
// virtual clock. The empty bus is back when the scope ends.
//
//   ScopedVirtualPrinter printer("busy_reads=3");
//   ASSERT_TRUE(printer.ok()) << printer.error();
//   ... drive the port ...
//   EXPECT_EQ(VirtualPrinterPageEnds(printer.get()), 1);
#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/port_io.h"
#include "vprinter/virtual_printer.h"

class ScopedVirtualPrinter {
 public:
  explicit ScopedVirtualPrinter(const char* options = "") {
    ClockSelect(ClockKind::Virtual);
    printer_ = VirtualPrinterCreate(options, &error_);
    PortInstallBackend(printer_ ? VirtualPrinterBackend(printer_) : PortBackend{});
  }
  ~ScopedVirtualPrinter() {
    PortInstallBackend({});
    if (printer_) VirtualPrinterDestroy(printer_);
  }
  ScopedVirtualPrinter(const ScopedVirtualPrinter&) = delete;
  ScopedVirtualPrinter& operator=(const ScopedVirtualPrinter&) = delete;

  bool ok() const { return printer_ != nullptr; }
  const std::string& error() const { return error_; }
  VirtualPrinter* get() const { return printer_; }

 private:
  VirtualPrinter* printer_ = nullptr;
  std::string error_;
};
