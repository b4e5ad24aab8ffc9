// What a client may put in a vyr:// device URI. A URI comes from whoever may
// add a printer (IPP Create-Printer, the Add Printer page), so it names no
// file or folder on the server:
//   out=NAME   a plain folder name (letters, digits, '.', '_', '-', not
//              starting with '.'), made as STATE/virtual/NAME
//   the other virtual printer options by name; values of letters, digits
//   and . _ : @ - only ('/', ',', '..' and their %-escapes are refused)
//   ieee1284/NAME   a parallel port this machine has
#pragma once

#include <string>

// VYR_PORT's "virtual" value for the options of vyr://virtual/?QUERY (QUERY
// as it stands in the URI, without '?'); false with a message that names the
// offending option.
bool VirtualPortOptions(const std::string& query, std::string* port, std::string* error);

// Whether `name` is a libieee1284 port name of this machine (parport0, ...).
bool MachineHasPort(const std::string& name, std::string* error);

// Form-style %XX and '+' unescaping; false on a broken escape.
bool UnescapeUriText(const std::string& in, std::string* out);
