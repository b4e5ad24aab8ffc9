// One image line (9664 bytes) through the real link library's Command_set to
// the virtual printer with its default busy time: time and status reads per
// data byte. lptgate.so is loaded from beside the benchmark program.

#include <benchmark/benchmark.h>

#include <vector>

#include "base/printer_protocol.h"
#include "lptgate/lptgate.h"
#include "platform/module.h"
#include "support/virtual_printer.h"

namespace {

void BM_LptgateImageLine(benchmark::State& state) {
  HMODULE module = LoadLibraryA("lptgate.dll");
  Command_setFn commandSet =
      module ? reinterpret_cast<Command_setFn>(GetProcAddress(module, "Command_set")) : nullptr;
  if (!commandSet) {
    state.SkipWithError("lptgate.so not found beside the benchmark (build target lptgate)");
    return;
  }
  ScopedVirtualPrinter printer;
  // One image line as the line sender sends it.
  std::vector<uint8_t> block(kCommandHeaderBytes + kLineBytes);
  block[0] = kBlockWrite;
  block[2] = uint8_t(kLineBytes & 0xFF);
  block[3] = uint8_t(kLineBytes >> 8);
  block[4] = kCommandLead;
  block[5] = kOpImageLine;
  block[6] = kImageLineOperand;
  for (size_t i = 0; i < kLineBytes; ++i) block[kCommandHeaderBytes + i] = uint8_t(i * 31);

  const uint64_t readsBefore = VirtualPrinterStatusReads(printer.get());
  for (auto _ : state) {
    if (commandSet(block.data()) != 0) {
      state.SkipWithError("Command_set failed");
      break;
    }
  }
  const double bytes = double(state.iterations()) * kLineBytes;
  const double reads = double(VirtualPrinterStatusReads(printer.get()) - readsBefore);
  state.counters["ns_per_byte"] =
      benchmark::Counter(bytes, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["status_reads_per_byte"] = reads / bytes;
  state.SetBytesProcessed(int64_t(bytes));
  FreeLibrary(module);
}
BENCHMARK(BM_LptgateImageLine)->Unit(benchmark::kMicrosecond);

}  // namespace
