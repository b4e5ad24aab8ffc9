#include "printer-app/security_page.h"

#include <cctype>
#include <cstring>
#include <string>

#include "printer-app/admin_access.h"
#include "printer-app/admin_page.h"

namespace {

constexpr char kPath[] = "/security";

// PAPPL's rule for the password.
bool GoodPassword(const std::string& p) {
  bool lower = false, upper = false, digit = false;
  for (char c : p) {
    lower |= std::islower(static_cast<unsigned char>(c)) != 0;
    upper |= std::isupper(static_cast<unsigned char>(c)) != 0;
    digit |= std::isdigit(static_cast<unsigned char>(c)) != 0;
  }
  return p.size() >= 8 && lower && upper && digit;
}

std::string ChangePassword(pappl_system_t* system, const PostedForm& form) {
  const char* first = form.Get("new_password");
  const char* second = form.Get("new_password2");
  if (!form.valid()) return "Invalid form submission.";
  if (!first || !second || std::strcmp(first, second) != 0) return "Passwords do not match.";
  if (!GoodPassword(first))
    return "The password needs at least eight characters with an uppercase letter, a lowercase "
           "letter and a digit.";
  char hash[256];
  papplSystemHashPassword(system, nullptr, first, hash, sizeof hash);
  papplSystemSetPassword(system, hash);
  return "Password changed.";
}

bool ServePage(pappl_client_t* client, void* /*data*/) {
  if (!papplClientHTMLAuthorize(client)) return true;
  const std::string token = SessionFormToken(client);
  const PostedForm form(client);
  const std::string status = form.posted() ? ChangePassword(papplClientGetSystem(client), form) : "";
  BeginSystemPage(client, "Security", status);
  papplClientHTMLPuts(client,
                      "<p>Anyone on the network may print. Changes need an administrator: any "
                      "user name with this password, or a member of the administration group "
                      "when the server checks system passwords (PAM).</p>\n");
  StartSessionForm(client, kPath, token);
  papplClientHTMLPuts(client,
                      "<table class=\"form\"><tbody>\n"
                      "<tr><th><label for=\"new_password\">New password:</label></th><td><input "
                      "type=\"password\" name=\"new_password\" id=\"new_password\"></td></tr>\n"
                      "<tr><th><label for=\"new_password2\">Again:</label></th><td><input "
                      "type=\"password\" name=\"new_password2\" id=\"new_password2\"></td></tr>\n"
                      "<tr><th></th><td><input type=\"submit\" value=\"Change Password\"></td></tr>\n"
                      "</tbody></table></form>\n");
  EndSystemPage(client);
  return true;
}

}  // namespace

void AddSecurityPage(pappl_system_t* system) {
  papplSystemAddResourceCallback(system, kPath, "text/html", ServePage, nullptr);
}
