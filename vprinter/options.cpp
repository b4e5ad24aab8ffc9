// The virtual printer's options: the text after "virtual:" in VYR_PORT, or
// what a test passes to VirtualPrinterCreate (see the README for each one).

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "vprinter/printer_model.h"

namespace vprinter {

namespace {

bool ParseNumber(const std::string& s, uint32_t* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  unsigned long v = std::strtoul(s.c_str(), &end, 0);
  if (*end || errno || s[0] == '-' || v > 0xFFFFFFFFul) return false;
  *out = uint32_t(v);
  return true;
}

bool ParseBytes(const std::string& s, uint8_t* out, int count) {
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    size_t next = s.find(',', at);
    if ((next == std::string::npos) != (i == count - 1)) return false;
    uint32_t v = 0;
    if (!ParseNumber(s.substr(at, next == std::string::npos ? std::string::npos : next - at), &v) ||
        v > 255)
      return false;
    out[i] = uint8_t(v);
    at = next + 1;
  }
  return true;
}

bool ParseClears(const std::string& s, VirtualPrinter* vp) {
  if (s == "never") vp->faultClears = Clears::Never;
  else if (s == "reset") vp->faultClears = Clears::Reset;
  else if (ParseNumber(s, &vp->faultClearReads) && vp->faultClearReads > 0)
    vp->faultClears = Clears::Reads;
  else
    return false;
  return true;
}

bool ParseFault(const std::string& s, ArmedFault* f) {
  std::string kind = s, where;
  size_t at = s.find('@');
  if (at != std::string::npos) {
    kind = s.substr(0, at);
    where = s.substr(at + 1);
  }
  if (kind == "busy") f->fault = VpFault::Busy;
  else if (kind == "stuck") f->fault = VpFault::Stuck;
  else if (kind == "paper") f->fault = VpFault::Paper;
  else if (kind == "error") f->fault = VpFault::Error;
  else return false;
  if (where.empty()) {
    f->when = VpWhen::Now;
    return true;
  }
  if (where.rfind("line:", 0) != 0) return false;
  f->when = VpWhen::ImageLine;
  return ParseNumber(where.substr(5), &f->n);
}

// Options come as a list split on commas, but params= and head= take commas of
// their own: a piece without '=' continues the previous value.
std::vector<std::string> SplitOptions(const std::string& text) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at <= text.size()) {
    size_t next = text.find(',', at);
    std::string piece = text.substr(at, next == std::string::npos ? std::string::npos : next - at);
    const bool isFlag = piece == "absent" || piece == "never_ready" || piece == "runs";
    if (!out.empty() && piece.find('=') == std::string::npos && !isFlag)
      out.back() += "," + piece;
    else
      out.push_back(piece);
    if (next == std::string::npos) break;
    at = next + 1;
  }
  return out;
}

}  // namespace

bool ApplyOptions(VirtualPrinter* vp, const std::string& text, std::string* error) {
  uint32_t faultReads = 10000;
  ArmedFault fault;
  for (const std::string& opt : SplitOptions(text)) {
    if (opt.empty()) continue;
    size_t eq = opt.find('=');
    std::string key = opt.substr(0, eq);
    std::string value = eq == std::string::npos ? "" : opt.substr(eq + 1);
    uint32_t n = 0;
    bool ok = true;
    if (key == "absent" && eq == std::string::npos) vp->absent = true;
    else if (key == "never_ready" && eq == std::string::npos) vp->neverReady = true;
    else if (key == "runs" && eq == std::string::npos) vp->keepRuns = true;
    else if (key == "base") {
      ok = ParseNumber(value, &n) && IsParallelPortBase(n);
      vp->base = uint16_t(n);
    } else if (key == "out") {
      ok = !value.empty();
      vp->outDir = value;
    } else if (key == "busy_reads") {
      ok = ParseNumber(value, &vp->busyReads);
    } else if (key == "ready_after_ms") {
      ok = ParseNumber(value, &vp->readyAfterMs);
    } else if (key == "id") {
      ok = value.size() == size_t(kPrinterIdBytes);
      if (ok) std::memcpy(vp->id, value.data(), kPrinterIdBytes);
    } else if (key == "params") {
      uint8_t p[4];
      ok = ParseBytes(value, p, 4);
      if (ok) {
        vp->param14 = p[0];
        vp->param15 = p[1];
        vp->param0C[0] = p[2];
        vp->param0C[1] = p[3];
      }
    } else if (key == "head") {
      ok = ParseBytes(value, vp->head, 3);
    } else if (key == "fault") {
      ok = ParseFault(value, &fault);
    } else if (key == "fault_reads") {
      ok = ParseNumber(value, &faultReads);
    } else if (key == "fault_clears") {
      ok = ParseClears(value, vp);
    } else {
      if (error) *error = "unknown virtual printer option '" + opt + "'";
      return false;
    }
    if (!ok) {
      if (error) *error = "bad value in virtual printer option '" + opt + "'";
      return false;
    }
  }
  fault.reads = faultReads;
  if (fault.fault != VpFault::None) {
    if (fault.when == VpWhen::Now) Raise(vp, fault.fault, fault.reads);
    else vp->dev.armed = fault;
  }
  return true;
}

}  // namespace vprinter
