#include "books/books_connection.h"

#include "books/books_codes.h"
#include "text/cp932.h"

namespace vintor::books {
namespace {

constexpr std::string_view kPackageToken = "ES_APRPACKAGENAME";
constexpr std::string_view kPackageName = "Corvel";

// Walks the text character by character: the token is ASCII, and the trail byte of a
// double-byte character may look like its first letter.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t k = 0; k < text.size();) {
    if (text.substr(k, from.size()) == from) {
      result += to;
      k += from.size();
    } else {
      const std::size_t length = text::CharacterLengthAt(text, k);
      result += text.substr(k, length);
      k += length;
    }
  }
  return result;
}

}  // namespace

int BooksConnection::SetAppType(platform::AppType type) {
  app_type_ = type;
  return platform::kSuccess;
}

int BooksConnection::SetUseDataType(int type) {
  use_data_type_ = type;
  return platform::kSuccess;
}

void BooksConnection::Warn(const std::string& text) {
  session_.Display(session_.owner(), text, session_.title(),
                   ui::kWarning);
}

int BooksConnection::Initiate() {
  std::string message;
  if (session_.Open(&message)) return platform::kSuccess;
  Warn(message);
  return kCodeNotOpen;
}

int BooksConnection::ExpSysLink() {
  if (!session_.is_open()) {
    Warn("会計データが開かれていません。");
    return 2;
  }
  const std::string user_id = session_.CurrentUserId();
  std::int32_t first = 0;
  std::int32_t second = 0;
  if (!session_.SelectionOf(user_id, &first, &second)) {
    Warn("利用者「" + user_id + "」は会計データに登録されていません。");
    return 2;
  }
  if (second == 0) {
    Warn("会計データが選択されていません。\n会計データを選択してから実行してください。");
    return 1;
  }
  if (session_.FindCompanyByNumber(second) == nullptr) {
    Warn("選択された会計データ(" + std::to_string(second) +
         ")がありません。\n会計データを選択しなおしてから実行してください。");
    return 1;
  }
  return 0;
}

int BooksConnection::DispMsg(platform::WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned style) {
  return session_.Display(owner, ReplaceAll(text, kPackageToken, kPackageName), caption, style);
}

int BooksConnection::LogOut() {
  session_.Close();
  return platform::kSuccess;
}

int BooksConnection::Terminate() {
  session_.Close();
  return platform::kSuccess;
}

int BooksConnection::Release() {
  session_.Close();
  return platform::kSuccess;
}

}  // namespace vintor::books
