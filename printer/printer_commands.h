// The program's side of the printer: binding the link library, the shared
// transfer block, delays, the status query, and every command sequence apart
// from the image lines.
#pragma once

#include <cstdint>

#include "base/printer_protocol.h"
#include "lptgate/lptgate.h"
#include "platform/module.h"

// ---- Link binding ------------------------------------------------------------
extern HMODULE g_hLinkLibrary;
extern GetDLLversionFn g_pfnGetDLLversion;
extern Command_setFn g_pfnCommand_set;
extern Is_ReadyFn g_pfnIs_Ready;
extern LPT_ResetFn g_pfnLPT_Reset;
extern InitPortFn g_pfnInitPort;

// The one transfer block: 8 header bytes and a 10240-byte data area.
constexpr int kCommandDataBytes = 10240;
extern uint8_t g_commandBlock[kCommandHeaderBytes + kCommandDataBytes];

int32_t BindLinkLibrary();  // 1, or -1 after IDS_LINK_NOT_LOADED .. IDS_NO_INITPORT
void UnbindLinkLibrary();
void DelayMs(uint32_t ms);
// kStatusReady, kStatusBusy, kStatusAbort or kStatusRetry (asks the operator
// on faults).
int32_t QueryPrinterStatus();

// ---- Command sequences -------------------------------------------------------
extern float g_temperatureCurves[3][kTemperaturePoints];
extern uint8_t g_headParameters[3];  // start at kHeadParameterDefaults
extern uint8_t g_temperatureTables[3][kTemperaturePoints];

int32_t SyncPrinterParameters();  // 0 done, 1 failed
int32_t ReadHeadParameter(int colour);  // 1, or -1
void DownloadTemperatureTable();
// A curve whose point 36 is 0 or not a number, or with a point that is not a
// finite number, is taken as flat: every entry head parameter x sensitivity.
void BuildTemperatureTables();
int32_t WaitPrinterReady();  // 0 ready, 1 failed
int32_t SendStartPage();
int32_t SendPageEnd();
int32_t SendRunEnd();
// Written to the data registers of 0x378, 0x3BC, 0x278 and 0x2BC, 1 ms before
// each byte; a base that is not a parallel port keeps its pauses but is not
// written to.
void SendStartSignals();
void SendExitSignals();
