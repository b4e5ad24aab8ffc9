#include "printer-app/admin_access.h"

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <security/pam_appl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "printer-app/device_uri.h"
#include "printer-app/job_limits.h"

namespace {

constexpr char kSessionCookie[] = "vyr-session";
constexpr int kTokenSeconds = 3600;  // a form left open longer is sent again

std::string g_pam_service;
uint8_t g_secret[32];  // keys the form tokens; new at every start

// ---- credentials --------------------------------------------------------------

struct PamAnswers {
  const char* user;
  const char* password;
};

int Converse(int count, const pam_message** messages, pam_response** responses, void* data) {
  const auto* answers = static_cast<const PamAnswers*>(data);
  auto* replies = static_cast<pam_response*>(std::calloc(static_cast<size_t>(count), sizeof(pam_response)));
  if (!replies) return PAM_CONV_ERR;
  for (int i = 0; i < count; ++i) {
    if (messages[i]->msg_style == PAM_PROMPT_ECHO_ON) replies[i].resp = strdup(answers->user);
    else if (messages[i]->msg_style == PAM_PROMPT_ECHO_OFF) replies[i].resp = strdup(answers->password);
  }
  *responses = replies;
  return PAM_SUCCESS;
}

bool PamAccepts(pappl_client_t* client, const char* user, const char* password) {
  PamAnswers answers{user, password};
  pam_conv conv{Converse, &answers};
  pam_handle_t* pamh = nullptr;
  int rc = pam_start(g_pam_service.c_str(), user, &conv, &pamh);
  if (rc == PAM_SUCCESS) rc = pam_set_item(pamh, PAM_RHOST, papplClientGetHostName(client));
  if (rc == PAM_SUCCESS) rc = pam_authenticate(pamh, PAM_SILENT);
  if (rc == PAM_SUCCESS) rc = pam_acct_mgmt(pamh, PAM_SILENT);
  if (rc != PAM_SUCCESS)
    papplLogClient(client, PAPPL_LOGLEVEL_INFO, "PAM (%s) refused '%s': %s", g_pam_service.c_str(),
                   user, pam_strerror(pamh, rc));
  if (pamh) pam_end(pamh, rc);
  return rc == PAM_SUCCESS;
}

bool UserInGroup(const char* user, gid_t group) {
  if (group == static_cast<gid_t>(-1)) return false;
  passwd entry{}, *found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwnam_r(user, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return false;
  if (found->pw_gid == group) return true;
  int count = 64;
  std::vector<gid_t> groups(static_cast<size_t>(count));
  if (getgrouplist(user, found->pw_gid, groups.data(), &count) < 0) return false;
  for (int i = 0; i < count; ++i)
    if (groups[static_cast<size_t>(i)] == group) return true;
  return false;
}

// PAPPL stores NONCE~HEX, HEX the SHA-256 of "NONCE:PASSWORD". (Its own
// check, papplSystemHashPassword with the stored hash as salt, keeps the whole
// stored hash as the nonce: the result only starts with it, whatever the
// password, so PAPPL's login takes any password and its Security page none.)
bool PasswordMatches(pappl_system_t* system, const char* password) {
  char stored[256] = "";
  papplSystemGetPassword(system, stored, sizeof stored);
  const char* tilde = std::strchr(stored, '~');
  if (!tilde) return false;
  const std::string text = std::string(stored, static_cast<size_t>(tilde - stored)) + ":" + password;
  uint8_t digest[32];
  char hex[65];
  cupsHashData("sha2-256", text.data(), text.size(), digest, sizeof digest);
  cupsHashString(digest, sizeof digest, hex, sizeof hex);
  return std::strcmp(tilde + 1, hex) == 0;
}

// An administrator exists once the application's password is set, or when
// PAM is on and the administration group lists a member.
bool AdministratorExists(pappl_system_t* system, gid_t admin_gid) {
  char stored[256] = "";
  if (papplSystemGetPassword(system, stored, sizeof stored) && stored[0]) return true;
  if (g_pam_service.empty() || admin_gid == static_cast<gid_t>(-1)) return false;
  group entry{}, *found = nullptr;
  std::vector<char> buffer(16384);
  return getgrgid_r(admin_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
         found->gr_mem && found->gr_mem[0];
}

// The machine itself: the canonical loopback addresses only, so a test can
// stand for another host by connecting from 127.0.0.2.
bool FromThisMachine(pappl_client_t* client) {
  const http_addr_t* addr = httpGetAddress(papplClientGetHTTP(client));
  if (!addr) return false;
  const sockaddr* sa = reinterpret_cast<const sockaddr*>(addr);
  if (sa->sa_family == AF_INET)
    return reinterpret_cast<const sockaddr_in*>(sa)->sin_addr.s_addr == htonl(INADDR_LOOPBACK);
  if (sa->sa_family == AF_INET6) {
    const in6_addr& a6 = reinterpret_cast<const sockaddr_in6*>(sa)->sin6_addr;
    if (IN6_IS_ADDR_LOOPBACK(&a6)) return true;
    if (IN6_IS_ADDR_V4MAPPED(&a6)) return std::memcmp(&a6.s6_addr[12], "\x7f\0\0\x01", 4) == 0;
  }
  return false;
}

// "Basic" user and password; false when the request carries none.
bool BasicCredentials(pappl_client_t* client, std::string* user, std::string* password) {
  const char* field = httpGetField(papplClientGetHTTP(client), HTTP_FIELD_AUTHORIZATION);
  if (!field || std::strncmp(field, "Basic ", 6) != 0) return false;
  field += 6;
  while (*field == ' ') ++field;
  char decoded[512];
  int length = sizeof decoded;
  httpDecode64_2(decoded, &length, field);
  const std::string text(decoded, static_cast<size_t>(length));
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  *user = text.substr(0, colon);
  *password = text.substr(colon + 1);
  return true;
}

// Requests anyone may make of a job: reading its state. (PAPPL asks for the
// administration group when the job is not the requester's own.)
bool ReadsJobOnly(pappl_client_t* client) {
  return papplClientGetJob(client) && papplClientGetOperation(client) == IPP_OP_GET_JOB_ATTRIBUTES;
}

http_status_t Decide(pappl_client_t* client, const char* group, gid_t group_id) {
  pappl_system_t* system = papplClientGetSystem(client);
  char admin_group[256] = "";
  papplSystemGetAdminGroup(system, admin_group, sizeof admin_group);
  const bool administration = group && std::strcmp(group, admin_group) == 0;

  if (!administration) {
    // A print request: the requester is who they say they are, so that they
    // may cancel their own job, and the document must fit.
    if (ipp_t* request = papplClientGetRequest(client)) {
      if (const char* name = ippGetString(ippFindAttribute(request, "requesting-user-name", IPP_TAG_NAME), 0, nullptr))
        papplClientSetUsername(client, name);
    }
    if (http_status_t refused = CheckSubmission(client); refused != HTTP_STATUS_CONTINUE) return refused;
    if (!group) return HTTP_STATUS_CONTINUE;
  } else if (ReadsJobOnly(client)) {
    return HTTP_STATUS_CONTINUE;
  }

  std::string user, password;
  if (BasicCredentials(client, &user, &password)) {
    if (PasswordMatches(system, password.c_str())) {
      papplClientSetUsername(client, user.c_str());
      return HTTP_STATUS_CONTINUE;
    }
    if (!g_pam_service.empty() && PamAccepts(client, user.c_str(), password.c_str())) {
      papplClientSetUsername(client, user.c_str());
      if (UserInGroup(user.c_str(), group_id)) return HTTP_STATUS_CONTINUE;
      papplLogClient(client, PAPPL_LOGLEVEL_INFO, "'%s' is not in the group %s.", user.c_str(), group);
      return HTTP_STATUS_FORBIDDEN;
    }
    papplLogClient(client, PAPPL_LOGLEVEL_INFO, "Wrong password for '%s'.", user.c_str());
    return HTTP_STATUS_UNAUTHORIZED;
  }
  if (!AdministratorExists(system, group_id)) {
    if (FromThisMachine(client)) return HTTP_STATUS_CONTINUE;
    papplLogClient(client, PAPPL_LOGLEVEL_INFO,
                   "Administration refused: no administrator is set up, so only this machine may.");
    return HTTP_STATUS_FORBIDDEN;
  }
  return HTTP_STATUS_UNAUTHORIZED;
}

http_status_t Authorize(pappl_client_t* client, const char* group, gid_t group_id, void* /*data*/) {
  const http_status_t decision = Decide(client, group, group_id);
  if (decision == HTTP_STATUS_CONTINUE && papplClientGetOperation(client) == IPP_OP_CREATE_PRINTER)
    ExplainDeviceUriRefusal(client);
  return decision;
}

// ---- the domain socket ----------------------------------------------------------

// PAPPL makes the socket writable by everyone and trusts whoever connects;
// the server keeps it to its own user. Where PAPPL puts it (its main loop's
// rule): TMPDIR for a server run by a user, SNAP_COMMON or the run folder
// for root.
bool RestrictLocalSocket(pappl_system_t* /*system*/, void* /*data*/) {
  const std::string name = "vyr-printer-app";
  std::vector<std::string> paths;
  if (const uid_t uid = getuid(); uid != 0) {
    paths.push_back(std::string(papplGetTempDir()) + "/" + name + std::to_string(uid) + ".sock");
  } else {
    if (const char* snap = std::getenv("SNAP_COMMON")) paths.push_back(std::string(snap) + "/" + name + ".sock");
    paths.push_back("/run/" + name + ".sock");
    paths.push_back("/var/run/" + name + ".sock");
  }
  for (const std::string& path : paths) {
    struct stat st{};
    if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == geteuid())
      chmod(path.c_str(), S_IRUSR | S_IWUSR);
  }
  return false;  // once, as the server starts
}

// ---- form tokens ---------------------------------------------------------------

std::string Hex(const uint8_t* bytes, size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out;
}

// HMAC-SHA-256 of `message` under the server's secret.
std::string Mac(const std::string& message) {
  uint8_t inner_pad[64], outer_pad[64];
  for (size_t i = 0; i < 64; ++i) {
    const uint8_t k = i < sizeof g_secret ? g_secret[i] : 0;
    inner_pad[i] = k ^ 0x36;
    outer_pad[i] = k ^ 0x5c;
  }
  std::string inner(reinterpret_cast<char*>(inner_pad), 64);
  inner += message;
  uint8_t digest[32];
  cupsHashData("sha2-256", inner.data(), inner.size(), digest, sizeof digest);
  std::string outer(reinterpret_cast<char*>(outer_pad), 64);
  outer.append(reinterpret_cast<char*>(digest), sizeof digest);
  cupsHashData("sha2-256", outer.data(), outer.size(), digest, sizeof digest);
  return Hex(digest, sizeof digest);
}

bool PlainCookie(const std::string& value) {
  if (value.size() != 32) return false;
  for (char c : value)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// The browser session's id, from its cookie; a new one (and the cookie) when
// it has none.
std::string SessionId(pappl_client_t* client, bool create) {
  char value[128] = "";
  papplClientGetCookie(client, kSessionCookie, value, sizeof value);
  if (PlainCookie(value) || !create) return PlainCookie(value) ? value : "";
  uint8_t id[16];
  for (size_t i = 0; i < sizeof id; i += 4) {
    const uint32_t r = papplGetRand();
    std::memcpy(id + i, &r, 4);
  }
  const std::string session = Hex(id, sizeof id);
  papplClientSetCookie(client, kSessionCookie, session.c_str(), 0);
  return session;
}

}  // namespace

void InstallAdminAccess(pappl_system_t* system, const char* pam_service) {
  g_pam_service = pam_service && *pam_service ? pam_service : "";
  for (size_t i = 0; i < sizeof g_secret; i += 4) {
    const uint32_t r = papplGetRand();
    std::memcpy(g_secret + i, &r, 4);
  }
  char group[256] = "";
  if (!papplSystemGetAdminGroup(system, group, sizeof group) || !group[0])
    papplSystemSetAdminGroup(system, kDefaultAdminGroup);
  papplSystemSetAuthCallback(system, "Basic", Authorize, nullptr);
  papplSystemAddTimerCallback(system, 0, 1, RestrictLocalSocket, nullptr);
}

std::string SessionFormToken(pappl_client_t* client) {
  const std::string session = SessionId(client, true);
  const std::string expires = std::to_string(static_cast<long long>(std::time(nullptr)) + kTokenSeconds);
  return expires + "-" + Mac(session + "-" + expires);
}

bool IsValidSessionForm(pappl_client_t* client, int num_form, cups_option_t* form) {
  const char* token = cupsGetOption("session", num_form, form);
  const std::string session = SessionId(client, false);
  if (!token || session.empty()) return false;
  const char* dash = std::strchr(token, '-');
  if (!dash) return false;
  const std::string expires(token, dash);
  char* end = nullptr;
  const long long when = std::strtoll(expires.c_str(), &end, 10);
  if (expires.empty() || *end || when < static_cast<long long>(std::time(nullptr))) return false;
  const std::string expected = Mac(session + "-" + expires);
  const std::string given(dash + 1);
  if (given.size() != expected.size()) return false;
  unsigned differ = 0;
  for (size_t i = 0; i < given.size(); ++i) differ |= static_cast<unsigned>(given[i] ^ expected[i]);
  return differ == 0;
}

void StartSessionForm(pappl_client_t* client, const char* action, const std::string& token,
                      bool multipart) {
  papplClientHTMLPrintf(client,
                        "<form action=\"%s\" id=\"form\" method=\"POST\"%s>\n"
                        "<input type=\"hidden\" name=\"session\" value=\"%s\">\n",
                        action, multipart ? " enctype=\"multipart/form-data\"" : "", token.c_str());
}
