// Who may do what on the server, through PAPPL's authentication callback.
//
// Printing, job status and the printer's page are open to the local network
// (as on a network printer); a job's owner, as requesting-user-name names
// them, may cancel it. Every change (the web pages that change anything and
// the IPP operations that add, delete, pause, resume or set printers or the
// system) needs an administrator:
//   - any user name with the application's password (the Security page), or
//   - a system user in the administration group (lpadmin), checked by PAM
//     when the server runs with -o auth-service=SERVICE.
// Until an administrator exists, administration is allowed only from the
// machine itself (peer 127.0.0.1 or ::1) and refused from anywhere else, so
// the Security page cannot be claimed from another host. PAPPL lets the
// server's own domain socket do everything; the server keeps that socket to
// its own user (and root).
#pragma once

#include <pappl/pappl.h>

#include <string>

inline constexpr char kDefaultAdminGroup[] = "lpadmin";

// Installs the callback; `pam_service` may be null (no PAM).
void InstallAdminAccess(pappl_system_t* system, const char* pam_service);

// A form token for the web page `client` asks for, tied to its browser
// session (a cookie set here when it has none, so call it before the page's
// header goes out) and valid for an hour.
std::string SessionFormToken(pappl_client_t* client);

// Whether the form's "session" token was made for this browser session and
// has not expired.
bool IsValidSessionForm(pappl_client_t* client, int num_form, cups_option_t* form);

// papplClientHTMLStartForm with a session token instead of PAPPL's; a
// multipart form takes file uploads.
void StartSessionForm(pappl_client_t* client, const char* action, const std::string& token,
                      bool multipart = false);
