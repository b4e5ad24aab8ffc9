// The numbers of the program's resources, named once for the language modules
// that carry them and the code that uses them: the messages and captions (the
// keys of every module's string table), the progress dialog and its items,
// and the printer icon. In the lowest layer: the framework below the engine
// shows them, the language modules carry them, the printer application reads
// them in the engine's event stream.
#pragma once

#include <cstdint>

// ---- Messages ----------------------------------------------------------------
constexpr uint32_t IDS_NO_LINK_LIBRARY = 2001;    // the printer link could not be started
constexpr uint32_t IDS_PAGE_NOT_LOADED = 2003;
constexpr uint32_t IDS_PRINTER_NOT_FOUND = 2004;  // no answer, or no answer in time
constexpr uint32_t IDS_PRINTER_ABORT = 2005;      // the printer stopped the print
constexpr uint32_t IDS_TRANSFER_FAILED = 2006;
// The link library could not be loaded, or lacks one of its five exports.
constexpr uint32_t IDS_LINK_NOT_LOADED = 2007;
constexpr uint32_t IDS_NO_GETDLLVERSION = 2008;
constexpr uint32_t IDS_NO_COMMAND_SET = 2009;
constexpr uint32_t IDS_NO_IS_READY = 2010;
constexpr uint32_t IDS_NO_LPT_RESET = 2011;
constexpr uint32_t IDS_NO_INITPORT = 2012;
constexpr uint32_t IDS_MEDIA_TABLE_SHORT = 2013;
constexpr uint32_t IDS_MEDIA_TABLE_MISSING = 2014;
constexpr uint32_t IDS_MATCH_TABLE_MISSING = 2015;
constexpr uint32_t IDS_OUT_OF_MEMORY = 2016;
constexpr uint32_t IDS_MATCH_TABLE_SHORT = 2017;
constexpr uint32_t IDS_NO_PAGE = 2018;
constexpr uint32_t IDS_PAGE_NOT_24_BIT = 2019;
constexpr uint32_t IDS_FAULT_RETRY = 2026;  // a Yes/No question: clear the fault and retry?
constexpr uint32_t IDS_FAULT_FATAL = 2027;
constexpr uint32_t IDS_PRINTER_NOT_READY = 2028;  // not ready for a command
constexpr uint32_t IDS_TEMPERATURE_MISSING = 2029;
constexpr uint32_t IDS_TEMPERATURE_SHORT = 2030;

// ---- The buttons of a Yes/No question in a window -----------------------------
constexpr uint32_t IDS_BUTTON_YES = 2040;
constexpr uint32_t IDS_BUTTON_NO = 2041;

// ---- Captions of the progress dialog ------------------------------------------
constexpr uint32_t IDS_CAPTION_READY_WAIT = 2032;
constexpr uint32_t IDS_CAPTION_PRINTER = 2033;
constexpr uint32_t IDS_CAPTION_LOADING = 2034;

// ---- The progress dialog and the icon -------------------------------------------
constexpr uint32_t IDD_PRINT_DIALOG = 102;
constexpr int IDC_PROGRESS = 1001;      // progress bar, 0..100
constexpr int IDC_ELAPSED_TEXT = 1002;  // elapsed time
constexpr int IDC_PERCENT_TEXT = 1003;  // percentage
constexpr uint32_t IDR_MAINFRAME = 128;  // the printer icon
