// The connection of the books library: opens and closes the books file and tells whether
// the current user has a company selected. Its messages go through the caller's display.
#pragma once

#include <string>

#include "books/books_session.h"
#include "platform/library.h"

namespace vintor::books {

class BooksConnection : public platform::ClAccConnect {
 public:
  // session is not owned and must outlive this object.
  explicit BooksConnection(BooksSession& session) : session_(session) {}

  void SetTitle(const std::string& title) override { session_.set_title(title); }
  void SetOwnerWindow(platform::WindowHandle owner) override { session_.set_owner(owner); }
  int SetAppType(platform::AppType type) override;
  int SetUseDataType(int type) override;
  // Opens the books read-only. Non-zero, after a message saying why, when the file is
  // missing, unreadable or not a books file.
  int Initiate() override;
  // 0 when the current user has selected company data that exists; 1, after a message,
  // when the user has selected none (or data that is gone); 2, after a message, when the
  // books are not open or do not know the user.
  int ExpSysLink() override;
  // Shows the text with every ES_APRPACKAGENAME replaced by the tax application's name;
  // answers the display's result, 0 when there is no display.
  int DispMsg(platform::WindowHandle owner, const std::string& text, const std::string& caption,
              unsigned style) override;
  int LogOut() override;
  int Terminate() override;
  int Release() override;

  platform::AppType app_type() const { return app_type_; }
  int use_data_type() const { return use_data_type_; }

 private:
  void Warn(const std::string& text);

  BooksSession& session_;
  platform::AppType app_type_ = platform::AppType::kOak;
  int use_data_type_ = 0;
};

}  // namespace vintor::books
