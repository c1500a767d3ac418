#include "books/rule_motocho.h"

#include <cstring>

#include "books/accounting_period.h"
#include "books/books_codes.h"
#include "text/cp932.h"

namespace vintor::books {
namespace {

using Step = SqliteStatement::StepResult;

// The postings drive the join, so rows come in the order of their key (main code, date,
// line id) without sorting; each journal line is one lookup by its id.
constexpr char kLinesSql[] =
    "SELECT l.journal_key, l.number, l.line_number, l.date, l.marker, l.shown_debit_key,"
    " l.debit_amount, l.debit_tax, l.shown_credit_key, l.credit_amount, l.credit_tax,"
    " l.description, p.side"
    " FROM postings AS p CROSS JOIN journal_lines AS l ON l.id = p.line_id"
    " WHERE p.company_id = ?1 AND p.main_code = ?2 AND p.date BETWEEN ?3 AND ?4"
    " AND (p.period_kind = 0 OR (p.period_kind = 15 AND ?5) OR (p.period_kind = 18 AND ?6))"
    " ORDER BY p.date, p.line_id";

constexpr char kCountSql[] =
    "SELECT count(*) FROM postings"
    " WHERE company_id = ?1 AND main_code = ?2 AND date BETWEEN ?3 AND ?4"
    " AND (period_kind = 0 OR (period_kind = 15 AND ?5) OR (period_kind = 18 AND ?6))";

// Copies a text into a field that holds it without a terminator when it fills the field.
template <std::size_t N>
void CopyField(std::string_view text, char (&field)[N]) {
  const std::string_view fitting = text::PrefixOnCharacterBoundary(text, N);
  std::memcpy(field, fitting.data(), fitting.size());
}

}  // namespace

bool RuleMotocho::Prepare() {
  if (!session_.is_open()) return false;
  if (generation_ == session_.generation() && lines_.valid() && count_.valid()) return true;
  // Statements of a closed connection are dropped before new ones are made.
  lines_ = SqliteStatement();
  count_ = SqliteStatement();
  ready_ = false;
  lines_ = session_.database()->Prepare(kLinesSql);
  count_ = session_.database()->Prepare(kCountSql);
  generation_ = session_.generation();
  return lines_.valid() && count_.valid();
}

int RuleMotocho::RangeOf(const platform::StMOTOCHOHYOJIINFO* display, Range* range) {
  if (display == nullptr) return kCodeBadArgument;
  if (!session_.is_open()) return kCodeNotOpen;
  const CompanyRecord* company = selection_.Current();
  if (company == nullptr) return kCodeNoCompany;
  // A ledger from postings or line columns out of step with the journal would show lines
  // that no journal has.
  if (const int code = session_.CheckDerivedTablesOf(*company); code != platform::kSuccess) {
    return code;
  }
  range->company_id = company->id;
  range->main_code = display->account_key / 10000;
  range->first_date = display->first_date;
  range->last_date = display->last_date;
  // Closing vouchers count in the statements only when the range ends with their closing
  // period (the interim one only for a company that closes an interim period); the ledger
  // shows them under the same rule, so its final balance is the statements' closing one.
  const Company& books = company->company;
  const AccountingPeriod period(books.first_day, books.last_day);
  std::int32_t interim_first = 0;
  std::int32_t interim_last = 0;
  const bool interim_known =
      period.DaysOfMonthKind(platform::kMonthKindInterim, &interim_first, &interim_last);
  range->with_interim_closing =
      display->interim_period == 1 ||
      (books.interim_settlement && interim_known && display->last_date == interim_last);
  range->with_year_end_closing = display->last_date >= books.last_day;
  return platform::kSuccess;
}

bool RuleMotocho::BindRange(SqliteStatement& statement, const Range& range) {
  statement.Reset();
  return statement.Bind(1, range.company_id) && statement.Bind(2, range.main_code) &&
         statement.Bind(3, range.first_date) && statement.Bind(4, range.last_date) &&
         statement.Bind(5, range.with_interim_closing ? 1 : 0) &&
         statement.Bind(6, range.with_year_end_closing ? 1 : 0);
}

int RuleMotocho::MoveReady(const platform::StFINDINFO*, const platform::StORDERINFO*,
                           const platform::StMOTOCHOHYOJIINFO* display) {
  ready_ = false;
  Range range;
  if (const int code = RangeOf(display, &range); code != platform::kSuccess) return code;
  if (!Prepare() || !BindRange(lines_, range)) return session_.ReportDamage();
  range_ = range;
  ready_ = true;
  exhausted_ = false;
  stepped_ = 0;
  next_ = 0;
  return platform::kSuccess;
}

int RuleMotocho::GetCount(const platform::StFINDINFO*, const platform::StMOTOCHOHYOJIINFO* display,
                          std::int32_t* count) {
  if (count == nullptr) return kCodeBadArgument;
  Range range;
  if (const int code = RangeOf(display, &range); code != platform::kSuccess) return code;
  // Counting runs on its own statement: it must not disturb a prepared ledger.
  if (!Prepare() || !BindRange(count_, range) || count_.Step() != Step::kRow) {
    return session_.ReportDamage();
  }
  *count = count_.Int32(0);
  count_.Reset();
  return platform::kSuccess;
}

int RuleMotocho::SetMovePos(std::int32_t position) {
  if (!ready_) return kCodeNotReady;
  if (position < 0) return kCodeBadArgument;
  next_ = static_cast<std::size_t>(position);
  return platform::kSuccess;
}

int RuleMotocho::MoveFirst(platform::StMOTOCHOINFO* line) {
  if (!ready_) return kCodeNotReady;
  next_ = 0;
  return Deliver(line);
}

int RuleMotocho::MoveNext(platform::StMOTOCHOINFO* line) {
  if (!ready_) return kCodeNotReady;
  return Deliver(line);
}

int RuleMotocho::Deliver(platform::StMOTOCHOINFO* line) {
  if (line == nullptr) return kCodeBadArgument;
  if (generation_ != session_.generation()) return kCodeNotOpen;
  // Walking forward steps the statement once per line; going back starts it again.
  if (stepped_ > next_) {
    if (!BindRange(lines_, range_)) return session_.ReportDamage();
    stepped_ = 0;
    exhausted_ = false;
  }
  while (stepped_ <= next_) {
    if (exhausted_) return platform::kEndOfRecords;
    const Step step = lines_.Step();
    if (step == Step::kError) return session_.ReportDamage();
    if (step == Step::kDone) {
      exhausted_ = true;
      return platform::kEndOfRecords;
    }
    ++stepped_;
  }
  std::memset(line, 0, sizeof *line);
  line->journal_key = lines_.Int32(0);
  line->number = lines_.Int32(1);
  line->line_number = lines_.Int32(2);
  line->date = lines_.Int32(3);
  line->compound_marker = static_cast<std::uint8_t>(lines_.Int64(4));
  line->debit_key = lines_.Int32(5);
  line->debit_amount = lines_.Int64(6);
  line->debit_tax = lines_.Int64(7);
  line->credit_key = lines_.Int32(8);
  line->credit_amount = lines_.Int64(9);
  line->credit_tax = lines_.Int64(10);
  std::string description;
  if (!lines_.Text(11, &description)) return session_.ReportDamage();
  CopyField(description, line->description);
  line->side = static_cast<std::uint8_t>(lines_.Int64(12));
  ++next_;
  return platform::kSuccess;
}

int RuleMotocho::MoveFinish() {
  if (lines_.valid() && generation_ == session_.generation()) lines_.Reset();
  ready_ = false;
  return platform::kSuccess;
}

}  // namespace vintor::books
