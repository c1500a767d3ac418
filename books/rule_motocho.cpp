#include "books/rule_motocho.h"

#include <algorithm>
#include <cstring>

#include "books/accounting_period.h"
#include "books/books_codes.h"
#include "text/cp932.h"

namespace vintor::books {
namespace {

// Copies a text into a field that holds it without a terminator when it fills the field.
template <std::size_t N>
void CopyField(std::string_view text, char (&field)[N]) {
  const std::string_view fitting = text::PrefixOnCharacterBoundary(text, N);
  std::memcpy(field, fitting.data(), fitting.size());
}

}  // namespace

int RuleMotocho::RangeOf(const platform::StMOTOCHOHYOJIINFO* display, Range* range) {
  if (display == nullptr) return kCodeBadArgument;
  if (!session_.is_open()) return kCodeNotOpen;
  const CompanyRecord* company = selection_.Current();
  if (company == nullptr) return kCodeNoCompany;
  // The journal is checked against what was derived from it when it is first read: a
  // ledger out of step with the journal would show lines that no journal has.
  const CompanyJournal* journal = session_.JournalOf(*company);
  if (journal == nullptr) return kCodeDamaged;
  range->journal = journal;
  range->main_code = display->account_key / 10000;
  range->first_date = display->first_date;
  range->last_date = display->last_date;
  // The postings are in date order: the dates are one run of them.
  const std::span<const CompanyJournal::Posting> all = journal->PostingsOf(range->main_code);
  const auto date_of = [journal](const CompanyJournal::Posting& posting) {
    return journal->line(posting.line).date;
  };
  const auto first = std::partition_point(all.begin(), all.end(), [&](const auto& posting) {
    return date_of(posting) < display->first_date;
  });
  const auto end = std::partition_point(first, all.end(), [&](const auto& posting) {
    return date_of(posting) <= display->last_date;
  });
  range->postings = all.subspan(static_cast<std::size_t>(first - all.begin()),
                                static_cast<std::size_t>(end - first));
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

bool RuleMotocho::InRange(const CompanyJournal::Posting& posting, const Range& range) const {
  switch (range.journal->line(posting.line).period_kind) {
    case kPeriodMonth:
      return true;
    case kPeriodInterim:
      return range.with_interim_closing;
    case kPeriodYearEnd:
      return range.with_year_end_closing;
    default:
      return false;
  }
}

int RuleMotocho::MoveReady(const platform::StFINDINFO*, const platform::StORDERINFO*,
                           const platform::StMOTOCHOHYOJIINFO* display) {
  ready_ = false;
  Range range;
  if (const int code = RangeOf(display, &range); code != platform::kSuccess) return code;
  range_ = range;
  generation_ = session_.generation();
  ready_ = true;
  scanned_ = 0;
  delivered_ = 0;
  next_ = 0;
  return platform::kSuccess;
}

int RuleMotocho::GetCount(const platform::StFINDINFO*, const platform::StMOTOCHOHYOJIINFO* display,
                          std::int32_t* count) {
  if (count == nullptr) return kCodeBadArgument;
  Range range;
  if (const int code = RangeOf(display, &range); code != platform::kSuccess) return code;
  std::size_t lines = 0;
  for (const CompanyJournal::Posting& posting : range.postings) lines += InRange(posting, range);
  *count = static_cast<std::int32_t>(std::min<std::size_t>(lines, INT32_MAX));
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
  // The journal belongs to the opening the ledger was prepared in.
  if (generation_ != session_.generation()) return kCodeNotOpen;
  // Walking forward looks at each posting once; going back starts the walk again.
  if (delivered_ > next_) {
    scanned_ = 0;
    delivered_ = 0;
  }
  const CompanyJournal::Posting* found = nullptr;
  // An account's lines and their descriptions lie scattered over the journal: the line a
  // few postings on is asked for now, and the description of one whose line has come, so
  // both are at hand when their turn comes.
  constexpr std::size_t kLookAhead = 8;
  if (scanned_ + 2 * kLookAhead < range_.postings.size()) {
    __builtin_prefetch(&range_.journal->line(range_.postings[scanned_ + 2 * kLookAhead].line));
  }
  if (scanned_ + kLookAhead < range_.postings.size()) {
    const CompanyJournal::Line& ahead =
        range_.journal->line(range_.postings[scanned_ + kLookAhead].line);
    __builtin_prefetch(range_.journal->DescriptionOf(ahead).data());
  }
  while (found == nullptr) {
    if (scanned_ >= range_.postings.size()) return platform::kEndOfRecords;
    const CompanyJournal::Posting& posting = range_.postings[scanned_++];
    if (!InRange(posting, range_)) continue;
    if (delivered_++ == next_) found = &posting;
  }
  const CompanyJournal::Line& source = range_.journal->line(found->line);
  std::memset(line, 0, sizeof *line);
  line->journal_key = source.journal_key;
  line->number = source.number;
  line->line_number = source.line_number;
  line->date = source.date;
  line->compound_marker = source.marker;
  line->debit_key = source.shown_debit_key;
  line->debit_amount = source.debit_amount;
  line->debit_tax = source.debit_tax;
  line->credit_key = source.shown_credit_key;
  line->credit_amount = source.credit_amount;
  line->credit_tax = source.credit_tax;
  CopyField(range_.journal->DescriptionOf(source), line->description);
  line->side = static_cast<std::uint8_t>(found->side);
  ++next_;
  return platform::kSuccess;
}

int RuleMotocho::MoveFinish() {
  ready_ = false;
  return platform::kSuccess;
}

}  // namespace vintor::books
