#include "printer-app/admin_page.h"

#include "printer-app/admin_access.h"

PostedForm::PostedForm(pappl_client_t* client) {
  if (papplClientGetMethod(client) != HTTP_STATE_POST) return;
  posted_ = true;
  count_ = papplClientGetForm(client, &options_);
  valid_ = IsValidSessionForm(client, count_, options_);
}

PostedForm::~PostedForm() { cupsFreeOptions(count_, options_); }

const char* PostedForm::Get(const char* name) const { return cupsGetOption(name, count_, options_); }

void HtmlEscaped(pappl_client_t* client, const std::string& text) {
  papplClientHTMLEscape(client, text.c_str(), text.size());
}

void BeginSystemPage(pappl_client_t* client, const char* title, const std::string& status) {
  papplClientRespond(client, HTTP_STATUS_OK, nullptr, "text/html", 0, 0);
  papplClientHTMLHeader(client, title, 0);
  papplClientHTMLPrintf(client,
                        "<div class=\"content\"><div class=\"row\"><div class=\"col-12\">\n"
                        "<h1 class=\"title\">%s</h1>\n",
                        title);
  if (status.empty()) return;
  papplClientHTMLPuts(client, "<div class=\"banner\">");
  HtmlEscaped(client, status);
  papplClientHTMLPuts(client, "</div>\n");
}

void EndSystemPage(pappl_client_t* client) {
  papplClientHTMLPuts(client, "</div></div></div>\n");
  papplClientHTMLFooter(client);
}
