#include "statements/statement_aggregator.h"

#include <algorithm>
#include <utility>

#include "statements/account_balances.h"
#include "statements/company_link.h"
#include "text/cp932.h"

namespace vintor::statements {

namespace {

constexpr std::int8_t kKindWithoutLine = 1;
constexpr std::int16_t kYearEndPeriod = platform::kMonthKindYearEnd;
constexpr std::int16_t kInterimPeriod = platform::kMonthKindInterim;

// The account-sum cursor as the aggregation points it at the data: total per account, no
// department, the standard display, the current year.
constexpr int kSumTypeBase = 1;
constexpr int kDepartmentType = 0;
constexpr int kDisplayType = 0;
constexpr int kPastType = 0;

// The search condition keeps the month numbers in 32-bit operands whose high half stays
// zero; the aggregation has always read their low 16 bits.
std::int16_t Low16(std::int32_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

std::int16_t Position(double position) {
  return static_cast<std::int16_t>(position);
}

}  // namespace

struct StatementAggregator::Range {
  bool tax_included;
  int start;  // first fiscal month, 1 = first month of the accounting year
  int end;    // last fiscal month
  // Income-statement accounts count their opening slot only when the range starts where
  // the bookkeeping of this data starts; otherwise the year's earlier profit has to reach
  // the statements through the carry-over instead.
  bool from_start_of_books;
  bool with_year_end;
  bool with_interim;
};

StatementAggregator::StatementAggregator(platform::AccountingLibrary& library)
    : library_(library) {}

StatementAggregator::~StatementAggregator() = default;

bool StatementAggregator::Run(bool tax_included, const platform::StFINDINFO& find,
                              const platform::StDATAINFO& company) {
  if (lines_ == nullptr) return false;

  // The ledger extraction takes most of a run's time when it is asked for, so the totalling
  // gets only a tenth of its usual share of the display then.
  const double divisor = ledger_requested_ ? 10.0 : 1.0;
  Advance(0, 1000 / divisor);
  company_ = company;
  if (!PrepareCursor()) return false;
  Advance(1000 / divisor, 3000 / divisor);

  const int ready =
      cursor_->MoveReady(kSumTypeBase, kDepartmentType, kDisplayType, &find, nullptr, kPastType);
  if (ready != platform::kSuccess) return Fail("ClRuleKamoku::MoveReady", ready);
  std::int32_t count = 0;
  if (const int code = cursor_->GetSumCount(&count); code != platform::kSuccess)
    return Fail("ClRuleKamoku::GetSumCount", code);

  Advance(3000 / divisor, 4000 / divisor);
  progress_position_ = 4000 / divisor;
  if (count != 0) progress_step_ = 7000 / count;  // integer division: 0 beyond 7000 accounts

  if (const int code = cursor_->SetMovePos(0); code != platform::kSuccess)
    return Fail("ClRuleKamoku::SetMovePos", code);

  const Range range = ReadRange(tax_included, find, company.introduction_month);

  FixedAmount carry_over;
  int result = platform::kSuccess;
  std::int32_t read = 0;
  // Every account the library counted is read: a counter narrower than the count would
  // drop the accounts after it from every statement without a word.
  for (; read < count; ++read) {
    Pulse();
    platform::StKAMOKUSUMINFO totals{};
    result = cursor_->MoveNext(&totals);
    if (result != platform::kSuccess) break;
    if (!TotalAccount(totals, range, &carry_over)) return false;
    if (ledger_requested_) {
      // An account whose ledger cannot be read would leave the ledger incomplete: the run
      // fails rather than report part of it. The extractor has recorded why.
      if (ledger_extractor_ != nullptr &&
          !ledger_extractor_->ExtractAccountLedger(tax_included, company, find, totals)) {
        return false;
      }
      if (progress_position_ < 7000) {
        Advance(progress_position_, progress_position_ + progress_step_);
        progress_position_ += progress_step_;
      }
    }
  }
  // The end of the records before the count is reached would leave accounts out as surely
  // as an error does.
  if (read < count) {
    return Fail("ClRuleKamoku::MoveNext", result,
                std::to_string(read + 1) + " 件目の科目（全 " + std::to_string(count) + " 件）");
  }

  if (!range.from_start_of_books) CarryOver(carry_over);

  Advance(progress_position_, progress_position_ + 1000);
  progress_position_ += 1000;
  if (const int code = cursor_->MoveFinish(); code != platform::kSuccess)
    return Fail("ClRuleKamoku::MoveFinish", code);
  cursor_.reset();
  return true;
}

StatementAggregator::Range StatementAggregator::ReadRange(bool tax_included,
                                                          const platform::StFINDINFO& find,
                                                          std::int16_t introduction_month) {
  Range range;
  range.tax_included = tax_included;
  range.start = Low16(find.blocks[0].operand);
  range.end = Low16(find.blocks[1].operand);
  range.from_start_of_books = RangeStartsWithTheBooks(range.start, introduction_month);
  // The closing periods follow the two month blocks, joined with "or", in whichever order
  // the run added them: a six-month year with an interim closing names period 15 in the
  // third block and period 18 in the fourth. Each slot counts when any block names it.
  range.with_year_end = false;
  range.with_interim = false;
  for (std::size_t k = 2; k < std::size(find.blocks); ++k) {
    if (find.blocks[k - 1].link == platform::kFindLinkLast) break;
    if (find.blocks[k].op != platform::kFindOpEqual) continue;
    const std::int16_t period = Low16(find.blocks[k].operand);
    if (period == kYearEndPeriod) range.with_year_end = true;
    if (period == kInterimPeriod) range.with_interim = true;
  }
  return range;
}

bool StatementAggregator::PrepareCursor() {
  if (cursor_ != nullptr) return true;
  cursor_ = library_.NewRuleKamoku();
  if (cursor_ == nullptr) return Fail("ClRuleKamoku の作成", -1);
  if (!AttachToCompany(*cursor_, library_, *company_, failures_, "ClRuleKamoku")) {
    cursor_.reset();  // a later run starts with a cursor of its own
    return false;
  }
  return true;
}

bool StatementAggregator::Fail(const char* call, int code, std::string subject) {
  if (failures_ != nullptr) failures_->Record(call, code, std::move(subject));
  return false;
}

bool StatementAggregator::TotalAccount(const platform::StKAMOKUSUMINFO& totals, const Range& range,
                                       FixedAmount* carry_over) {
  const auto& debits = range.tax_included ? totals.debit_2 : totals.debit_1;
  const auto& credits = range.tax_included ? totals.credit_2 : totals.credit_1;
  const bool debit_natured = totals.debit_nature == kDebitNatured;

  const FixedAmount opening =
      BalanceBeforeRange(totals, range.tax_included, range.start, range.from_start_of_books);
  if (totals.character == kCarryOverSource) *carry_over = opening;

  FixedAmount debit_total;
  FixedAmount credit_total;
  AddSlots(debits, range.start, range.end, &debit_total);
  AddSlots(credits, range.start, range.end, &credit_total);
  if (range.with_year_end) {
    AddSlots(debits, platform::kSlotYearEnd, platform::kSlotYearEnd, &debit_total);
    AddSlots(credits, platform::kSlotYearEnd, platform::kSlotYearEnd, &credit_total);
  }
  if (range.with_interim) {
    AddSlots(debits, platform::kSlotInterim, platform::kSlotInterim, &debit_total);
    AddSlots(credits, platform::kSlotInterim, platform::kSlotInterim, &credit_total);
  }
  // Only this sum is tested against the limit: a closing balance that large cannot be
  // written, and the run must stop rather than report a wrapped amount.
  const FixedAmount closing = debit_natured ? opening.Sum(debit_total).Difference(credit_total)
                                            : opening.Sum(credit_total).Difference(debit_total);

  if (totals.kind == kKindWithoutLine) return true;
  StatementLine line;
  line.key = totals.key;
  text::CopyBounded(text::FieldText(totals.formal_name), line.formal_name);
  text::CopyBounded(text::FieldText(totals.statement_name), line.statement_name);
  line.opening = opening.ToScaled();
  line.change = closing.Difference(opening).ToScaled();
  line.closing = closing.ToScaled();
  line.character = totals.character;
  line.kind = totals.kind;
  return lines_->Append(line);
}

void StatementAggregator::CarryOver(const FixedAmount& carry_over) {
  // The profit of the months before the range sits in the net-assets account's opening; it
  // belongs to the year's result, so the last line of that total takes it over.
  StatementLine* target = lines_->FindLastLineByCharacter(kCarryOverTarget);
  if (target == nullptr) return;
  target->closing = FixedAmount::SumOfScaled(target->closing, carry_over).ToScaled();
}

void StatementAggregator::Advance(double from, double to) {
  if (progress_window_ != nullptr) progress_window_->AdvanceProgress(Position(from), Position(to));
}

void StatementAggregator::Pulse() {
  if (progress_window_ != nullptr) progress_window_->PulseActivity();
}

bool StatementAggregator::ReadSavedText(int kind, std::string* text) {
  const std::string subject = "保存データ種別 " + std::to_string(kind);
  const auto failed = [&](const char* call, int code) {
    notes_failed_ = true;
    if (failures_ != nullptr) failures_->Record(call, code, subject);
    return false;
  };
  // The notes are those of the company totalled.
  if (!company_) return failed("StatementAggregator::set_company", -1);
  saved_reader_ = library_.NewSaveKessansho();
  if (saved_reader_ == nullptr) return failed("ClSaveKessansho の作成", -1);
  if (!AttachToCompany(*saved_reader_, library_, *company_, failures_, "ClSaveKessansho")) {
    notes_failed_ = true;
    return false;
  }

  char* buffer = nullptr;
  std::int32_t length = 0;
  const int result = saved_reader_->GetDataType02(kind, &buffer, &length);
  // The library may hand out a buffer even with an error; it is ours to free in any case.
  // The text is copied out first, taking the length as given: the buffer need not end in a
  // NUL.
  const bool read = result == platform::kSuccess && buffer != nullptr;
  if (read) text->assign(buffer, static_cast<std::size_t>(std::max<std::int32_t>(length, 0)));
  if (buffer != nullptr) library_.TaskMemFree(buffer);
  // A company without this text has no notes of this kind; that is not a failure.
  if (result == platform::kEndOfRecords) return false;
  if (result != platform::kSuccess) return failed("ClSaveKessansho::GetDataType02", result);
  if (buffer == nullptr) return failed("ClSaveKessansho::GetDataType02", -1);
  return true;
}

bool StatementAggregator::ReadNotesMode() {
  std::string text;
  return ReadSavedText(platform::kSavedNotesMode, &text) && IsLinkedInputMode(text);
}

bool StatementAggregator::ReadNotesEntered() {
  std::string text;
  return ReadSavedText(platform::kSavedNotesSettings, &text) && AreNotesEntered(text);
}

bool StatementAggregator::ReadDisplayFlags(std::span<std::uint8_t> flags) {
  std::string text;
  if (!ReadSavedText(platform::kSavedNotesMode, &text)) return false;
  CollectNoteDisplayFlags(text, flags);
  return true;
}

bool StatementAggregator::ReadNoteText(std::string* text) {
  std::string saved;
  if (!ReadSavedText(platform::kSavedNotesText, &saved)) return false;
  *text = std::move(saved);
  return true;
}

}  // namespace vintor::statements
