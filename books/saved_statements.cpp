#include "books/saved_statements.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "books/books_codes.h"

namespace vintor::books {

int SavedStatements::GetDataType02(int kind, char** buffer, std::int32_t* length) {
  if (buffer == nullptr || length == nullptr) return kCodeBadArgument;
  *buffer = nullptr;
  *length = 0;
  if (!session_.is_open()) return kCodeNotOpen;
  const CompanyRecord* company = selection_.Current();
  if (company == nullptr) return kCodeNoCompany;
  SqliteStatement query = session_.database()->Prepare(
      "SELECT text FROM saved_texts WHERE company_id = ? AND kind = ?");
  if (!query.valid() || !query.Bind(1, company->id) || !query.Bind(2, kind)) {
    return session_.ReportDamage();
  }
  const auto step = query.Step();
  // A text the company does not have is "no such record", as for the end of a cursor.
  if (step == SqliteStatement::StepResult::kDone) return platform::kEndOfRecords;
  std::string text;
  if (step != SqliteStatement::StepResult::kRow || !query.Text(0, &text))
    return session_.ReportDamage();
  if (text.size() > INT32_MAX - 1) return kCodeQueryFailed;
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy == nullptr) return kCodeQueryFailed;
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  *buffer = copy;
  *length = static_cast<std::int32_t>(text.size());
  return platform::kSuccess;
}

}  // namespace vintor::books
