// The printer application's device URIs and what the engine makes of them:
//   vyr://virtual/?OPTION=VALUE&OPTION   the virtual printer, VYR_PORT=virtual:OPTION=VALUE,OPTION
//   vyr://ieee1284/NAME                  a real port, VYR_PORT=ieee1284:NAME
// The application never opens a port itself; the engine does, one run per job.
#pragma once

#include <string>

// VYR_PORT for a device URI; false (with a reason in `error`) when the URI is
// not one of ours or an option cannot be passed on (a comma in a value).
bool EnginePortForUri(const std::string& uri, std::string* port, std::string* error);

// Registers the vyr:// scheme with PAPPL (open, list; no raw data path).
void RegisterDeviceScheme();
