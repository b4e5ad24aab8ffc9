// One line of the current copy per call: the blank lead-in lines, the head
// data of the page's lines, blank run-out lines, then the page end (the page
// line layout of base/printer_protocol.h). Keeps the
// progress bar, the percentage and the elapsed time up to date every 20 lines.
#include <cstdio>
#include <cstring>

#include "app/exit_status.h"
#include "framework/afx.h"
#include "app/print_dlg.h"
#include "base/resource_ids.h"
#include "imaging/line_data.h"
#include "imaging/page_buffers.h"
#include "platform/clock.h"
#include "printer/command_block.h"
#include "printer/printer_commands.h"

namespace {

constexpr int32_t kProgressEveryLines = 20;

}  // namespace

int32_t CPrintDlg::SendNextLine() {
  int32_t status = QueryPrinterStatus();
  if (status == kStatusBusy) return 1;
  if (status == kStatusAbort) return -1;

  if (g_nLine >= kPageLines) {
    // The page counts as complete either way; a page end the printer did not
    // take means the copy may not have printed.
    if (SendPageEnd() != 1)
      NoteJobEnd(kExitPrinterAttention);
    else
      AfxReportPrinted(m_nCopiesDone + 1, m_nCopies);
    return 2;
  }

  const int length = FillPageLine(g_nLine, &CommandData(0));
  BuildCommandBlock(kBlockWrite, static_cast<uint16_t>(length), kOpImageLine, kImageLineOperand);

  if (g_pfnCommand_set(g_commandBlock) != 0) {
    AfxMessageBox(IDS_TRANSFER_FAILED);
    return -1;
  }

  if (g_nLine == kPageLines - 1 && m_pPercentText != nullptr) m_pPercentText->SetWindowText("100 %");

  // Programs that run the engine follow the lines at the progress's pace,
  // and see the last one.
  if (g_nLine % kProgressEveryLines == 0 || g_nLine == kPageLines - 1)
    AfxReportLines(g_nLine + 1, kPageLines);

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
