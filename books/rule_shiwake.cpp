#include "books/rule_shiwake.h"

#include <cstring>

#include "books/books_codes.h"
#include "books/find_condition.h"
#include "text/cp932.h"

namespace vintor::books {

int RuleShiwake::Load(const platform::StFINDINFO* find, std::vector<platform::StSWKTINFO>* lines) {
  lines->clear();
  std::int32_t journal_key = 0;
  if (!SingleEqualOperand(find, platform::kFindItemVoucher, &journal_key)) {
    return kCodeBadCondition;
  }
  if (!session_.is_open()) return kCodeNotOpen;
  const CompanyRecord* company = selection_.Current();
  if (company == nullptr) return kCodeNoCompany;
  // The markers and dates kept with the lines are derived from the journal too.
  if (const int code = session_.CheckDerivedTablesOf(*company); code != platform::kSuccess) {
    return code;
  }
  // Served by the index on (company, journal key, line number). The ledger asks for many
  // vouchers in a row, so the statement is prepared once per connection.
  if (generation_ != session_.generation() || !query_.valid()) {
    query_ = SqliteStatement();
    query_ = session_.database()->Prepare(
        "SELECT journal_key, number, line_number, date, marker, debit_key, debit_amount,"
        " debit_tax, credit_key, credit_amount, credit_tax, description FROM journal_lines"
        " WHERE company_id = ? AND journal_key = ? ORDER BY line_number");
    generation_ = session_.generation();
  }
  SqliteStatement& query = query_;
  query.Reset();
  if (!query.valid() || !query.Bind(1, company->id) || !query.Bind(2, journal_key)) {
    return session_.ReportDamage();
  }
  for (;;) {
    const auto step = query.Step();
    if (step == SqliteStatement::StepResult::kDone) {
      query.Reset();
      return platform::kSuccess;
    }
    if (step == SqliteStatement::StepResult::kError) return session_.ReportDamage();
    platform::StSWKTINFO& line = lines->emplace_back();
    std::memset(&line, 0, sizeof line);
    line.journal_key = query.Int32(0);
    line.number = query.Int32(1);
    line.line_number = query.Int32(2);
    line.date = query.Int32(3);
    line.compound_marker = static_cast<std::uint8_t>(query.Int64(4));
    line.debit_key = query.Int32(5);
    line.debit_amount = query.Int64(6);
    line.debit_tax = query.Int64(7);
    line.credit_key = query.Int32(8);
    line.credit_amount = query.Int64(9);
    line.credit_tax = query.Int64(10);
    std::string description;
    if (!query.Text(11, &description)) return session_.ReportDamage();
    const std::string_view fitting =
        text::PrefixOnCharacterBoundary(description, sizeof line.description);
    std::memcpy(line.description, fitting.data(), fitting.size());
  }
}

int RuleShiwake::MoveReady(const platform::StFINDINFO* find, const platform::StORDERINFO*,
                           const platform::StMOTOCHOHYOJIINFO*, int) {
  ready_ = false;
  position_ = 0;
  const int code = Load(find, &lines_);
  ready_ = code == platform::kSuccess;
  return code;
}

int RuleShiwake::GetSwkCount(const platform::StFINDINFO* find, const platform::StMOTOCHOHYOJIINFO*,
                             std::int32_t* count) {
  if (count == nullptr) return kCodeBadArgument;
  std::vector<platform::StSWKTINFO> lines;
  const int code = Load(find, &lines);
  if (code == platform::kSuccess) *count = static_cast<std::int32_t>(lines.size());
  return code;
}

int RuleShiwake::MoveFirst(platform::StSWKTINFO* line) {
  if (!ready_) return kCodeNotReady;
  position_ = 0;
  return MoveNext(line);
}

int RuleShiwake::MoveNext(platform::StSWKTINFO* line) {
  if (line == nullptr) return kCodeBadArgument;
  if (!ready_) return kCodeNotReady;
  if (position_ >= lines_.size()) return platform::kEndOfRecords;
  *line = lines_[position_++];
  return platform::kSuccess;
}

}  // namespace vintor::books
