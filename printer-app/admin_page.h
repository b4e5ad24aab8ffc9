// What the application's own administration pages (Security, Add Printer,
// a printer's Engine page) share: the posted form with its session token
// checked, and the system page's frame.
#pragma once

#include <pappl/pappl.h>

#include <string>

// The request's form when it is a POST (read once), freed with the object.
class PostedForm {
 public:
  explicit PostedForm(pappl_client_t* client);
  ~PostedForm();
  PostedForm(const PostedForm&) = delete;
  PostedForm& operator=(const PostedForm&) = delete;

  bool posted() const { return posted_; }
  // Its token was made for this browser session and has not expired.
  bool valid() const { return valid_; }
  const char* Get(const char* name) const;
  int count() const { return count_; }
  cups_option_t* options() const { return options_; }

 private:
  bool posted_ = false, valid_ = false;
  int count_ = 0;
  cups_option_t* options_ = nullptr;
};

// The response header, PAPPL's page header and the page's title, with
// `status` (escaped) as a banner when there is one.
void BeginSystemPage(pappl_client_t* client, const char* title, const std::string& status);
void EndSystemPage(pappl_client_t* client);

void HtmlEscaped(pappl_client_t* client, const std::string& text);
