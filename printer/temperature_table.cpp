// The head temperature table: three curves from "\system\tempera.tur", scaled
// by the head parameters read from the printer and the medium's sensitivities,
// sent as 3 x 71 bytes.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/resource_ids.h"
#include "framework/afx.h"
#include "imaging/media_tables.h"
#include "platform/paths.h"
#include "printer/command_block.h"
#include "printer/printer_commands.h"
#include "printer/temperature_file.h"

namespace {

constexpr int kCurvePoints = kTemperaturePoints;
// Every curve is scaled so that this point maps to the head parameter times
// the sensitivity.
constexpr int kReferencePoint = 36;

// v + 0.5 with the fraction dropped, limited to 0..255 however large. The
// limits are applied to the double, so a value outside the integer range
// (or not a number at all, which gives 0) is never converted.
uint8_t RoundToEntry(double v) {
  const double rounded = v + 0.5;
  if (!(rounded > 0.0)) {
    return 0;
  }
  if (rounded >= 255.0) {
    return 255;
  }
  return static_cast<uint8_t>(static_cast<int32_t>(rounded));
}

// False for a curve the scale cannot be taken from: its reference point is 0
// or not finite, or one of its points is not a number. An infinite point
// elsewhere is fine: it scales to 255 or 0 like any value out of range.
bool CurveIsUsable(const float (&curve)[kCurvePoints]) {
  const double reference = curve[kReferencePoint];
  if (reference == 0.0 || !std::isfinite(reference)) {
    return false;
  }
  for (float point : curve) {
    if (std::isnan(point)) {
      return false;
    }
  }
  return true;
}

// Reads the three curves; false (after IDS_TEMPERATURE_MISSING or IDS_TEMPERATURE_SHORT) unless all 852
// bytes were there.
bool ReadTemperatureCurves() {
  char path[256];
  const unsigned length = GetWindowsDirectoryA(path, sizeof path);
  // A Windows directory that leaves no room for the name counts as no file.
  FILE* file = nullptr;
  if (length < sizeof path) {
    const int added =
        std::snprintf(path + length, sizeof path - length, "%s", "\\system\\tempera.tur");
    if (added > 0 && static_cast<unsigned>(added) < sizeof path - length) {
      file = OpenWindowsFile(path, "rb");
    }
  }
  if (file == nullptr) {
    ReportMissingWindowsFile(path);
    AfxMessageBox(IDS_TEMPERATURE_MISSING);
    return false;
  }
  uint8_t raw[kTemperatureFileBytes];
  const size_t got = std::fread(raw, 1, sizeof raw, file);
  std::fclose(file);
  if (got < sizeof raw) {
    AfxMessageBox(IDS_TEMPERATURE_SHORT);
    return false;
  }
  DecodeTemperatureFile(raw, g_temperatureCurves);
  return true;
}

}  // namespace

float g_temperatureCurves[3][kTemperaturePoints];
uint8_t g_headParameters[3] = {kHeadParameterDefaults[kCyan], kHeadParameterDefaults[kMagenta],
                               kHeadParameterDefaults[kYellow]};
uint8_t g_temperatureTables[3][kTemperaturePoints];

int32_t ReadHeadParameter(int colour) {
  if (colour < kCyan || colour > kYellow) {
    return -1;
  }
  BuildCommandBlock(kBlockRead, 1, kOpReadHeadParameter,
                    static_cast<uint8_t>(kHeadParameterBase + colour));
  if (QueryPrinterStatus() != kStatusReady) {
    AfxMessageBox(IDS_PRINTER_NOT_READY);
    return -1;
  }
  if (g_pfnCommand_set(g_commandBlock) != 0) {
    AfxMessageBox(IDS_TRANSFER_FAILED);
    return -1;
  }
  return 1;
}

void BuildTemperatureTables() {
  for (int c = 0; c < 3; ++c) {
    const float(&curve)[kCurvePoints] = g_temperatureCurves[c];
    const double target = double(g_headParameters[c]) * double(g_mediaSensitivity[c]);
    if (!CurveIsUsable(curve)) {
      // A flat curve: every entry is the reference value itself.
      const uint8_t entry = RoundToEntry(target);
      for (int i = 0; i < kCurvePoints; ++i) {
        g_temperatureTables[c][i] = entry;
      }
      continue;
    }
    const double scale = target / double(curve[kReferencePoint]);
    for (int i = 0; i < kCurvePoints; ++i) {
      g_temperatureTables[c][i] = RoundToEntry(double(curve[i]) * scale);
    }
  }
}

void DownloadTemperatureTable() {
  if (!ReadTemperatureCurves()) {
    // Whatever a partial read left is dropped: flat curves.
    for (auto& curve : g_temperatureCurves) {
      for (float& point : curve) {
        point = 1.0f;
      }
    }
  }

  // The head parameters, each after its own pause; a failed read keeps the
  // colour's previous value.
  for (int colour = kCyan; colour <= kYellow; ++colour) {
    DelayMs(400);
    if (ReadHeadParameter(colour) == 1) {
      g_headParameters[colour] = CommandData(0);
    }
  }

  BuildTemperatureTables();

  BuildCommandBlock(kBlockWrite, kTemperatureTableBytes, kOpWriteParameter, kParamTemperatureTable);
  for (int c = 0; c < 3; ++c) {
    std::memcpy(&CommandData(c * kCurvePoints), g_temperatureTables[c], kCurvePoints);
  }
  DelayMs(10);
  if (QueryPrinterStatus() != kStatusReady) {
    AfxMessageBox(IDS_PRINTER_NOT_READY);
    return;
  }
  if (g_pfnCommand_set(g_commandBlock) != 0) {
    AfxMessageBox(IDS_TRANSFER_FAILED);
  }
}
