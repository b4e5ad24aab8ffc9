// The state folder holds other people's photos (spooled pages, the last page
// of every printer) and the application's password: it is the server's alone.
// Folders are 0700 (the top one 0750 when systemd made it with a group, as
// the installed unit does for lp) and files 0600.
#pragma once

#include <string>
#include <system_error>

// The server's umask: everything it and the engine runs it starts make is
// private to its user.
void KeepStatePrivate();

// Takes group and other access off `folder` and everything in it (made by
// an older version or by hand).
void MakeStatePrivate(const std::string& folder, std::error_code* ec);
