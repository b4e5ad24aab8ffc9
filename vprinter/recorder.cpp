// What the virtual printer writes with out=DIR: the transcript of every block,
// reset, signal run and page event (DIR/transcript.jsonl), each copy's image
// lines as received (DIR/copyN.lines) and the picture of each copy rebuilt
// from them (DIR/copyN.png). Without out= it keeps the same records in memory
// only.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "vprinter/print_picture.h"
#include "vprinter/printer_model.h"
#include "vprinter/sha256.h"

namespace vprinter {

namespace {

std::string Hex(const uint8_t* p, size_t n, bool spaced) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(n * 3);
  for (size_t i = 0; i < n; ++i) {
    if (spaced && i) s += ' ';
    s += kDigits[p[i] >> 4];
    s += kDigits[p[i] & 0xF];
  }
  return s;
}

void Transcribe(VirtualPrinter* vp, const std::string& line) {
  if (!vp->transcript) return;
  std::fputs(line.c_str(), vp->transcript);
  std::fputc('\n', vp->transcript);
  std::fflush(vp->transcript);
}

std::string OutPath(const VirtualPrinter* vp, const std::string& name) {
  return vp->outDir + "/" + name;
}

void OpenCopy(VirtualPrinter* vp) {
  vp->copies.push_back(std::make_unique<Copy>());
  vp->copyOpen = true;
  vp->copyLineIndex = 0;
  if (vp->outDir.empty()) return;
  std::string path = OutPath(vp, "copy" + std::to_string(vp->copiesBefore + vp->copies.size()) + ".lines");
  vp->copies.back()->linesFile = std::fopen(path.c_str(), "wb");
  if (!vp->copies.back()->linesFile)
    std::fprintf(stderr, "vyr: virtual printer: cannot write %s\n", path.c_str());
}

}  // namespace

void TranscribeEvent(VirtualPrinter* vp, const char* event) {
  Transcribe(vp, std::string("{\"event\":\"") + event + "\"}");
}

void FinishCopy(VirtualPrinter* vp) {
  if (!vp->copyOpen) return;
  vp->copyOpen = false;
  Copy& copy = *vp->copies.back();
  copy.finished = true;
  if (copy.linesFile) {
    std::fclose(copy.linesFile);
    copy.linesFile = nullptr;
  }
  if (vp->outDir.empty()) return;
  std::vector<int16_t> levels(3 * kPrintPlane);
  ClearPrintLevels(levels.data());
  size_t at = 0;
  for (size_t i = 0; i < copy.lengths.size(); ++i) {
    AddPrintLine(int(i), copy.lines.data() + at, copy.lengths[i], levels.data());
    at += copy.lengths[i];
  }
  std::vector<uint8_t> rgb(3 * kPrintPlane);
  PrintLevelsToRgb(levels.data(), rgb.data());
  std::string path = OutPath(vp, "copy" + std::to_string(vp->copiesBefore + vp->copies.size()) + ".png");
  if (!WritePngRgb(path.c_str(), kPrintColumns, kPrintRows, rgb.data()))
    std::fprintf(stderr, "vyr: virtual printer: cannot write %s\n", path.c_str());
}

void TranscribeBlock(VirtualPrinter* vp, const VpBlock& b) {
  std::string line = "{\"event\":\"block\",\"cmd\":\"" + Hex(b.cmd, 3, true) +
                     "\",\"dir\":" + std::to_string(b.dir) +
                     ",\"len\":" + std::to_string(b.data.size());
  if (b.data.size() <= 256) line += ",\"data\":\"" + Hex(b.data.data(), b.data.size(), false) + "\"";
  else line += ",\"sha256\":\"" + Sha256Hex(b.data.data(), b.data.size()) + "\"";
  if (!b.complete) line += ",\"complete\":false";
  line += "}";
  Transcribe(vp, line);
}

void RecordSignalRun(VirtualPrinter* vp, size_t keep) {
  if (vp->dev.pendingRun.size() > keep) {
    std::vector<uint8_t> run(vp->dev.pendingRun.begin(), vp->dev.pendingRun.end() - long(keep));
    Transcribe(vp, "{\"event\":\"signals\",\"bytes\":\"" + Hex(run.data(), run.size(), false) + "\"}");
    vp->signalRuns.push_back(std::move(run));
  }
  vp->dev.pendingRun.clear();
}

uint32_t RecordImageLine(VirtualPrinter* vp, const std::vector<uint8_t>& data) {
  if (!vp->copyOpen) OpenCopy(vp);
  Copy& copy = *vp->copies.back();
  copy.lines.insert(copy.lines.end(), data.begin(), data.end());
  copy.lengths.push_back(uint32_t(data.size()));
  if (copy.linesFile) {
    std::fwrite(data.data(), 1, data.size(), copy.linesFile);
    std::fflush(copy.linesFile);
  }
  return uint32_t(vp->copyLineIndex++);
}

bool OpenRecorder(VirtualPrinter* vp, std::string* error) {
  if (vp->outDir.empty()) return true;
  std::error_code ec;
  std::filesystem::create_directories(vp->outDir, ec);
  std::string path = OutPath(vp, "transcript.jsonl");
  vp->transcript = std::fopen(path.c_str(), vp->keepRuns ? "a" : "w");
  if (!vp->transcript) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  if (vp->keepRuns) {
    while (std::filesystem::exists(OutPath(vp, "copy" + std::to_string(vp->copiesBefore + 1) + ".lines"), ec))
      ++vp->copiesBefore;
    Transcribe(vp, "{\"event\":\"open\",\"pid\":" + std::to_string(getpid()) +
                       ",\"ppid\":" + std::to_string(getppid()) + "}");
  }
  return true;
}

void CloseRecorder(VirtualPrinter* vp) {
  FlushSignals(vp, 0);
  FinishCopy(vp);
  if (vp->keepRuns) Transcribe(vp, "{\"event\":\"close\",\"pid\":" + std::to_string(getpid()) + "}");
  if (vp->transcript) std::fclose(vp->transcript);
  vp->transcript = nullptr;
}

}  // namespace vprinter
