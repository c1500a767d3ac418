#include "supplements/ledger_extraction.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "statements/account_balances.h"
#include "statements/company_link.h"
#include "text/cp932.h"

namespace vintor::supplements {

namespace {

using platform::StFINDINFO;
using platform::StKAMOKUINFO;
using platform::StKAMOKUSUMINFO;
using statements::FixedAmount;

constexpr std::int32_t kKeyScale = 10'000;  // key = main code x 10 000 + sub-account number
constexpr std::int8_t kPostingAccount = 0;
constexpr std::uint8_t kNoLedger = 1;
using statements::kDebitNatured;
// The two characters of accounts left out of the totals (集計対象外).
constexpr std::uint32_t kLeftOut = 0x08000000;
constexpr std::uint32_t kLeftOutToo = 0x08000080;
// The consumption-tax accounts: credit tax and debit tax.
constexpr std::uint32_t kCreditTaxAccount = 0x80484010;
constexpr std::uint32_t kDebitTaxAccount = 0x80880810;

// What the ledger cursor is asked for. The items, operators and sort keys are the
// library's own; they are passed on as the library expects them.
constexpr std::int32_t kLedgerFindItem = platform::kFindItemMonth;
constexpr std::int16_t kLedgerFindOp = platform::kFindOpRange;
constexpr std::int16_t kFindValueType = 3;
constexpr std::int32_t kLedgerFindOperand = platform::kMonthKindInterim;
constexpr std::int32_t kOrderKeys[6] = {9, 17, 41, 8, 6, 64};
constexpr std::int32_t kLedgerDisplayKind = 2;
constexpr int kJournalCursorType = 2;

constexpr std::string_view kSundryAccounts = "諸口";

bool IsLeftOut(std::uint32_t character) {
  return character == kLeftOut || character == kLeftOutToo;
}

// The search condition keeps month numbers in 32-bit operands whose high half stays zero;
// they have always been read as 16 bits.
std::int16_t Low16(std::int32_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

void SetOneBlock(StFINDINFO* find, std::int32_t item, std::int16_t op) {
  std::memset(find, 0, sizeof *find);
  find->blocks[0].item = item;
  find->blocks[0].op = op;
  find->blocks[0].value_type = kFindValueType;
  find->blocks[0].link = platform::kFindLinkLast;
}

FixedAmount WithTax(std::int64_t amount, std::int64_t tax) {
  FixedAmount sum = FixedAmount::FromScaled(amount);
  sum.AddInPlace(FixedAmount::FromScaled(tax));
  return sum;
}

// The balance carried into the first month of the range, in the account's own direction,
// by the same rule as the account's statement line, so the ledger's last balance is the
// line's closing balance.
FixedAmount OpeningBalance(bool tax_included, const platform::StDATAINFO& company, int start,
                           const StKAMOKUSUMINFO& totals) {
  return statements::BalanceBeforeRange(
      totals, tax_included, start,
      statements::RangeStartsWithTheBooks(start, company.introduction_month));
}

}  // namespace

LedgerExtractor::LedgerExtractor(platform::AccountingLibrary& library, LedgerEntryList& entries,
                                 ui::ProgressWindow* progress,
                                 platform::LibraryFailureLog* failures)
    : library_(library),
      entries_(entries),
      progress_(progress),
      failures_(failures),
      era_dates_(library) {
  era_dates_.set_failure_log(failures);
  SetOneBlock(&ledger_find_, kLedgerFindItem, kLedgerFindOp);
  ledger_find_.blocks[0].operand = kLedgerFindOperand;
  SetOneBlock(&voucher_find_, platform::kFindItemVoucher, platform::kFindOpEqual);
  SetOneBlock(&account_find_, platform::kFindItemAccount, platform::kFindOpEqual);
  for (std::size_t k = 0; k < std::size(kOrderKeys); ++k) order_.keys[k].key = kOrderKeys[k];
  order_.keys[5].flag_1 = 1;
}

LedgerExtractor::~LedgerExtractor() = default;

bool LedgerExtractor::ExtractAccountLedger(bool tax_included, const platform::StDATAINFO& company,
                                           const platform::StFINDINFO& find,
                                           const platform::StKAMOKUSUMINFO& totals) {
  bool more = false;
  if (!BeginAccountLedger(tax_included, company, find, totals, &more)) return false;
  while (more) {
    if (!ContinueAccountLedger(SIZE_MAX, &more)) return false;
  }
  return true;
}

bool LedgerExtractor::BeginAccountLedger(bool tax_included, const platform::StDATAINFO& company,
                                         const platform::StFINDINFO& find,
                                         const platform::StKAMOKUSUMINFO& totals, bool* more) {
  *more = false;
  // Totals and other non-posting accounts have no lines of their own; accounts marked as
  // having no ledger and accounts left out of the totals are not reported.
  if (totals.kind != kPostingAccount || totals.ledger_flag_1 == kNoLedger ||
      totals.ledger_flag_2 == kNoLedger || IsLeftOut(totals.character)) {
    return true;
  }
  current_key_ = totals.key;
  current_name_.assign(text::FieldText(totals.formal_name));
  if (!PrepareLedgerCursor(company)) return false;

  platform::StMOTOCHOHYOJIINFO display{};
  if (!DescribeLedger(find, totals, &display)) return false;
  if (const int code = ledger_->MoveReady(&ledger_find_, &order_, &display);
      code != platform::kSuccess) {
    return Fail("ClRuleMotocho::MoveReady", code);
  }
  std::int32_t count = 0;
  if (const int code = ledger_->GetCount(&ledger_find_, &display, &count);
      code != platform::kSuccess) {
    return Fail("ClRuleMotocho::GetCount", code);
  }
  if (const int code = ledger_->SetMovePos(0); code != platform::kSuccess)
    return Fail("ClRuleMotocho::SetMovePos", code);

  walk_.account = Account{
      tax_included,
      totals.key,
      totals.key / kKeyScale,
      totals.debit_nature == kDebitNatured,
      totals.character == kCreditTaxAccount || totals.character == kDebitTaxAccount,
  };
  walk_.company = &company;
  walk_.balance = OpeningBalance(tax_included, company, Low16(find.blocks[0].operand), totals);
  walk_.count = count;
  walk_.read = 0;
  *more = true;
  return true;
}

bool LedgerExtractor::ContinueAccountLedger(std::size_t max_entries, bool* more) {
  *more = false;
  // Every line the library counted is read: a busy account passes any fixed limit in a
  // year, and a ledger cut short would end on a balance its statement line does not show.
  // The end of the lines before the count is reached is a shortfall like any other error.
  const std::size_t entries_before = entries_.size();
  for (; walk_.read < walk_.count; ++walk_.read) {
    if (entries_.size() - entries_before >= max_entries) {
      *more = true;
      return true;
    }
    const std::int32_t n = walk_.read;
    if (progress_ != nullptr) progress_->PulseActivity();
    std::memset(&line_, 0, sizeof line_);
    const int status = n == 0 ? ledger_->MoveFirst(&line_) : ledger_->MoveNext(&line_);
    if (status != platform::kSuccess) {
      return Fail(
          (n == 0 ? "ClRuleMotocho::MoveFirst" : "ClRuleMotocho::MoveNext") +
              (" " + std::to_string(n + 1) + " 行目（全 " + std::to_string(walk_.count) + " 行）"),
          status);
    }
    if (!ExtractLine(walk_.account, *walk_.company, &walk_.balance)) return false;
  }
  if (const int code = ledger_->MoveFinish(); code != platform::kSuccess)
    return Fail("ClRuleMotocho::MoveFinish", code);
  return true;
}

bool LedgerExtractor::Fail(const std::string& call, int code) {
  if (failures_ == nullptr) return false;
  failures_->Record(call, code, "科目 " + std::to_string(current_key_) + " " + current_name_);
  return false;
}

bool LedgerExtractor::PrepareLedgerCursor(const platform::StDATAINFO& company) {
  if (ledger_ != nullptr) return true;
  data_id_.assign(text::FieldText(company.data_id));
  // One extractor serves one run, so the cursor stays on the company it was first given.
  ledger_ = library_.NewRuleMotocho();
  if (ledger_ == nullptr) return Fail("ClRuleMotocho の作成", -1);
  if (!statements::AttachToCompany(*ledger_, library_, company, failures_, "ClRuleMotocho")) {
    ledger_.reset();
    return false;
  }
  return true;
}

bool LedgerExtractor::DescribeLedger(const platform::StFINDINFO& find,
                                     const platform::StKAMOKUSUMINFO& totals,
                                     platform::StMOTOCHOHYOJIINFO* display) {
  auto* companies =
      library_.DataManager().GetSet<platform::ClSetData>(platform::kSetCompanyData, 1);
  if (companies == nullptr) return Fail("ClDataMgr::GetSetObject(5)", -1);
  // The period is the company's of the run, not the one the user has selected: a batch
  // exports companies nobody selected.
  if (const int code = companies->SetCurDataID(data_id_.c_str()); code != platform::kSuccess)
    return Fail("ClSetData::SetCurDataID", code);
  if (period_ == nullptr) period_ = library_.NewAccPeriod();
  if (period_ == nullptr) return Fail("ClAccPeriod の作成", -1);
  if (const int code = companies->GetAccPeriod(period_.get()); code != platform::kSuccess)
    return Fail("ClSetData::GetAccPeriod", code);

  // The ledger runs from the first day of the first month to the last day of the last
  // month, or of the interim closing period when the range ends with it.
  const std::int16_t first_month = Low16(find.blocks[0].operand);
  const std::int16_t last_month = Low16(find.blocks[1].operand);
  std::int32_t first_day = 0;
  std::int32_t last_day = 0;
  std::int32_t unused = 0;
  if (const int code = period_->GetPeriodByMonthKind(first_month, &first_day, &unused);
      code != platform::kSuccess) {
    return Fail("ClAccPeriod::GetPeriodByMonthKind(" + std::to_string(first_month) + ")", code);
  }
  if (const int code = period_->GetPeriodByMonthKind(last_month, &unused, &last_day);
      code != platform::kSuccess) {
    return Fail("ClAccPeriod::GetPeriodByMonthKind(" + std::to_string(last_month) + ")", code);
  }

  display->account_key = totals.key;
  display->interim_period = last_month == platform::kMonthKindInterim ? 1 : 0;
  display->first_date = first_day;
  display->last_date = last_day;
  display->display_kind = kLedgerDisplayKind;
  return true;
}

bool LedgerExtractor::ExtractLine(const Account& account, const platform::StDATAINFO& company,
                                  FixedAmount* balance) {
  const platform::StMOTOCHOINFO& line = line_;
  const bool touches_account = line.debit_key / kKeyScale == account.main_code ||
                               line.credit_key / kKeyScale == account.main_code;

  // Without tax in the amounts, the tax parts of a voucher between two other accounts are
  // booked on the tax accounts, so their ledgers show just those parts.
  FixedAmount debit;
  FixedAmount credit;
  if (account.tax_included) {
    debit = WithTax(line.debit_amount, line.debit_tax);
    credit = WithTax(line.credit_amount, line.credit_tax);
  } else if (account.tax_account && !touches_account) {
    debit = FixedAmount::FromScaled(line.debit_tax);
    credit = FixedAmount::FromScaled(line.credit_tax);
  } else {
    debit = FixedAmount::FromScaled(line.debit_amount);
    credit = FixedAmount::FromScaled(line.credit_amount);
  }

  const bool credit_side = line.side == platform::kSideCredit;
  FixedAmount amount;
  if (credit_side) {
    amount = account.debit_natured ? FixedAmount().Difference(credit) : credit;
  } else if (line.side == platform::kSideDebit) {
    amount = account.debit_natured ? debit : FixedAmount().Difference(debit);
  } else {
    // A transfer between two sub-accounts of the account touches both sides.
    amount = account.debit_natured ? debit.Difference(credit) : credit.Difference(debit);
  }

  const std::int32_t counter_key = credit_side ? line.debit_key : line.credit_key;
  const std::int32_t own_key = credit_side ? line.credit_key : line.debit_key;

  // The counter account is several accounts when the other side of the voucher has several
  // lines. A voucher with several lines on both sides pairs a line with one counter line
  // only while everything before it balances.
  bool sundry = credit_side ? line.compound_marker == platform::kMarkerSeveralDebits
                            : line.compound_marker == platform::kMarkerSeveralCredits;
  if (!sundry && line.compound_marker == platform::kMarkerSeveralBoth) {
    if (WithTax(line.debit_amount, line.debit_tax) !=
        WithTax(line.credit_amount, line.credit_tax)) {
      sundry = true;
    } else if (line.line_number != 1) {
      bool read = true;
      sundry = VoucherUnbalancedBefore(company, line.journal_key, line.line_number, &read);
      if (!read) return false;
    }
  }

  const bool counter_sub = !sundry && counter_key % kKeyScale != 0;
  const bool own_sub = own_key % kKeyScale != 0;
  const StKAMOKUINFO* counter_account = nullptr;
  const StKAMOKUINFO* counter_sub_account = nullptr;
  const StKAMOKUINFO* own_sub_account = nullptr;
  if (!sundry && !LookUpAccount(counter_key / kKeyScale, &counter_account)) return false;
  if (counter_sub && !LookUpAccount(counter_key, &counter_sub_account)) return false;
  if (own_sub && !LookUpAccount(own_key, &own_sub_account)) return false;

  if (amount == FixedAmount()) return true;
  // A line against an account left out of the totals is not part of the ledger either.
  if (!sundry && IsLeftOut(counter_account->character)) return true;
  // With tax in the amounts the tax accounts hold only their own postings.
  if (account.tax_included && account.tax_account && !touches_account) return true;

  FixedAmount new_balance = *balance;
  new_balance.AddInPlace(amount);
  LedgerEntry* entry = nullptr;
  try {
    entry = &entries_.emplace_back();
  } catch (const std::bad_alloc&) {
    return Fail("LedgerEntryList への追加（メモリ不足）", -1);
  }
  entry->account_key = account.key;
  entry->number = line.number;
  if (!FormatDate(line.date, entry->date_text)) return false;
  if (own_sub)
    text::CopyBounded(text::FieldText(own_sub_account->name), entry->own_sub_account_name);
  text::CopyBounded(sundry ? kSundryAccounts : text::FieldText(counter_account->name),
                    entry->counter_account_name);
  if (counter_sub) {
    text::CopyBounded(text::FieldText(counter_sub_account->name), entry->counter_sub_account_name);
  }
  text::CopyBounded(text::FieldText(line.description), entry->description);
  entry->amount = amount.ToScaled();
  entry->balance = new_balance.ToScaled();
  *balance = new_balance;
  return true;
}

bool LedgerExtractor::VoucherUnbalancedBefore(const platform::StDATAINFO& company,
                                              std::int32_t journal_key, std::int32_t line_number,
                                              bool* read) {
  *read = false;
  if (journal_ == nullptr) {
    journal_ = library_.NewRuleShiwake();
    if (journal_ == nullptr) return Fail("ClRuleShiwake の作成", -1);
    const std::string data_id(text::FieldText(company.data_id));
    int code = journal_->AttachSetMgr(library_.DataManager().GetSetMgr());
    const char* step = "ClRuleShiwake::AttachSetMgr";
    if (code == platform::kSuccess) {
      code = journal_->SetCurDataID(data_id.c_str());
      step = "ClRuleShiwake::SetCurDataID";
    }
    if (code == platform::kSuccess) {
      code = journal_->AttachOptLink(library_.LinkManager().GetOptLink());
      step = "ClRuleShiwake::AttachOptLink";
    }
    if (code != platform::kSuccess) {
      journal_.reset();
      return Fail(step, code);
    }
  }

  voucher_find_.blocks[0].operand = journal_key;
  if (const int code = journal_->MoveReady(&voucher_find_, &order_, nullptr, kJournalCursorType);
      code != platform::kSuccess) {
    return Fail("ClRuleShiwake::MoveReady", code);
  }
  std::int32_t count = 0;
  if (const int code = journal_->GetSwkCount(&voucher_find_, nullptr, &count);
      code != platform::kSuccess) {
    return Fail("ClRuleShiwake::GetSwkCount", code);
  }

  FixedAmount debits;
  FixedAmount credits;
  for (std::int32_t n = 0; n < count; ++n) {
    std::memset(&voucher_line_, 0, sizeof voucher_line_);
    const int status =
        n == 0 ? journal_->MoveFirst(&voucher_line_) : journal_->MoveNext(&voucher_line_);
    if (status == platform::kEndOfRecords) break;
    if (status != platform::kSuccess)
      return Fail(n == 0 ? "ClRuleShiwake::MoveFirst" : "ClRuleShiwake::MoveNext", status);
    if (voucher_line_.line_number == line_number) break;
    debits.AddInPlace(WithTax(voucher_line_.debit_amount, voucher_line_.debit_tax));
    credits.AddInPlace(WithTax(voucher_line_.credit_amount, voucher_line_.credit_tax));
  }
  *read = true;
  return debits != credits;
}

platform::ClSetKamoku* LedgerExtractor::AccountSet() {
  // The chart is asked for on every lookup; the type check is repeated only when the
  // library hands out a different object.
  platform::ClSetBase* set = library_.DataManager().GetSetObject(platform::kSetAccounts, 1);
  if (set != last_account_set_) {
    last_account_set_ = set;
    last_kamoku_ = dynamic_cast<platform::ClSetKamoku*>(set);
    // The chart is the company's of the run, whichever the user has selected.
    if (last_kamoku_ != nullptr) {
      if (const int code = last_kamoku_->SetCurDataID(data_id_.c_str());
          code != platform::kSuccess) {
        Fail("ClSetKamoku::SetCurDataID", code);
        last_account_set_ = nullptr;
        last_kamoku_ = nullptr;
      }
    }
  }
  return last_kamoku_;
}

bool LedgerExtractor::FormatDate(std::int32_t date, char (&text)[31]) {
  if (date != last_date_ || date == 0) {
    era_dates_.FormatEraDate(date, last_date_text_);
    // The formatter has recorded why; an empty date would hide the failure in the report.
    if (era_dates_.library_failed()) {
      last_date_ = 0;
      return false;
    }
    last_date_ = date;
  }
  std::memcpy(text, last_date_text_, sizeof text);
  return true;
}

bool LedgerExtractor::LookUpAccount(std::int32_t code, const StKAMOKUINFO** account) {
  if (const auto found = accounts_looked_up_.find(code); found != accounts_looked_up_.end()) {
    *account = &found->second;
    return true;
  }
  StKAMOKUINFO looked_up{};
  platform::ClSetKamoku* chart = AccountSet();
  if (chart == nullptr) return Fail("ClDataMgr::GetSetObject(1)", -1);
  platform::SetCursor cursor = nullptr;
  if (const int result = chart->GetCursor(&cursor); result != platform::kSuccess)
    return Fail("ClSetKamoku::GetCursor", result);
  const char* failed_call = nullptr;
  int result = chart->ReadyCursor(cursor);
  if (result != platform::kSuccess) {
    failed_call = "ClSetKamoku::ReadyCursor";
  } else {
    // A main code is looked up as the key of the main account.
    account_find_.blocks[0].operand = code >= 0 && code < kKeyScale ? code * kKeyScale : code;
    result = chart->WalkFind(cursor, &account_find_, &looked_up);
    // An account that is not in the chart has no name to show; only an error is a failure.
    if (result != platform::kSuccess) std::memset(&looked_up, 0, sizeof looked_up);
    if (result != platform::kSuccess && result != platform::kEndOfRecords)
      failed_call = "ClSetKamoku::WalkFind";
  }
  const int released = chart->ReleaseCursor(cursor);
  if (failed_call != nullptr) return Fail(failed_call, result);
  if (released != platform::kSuccess) return Fail("ClSetKamoku::ReleaseCursor", released);
  // The map's entries stay where they are as it grows, so the answer can point into it.
  *account = &accounts_looked_up_.emplace(code, looked_up).first->second;
  return true;
}

}  // namespace vintor::supplements
