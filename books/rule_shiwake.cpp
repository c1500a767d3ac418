#include "books/rule_shiwake.h"

#include <cstring>

#include "books/books_codes.h"
#include "books/company_journal.h"
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
  // The markers and dates kept with the lines are derived from the journal too: the journal
  // is checked when it is first read.
  const CompanyJournal* journal = session_.JournalOf(*company);
  if (journal == nullptr) return kCodeDamaged;
  for (const CompanyJournal::Line& source : journal->LinesOfVoucher(journal_key)) {
    platform::StSWKTINFO& line = lines->emplace_back();
    std::memset(&line, 0, sizeof line);
    line.journal_key = source.journal_key;
    line.number = source.number;
    line.line_number = source.line_number;
    line.date = source.date;
    line.compound_marker = source.marker;
    line.debit_key = source.debit_key;
    line.debit_amount = source.debit_amount;
    line.debit_tax = source.debit_tax;
    line.credit_key = source.credit_key;
    line.credit_amount = source.credit_amount;
    line.credit_tax = source.credit_tax;
    const std::string_view fitting =
        text::PrefixOnCharacterBoundary(journal->DescriptionOf(source), sizeof line.description);
    std::memcpy(line.description, fitting.data(), fitting.size());
  }
  return platform::kSuccess;
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
