// The message manager of the books library: decides which codes are fatal, shows their
// message, and keeps the last error a caller recorded.
#pragma once

#include <string>

#include "books/books_session.h"
#include "platform/library.h"

namespace vintor::books {

class BooksMessageManager : public platform::ClMsgMgr {
 public:
  struct LastError {
    int code = 0;
    std::string unit;
    int location = 0;
  };

  explicit BooksMessageManager(BooksSession& session) : session_(session) {}

  // Every code other than 0 and kEndOfRecords is fatal; with show non-zero its message
  // goes to the display, owned by owner.
  bool CheckFatalErrorWithMsg(int code, int mode, int show, platform::WindowHandle owner) override;
  // Records the code, the caller's unit name and location (a null unit records "").
  void SetLastError(int code, const char* unit, int location) override;

  const LastError& last_error() const { return last_error_; }

 private:
  BooksSession& session_;
  LastError last_error_;
};

}  // namespace vintor::books
