// One line of the current copy per call: two blank lead-in lines, the head
// data of the page's lines, blank run-out lines, then the page end. Keeps the
// progress bar, the percentage and the elapsed time up to date every 20 lines.
#include <cstdio>
#include <cstring>

#include "app/exit_status.h"
#include "app/print_dlg.h"
#include "imaging/line_data.h"
#include "imaging/page_buffers.h"
#include "platform/clock.h"
#include "printer/printer_commands.h"

namespace {

constexpr UINT IDS_TRANSFER_FAILED = 2006;

constexpr int32_t kStatusBusy = 1;
constexpr int32_t kStatusAbort = 2;

// Lines of a page: 2 lead-in, kPageLength + 46 head-data lines, 97 run-out.
constexpr int32_t kLeadInLines = 2;
constexpr int32_t kLastDataLine = kPageLength + 47;
constexpr int32_t kPageLines = kPageLength + 145;  // 790

// Lead-in lines carry a whole slot; the others cells 0..603 of it.
constexpr int kLeadInBytes = kLineSlotBytes;  // 10112
constexpr int kLineBytes = 604 * 16;          // 9664

// The image-line command.
constexpr uint8_t kLineCommand[3] = {0x24, 0x00, 0x01};

constexpr int32_t kProgressEveryLines = 20;

}  // namespace

int32_t CPrintDlg::SendNextLine() {
  int32_t status = QueryPrinterStatus();
  if (status == kStatusBusy) return 1;
  if (status == kStatusAbort) return -1;

  if (g_nLine >= kPageLines) {
    // The page counts as complete either way; a page end the printer did not
    // take means the copy may not have printed.
    if (SendPageEnd() != 1) NoteJobEnd(kExitPrinterAttention);
    return 2;
  }

  uint8_t* data = g_commandBlock + kCommandHeaderBytes;
  int length;
  if (g_nLine < kLeadInLines) {
    length = kLeadInBytes;
    std::memset(data, 0xFF, static_cast<size_t>(length));
  } else if (g_nLine <= kLastDataLine) {
    length = kLineBytes;
    PrepareLineData(g_nLine);
    std::memcpy(data, g_lineBuffer + (g_nLine % 2) * kLineSlotBytes, static_cast<size_t>(length));
  } else {
    length = kLineBytes;
    std::memset(data, 0xFF, static_cast<size_t>(length));
  }

  g_commandBlock[0] = 1;  // write
  g_commandBlock[1] = 0;
  g_commandBlock[2] = static_cast<uint8_t>(length & 0xFF);
  g_commandBlock[3] = static_cast<uint8_t>(length >> 8);
  g_commandBlock[4] = kLineCommand[0];
  g_commandBlock[5] = kLineCommand[1];
  g_commandBlock[6] = kLineCommand[2];

  if (g_pfnCommand_set(g_commandBlock) != 0) {
    AfxMessageBox(IDS_TRANSFER_FAILED);
    return -1;
  }

  if (g_nLine == kPageLines - 1 && m_pPercentText != nullptr) m_pPercentText->SetWindowText("100 %");

  if (g_nLine % kProgressEveryLines == 0) {
    int percent = static_cast<int>(static_cast<double>(g_nLine) / kPageLines * 100.0);
    if (m_pProgress != nullptr) m_pProgress->SendMessage(PBM_SETPOS, static_cast<WPARAM>(percent));
    char text[32];
    if (m_pPercentText != nullptr) {
      std::snprintf(text, sizeof text, "%d %%", percent);
      m_pPercentText->SetWindowText(text);
    }
    uint32_t elapsed = GetTickCount() - g_dwJobStartTick;
    uint32_t seconds = (elapsed / 1000) % 60;
    uint32_t minutes = (elapsed / 1000) / 60;
    if (m_pElapsedText != nullptr) {
      std::snprintf(text, sizeof text, "00 : %u :%u", minutes, seconds);
      m_pElapsedText->SetWindowText(text);
    }
  }

  ++g_nLine;
  return 1;
}
