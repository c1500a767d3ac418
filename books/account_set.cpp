#include "books/account_set.h"

#include <cstring>

#include "books/books_codes.h"
#include "books/find_condition.h"
#include "text/cp932.h"

namespace vintor::books {

int AccountSet::GetCursor(platform::SetCursor* cursor) {
  if (cursor == nullptr) return kCodeBadArgument;
  if (!session_.is_open()) return kCodeNotOpen;
  *cursor = cursors_.Open();
  return platform::kSuccess;
}

int AccountSet::ReadyCursor(platform::SetCursor cursor) {
  SetCursorState* state = cursors_.Find(cursor);
  if (state == nullptr) return kCodeBadCursor;
  *state = {true, 0};
  return platform::kSuccess;
}

int AccountSet::WalkFind(platform::SetCursor cursor, const platform::StFINDINFO* find,
                         platform::StKAMOKUINFO* account) {
  SetCursorState* state = cursors_.Find(cursor);
  if (state == nullptr) return kCodeBadCursor;
  if (!state->ready) return kCodeNotReady;
  if (account == nullptr) return kCodeBadArgument;
  std::int32_t key = 0;
  if (!SingleEqualOperand(find, platform::kFindItemAccount, &key)) return kCodeBadCondition;
  const CompanyRecord* company = selection_.Current();
  if (company == nullptr) return kCodeNoCompany;
  const Chart* chart = session_.ChartOf(*company);
  if (chart == nullptr) return session_.ReportDamage();
  const Account* found = chart->Find(key);
  if (found == nullptr) return platform::kEndOfRecords;
  std::memset(account, 0, sizeof *account);
  account->key = found->key;
  text::CopyBounded(found->formal_name, account->name);
  account->character = found->character;
  return platform::kSuccess;
}

int AccountSet::ReleaseCursor(platform::SetCursor cursor) {
  return cursors_.Release(cursor) ? platform::kSuccess : kCodeBadCursor;
}

}  // namespace vintor::books
