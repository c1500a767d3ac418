#include "books/message_manager.h"

#include "books/books_codes.h"

namespace vintor::books {

bool BooksMessageManager::CheckFatalErrorWithMsg(int code, int /*mode*/, int show,
                                                 platform::WindowHandle owner) {
  if (code == platform::kSuccess || code == platform::kEndOfRecords) return false;
  if (show != 0) {
    session_.Display(owner,
                     "会計データの処理中にエラーが発生しました。\n" +
                         std::string(DescribeCode(code)) + " (コード " + std::to_string(code) + ")",
                     session_.title(), ui::kWarning);
  }
  return true;
}

void BooksMessageManager::SetLastError(int code, const char* unit, int location) {
  last_error_ = {code, unit != nullptr ? unit : "", location};
}

}  // namespace vintor::books
