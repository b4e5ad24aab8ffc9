// The printer application's device URIs and what the engine makes of them:
//   vyr://virtual/?OPTION=VALUE&OPTION   the virtual printer, VYR_PORT=virtual:OPTION=VALUE,OPTION
//   vyr://ieee1284/NAME                  a real port, VYR_PORT=ieee1284:NAME
// The application never opens a port itself; the engine does, one run per job.
#pragma once

#include <pappl/pappl.h>

#include <string>

// VYR_PORT for a device URI; false (with a reason in `error`) when the URI is
// not one of ours or an option cannot be passed on (device_options.h).
bool EnginePortForUri(const std::string& uri, std::string* port, std::string* error);

// EnginePortForUri for a printer being added, which must also name a port
// this machine has.
bool CheckNewDeviceUri(const std::string& uri, std::string* error);

// For a Create-Printer whose device URI is refused: the reason, naming the
// option, as the response's detailed-status-message and in the log.
void ExplainDeviceUriRefusal(pappl_client_t* client);

// Registers the vyr:// scheme with PAPPL (open, list; no raw data path).
void RegisterDeviceScheme();
